#include "rating/payout_texts.h"

#include <algorithm>
#include <array>

#include "data/crops.h"
#include "utility/number_text.h"

namespace zelmora {

namespace {

// Columns padded to their widest cell, two blanks apart, trailing blanks cut;
// lines end in "\n". Every text here is ASCII, so a byte is a column.
class aligned_table {
public:
    explicit aligned_table(std::vector<bool> left) : left_(std::move(left)) {}
    void add(std::vector<std::string> cells) { rows_.push_back(std::move(cells)); }
    std::string text() const {
        std::vector<std::size_t> width(left_.size(), 0);
        for (const auto& row : rows_)
            for (std::size_t i = 0; i < row.size() && i < width.size(); ++i) width[i] = std::max(width[i], row[i].size());
        std::string out;
        for (const auto& row : rows_) {
            std::string line;
            for (std::size_t i = 0; i < row.size() && i < width.size(); ++i) {
                if (i > 0) line += "  ";
                const std::string padding(width[i] - row[i].size(), ' ');
                line += left_[i] ? row[i] + padding : padding + row[i];
            }
            line.erase(line.find_last_not_of(' ') + 1);
            out += line + "\n";
        }
        return out;
    }

private:
    std::vector<bool> left_;
    std::vector<std::vector<std::string>> rows_;
};

// A fixed text without the sign of a zero ("-0" is "0").
std::string plain_text(double value, int places) {
    std::string text = fixed_text(value, places);
    if (text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
    return text;
}

std::string dollars_text(double value, bool separators) {
    const std::string text = plain_text(value, 0);
    return separators ? insert_separators(text) : text;
}

std::string tab_line(const std::vector<std::string>& cells) {
    std::string line;
    for (std::size_t i = 0; i < cells.size(); ++i) line += (i > 0 ? "\t" : "") + cells[i];
    return line + "\n";
}

const char* structure_words(payout_structure s) {
    switch (s) {
    case payout_structure::units_as_entered:
        return "units as entered";
    case payout_structure::enterprise_unit:
        return "enterprise unit";
    case payout_structure::whole_farm_unit:
        return "whole-farm unit";
    }
    return "";
}

// A break-even's value for a spreadsheet: the number, "always" or "never".
std::string break_even_cell(const break_even& point, int places) {
    switch (point.where) {
    case break_even::kind::below:
        return plain_text(point.value.to_double(), places);
    case break_even::kind::always:
        return "always";
    case break_even::kind::never:
        return "never";
    }
    return "";
}

}  // namespace

std::string payout_model_sentence(const payout_model& model) {
    auto number = [](double value) { return general_text(value, 6); };
    return "Expected figures assume each crop's harvest price lognormal around its RA price with its price "
           "volatility, and each unit's yield varying around its APH yield with a cv of " +
           number(model.yield_cv) + " (never below 0), correlated " + number(model.unit_correlation) +
           " between units of a crop and " + number(model.crop_correlation) +
           " between crops, with a price-yield correlation of " + number(model.price_yield_correlation) +
           "; prevented planting, replant and quality adjustment are outside the estimate.";
}

std::string expected_figures_note(const expected_payouts& expected, const simulation_settings& settings,
                                  const char* plus_minus) {
    std::string note = "Expected figures are averages over " +
                       insert_separators(std::to_string(expected.draws)) + " simulated harvests (seed " +
                       std::to_string(settings.seed) + "); " + plus_minus + " gives one standard error.";
    if (!expected.target_met)
        note += " Some standard errors are still above " + general_text(100.0 * settings.target_relative_error, 6) +
                "% of their figure.";
    return note;
}

std::string outside_whole_farm_note(const payout_farm& farm) {
    if (!farm.whole_farm) return "";
    std::vector<std::string> outside;
    for (const payout_crop& crop : farm.crops)
        if (!farm.whole_farm->in_unit[static_cast<std::size_t>(crop.crop_number - 1)])
            outside.emplace_back(crop_display_name(crop.crop_number));
    if (outside.empty()) return "";
    std::string names;
    for (std::size_t i = 0; i < outside.size(); ++i)
        names += (i == 0 ? "" : i + 1 == outside.size() ? " and " : ", ") + outside[i];
    return "The whole-farm unit's expected figures include " + names +
           ", outside the unit and paid on its units: the payout, the net and the payout per dollar of premium "
           "count its producer premium too.";
}

std::string signed_change_text(double value, int places) {
    const std::string text = plain_text(value, places);
    const bool zero = text.find_first_not_of("0.") == std::string::npos;
    return !zero && text.front() != '-' ? "+" + text : text;
}

std::string break_even_price_text(const structure_break_evens& points) {
    if (!points.offered) return "";
    switch (points.price_change.where) {
    case break_even::kind::below: {
        const std::string change = signed_change_text(points.price_change.value.to_double(), 2) + "%";
        if (points.harvest_price && points.harvest_price->where == break_even::kind::below)
            return "below $" + insert_separators(points.harvest_price->value.to_text(2)) + " (" + change + ")";
        return "below " + change;
    }
    case break_even::kind::always:
        return "at any price";
    case break_even::kind::never:
        return "never";
    }
    return "";
}

std::string break_even_yield_text(const structure_break_evens& points) {
    if (!points.offered) return "";
    switch (points.yield_percent.where) {
    case break_even::kind::below:
        return "below " + points.yield_percent.value.to_text(2) + "% of APH";
    case break_even::kind::always:
        return "at any yield";
    case break_even::kind::never:
        return "never";
    }
    return "";
}

std::string payout_table_title(int crop_number) {
    return crop_number == 0 ? std::string("Farm (all crops)") : std::string(crop_display_name(crop_number));
}

// ------------------------------------------------------------------ the outcome table

namespace {

// One grid of the table (payouts or nets) as aligned columns.
std::string grid_text(const outcome_table& table, exact_decimal outcome_table_cell::*figure) {
    const bool crop = table.crop_number != 0;
    std::vector<bool> left(table.yield_percents.size() + (crop ? 2 : 1), false);
    aligned_table grid(left);
    std::vector<std::string> headings = {"Change"};
    if (crop) headings.push_back("Price");
    for (const int yield : table.yield_percents) headings.push_back(std::to_string(yield) + "%");
    grid.add(headings);
    for (std::size_t r = 0; r < table.price_changes.size(); ++r) {
        std::vector<std::string> cells = {signed_change_text(table.price_changes[r], 0) + "%"};
        if (crop) cells.push_back("$" + table.harvest_prices[r].to_text(2));
        for (std::size_t c = 0; c < table.yield_percents.size(); ++c)
            cells.push_back(dollars_text((table.cell(r, c).*figure).to_double(), true));
        grid.add(cells);
    }
    return grid.text();
}

}  // namespace

std::string outcome_table_text(const outcome_table& table) {
    std::string out = payout_table_title(table.crop_number) + ", " + structure_words(table.structure) +
                      ": producer premium $" + dollars_text(table.producer_premium.to_double(), true) + "\n";
    out += "Payout ($) by harvest price (rows: change from the RA price) and yield (columns: % of APH yield)\n";
    out += grid_text(table, &outcome_table_cell::payout);
    out += "\nNet ($): the payout less the producer premium\n";
    out += grid_text(table, &outcome_table_cell::net);
    out += "\nBreak-even points: where each structure starts to pay\n";
    aligned_table points({true, true, true});
    points.add({"Structure", "At APH yield, it pays at a harvest price", "At the RA price, it pays at a yield"});
    for (const payout_structure s : payout_structures) {
        const structure_break_evens& b = table.break_evens[static_cast<std::size_t>(s)];
        if (b.offered) points.add({payout_structure_name(s), break_even_price_text(b), break_even_yield_text(b)});
    }
    out += points.text();
    out += std::string("\n") + payout_estimate_limits + "\n";
    return out;
}

std::string outcome_table_tsv(const outcome_table& table) {
    const std::string title = payout_table_title(table.crop_number);
    const std::string structure = payout_structure_name(table.structure);
    std::string out = tab_line({"Crop", "Structure", "Price Change", "Harvest Price", "Yield", "Payout", "Net"});
    for (std::size_t r = 0; r < table.price_changes.size(); ++r)
        for (std::size_t c = 0; c < table.yield_percents.size(); ++c)
            out += tab_line({title, structure, std::to_string(table.price_changes[r]),
                             table.crop_number != 0 ? table.harvest_prices[r].to_text(2) : std::string(),
                             std::to_string(table.yield_percents[c]), dollars_text(table.cell(r, c).payout.to_double(), false),
                             dollars_text(table.cell(r, c).net.to_double(), false)});
    out += "\n";
    out += tab_line({"Crop", "Structure", "Break-even Price Change", "Break-even Harvest Price", "Break-even Yield"});
    for (const payout_structure s : payout_structures) {
        const structure_break_evens& b = table.break_evens[static_cast<std::size_t>(s)];
        if (!b.offered) continue;
        out += tab_line({title, payout_structure_name(s), break_even_cell(b.price_change, 2),
                         b.harvest_price ? break_even_cell(*b.harvest_price, 2) : std::string(),
                         break_even_cell(b.yield_percent, 2)});
    }
    return out;
}

// ------------------------------------------------------------------ the comparison with expected figures

const expected_cell* expected_cell_of(const expected_payouts& expected, int crop_number, int level,
                                      unit_structure structure) {
    const expected_table* table = expected.table(crop_number);
    if (table == nullptr) return nullptr;
    for (const expected_row& row : table->rows) {
        if (row.coverage_level != level) continue;
        const expected_cell& cell = row.cells[static_cast<std::size_t>(structure)];
        return cell.offered ? &cell : nullptr;
    }
    return nullptr;
}

namespace {

constexpr std::array<const char*, 4> expected_headings = {"Expected Payout", "Chance of Payout", "Expected Net",
                                                           "Payout/Premium"};

// The four figures as the aligned text shows them: value +/- standard error.
std::array<std::string, 4> expected_texts(const expected_cell* cell) {
    if (cell == nullptr) return {};
    auto with_error = [](const std::string& value, const std::string& error) { return value + " +/- " + error; };
    std::array<std::string, 4> texts = {
        with_error(dollars_text(cell->payout.value, true), dollars_text(cell->payout.standard_error, true)),
        with_error(plain_text(100.0 * cell->probability.value, 1) + "%",
                   plain_text(100.0 * cell->probability.standard_error, 1) + "%"),
        with_error(dollars_text(cell->net.value, true), dollars_text(cell->net.standard_error, true)),
        std::string()};
    if (cell->payout_to_premium)
        texts[3] = with_error(plain_text(cell->payout_to_premium->value, 2),
                              plain_text(cell->payout_to_premium->standard_error, 2));
    return texts;
}

// The same figures for a spreadsheet, each followed by its standard error.
std::array<std::string, 8> expected_cells(const expected_cell* cell) {
    if (cell == nullptr) return {};
    std::array<std::string, 8> cells = {dollars_text(cell->payout.value, false),
                                        dollars_text(cell->payout.standard_error, false),
                                        plain_text(cell->probability.value, 4),
                                        plain_text(cell->probability.standard_error, 4),
                                        dollars_text(cell->net.value, false),
                                        dollars_text(cell->net.standard_error, false),
                                        std::string(),
                                        std::string()};
    if (cell->payout_to_premium) {
        cells[6] = plain_text(cell->payout_to_premium->value, 4);
        cells[7] = plain_text(cell->payout_to_premium->standard_error, 4);
    }
    return cells;
}

// Every offered structure of every level of a table, in the comparison's order.
template <typename Emit>
void each_structure(const comparison_table& table, Emit emit) {
    for (const comparison_row& row : table.rows)
        for (std::size_t s = 0; s < unit_structure_count; ++s)
            if (row.cells[s].offered) emit(row, static_cast<unit_structure>(s));
}

}  // namespace

std::string expected_comparison_text(const std::vector<comparison_table>& tables, const expected_payouts& expected,
                                     const payout_model& model, const simulation_settings& settings,
                                     const std::string& outside_note) {
    if (tables.empty()) return comparison_text(tables);
    std::string out;
    for (const comparison_table& table : tables) {
        std::vector<bool> left(comparison_column_count + expected_headings.size(), false);
        left[1] = left[7] = true;  // the structure's name and the mark read from the left
        aligned_table lines(left);
        std::vector<std::string> headings(comparison_headings().begin(), comparison_headings().end());
        headings.insert(headings.end(), expected_headings.begin(), expected_headings.end());
        lines.add(headings);
        each_structure(table, [&](const comparison_row& row, unit_structure s) {
            const comparison_line line = comparison_line_of(row.coverage_level, s, row.cell(s), true);
            std::vector<std::string> cells(line.begin(), line.end());
            const auto figures = expected_texts(expected_cell_of(expected, table.crop_number, row.coverage_level, s));
            cells.insert(cells.end(), figures.begin(), figures.end());
            lines.add(cells);
        });
        if (!out.empty()) out += "\n";
        out += comparison_title(table) + "\n" + lines.text();
    }
    out += "\n" + payout_model_sentence(model) + "\n";
    if (!outside_note.empty()) out += outside_note + "\n";
    out += expected_figures_note(expected, settings) + "\n";
    return out;
}

std::string expected_comparison_tsv(const std::vector<comparison_table>& tables, const expected_payouts& expected) {
    std::vector<std::string> headings = {"Crop"};
    headings.insert(headings.end(), comparison_headings().begin(), comparison_headings().end());
    for (const char* heading : expected_headings) {
        headings.emplace_back(heading);
        headings.push_back(std::string(heading) + " SE");
    }
    std::string out = tab_line(headings);
    for (const comparison_table& table : tables)
        each_structure(table, [&](const comparison_row& row, unit_structure s) {
            const comparison_line line = comparison_line_of(row.coverage_level, s, row.cell(s), false);
            std::vector<std::string> cells = {comparison_title(table)};
            cells.insert(cells.end(), line.begin(), line.end());
            const auto figures = expected_cells(expected_cell_of(expected, table.crop_number, row.coverage_level, s));
            cells.insert(cells.end(), figures.begin(), figures.end());
            out += tab_line(cells);
        });
    return out;
}

}  // namespace zelmora
