#include "app/child_frame.h"

#include <QCloseEvent>

#include "app/doc_zelmora.h"
#include "app/view_zelmora.h"
#include "ui/window_services.h"

namespace zelmora {

child_frame::child_frame(std::unique_ptr<doc_zelmora> document, QWidget* parent)
    : QMdiSubWindow(parent), document_(std::move(document)) {
    setAttribute(Qt::WA_DeleteOnClose);
    view_ = new view_zelmora(document_.get(), this);
    setWidget(view_);
    setWindowTitle(to_qstring(document_->title()));
}

child_frame::~child_frame() { close_document(); }

void child_frame::close_document() {
    if (!document_) return;
    document_->close_document();
    if (view_) view_->detach();
    document_.reset();
}

void child_frame::closeEvent(QCloseEvent* event) {
    close_document();
    QMdiSubWindow::closeEvent(event);
}

}  // namespace zelmora
