#include "ui/outcomes_window.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QScrollArea>
#include <QSlider>
#include <QSplitter>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

#include "data/crops.h"
#include "rating/input_rules.h"
#include "rating/payout_rating.h"
#include "rating/payout_texts.h"
#include "ui/clipboard.h"
#include "ui/demo_notice.h"
#include "ui/farm_model.h"
#include "ui/numeric_controls.h"
#include "ui/window_services.h"

namespace zelmora {

namespace {

constexpr std::size_t at(payout_structure s) { return static_cast<std::size_t>(s); }

// Dollars with separators, the sign before the dollar sign: "$1,234", "-$56".
std::string money(double value) {
    const std::string text = insert_separators(signed_change_text(value, 0));
    if (text.front() == '+') return "$" + text.substr(1);
    if (text.front() == '-') return "-$" + text.substr(1);
    return "$" + text;
}

std::string escaped(const std::string& text) { return to_qstring(text).toHtmlEscaped().toStdString(); }

const char* table_style = "<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\">";

// What the harvest price and the yield fields take: any price a farm's RA price
// may be, and yields up to ten times the APH yield.
const field_range harvest_price_range = field_ranges::price;
constexpr field_range yield_percent_range{"yield (% of APH)", 0.0, 1000.0};

// The sliders' reach: a harvest price from 90% below to 100% above the RA
// price, a yield up to 150% of APH; the fields take more.
constexpr int lowest_change = -90, highest_change = 100, highest_yield = 150;

// The parameters' fields, in the order of payout_model_rules.
constexpr std::array<double payout_model::*, 4> parameter_members = {
    &payout_model::yield_cv, &payout_model::unit_correlation, &payout_model::crop_correlation,
    &payout_model::price_yield_correlation};

int worker_count() {
    const unsigned cores = std::thread::hardware_concurrency();
    return static_cast<int>(std::clamp(cores > 1 ? cores - 1 : 1u, 1u, 64u));
}

}  // namespace

// ------------------------------------------------------------------ HTML

std::string outcome_table_html(const outcome_table& table) {
    std::string html = std::string(table_style) + "\n<tr><th>Harvest price</th>";
    for (const int yield : table.yield_percents) html += "<th nowrap>" + std::to_string(yield) + "%</th>";
    html += "</tr>\n";
    for (std::size_t r = 0; r < table.price_changes.size(); ++r) {
        html += "<tr><th align=\"right\" style=\"white-space:nowrap\">" +
                signed_change_text(table.price_changes[r], 0) + "%";
        if (table.crop_number != 0) html += " ($" + table.harvest_prices[r].to_text(2) + ")";
        html += "</th>";
        for (std::size_t c = 0; c < table.yield_percents.size(); ++c) {
            const outcome_table_cell& cell = table.cell(r, c);
            const bool pays = cell.payout > 0.0;
            html += std::string("<td align=\"right\" nowrap") + (pays ? " bgcolor=\"#d8f0d0\"" : "") + ">" +
                    "<nobr>" + money(cell.payout.to_double()) + "</nobr><br><font color=\"#606060\"><nobr>" +
                    money(cell.net.to_double()) + "</nobr></font></td>";
        }
        html += "</tr>\n";
    }
    html += "</table>\n<p>Each cell: the payout, and under it the net (the payout less the producer premium of " +
            money(table.producer_premium.to_double()) + "). Shaded: the structure pays.</p>\n";
    html += "<h4>Break-even points</h4>\n" + std::string(table_style) +
            "\n<tr><th>Structure</th><th>At APH yield, it pays at a harvest price</th>"
            "<th>At the RA price, it pays at a yield</th></tr>\n";
    for (const payout_structure s : payout_structures) {
        const structure_break_evens& b = table.break_evens[at(s)];
        if (!b.offered) continue;
        html += std::string("<tr><td>") + payout_structure_name(s) + "</td><td>" + break_even_price_text(b) +
                "</td><td>" + break_even_yield_text(b) + "</td></tr>\n";
    }
    return html + "</table>\n";
}

std::string outcome_payout_html(const outcome_payout& paid) {
    if (!paid.problem.empty()) return "<p>" + escaped(paid.problem) + "</p>";
    std::string html = std::string(table_style) +
                       "\n<tr><th></th><th>Structure</th><th>Payout</th><th>Producer premium</th><th>Net</th></tr>\n";
    auto line = [&html](const std::string& who, payout_structure s, const structure_payout& figures, bool farm) {
        if (!figures.offered) return;
        const std::string open = farm ? "<b>" : "", close = farm ? "</b>" : "";
        html += "<tr><td>" + open + escaped(who) + close + "</td><td>" + payout_structure_name(s) +
                "</td><td align=\"right\" nowrap>" + open + money(figures.payout.to_double()) + close +
                "</td><td align=\"right\" nowrap>" + money(figures.producer_premium.to_double()) +
                "</td><td align=\"right\" nowrap>" + open + money(figures.net.to_double()) + close + "</td></tr>\n";
    };
    for (const crop_payout& crop : paid.crops) {
        line(crop_display_name(crop.crop_number), payout_structure::units_as_entered, crop.units_as_entered, false);
        line(crop_display_name(crop.crop_number), payout_structure::enterprise_unit, crop.enterprise_unit, false);
    }
    for (const payout_structure s : payout_structures) line("Farm", s, paid.farm_figures(s), true);
    return html + "</table>\n";
}

std::string expected_comparison_html(const std::vector<comparison_table>& tables, const expected_payouts& expected) {
    std::string html;
    for (const comparison_table& table : tables) {
        html += "<h4>" + escaped(comparison_title(table)) + "</h4>\n" + table_style +
                "\n<tr><th>Level</th><th>Structure</th><th>Producer premium</th><th>Expected payout</th>"
                "<th>Chance of a payout</th><th>Expected net</th><th>Payout per $ of premium</th></tr>\n";
        for (const comparison_row& row : table.rows)
            for (std::size_t s = 0; s < unit_structure_count; ++s) {
                const comparison_cell& cell = row.cells[s];
                if (!cell.offered) continue;
                html += "<tr><td align=\"center\">" + std::to_string(row.coverage_level) + "%</td><td>" +
                        unit_structure_name(static_cast<unit_structure>(s)) + "</td><td align=\"right\">" +
                        money(cell.producer_premium.to_double()) + "</td>";
                const expected_cell* e =
                    expected_cell_of(expected, table.crop_number, row.coverage_level, static_cast<unit_structure>(s));
                if (e == nullptr) {
                    html += "<td colspan=\"4\">no expected figures</td></tr>\n";
                    continue;
                }
                html += "<td align=\"right\">" + money(e->payout.value) + " &plusmn; " +
                        money(e->payout.standard_error) + "</td><td align=\"right\">" +
                        fixed_text(100.0 * e->probability.value, 1) + "% &plusmn; " +
                        fixed_text(100.0 * e->probability.standard_error, 1) + "%</td><td align=\"right\">" +
                        money(e->net.value) + "</td><td align=\"right\">" +
                        (e->payout_to_premium ? fixed_text(e->payout_to_premium->value, 2) + " &plusmn; " +
                                                    fixed_text(e->payout_to_premium->standard_error, 2)
                                              : std::string("-")) +
                        "</td></tr>\n";
            }
        html += "</table>\n";
    }
    return html;
}

// ------------------------------------------------------------------ the window

outcomes_window::outcomes_window(farm_model* model, const payout_model& parameters, QWidget* parent)
    : QWidget(parent), model_(model), parameters_(parameters) {
    settings_.jobs = worker_count();
    setWindowFlag(Qt::Window);
    setWindowTitle(tr("Outcomes"));
    auto* column = new QVBoxLayout(this);
    demo_notice_ = make_demo_notice(this);
    show_demo_notice(demo_notice_, model_ != nullptr && model_->session().is_open() ? &model_->session().database()
                                                                                      : nullptr);
    column->addWidget(demo_notice_);
    auto* sides = new QSplitter(Qt::Horizontal, this);
    sides->setChildrenCollapsible(false);
    sides->addWidget(make_outcome_side());
    tabs_ = new QTabWidget(this);
    tabs_->addTab(make_table_tab(), tr("Outcome table"));
    tabs_->addTab(make_expected_tab(), tr("Expected figures"));
    sides->addWidget(tabs_);
    sides->setStretchFactor(0, 0);
    sides->setStretchFactor(1, 1);
    sides->setSizes({430, 570});
    column->addWidget(sides, 1);
    assumptions_ = new QLabel(this);
    assumptions_->setWordWrap(true);
    column->addWidget(assumptions_);
    assumptions_->setText(to_qstring(payout_model_sentence(parameters_)));

    estimate_timer_ = new QTimer(this);
    estimate_timer_->setSingleShot(true);
    estimate_timer_->setInterval(250);
    connect(estimate_timer_, &QTimer::timeout, this, &outcomes_window::estimate);
    refresh();
    fit_to_screen(this, QSize(1000, 700));
}

outcomes_window::~outcomes_window() {
    // The worker holds only its own copies; its last words to this window are dropped with it.
    if (worker_.joinable()) worker_.join();
}

QWidget* outcomes_window::make_outcome_side() {
    auto* side = new QWidget(this);
    auto* column = new QVBoxLayout(side);
    column->setContentsMargins(0, 0, 0, 0);
    auto* group = new QGroupBox(tr("One outcome: harvest price and yield per crop"), side);
    auto* inside = new QVBoxLayout(group);
    auto* scroll = new QScrollArea(group);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    crop_area_ = new QWidget(scroll);
    crop_grid_ = new QGridLayout(crop_area_);
    crop_grid_->setContentsMargins(0, 0, 0, 0);
    scroll->setWidget(crop_area_);
    inside->addWidget(scroll, 1);
    auto* buttons = new QHBoxLayout;
    auto* reset = new QPushButton(tr("RA Prices and APH Yields"), group);
    reset->setAutoDefault(false);
    reset->setToolTip(tr("Every crop back at its RA price and its units at their APH yields"));
    auto* copy = new QPushButton(tr("Copy Worksheet"), group);
    copy->setAutoDefault(false);
    copy->setToolTip(tr("Copy every step of this outcome's payout (tab-separated) to the clipboard"));
    buttons->addWidget(reset);
    buttons->addStretch(1);
    buttons->addWidget(copy);
    inside->addLayout(buttons);
    connect(reset, &QPushButton::clicked, this, &outcomes_window::reset_outcome);
    connect(copy, &QPushButton::clicked, this, &outcomes_window::copy_worksheet);
    column->addWidget(group, 2);

    auto* pays = new QGroupBox(tr("What this outcome pays"), side);
    auto* pays_column = new QVBoxLayout(pays);
    payout_view_ = new QTextBrowser(pays);
    payout_view_->setLineWrapMode(QTextEdit::NoWrap);  // a figure never breaks: the view scrolls
    payout_view_->setOpenLinks(false);
    pays_column->addWidget(payout_view_);
    column->addWidget(pays, 3);
    return side;
}

QWidget* outcomes_window::make_table_tab() {
    auto* tab = new QWidget(this);
    auto* column = new QVBoxLayout(tab);
    auto* choices = new QHBoxLayout;
    table_choice_ = new QComboBox(tab);
    structure_choice_ = new QComboBox(tab);
    for (const payout_structure s : payout_structures)
        structure_choice_->addItem(QString::fromLatin1(payout_structure_name(s)), static_cast<int>(s));
    choices->addWidget(new QLabel(tr("Table of"), tab));
    choices->addWidget(table_choice_);
    choices->addWidget(new QLabel(tr("under"), tab));
    choices->addWidget(structure_choice_);
    choices->addStretch(1);
    column->addLayout(choices);
    table_view_ = new QTextBrowser(tab);
    table_view_->setLineWrapMode(QTextEdit::NoWrap);  // a figure never breaks: the view scrolls
    table_view_->setOpenLinks(false);
    column->addWidget(table_view_, 1);
    connect(table_choice_, &QComboBox::currentIndexChanged, this, &outcomes_window::show_table);
    connect(structure_choice_, &QComboBox::currentIndexChanged, this, &outcomes_window::show_table);
    return tab;
}

QWidget* outcomes_window::make_expected_tab() {
    auto* tab = new QWidget(this);
    auto* column = new QVBoxLayout(tab);
    auto* group = new QGroupBox(tr("Payout model"), tab);
    auto* grid = new QGridLayout(group);
    const std::array<QString, 4> labels = {tr("Yield cv"), tr("Correlation of units of a crop"),
                                           tr("Correlation of crops"), tr("Price-yield correlation")};
    const auto rules = payout_model_rules();
    for (std::size_t i = 0; i < rules.size(); ++i) {
        auto* field = new edit_decimal(group);
        field->fit_to(QStringLiteral("-0.000"));
        field->set_range(field_range{rules[i].name, rules[i].minimum, rules[i].maximum});
        const int r = static_cast<int>(i / 2), c = static_cast<int>(i % 2) * 2;
        grid->addWidget(new QLabel(labels[i], group), r, c);
        grid->addWidget(field, r, c + 1);
        parameter_fields_.push_back(field);
        connect(field, &QLineEdit::textChanged, this, &outcomes_window::parameter_typed);
    }
    parameter_note_ = new QLabel(group);
    parameter_note_->setWordWrap(true);
    parameter_note_->setStyleSheet(QStringLiteral("color: #b00000;"));
    grid->addWidget(parameter_note_, 2, 0, 1, 4);
    column->addWidget(group);
    show_parameters();

    auto* status_row = new QHBoxLayout;
    expected_status_ = new QLabel(tab);
    expected_status_->setWordWrap(true);
    auto* copy = new QPushButton(tr("Copy"), tab);
    copy->setAutoDefault(false);
    copy->setToolTip(tr("Copy the comparison with its expected figures (tab-separated) to the clipboard"));
    status_row->addWidget(expected_status_, 1);
    status_row->addWidget(copy);
    column->addLayout(status_row);
    expected_view_ = new QTextBrowser(tab);
    expected_view_->setLineWrapMode(QTextEdit::NoWrap);  // a figure never breaks: the view scrolls
    expected_view_->setOpenLinks(false);
    column->addWidget(expected_view_, 1);
    connect(copy, &QPushButton::clicked, this, &outcomes_window::copy_expected);
    return tab;
}

void outcomes_window::set_simulation_settings(const simulation_settings& settings) {
    settings_ = settings;
    figures_outdated();
}

void outcomes_window::figures_outdated() {
    if (model_ == nullptr) return;
    ++generation_;
    expected_.reset();
    estimating_ = true;
    show_expected();
    estimate_timer_->start();
}

void outcomes_window::show_parameters() {
    syncing_ = true;
    for (std::size_t i = 0; i < parameter_members.size(); ++i)
        parameter_fields_[i]->set_value(parameters_.*parameter_members[i], 2);
    syncing_ = false;
    parameter_note_->clear();
}

void outcomes_window::set_parameters(const payout_model& parameters) {
    if (parameters == parameters_) return;
    parameters_ = parameters;
    show_parameters();
    assumptions_->setText(to_qstring(payout_model_sentence(parameters_)));
    figures_outdated();
}

void outcomes_window::parameter_typed() {
    if (syncing_) return;  // the fields are being given the document's parameters
    payout_model typed;
    const auto& members = parameter_members;
    for (std::size_t i = 0; i < members.size(); ++i) {
        if (!parameter_fields_[i]->acceptable()) {
            parameter_note_->setText(tr("Not taken: %1.").arg(to_qstring(range_text(field_range{
                payout_model_rules()[i].name, payout_model_rules()[i].minimum, payout_model_rules()[i].maximum}))));
            return;
        }
        typed.*members[i] = parameter_fields_[i]->get_value().to_double();
    }
    if (const std::string problem = payout_model_problem(typed); !problem.empty()) {
        parameter_note_->setText(tr("Not taken: %1.").arg(to_qstring(problem)));
        return;
    }
    parameter_note_->clear();
    if (typed == parameters_) return;
    parameters_ = typed;
    assumptions_->setText(to_qstring(payout_model_sentence(parameters_)));
    Q_EMIT parameters_edited(parameters_);
    figures_outdated();
}

// ------------------------------------------------------------------ one outcome

outcomes_window::crop_row* outcomes_window::row_of(int crop_number) {
    for (crop_row& row : rows_)
        if (row.crop_number == crop_number) return &row;
    return nullptr;
}

const outcomes_window::crop_row* outcomes_window::row_of(int crop_number) const {
    for (const crop_row& row : rows_)
        if (row.crop_number == crop_number) return &row;
    return nullptr;
}

edit_decimal* outcomes_window::price_field(int crop_number) const {
    const crop_row* row = row_of(crop_number);
    return row ? row->price : nullptr;
}
edit_decimal* outcomes_window::yield_field(int crop_number) const {
    const crop_row* row = row_of(crop_number);
    return row ? row->yield : nullptr;
}
QSlider* outcomes_window::price_slider(int crop_number) const {
    const crop_row* row = row_of(crop_number);
    return row ? row->price_change : nullptr;
}
QSlider* outcomes_window::yield_slider(int crop_number) const {
    const crop_row* row = row_of(crop_number);
    return row ? row->yield_percent : nullptr;
}

void outcomes_window::rebuild_crop_rows() {
    // The crops with units, in order: the rows stay as they are while the crops do.
    std::vector<int> crops;
    for (const payout_crop& crop : farm_.crops) crops.push_back(crop.crop_number);
    std::vector<int> shown;
    for (const crop_row& row : rows_) shown.push_back(row.crop_number);
    if (crops != shown) {
        // The outcome of the crops that stay is kept: their fields' values.
        std::vector<std::pair<int, std::pair<exact_decimal, exact_decimal>>> kept;
        for (const crop_row& row : rows_)
            kept.push_back({row.crop_number,
                            {row.price->acceptable() ? row.price->get_value() : row.price->value_before_edit(),
                             row.yield->acceptable() ? row.yield->get_value() : row.yield->value_before_edit()}});
        rows_.clear();
        while (QLayoutItem* item = crop_grid_->takeAt(0)) {
            delete item->widget();
            delete item;
        }
        if (!crops.empty()) {
            crop_grid_->addWidget(new QLabel(tr("Crop"), crop_area_), 0, 0);
            crop_grid_->addWidget(new QLabel(tr("Harvest price ($)"), crop_area_), 0, 1, 1, 2);
            crop_grid_->addWidget(new QLabel(tr("Yield (% of APH)"), crop_area_), 0, 3, 1, 2);
        }
        rows_.reserve(farm_.crops.size());
        int line = 1;
        for (const payout_crop& crop : farm_.crops) {
            crop_row row;
            row.crop_number = crop.crop_number;
            row.ra_price = crop.price;
            row.name = new QLabel(crop_area_);
            row.price = new edit_decimal(crop_area_);
            row.price->fit_to(QStringLiteral("0,000.00"));
            row.price->set_range(harvest_price_range);
            row.price->set_value(crop.price, 2);
            row.price_change = new QSlider(Qt::Horizontal, crop_area_);
            row.price_change->setRange(lowest_change, highest_change);
            row.price_change->setValue(0);
            row.price_change->setMinimumWidth(70);
            row.yield = new edit_decimal(crop_area_);
            row.yield->fit_to(QStringLiteral("000.0"));
            row.yield->set_range(yield_percent_range);
            row.yield->set_value(100.0, 1);
            row.yield_percent = new QSlider(Qt::Horizontal, crop_area_);
            row.yield_percent->setRange(0, highest_yield);
            row.yield_percent->setValue(100);
            row.yield_percent->setMinimumWidth(70);
            for (const auto& [crop_number, values] : kept) {
                if (crop_number != crop.crop_number || crop.price != row.ra_price) continue;
                row.price->set_value(values.first, 2);
                row.yield->set_value(values.second, 1);
                const double ra = crop.price.to_double();
                const int change =
                    ra > 0.0 ? static_cast<int>(std::lround((values.first.to_double() / ra - 1.0) * 100.0)) : 0;
                row.price_change->setValue(std::clamp(change, lowest_change, highest_change));
                row.yield_percent->setValue(
                    std::clamp(static_cast<int>(std::lround(values.second.to_double())), 0, highest_yield));
            }
            crop_grid_->addWidget(row.name, line, 0);
            crop_grid_->addWidget(row.price, line, 1);
            crop_grid_->addWidget(row.price_change, line, 2);
            crop_grid_->addWidget(row.yield, line, 3);
            crop_grid_->addWidget(row.yield_percent, line, 4);
            ++line;
            rows_.push_back(row);
        }
        crop_grid_->setRowStretch(line, 1);
        // Connected once every row has its place: the handlers find their row by crop.
        for (const crop_row& row : rows_) {
            const int c = row.crop_number;
            connect(row.price, &QLineEdit::textChanged, this, [this, c] { price_typed(*row_of(c)); });
            connect(row.price_change, &QSlider::valueChanged, this, [this, c](int v) { price_slid(*row_of(c), v); });
            connect(row.yield, &QLineEdit::textChanged, this, [this, c] { yield_typed(*row_of(c)); });
            connect(row.yield_percent, &QSlider::valueChanged, this, [this, c](int v) { yield_slid(*row_of(c), v); });
        }
    }
    // A new RA price moves the harvest price with it, at the change the slider shows.
    for (crop_row& row : rows_) {
        const payout_crop* crop = farm_.crop(row.crop_number);
        row.name->setText(tr("%1 (RA $%2)").arg(QString::fromLatin1(crop_display_name(row.crop_number)),
                                                to_qstring(crop->price.to_text(2))));
        if (crop->price == row.ra_price) continue;
        row.ra_price = crop->price;
        price_slid(row, row.price_change->value());
    }
}

void outcomes_window::price_typed(crop_row& row) {
    if (!row.price->acceptable()) return;  // the field says why; the outcome keeps its price
    const double ra = row.ra_price.to_double();
    const double price = row.price->get_value().to_double();
    const int change = ra > 0.0 ? static_cast<int>(std::lround((price / ra - 1.0) * 100.0)) : 0;
    const QSignalBlocker quiet(row.price_change);
    row.price_change->setValue(std::clamp(change, lowest_change, highest_change));
    show_payout();
}

void outcomes_window::price_slid(crop_row& row, int change) {
    // As the outcome table forms a price: the RA price changed by whole percents, not rounded.
    const exact_decimal price = (row.ra_price * (100.0 + change)) / 100.0;
    {
        const QSignalBlocker quiet(row.price);
        row.price->set_value(price, 2);
    }
    row.price->set_range(harvest_price_range);  // clears a refusal's mark: the text is the slider's
    show_payout();
}

void outcomes_window::yield_typed(crop_row& row) {
    if (!row.yield->acceptable()) return;
    const double percent = row.yield->get_value().to_double();
    const QSignalBlocker quiet(row.yield_percent);
    row.yield_percent->setValue(std::clamp(static_cast<int>(std::lround(percent)), 0, highest_yield));
    show_payout();
}

void outcomes_window::yield_slid(crop_row& row, int percent) {
    {
        const QSignalBlocker quiet(row.yield);
        row.yield->set_value(static_cast<double>(percent), 1);
    }
    row.yield->set_range(yield_percent_range);
    show_payout();
}

void outcomes_window::reset_outcome() {
    for (crop_row& row : rows_) {
        row.price_change->setValue(0);
        price_slid(row, 0);
        row.yield_percent->setValue(100);
        yield_slid(row, 100);
    }
}

outcome outcomes_window::chosen_outcome() const {
    outcome chosen = uniform_outcome(farm_, 0.0, 100.0);
    for (const crop_row& row : rows_) {
        crop_outcome& c = chosen.crops[static_cast<std::size_t>(row.crop_number - 1)];
        // A refused text leaves what the field held before.
        c.harvest_price = row.price->acceptable() ? row.price->get_value() : row.price->value_before_edit();
        c.yield_percent = row.yield->acceptable() ? row.yield->get_value() : row.yield->value_before_edit();
    }
    return chosen;
}

void outcomes_window::show_payout() {
    payout_ = payout_of(farm_, chosen_outcome());
    const int scroll = payout_view_->verticalScrollBar() ? payout_view_->verticalScrollBar()->value() : 0;
    payout_view_->setHtml(to_qstring(farm_.crops.empty() ? std::string("<p>No crop with units to pay out.</p>")
                                                         : outcome_payout_html(payout_)));
    if (payout_view_->verticalScrollBar()) payout_view_->verticalScrollBar()->setValue(scroll);
}

bool outcomes_window::copy_worksheet() {
    if (farm_.crops.empty()) return false;
    const std::string text = payout_worksheet(farm_, chosen_outcome());
    if (!copy_text_to_clipboard(text, this)) return false;
    Q_EMIT status_message(copied_message(tr("Payout worksheet"), text));
    return true;
}

// ------------------------------------------------------------------ the outcome table

void outcomes_window::fill_table_choices() {
    const int shown = table_choice_->currentIndex() >= 0 ? table_choice_->currentData().toInt() : 0;
    const QSignalBlocker quiet(table_choice_);
    table_choice_->clear();
    table_choice_->addItem(to_qstring(payout_table_title(0)), 0);
    for (const payout_crop& crop : farm_.crops)
        table_choice_->addItem(QString::fromLatin1(crop_display_name(crop.crop_number)), crop.crop_number);
    const int again = table_choice_->findData(shown);
    table_choice_->setCurrentIndex(again >= 0 ? again : 0);
}

void outcomes_window::show_table() {
    const int crop = table_choice_->currentIndex() >= 0 ? table_choice_->currentData().toInt() : 0;
    // The whole-farm unit is the farm's: it has no table of one crop.
    if (auto* items = qobject_cast<QStandardItemModel*>(structure_choice_->model())) {
        if (QStandardItem* whole = items->item(static_cast<int>(at(payout_structure::whole_farm_unit))))
            whole->setEnabled(crop == 0);
    }
    if (crop != 0 && structure_choice_->currentIndex() == static_cast<int>(at(payout_structure::whole_farm_unit))) {
        const QSignalBlocker quiet(structure_choice_);
        structure_choice_->setCurrentIndex(static_cast<int>(at(payout_structure::units_as_entered)));
    }
    const auto structure = static_cast<payout_structure>(std::max(0, structure_choice_->currentIndex()));
    std::string html;
    if (farm_.crops.empty()) {
        html = "<p>No crop with units to pay out.</p>";
        table_ = outcome_table{};
    } else {
        table_ = outcome_table_of(farm_, crop, structure);
        if (!table_.problem.empty())
            html = "<p>" + escaped(table_.problem) + "</p>";
        else if (!table_.offered)
            html = "<p>The farm has no whole-farm unit: it needs two or more crops with units in it.</p>";
        else
            html = "<p><b>" + escaped(payout_table_title(crop)) + ", " + payout_structure_name(structure) +
                   "</b>: the payout by harvest price (rows, change from the RA price) and yield (columns, % of APH).</p>\n" +
                   outcome_table_html(table_);
    }
    const int scroll = table_view_->verticalScrollBar() ? table_view_->verticalScrollBar()->value() : 0;
    table_view_->setHtml(to_qstring(html));
    if (table_view_->verticalScrollBar()) table_view_->verticalScrollBar()->setValue(scroll);
}

// ------------------------------------------------------------------ the farm and its expected figures

void outcomes_window::refresh() {
    if (model_ == nullptr) return;
    farm_ = payout_farm_of(model_->current(), model_->rating());
    rebuild_crop_rows();
    show_payout();
    fill_table_choices();
    show_table();
    // The figures shown are no longer the farm's.
    figures_outdated();
}

void outcomes_window::detach() {
    model_ = nullptr;
    estimate_timer_->stop();
}

void outcomes_window::estimate() {
    if (model_ == nullptr) return;
    ++generation_;
    expected_.reset();
    estimating_ = true;
    show_expected();
    if (drawing_) return;  // the worker's figures are stale when they come; it starts again then
    comparison_ = compare_coverage(model_->session(), model_->current(), model_->rating());
    if (comparison_.empty()) {
        take_expected(expected_payouts{}, generation_);
        return;
    }
    std::vector<coverage_level_farm> levels = payout_levels_of(model_->session(), model_->current());
    drawing_ = true;
    worker_ = std::jthread([this, levels = std::move(levels), parameters = parameters_, settings = settings_,
                            generation = generation_] {
        expected_payouts figures = simulate_payouts(levels, parameters, settings);
        QMetaObject::invokeMethod(
            this, [this, figures = std::move(figures), generation]() mutable { take_expected(std::move(figures), generation); },
            Qt::QueuedConnection);
    });
}

void outcomes_window::take_expected(expected_payouts figures, unsigned long generation) {
    if (drawing_) {
        worker_.join();  // it has said its last word
        drawing_ = false;
    }
    if (generation != generation_) {
        if (model_ != nullptr) estimate();
        return;
    }
    expected_ = std::move(figures);
    estimating_ = false;
    show_expected();
    Q_EMIT expected_ready();
}

void outcomes_window::show_expected() {
    const int scroll = expected_view_->verticalScrollBar() ? expected_view_->verticalScrollBar()->value() : 0;
    if (estimating_) {
        expected_status_->setText(tr("Estimating the expected figures of the farm as it is now..."));
        expected_view_->setEnabled(false);
        return;
    }
    expected_view_->setEnabled(true);
    if (!expected_ || comparison_.empty()) {
        expected_status_->setText(tr("No crop with units is rated in this county: there is nothing to estimate."));
        expected_view_->clear();
        return;
    }
    if (!expected_->problem.empty()) {
        expected_status_->setText(tr("No expected figures: %1.").arg(to_qstring(expected_->problem)));
        expected_view_->clear();
        return;
    }
    std::string note = expected_figures_note(*expected_, settings_, "\u00b1");
    if (const std::string outside = outside_whole_farm_note(farm_); !outside.empty()) note += " " + outside;
    expected_status_->setText(to_qstring(note));
    expected_view_->setHtml(to_qstring(expected_comparison_html(comparison_, *expected_)));
    if (expected_view_->verticalScrollBar()) expected_view_->verticalScrollBar()->setValue(scroll);
}

bool outcomes_window::copy_expected() {
    if (!expected_ || comparison_.empty() || !expected_->problem.empty()) return false;
    const std::string text = expected_comparison_tsv(comparison_, *expected_);
    if (!copy_text_to_clipboard(text, this)) return false;
    Q_EMIT status_message(copied_message(tr("Expected figures"), text));
    return true;
}

}  // namespace zelmora
