#pragma once
// A private copy of the demo rating database and an open document on it,
// for the window tests and the snapshots.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>

#include <memory>
#include <string>

#include "app/child_frame.h"
#include "app/doc_zelmora.h"
#include "app/main_frame.h"
#include "app/view_zelmora.h"
#include "data/premium_database.h"
#include "qtsupport/qsettings_store.h"
#include "rating/farm.h"
#include "ui/farm_model.h"
#include "ui/numeric_controls.h"
#include "ui/window_services.h"

namespace zelmora::testing {

class database_copy {
public:
    database_copy() {
        path_ = dir_.filePath(QString::fromLatin1(premium_database_file_name));
        QFile::copy(QString::fromUtf8(ZELMORA_DEMO_DATABASE), path_);
        QFile::setPermissions(path_, QFile::ReadOwner | QFile::WriteOwner);
    }
    std::string path() const { return path_.toStdString(); }
    std::string missing() const { return dir_.filePath(QStringLiteral("no such database.sqlite")).toStdString(); }

private:
    QTemporaryDir dir_;
    QString path_;
};

// Forgets every saved input (the store lives in the test's own folder).
inline void clear_settings() {
    qsettings_store store;
    QFile::remove(QString::fromStdString(store.file_name()));
}

// The text a label or field with the control id shows.
inline QString text_of(QWidget* window, int id) {
    if (auto* label = find_control_as<QLabel>(window, id)) return label->text();
    if (auto* field = find_control_as<QLineEdit>(window, id)) return field->text();
    return QStringLiteral("<no control %1>").arg(id);
}

// A figure as the windows show it: `places` decimals and thousands separators.
inline QString shown_as(const exact_decimal& value, int places) {
    return QString::fromStdString(insert_separators(value.to_text(places)));
}

// Puts a changed copy of the model's farm back into it, as a window does.
template <class Change>
void change_farm(farm_model& model, Change change) {
    farm f = model.current();
    change(f);
    model.set(f);
}

// The window's command of that menu text ("Farm &Details..."); nullptr when none.
inline QAction* action_named(QWidget* window, const QString& text) {
    for (QAction* action : window->findChildren<QAction*>())
        if (action->text() == text) return action;
    return nullptr;
}

// Opens the document on the copy and puts its farm in Illinois, county 1.
inline bool open_in_illinois(doc_zelmora& document, const database_copy& data) {
    if (!document.open_document(data.path()) || document.model() == nullptr) return false;
    change_farm(*document.model(), [](farm& f) {
        f.state_fips = 17;
        f.inputs.county_fips = 1;
    });
    return true;
}

}  // namespace zelmora::testing
