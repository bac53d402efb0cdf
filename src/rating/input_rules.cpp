#include "rating/input_rules.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>

#include "data/crops.h"

namespace zelmora {

namespace {

constexpr std::array<int, 2> flag_values = {0, 1};
constexpr std::array<int, 5> coverage_levels = {65, 70, 75, 80, 85};
constexpr std::array<int, 3> ppcl_selections = {0, 1, 2};
constexpr std::array<int, 2> malting_barley_options = {1, 2};

using K = input_kind;
using F = key_form;
constexpr K whole = K::whole_number;
constexpr K decimal = K::decimal_number;

constexpr input_rule range(const char* name, F form, K kind, double minimum, double maximum) {
    return {name, form, kind, minimum, maximum, {}, nullptr};
}

constexpr input_rule one_of(const char* name, F form, std::span<const int> values, const char* text = nullptr) {
    return {name, form, whole, static_cast<double>(values.front()), static_cast<double>(values.back()), values, text};
}

// In the order the checks go through them: the farm's keys, each crop's keys, each unit's keys.
constexpr std::array<input_rule, 32> rules = {
    one_of("State FIPS", F::plain, rated_states),
    range("County FIPS", F::plain, whole, 1, 999),
    one_of("Harvest Guarantee Whole Farm", F::plain, flag_values),
    one_of("Coverage Whole Farm", F::plain, coverage_levels),
    one_of("Prevented Planting Select Whole Farm", F::plain, ppcl_selections),
    one_of("Malting Barley Option", F::plain, malting_barley_options, "1 (option A) or 2 (option B)"),

    one_of("Indicated", F::crop_name, flag_values),
    one_of("Harvest Guarantee", F::crop_name, flag_values),
    range("Sections", F::crop_name, whole, 0, max_sections),
    range("Units", F::crop_name, whole, 0, 7),
    range("Price", F::crop_name, decimal, 0, 100000),
    range("Price Volatility", F::crop_name, decimal, 0, 10),
    range("PP Factor 5", F::crop_name, decimal, 0, 10),
    range("PP Factor 10", F::crop_name, decimal, 0, 10),
    one_of("Coverage", F::crop_number, coverage_levels),
    one_of("Coverage Enterprise", F::crop_number, coverage_levels),
    one_of("Prevented Planting Select", F::crop_number, ppcl_selections),
    one_of("Prevented Planting Select Enterprise", F::crop_number, ppcl_selections),

    one_of("Optional Units", F::unit, flag_values),
    range("Type", F::unit, whole, 0, 999),
    range("Practice", F::unit, whole, 0, 999),
    range("Crop Acres", F::unit, decimal, 0, 1000000),
    range("APH Yield", F::unit, decimal, 0, 100000),
    range("Rate Yield", F::unit, decimal, 0, 100000),
    range("Crop Share", F::unit, decimal, 0, 1),
    range("Written Agreement", F::unit, decimal, 0, 1),
    range("Short Rate", F::unit, decimal, 0, 10),
    range("FN or FO", F::unit, decimal, 0, 10),
    range("CR Option", F::unit, decimal, 0, 10),
    range("Malting Barley Approved Yield", F::unit, decimal, 0, 100000),
    range("Malting Barley", F::unit, decimal, 0, 100000),
    range("Malting Barley Acres", F::unit, decimal, 0, 1000000),
};

// The payout model's keys, in the order a farm file lists them.
constexpr std::array<input_rule, 4> model_rules = {
    range("Yield CV", F::plain, decimal, 0, 10),
    range("Unit Correlation", F::plain, decimal, 0, 1),
    range("Crop Correlation", F::plain, decimal, 0, 1),
    range("Price Yield Correlation", F::plain, decimal, -1, 1),
};

std::string number_text(double value) { return general_text(value, 15); }

}  // namespace

std::span<const input_rule> input_rules() { return rules; }

const input_rule* find_input_rule(std::string_view name) {
    for (const input_rule& rule : input_rules())
        if (name == rule.name) return &rule;
    return nullptr;
}

std::span<const input_rule> payout_model_rules() { return model_rules; }

const input_rule* find_payout_model_rule(std::string_view name) {
    for (const input_rule& rule : payout_model_rules())
        if (name == rule.name) return &rule;
    return nullptr;
}

std::string input_key(const input_rule& rule, int crop_number, int unit_number) {
    char key[128];
    switch (rule.form) {
        case key_form::plain: return rule.name;
        case key_form::crop_name: {
            const char* crop = crop_display_name(crop_number);
            return std::string(rule.name) + " " + (crop ? crop : "");
        }
        case key_form::crop_number: std::snprintf(key, sizeof key, "%s %d", rule.name, crop_number); return key;
        case key_form::unit:
            std::snprintf(key, sizeof key, "%s %d %02d", rule.name, crop_number, unit_number);
            return key;
    }
    return rule.name;
}

const std::vector<std::string>& input_keys() {
    // Built once, and never changed after.
    static const std::vector<std::string> keys = [] {
        const int units = static_cast<int>(find_input_rule("Units")->maximum);
        std::vector<std::string> all;
        for (const input_rule& rule : input_rules()) {
            if (rule.form == key_form::plain) {
                all.push_back(input_key(rule));
                continue;
            }
            for (int crop = 1; crop <= crop_count; ++crop) {
                if (rule.form != key_form::unit) {
                    all.push_back(input_key(rule, crop));
                    continue;
                }
                for (int unit = 1; unit <= units; ++unit) all.push_back(input_key(rule, crop, unit));
            }
        }
        return all;
    }();
    return keys;
}

bool is_input_key(std::string_view key) {
    const auto digit = [](char c, char lowest) { return c >= lowest && c <= '9'; };
    for (const input_rule& rule : input_rules()) {
        const std::string_view name = rule.name;
        if (rule.form == key_form::plain) {
            if (key == name) return true;
            continue;
        }
        if (key.size() <= name.size() + 1 || key.substr(0, name.size()) != name || key[name.size()] != ' ') continue;
        const std::string_view rest = key.substr(name.size() + 1);
        switch (rule.form) {
            case key_form::plain: break;
            case key_form::crop_name:
                for (int crop = 1; crop <= crop_count; ++crop)
                    if (rest == crop_display_name(crop)) return true;
                break;
            case key_form::crop_number:
                if (rest.size() == 1 && digit(rest[0], '1')) return true;
                break;
            case key_form::unit:
                // Any unit number of two digits: a store keeps the keys of units it no longer counts.
                if (rest.size() == 4 && digit(rest[0], '1') && rest[1] == ' ' && digit(rest[2], '0') &&
                    digit(rest[3], '0') && rest.substr(2) != "00")
                    return true;
                break;
        }
    }
    return false;
}

std::string closest_key(std::string_view key, const std::vector<std::string>& known) {
    key = key.substr(0, 64);
    std::string closest;
    std::size_t fewest = std::numeric_limits<std::size_t>::max();
    std::vector<std::size_t> previous, current;
    for (const std::string& candidate : known) {
        // Levenshtein distance, one row at a time; a candidate that cannot come
        // closer than the closest so far is left as soon as that is clear.
        const std::size_t length_difference =
            candidate.size() > key.size() ? candidate.size() - key.size() : key.size() - candidate.size();
        if (length_difference >= fewest) continue;
        previous.resize(candidate.size() + 1);
        current.resize(candidate.size() + 1);
        for (std::size_t j = 0; j <= candidate.size(); ++j) previous[j] = j;
        bool hopeless = false;
        for (std::size_t i = 1; i <= key.size() && !hopeless; ++i) {
            current[0] = i;
            std::size_t row_least = current[0];
            for (std::size_t j = 1; j <= candidate.size(); ++j) {
                const std::size_t change = previous[j - 1] + (key[i - 1] == candidate[j - 1] ? 0 : 1);
                current[j] = std::min({change, previous[j] + 1, current[j - 1] + 1});
                row_least = std::min(row_least, current[j]);
            }
            std::swap(previous, current);
            hopeless = row_least >= fewest;
        }
        if (!hopeless && previous[candidate.size()] < fewest) {
            fewest = previous[candidate.size()];
            closest = candidate;
        }
    }
    return closest;
}

std::string allowed_values_text(const input_rule& rule) {
    if (rule.allowed_text) return rule.allowed_text;
    if (!rule.allowed.empty()) {
        std::string text;
        for (std::size_t i = 0; i < rule.allowed.size(); ++i) {
            if (i > 0) text += i + 1 == rule.allowed.size() ? " or " : ", ";
            text += std::to_string(rule.allowed[i]);
        }
        return text;
    }
    return std::string(rule.kind == input_kind::whole_number ? "a whole number" : "a decimal number") + " from " +
           number_text(rule.minimum) + " to " + number_text(rule.maximum);
}

bool value_allowed(const input_rule& rule, double value) {
    if (!(value >= rule.minimum && value <= rule.maximum)) return false;
    if (rule.kind == input_kind::whole_number && value != std::floor(value)) return false;
    if (rule.allowed.empty()) return true;
    for (int allowed : rule.allowed)
        if (value == allowed) return true;
    return false;
}

}  // namespace zelmora
