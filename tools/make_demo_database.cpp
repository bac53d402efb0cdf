// Writes the demo rating database: the real counties of the 23 rated states with
// invented, but plausible, 2004 rating data for them.
//
//   make_demo_database [--scale N] OUTPUT   writes (or overwrites) OUTPUT
//   make_demo_database --summary PATH       prints what an existing database holds
//
// Everything is derived from a seeded hash of the state, county and crop, so two
// runs write the same rows. --scale N adds N - 1 synthetic practice or type
// variants to every rated key, to try the system on a national-size file.
#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "data/crops.h"
#include "data/demo_database.h"
#include "data/premium_database.h"
#include "data/rowsets.h"
#include "data/schema.h"

#ifndef ZELMORA_COUNTIES_CSV
#define ZELMORA_COUNTIES_CSV "data/counties.csv"
#endif

namespace {

using namespace zelmora;

// ==================================================================== tuning
// The figures that shape the rates. A unit's single-crop premium rate is about
// BR * 0.9 * (single_b1 + single_b9 * coverage), so with single_b1 = 1 - 0.65 * b9
// the 65 % rate is about 0.9 * BR and the 85 % rate (1 + 0.2 * b9) times that.
namespace tuning {
constexpr double single_b0 = 0.004;          // constant
constexpr double single_b5 = -0.004;         // yield ratio: a better yield history lowers the rate
constexpr double single_b7 = 0.01;           // price volatility
constexpr double single_b9_middle = 6.0;     // rate times coverage, for set 3
constexpr double single_b9_step = 0.15;      // change per set number
constexpr double single_rate_at_65 = 1.0;    // multiplier of BR * 0.9 at 65 % coverage
constexpr double single_harvest_factor = 1.06;  // harvest guarantee column over the plain column

// Whole farm, for the m crops of a column:
//   rate ~ 0.8 * sum(s_k v_k) + (3.0 / m) * sum(v_k) * (cv - 0.65) + 0.02 * (cv - 0.65)
// equal to 0.8 times the share-weighted enterprise rate at 65 % and rising with the
// crops' own rates as coverage rises, so that it stays below the enterprise rates at
// 85 % too (a coverage term alone would lift low-rate counties above them).
constexpr double whole_farm_b_share_rate = 0.8;        // s_k times v_k, each crop of the column
constexpr double whole_farm_b_share_rate_noise = 0.02;  // +- by state, region and column
constexpr double whole_farm_rate_slope = 3.0;          // v_k times cv (over m), less 0.65 of it on v_k
constexpr double whole_farm_coverage_slope = 0.02;     // cv, less 0.65 of it on the constant
constexpr double whole_farm_harvest_factor = 1.05;

constexpr double irrigated_yield_factor = 1.25;
constexpr double irrigated_rate_factor = 0.55;
constexpr double exponent_low = -2.5, exponent_high = -1.5;
constexpr double fixed_load_low = 0.002, fixed_load_high = 0.010;
constexpr double rate_differential_low = 0.95, rate_differential_high = 1.05;
constexpr double residual_noise = 0.01;             // +- on the residual factors by level
constexpr double no_high_coverage_chance = 0.12;    // a county's crop without 80/85 surcharge rows
constexpr std::array<double, 5> residual_by_level = {1.0, 1.055, 1.11, 1.165, 1.22};
}  // namespace tuning

// ==================================================================== deterministic numbers

std::uint64_t splitmix64(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

enum class salt : std::uint64_t {
    grows = 1,
    productivity,
    crop_productivity,
    irrigated,
    risk,
    exponent,
    fixed_load,
    prior,
    prior_rate,
    prior_exponent,
    prior_load,
    no_high_coverage,
    differential,
    prior_differential,
    residual,
    prior_residual,
    whole_farm,
};

// A number in [0, 1) for the given keys.
double uniform(salt s, long a = 0, long b = 0, long c = 0, long d = 0, long e = 0) {
    std::uint64_t h = 0x5A454C4D4F524132ull;  // fixed seed
    for (long k : {static_cast<long>(s), a, b, c, d, e}) h = splitmix64(h ^ static_cast<std::uint64_t>(k));
    return static_cast<double>(h >> 11) * 0x1.0p-53;
}

double between(double lo, double hi, double u) { return lo + (hi - lo) * u; }

std::int32_t scaled(double value, double factor) { return static_cast<std::int32_t>(std::lround(value * factor)); }

// ==================================================================== crops and states

struct crop_profile {
    int number;
    int code;
    int type;
    double yield_low, yield_high;  // reference yields of poor to good counties
    double rate_low, rate_high;    // reference rates of good to poor counties
    bool irrigated_only;
};

// Indexed by crop number - 1.
const std::array<crop_profile, crop_count> crops = {{
    {crop_corn, 41, 997, 100, 180, 0.020, 0.065, false},
    {crop_soybeans, 81, 997, 30, 55, 0.020, 0.060, false},
    {crop_spring_wheat, 11, 12, 30, 60, 0.030, 0.070, false},
    {crop_canola, 15, 997, 1200, 1800, 0.035, 0.070, false},
    {crop_sunflower, 78, 997, 1000, 1600, 0.035, 0.070, false},
    {crop_barley, 91, 997, 40, 80, 0.030, 0.065, false},
    {crop_winter_wheat, 11, 11, 30, 60, 0.025, 0.065, false},
    {crop_cotton, 21, 997, 500, 900, 0.035, 0.070, false},
    {crop_rice, 18, 997, 5000, 7500, 0.020, 0.040, true},
}};

using crop_shares = std::array<double, crop_count>;  // chance that a county grows each crop

struct state_profile {
    int fips;
    const char* abbreviation;
    crop_shares shares;         // counties of region 0 (all counties outside MN and SD)
    crop_shares region_shares;  // counties of region -1: southern Minnesota, eastern South Dakota
    double irrigated;           // chance that a county's crop also has the irrigated practice
};

//                     corn  soyb  sprW  canola sunfl barley winW  cotton rice
const std::array<state_profile, rated_state_count> states = {{
    {4, "AZ", {0.50, 0.00, 0.00, 0.00, 0.00, 0.50, 0.60, 0.70, 0.00}, {}, 1.0},
    {5, "AR", {0.50, 0.85, 0.00, 0.00, 0.00, 0.00, 0.45, 0.35, 0.50}, {}, 0.0},
    {8, "CO", {0.60, 0.00, 0.10, 0.00, 0.30, 0.30, 0.80, 0.00, 0.00}, {}, 0.7},
    {16, "ID", {0.30, 0.00, 0.75, 0.25, 0.05, 0.80, 0.80, 0.00, 0.00}, {}, 0.9},
    {17, "IL", {1.00, 1.00, 0.00, 0.00, 0.00, 0.00, 0.70, 0.00, 0.00}, {}, 0.0},
    {18, "IN", {1.00, 1.00, 0.00, 0.00, 0.00, 0.00, 0.70, 0.00, 0.00}, {}, 0.0},
    {19, "IA", {1.00, 1.00, 0.00, 0.00, 0.00, 0.00, 0.25, 0.00, 0.00}, {}, 0.0},
    {20, "KS", {0.80, 0.70, 0.00, 0.00, 0.35, 0.05, 0.98, 0.00, 0.00}, {}, 0.6},
    {21, "KY", {0.90, 0.85, 0.00, 0.00, 0.00, 0.10, 0.70, 0.00, 0.00}, {}, 0.0},
    {22, "LA", {0.50, 0.70, 0.00, 0.00, 0.00, 0.00, 0.30, 0.45, 0.40}, {}, 0.0},
    {26, "MI", {0.85, 0.80, 0.00, 0.00, 0.00, 0.20, 0.70, 0.00, 0.00}, {}, 0.0},
    {27, "MN",
     {0.55, 0.60, 0.95, 0.35, 0.45, 0.80, 0.20, 0.00, 0.00},   // north
     {0.98, 0.98, 0.35, 0.00, 0.10, 0.20, 0.15, 0.00, 0.00},   // south
     0.0},
    {29, "MO", {0.95, 0.95, 0.00, 0.00, 0.00, 0.00, 0.75, 0.15, 0.08}, {}, 0.0},
    {30, "MT", {0.15, 0.00, 0.90, 0.20, 0.10, 0.85, 0.90, 0.00, 0.00}, {}, 0.4},
    {31, "NE", {0.98, 0.90, 0.00, 0.00, 0.10, 0.00, 0.60, 0.00, 0.00}, {}, 0.9},
    {35, "NM", {0.50, 0.00, 0.00, 0.00, 0.00, 0.20, 0.60, 0.50, 0.00}, {}, 1.0},
    {37, "NC", {0.90, 0.90, 0.00, 0.00, 0.00, 0.25, 0.70, 0.40, 0.00}, {}, 0.0},
    {38, "ND", {0.70, 0.65, 0.98, 0.50, 0.70, 0.85, 0.55, 0.00, 0.00}, {}, 0.0},
    {39, "OH", {0.98, 0.98, 0.00, 0.00, 0.00, 0.10, 0.85, 0.00, 0.00}, {}, 0.0},
    {40, "OK", {0.30, 0.40, 0.00, 0.00, 0.00, 0.00, 0.95, 0.40, 0.00}, {}, 0.2},
    {46, "SD",
     {0.45, 0.15, 0.50, 0.00, 0.55, 0.20, 0.90, 0.00, 0.00},   // west
     {0.98, 0.95, 0.60, 0.05, 0.50, 0.30, 0.50, 0.00, 0.00},   // east
     0.1},
    {47, "TN", {0.85, 0.90, 0.00, 0.00, 0.00, 0.00, 0.60, 0.30, 0.00}, {}, 0.0},
    {51, "VA", {0.85, 0.75, 0.00, 0.00, 0.00, 0.30, 0.70, 0.15, 0.00}, {}, 0.0},
}};

bool has_regions(int state) { return state == 27 || state == 46; }
bool is_four_crop(int state) { return state == 5 || state == 22 || state == 40; }

// Northern Minnesota and western South Dakota (west of the Missouri) are region 0;
// the rest of those two states is region -1.
const std::set<int> minnesota_north = {1,  5,  7,  17, 21, 27,  29,  31,  35,  41,  51,  57,  61,  65,  69,  71,  75,
                                       77, 87, 89, 95, 97, 107, 111, 113, 115, 119, 125, 135, 137, 153, 155, 159, 167};
const std::set<int> south_dakota_west = {7,  19, 31, 33, 41, 47,  53,  55,  63,  71,  75, 81,
                                         85, 93, 95, 102, 103, 105, 113, 117, 121, 123, 137};

int region_flag_of(int state, int county) {
    if (state == 27) return minnesota_north.count(county) != 0 ? 0 : -1;
    if (state == 46) return south_dakota_west.count(county) != 0 ? 0 : -1;
    return 0;
}

const crop_shares& shares_of(const state_profile& s, int region_flag) {
    return has_regions(s.fips) && region_flag != 0 ? s.region_shares : s.shares;
}

// The crops a state rates: those any of its counties may grow.
std::array<bool, crop_count> state_crops(const state_profile& s) {
    std::array<bool, crop_count> rated{};
    for (int c = 0; c < crop_count; ++c)
        rated[c] = s.shares[c] > 0.0 || (has_regions(s.fips) && s.region_shares[c] > 0.0);
    return rated;
}

// b-value set of a crop: corn 1, soybeans 2, small grains 3, oilseeds 4, cotton and
// rice 5; the second region of Minnesota and South Dakota uses the next set.
int single_crop_set(int state, int region_flag, int crop_number) {
    static constexpr int base[crop_count] = {1, 2, 3, 4, 4, 3, 3, 5, 5};
    const int set = base[crop_number - 1];
    return has_regions(state) && region_flag == 0 ? set % 5 + 1 : set;
}

// ==================================================================== counties

struct county {
    int state;
    int fips;
    std::string name;
};

bool read_counties(const std::string& path, std::vector<county>& out, std::string& error) {
    std::ifstream in(path);
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    std::string line;
    std::getline(in, line);  // header
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        const std::size_t a = line.find(',');
        const std::size_t b = a == std::string::npos ? a : line.find(',', a + 1);
        if (b == std::string::npos) {
            error = "bad line in " + path + ": " + line;
            return false;
        }
        out.push_back({std::atoi(line.substr(0, a).c_str()), std::atoi(line.substr(a + 1, b - a - 1).c_str()),
                       line.substr(b + 1)});
    }
    return true;
}

// ==================================================================== rows

struct rate_key {
    int crop_number;
    int practice;
    int type;
    bool irrigated;
};

struct generated {
    int scale = 1;
    std::vector<record_continuous_rates> rates;
    std::vector<record_endogenous_risk_surcharge> surcharges;
    std::vector<record_county_list> counties;
    std::vector<record_county_average_yields> average_yields;
    std::set<int> practices_used, types_used;
};

constexpr int max_scale = 50;

int variant_practice(int practice, int v) { return practice * 100 + v; }
int variant_type(int v) { return 1000 + v; }

// The keys a county rates for one crop: the base practices (non-irrigated, and
// irrigated where it fits), each with 2 (scale - 1) synthetic variants, a practice
// and a type for each step of the scale. Wheat varies by practice only, so that its
// type keeps telling spring from winter wheat.
std::vector<rate_key> keys_for(const crop_profile& crop, bool with_irrigated, int scale) {
    std::vector<rate_key> keys;
    std::vector<std::pair<int, bool>> practices;
    if (!crop.irrigated_only) practices.push_back({3, false});
    if (crop.irrigated_only || with_irrigated) practices.push_back({2, true});
    for (const auto& [practice, irrigated] : practices) {
        keys.push_back({crop.number, practice, crop.type, irrigated});
        for (int v = 1; v < scale; ++v) {
            keys.push_back({crop.number, variant_practice(practice, v), crop.type, irrigated});
            if (crop.code == 11)
                keys.push_back({crop.number, variant_practice(practice, 50 + v), crop.type, irrigated});
            else
                keys.push_back({crop.number, practice, variant_type(v), irrigated});
        }
    }
    return keys;
}

void fill_rate(record_continuous_rates& r, int year, double yield, double rate, double exponent, double load,
               double prior_yield, double prior_rate, double prior_exponent, double prior_load) {
    r.crop_year = static_cast<std::int16_t>(year);
    r.insurance_plan_id = 90;
    r.reference_yield = scaled(yield, 100);
    r.reference_rate = scaled(rate, 1000);
    r.exponent = scaled(exponent, 1000);
    r.fixed_rate_load = scaled(load, 1000);
    // Yield span: 13 levels from half to one and a half times the reference yield, each
    // with the continuous rate at that level.
    for (int i = 0; i < 13; ++i) {
        const double ratio = 0.5 + i / 12.0;
        r.yield[i] = scaled(yield * ratio, 100);
        r.premium[i] = scaled(std::pow(ratio, exponent) * rate + load, 1000);
    }
    r.prior_year_reference_yield = scaled(prior_yield, 100);
    r.prior_year_reference_rate = scaled(prior_rate, 1000);
    r.prior_year_exponent = scaled(prior_exponent, 1000);
    r.prior_year_fixed_rate_load = scaled(prior_load, 1000);
}

void generate_county(const state_profile& st, const county& c, generated& out,
                     const std::array<bool, crop_count>& rated) {
    const int region = region_flag_of(c.state, c.fips);
    const crop_shares& share = shares_of(st, region);
    const double productivity = uniform(salt::productivity, c.state, c.fips);

    std::array<bool, crop_count> grows{};
    bool any = false;
    for (int k = 0; k < crop_count; ++k) {
        grows[k] = share[k] > 0.0 && uniform(salt::grows, c.state, c.fips, k + 1) < share[k];
        any = any || grows[k];
    }
    if (!any) {  // every county rates at least its state's most common crop
        int best = 0;
        for (int k = 1; k < crop_count; ++k)
            if (share[k] > share[best]) best = k;
        grows[best] = true;
    }

    std::array<bool, crop_count> has_rates{}, has_high_coverage{};
    bool average_written_for_code[100] = {};
    for (int k = 0; k < crop_count; ++k) {
        if (!grows[k]) continue;
        const crop_profile& crop = crops[k];
        const int n = crop.number;
        // County quality with some scatter by crop: good counties have high yields and low rates.
        const double quality =
            std::clamp(0.7 * productivity + 0.3 * uniform(salt::crop_productivity, c.state, c.fips, n), 0.0, 1.0);
        const bool irrigated_too = uniform(salt::irrigated, c.state, c.fips, n) < st.irrigated;
        const bool high_coverage = uniform(salt::no_high_coverage, c.state, c.fips, n) >= tuning::no_high_coverage_chance;

        for (const rate_key& key : keys_for(crop, irrigated_too, out.scale)) {
            const long p = key.practice, t = key.type;
            const double wobble = between(-0.04, 0.04, uniform(salt::risk, c.state, c.fips, n, p, t));
            double yield =
                std::clamp(between(crop.yield_low, crop.yield_high, quality) * (1.0 + wobble), crop.yield_low,
                           crop.yield_high);
            double rate = between(crop.rate_high, crop.rate_low, quality) * (1.0 - wobble);
            if (key.irrigated) {
                yield *= crop.irrigated_only ? 1.0 : tuning::irrigated_yield_factor;
                rate *= crop.irrigated_only ? 1.0 : tuning::irrigated_rate_factor;
            }
            const double exponent = between(tuning::exponent_low, tuning::exponent_high,
                                             uniform(salt::exponent, c.state, c.fips, n, p, t));
            const double load = between(tuning::fixed_load_low, tuning::fixed_load_high,
                                        uniform(salt::fixed_load, c.state, c.fips, n, p, t));
            // The prior year: a slightly lower yield, a rate and exponent a little off.
            const double py = yield * between(0.96, 1.0, uniform(salt::prior, c.state, c.fips, n, p, t));
            const double pr = rate * between(0.97, 1.03, uniform(salt::prior_rate, c.state, c.fips, n, p, t));
            const double pe = exponent + between(-0.05, 0.05, uniform(salt::prior_exponent, c.state, c.fips, n, p, t));
            const double pl = std::max(0.001, load + between(-0.001, 0.001, uniform(salt::prior_load, c.state, c.fips, n, p, t)));

            record_continuous_rates r;
            r.state_fips = static_cast<std::int16_t>(c.state);
            r.county_fips = static_cast<std::int16_t>(c.fips);
            r.crop_code = static_cast<std::int16_t>(crop.code);
            r.practice_code = static_cast<std::int16_t>(key.practice);
            r.type_code = static_cast<std::int16_t>(key.type);
            // 2003: the prior-year values are that year's own, and its prior a step further back.
            fill_rate(r, 2003, py, pr, pe, pl, py * 0.99, pr * 1.01, pe - 0.02, pl);
            out.rates.push_back(r);
            fill_rate(r, 2004, yield, rate, exponent, load, py, pr, pe, pl);
            out.rates.push_back(r);
            out.practices_used.insert(key.practice);
            out.types_used.insert(key.type);

            if (!average_written_for_code[crop.code] && key.practice == 3 && key.type == crop.type) {
                average_written_for_code[crop.code] = true;
                out.average_yields.push_back({static_cast<std::int16_t>(c.state), static_cast<std::int16_t>(c.fips),
                                              static_cast<std::int16_t>(crop.code),
                                              static_cast<float>(std::round(yield * 0.97 * 10.0) / 10.0)});
            }

            // Endogenous risk surcharges of 2004, the differential read from the 65 % row.
            record_endogenous_risk_surcharge s;
            s.crop_code = r.crop_code;
            s.state_fips = r.state_fips;
            s.county_fips = r.county_fips;
            s.crop_year = 2004;
            s.practice_code = r.practice_code;
            s.type_code = r.type_code;
            s.rate_differential = static_cast<float>(
                between(tuning::rate_differential_low, tuning::rate_differential_high,
                        uniform(salt::differential, c.state, c.fips, n, p, t)));
            s.prior_year_rate_differential = static_cast<float>(
                s.rate_differential + between(-0.01, 0.01, uniform(salt::prior_differential, c.state, c.fips, n, p, t)));
            const int levels = high_coverage ? 5 : 3;
            for (int level = 0; level < levels; ++level) {
                s.coverage_level = static_cast<std::int16_t>(65 + 5 * level);
                const double base = tuning::residual_by_level[static_cast<std::size_t>(level)];
                const double noise = level == 0 ? 0.0 : tuning::residual_noise;
                s.residual_factor = static_cast<float>(
                    base + between(-noise, noise, uniform(salt::residual, c.state, c.fips, n, p * 100 + level, t)));
                s.prior_year_residual_factor = static_cast<float>(
                    base + between(-noise, noise, uniform(salt::prior_residual, c.state, c.fips, n, p * 100 + level, t)));
                out.surcharges.push_back(s);
            }
        }
        has_rates[k] = true;
        has_high_coverage[k] = high_coverage;
    }

    // County List: the crop indicators follow the 2004 plan-90 rates and the 8085
    // indicators the 80/85 surcharges; a wheat row (code 11) counts for spring and
    // winter wheat as far as the state has b values for each in the county's region.
    record_county_list row;
    row.state_fips = static_cast<std::int16_t>(c.state);
    row.county_fips = static_cast<std::int16_t>(c.fips);
    copy_to_buffer(row.county_name, sizeof row.county_name, c.name);
    row.region_flag = static_cast<std::int16_t>(region);
    const bool wheat_rates = has_rates[crop_spring_wheat - 1] || has_rates[crop_winter_wheat - 1];
    const bool wheat_high = (has_rates[crop_spring_wheat - 1] && has_high_coverage[crop_spring_wheat - 1]) ||
                            (has_rates[crop_winter_wheat - 1] && has_high_coverage[crop_winter_wheat - 1]);
    for (int k = 0; k < crop_count; ++k) {
        const int n = k + 1;
        bool on = has_rates[k], high = has_rates[k] && has_high_coverage[k];
        if (n == crop_spring_wheat || n == crop_winter_wheat) {
            on = wheat_rates && rated[k];
            high = wheat_high && rated[k];
        }
        row.crop_indicator[k] = static_cast<std::int16_t>(on ? -1 : 0);
        row.indicator_8085[k] = static_cast<std::int16_t>(high ? -1 : 0);
    }
    out.counties.push_back(row);
}

// ==================================================================== b values

std::array<double, 15> single_crop_b_values(int set) {
    std::array<double, 15> b{};
    const double b9 = tuning::single_b9_middle + tuning::single_b9_step * (set - 3);
    b[0] = tuning::single_b0;
    b[1] = tuning::single_rate_at_65 - 0.65 * b9;
    b[5] = tuning::single_b5;
    b[7] = tuning::single_b7;
    b[9] = b9;
    return b;
}

// Term positions: six-crop model v_k at k, cv at 28, v_k cv at 29 + k, s_k v_k at
// 54 + 7 (k - 1); four-crop model v_k at k, cv at 15, v_k cv at 16 + k, s_k v_k at
// 33 + 5 (k - 1). Only the crops of the column (bit n - k of its number) get terms.
std::vector<double> whole_farm_b_values(int state, int region_flag, int column) {
    const bool four = is_four_crop(state);
    const int n = four ? 4 : 6;
    std::vector<double> b(four ? 165 : 330, 0.0);
    int m = 0;
    for (int k = 1; k <= n; ++k)
        if ((column & (1 << (n - k))) != 0) ++m;
    b[0] = -0.65 * tuning::whole_farm_coverage_slope;
    b[four ? 15 : 28] = tuning::whole_farm_coverage_slope;
    for (int k = 1; k <= n; ++k) {
        if ((column & (1 << (n - k))) == 0 || m == 0) continue;
        const double noise =
            between(-tuning::whole_farm_b_share_rate_noise, tuning::whole_farm_b_share_rate_noise,
                    uniform(salt::whole_farm, state, region_flag, column, k));
        const auto at = [&b](int index) -> double& { return b[static_cast<std::size_t>(index)]; };
        at(four ? 33 + 5 * (k - 1) : 54 + 7 * (k - 1)) = tuning::whole_farm_b_share_rate + noise;
        at(k) = -0.65 * tuning::whole_farm_rate_slope / m;
        at(four ? 16 + k : 29 + k) = tuning::whole_farm_rate_slope / m;
    }
    return b;
}

// Crop numbers of the model crops by bit, highest bit first.
std::vector<int> model_crops(int state) {
    if (is_four_crop(state)) return {crop_corn, crop_soybeans, crop_cotton, crop_rice};
    return {crop_corn, crop_soybeans, crop_spring_wheat, crop_canola, crop_sunflower, crop_barley};
}

// ==================================================================== writing

class inserter {
public:
    inserter(sqlite3* db, const table_description& t) {
        std::string sql = "INSERT INTO `" + t.name + "` VALUES (";
        for (std::size_t i = 0; i < t.columns.size(); ++i) sql += i == 0 ? "?" : ", ?";
        sql += ")";
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt_, nullptr) != SQLITE_OK) stmt_ = nullptr;
        db_ = db;
        table_ = &t;
    }
    ~inserter() { sqlite3_finalize(stmt_); }
    inserter(const inserter&) = delete;
    inserter& operator=(const inserter&) = delete;

    // Binds the record's fields by the table's column description, as the rowsets do.
    bool insert(const void* record) {
        if (stmt_ == nullptr) return false;
        const auto* base = static_cast<const unsigned char*>(record);
        int index = 1;
        for (const column_spec& c : table_->columns) {
            const void* field = base + c.offset;
            switch (c.type) {
                case column_type::i1: sqlite3_bind_int(stmt_, index, *static_cast<const std::int8_t*>(field)); break;
                case column_type::i2:
                case column_type::boolean:
                    sqlite3_bind_int(stmt_, index, *static_cast<const std::int16_t*>(field));
                    break;
                case column_type::i4: sqlite3_bind_int(stmt_, index, *static_cast<const std::int32_t*>(field)); break;
                case column_type::r4:
                    sqlite3_bind_double(stmt_, index, static_cast<double>(*static_cast<const float*>(field)));
                    break;
                case column_type::str: {
                    const char* text = static_cast<const char*>(field);
                    sqlite3_bind_text(stmt_, index, text, static_cast<int>(strnlen(text, c.width)), SQLITE_STATIC);
                    break;
                }
            }
            ++index;
        }
        const int rc = sqlite3_step(stmt_);
        sqlite3_reset(stmt_);
        if (rc != SQLITE_DONE) {
            std::fprintf(stderr, "make_demo_database: insert into %s failed: %s\n", table_->name.c_str(),
                         sqlite3_errmsg(db_));
            return false;
        }
        return true;
    }

