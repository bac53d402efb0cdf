#include "rating/coverage_comparison.h"

#include <algorithm>
#include <cctype>
#include <memory>

#include "utility/number_text.h"

namespace zelmora {

namespace {

constexpr std::size_t ix(int crop_number) { return static_cast<std::size_t>(crop_number - 1); }
constexpr std::size_t at(unit_structure s) { return static_cast<std::size_t>(s); }

bool rated_crop(const premium_calculator& k, int c) { return k.crop_selected(c) && !k.units[ix(c)].empty(); }

bool high_coverage(const premium_calculator& k, int c) {
    return k.state_data && k.state_data->offers_high_coverage(k.county_fips, c);
}

bool level_offered(const premium_calculator& k, int c, int level) { return level < 80 || high_coverage(k, c); }

// The whole-farm unit is offered when two or more crops are in it.
bool whole_farm_offered(const premium_calculator& k) {
    int crops = 0;
    for (int c = 1; c <= crop_count; ++c)
        if (k.crop_in_whole_farm(c) && !k.units[ix(c)].empty()) ++crops;
    return crops > 1;
}

// A unit's guarantee in dollars: the per-acre guarantee on its acres and share.
exact_decimal unit_guarantee(const insurance_unit& u) {
    exact_decimal guarantee = (u.revenue_guarantee * u.acres) * u.share;
    return guarantee.round_to(0);
}

exact_decimal acre_shares(const unit_list& units) {
    exact_decimal total = 0.0;
    for (const insurance_unit& u : units) total += u.acres * u.share;
    return total;
}

// A cell from dollar figures; per-acre and per-$1,000 figures rounded to cents.
comparison_cell cell_of(const exact_decimal& guarantee, const exact_decimal& producer_premium, const exact_decimal& acres) {
    comparison_cell cell;
    cell.offered = guarantee > 0.0;
    if (!cell.offered) return cell;
    cell.guarantee = guarantee;
    cell.producer_premium = producer_premium;
    if (acres > 0.0) {
        cell.producer_premium_per_acre = producer_premium / acres;
        cell.producer_premium_per_acre.round_to(2);
    }
    cell.premium_per_1000 = (producer_premium / guarantee) * 1000.0;
    cell.premium_per_1000.round_to(2);
    return cell;
}

// The step from each structure's previous offered level, and the cheapest structure of each level.
void finish_table(comparison_table& table) {
    for (std::size_t s = 0; s < unit_structure_count; ++s) {
        const comparison_cell* previous = nullptr;
        for (comparison_row& row : table.rows) {
            comparison_cell& cell = row.cells[s];
            if (!cell.offered) continue;
            if (previous != nullptr && cell.guarantee != previous->guarantee) {
                cell.has_step = true;
                cell.added_premium_per_added_dollar =
                    (cell.producer_premium - previous->producer_premium) / (cell.guarantee - previous->guarantee);
                cell.added_premium_per_added_dollar.round_to(4);
            }
            previous = &cell;
        }
    }
    for (comparison_row& row : table.rows) {
        int offered = 0;
        exact_decimal lowest;
        for (const comparison_cell& cell : row.cells) {
            if (!cell.offered) continue;
            if (offered == 0 || cell.producer_premium < lowest) lowest = cell.producer_premium;
            ++offered;
        }
        if (offered < 2) continue;
        for (comparison_cell& cell : row.cells) cell.cheapest = cell.offered && cell.producer_premium == lowest;
    }
}

// Sets every unit's result figures to zero, so that a unit the rater cannot
// rate adds nothing to the sums rather than the figures of an earlier rating.
void clear_unit_figures(premium_calculator& k) {
    for (unit_list& units : k.units)
        for (insurance_unit& u : units) {
            u.revenue_guarantee = 0.0;
            u.total_premium = 0.0;
            u.ra_subsidy = 0.0;
            u.producer_premium = 0.0;
        }
}

// A calculator for the farm on the session's connection and rater, with the
// session calculator's b values. For a farm of the session calculator's state
// it takes that calculator's state record (the counties and whole-farm b values
// the pages rate with) instead of reading it again: a table redrawn on every
// change reads no county list. Otherwise as rating_session::calculator_for.
std::unique_ptr<premium_calculator> copy_of_farm(const rating_session& session, const farm& f, std::string& error_text) {
    const premium_calculator* own = session.calculator.get();
    if (own == nullptr || !own->state_data || own->state_fips() != f.state_fips)
        return session.calculator_for(f, error_text);
    // Made without a connection, so that its defaults read nothing.
    auto copy = std::make_unique<premium_calculator>(nullptr, nullptr, error_text);
    copy->database = session.database.get();
    copy->rater = session.continuous_rater.get();
    copy->state_data = std::make_unique<state_record>(*own->state_data);
    static_cast<b_value_tables&>(*copy) = *own;
    static_cast<farm_inputs&>(*copy) = f.inputs;
    return copy;
}

}  // namespace

const char* unit_structure_name(unit_structure structure) {
    switch (structure) {
    case unit_structure::units_as_entered:
        return "Units as entered";
    case unit_structure::enterprise_unit:
        return "Enterprise unit";
    case unit_structure::whole_farm_unit:
        return "Whole-farm unit";
    }
    return "";
}

bool comparison_table::offers(unit_structure s) const {
    return std::any_of(rows.begin(), rows.end(), [s](const comparison_row& row) { return row.cell(s).offered; });
}

std::vector<comparison_table> compare_coverage(const rating_session& session, const farm& f, std::string& error_text) {
    std::vector<comparison_table> tables;
    if (!session.is_open() || !session.surcharges) return tables;
    // One copy of the farm, rated twice per level: the units with every crop's
    // coverage set to the level, then, with the units' coverage as entered, the
    // enterprise and whole-farm units with theirs set to it (neither reads the
    // other's coverage). The unit figures are read after the first rating.
    const std::unique_ptr<premium_calculator> copy = copy_of_farm(session, f, error_text);
    const premium_calculator& k = *copy;
    const crop_ints entered_coverage = k.coverage;
    const rate_record_scope records(session.continuous_rater.get());

    std::vector<int> crops;
    for (int c = 1; c <= crop_count; ++c)
        if (rated_crop(k, c)) crops.push_back(c);
    if (crops.empty()) return tables;
    const bool whole_farm = whole_farm_offered(k);

    for (const int c : crops) tables.push_back({c, {}});
    comparison_table farm_table{0, {}};

    for (const int level : comparison_levels) {
        copy->coverage.fill(level);
        clear_unit_figures(*copy);
        copy->compute_all(*session.surcharges, error_text);
        struct crop_units {
            exact_decimal guarantee, premium, acres;
        };
        std::vector<crop_units> unit_sums;
        for (const int c : crops) {
            crop_units sums{0.0, 0.0, acre_shares(copy->units[ix(c)])};
            for (const insurance_unit& u : copy->units[ix(c)]) {
                sums.guarantee += unit_guarantee(u);
                sums.premium += u.producer_premium;
            }
            unit_sums.push_back(sums);
        }
        copy->coverage = entered_coverage;
        copy->coverage_enterprise.fill(level);
        copy->coverage_whole_farm = level;
        copy->compute_all(*session.surcharges, error_text);
        const premium_calculator& farm_copy = *copy;

        exact_decimal units_guarantee = 0.0, units_premium = 0.0, enterprise_guarantee = 0.0,
                      enterprise_premium = 0.0, acres = 0.0;
        bool farm_sums = true;
        for (std::size_t t = 0; t < crops.size(); ++t) {
            const int c = crops[t];
            if (!level_offered(k, c, level)) {
                farm_sums = false;
                continue;
            }
            const exact_decimal guarantee = unit_sums[t].guarantee;
            const exact_decimal premium = unit_sums[t].premium;
            const exact_decimal crop_acres = unit_sums[t].acres;
            exact_decimal crop_enterprise_guarantee = farm_copy.enterprise_revenue_guarantee[ix(c)] * crop_acres;
            crop_enterprise_guarantee.round_to(0);
            const exact_decimal crop_enterprise_premium = farm_copy.enterprise_producer_premium[ix(c)];

            comparison_row row{level, {}};
            row.cells[at(unit_structure::units_as_entered)] = cell_of(guarantee, premium, crop_acres);
            row.cells[at(unit_structure::enterprise_unit)] =
                cell_of(crop_enterprise_guarantee, crop_enterprise_premium, crop_acres);
            tables[t].rows.push_back(row);

            units_guarantee += guarantee;
            units_premium += premium;
            enterprise_guarantee += crop_enterprise_guarantee;
            enterprise_premium += crop_enterprise_premium;
            acres += crop_acres;
        }

        comparison_row row{level, {}};
        if (farm_sums) {
            row.cells[at(unit_structure::units_as_entered)] = cell_of(units_guarantee, units_premium, acres);
            row.cells[at(unit_structure::enterprise_unit)] = cell_of(enterprise_guarantee, enterprise_premium, acres);
        }
        bool whole_farm_level = whole_farm;
        for (const int c : crops)
            if (k.crop_in_whole_farm(c) && !level_offered(k, c, level)) whole_farm_level = false;
        if (whole_farm_level) {
            exact_decimal guarantee = farm_copy.revenue_guarantee_whole_farm * farm_copy.crop_acre_weight_whole_farm;
            guarantee.round_to(0);
            row.cells[at(unit_structure::whole_farm_unit)] =
                cell_of(guarantee, farm_copy.producer_premium_whole_farm, farm_copy.crop_acre_weight_whole_farm);
        }
        if (std::any_of(row.cells.begin(), row.cells.end(), [](const comparison_cell& cell) { return cell.offered; }))
            farm_table.rows.push_back(row);
    }

    tables.erase(std::remove_if(tables.begin(), tables.end(),
                                [](const comparison_table& table) {
                                    return !table.offers(unit_structure::units_as_entered) &&
                                           !table.offers(unit_structure::enterprise_unit);
                                }),
                 tables.end());
    if (tables.empty()) return tables;
    tables.push_back(std::move(farm_table));
    for (comparison_table& table : tables) finish_table(table);
    return tables;
}

farm_unit_totals unit_totals_of(const premium_calculator& rated) {
    farm_unit_totals totals;
    for (int c = 1; c <= crop_count; ++c) {
        if (!rated.crop_selected(c)) continue;
        unit_totals& crop = totals.crops[ix(c)];
        for (const insurance_unit& u : rated.units[ix(c)]) {
            crop.guarantee += unit_guarantee(u);
            crop.total_premium += u.total_premium;
            crop.subsidy += u.ra_subsidy;
            crop.producer_premium += u.producer_premium;
            crop.acres += u.acres * u.share;
        }
        totals.farm.guarantee += crop.guarantee;
        totals.farm.total_premium += crop.total_premium;
        totals.farm.subsidy += crop.subsidy;
        totals.farm.producer_premium += crop.producer_premium;
        totals.farm.acres += crop.acres;
    }
    return totals;
}

std::string comparison_title(const comparison_table& table) {
    return table.crop_number == 0 ? "Farm (all crops)" : crop_display_name(table.crop_number);
}

// ------------------------------------------------------------------ texts

namespace {

constexpr std::size_t comparison_columns = 8;
const std::array<const char*, comparison_columns> comparison_headings = {
    "Coverage", "Unit Structure", "Guarantee", "Producer Premium", "Premium/Acre", "Premium per $1,000",
    "Added Premium per Added $", "Cheapest"};

// The cells of one offered structure at one level; separators for the aligned text.
std::array<std::string, comparison_columns> line_of(int level, unit_structure s, const comparison_cell& cell,
                                                   bool separators) {
    auto number = [separators](const exact_decimal& value, int places) {
        std::string text = value.to_text(places);
        return separators ? insert_separators(text) : text;
    };
    return {std::to_string(level) + "%",
            unit_structure_name(s),
            number(cell.guarantee, 0),
            number(cell.producer_premium, 0),
            number(cell.producer_premium_per_acre, 2),
            number(cell.premium_per_1000, 2),
            cell.has_step ? number(cell.added_premium_per_added_dollar, 4) : std::string(),
            cell.cheapest ? "cheapest" : ""};
}

template <typename Emit>
void each_line(const comparison_table& table, bool separators, Emit emit) {
    for (const comparison_row& row : table.rows)
        for (std::size_t s = 0; s < unit_structure_count; ++s)
            if (row.cells[s].offered)
                emit(line_of(row.coverage_level, static_cast<unit_structure>(s), row.cells[s], separators));
}

}  // namespace

std::string comparison_tsv(const std::vector<comparison_table>& tables) {
    std::string out = "Crop";
    for (std::size_t i = 0; i < comparison_columns; ++i) out += std::string("\t") + comparison_headings[i];
    out += "\n";
    for (const comparison_table& table : tables)
        each_line(table, false, [&](const std::array<std::string, comparison_columns>& cells) {
            out += comparison_title(table);
            for (const std::string& cell : cells) out += "\t" + cell;
            out += "\n";
        });
    return out;
}

std::string comparison_text(const std::vector<comparison_table>& tables) {
    if (tables.empty()) return "(no crop with units to compare)\n";
    std::string out;
    for (const comparison_table& table : tables) {
        std::vector<std::array<std::string, comparison_columns>> lines;
        std::array<std::string, comparison_columns> headings;
        for (std::size_t i = 0; i < comparison_columns; ++i) headings[i] = comparison_headings[i];
        lines.push_back(headings);
        each_line(table, true, [&](const std::array<std::string, comparison_columns>& cells) { lines.push_back(cells); });
        std::array<std::size_t, comparison_columns> width{};
        for (const auto& line : lines)
            for (std::size_t i = 0; i < comparison_columns; ++i) width[i] = std::max(width[i], line[i].size());
        if (!out.empty()) out += "\n";
        out += comparison_title(table) + "\n";
        for (const auto& line : lines) {
            std::string text;
            for (std::size_t i = 0; i < comparison_columns; ++i) {
                if (i > 0) text += "  ";
                const std::string padding(width[i] - line[i].size(), ' ');
                const bool left = i == 1 || i == 7;  // the structure's name and the mark read from the left
                text += left ? line[i] + padding : padding + line[i];
            }
            text.erase(text.find_last_not_of(' ') + 1);
            out += text + "\n";
        }
    }
    return out;
}

}  // namespace zelmora
