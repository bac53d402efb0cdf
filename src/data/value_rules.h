#pragma once
// What a usable stored value of the rating database is: one row per table and
// column with the kind of value, its inclusive range or the only values
// allowed, and the words for it ("a whole number from 1 to 5"). The record
// binder refuses a value its row does not allow, the database check reports the
// same values in the same words, and the CSV import refuses them before they
// are stored. The ranges are what the rating formulas can use: a reference
// yield above 0 (the yield ratio divides by it), rates and factors from 0 to a
// ceiling no real rating comes near, b indexes within the tables that hold them.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

struct sqlite3_value;

namespace zelmora {

enum class stored_kind : std::uint8_t {
    whole_number,  // stored as an integer, or as a real without a fraction
    number,        // stored as an integer or a finite real
    text,          // stored as text (a number is taken as its text), at most `longest` bytes
};

struct value_rule {
    stored_kind kind = stored_kind::whole_number;
    double lowest = 0;              // numbers: the usable range, both ends included
    double highest = 0;
    std::span<const int> allowed;   // whole numbers: when not empty, the only values allowed
    std::size_t longest = 0;        // texts: the most bytes
    std::string words;              // what is usable, to follow "is not": "a whole number from 1 to 5"
};

struct column_value_rule {
    std::string table;
    std::string column;
    value_rule rule;
};

// Every column of the ten tables, table by table in column order.
std::span<const column_value_rule> value_rules();

// The rule of a table's column; nullptr for a column the tables do not have.
const value_rule* find_value_rule(std::string_view table, std::string_view column);

// A number the rule allows (of a whole-number rule: a whole number within its
// range and, when it lists them, one of its values). Not for text rules.
bool rule_allows(const value_rule& rule, double value);

// A stored value as SQLite holds it, judged by a rule. NULL, blobs and texts
// in a numeric column are never usable: a number stored as text (" 19",
// "0x1p0", "1e3") is refused, not read.
struct stored_value {
    bool usable = false;
    long long integer = 0;  // a number's whole part (0 for what is no number; a text's leading whole number)
    double real = 0;        // a number's value (0 for what is no number)
};
stored_value judge_stored_value(const value_rule& rule, sqlite3_value* value);

}  // namespace zelmora
