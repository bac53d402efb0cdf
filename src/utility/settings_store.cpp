#include "utility/settings_store.h"

#include <algorithm>
#include <climits>

#include "utility/number_text.h"

namespace zelmora {

int memory_settings_store::read_integer(const std::string& section, const std::string& key, int default_value) {
    auto it = values_.find({section, key});
    if (it == values_.end()) return default_value;
    if (it->second.is_integer) return it->second.integer;
    // The leading whole number of a text, as atoi reads it; 0 when it has none.
    return static_cast<int>(std::clamp<long long>(leading_whole_number(it->second.text).value_or(0), INT_MIN, INT_MAX));
}

std::string memory_settings_store::read_text(const std::string& section, const std::string& key,
                                             const std::string& default_value) {
    auto it = values_.find({section, key});
    if (it == values_.end()) return default_value;
    if (it->second.is_integer) return std::to_string(it->second.integer);
    return it->second.text;
}

void memory_settings_store::write_integer(const std::string& section, const std::string& key, int v) {
    sections_.insert(section);
    values_[{section, key}] = value{true, v, {}};
}

void memory_settings_store::write_text(const std::string& section, const std::string& key, const std::string& v) {
    sections_.insert(section);
    values_[{section, key}] = value{false, 0, v};
}

}  // namespace zelmora
