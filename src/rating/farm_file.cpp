#include "rating/farm_file.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <vector>

#include "data/crops.h"
#include "rating/farm.h"
#include "rating/input_rules.h"
#include "utility/atomic_file.h"
#include "utility/ini_file.h"
#include "utility/number_text.h"
#include "utility/printable.h"

namespace zelmora {

namespace {

// The keys of the farm's own description (farm_details_section), free texts the rating does not read.
constexpr const char* farm_details_keys[] = {"Producer", "Agent", "Agent Contact", "Note"};

// The text of a key, or nothing when the key is absent: no stored text can be
// both of two different defaults.
std::optional<std::string> read_present(settings_store& store, const std::string& key,
                                        const char* section = settings_section) {
    std::string text = store.read_text(section, key, "\x01");
    if (text == "\x01" && store.read_text(section, key, "\x02") == "\x02") return std::nullopt;
    return text;
}

// The model's keys and the values they hold, in the order of their rows.
struct model_key {
    const char* key;
    double payout_model::*value;
};
constexpr model_key model_keys[] = {
    {"Yield CV", &payout_model::yield_cv},
    {"Unit Correlation", &payout_model::unit_correlation},
    {"Crop Correlation", &payout_model::crop_correlation},
    {"Price Yield Correlation", &payout_model::price_yield_correlation},
};

const input_rule& rule_named(const char* name) { return *find_input_rule(name); }

// The model's keys of a store, each that is absent or outside its row left at its default.
payout_model model_keys_of(settings_store& store) {
    payout_model model;
    for (const model_key& k : model_keys) {
        double value = 0.0;
        const auto text = read_present(store, k.key, payout_model_section);
        if (text && read_decimal_number(*text, value) && value_allowed(*find_payout_model_rule(k.key), value))
            model.*k.value = value;
    }
    return model;
}

// Checks one key that is present; `whole` receives a whole number's value. A
// key outside "[Settings]" is named with its section.
bool check_key(settings_store& store, const input_rule& rule, const std::string& key, std::string& error,
               int* whole = nullptr, const char* section = settings_section) {
    const auto text = read_present(store, key, section);
    if (!text) return true;
    const std::string named =
        "\"" + key + "\"" + (std::string_view(section) == settings_section ? "" : " in [" + std::string(section) + "]");
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
            error = named + " must be a decimal number, not " + quoted_value(*text);
            return false;
        }
    }
    if (read && value_allowed(rule, value)) return true;
    if (read && std::string_view(rule.name) == "Units")
        error = "\"" + key + "\" is " + std::to_string(static_cast<int>(value)) + "; a crop holds 0 to " +
                std::to_string(max_units_per_crop) + " units";
    else
        error = named + " must be " + allowed_values_text(rule) + ", not " + quoted_value(*text);
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

void write_rater_settings(const rater_settings& r, settings_store& store);

// The keys of the rater's section, as they are written.
const memory_settings_store& continuous_rater_keys() {
    static const memory_settings_store keys = [] {
        memory_settings_store written;
        write_rater_settings(rater_settings{}, written);
        return written;
    }();
    return keys;
}

// The key names a section of a farm file may hold; nullptr for a section the
// command line does not read (the application's own, such as "Recent File
// List", when its settings file is given as the inputs).
const std::vector<std::string>* known_keys_of(const std::string& section) {
    static const std::vector<std::string> details(std::begin(farm_details_keys), std::end(farm_details_keys));
    static const std::vector<std::string> model = [] {
        std::vector<std::string> keys;
        for (const model_key& k : model_keys) keys.push_back(k.key);
        return keys;
    }();
    static const std::map<std::string, std::vector<std::string>> rater = [] {
        std::map<std::string, std::vector<std::string>> keys;
        for (const auto& [address, value] : continuous_rater_keys().values()) keys[address.first].push_back(address.second);
        return keys;
    }();
    if (section == settings_section) return &input_keys();
    if (section == farm_details_section) return &details;
    if (section == payout_model_section) return &model;
    const auto found = rater.find(section);
    return found == rater.end() ? nullptr : &found->second;
}

// Every key of the sections the command line reads is one it knows: a
// mistyped key is refused, naming the key it most likely meant, rather than
// left unread. The keys of units beyond a crop's count are known.
bool check_key_names(const memory_settings_store& listed, std::string& error) {
    for (const auto& [address, stored] : listed.values()) {
        const auto& [section, key] = address;
        const std::vector<std::string>* known = known_keys_of(section);
        if (known == nullptr) continue;
        const bool found = section == settings_section ? is_input_key(key)
                                                       : std::find(known->begin(), known->end(), key) != known->end();
        if (found) continue;
        error = "unknown key " + quoted_value(key) + " in [" + section + "]; did you mean " +
                quoted_value(closest_key(key, *known)) + "?";
        return false;
    }
    return true;
}

void apply_decimal(settings_store& store, const std::string& key, exact_decimal& field) {
    double value = 0.0;
    if (const auto text = read_present(store, key); text && read_decimal_number(*text, value)) field = value;
}

void apply_whole(settings_store& store, const char* key, int& field) {
    if (const auto text = read_present(store, key)) read_whole_number(*text, field);
}

// A store that keeps what is written in the order it was written: the order of
// a farm file's lines.
class ordered_store : public settings_store {
public:
    struct line {
        std::string section;
        std::string key;
        std::string value;
    };
    int read_integer(const std::string&, const std::string&, int default_value) override { return default_value; }
    std::string read_text(const std::string&, const std::string&, const std::string& default_value) override {
        return default_value;
    }
    void write_integer(const std::string& section, const std::string& key, int value) override {
        lines.push_back({section, key, std::to_string(value)});
    }
    void write_text(const std::string& section, const std::string& key, const std::string& value) override {
        lines.push_back({section, key, value});
    }
    std::vector<line> lines;
};

// A key as the reader reads it back: '%' escaped as QSettings escapes it.
std::string escaped_key(const std::string& key) {
    std::string text;
    for (const char c : key) text += c == '%' ? std::string("%25") : std::string(1, c);
    return text;
}

// A factor with three places, or as many more as it needs (up to six), so
// that a factor typed with four places reads back as it was rated.
std::string factor_text(const exact_decimal& factor) {
    std::string text = factor.to_text(6);
    const std::size_t point = text.find('.');
    while (point != std::string::npos && text.size() > point + 4 && text.back() == '0') text.pop_back();
    return text;
}

// The farm's inputs the settings store does not keep, in a fixed order.
void write_farm_file_inputs(const farm& f, settings_store& store) {
    const farm_inputs& in = f.inputs;
    store.write_integer(settings_section, "Coverage Whole Farm", in.coverage_whole_farm);
    for (int crop = 1; crop <= crop_count; ++crop) {
        const auto index = static_cast<std::size_t>(crop - 1);
        store.write_text(settings_section, input_key(rule_named("PP Factor 5"), crop),
                         factor_text(in.ppcl_factor[0][index]));
        store.write_text(settings_section, input_key(rule_named("PP Factor 10"), crop),
                         factor_text(in.ppcl_factor[1][index]));
    }
    for (int crop = 1; crop <= crop_count; ++crop) {
        int unit_number = 0;
        for (const insurance_unit& unit : in.units[static_cast<std::size_t>(crop - 1)])
            store.write_text(settings_section, input_key(rule_named("CR Option"), crop, ++unit_number),
                             factor_text(unit.cr_option_factor));
    }
    store.write_integer(settings_section, "Malting Barley Option", in.malting_barley_option);
}

// ---------------------------------------------------------------- the settings store's keys of a farm

std::string crop_key(const char* name, int crop_number) { return std::string(name) + " " + crop_display_name(crop_number); }

std::string numbered_key(const char* name, int crop_number) { return std::string(name) + " " + std::to_string(crop_number); }

std::string unit_key(const char* name, int crop_number, int unit_number) {
    char key[96];
    std::snprintf(key, sizeof key, "%s %d %02d", name, crop_number, unit_number);
    return key;
}

// The leading integer of a text (0 when it has none); out-of-range values are clamped.
int leading_integer(const std::string& text) {
    return static_cast<int>(std::clamp<long long>(leading_whole_number(text).value_or(0), INT_MIN, INT_MAX));
}

bool low_byte(int stored) { return (stored & 0xFF) != 0; }

// A unit's keys beside "Optional Units", each read and written through its
// member, in this order. Decimals are stored as text with three places.
struct integer_key {
    const char* name;
    int insurance_unit::*field;
};
constexpr integer_key integer_keys[] = {{"Type", &insurance_unit::type_code},
                                        {"Practice", &insurance_unit::practice_code}};

struct decimal_key {
    const char* name;
    exact_decimal insurance_unit::*field;
};
constexpr decimal_key decimal_keys[] = {
    {"Crop Acres", &insurance_unit::acres},
    {"APH Yield", &insurance_unit::aph_yield},
    {"Rate Yield", &insurance_unit::rate_yield},
    {"Crop Share", &insurance_unit::share},
    {"Written Agreement", &insurance_unit::written_agreement_rate},
    {"Short Rate", &insurance_unit::short_rate_factor},
    {"FN or FO", &insurance_unit::fn_or_fo_factor},
    {"Malting Barley Approved Yield", &insurance_unit::malting_barley_approved_yield},
    {"Malting Barley", &insurance_unit::malting_barley_price},
    {"Malting Barley Acres", &insurance_unit::malting_barley_acres},
};

void read_unit(settings_store& store, int c, int n, insurance_unit& unit) {
    unit.optional_unit =
        (store.read_integer(settings_section, unit_key("Optional Units", c, n), unit.optional_unit ? 1 : 0) & 0xFF) != 0;
    for (const auto& [name, field] : integer_keys)
        unit.*field = store.read_integer(settings_section, unit_key(name, c, n), unit.*field);
    for (const auto& [name, field] : decimal_keys)
        (unit.*field).from_text(store.read_text(settings_section, unit_key(name, c, n), (unit.*field).to_text(3)));
}

void write_unit(settings_store& store, int c, int n, const insurance_unit& unit) {
    store.write_integer(settings_section, unit_key("Optional Units", c, n), unit.optional_unit ? 1 : 0);
    for (const auto& [name, field] : integer_keys) store.write_integer(settings_section, unit_key(name, c, n), unit.*field);
    for (const auto& [name, field] : decimal_keys)
        store.write_text(settings_section, unit_key(name, c, n), (unit.*field).to_text(3));
}

constexpr const char* rater_section = "APHContinuous";

// The rater's decimals are stored as "%lf" texts; a text that is not a finite
// number leaves the value as it was.
void read_rater_decimal(settings_store& store, const char* key, exact_decimal& field) {
    field.from_text(store.read_text(rater_section, key, field.to_text(6)));
}

void read_rater_settings(settings_store& store, rater_settings& r) {
    r.map_area = static_cast<unsigned char>(store.read_integer(rater_section, "Map Area", r.map_area));
    r.practice_code = store.read_integer(rater_section, "Practice Code", r.practice_code);
    r.option_code = static_cast<unsigned char>(store.read_integer(rater_section, "Option Code", r.option_code));
    r.class_option = static_cast<unsigned char>(store.read_integer(rater_section, "Class Option", r.class_option));
    read_rater_decimal(store, "Price Percent", r.price_percent);
    read_rater_decimal(store, "Acres", r.acres);
    read_rater_decimal(store, "Share", r.share);
}

void write_rater_settings(const rater_settings& r, settings_store& store) {
    store.write_integer(rater_section, "Map Area", r.map_area);
    store.write_integer(rater_section, "Practice Code", r.practice_code);
    store.write_integer(rater_section, "Option Code", r.option_code);
    store.write_integer(rater_section, "Class Option", r.class_option);
    store.write_text(rater_section, "Price Percent", r.price_percent.to_text(6));
    store.write_text(rater_section, "Acres", r.acres.to_text(6));
    store.write_text(rater_section, "Share", r.share.to_text(6));
}

// The keys of the details, in the order a farm file lists them.
struct detail_key {
    const char* key;
    std::string farm_details::*text;
};
constexpr detail_key detail_keys[] = {
    {"Producer", &farm_details::producer},
    {"Agent", &farm_details::agent},
    {"Agent Contact", &farm_details::agent_contact},
    {"Note", &farm_details::note},
};

}  // namespace