private:
    sqlite3* db_ = nullptr;
    sqlite3_stmt* stmt_ = nullptr;
    const table_description* table_ = nullptr;
};

template <class Record>
bool insert_all(sqlite3* db, const table_description& t, const std::vector<Record>& rows) {
    inserter ins(db, t);
    for (const Record& r : rows)
        if (!ins.insert(&r)) return false;
    return true;
}

record_lookup_code code(int value, const std::string& description) {
    record_lookup_code r;
    r.code = static_cast<std::int16_t>(value);
    copy_to_buffer(r.description, sizeof r.description, description);
    return r;
}

bool write_database(const std::string& path, const std::vector<county>& counties, int scale) {
    generated g;
    g.scale = scale;

    std::map<int, std::array<bool, crop_count>> rated_by_state;
    for (const state_profile& s : states) rated_by_state[s.fips] = state_crops(s);
    for (const county& c : counties) {
        const int index = state_index(c.state);
        if (index < 0) {
            std::fprintf(stderr, "make_demo_database: state %d of county %d is not rated\n", c.state, c.fips);
            return false;
        }
        generate_county(states[static_cast<std::size_t>(index)], c, g, rated_by_state[c.state]);
    }

    // Single-crop b values and their lookup.
    std::vector<record_b_value_single_crop> single;
    for (int set = 1; set <= 5; ++set) {
        const auto b = single_crop_b_values(set);
        for (int i = 0; i < 15; ++i) {
            const double hg = (i == 1 || i == 7 || i == 9) ? b[static_cast<std::size_t>(i)] * tuning::single_harvest_factor
                                                           : b[static_cast<std::size_t>(i)];
            single.push_back({static_cast<std::int8_t>(set), static_cast<std::int16_t>(i),
                              static_cast<float>(b[static_cast<std::size_t>(i)]), static_cast<float>(hg)});
        }
    }
    std::vector<record_b_value_single_crop_lookup> lookup;
    std::vector<record_b_value_whole_farm> whole_farm;
    std::vector<record_lookup_column_number> columns;
    for (const state_profile& s : states) {
        const auto& rated = rated_by_state[s.fips];
        for (int n = 1; n <= crop_count; ++n) {
            if (!rated[static_cast<std::size_t>(n - 1)]) continue;
            for (int flag : {-1, 0}) {
                record_b_value_single_crop_lookup r;
                r.state_fips = static_cast<std::int16_t>(s.fips);
                r.region_flag = static_cast<std::int16_t>(flag);
                r.crop_number = static_cast<std::int16_t>(n);
                r.set_number = static_cast<std::int8_t>(single_crop_set(s.fips, flag, n));
                lookup.push_back(r);
            }
        }
        // Whole farm: every crop mix whose crops all have single-crop b values.
        const std::vector<int> model = model_crops(s.fips);
        const int bits = static_cast<int>(model.size());
        const int highest = (1 << bits) - 1;
        std::vector<int> flags = {0};
        if (has_regions(s.fips)) flags.push_back(-1);
        for (int mask = highest; mask >= 1; --mask) {
            bool valid = true;
            for (int k = 0; k < bits; ++k)
                if ((mask & (1 << (bits - 1 - k))) != 0 && !rated[static_cast<std::size_t>(model[k] - 1)]) valid = false;
            if (!valid) continue;
            for (int flag : flags) {
                const auto b = whole_farm_b_values(s.fips, flag, mask);
                for (std::size_t i = 0; i < b.size(); ++i)
                    whole_farm.push_back({static_cast<std::int16_t>(s.fips), static_cast<std::int16_t>(flag),
                                          static_cast<std::int16_t>(mask), static_cast<std::int16_t>(i),
                                          static_cast<float>(b[i]),
                                          static_cast<float>(b[i] * tuning::whole_farm_harvest_factor)});
                record_lookup_column_number col;
                col.state_fips = static_cast<std::int16_t>(s.fips);
                col.region_flag = static_cast<std::int16_t>(flag);
                col.column_number = static_cast<std::int16_t>(mask);
                std::string letters(static_cast<std::size_t>(bits), '0');
                for (int k = 0; k < bits; ++k)
                    if ((mask & (1 << (bits - 1 - k))) != 0) {
                        letters[static_cast<std::size_t>(k)] = 'R';
                        col.crop_set[model[static_cast<std::size_t>(k)] - 1] = 1;
                    }
                std::string prefix = s.abbreviation;
                if (s.fips == 27) prefix = flag != 0 ? "MN-S" : "MN-N";
                if (s.fips == 46) prefix = flag != 0 ? "SD-E" : "SD-W";
                copy_to_buffer(col.column_code, sizeof col.column_code, prefix + letters);
                columns.push_back(col);
            }
        }
    }

    // Code lookups: every code the rates use, and a few more.
    std::map<int, std::string> practice_names = {{2, "Irrigated"},
                                                 {3, "Non-Irrigated"},
                                                 {4, "Non-Irrigated Continuous Cropping"},
                                                 {43, "Non-Irrigated Summer Fallow"},
                                                 {53, "Irrigated Following Fallow"},
                                                 {94, "Organic Irrigated"},
                                                 {95, "Organic Non-Irrigated"}};
    std::map<int, std::string> type_names = {{11, "Winter"},      {12, "Spring"},     {16, "Grain"},
                                             {26, "Silage"},      {56, "Long Grain"}, {57, "Medium Grain"},
                                             {997, "No Type Specified"}};
    for (int p : g.practices_used)
        if (practice_names.count(p) == 0)
            practice_names[p] = (p / 100 == 2 ? "Irrigated Variant " : "Non-Irrigated Variant ") + std::to_string(p % 100);
    for (int t : g.types_used)
        if (type_names.count(t) == 0) type_names[t] = "Type Variant " + std::to_string(t - 1000);
    std::vector<record_lookup_code> practices, types;
    for (const auto& [k, v] : practice_names) practices.push_back(code(k, v));
    for (const auto& [k, v] : type_names) types.push_back(code(k, v));

    // Write to a temporary file next to the output, then put it in place.
    const std::string temporary = path + ".part";
    std::error_code ec;
    std::filesystem::remove(temporary, ec);
    std::filesystem::remove(temporary + "-journal", ec);
    {
        std::string error;
        auto db = create_premium_database(temporary, error);
        if (!db) {
            std::fputs(error.c_str(), stderr);
            return false;
        }
        sqlite3* h = db->handle();
        if (!is_ok(db->execute_statement(
                "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; PRAGMA page_size = 8192;")) ||
            !is_ok(create_schema(*db)) || !is_ok(mark_demo_database(*db)) || !is_ok(db->execute_statement("BEGIN"))) {
            std::fprintf(stderr, "make_demo_database: cannot create the schema: %s\n", db->last_error_message().c_str());
            return false;
        }
        const bool ok = insert_all(h, tables::b_value_single_crop(), single) &&
                        insert_all(h, tables::b_value_single_crop_lookup(), lookup) &&
                        insert_all(h, tables::b_value_whole_farm(), whole_farm) &&
                        insert_all(h, tables::continuous_rates(), g.rates) &&
                        insert_all(h, tables::county_average_yields(), g.average_yields) &&
                        insert_all(h, tables::county_list(), g.counties) &&
                        insert_all(h, tables::endogenous_risk_surcharge(), g.surcharges) &&
                        insert_all(h, tables::lookup_column_number(), columns) &&
                        insert_all(h, tables::lookup_practice_code(), practices) &&
                        insert_all(h, tables::lookup_type_code(), types);
        if (!ok || !is_ok(db->execute_statement("COMMIT")) ||
            !is_ok(db->execute_statement("ANALYZE"))) {
            std::fprintf(stderr, "make_demo_database: writing failed: %s\n", db->last_error_message().c_str());
            db.reset();
            std::filesystem::remove(temporary, ec);
            return false;
        }
    }
    std::filesystem::rename(temporary, path, ec);
    if (ec) {
        std::fprintf(stderr, "make_demo_database: cannot replace %s: %s\n", path.c_str(), ec.message().c_str());
        std::filesystem::remove(temporary, ec);
        return false;
    }
    return true;
}

