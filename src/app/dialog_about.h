#pragma once
// The About box: the version and the build date.
#include <QDialog>

namespace zelmora {

inline constexpr double zelmora_version = 4.0;

class dialog_about : public QDialog {
    Q_OBJECT
public:
    explicit dialog_about(QWidget* parent = nullptr);
};

}  // namespace zelmora
