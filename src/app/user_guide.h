#pragma once
// Help > User Guide: the guide section of the README shown in a window of
// its own, with its pictures.
#include <QString>
#include <QStringList>

class QTextBrowser;
class QWidget;

namespace zelmora {

// Where the README is looked for: beside the executable, two folders up
// (build/bin in a source tree), in the documentation folder of an installed
// program (bin/../share/doc/zelmora), and the source folder the program was built from.
QStringList user_guide_places();
// The first README.md among those places; empty when there is none.
QString find_user_guide();
// The README's "Using the application" section, heading included; the whole text when it has none.
QString user_guide_section(const QString& readme);
// Shows the guide, or a message naming the places looked in; returns the
// guide's window (nullptr for the message).
QWidget* show_user_guide(QWidget* parent);
// Scales each picture of the guide down to the width the browser shows, never up.
void fit_guide_pictures(QTextBrowser& browser);

}  // namespace zelmora