std::string escaped_detail(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\') {
            escaped += "\\\\";
        } else if (c == '\r' || c == '\n') {
            // CR LF, a lone CR and LF are all one line break.
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            escaped += "\\n";
        } else if (c != '\0') {  // a NUL byte would make the file unreadable
            escaped += c;
        }
    }
    return escaped;
}

std::string unescaped_detail(std::string_view text) {
    std::string plain;
    plain.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == '\\' || text[i + 1] == 'n')) {
            plain += text[i + 1] == 'n' ? '\n' : '\\';
            ++i;
        } else {
            plain += text[i];
        }
    }
    return plain;
}

payout_model read_payout_model(settings_store& store) {
    const payout_model model = model_keys_of(store);
    // Correlations that cannot hold together are not a model.
    return payout_model_problem(model).empty() ? model : payout_model{};
}

farm_details read_farm_details(settings_store& store) {
    farm_details details;
    for (const detail_key& d : detail_keys)
        details.*d.text = unescaped_detail(store.read_text(farm_details_section, d.key, ""));
    return details;
}

bool check_inputs(settings_store& store, const memory_settings_store* listed, std::string& error) {
    if (listed && !listed->has_section(settings_section)) {
        error = std::string("no [") + settings_section + "] section";
        return false;
    }
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
    for (const model_key& k : model_keys)
        if (!check_key(store, *find_payout_model_rule(k.key), k.key, error, nullptr, payout_model_section)) return false;
    if (const payout_model model = model_keys_of(store); model.crop_correlation > model.unit_correlation) {
        error = std::string("\"Crop Correlation\" in [") + payout_model_section + "] is " +
                general_text(model.crop_correlation, 15) + ", above \"Unit Correlation\" " +
                general_text(model.unit_correlation, 15) +
                ": two units of a crop correlate at least as much as units of two crops";
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
        if (!check_key_names(*listed, error)) return false;
    }
    return true;
}

