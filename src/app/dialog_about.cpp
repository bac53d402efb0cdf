#include "app/dialog_about.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <cstdio>

#include "ui/window_services.h"
#include "utility/version.h"

namespace zelmora {

dialog_about::dialog_about(QWidget* parent, bool demo_database_open) : QDialog(parent) {
    setWindowTitle(tr("About Zelmora 2004"));
    char built[64];
    std::snprintf(built, sizeof built, "Build Date: %s", __DATE__);

    auto* version_text = new QLabel(QStringLiteral("Zelmora Version ") + QString::fromLatin1(project_version), this);
    set_control_id(version_text, 1248);
    QFont larger = version_text->font();
    larger.setBold(true);
    version_text->setFont(larger);
    auto* date_text = new QLabel(QString::fromLatin1(built), this);
    set_control_id(date_text, 1245);
    QString demo = tr("The rating database that comes with Zelmora 2004 is a demo database: its counties are "
                      "real, but every rate, yield, surcharge and b value in it is invented for demonstration. "
                      "Do not use it for real quotes.");
    if (demo_database_open) demo = tr("<b>The open rating database is the demo database.</b> ") + demo;
    auto* demo_text = new QLabel(demo, this);
    demo_text->setObjectName(QStringLiteral("demo_text"));
    demo_text->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    set_control_id(buttons->button(QDialogButtonBox::Ok), 1);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    auto* texts = new QVBoxLayout;
    texts->addWidget(version_text);
    texts->addWidget(date_text);
    texts->addSpacing(8);
    texts->addWidget(demo_text);
    auto* row = new QHBoxLayout;
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addSpacing(12);
    row->addLayout(texts, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    setMinimumWidth(420);
}

}  // namespace zelmora
