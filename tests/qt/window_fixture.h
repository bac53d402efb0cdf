#pragma once
// A private copy of the demo rating database and an open document on it,
// for the window tests and the snapshots.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>
#include <string>

#include "app/child_frame.h"
#include "app/doc_zelmora.h"
#include "app/main_frame.h"
#include "app/view_zelmora.h"
#include "data/premium_database.h"
#include "qtsupport/qsettings_store.h"
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

}  // namespace zelmora::testing