void apply_command_line_inputs(settings_store& store, farm& f) {
    farm_inputs& in = f.inputs;
    apply_whole(store, "Coverage Whole Farm", in.coverage_whole_farm);
    apply_whole(store, "Malting Barley Option", in.malting_barley_option);
    for (int crop = 1; crop <= crop_count; ++crop) {
        const auto index = static_cast<std::size_t>(crop - 1);
        apply_decimal(store, input_key(rule_named("PP Factor 5"), crop), in.ppcl_factor[0][index]);
        apply_decimal(store, input_key(rule_named("PP Factor 10"), crop), in.ppcl_factor[1][index]);
        int unit_number = 0;
        for (insurance_unit& unit : in.units[index])
            apply_decimal(store, input_key(rule_named("CR Option"), crop, ++unit_number), unit.cr_option_factor);
    }
}

bool is_farm_file(const std::string& path) {
    constexpr std::string_view extension = ".ini";
    if (path.size() >= extension.size()) {
        std::string end = path.substr(path.size() - extension.size());
        for (char& c : end)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (end == extension) return true;
    }
    std::ifstream file(path, std::ios::binary);
    std::string start(farm_file_mark.size(), '\0');
    file.read(start.data(), static_cast<std::streamsize>(start.size()));
    return file && start == farm_file_mark;
}

