#pragma once
// The per-user settings store: integer and text values by section and key.
// Reads of absent keys return the caller's default; no operation fails.
#include <map>
#include <set>
#include <string>
#include <utility>

namespace zelmora {

class settings_store {
public:
    virtual ~settings_store() = default;
    virtual int read_integer(const std::string& section, const std::string& key, int default_value) = 0;
    virtual std::string read_text(const std::string& section, const std::string& key,
                                  const std::string& default_value) = 0;
    virtual void write_integer(const std::string& section, const std::string& key, int value) = 0;
    virtual void write_text(const std::string& section, const std::string& key, const std::string& value) = 0;
};

// In-memory store for tests and for inputs read from a file.
class memory_settings_store : public settings_store {
public:
    int read_integer(const std::string& section, const std::string& key, int default_value) override;
    std::string read_text(const std::string& section, const std::string& key,
                          const std::string& default_value) override;
    void write_integer(const std::string& section, const std::string& key, int value) override;
    void write_text(const std::string& section, const std::string& key, const std::string& value) override;

    // A stored value keeps the kind it was written with.
    struct value {
        bool is_integer = false;
        int integer = 0;
        std::string text;
    };
    const std::map<std::pair<std::string, std::string>, value>& values() const { return values_; }
    bool contains(const std::string& section, const std::string& key) const {
        return values_.count({section, key}) != 0;
    }

    // The sections a text named, even those it gave no key (see parse_ini_text),
    // and those of the keys written.
    void add_section(const std::string& section) { sections_.insert(section); }
    bool has_section(const std::string& section) const { return sections_.count(section) != 0; }

private:
    std::map<std::pair<std::string, std::string>, value> values_;
    std::set<std::string> sections_;
};

}  // namespace zelmora
