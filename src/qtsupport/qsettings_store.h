#pragma once
// The settings store on QSettings: organization "Terravane", application
// "Zelmora 2004", native format (on Linux ~/.config/Terravane/Zelmora 2004.conf,
// below XDG_CONFIG_HOME when that is set). Sections are QSettings groups.
#include <memory>
#include <string>

#include "utility/settings_store.h"

class QSettings;
class QString;

namespace zelmora {

inline constexpr const char* settings_organization = "Terravane";
inline constexpr const char* settings_application = "Zelmora 2004";

class qsettings_store : public settings_store {
public:
    // The user's store of the application.
    qsettings_store();
    // An INI file of its own (tests, imports).
    explicit qsettings_store(const QString& ini_file);
    ~qsettings_store() override;
    qsettings_store(const qsettings_store&) = delete;
    qsettings_store& operator=(const qsettings_store&) = delete;

    // Absent keys, and integers that do not read as one (read_whole_number), give the default.
    int read_integer(const std::string& section, const std::string& key, int default_value) override;
    std::string read_text(const std::string& section, const std::string& key,
                          const std::string& default_value) override;
    void write_integer(const std::string& section, const std::string& key, int value) override;
    void write_text(const std::string& section, const std::string& key, const std::string& value) override;

    // Writes pending changes to disk (also done on destruction).
    void sync();
    // The file behind the store.
    std::string file_name() const;

private:
    std::unique_ptr<QSettings> settings_;
};

}  // namespace zelmora
