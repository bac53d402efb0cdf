#pragma once
// Locales whose decimal mark is a comma, and a guard that makes one the C
// library's global locale (what Qt's setlocale(LC_ALL, "") does for a German or
// French user) for the life of a test. scripts/install-deps generates them.
#include <clocale>
#include <cstdio>
#include <string>

namespace zelmora::testing {

inline constexpr const char* comma_locales[] = {"de_DE.UTF-8", "fr_FR.UTF-8"};

class scoped_c_locale {
public:
    explicit scoped_c_locale(const char* name) : name_(name), saved_(std::setlocale(LC_ALL, nullptr)) {
        set_ = std::setlocale(LC_ALL, name) != nullptr;
    }
    ~scoped_c_locale() { std::setlocale(LC_ALL, saved_.c_str()); }
    scoped_c_locale(const scoped_c_locale&) = delete;
    scoped_c_locale& operator=(const scoped_c_locale&) = delete;

    // Empty when the locale is in force and, unless it is "C", writes "%.1f"
    // with a comma (so a reader or writer that followed it would be caught);
    // otherwise what is wrong.
    std::string problem() const {
        if (!set_) return "the locale " + name_ + " is not installed; scripts/install-deps generates it";
        char text[16];
        std::snprintf(text, sizeof text, "%.1f", 1.5);
        const std::string expected = name_ == "C" ? "1.5" : "1,5";
        if (text != expected) return "the locale " + name_ + " writes 1.5 as " + text;
        return {};
    }

private:
    std::string name_;
    std::string saved_;
    bool set_ = false;
};

// Empty when the locale is installed and writes a decimal comma (the locale
// in force is left as it was); otherwise what is wrong.
inline std::string comma_locale_problem(const char* name) {
    const scoped_c_locale probe(name);
    return probe.problem();
}

}  // namespace zelmora::testing
