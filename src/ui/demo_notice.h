#pragma once
// The notice a window shows while its figures come from the bundled demo
// rating database, whose rates are invented: a red band with white words, as
// the printed quote's pages carry it.
#include <QString>

class QLabel;
class QWidget;

namespace zelmora {

class premium_database;

// What the band says.
QString demo_notice_text();
// The band, hidden until show_demo_notice shows it; its object name is "demo_notice".
QLabel* make_demo_notice(QWidget* parent);
// Shows the band when the database is the demo database, hides it otherwise.
void show_demo_notice(QLabel* notice, premium_database* database);

}  // namespace zelmora
