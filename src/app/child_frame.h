#pragma once
// The window of one open rating database and the farm it holds: holds its
// input form, owns the document for as long as the window is open, shows the
// farm's name, county and edit marker in its caption, and saves the farm.
#include <memory>
#include <string>

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
    // The form stores its fields, then the document writes the settings (when
    // its farm was changed, or `write_anyway`) and goes. True when it wrote them.
    bool close_document(bool write_anyway = false);

    // Save writes the farm's file; an untitled farm asks for a name first.
    // False when cancelled or when the file could not be written (said in a message).
    bool save();
    bool save_as();
    // A farm with unsaved changes asks Save / Discard / Cancel; false for Cancel
    // or a save that did not happen.
    bool maybe_save();
    // Opens a farm file into this window (after maybe_save); a refused file
    // changes nothing and its reason is shown.
    bool open_farm(const std::string& path);
    // The default farm in the same state and county (after maybe_save).
    bool new_farm();
    // The caption follows the farm's name, county and edit marker.
    void update_title();
    // Whether the farm may go to a file or a printer as the window shows it:
    // no field of the form refuses its text, and the farm has a county. If
    // not, a message begins with `cannot` ("The farm cannot be saved") and
    // says why, and a refused field takes the focus.
    bool farm_ready(const QString& cannot);

Q_SIGNALS:
    // A farm file was opened or saved in this window.
    void farm_file_used(const QString& path);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // A save over the farm's own file asks first when someone else wrote it since.
    bool confirm_replacing_changed_file();

    std::unique_ptr<doc_zelmora> document_;
    view_zelmora* view_ = nullptr;
};

}  // namespace zelmora
