#include "ui/dialog_test_state.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "rating/farm.h"
#include "rating/rating_session.h"
#include "ui/dialog_error_list.h"
#include "ui/numeric_controls.h"
#include "ui/window_services.h"

namespace zelmora {

std::string combination_pattern(long code, bool harvest_guarantee) {
    std::string pattern;
    for (long bit = 32; bit >= 1; bit /= 2) {
        pattern.push_back((code & bit) != 0 ? (harvest_guarantee ? 'C' : 'R') : '0');
    }
    return pattern;
}

namespace {

struct test_state {
    const char* name;
    int fips;
};

constexpr test_state test_states[] = {
    {"Arizona", 4},      {"Arkansas", 5},      {"Colorado", 8},   {"Idaho", 16},       {"Illinois", 17},
    {"Indiana", 18},     {"Iowa", 19},         {"Kansas", 20},    {"Kentucky", 21},    {"Louisiana", 22},
    {"Michigan", 26},    {"Minnesota", 27},    {"Missouri", 29},  {"New Mexico", 35},  {"North Dakota", 38},
    {"Ohio", 39},        {"Oklahoma", 40},     {"South Dakota", 46}, {"Tennessee", 47},
};

// A farm in the state, for the load errors of its county list.
farm farm_in_state(int state_fips) {
    farm f;
    f.state_fips = state_fips;
    return f;
}

}  // namespace

dialog_test_state::dialog_test_state(QWidget* parent, const rating_session& session, int& state_fips,
                                     int& county_fips, int& low, int& high, bool harvest_guarantee)
    : QDialog(parent),
      session_(session),
      shown_state_(state_fips),
      state_fips_(state_fips),
      county_fips_(county_fips),
      low_(low),
      high_(high),
      harvest_guarantee_(harvest_guarantee) {
    setWindowTitle(tr("Test"));

    auto* grid = new QGridLayout;
    auto* state_label = new QLabel(tr("State"), this);
    state_list_ = new QComboBox(this);
    set_control_id(state_list_, 1010);
    state_label->setBuddy(state_list_);
    auto* county_label = new QLabel(tr("County"), this);
    county_list_ = new QComboBox(this);
    set_control_id(county_list_, 1011);
    county_label->setBuddy(county_list_);
    county_list_->setMinimumContentsLength(20);
    state_list_->setMinimumContentsLength(16);
    grid->addWidget(state_label, 0, 0);
    grid->addWidget(state_list_, 0, 1, 1, 2);
    grid->addWidget(county_label, 1, 0);
    grid->addWidget(county_list_, 1, 1, 1, 2);

    low_field_ = new edit_long(this);
    set_control_id(low_field_, 1238);
    low_field_->setToolTip(tr("First crop combination code"));
    high_field_ = new edit_long(this);
    set_control_id(high_field_, 1240);
    high_field_->setToolTip(tr("Last crop combination code"));
    low_pattern_ = new QLabel(this);
    set_control_id(low_pattern_, 1242);
    high_pattern_ = new QLabel(this);
    set_control_id(high_pattern_, 1244);
    QFont fixed(QStringLiteral("Monospace"));
    fixed.setStyleHint(QFont::TypeWriter);
    for (QLabel* pattern : {low_pattern_, high_pattern_}) {
        pattern->setFont(fixed);
        pattern->setAlignment(Qt::AlignCenter);
    }
    low_label_ = new QLabel(this);
    low_label_->setBuddy(low_field_);
    high_label_ = new QLabel(this);
    high_label_->setBuddy(high_field_);
    grid->addWidget(new QLabel(tr("Crop combination"), this), 2, 0);
    grid->addWidget(low_label_, 2, 1);
    grid->addWidget(high_label_, 2, 2);
    grid->addWidget(low_field_, 3, 1);
    grid->addWidget(high_field_, 3, 2);
    grid->addWidget(low_pattern_, 4, 1);
    grid->addWidget(high_pattern_, 4, 2);
    pattern_note_ = new QLabel(this);
    pattern_note_->setWordWrap(true);
    grid->addWidget(pattern_note_, 5, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    set_control_id(buttons->button(QDialogButtonBox::Ok), 1);
    set_control_id(buttons->button(QDialogButtonBox::Cancel), 2);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &dialog_test_state::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);

    connect(low_field_, &QLineEdit::textChanged, this, &dialog_test_state::on_low_changed);
    connect(high_field_, &QLineEdit::textChanged, this, &dialog_test_state::on_high_changed);
    connect(state_list_, &QComboBox::currentIndexChanged, this, &dialog_test_state::on_test_state_changed);
    load_dialog();
    describe_codes();
}

void dialog_test_state::set_four_crop_state(bool four_crop) {
    four_crop_ = four_crop;
    describe_codes();
}

void dialog_test_state::describe_codes() {
    const long last = four_crop_ ? 15 : 63;
    low_label_->setText(tr("&First code (0..%1)").arg(last));
    high_label_->setText(tr("&Last code (0..%1)").arg(last));
    low_field_->set_range(0, last, "first code");
    high_field_->set_range(0, last, "last code");
    const QString crops = four_crop_ ? tr("two unused places, then Corn, Soybeans, Cotton, Rice")
                                     : tr("Corn, Soybeans, Spring Wheat, Canola, Sunflower, Barley");
    pattern_note_->setText(tr("Each code is a pattern of one letter per crop, left to right %1: R (C with the "
                              "harvest guarantee option) when the crop is in the combination, 0 when it is not.")
                               .arg(crops));
}

void dialog_test_state::load_dialog() {
    exchange_lock lock(this);
    state_list_->clear();
    for (const test_state& entry : test_states) state_list_->addItem(QString::fromLatin1(entry.name), entry.fips);
    state_list_->setCurrentIndex(-1);
    fill_county_combo(session_.is_open() ? &session_.state(shown_state_) : nullptr, county_list_, county_fips_);
    low_field_->set_value(low_);
    high_field_->set_value(high_);
    low_pattern_->setText(to_qstring(combination_pattern(low_, harvest_guarantee_)));
    high_pattern_->setText(to_qstring(combination_pattern(high_, harvest_guarantee_)));
}

void dialog_test_state::store_dialog() {
    exchange_lock lock(this);
    low_ = static_cast<int>(low_field_->get_value());
    high_ = static_cast<int>(high_field_->get_value());
    state_fips_ = shown_state_;
    county_fips_ = session_.is_open() ? session_.state(shown_state_).county_fips_at(county_list_->currentIndex()) : 0;
}

void dialog_test_state::accept() {
    // A code outside the range is not taken: the dialog stays open on it.
    for (edit_long* field : {low_field_, high_field_}) {
        if (!field->acceptable()) {
            field->setFocus();
            return;
        }
    }
    store_dialog();
    QDialog::accept();
}

void dialog_test_state::on_low_changed() {
    low_pattern_->setText(to_qstring(combination_pattern(low_field_->get_value(), harvest_guarantee_)));
}

void dialog_test_state::on_high_changed() {
    high_pattern_->setText(to_qstring(combination_pattern(high_field_->get_value(), harvest_guarantee_)));
}

void dialog_test_state::on_test_state_changed(int position) {
    if (position < 0) return;
    shown_state_ = state_list_->itemData(position).toInt();
    if (!session_.is_open()) return;
    const std::string load_errors = session_.load_errors(farm_in_state(shown_state_));
    if (!load_errors.empty()) dialog_error_list::show_modal(this, "", "", load_errors);
    fill_county_combo(&session_.state(shown_state_), county_list_, county_fips_);
}

}  // namespace zelmora
