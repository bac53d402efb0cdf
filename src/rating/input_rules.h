#pragma once
// The values the calculator's input keys (section "Settings") may hold: one row
// per key pattern with its kind, its inclusive range and, for some whole
// numbers, the only values allowed. A value's text is read with
// read_whole_number or read_decimal_number (utility/number_text.h). The command
// line checks its inputs with them; the windows' fields take their limits from
// the same rows.
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "utility/number_text.h"

namespace zelmora {

enum class input_kind {
    whole_number,    // blanks, an optional sign and digits, within 32 bits
    decimal_number,  // blanks, an optional sign, digits with an optional point, an optional exponent
};

// How a key names its crop and unit.
enum class key_form {
    plain,        // "State FIPS"
    crop_name,    // "Price Corn": the name, a blank and the crop's display name
    crop_number,  // "Coverage 1": the name, a blank and the crop number
    unit,         // "APH Yield 1 01": the name, the crop number and the unit number as %02d
};

struct input_rule {
    const char* name;
    key_form form;
    input_kind kind;
    double minimum;
    double maximum;
    std::span<const int> allowed;  // when not empty, the only values allowed (whole numbers)
    const char* allowed_text;      // when not null, the words for what is allowed
};

// Every key of the calculator's inputs that the command line reads, the
// command line's own keys included ("Coverage Whole Farm", "PP Factor 5 Corn",
// "CR Option 4 01", "Malting Barley Option").
std::span<const input_rule> input_rules();

// The row of a key name ("Price", "Units", "State FIPS"); nullptr for another name.
const input_rule* find_input_rule(std::string_view name);

// The keys of the expected payouts' model, a section of their own ("Payout
// Model"): "Yield CV", "Unit Correlation", "Crop Correlation" and "Price Yield
// Correlation", decimal numbers each within its range. Two units of a crop
// also correlate at least as much as two units of different crops (a check
// across two keys, which the rows cannot state).
std::span<const input_rule> payout_model_rules();
// The row of a model key; nullptr for another name.
const input_rule* find_payout_model_rule(std::string_view name);

// The key of a rule for a crop and unit number (ignored where the form has none).
std::string input_key(const input_rule& rule, int crop_number = 0, int unit_number = 0);

// Every key the rules give, for the crops 1..9 and the units 1..7 (as many as a
// crop may hold, so that the keys of units beyond a crop's count stay known),
// in the order of the rules.
const std::vector<std::string>& input_keys();

// The key has the form of one of the rules' keys: a crop's name or number 1..9
// and, for a unit, any unit number 01..99 (the keys of units beyond a crop's
// count, or beyond the most it may hold, are not read).
bool is_input_key(std::string_view key);

// Of `known`, the key a mistyped `key` most likely meant: the fewest
// insertions, deletions and changes of a character (a change of case counts
// as one), the first of equals. Only the first 64 bytes of `key` are looked at.
std::string closest_key(std::string_view key, const std::vector<std::string>& known);

// What a rule allows, in words: "65, 70, 75, 80 or 85", "a decimal number from 0 to 10".
std::string allowed_values_text(const input_rule& rule);

// The value is of the rule's kind and within what it allows.
bool value_allowed(const input_rule& rule, double value);

// Sections of an enterprise unit: more than this many count as this many.
inline constexpr int max_sections = 9999;

}  // namespace zelmora
