#pragma once
// Numeric edit fields and result texts with thousands separators, the code
// lists of the unit rows, and the coverage level and county lists.
#include <optional>
#include <string>
#include <vector>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include "data/premium_database.h"
#include "data/state_record.h"
#include "data/surcharge_list.h"
#include "ui/field_rules.h"
#include "utility/exact_decimal.h"
#include "utility/number_text.h"

namespace zelmora {

// A field given a range checks its text as it changes: a text that is not a
// number within the range gets a red frame and a tooltip naming the range,
// and `acceptable` is false, so the window does not store it.
class range_marking {
public:
    bool refused() const { return refused_; }

protected:
    void mark(QLineEdit* edit, bool refused, const std::string& range_text);

private:
    bool refused_ = false;
    QString plain_tip_;
};

class edit_decimal : public QLineEdit, public range_marking {
    Q_OBJECT
public:
    explicit edit_decimal(QWidget* parent = nullptr);
    // The number the text reads; while the text is the one set_value showed,
    // the value it was given (not the value rounded to the places shown).
    exact_decimal get_value() const;
    void set_value(const exact_decimal& value, int decimals);
    // The value the field held when the user's edit began (focus came to it),
    // or was last given: what a refused text leaves in place.
    exact_decimal value_before_edit() const { return before_edit_; }
    // Narrows or widens the field to show `sample` (for example "00,000.0").
    void fit_to(const QString& sample);

    void set_range(const field_range& range);
    // The text reads as a number within the range (any number when no range is set).
    bool acceptable() const;

protected:
    void focusInEvent(QFocusEvent* event) override;

private:
    void check();
    std::optional<field_range> range_;
    QString given_text_;
    exact_decimal given_value_;
    bool given_ = false;
    exact_decimal before_edit_;
};

// Writes the field's value into `target` when the field accepts its text, and
// the value it held before the edit began when it refuses it.
void store_if_acceptable(const edit_decimal* field, exact_decimal& target);

class static_decimal : public QLabel {
    Q_OBJECT
public:
    explicit static_decimal(QWidget* parent = nullptr);
    void set_value(const exact_decimal& value, int decimals);
    void fit_to(const QString& sample);
};

class edit_integer : public QLineEdit {
    Q_OBJECT
public:
    explicit edit_integer(QWidget* parent = nullptr);
    int get_value() const;
    void set_value(int value, bool with_separators);
    bool separators() const { return separators_; }

private:
    bool separators_ = true;
};

class edit_long : public QLineEdit, public range_marking {
    Q_OBJECT
public:
    explicit edit_long(QWidget* parent = nullptr);
    long get_value() const;
    void set_value(long value);

    // Whole numbers from `low` to `high`; `what` names them in the tooltip.
    void set_range(long low, long high, const char* what);
    bool acceptable() const;

private:
    void check();
    std::optional<field_range> range_;
};

class combo_code : public QComboBox {
    Q_OBJECT
public:
    explicit combo_code(QWidget* parent = nullptr);

    // Adds an item with its code; widens the drop-down part to the widest text plus the margin.
    void add_code_item(const QString& text, int code);
    // Empties the list; the drop-down width starts again from 0.
    void reset_content();
    // Lists the codes ("<code> <description>"); selects `current_code` when it is among them.
    void fill(const std::vector<code_entry>& codes, int current_code);
    // The code of the selected item; -1 when nothing is selected.
    int selected_code() const;

    int widest() const { return widest_; }
    static constexpr int margin = 22;

private:
    int widest_ = 0;
};

// "0.65" .. "0.85"; selects `level` (65..85 in steps of 5) or nothing.
void fill_coverage_combo(QComboBox* list, int level);
// "0.65" .. "0.75", and "0.80", "0.85" where the county offers them for the crop.
void fill_coverage_combo_limited(QComboBox* list, int level, const state_record* state, int county_fips,
                                 int crop_number);
// Writes the level of the selected item into `level`; no selection leaves it unchanged.
void coverage_from_combo(const QComboBox* list, int& level);

// The prevented planting lists: "0", "+5%", "+10%".
void fill_prevented_planting_combo(QComboBox* list, int position);

// The state's county names with their FIPS codes as item values; selects `county_fips`.
void fill_county_combo(const state_record* state, QComboBox* list, int county_fips);

}  // namespace zelmora
