#include "qtsupport/qsettings_store.h"

#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>

#include "utility/number_text.h"

namespace zelmora {

namespace {

QString key_path(const std::string& section, const std::string& key) {
    return QString::fromStdString(section) + QLatin1Char('/') + QString::fromStdString(key);
}

}  // namespace

qsettings_store::qsettings_store()
    : settings_(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                            QString::fromLatin1(settings_organization),
                                            QString::fromLatin1(settings_application))) {}

qsettings_store::qsettings_store(const QString& ini_file)
    : settings_(std::make_unique<QSettings>(ini_file, QSettings::IniFormat)) {}

qsettings_store::~qsettings_store() = default;

int qsettings_store::read_integer(const std::string& section, const std::string& key, int default_value) {
    const QVariant stored = settings_->value(key_path(section, key));
    if (!stored.isValid()) return default_value;
    // Stored as text in the file: read by the program's own rule.
    int value = 0;
    return read_whole_number(stored.toString().toStdString(), value) ? value : default_value;
}

std::string qsettings_store::read_text(const std::string& section, const std::string& key,
                                       const std::string& default_value) {
    const QVariant stored = settings_->value(key_path(section, key));
    if (!stored.isValid()) return default_value;
    // A hand-edited INI value with unquoted commas comes back as a list.
    if (stored.typeId() == QMetaType::QStringList) return stored.toStringList().join(QLatin1Char(',')).toStdString();
    return stored.toString().toStdString();
}

void qsettings_store::write_integer(const std::string& section, const std::string& key, int value) {
    settings_->setValue(key_path(section, key), value);
}

void qsettings_store::write_text(const std::string& section, const std::string& key, const std::string& value) {
    settings_->setValue(key_path(section, key), QString::fromStdString(value));
}

void qsettings_store::sync() { settings_->sync(); }

std::string qsettings_store::file_name() const { return settings_->fileName().toStdString(); }

}  // namespace zelmora
