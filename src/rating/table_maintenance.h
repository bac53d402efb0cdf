#pragma once
// Rebuilding the derived tables "Lookup Column Number" and "County List", and
// the state input listing. Each command reads the single-crop b values and the
// state's counties anew and appends its output and errors to one report text.
#include <array>
#include <string>

#include "data/premium_database.h"
#include "data/state_record.h"

namespace zelmora {

void crop_indicators_from_rates(premium_database& db, int state_fips, int county_fips, int crop_year, int plan,
                                bool spring_wheat, bool winter_wheat, std::array<std::int16_t, 9>& indicators,
                                std::string& report);
void high_coverage_from_surcharges(premium_database& db, int state_fips, int county_fips, int crop_year,
                                   bool spring_wheat, bool winter_wheat, std::array<std::int16_t, 9>& indicators,
                                   std::string& report);

// What a rewrite command reports, how many states it failed to rewrite (a
// delete, insert or commit failed, or a table could not be opened; a state
// without counties in the database is no failure), and the "ERROR, ..." lines
// of the reads that failed on the way (then nothing it wrote can be trusted).
struct rewrite_report {
    std::string text;
    int failed_states = 0;
    std::string read_errors;
    bool failed() const { return failed_states != 0 || !read_errors.empty(); }
};

// The work of the five maintenance commands (everything but the confirmation
// and the dialog). `current_state` is the state of the farm.
std::string show_state_inputs(premium_database& db, int current_state);
rewrite_report write_column_lookup(premium_database& db, int current_state);
rewrite_report write_column_lookup_all_states(premium_database& db);
rewrite_report write_county_list(premium_database& db, int current_state);
rewrite_report write_all_county_lists(premium_database& db);

}  // namespace zelmora
