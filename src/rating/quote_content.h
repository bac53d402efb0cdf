#pragma once
// What the printable quote says, as values: the farm, per crop its units with
// their totals and the enterprise unit, the whole-farm unit, the coverage
// comparison, the malting barley endorsements and what the coverage pays. Built from a rating of a
// copy of the farm; the quote's renderer only lays it out.
#include <string>
#include <vector>

#include "rating/coverage_comparison.h"
#include "rating/farm_file.h"
#include "rating/quote_payouts.h"
#include "rating/rating_session.h"

namespace zelmora {

struct farm;

struct quote_unit {
    int unit_number = 1;
    bool optional_unit = false;
    std::string type_name;      // the type code's description, or its number when it has none
    std::string practice_name;  // likewise for the practice
    exact_decimal acres;
    exact_decimal share;
    exact_decimal aph_yield;
    int coverage_level = 65;
    bool rated = false;         // false: the rater has no rate for the unit (no figures)
    premium_figures figures;    // per-acre guarantee and premium, dollar premiums
    exact_decimal guarantee;    // in whole dollars, on the unit's acres and share
};

struct quote_malting_barley {
    int unit_number = 1;
    exact_decimal acres;
    exact_decimal contract_price;
    int coverage_level = 65;
    exact_decimal liability;
    exact_decimal total_premium;
    exact_decimal subsidy;
    exact_decimal producer_premium;
};

struct quote_crop {
    int crop_number = 1;
    std::string name;
    exact_decimal price;
    std::vector<quote_unit> units;
    unit_totals totals;              // of the units
    int prevented_planting = 0;      // the units' selection: 0 none, 1 "+5%", 2 "+10%"
    int enterprise_prevented_planting = 0;
    int enterprise_coverage_level = 65;
    premium_figures enterprise;      // the enterprise unit as the farm has it
    std::string enterprise_reason;   // why the enterprise unit is not given (a unit has no rate); empty when it is
    exact_decimal enterprise_guarantee;  // whole dollars
    std::vector<quote_malting_barley> malting_barley;
};

struct quote_content {
    std::string state_name;
    std::string county_name;
    std::string farm_name;      // the farm file's name, or what stands for it
    farm_details details;       // whose farm and whose quote; printed instead of the farm's name when given
    std::string date_text;
    std::string database_file;  // the rating database's file name
    bool demo_rates = false;    // the bundled demo database: every page carries the banner
    std::vector<quote_crop> crops;
    unit_totals farm_totals;
    bool whole_farm_offered = false;
    std::string whole_farm_reason;  // why an offered whole-farm unit is not given (a unit has no rate)
    int whole_farm_coverage_level = 65;
    int whole_farm_prevented_planting = 0;
    premium_figures whole_farm;
    exact_decimal whole_farm_guarantee;  // whole dollars
    std::string whole_farm_note;         // the limit note, when the limit applied
    std::vector<comparison_table> comparison;
    quote_payouts payouts;      // break-even points and expected figures of the structures shown
    std::string rating_errors;  // the rating's "ERROR, ..." lines
    std::vector<std::string> unrated_units;  // "Corn unit 2: no rate for ..." for each unit without figures
    bool read_failed = false;   // a table or stored value could not be read: nothing here can be trusted
};

inline constexpr const char* demo_rates_banner = "DEMO RATES - NOT FOR REAL QUOTES";
inline constexpr const char* quote_footer =
    "This quote is an estimate of crop revenue insurance premiums for crop year 2004. It is not a policy, "
    "an offer of insurance or a binding premium; the policy and the actuarial documents of the insurer decide.";

// A prevented planting selection as the quote prints it: "none", "+5%" or "+10%".
const char* prevented_planting_text(int selection);
// The share of a unit's premium that the subsidy pays, in whole percent.
int subsidy_percent(const quote_unit& unit);
// A unit's producer premium per insured acre (acres x share), in cents; 0
// without insured acres.
exact_decimal producer_premium_per_acre(const quote_unit& unit);

// Rates the farm and gathers the quote. `farm_name` names the farm file,
// `database_file` the rating database, `date_text` the date printed; the
// expected payouts follow `model`, drawn as `settings` say. The farm's details
// are the caller's to add.
quote_content build_quote(const rating_session& session, const farm& f, const std::string& farm_name,
                          const std::string& database_file, const std::string& date_text,
                          const payout_model& model = {}, const simulation_settings& settings = {});

}  // namespace zelmora
