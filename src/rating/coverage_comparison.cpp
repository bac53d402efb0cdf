#include "rating/coverage_comparison.h"

#include <algorithm>
#include <optional>

#include "rating/farm.h"
#include "utility/number_text.h"

namespace zelmora {

namespace {

constexpr std::size_t ix(int crop_number) { return static_cast<std::size_t>(crop_number - 1); }
constexpr std::size_t at(unit_structure s) { return static_cast<std::size_t>(s); }

// A unit's guarantee in dollars: the per-acre guarantee on its acres and share.
exact_decimal unit_guarantee(const exact_decimal& guarantee_per_acre, const insurance_unit& u) {
    exact_decimal guarantee = (guarantee_per_acre * u.acres) * u.share;
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

bool comparison_table::has_figures() const {
    return offers(unit_structure::units_as_entered) || offers(unit_structure::enterprise_unit) ||
           offers(unit_structure::whole_farm_unit);
}

namespace {

// What the comparison needs to know of the farm as entered.
struct farm_offer {
    const state_record* state = nullptr;
    int county_fips = 0;
    std::vector<int> crops;   // selected crops with units, in crop order
    crop_flags in_whole_farm{};
    bool whole_farm = false;  // two or more crops with units in the whole-farm unit

    bool high_coverage(int c) const { return state != nullptr && state->offers_high_coverage(county_fips, c); }
    bool level_offered(int c, int level) const { return level < 80 || high_coverage(c); }
};

farm_offer offer_of(const rating_session& session, const farm& f, const farm_rating& as_entered) {
    farm_offer offer;
    offer.state = &session.state(f.state_fips);
    offer.county_fips = f.inputs.county_fips;
    offer.in_whole_farm = as_entered.in_whole_farm;
    int whole_farm_crops = 0;
    for (int c = 1; c <= crop_count; ++c) {
        if (!as_entered.selected[ix(c)] || f.inputs.units[ix(c)].empty()) continue;
        offer.crops.push_back(c);
        if (as_entered.in_whole_farm[ix(c)]) ++whole_farm_crops;
    }
    offer.whole_farm = whole_farm_crops > 1;
    return offer;
}

// A crop's units at one level (every crop's coverage set to it), summed; not
// complete when a unit has no rate.
struct crop_units {
    exact_decimal guarantee, premium, acres;
    bool complete = true;
};

crop_units units_at_level(const farm& f, const farm_rating& rated, int c) {
    crop_units sums{0.0, 0.0, acre_shares(f.inputs.units[ix(c)])};
    const unit_list& units = f.inputs.units[ix(c)];
    for (std::size_t u = 0; u < units.size(); ++u) {
        const unit_rating& unit = rated.units[ix(c)][u];
        if (!unit.figures) {
            sums.complete = false;
            continue;
        }
        sums.guarantee += unit_guarantee(unit.figures->revenue_guarantee, units[u]);
        sums.premium += unit.figures->producer_premium;
    }
    return sums;
}

// Dollar sums of one structure over the farm's crops; complete while every
// part it adds is.
struct farm_sums {
    exact_decimal guarantee = 0.0, premium = 0.0, acres = 0.0;
    bool complete = true;
    void add(const exact_decimal& g, const exact_decimal& p, const exact_decimal& a, bool part_complete) {
        guarantee += g;
        premium += p;
        acres += a;
        complete = complete && part_complete;
    }
    comparison_cell cell() const { return complete ? cell_of(guarantee, premium, acres) : comparison_cell{}; }
};

// One level's rows: per crop and for the farm, the units with every crop's
// coverage at the level, the enterprise units and the whole-farm unit with theirs.
void add_level(const rating_session& session, const farm& f, const farm_offer& offer, int level,
               std::vector<comparison_table>& crop_tables, comparison_table& farm_table) {
    farm units_farm = f;
    units_farm.inputs.coverage.fill(level);
    const farm_rating units_rated = session.rate(units_farm);

    farm structures_farm = f;
    structures_farm.inputs.coverage_enterprise.fill(level);
    structures_farm.inputs.coverage_whole_farm = level;
    const farm_rating structures_rated = session.rate(structures_farm);

    farm_sums units_sums, enterprise_sums, outside_sums;  // outside: the crops outside the whole-farm unit
    bool farm_level = true;
    for (std::size_t t = 0; t < offer.crops.size(); ++t) {
        const int c = offer.crops[t];
        if (!offer.level_offered(c, level)) {
            farm_level = false;
            continue;
        }
        const crop_units sums = units_at_level(f, units_rated, c);
        const std::optional<premium_figures> enterprise = structures_rated.complete_enterprise_figures(c);
        exact_decimal crop_enterprise_guarantee = enterprise ? enterprise->revenue_guarantee * sums.acres : 0.0;
        crop_enterprise_guarantee.round_to(0);
        const exact_decimal crop_enterprise_premium = enterprise ? enterprise->producer_premium : 0.0;

        comparison_row row{level, {}};
        if (sums.complete)
            row.cells[at(unit_structure::units_as_entered)] = cell_of(sums.guarantee, sums.premium, sums.acres);
        if (enterprise)
            row.cells[at(unit_structure::enterprise_unit)] =
                cell_of(crop_enterprise_guarantee, crop_enterprise_premium, sums.acres);
        crop_tables[t].rows.push_back(row);

        units_sums.add(sums.guarantee, sums.premium, sums.acres, sums.complete);
        enterprise_sums.add(crop_enterprise_guarantee, crop_enterprise_premium, sums.acres, enterprise.has_value());
        if (!offer.in_whole_farm[ix(c)]) outside_sums.add(sums.guarantee, sums.premium, sums.acres, sums.complete);
    }

    comparison_row row{level, {}};
    if (farm_level) {
        row.cells[at(unit_structure::units_as_entered)] = units_sums.cell();
        row.cells[at(unit_structure::enterprise_unit)] = enterprise_sums.cell();
    }
    bool whole_farm_level = offer.whole_farm && farm_level;
    const std::optional<premium_figures> whole = structures_rated.complete_whole_farm_figures();
    if (whole_farm_level && whole) {
        // The whole-farm unit, and the crops outside it under their units as entered.
        const whole_farm_results& steps = structures_rated.whole_farm;
        exact_decimal guarantee = steps.revenue_guarantee_whole_farm * steps.crop_acre_weight_whole_farm;
        guarantee.round_to(0);
        farm_sums whole_farm_sums;
        whole_farm_sums.add(guarantee, steps.producer_premium_whole_farm, steps.crop_acre_weight_whole_farm, true);
        whole_farm_sums.add(outside_sums.guarantee, outside_sums.premium, outside_sums.acres, outside_sums.complete);
        row.cells[at(unit_structure::whole_farm_unit)] = whole_farm_sums.cell();
    }
    if (std::any_of(row.cells.begin(), row.cells.end(), [](const comparison_cell& cell) { return cell.offered; }))
        farm_table.rows.push_back(row);
}

}  // namespace

std::vector<comparison_table> compare_coverage(const rating_session& session, const farm& f,
                                               const farm_rating& as_entered) {
    std::vector<comparison_table> tables;
    if (!session.is_open()) return tables;
    const farm_offer offer = offer_of(session, f, as_entered);
    if (offer.crops.empty()) return tables;

    for (const int c : offer.crops) tables.push_back({c, {}, {}, {}});
    comparison_table farm_table{0, {}, {}, {}};
    for (const int c : offer.crops)
        if (!offer.in_whole_farm[ix(c)]) farm_table.outside_whole_farm.push_back(c);
    for (const int level : comparison_levels) add_level(session, f, offer, level, tables, farm_table);

    // A table without figures says which unit it would leave out.
    const std::vector<std::string> unrated = as_entered.unrated_units();
    for (comparison_table& table : tables)
        if (!table.has_figures()) table.not_rated = as_entered.enterprise_reason[ix(table.crop_number)];
    if (!farm_table.has_figures() && !unrated.empty()) farm_table.not_rated = unrated.front();
    // A crop whose units rate to no guarantee at any level (no acres) has no table.
    tables.erase(std::remove_if(tables.begin(), tables.end(),
                                [](const comparison_table& table) {
                                    return !table.has_figures() && table.not_rated.empty();
                                }),
                 tables.end());
    if (tables.empty()) return tables;
    tables.push_back(std::move(farm_table));
    for (comparison_table& table : tables) finish_table(table);
    return tables;
}

std::vector<comparison_table> compare_coverage(const rating_session& session, const farm& f) {
    if (!session.is_open()) return {};
    return compare_coverage(session, f, session.rate(f));
}

farm_unit_totals unit_totals_of(const farm& f, const farm_rating& rated) {
    farm_unit_totals totals;
    for (int c = 1; c <= crop_count; ++c) {
        if (!rated.selected[ix(c)]) continue;
        unit_totals& crop = totals.crops[ix(c)];
        const unit_list& units = f.inputs.units[ix(c)];
        for (std::size_t u = 0; u < units.size() && u < rated.units[ix(c)].size(); ++u) {
            crop.acres += units[u].acres * units[u].share;
            const std::optional<premium_figures>& figures = rated.units[ix(c)][u].figures;
            if (!figures) {  // a unit the rater cannot rate adds nothing
                crop.complete = false;
                continue;
            }
            crop.guarantee += unit_guarantee(figures->revenue_guarantee, units[u]);
            crop.total_premium += figures->total_premium;
            crop.subsidy += figures->subsidy;
            crop.producer_premium += figures->producer_premium;
        }
        totals.farm.guarantee += crop.guarantee;
        totals.farm.total_premium += crop.total_premium;
        totals.farm.subsidy += crop.subsidy;
        totals.farm.producer_premium += crop.producer_premium;
        totals.farm.acres += crop.acres;
        totals.farm.complete = totals.farm.complete && crop.complete;
    }
    return totals;
}

std::string outside_whole_farm_note(const comparison_table& table) {
    if (table.crop_number != 0 || table.outside_whole_farm.empty() || !table.offers(unit_structure::whole_farm_unit))
        return {};
    std::string names;
    for (std::size_t i = 0; i < table.outside_whole_farm.size(); ++i) {
        if (i > 0) names += i + 1 == table.outside_whole_farm.size() ? " and " : ", ";
        names += crop_display_name(table.outside_whole_farm[i]);
    }
    const bool one = table.outside_whole_farm.size() == 1;
    return "Whole-farm unit: " + names + (one ? " is" : " are") + " outside it and counted under " +
           (one ? "its" : "their") + " units as entered.";
}

std::string comparison_title(const comparison_table& table) {
    return table.crop_number == 0 ? "Farm (all crops)" : crop_display_name(table.crop_number);
}

// ------------------------------------------------------------------ texts

namespace {

constexpr std::size_t comparison_columns = comparison_column_count;

}  // namespace

const comparison_line& comparison_headings() {
    static const comparison_line headings = {
        "Coverage", "Unit Structure", "Guarantee", "Producer Premium", "Premium/Acre", "Premium per $1,000",
        "Added Premium per Added $", "Cheapest"};
    return headings;
}

// The cells of one offered structure at one level; separators for the aligned text.
comparison_line comparison_line_of(int level, unit_structure s, const comparison_cell& cell, bool separators) {
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

namespace {

template <typename Emit>
void each_line(const comparison_table& table, bool separators, Emit emit) {
    for (const comparison_row& row : table.rows)
        for (std::size_t s = 0; s < unit_structure_count; ++s)
            if (row.cells[s].offered)
                emit(comparison_line_of(row.coverage_level, static_cast<unit_structure>(s), row.cells[s], separators));
}

}  // namespace

std::string comparison_tsv(const std::vector<comparison_table>& tables) {
    std::string out = "Crop";
    for (std::size_t i = 0; i < comparison_columns; ++i) out += std::string("\t") + comparison_headings()[i];
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
        for (std::size_t i = 0; i < comparison_columns; ++i) headings[i] = comparison_headings()[i];
        lines.push_back(headings);
        each_line(table, true, [&](const std::array<std::string, comparison_columns>& cells) { lines.push_back(cells); });
        std::array<std::size_t, comparison_columns> width{};
        for (const auto& line : lines)
            for (std::size_t i = 0; i < comparison_columns; ++i) width[i] = std::max(width[i], line[i].size());
        if (!out.empty()) out += "\n";
        out += comparison_title(table) + "\n";
        if (!table.has_figures() && !table.not_rated.empty()) {
            out += "No figures: " + table.not_rated + "\n";
            continue;
        }
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
        if (const std::string note = outside_whole_farm_note(table); !note.empty()) out += note + "\n";
    }
    return out;
}

}  // namespace zelmora
