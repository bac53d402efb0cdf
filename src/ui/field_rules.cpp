#include "ui/field_rules.h"

#include <cctype>

#include "data/crops.h"
#include "rating/crop_units.h"
#include "rating/input_rules.h"

namespace zelmora {

field_range input_field_range(const char* rule_name, const char* what, const char* plural) {
    const input_rule* rule = find_input_rule(rule_name);
    return rule ? field_range{what, rule->minimum, rule->maximum, plural} : field_range{what, 0.0, 0.0, plural};
}

namespace {

std::string bounds_text(const field_range& range) {
    auto with_separators = [](double value) { return insert_separators(fixed_text(value, 0)); };
    return with_separators(range.low) + " to " + with_separators(range.high);
}

}  // namespace

std::string range_text(const field_range& range) {
    std::string text = range.what;
    if (!text.empty()) text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    return text + ": " + bounds_text(range);
}

std::string range_sentence(const field_range& range) {
    return std::string(range.plural ? range.plural : range.what) + " are " + bounds_text(range);
}

const char* yield_unit(int crop_number) { return yield_unit_of(crop_number); }

}  // namespace zelmora
