#include "ui/demo_notice.h"

#include <QCoreApplication>
#include <QLabel>

#include "data/demo_database.h"
#include "rating/quote_content.h"

namespace zelmora {

QString demo_notice_text() {
    return QString::fromLatin1(demo_rates_banner) +
           QCoreApplication::translate("demo_notice",
                                       ": the rating database is the demo database; its rates are invented for "
                                       "demonstration.");
}

QLabel* make_demo_notice(QWidget* parent) {
    auto* notice = new QLabel(demo_notice_text(), parent);
    notice->setObjectName(QStringLiteral("demo_notice"));
    notice->setWordWrap(true);
    notice->setAlignment(Qt::AlignCenter);
    notice->setStyleSheet(QStringLiteral("QLabel#demo_notice { background-color: #c0161b; color: white; "
                                         "font-weight: bold; padding: 3px 8px; }"));
    notice->hide();
    return notice;
}

void show_demo_notice(QLabel* notice, premium_database* database) {
    if (notice) notice->setVisible(database != nullptr && is_demo_database(*database));
}

}  // namespace zelmora
