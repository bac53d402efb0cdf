#include "app/child_frame.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>

#include "app/doc_zelmora.h"
#include "app/view_zelmora.h"
#include "ui/numeric_controls.h"
#include "ui/window_services.h"

namespace zelmora {

namespace {

const QString farm_file_filter = QStringLiteral("Farm files (*.ini);;All Files (*)");

}  // namespace

child_frame::child_frame(std::unique_ptr<doc_zelmora> document, QWidget* parent)
    : QMdiSubWindow(parent), document_(std::move(document)) {
    setAttribute(Qt::WA_DeleteOnClose);
    view_ = new view_zelmora(document_.get(), this);
    setWidget(view_);
    connect(document_.get(), &doc_zelmora::farm_changed, this, &child_frame::update_title);
    update_title();
}

child_frame::~child_frame() { close_document(); }

bool child_frame::close_document(bool write_anyway) {
    if (!document_) return false;
    document_->close_document();
    const bool wrote = document_->write_settings_on_close(write_anyway);
    if (view_) view_->detach();
    document_.reset();
    return wrote;
}

void child_frame::update_title() {
    if (!document_) return;
    setWindowTitle(document_->farm_title());
    setWindowModified(document_->edit_marked());
}

bool child_frame::farm_ready(const QString& cannot) {
    if (!document_) return false;
    if (number_field* refused = view_ ? first_refused_field(view_) : nullptr) {
        refused->setFocus();
        show_message(this, cannot + tr(": a field holds a text that is not taken.\n\n") + refused->refusal_message());
        return false;
    }
    if (!document_->county_chosen()) {
        show_message(this, cannot + tr(": %1 first (nothing is rated without one).").arg(document_->choose_county_text()));
        return false;
    }
    return true;
}

bool child_frame::confirm_replacing_changed_file() {
    if (!document_->farm_file_changed_on_disk()) return true;
    const QString path = QDir::toNativeSeparators(to_qstring(document_->farm_file_path()));
    return ask_yes_no(this,
                      tr("The farm file %1 was changed by another window or program since this window opened or "
                         "saved it.\n\nReplace it with this window's farm?")
                          .arg(path),
                      answer::no);
}

bool child_frame::save() {
    if (!document_) return false;
    if (document_->farm_file_path().empty()) return save_as();
    if (!farm_ready(tr("The farm cannot be saved")) || !confirm_replacing_changed_file()) return false;
    std::string error;
    if (!document_->save_farm(document_->farm_file_path(), error)) {
        show_message(this, to_qstring(error));
        return false;
    }
    Q_EMIT farm_file_used(to_qstring(document_->farm_file_path()));
    return true;
}

bool child_frame::save_as() {
    if (!document_ || !farm_ready(tr("The farm cannot be saved"))) return false;
    const std::string& current = document_->farm_file_path();
    const QString start = current.empty()
                              ? QDir(QFileInfo(to_qstring(document_->path())).absolutePath())
                                    .filePath(QStringLiteral("farm.ini"))
                              : to_qstring(current);
    QString chosen = ask_file_name(this, file_dialog_kind::save, tr("Save Farm As"), start, farm_file_filter);
    if (chosen.isEmpty()) return false;
    if (QFileInfo(chosen).suffix().isEmpty()) chosen += QStringLiteral(".ini");
    // Its own file again: written by someone else since, it is not replaced unasked.
    if (!current.empty() && QFileInfo(chosen).absoluteFilePath() == QFileInfo(to_qstring(current)).absoluteFilePath() &&
        !confirm_replacing_changed_file())
        return false;
    std::string error;
    if (!document_->save_farm(to_std(chosen), error)) {
        show_message(this, to_qstring(error));
        return false;
    }
    Q_EMIT farm_file_used(to_qstring(document_->farm_file_path()));
    return true;
}

bool child_frame::maybe_save() {
    if (!document_ || !document_->farm_modified()) return true;
    const QString text = tr("The farm \"%1\" has changes that are not saved.\n\nSave them?")
                             .arg(to_qstring(document_->farm_display_name()));
    switch (ask_save_discard_cancel(this, text)) {
        case save_choice::save: return save();
        case save_choice::discard:
            document_->discard_changes();
            return true;
        case save_choice::cancel: return false;
    }
    return false;
}

bool child_frame::open_farm(const std::string& path) {
    if (!document_ || !maybe_save()) return false;
    std::string error;
    if (!document_->open_farm(path, error)) {
        show_message(this, to_qstring(error));
        return false;
    }
    Q_EMIT farm_file_used(to_qstring(document_->farm_file_path()));
    return true;
}

bool child_frame::new_farm() {
    if (!document_ || !maybe_save()) return false;
    document_->new_farm();
    return true;
}

void child_frame::closeEvent(QCloseEvent* event) {
    if (!maybe_save()) {
        event->ignore();
        return;
    }
    close_document();
    QMdiSubWindow::closeEvent(event);
}

}  // namespace zelmora
