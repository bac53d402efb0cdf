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
#include "rating/farm_file.h"

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
    if (doc->open(path, doc->error_text)) doc->error_text += doc->load_errors(read_farm_settings(store));
    return doc;
}

int picked_county::unit_count() const { return static_cast<int>(crops.size()) * max_units_per_crop; }

picked_county pick_county(premium_database& db, bool four_crop_state) {
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
    picked_county best;
    rowset_county_list counties;
    if (!is_ok(counties.open_with_filter(db)) || !is_ok(counties.move_first())) return best;
    do {
        const record_county_list& r = counties.record;
        const auto found = keys.find({r.state_fips, r.county_fips});
        if (found == keys.end()) continue;
        picked_county candidate;
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

farm full_farm(const picked_county& county) {
    farm f = default_farm();
    f.state_fips = county.state_fips;
    farm_inputs& in = f.inputs;
    in.county_fips = county.county_fips;
    in.indicated.fill(true);
    in.harvest_guarantee.fill(false);
    in.harvest_guarantee_whole_farm = false;
    in.coverage_whole_farm = 75;
    in.ppcl_select_whole_farm = 1;
    for (const picked_county::crop_keys& crop : county.crops) {
        const int c = crop.crop_number;
        const std::size_t i = ix(c);
        in.price[i] = typical_price[i];
        in.coverage[i] = 65 + 5 * (c % 5);
        in.coverage_enterprise[i] = 70 + 5 * (c % 3);
        in.ppcl_select[i] = c % 3;
        in.ppcl_select_enterprise[i] = (c + 1) % 3;
        in.sections[i] = 1 + c % 4;
        unit_list& units = in.units[i];
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
    return f;
}

document& shared_document() {
    static std::unique_ptr<document> doc = [] {
        memory_settings_store store;
        auto d = open_document(database_path(), store);
        if (!d->is_open()) {
            std::fprintf(stderr, "zelmora_bench: %s", d->error_text.c_str());
            std::exit(1);
        }
        return d;
    }();
    return *doc;
}

const picked_county& shared_county(bool four_crop_state) {
    static const std::array<picked_county, 2> counties = {pick_county(shared_document().database(), false),
                                                          pick_county(shared_document().database(), true)};
    return counties[four_crop_state ? 1 : 0];
}

const farm& shared_farm(bool four_crop_state) {
    static const std::array<farm, 2> farms = {full_farm(shared_county(false)), full_farm(shared_county(true))};
    return farms[four_crop_state ? 1 : 0];
}

memory_settings_store saved_settings() {
    memory_settings_store store;
    write_farm_settings(shared_farm(false), store);
    return store;
}

}  // namespace zelmora::bench