// ==================================================================== summary

long long count_of(premium_database& db, const std::string& sql) {
    statement_lease lease;
    if (!is_ok(db.prepare(sql, lease, false))) return -1;
    return sqlite3_step(lease.get()) == SQLITE_ROW ? sqlite3_column_int64(lease.get(), 0) : -1;
}

int print_summary(const std::string& path) {
    std::string error;
    auto db = connect_premium_database(path, error);
    if (!db) {
        std::fputs(error.c_str(), stderr);
        return 1;
    }
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    std::printf("Rating database %s (%.1f MB)\n", path.c_str(), ec ? 0.0 : static_cast<double>(size) / 1e6);
    std::printf("  %lld states, %lld counties\n",
                count_of(*db, "SELECT count(DISTINCT `State FIPS`) FROM `County List`"),
                count_of(*db, "SELECT count(*) FROM `County List`"));
    std::printf("  crop years in Continuous Rates:");
    statement_lease years;
    if (is_ok(db->prepare("SELECT DISTINCT `Crop Year` FROM `Continuous Rates` ORDER BY 1", years, false)))
        while (sqlite3_step(years.get()) == SQLITE_ROW) std::printf(" %d", sqlite3_column_int(years.get(), 0));
    std::printf("\n");
    for (const table_description* t : tables::all())
        std::printf("  %-28s %10lld rows\n", t->name.c_str(), count_of(*db, "SELECT count(*) FROM `" + t->name + "`"));
    return 0;
}

int usage() {
    std::fputs("usage: make_demo_database [--scale N] OUTPUT\n"
               "       make_demo_database --summary PATH\n",
               stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 2 && args[0] == "--summary") return print_summary(args[1]);

    int scale = 1;
    std::string output;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--scale" && i + 1 < args.size()) {
            char* end = nullptr;
            const long n = std::strtol(args[++i].c_str(), &end, 10);
            if (*end != '\0' || n < 1 || n > max_scale) return usage();
            scale = static_cast<int>(n);
        } else if (!args[i].empty() && args[i][0] != '-' && output.empty()) {
            output = args[i];
        } else {
            return usage();
        }
    }
    if (output.empty()) return usage();

    const auto start = std::chrono::steady_clock::now();
    std::vector<county> counties;
    std::string error;
    if (!read_counties(ZELMORA_COUNTIES_CSV, counties, error)) {
        std::fprintf(stderr, "make_demo_database: %s\n", error.c_str());
        return 1;
    }
    if (!write_database(output, counties, scale)) return 1;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("make_demo_database: wrote %s (%zu counties, scale %d) in %.1f s\n", output.c_str(), counties.size(),
                scale, seconds);
    return 0;
}
