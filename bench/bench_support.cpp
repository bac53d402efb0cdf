#include "bench_support.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <tuple>
#include <utility>

#include "data/crops.h"
#include "data/rowsets.h"
#include "data/state_record.h"

namespace zelmora::bench {

namespace {

std::string& path_storage() {
    static std::string path;
    return path;
}

std::size_t ix(int crop_number) { return static_cast<std::size_t>(crop_number - 1); }

// Yields about those of the demo data's counties, by crop number.
constexpr std::array<double, crop_count> typical_yield = {140, 42, 45, 1500, 1300, 60, 45, 700, 6200};
constexpr std::array<double, crop_count> typical_price = {2.8, 6.6, 3.4, 0.11, 0.12, 2.5, 3.3, 0.6, 0.08};

}  // namespace

const std::string& database_path() { return path_storage(); }
void set_database_path(std::string path) { path_storage() = std::move(path); }

std::unique_ptr<document> open_document(const std::string& path, settings_store& store) {
    auto doc = std::make_unique<document>();
    doc->open(path, store, doc->error_text);
    return doc;
}

int farm::unit_count() const { return static_cast<int>(crops.size()) * max_units_per_crop; }

farm pick_farm(premium_database& db, bool four_crop_state) {
    // The rated keys of crop year 2004 by county and crop number, in stored order.
    using county_id = std::pair<int, int>;
    std::map<county_id, std::map<int, std::vector<std::pair<int, int>>>> keys;
    statement_lease rates;
    if (!is_ok(db.prepare("SELECT `State FIPS`, `County FIPS`, `Crop Code`, `Practice Code`, `Type Code` "
                   "FROM `Continuous Rates` WHERE `Crop Year` = 2004 AND `Insurance Plan ID` = 90 ORDER BY rowid",
                   rates, false)))
        return {};
    while (sqlite3_step(rates.get()) == SQLITE_ROW) {
        const int state = sqlite3_column_int(rates.get(), 0);
        if (is_four_crop_state_fips(state) != four_crop_state) continue;
        const int crop = crop_number_of_code(sqlite3_column_int(rates.get(), 2), sqlite3_column_int(rates.get(), 4));
        if (crop < 1) continue;
        keys[{state, sqlite3_column_int(rates.get(), 1)}][crop].emplace_back(sqlite3_column_int(rates.get(), 3),
                                                                             sqlite3_column_int(rates.get(), 4));
    }
    rates.release();

    // The county offering the most of the crops it has rates for; the first such in stored order.
    farm best;
    rowset_county_list counties;
    if (!is_ok(counties.open_with_filter(db)) || !is_ok(counties.move_first())) return best;
    do {
        const record_county_list& r = counties.record;
        const auto found = keys.find({r.state_fips, r.county_fips});
        if (found == keys.end()) continue;
        farm candidate;
        candidate.state_fips = r.state_fips;
        candidate.county_fips = r.county_fips;
        for (int c = 1; c <= crop_count; ++c) {
            const auto crop = found->second.find(c);
            if (r.crop_indicator[ix(c)] == 0 || crop == found->second.end()) continue;
            candidate.crops.push_back({c, crop->second});
        }
        if (candidate.crops.size() > best.crops.size()) best = std::move(candidate);
    } while (is_ok(counties.move_next()));
    return best;
}

void load_farm(premium_calculator& calculator, const farm& f, std::string& error_text) {
    if (calculator.state_fips() != f.state_fips) calculator.set_state(f.state_fips, error_text);
    calculator.county_fips = f.county_fips;
    calculator.indicated.fill(true);
    calculator.harvest_guarantee.fill(false);
    calculator.harvest_guarantee_whole_farm = false;
    calculator.coverage_whole_farm = 75;
    calculator.ppcl_select_whole_farm = 1;
    for (auto& list : calculator.units) list.clear();
    for (const farm::crop_keys& crop : f.crops) {
        const int c = crop.crop_number;
        const std::size_t i = ix(c);
        calculator.price[i] = typical_price[i];
        calculator.coverage[i] = 65 + 5 * (c % 5);
        calculator.coverage_enterprise[i] = 70 + 5 * (c % 3);
        calculator.ppcl_select[i] = c % 3;
        calculator.ppcl_select_enterprise[i] = (c + 1) % 3;
        calculator.sections[i] = 1 + c % 4;
        unit_list& units = calculator.units[i];
        const std::size_t n = crop.practice_type.size();
        for (int u = 0; u < max_units_per_crop; ++u) {
            insurance_unit unit;
            // Spread the units over the crop's codes.
            const auto& [practice, type] = crop.practice_type[static_cast<std::size_t>(u) * n / max_units_per_crop];
            unit.practice_code = practice;
            unit.type_code = type;
            unit.optional_unit = u % 2 == 1;
            unit.rate_yield = typical_yield[i] * (0.85 + 0.05 * u);
            unit.aph_yield = typical_yield[i] * (0.9 + 0.04 * u);
            unit.acres = 40.0 + 35.0 * u;
            unit.share = u % 3 == 2 ? 0.5 : 1.0;
            if (u == 6) unit.written_agreement_rate = 0.05;
            if (u == 3) {
                unit.fn_or_fo_factor = 0.95;
                unit.short_rate_factor = 0.9;
                unit.cr_option_factor = 1.05;
            }
            units.push_back(unit);
        }
    }
}

document& shared_document() {
    static std::unique_ptr<document> doc = [] {
        memory_settings_store store;
        auto d = open_document(database_path(), store);
        if (!d->database) {
            std::fprintf(stderr, "zelmora_bench: %s", d->error_text.c_str());
            std::exit(1);
        }
        return d;
    }();
    return *doc;
}

const farm& shared_farm(bool four_crop_state) {
    static const std::array<farm, 2> farms = {pick_farm(*shared_document().database, false),
                                              pick_farm(*shared_document().database, true)};
    return farms[four_crop_state ? 1 : 0];
}

premium_calculator& farm_calculator(bool four_crop_state) {
    static std::array<std::unique_ptr<premium_calculator>, 2> calculators;
    auto& calc = calculators[four_crop_state ? 1 : 0];
    if (!calc) {
        document& doc = shared_document();
        std::string errors;
        calc = std::make_unique<premium_calculator>(doc.database.get(), doc.continuous_rater.get(), errors);
        calc->read_b_values(errors);
        calc->read_b_value_table(errors);
        load_farm(*calc, shared_farm(four_crop_state), errors);
    }
    return *calc;
}

memory_settings_store saved_settings() {
    memory_settings_store store;
    farm_calculator(false).write_settings(store);
    shared_document().continuous_rater->write_settings(store);
    return store;
}

}  // namespace zelmora::bench
