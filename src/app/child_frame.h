#pragma once
// The window of one open rating database: holds its input form and owns
// the document for as long as the window is open.
#include <memory>

#include <QMdiSubWindow>

namespace zelmora {

class doc_zelmora;
class view_zelmora;

class child_frame : public QMdiSubWindow {
    Q_OBJECT
public:
    child_frame(std::unique_ptr<doc_zelmora> document, QWidget* parent = nullptr);
    ~child_frame() override;

    doc_zelmora* document() const { return document_.get(); }
    view_zelmora* view() const { return view_; }
    // The form stores its fields, then the document writes the settings and goes.
    void close_document();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::unique_ptr<doc_zelmora> document_;
    view_zelmora* view_ = nullptr;
};

}  // namespace zelmora
