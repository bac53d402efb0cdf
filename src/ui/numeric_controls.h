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

// A numeric edit field. Given a range, it checks its text as it changes: a
// text that is not a number within the range gets a red frame and a tooltip
// naming the range, and is refused: the windows do not store it, and OK, Save,
// Print and the export say which field it is before they go on. Esc in a
// refused field puts back the text it held when the edit began; a field that
// is disabled gives up a refused text the same way.
class number_field : public QLineEdit {
    Q_OBJECT
public:
    explicit number_field(QWidget* parent = nullptr);

    // The text reads as a number within the range (any number when no range is set).
    virtual bool acceptable() const = 0;
    bool refused() const { return refused_; }

    // What a refusal calls the field: "Corn unit 2 acres".
    void set_field_name(const QString& name) { field_name_ = name; }
    const QString& field_name() const { return field_name_; }
    // "Corn unit 2 acres: 2000000 is not taken; acres are 0 to 1,000,000".
    QString refusal() const;
    // The refusal, then how to go on: correct the text or put back the one before.
    QString refusal_message() const;
    // The text the field held when the edit began (focus came to it), or was last given.
    const QString& text_before_edit() const { return text_before_edit_; }
    // Puts that text back.
    void revert();

protected:
    void set_field_range(const field_range& range);
    const std::optional<field_range>& range() const { return range_; }
    // The text shown is the one an edit starts from (set by the window, not typed).
    void take_text_as_given();
    // The field's own note of the value an edit starts from.
    virtual void note_edit_start() {}
    // Marks the field as its text stands; called on every change of the text,
    // also while the window's exchange blocks the field's signals.
    void check();

    void focusInEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void mark(bool refused);
    std::optional<field_range> range_;
    bool refused_ = false;
    QString plain_tip_;
    QString field_name_;
    QString text_before_edit_;
};

// The first field of `window` (in the order the fields were made) whose text
// is refused; nullptr when there is none.
number_field* first_refused_field(const QWidget* window);

class edit_decimal : public number_field {
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

    void set_range(const field_range& range) { set_field_range(range); }
    bool acceptable() const override;

protected:
    void note_edit_start() override;

private:
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

class edit_integer : public number_field {
    Q_OBJECT
public:
    explicit edit_integer(QWidget* parent = nullptr);
    int get_value() const;
    void set_value(int value, bool with_separators);
    bool separators() const { return separators_; }

    // Whole numbers within the range (for example the units of a crop, 0 to 7).
    void set_range(const field_range& range) { set_field_range(range); }
    bool acceptable() const override;

private:
    bool separators_ = true;
};

class edit_long : public number_field {
    Q_OBJECT
public:
    explicit edit_long(QWidget* parent = nullptr);
    long get_value() const;
    void set_value(long value);

    // Whole numbers from `low` to `high`; `what` names them in the tooltip.
    void set_range(long low, long high, const char* what);
    bool acceptable() const override;
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
