#include "ui/property_page_crop.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "rating/farm_totals.h"
#include "rating/reports.h"
#include "ui/clipboard.h"
#include "ui/crop_offer.h"
#include "ui/dialog_malting_barley.h"
#include "ui/farm_model.h"
#include "ui/numeric_controls.h"
#include "ui/window_services.h"
#include "utility/dropped_errors.h"

namespace zelmora {

namespace {

constexpr std::array<int, unit_rows> rate_yield_ids = {1123, 1124, 1134, 1135, 1145, 1146, 1156};
constexpr std::array<int, unit_rows> acres_ids = {1125, 1136, 1147, 1158, 1169, 1180, 1191};

int row_id(int first, int row) { return first + 11 * row; }

QLabel* heading(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    return label;
}

}  // namespace

property_page_crop::property_page_crop(farm_model* model, int crop_number, QWidget* parent)
    : property_page_crop(model, crop_number, crop_page_layout{}, parent) {}

property_page_crop::property_page_crop(farm_model* model, int crop_number, const crop_page_layout& layout,
                                       QWidget* parent)
    : property_page(parent), crop_number_(crop_number), model_(model), layout_(layout) {
    build_page();
}

const unit_list& property_page_crop::units() const {
    return model_->current().inputs.units[static_cast<std::size_t>(crop_number_ - 1)];
}

void property_page_crop::build_page() {
    const QString colon = layout_.labels_with_colon ? QStringLiteral(":") : QString();
    column_ = new QVBoxLayout(this);

    // The crop's own choices, then Copy.
    auto* top = new QHBoxLayout;
    auto* coverage_label = new QLabel(tr("Coverage Level Percent") + colon, this);
    coverage_list_ = with_id(new QComboBox(this), 1105);
    coverage_label->setBuddy(coverage_list_);
    auto* ppcl_label = new QLabel(tr("Prevented Planting Coverage Level") + colon, this);
    ppcl_list_ = with_id(new QComboBox(this), 1114);
    ppcl_label->setBuddy(ppcl_list_);
    sections_label_ = with_id(new QLabel(tr("Number of Sections Farmed:"), this), 1423);
    sections_ = with_id(new edit_integer(this), 1113);
    sections_->setMaximumWidth(70);
    sections_->set_range(field_ranges::sections);
    sections_->set_field_name(QString::fromLatin1(crop_display_name(crop_number_)) + tr(" number of sections farmed"));
    sections_label_->setBuddy(sections_);
    copy_button_ = with_id(new QPushButton(tr("Copy"), this), 1206);
    copy_button_->setAutoDefault(false);
    copy_button_->setToolTip(tr("Copy the crop's rating worksheet to the clipboard"));
    top->addWidget(coverage_label);
    top->addWidget(coverage_list_);
    top->addSpacing(18);
    top->addWidget(ppcl_label);
    top->addWidget(ppcl_list_);
    top->addSpacing(18);
    top->addWidget(sections_label_);
    top->addWidget(sections_);
    top->addStretch(1);
    top->addWidget(copy_button_);
    column_->addLayout(top);
    offer_note_ = new QLabel(this);
    offer_note_->setStyleSheet(QStringLiteral("QLabel { color: #a00000; }"));
    offer_note_->hide();
    column_->addWidget(offer_note_);
    column_->addSpacing(6);

    // The unit grid: headings, then one row per unit; tab order runs along each row.
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(2);
    int col = 1;
    // The type list stands above the practice list, so that the row with its results fits 1024 pixels.
    const int opt_col = col++, type_col = col++, practice_col = type_col, aph_col = col++, rate_col = col++,
              acres_col = col++, share_col = col++;
    const int factor_col = layout_.factor_heading ? col++ : -1;
    const int wa_col = col++, guarantee_col = col++, loaded_col = col++, total_col = col++, subsidy_col = col++,
              producer_col = col++;
    grid->addWidget(heading(tr("Opt.\nUnit"), this), 0, opt_col);
    grid->addWidget(heading(tr("Type") + QLatin1Char('\n') + tr("Practice"), this), 0, type_col);
    grid->addWidget(heading(tr("APH\nYield"), this), 0, aph_col);
    grid->addWidget(heading(tr("Rate\nYield"), this), 0, rate_col);
    grid->addWidget(heading(tr("Acres"), this), 0, acres_col);
    grid->addWidget(heading(tr("Share"), this), 0, share_col);
    if (factor_col > 0) grid->addWidget(heading(tr(layout_.factor_heading), this), 0, factor_col);
    grid->addWidget(heading(tr("65%\nWritten\nAgreement"), this), 0, wa_col);
    grid->addWidget(heading(tr("Rev.\nGuar."), this), 0, guarantee_col);
    grid->addWidget(heading(tr("Loaded\nPer-Acre\nPremium"), this), 0, loaded_col);
    grid->addWidget(heading(tr("Total\nPremium"), this), 0, total_col);
    grid->addWidget(heading(tr("RA\nSubsidy"), this), 0, subsidy_col);
    grid->addWidget(heading(tr("Producer\nPremium"), this), 0, producer_col);

    const QString yield_sample = QStringLiteral("0,000.0");
    for (int r = 0; r < unit_rows; ++r) {
        const auto i = static_cast<std::size_t>(r);
        const int row = 1 + 2 * r;
        auto* number = new QLabel(QString::number(r + 1), this);
        number->setEnabled(false);
        grid->addWidget(number, row, 0, 2, 1, Qt::AlignVCenter);
        optional_unit_[i] = with_id(new QCheckBox(this), 1115 + r);
        optional_unit_[i]->setAccessibleName(tr("Optional unit %1").arg(r + 1));
        grid->addWidget(optional_unit_[i], row, opt_col, 2, 1, Qt::AlignCenter);
        type_lists_[i] = with_id(new combo_code(this), 1375 + r);
        grid->addWidget(type_lists_[i], row, type_col);
        // Wide enough for "997 No Type Specified"; longer texts show whole in the drop-down.
        type_lists_[i]->setMinimumContentsLength(20);
        practice_lists_[i] = with_id(new combo_code(this), 1382 + r);
        grid->addWidget(practice_lists_[i], row + 1, practice_col);
        practice_lists_[i]->setMinimumContentsLength(20);
        aph_yield_[i] = with_id(new edit_decimal(this), row_id(1122, r));
        grid->addWidget(aph_yield_[i], row, aph_col, 2, 1, Qt::AlignVCenter);
        rate_yield_[i] = with_id(new edit_decimal(this), rate_yield_ids[i]);
        grid->addWidget(rate_yield_[i], row, rate_col, 2, 1, Qt::AlignVCenter);
        acres_[i] = with_id(new edit_decimal(this), acres_ids[i]);
        grid->addWidget(acres_[i], row, acres_col, 2, 1, Qt::AlignVCenter);
        share_[i] = with_id(new edit_decimal(this), row_id(1126, r));
        grid->addWidget(share_[i], row, share_col, 2, 1, Qt::AlignVCenter);
        for (edit_decimal* field : {aph_yield_[i], rate_yield_[i]}) field->fit_to(yield_sample);
        acres_[i]->fit_to(QStringLiteral("00,000.0"));
        share_[i]->fit_to(QStringLiteral("0.0000"));
        aph_yield_[i]->set_range(field_ranges::yield);
        rate_yield_[i]->set_range(field_ranges::yield);
        acres_[i]->set_range(field_ranges::acres);
        share_[i]->set_range(field_ranges::share);
        // What a refusal calls each field: "Corn unit 2 acres".
        const QString unit_name = tr("%1 unit %2 ").arg(QString::fromLatin1(crop_display_name(crop_number_))).arg(r + 1);
        aph_yield_[i]->set_field_name(unit_name + tr("APH yield"));
        rate_yield_[i]->set_field_name(unit_name + tr("rate yield"));
        acres_[i]->set_field_name(unit_name + tr("acres"));
        share_[i]->set_field_name(unit_name + tr("share"));
        if (factor_col > 0) {
            factor_[i] = with_id(new edit_decimal(this), layout_.factor_ids[i]);
            factor_[i]->set_field_name(unit_name + tr(layout_.factor_name));
            factor_[i]->fit_to(QStringLiteral("0.000"));
            factor_[i]->set_range(field_ranges::factor);
            grid->addWidget(factor_[i], row, factor_col, 2, 1, Qt::AlignVCenter);
        }
        written_agreement_[i] = with_id(new edit_decimal(this), row_id(1132, r));
        written_agreement_[i]->fit_to(QStringLiteral("0.000"));
        written_agreement_[i]->set_range(field_ranges::written_agreement);
        written_agreement_[i]->set_field_name(unit_name + tr("written agreement rate"));
        grid->addWidget(written_agreement_[i], row, wa_col, 2, 1, Qt::AlignVCenter);
        revenue_guarantee_[i] = with_id(new static_decimal(this), row_id(1127, r));
        grid->addWidget(revenue_guarantee_[i], row, guarantee_col, 2, 1, Qt::AlignVCenter);
        loaded_premium_[i] = with_id(new static_decimal(this), row_id(1128, r));
        grid->addWidget(loaded_premium_[i], row, loaded_col, 2, 1, Qt::AlignVCenter);
        total_premium_[i] = with_id(new static_decimal(this), row_id(1129, r));
        grid->addWidget(total_premium_[i], row, total_col, 2, 1, Qt::AlignVCenter);
        ra_subsidy_[i] = with_id(new static_decimal(this), row_id(1130, r));
        grid->addWidget(ra_subsidy_[i], row, subsidy_col, 2, 1, Qt::AlignVCenter);
        producer_premium_[i] = with_id(new static_decimal(this), row_id(1131, r));
        grid->addWidget(producer_premium_[i], row, producer_col, 2, 1, Qt::AlignVCenter);
        for (static_decimal* result : {revenue_guarantee_[i], loaded_premium_[i], total_premium_[i], ra_subsidy_[i],
                                       producer_premium_[i]}) {
            result->fit_to(QStringLiteral("00,000"));
        }
    }
    grid->setColumnStretch(type_col, 2);
    for (int c = aph_col; c <= producer_col; ++c) grid->setColumnStretch(c, 1);
    column_->addLayout(grid);
    column_->addSpacing(6);

    // Under the unit rows, in dollars of the whole crop: the units summed, then the crop's enterprise unit to
    // set against them. A grid of its own, so that large sums never widen the unit grid's columns.
    auto* totals = new QGridLayout;
    totals->setHorizontalSpacing(12);
    totals->setVerticalSpacing(2);
    const std::array<QString, 4> total_headings = {tr("Guarantee"), tr("Total Premium"), tr("RA Subsidy"),
                                                   tr("Producer Premium")};
    for (std::size_t k = 0; k < total_headings.size(); ++k) {
        totals->addWidget(heading(total_headings[k], this), 0, static_cast<int>(k) + 1);
    }
    const std::array<QString, 2> total_names = {tr("Sum of the units ($)"), tr("Enterprise unit ($)")};
    for (std::size_t t = 0; t < crop_totals_.size(); ++t) {
        const int row = 1 + static_cast<int>(t);
        totals->addWidget(new QLabel(total_names[t], this), row, 0);
        for (std::size_t k = 0; k < total_headings.size(); ++k) {
            crop_totals_[t][k] = new static_decimal(this);
            crop_totals_[t][k]->setObjectName(QStringLiteral("crop_total_%1_%2").arg(t).arg(k));
            crop_totals_[t][k]->fit_to(QStringLiteral("00,000,000"));
            totals->addWidget(crop_totals_[t][k], row, static_cast<int>(k) + 1);
        }
    }
    totals->setColumnStretch(5, 1);
    column_->addLayout(totals);
    column_->addStretch(1);

    // Every input change stores the page and rates the crop again.
    for (int r = 0; r < unit_rows; ++r) {
        const auto i = static_cast<std::size_t>(r);
        connect(type_lists_[i], &QComboBox::currentIndexChanged, this, &property_page_crop::on_change);
        connect(practice_lists_[i], &QComboBox::currentIndexChanged, this, &property_page_crop::on_change);
        for (edit_decimal* field : {aph_yield_[i], rate_yield_[i], acres_[i], share_[i], written_agreement_[i]}) {
            connect(field, &QLineEdit::textChanged, this, &property_page_crop::on_change);
        }
        if (factor_[i]) connect(factor_[i], &QLineEdit::textChanged, this, &property_page_crop::on_change);
        connect(optional_unit_[i], &QCheckBox::clicked, this, &property_page_crop::on_change);
    }
    connect(coverage_list_, &QComboBox::currentIndexChanged, this, &property_page_crop::on_change);
    connect(ppcl_list_, &QComboBox::currentIndexChanged, this, &property_page_crop::on_change);
    connect(copy_button_, &QPushButton::clicked, this, &property_page_crop::on_copy);
}

void property_page_crop::add_below_grid(QWidget* widget) {
    auto* row = new QHBoxLayout;
    row->addWidget(widget);
    row->addStretch(1);
    column_->insertLayout(column_->count() - 1, row);
}

int property_page_crop::unit_rows_in_use() const {
    const auto n = static_cast<int>(units().size());
    return n < unit_rows ? n : unit_rows;
}

void property_page_crop::load_page() {
    const auto c = static_cast<std::size_t>(crop_number_ - 1);
    const farm& f = model_->current();
    const farm_inputs& in = f.inputs;
    const rating_session& session = model_->session();
    copy_button_->show();
    fill_coverage_combo_limited(coverage_list_, in.coverage[c], &model_->state(), in.county_fips, crop_number_);
    const int ppcl = in.ppcl_select[c];
    fill_prevented_planting_combo(ppcl_list_, ppcl == 0 ? 0 : (ppcl == 1 ? 1 : 2));
    const bool active = model_->rating().selected[c];
    sections_->set_value(in.sections[c], true);
    sections_->setEnabled(active);

    const int n = unit_rows_in_use();
    // The codes "Continuous Rates" uses for the crop in the county, described by the session's lookups.
    auto code_list = [&](code_kind kind) {
        const code_lookup& full = kind == code_kind::type ? session.type_codes() : session.practice_codes();
        return crop_code_list(session.database(), kind, full, crop_code(crop_number_), f.state_fips, in.county_fips,
                              dropped_errors{});
    };
    const std::vector<code_entry> types = n > 0 ? code_list(code_kind::type) : std::vector<code_entry>{};
    const std::vector<code_entry> practices = n > 0 ? code_list(code_kind::practice) : std::vector<code_entry>{};
    for (int r = 0; r < n; ++r) {
        const auto i = static_cast<std::size_t>(r);
        const insurance_unit& unit = in.units[c][i];
        optional_unit_[i]->setChecked(unit.optional_unit);
        share_[i]->set_value(unit.share, 3);
        type_lists_[i]->fill(types, unit.type_code);
        aph_yield_[i]->set_value(unit.aph_yield, 1);
        rate_yield_[i]->set_value(unit.rate_yield, 1);
        acres_[i]->set_value(unit.acres, 1);
        practice_lists_[i]->fill(practices, unit.practice_code);
        written_agreement_[i]->set_value(unit.written_agreement_rate, 2);
        if (factor_[i] && layout_.factor_field) factor_[i]->set_value(unit.*(layout_.factor_field), 2);
    }
    ppcl_list_->setEnabled(active);
    coverage_list_->setEnabled(active);
    for (int r = 0; r < unit_rows; ++r) {
        const auto i = static_cast<std::size_t>(r);
        const bool enabled = active && r < n;
        for (QWidget* control : std::initializer_list<QWidget*>{share_[i], type_lists_[i], practice_lists_[i],
                                                               aph_yield_[i], rate_yield_[i], acres_[i],
                                                               optional_unit_[i], written_agreement_[i]}) {
            control->setEnabled(enabled);
        }
        if (factor_[i]) factor_[i]->setEnabled(enabled);
    }
    show_crop_offer();
    show_results();
}

void property_page_crop::show_crop_offer() {
    const QString note =
        crop_offer_note(crop_offer_in_county(model_->session(), model_->current(), crop_number_));
    offer_note_->setText(note.isEmpty() ? QString() : note + tr(": the units of this crop cannot be rated here."));
    offer_note_->setVisible(!note.isEmpty());
}

void property_page_crop::store_page() {
    const auto c = static_cast<std::size_t>(crop_number_ - 1);
    farm f = model_->current();
    farm_inputs& in = f.inputs;
    coverage_from_combo(coverage_list_, in.coverage[c]);
    const int ppcl = ppcl_list_->currentIndex();
    in.ppcl_select[c] = ppcl == 0 ? 0 : (ppcl == 1 ? 1 : 2);
    if (sections_->acceptable()) in.sections[c] = sections_->get_value();
    const int n = unit_rows_in_use();
    for (int r = 0; r < n; ++r) {
        const auto i = static_cast<std::size_t>(r);
        insurance_unit& unit = in.units[c][i];
        unit.optional_unit = optional_unit_[i]->isChecked();
        // A field whose text is not a number within its range keeps the value it had before the edit.
        store_if_acceptable(share_[i], unit.share);
        // A list that shows no selection (the unit's code is no longer offered) keeps the unit's code.
        if (const int type = type_lists_[i]->selected_code(); type != -1) unit.type_code = type;
        store_if_acceptable(acres_[i], unit.acres);
        store_if_acceptable(aph_yield_[i], unit.aph_yield);
        store_if_acceptable(rate_yield_[i], unit.rate_yield);
        if (const int practice = practice_lists_[i]->selected_code(); practice != -1) unit.practice_code = practice;
        store_if_acceptable(written_agreement_[i], unit.written_agreement_rate);
        if (factor_[i] && layout_.factor_field) store_if_acceptable(factor_[i], unit.*(layout_.factor_field));
    }
    model_->set(f);
}

void property_page_crop::show_results() {
    const farm_rating& rated = model_->rating();
    const auto c = static_cast<std::size_t>(crop_number_ - 1);
    const int n = unit_rows_in_use();
    std::array<bool, unit_rows> rated_rows{};
    for (int r = 0; r < n; ++r) {
        const auto i = static_cast<std::size_t>(r);
        const unit_rating& unit = rated.units[c][i];
        rated_rows[i] = unit.figures.has_value();
        if (unit.figures) {
            const premium_figures& figures = *unit.figures;
            revenue_guarantee_[i]->set_value(figures.revenue_guarantee, 2);
            loaded_premium_[i]->set_value(figures.per_acre_premium, 2);
            producer_premium_[i]->set_value(figures.producer_premium, 0);
            total_premium_[i]->set_value(figures.total_premium, 0);
            ra_subsidy_[i]->set_value(figures.subsidy, 0);
        } else {
            clear_result_row(r);
        }
    }
    for (int r = n; r < unit_rows; ++r) clear_result_row(r);
    explain_rows(rated_rows);
    show_crop_totals();
}

void property_page_crop::show_crop_totals() {
    const auto c = static_cast<std::size_t>(crop_number_ - 1);
    const farm_rating& rated = model_->rating();
    const bool shown = rated.selected[c] && unit_rows_in_use() > 0;
    farm_totals totals;
    if (shown) totals = farm_totals_of(model_->current(), rated);
    const unit_totals& units = totals.units.crops[c];
    const unit_totals& enterprise = totals.enterprise[c];
    for (std::size_t t = 0; t < crop_totals_.size(); ++t) {
        const unit_totals& sum = t == 0 ? units : enterprise;
        const std::array<exact_decimal, 4> figures = {sum.guarantee, sum.total_premium, sum.subsidy,
                                                      sum.producer_premium};
        // A total that leaves out a unit without a rate is not shown; its tooltip says which.
        const QString missing = shown && !sum.complete ? to_qstring(rated.enterprise_reason[c]) : QString();
        for (std::size_t k = 0; k < figures.size(); ++k) {
            if (shown && sum.complete) {
                crop_totals_[t][k]->set_value(figures[k], 0);
            } else {
                crop_totals_[t][k]->clear();
            }
            crop_totals_[t][k]->setToolTip(missing);
        }
    }
}

void property_page_crop::explain_rows(const std::array<bool, unit_rows>& rated) {
    const int n = unit_rows_in_use();
    QString first_problem;
    for (int r = 0; r < unit_rows; ++r) {
        const auto i = static_cast<std::size_t>(r);
        QString problem;
        if (r < n) {
            const insurance_unit& unit = units()[i];
            unit_row_inputs inputs;
            inputs.type_chosen = type_lists_[i]->selected_code() != -1;
            inputs.practice_chosen = practice_lists_[i]->selected_code() != -1;
            inputs.has_aph_yield = unit.aph_yield > 0.0;
            inputs.has_rate_yield = unit.rate_yield > 0.0;
            inputs.has_acres = unit.acres > 0.0;
            inputs.has_share = unit.share > 0.0;
            const auto& rated_units = model_->rating().units[static_cast<std::size_t>(crop_number_ - 1)];
            if (i < rated_units.size()) inputs.why_not_rated = rated_units[i].why_not_rated;
            problem = unit_row_problem(inputs, rated[i]);
            if (!problem.isEmpty() && first_problem.isEmpty()) {
                first_problem = tr("%1 unit %2: %3").arg(QString::fromLatin1(crop_display_name(crop_number_)))
                                    .arg(r + 1)
                                    .arg(problem);
            }
        }
        for (static_decimal* result : {revenue_guarantee_[i], loaded_premium_[i], producer_premium_[i],
                                       total_premium_[i], ra_subsidy_[i]}) {
            result->setToolTip(problem);
        }
    }
    // The line follows the rows: once they are put right, what it said of them goes.
    if (!first_problem.isEmpty() || said_problem_) Q_EMIT status_message(first_problem);
    said_problem_ = !first_problem.isEmpty();
}

void property_page_crop::clear_result_row(int row) {
    const auto i = static_cast<std::size_t>(row);
    for (static_decimal* result : {revenue_guarantee_[i], loaded_premium_[i], producer_premium_[i],
                                   total_premium_[i], ra_subsidy_[i]}) {
        result->clear();
    }
}

void property_page_crop::on_change() {
    if (!loaded()) return;
    store_page();
    show_results();
    Q_EMIT farm_changed();
}

std::string property_page_crop::copy_text() {
    store_page();
    return single_crop_worksheet(model_->session(), model_->current(), crop_number_, layout_.recompute_before_copy);
}

void property_page_crop::on_copy() {
    const std::string text = copy_text();
    if (copy_text_to_clipboard(text, this, clipboard_wording::page)) {
        Q_EMIT status_message(copied_message(QString::fromLatin1(crop_display_name(crop_number_)) + tr(" worksheet"), text));
    }
}

// ---------------------------------------------------------------- the three other page classes

namespace {

// The layout of a page with a factor column: its heading, the first row's id
// (the seven rows are numbered in order) and the unit field it edits.
crop_page_layout factor_layout(const char* heading, const char* name, int first_id,
                               exact_decimal insurance_unit::*field) {
    crop_page_layout layout;
    layout.factor_heading = heading;
    layout.factor_name = name;
    for (std::size_t r = 0; r < layout.factor_ids.size(); ++r) layout.factor_ids[r] = first_id + static_cast<int>(r);
    layout.factor_field = field;
    layout.recompute_before_copy = false;
    layout.labels_with_colon = false;
    return layout;
}

crop_page_layout fn_or_fo_layout() {
    return factor_layout("FN or FO\nFactor", "FN or FO factor", 1329, &insurance_unit::fn_or_fo_factor);
}
crop_page_layout cr_option_layout() {
    return factor_layout("CR\nOption", "CR option factor", 1354, &insurance_unit::cr_option_factor);
}
crop_page_layout short_rate_layout() {
    return factor_layout("Short Rate\nFactor", "short rate factor", 1322, &insurance_unit::short_rate_factor);
}

}  // namespace

property_page_crop_barley_spring_wheat::property_page_crop_barley_spring_wheat(farm_model* model, int crop_number,
                                                                               QWidget* parent)
    : property_page_crop(model, crop_number, fn_or_fo_layout(), parent) {
    malting_barley_button_ =
        with_id(new QPushButton(tr("Malting Barley Endorsement Premium Calculation"), this), 1336);
    malting_barley_button_->setAutoDefault(false);
    add_below_grid(malting_barley_button_);
    connect(malting_barley_button_, &QPushButton::clicked, this,
            &property_page_crop_barley_spring_wheat::on_malting_barley);
}

void property_page_crop_barley_spring_wheat::load_page() {
    malting_barley_button_->setVisible(crop_number_ == crop_barley);
    property_page_crop::load_page();
}

void property_page_crop_barley_spring_wheat::on_malting_barley() {
    dialog_malting_barley dialog(this, model_);
    run_modal(dialog);
}

property_page_crop_canola::property_page_crop_canola(farm_model* model, int crop_number, QWidget* parent)
    : property_page_crop(model, crop_number, cr_option_layout(), parent) {}

property_page_crop_winter_wheat::property_page_crop_winter_wheat(farm_model* model, int crop_number,
                                                                 QWidget* parent)
    : property_page_crop(model, crop_number, short_rate_layout(), parent) {}

}  // namespace zelmora