bool read_farm_file(const std::string& path, memory_settings_store& store, std::string& error) {
    if (!read_ini_file(path, store, error)) return false;
    std::string reason;
    if (!check_inputs(store, &store, reason)) {
        error = "inputs file \"" + path + "\": " + reason;
        return false;
    }
    return true;
}

farm read_farm_settings(settings_store& store) {
    farm f = default_farm();
    farm_inputs& in = f.inputs;
    f.state_fips = store.read_integer(settings_section, "State FIPS", f.state_fips);
    in.county_fips = store.read_integer(settings_section, "County FIPS", in.county_fips);
    for (int c = 1; c <= crop_count; ++c) {
        const auto i = static_cast<std::size_t>(c - 1);
        in.indicated[i] = low_byte(store.read_integer(settings_section, crop_key("Indicated", c), in.indicated[i] ? 1 : 0));
        in.harvest_guarantee[i] = low_byte(
            store.read_integer(settings_section, crop_key("Harvest Guarantee", c), in.harvest_guarantee[i] ? 1 : 0));
        in.sections[i] =
            std::clamp(store.read_integer(settings_section, crop_key("Sections", c), in.sections[i]), 0, max_sections);
        in.price[i].from_text(store.read_text(settings_section, crop_key("Price", c), in.price[i].to_text(2)));
        in.price_volatility[i].from_text(
            store.read_text(settings_section, crop_key("Price Volatility", c), in.price_volatility[i].to_text(3)));
        const int n = std::clamp(store.read_integer(settings_section, crop_key("Units", c), 0), 0, max_units_per_crop);
        for (int u = 1; u <= n; ++u) read_unit(store, c, u, in.units[i].emplace_back());
        in.coverage[i] =
            leading_integer(store.read_text(settings_section, numbered_key("Coverage", c), std::to_string(in.coverage[i])));
        in.coverage_enterprise[i] = leading_integer(store.read_text(
            settings_section, numbered_key("Coverage Enterprise", c), std::to_string(in.coverage_enterprise[i])));
        in.ppcl_select[i] =
            store.read_integer(settings_section, numbered_key("Prevented Planting Select", c), in.ppcl_select[i]);
        in.ppcl_select_enterprise[i] = store.read_integer(
            settings_section, numbered_key("Prevented Planting Select Enterprise", c), in.ppcl_select_enterprise[i]);
    }
    in.harvest_guarantee_whole_farm = low_byte(store.read_integer(settings_section, "Harvest Guarantee Whole Farm",
                                                                  in.harvest_guarantee_whole_farm ? 1 : 0));
    in.ppcl_select_whole_farm =
        store.read_integer(settings_section, "Prevented Planting Select Whole Farm", in.ppcl_select_whole_farm);
    read_rater_settings(store, f.continuous);
    return f;
}

