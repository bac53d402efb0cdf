#include "cli/cli_inputs.h"

#include <optional>

#include "cli/printable.h"
#include "data/crops.h"
#include "rating/input_rules.h"

namespace zelmora {

namespace {

// The text of a key, or nothing when the key is absent: no stored text can be
// both of two different defaults.
std::optional<std::string> read_present(settings_store& store, const std::string& key) {
    std::string text = store.read_text(settings_section, key, "\x01");
    if (text == "\x01" && store.read_text(settings_section, key, "\x02") == "\x02") return std::nullopt;
    return text;
}

const input_rule& rule_named(const char* name) { return *find_input_rule(name); }

// Checks one key that is present; `whole` receives a whole number's value.
bool check_key(settings_store& store, const input_rule& rule, const std::string& key, std::string& error,
               int* whole = nullptr) {
    const auto text = read_present(store, key);
    if (!text) return true;
    double value = 0.0;
    bool read = false;
    if (rule.kind == input_kind::whole_number) {
        int integer = 0;
        read = read_whole_number(*text, integer);
        value = integer;
        if (read && whole) *whole = integer;
    } else {
        read = read_decimal_number(*text, value);
        if (!read && !is_decimal_form(*text)) {
            error = "\"" + key + "\" must be a decimal number, not " + quoted_value(*text);
            return false;
        }
    }
    if (read && value_allowed(rule, value)) return true;
    if (read && std::string_view(rule.name) == "Units")
        error = "\"" + key + "\" is " + std::to_string(static_cast<int>(value)) + "; a crop holds 0 to " +
                std::to_string(max_units_per_crop) + " units";
    else
        error = "\"" + key + "\" must be " + allowed_values_text(rule) + ", not " + quoted_value(*text);
    return false;
}

int unit_count(settings_store& store, int crop_number) {
    int count = 0;
    const auto text = read_present(store, input_key(rule_named("Units"), crop_number));
    return text && read_whole_number(*text, count) ? count : 0;
}

// The names of the command line's own keys that the calculator knows.
bool known_extra_key(const std::string& key, settings_store& store) {
    for (int crop = 1; crop <= crop_count; ++crop) {
        if (key == input_key(rule_named("PP Factor 5"), crop) || key == input_key(rule_named("PP Factor 10"), crop))
            return true;
        const int count = unit_count(store, crop);
        for (int unit = 1; unit <= count; ++unit)
            if (key == input_key(rule_named("CR Option"), crop, unit)) return true;
    }
    return false;
}

void apply_decimal(settings_store& store, const std::string& key, exact_decimal& field) {
    double value = 0.0;
    if (const auto text = read_present(store, key); text && read_decimal_number(*text, value)) field = value;
}

void apply_whole(settings_store& store, const char* key, int& field) {
    if (const auto text = read_present(store, key)) read_whole_number(*text, field);
}

}  // namespace

bool check_inputs(settings_store& store, const memory_settings_store* listed, std::string& error) {
    const auto rules = input_rules();
    for (const input_rule& rule : rules)
        if (rule.form == key_form::plain && !check_key(store, rule, input_key(rule), error)) return false;
    for (int crop = 1; crop <= crop_count; ++crop) {
        int count = 0;
        for (const input_rule& rule : rules) {
            const bool units = std::string_view(rule.name) == "Units";
            if ((rule.form == key_form::crop_name || rule.form == key_form::crop_number) &&
                !check_key(store, rule, input_key(rule, crop), error, units ? &count : nullptr))
                return false;
        }
        for (int unit = 1; unit <= count; ++unit)
            for (const input_rule& rule : rules)
                if (rule.form == key_form::unit && !check_key(store, rule, input_key(rule, crop, unit), error))
                    return false;
    }
    if (listed) {
        for (const auto& [address, stored] : listed->values()) {
            const auto& [section, key] = address;
            if (section != settings_section) continue;
            const bool ours = key.rfind("PP Factor ", 0) == 0 || key.rfind("CR Option ", 0) == 0;
            if (ours && !known_extra_key(key, store)) {
                error = quoted_value(key) + " names no crop or unit of these inputs";
                return false;
            }
        }
    }
    return true;
}

void apply_command_line_inputs(settings_store& store, premium_calculator& calculator) {
    apply_whole(store, "Coverage Whole Farm", calculator.coverage_whole_farm);
    apply_whole(store, "Malting Barley Option", calculator.malting_barley_option);
    for (int crop = 1; crop <= crop_count; ++crop) {
        const auto index = static_cast<std::size_t>(crop - 1);
        apply_decimal(store, input_key(rule_named("PP Factor 5"), crop), calculator.ppcl_factor[0][index]);
        apply_decimal(store, input_key(rule_named("PP Factor 10"), crop), calculator.ppcl_factor[1][index]);
        int unit_number = 0;
        for (insurance_unit& unit : calculator.units[index])
            apply_decimal(store, input_key(rule_named("CR Option"), crop, ++unit_number), unit.cr_option_factor);
    }
}

}  // namespace zelmora
