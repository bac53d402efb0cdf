#pragma once
// Rebuilding the derived tables "Lookup Column Number" and "County List", and
// the state input listing. Each command works on temporary calculators and
// appends its output and errors to one report text.
#include <array>
#include <string>

#include "data/premium_database.h"
#include "data/state_record.h"
#include "rating/premium_calculator.h"

namespace zelmora {

// State input listing of the calculator's state (whole-farm b values, counties).
void list_state_inputs(const state_record& state, premium_database& db, premium_calculator& calculator,
                       std::string& report);
// Replaces the state's rows of "Lookup Column Number"; appends "Rows written\t%d".
// False when the rewrite failed (its rows are then unchanged).
bool rewrite_column_lookup(const state_record& state, premium_database& db, premium_calculator& calculator,
                           std::string& report);
// Replaces the state's rows of "County List"; true when no open or insert failed.
bool rewrite_county_list(const state_record& state, premium_database& db, premium_calculator& calculator,
                         std::string& report);

void crop_indicators_from_rates(premium_database& db, int state_fips, int county_fips, int crop_year, int plan,
                                bool spring_wheat, bool winter_wheat, std::array<std::int16_t, 9>& indicators,
                                std::string& report);
void high_coverage_from_surcharges(premium_database& db, int state_fips, int county_fips, int crop_year,
                                   bool spring_wheat, bool winter_wheat, std::array<std::int16_t, 9>& indicators,
                                   std::string& report);

// What a rewrite command reports, and how many states it failed to rewrite
// (a delete, insert or commit failed, or a table could not be opened; a
// state without counties in the database is no failure).
struct rewrite_report {
    std::string text;
    int failed_states = 0;
};

// The work of the five maintenance commands (everything but the confirmation
// and the dialog). `current_state` is the state of the document's calculator.
std::string show_state_inputs(premium_database& db, rater_aph_continuous& rater, int current_state);
rewrite_report write_column_lookup(premium_database& db, rater_aph_continuous& rater, int current_state);
rewrite_report write_column_lookup_all_states(premium_database& db, rater_aph_continuous& rater);
rewrite_report write_county_list(premium_database& db, rater_aph_continuous& rater, int current_state);
rewrite_report write_all_county_lists(premium_database& db, rater_aph_continuous& rater);

}  // namespace zelmora
