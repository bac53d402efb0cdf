#include "ui/numeric_controls.h"

#include <QAbstractItemView>
#include <QFontMetrics>
#include <QKeyEvent>

#include <algorithm>
#include <climits>
#include <cstdio>

#include "ui/window_services.h"

namespace zelmora {

namespace {

std::string control_text(const QLineEdit* edit) { return remove_separators(to_std(edit->text())); }

// The whole number the field's text begins with; 0 when it has none.
long long leading_whole_number_of(const QLineEdit* edit) { return leading_whole_number(control_text(edit)).value_or(0); }


}  // namespace

number_field::number_field(QWidget* parent) : QLineEdit(parent) {
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    connect(this, &QLineEdit::textChanged, this, &number_field::check);
}

void number_field::set_field_range(const field_range& range) {
    range_ = range;
    check();
}

void number_field::check() {
    if (range_) mark(!acceptable());
}

void number_field::mark(bool refused) {
    if (!range_) return;
    if (refused) {
        if (!refused_) plain_tip_ = toolTip();
        QString tip = to_qstring(range_text(*range_)) + QStringLiteral(" (this text is not taken");
        if (!text_before_edit_.isEmpty()) tip += QStringLiteral("; Esc puts back ") + text_before_edit_;
        setToolTip(tip + QStringLiteral(")"));
    }
    if (refused == refused_) return;
    if (refused) {
        setStyleSheet(QStringLiteral("QLineEdit { border: 2px solid #d00000; }"));
    } else {
        setStyleSheet(QString());
        setToolTip(plain_tip_);
    }
    refused_ = refused;
    setProperty("refused", refused);
}

QString number_field::refusal() const {
    QString shown = text().trimmed();
    if (shown.size() > 40) shown = shown.left(37) + QStringLiteral("...");
    QString text = field_name_.isEmpty() ? QString() : field_name_ + QStringLiteral(": ");
    text += shown.isEmpty() ? QStringLiteral("an empty text") : shown;
    text += QStringLiteral(" is not taken");
    if (range_) text += QStringLiteral("; ") + to_qstring(range_sentence(*range_));
    return text;
}

QString number_field::refusal_message() const {
    QString text = refusal() + QStringLiteral(".\n\nCorrect the field");
    if (!text_before_edit_.isEmpty()) text += QStringLiteral(", or press Esc in it to put back ") + text_before_edit_;
    return text + QStringLiteral(".");
}

void number_field::revert() {
    setText(text_before_edit_);
    check();
}

void number_field::take_text_as_given() {
    text_before_edit_ = text();
    note_edit_start();
    check();
}

void number_field::focusInEvent(QFocusEvent* event) {
    // A refused text is not where an edit starts from: the text before it is.
    if (acceptable()) {
        text_before_edit_ = text();
        note_edit_start();
    }
    QLineEdit::focusInEvent(event);
}

void number_field::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && refused_) {
        revert();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void number_field::changeEvent(QEvent* event) {
    QLineEdit::changeEvent(event);
    // A field the user can no longer correct does not keep a text that is not taken.
    if (event->type() == QEvent::EnabledChange && !isEnabled() && refused_) revert();
}

number_field* first_refused_field(const QWidget* window) {
    if (!window) return nullptr;
    for (number_field* field : window->findChildren<number_field*>()) {
        if (field->refused()) return field;
    }
    return nullptr;
}

edit_decimal::edit_decimal(QWidget* parent) : number_field(parent) {
    setMinimumWidth(QFontMetrics(font()).horizontalAdvance(QStringLiteral("0,000,000.00")) + 12);
}

bool edit_decimal::acceptable() const {
    const std::optional<double> value = read_grouped_decimal(to_std(text()));
    if (!value) return false;
    return !range() || (*value >= range()->low && *value <= range()->high);
}

void store_if_acceptable(const edit_decimal* field, exact_decimal& target) {
    target = field->acceptable() ? field->get_value() : field->value_before_edit();
}

exact_decimal edit_decimal::get_value() const {
    if (given_ && text() == given_text_) return given_value_;
    exact_decimal value = 0.0;
    value.from_text(control_text(this));
    return value;
}

void edit_decimal::set_value(const exact_decimal& value, int decimals) {
    given_text_ = to_qstring(insert_separators(value.to_text(decimals)));
    given_value_ = value;
    given_ = true;
    setText(given_text_);
    take_text_as_given();
}

void edit_decimal::note_edit_start() { before_edit_ = get_value(); }

void edit_decimal::fit_to(const QString& sample) {
    setMinimumWidth(QFontMetrics(font()).horizontalAdvance(sample) + 14);
}

static_decimal::static_decimal(QWidget* parent) : QLabel(parent) {
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    const QFontMetrics metrics(font());
    setMinimumWidth(metrics.horizontalAdvance(QStringLiteral("000,000.00")) + 12);
}

void static_decimal::set_value(const exact_decimal& value, int decimals) {
    setText(to_qstring(insert_separators(value.to_text(decimals))));
}

void static_decimal::fit_to(const QString& sample) {
    setMinimumWidth(QFontMetrics(font()).horizontalAdvance(sample) + 10);
}

edit_integer::edit_integer(QWidget* parent) : number_field(parent) {}

int edit_integer::get_value() const {
    return static_cast<int>(std::clamp<long long>(leading_whole_number_of(this), INT_MIN, INT_MAX));
}

void edit_integer::set_value(int value, bool with_separators) {
    separators_ = with_separators;
    std::string text = std::to_string(value);
    if (with_separators) text = insert_separators(text);
    setText(to_qstring(text));
    take_text_as_given();
}

bool edit_integer::acceptable() const {
    const std::optional<long> value = read_grouped_whole_number(to_std(text()));
    if (!value) return false;
    return !range() || (static_cast<double>(*value) >= range()->low && static_cast<double>(*value) <= range()->high);
}

edit_long::edit_long(QWidget* parent) : number_field(parent) {}

void edit_long::set_range(long low, long high, const char* what) {
    set_field_range(field_range{what, static_cast<double>(low), static_cast<double>(high)});
}

bool edit_long::acceptable() const {
    const std::optional<long> value = read_grouped_whole_number(to_std(text()));
    if (!value) return false;
    return !range() || (static_cast<double>(*value) >= range()->low && static_cast<double>(*value) <= range()->high);
}

long edit_long::get_value() const {
    return static_cast<long>(std::clamp<long long>(leading_whole_number_of(this), LONG_MIN, LONG_MAX));
}

void edit_long::set_value(long value) {
    setText(to_qstring(insert_separators(std::to_string(value))));
    take_text_as_given();
}

combo_code::combo_code(QWidget* parent) : QComboBox(parent) {
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(12);
}

void combo_code::add_code_item(const QString& text, int code) {
    const int width = QFontMetrics(font()).horizontalAdvance(text);
    if (width > widest_) {
        widest_ = width;
        view()->setMinimumWidth(widest_ + margin);
    }
    addItem(text, code);
}

void combo_code::reset_content() {
    widest_ = 0;
    view()->setMinimumWidth(0);
    clear();
}

void combo_code::fill(const std::vector<code_entry>& codes, int current_code) {
    reset_content();
    int selected = -1;
    for (const code_entry& entry : codes) {
        char text[300];
        std::snprintf(text, sizeof text, "%d %s", entry.code, entry.description.c_str());
        if (entry.code == current_code) selected = count();
        add_code_item(to_qstring(text), entry.code);
    }
    // Adding the first item selects it; only the unit's own code may be selected.
    setCurrentIndex(selected);
}

int combo_code::selected_code() const {
    const int position = currentIndex();
    if (position < 0) return -1;
    return itemData(position).toInt();
}

namespace {

constexpr int coverage_levels[] = {65, 70, 75, 80, 85};

int coverage_position(int level) {
    for (int position = 0; position < 5; ++position) {
        if (coverage_levels[position] == level) return position;
    }
    return -1;
}

}  // namespace

void fill_coverage_combo(QComboBox* list, int level) {
    list->clear();
    for (const char* text : {"0.65", "0.70", "0.75", "0.80", "0.85"}) list->addItem(QString::fromLatin1(text));
    list->setCurrentIndex(coverage_position(level));
}

void fill_coverage_combo_limited(QComboBox* list, int level, const state_record* state, int county_fips,
                                 int crop_number) {
    list->clear();
    for (const char* text : {"0.65", "0.70", "0.75"}) list->addItem(QString::fromLatin1(text));
    if (state && state->offers_high_coverage(county_fips, crop_number)) {
        list->addItem(QStringLiteral("0.80"));
        list->addItem(QStringLiteral("0.85"));
    }
    const int position = coverage_position(level);
    list->setCurrentIndex(position < list->count() ? position : -1);
}

void coverage_from_combo(const QComboBox* list, int& level) {
    const int position = list->currentIndex();
    if (position >= 0 && position < 5) level = coverage_levels[position];
}

void fill_prevented_planting_combo(QComboBox* list, int position) {
    list->clear();
    for (const char* text : {"0", "+5%", "+10%"}) list->addItem(QString::fromLatin1(text));
    list->setCurrentIndex(position >= 0 && position < 3 ? position : -1);
}

void fill_county_combo(const state_record* state, QComboBox* list, int county_fips) {
    list->clear();
    if (!state) return;
    int selected = -1;
    for (const auto& [name, fips] : state->county_names_and_fips()) {
        if (fips == county_fips && selected < 0) selected = list->count();
        list->addItem(to_qstring(name), fips);
    }
    list->setCurrentIndex(selected);
}

}  // namespace zelmora
