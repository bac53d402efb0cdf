#pragma once
// The About box: the version and the build date.
#include <QDialog>

namespace zelmora {

class dialog_about : public QDialog {
    Q_OBJECT
public:
    explicit dialog_about(QWidget* parent = nullptr);
};

}  // namespace zelmora