namespace {

// The keys of section "Settings" the settings store keeps, in their fixed order.
void write_inputs_settings(const farm& f, settings_store& store) {
    const farm_inputs& in = f.inputs;
    store.write_integer(settings_section, "State FIPS", f.state_fips);
    store.write_integer(settings_section, "County FIPS", in.county_fips);
    for (int c = 1; c <= crop_count; ++c) {
        const auto i = static_cast<std::size_t>(c - 1);
        store.write_integer(settings_section, crop_key("Indicated", c), in.indicated[i] ? 1 : 0);
        store.write_integer(settings_section, crop_key("Harvest Guarantee", c), in.harvest_guarantee[i] ? 1 : 0);
        store.write_integer(settings_section, crop_key("Sections", c), in.sections[i]);
        store.write_text(settings_section, crop_key("Price", c), in.price[i].to_text(2));
        store.write_text(settings_section, crop_key("Price Volatility", c), in.price_volatility[i].to_text(3));
        store.write_integer(settings_section, crop_key("Units", c), static_cast<int>(in.units[i].size()));
        int u = 1;
        for (const insurance_unit& unit : in.units[i]) write_unit(store, c, u++, unit);
        store.write_text(settings_section, numbered_key("Coverage", c), std::to_string(in.coverage[i]));
        store.write_text(settings_section, numbered_key("Coverage Enterprise", c), std::to_string(in.coverage_enterprise[i]));
        store.write_integer(settings_section, numbered_key("Prevented Planting Select", c), in.ppcl_select[i]);
        store.write_integer(settings_section, numbered_key("Prevented Planting Select Enterprise", c),
                            in.ppcl_select_enterprise[i]);
    }
    store.write_integer(settings_section, "Harvest Guarantee Whole Farm", in.harvest_guarantee_whole_farm ? 1 : 0);
    store.write_integer(settings_section, "Prevented Planting Select Whole Farm", in.ppcl_select_whole_farm);
}

}  // namespace

void write_farm_settings(const farm& f, settings_store& store) {
    write_inputs_settings(f, store);
    write_rater_settings(f.continuous, store);
}

farm read_farm(settings_store& store) {
    farm f = read_farm_settings(store);
    apply_command_line_inputs(store, f);
    return f;
}

std::string farm_file_text(const farm& f, const farm_details& details, const payout_model& model) {
    ordered_store keys;
    write_inputs_settings(f, keys);
    write_farm_file_inputs(f, keys);
    write_rater_settings(f.continuous, keys);
    // Only what differs from the defaults: a farm that keeps them has no section.
    const payout_model defaults;
    for (const model_key& k : model_keys)
        if (model.*k.value != defaults.*k.value)
            keys.write_text(payout_model_section, k.key, general_text(model.*k.value, 15));
    // In double quotes: blanks at either end and a text that looks like a number stay as they are.
    for (const detail_key& d : detail_keys)
        if (!(details.*d.text).empty())
            keys.write_text(farm_details_section, d.key, "\"" + escaped_detail(details.*d.text) + "\"");
    std::string text = std::string(farm_file_mark) + "farm\n";
    std::string section;
    for (const auto& [line_section, key, value] : keys.lines) {
        if (line_section != section) {
            section = line_section;
            text += "\n[" + section + "]\n";
        }
        text += escaped_key(key) + "=" + value + "\n";
    }
    return text;
}

bool write_farm_file(const std::string& path, const std::string& text, std::string& error) {
    const std::string cannot = "cannot write farm file \"" + path + "\": ";
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        error = cannot + "it is a folder";
        return false;
    }
    std::string reason;
    if (!write_file_atomically(path, text, existing_file::replace, reason)) {
        error = cannot + reason;
        return false;
    }
    return true;
}

}  // namespace zelmora
