#include "app/dialog_about.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <cstdio>

#include "ui/window_services.h"
#include "utility/number_text.h"

namespace zelmora {

dialog_about::dialog_about(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("About Zelmora 2004"));
    const std::string version = "Zelmora Version " + fixed_text(zelmora_version, 2);
    char built[64];
    std::snprintf(built, sizeof built, "Build Date: %s", __DATE__);

    auto* version_text = new QLabel(QString::fromStdString(version), this);
    set_control_id(version_text, 1248);
    QFont larger = version_text->font();
    larger.setBold(true);
    version_text->setFont(larger);
    auto* date_text = new QLabel(QString::fromLatin1(built), this);
    set_control_id(date_text, 1245);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    set_control_id(buttons->button(QDialogButtonBox::Ok), 1);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    auto* texts = new QVBoxLayout;
    texts->addWidget(version_text);
    texts->addWidget(date_text);
    auto* row = new QHBoxLayout;
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addSpacing(12);
    row->addLayout(texts, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    setMinimumWidth(320);
}

}  // namespace zelmora
