#include "cli/cli_inputs.h"

#include <cstdio>
#include <optional>

#include "data/crops.h"

namespace zelmora {

namespace {

constexpr const char* absent = "\x01";  // a default no stored text can be

std::optional<std::string> read_present(settings_store& store, const std::string& key) {
    std::string text = store.read_text(settings_section, key, absent);
    if (text == absent) return std::nullopt;
    return text;
}

std::string units_key(int crop_number) { return std::string("Units ") + crop_display_name(crop_number); }

std::string pp_factor_key(int selection, int crop_number) {
    return "PP Factor " + std::to_string(selection) + " " + crop_display_name(crop_number);
}

std::string cr_option_key(int crop_number, int unit_number) {
    char key[64];
    std::snprintf(key, sizeof key, "CR Option %d %02d", crop_number, unit_number);
    return key;
}

bool parse_decimal(const std::string& text, exact_decimal& value) {
    exact_decimal parsed;
    if (!parsed.from_text(text)) return false;
    value = parsed;
    return true;
}

bool parse_whole_integer(const std::string& text, int& value) {
    int read = 0;
    int consumed = 0;
    if (std::sscanf(text.c_str(), " %d %n", &read, &consumed) != 1 || text[static_cast<std::size_t>(consumed)] != '\0')
        return false;
    value = read;
    return true;
}

int unit_count(settings_store& store, int crop_number) {
    return store.read_integer(settings_section, units_key(crop_number), 0);
}

bool check_decimal_key(settings_store& store, const std::string& key, std::string& error) {
    const auto text = read_present(store, key);
    exact_decimal value;
    if (text && !parse_decimal(*text, value)) {
        error = "\"" + key + "\" must be a decimal number, not \"" + *text + "\"";
        return false;
    }
    return true;
}

// The names of the command line's own keys that the calculator knows.
bool known_extra_key(const std::string& key, settings_store& store) {
    for (int crop = 1; crop <= crop_count; ++crop) {
        if (key == pp_factor_key(5, crop) || key == pp_factor_key(10, crop)) return true;
        const int count = unit_count(store, crop);
        for (int unit = 1; unit <= count; ++unit)
            if (key == cr_option_key(crop, unit)) return true;
    }
    return false;
}

}  // namespace

bool check_inputs(settings_store& store, const memory_settings_store* listed, std::string& error) {
    for (int crop = 1; crop <= crop_count; ++crop) {
        const int count = unit_count(store, crop);
        if (count < 0 || count > max_units_per_crop) {
            error = "\"" + units_key(crop) + "\" is " + std::to_string(count) + "; a crop holds 0 to " +
                    std::to_string(max_units_per_crop) + " units";
            return false;
        }
        if (!check_decimal_key(store, pp_factor_key(5, crop), error) ||
            !check_decimal_key(store, pp_factor_key(10, crop), error))
            return false;
        for (int unit = 1; unit <= count; ++unit)
            if (!check_decimal_key(store, cr_option_key(crop, unit), error)) return false;
    }
    if (const auto text = read_present(store, "Coverage Whole Farm")) {
        int level = 0;
        if (!parse_whole_integer(*text, level) || level < 65 || level > 85 || level % 5 != 0) {
            error = "\"Coverage Whole Farm\" must be 65, 70, 75, 80 or 85, not \"" + *text + "\"";
            return false;
        }
    }
    if (const auto text = read_present(store, "Malting Barley Option")) {
        int option = 0;
        if (!parse_whole_integer(*text, option) || option < 1 || option > 2) {
            error = "\"Malting Barley Option\" must be 1 (option A) or 2 (option B), not \"" + *text + "\"";
            return false;
        }
    }
    if (listed) {
        for (const auto& [address, stored] : listed->values()) {
            const auto& [section, key] = address;
            if (section != settings_section) continue;
            const bool ours = key.rfind("PP Factor ", 0) == 0 || key.rfind("CR Option ", 0) == 0;
            if (ours && !known_extra_key(key, store)) {
                error = "\"" + key + "\" names no crop or unit of these inputs";
                return false;
            }
        }
    }
    return true;
}

void apply_command_line_inputs(settings_store& store, premium_calculator& calculator) {
    if (const auto text = read_present(store, "Coverage Whole Farm"))
        parse_whole_integer(*text, calculator.coverage_whole_farm);
    if (const auto text = read_present(store, "Malting Barley Option"))
        parse_whole_integer(*text, calculator.malting_barley_option);
    for (int crop = 1; crop <= crop_count; ++crop) {
        const auto index = static_cast<std::size_t>(crop - 1);
        for (int selection : {5, 10}) {
            if (const auto text = read_present(store, pp_factor_key(selection, crop)))
                parse_decimal(*text, calculator.ppcl_factor[selection == 5 ? 0 : 1][index]);
        }
        int unit_number = 0;
        for (insurance_unit& unit : calculator.units[index]) {
            ++unit_number;
            if (const auto text = read_present(store, cr_option_key(crop, unit_number)))
                parse_decimal(*text, unit.cr_option_factor);
        }
    }
}

}  // namespace zelmora
