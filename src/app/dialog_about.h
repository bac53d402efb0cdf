#pragma once
// The About box: the version, the build date, and what the bundled demo
// rating database is (marked when the active window's database is that one).
#include <QDialog>

namespace zelmora {

class dialog_about : public QDialog {
    Q_OBJECT
public:
    explicit dialog_about(QWidget* parent = nullptr, bool demo_database_open = false);
};

}  // namespace zelmora
