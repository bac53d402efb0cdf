#pragma once
// The command line's payout commands: "outcomes" (the outcome table of the
// farm or a crop under one structure, with the break-even points),
// "payout-worksheet" (every step of the payout of one outcome), and "compare"
// with "--expected" (the comparison with the expected figures joined to it).
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "data/crops.h"
#include "rating/payout.h"

namespace zelmora {

struct command_line;
struct session;

// outcomes [--tsv] [--crop CROP] [--structure units|enterprise|whole-farm]
//          [--prices FROM:TO:STEP] [--yields FROM:TO:STEP]
struct outcomes_options {
    int crop_number = 0;  // 0: the farm
    payout_structure structure = payout_structure::units_as_entered;
    outcome_grid grid;
};

// The outcome payout-worksheet pays: a crop's harvest price and actual yield
// not given are its RA price and every unit's APH yield.
struct outcome_request {
    struct unit_yield {
        int crop_number = 0;
        int unit_number = 0;  // 1..7
        double yield = 0.0;   // per acre
    };
    std::array<std::optional<double>, crop_count> prices{};          // harvest price, index crop number - 1
    std::array<std::optional<double>, crop_count> yield_percents{};  // every unit's yield as % of its APH yield
    std::vector<unit_yield> unit_yields;                             // one unit's yield per acre, over the percentage
};

// The arguments after the command's name; false with a one-line reason.
bool parse_compare(const std::vector<std::string>& rest, command_line& line, std::string& error);
bool parse_outcomes(const std::vector<std::string>& rest, command_line& line, std::string& error);
bool parse_payout_worksheet(const std::vector<std::string>& rest, command_line& line, std::string& error);

// The outcome a request gives on a farm. Empty (and `error` says why) when it
// names a crop the farm has no units of, or a unit beyond a crop's count.
std::optional<outcome> outcome_of(const outcome_request& request, const payout_farm& farm, std::string& error);

// The commands on the session's farm, inside the command's read transaction:
// the output in `out`, the exit status returned; a farm that cannot give what
// was asked (a crop without units, a structure not offered) is refused with
// status 2 and one line in `err`.
int run_compare(const command_line& line, const session& s, std::string& out, std::string& err);
int run_outcomes(const command_line& line, const session& s, std::string& out, std::string& err);
int run_payout_worksheet(const command_line& line, const session& s, std::string& out, std::string& err);

}  // namespace zelmora
