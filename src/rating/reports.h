#pragma once
// The texts of a farm that the windows copy and the command line prints, each
// built by rating the farm on the session (rating_session::rate's order): the
// single-crop worksheet, the whole-farm copy text, the three diagnostic
// reports of the whole-farm page and the malting barley worksheets.
#include <string>
#include <vector>

#include "rating/rating_session.h"
#include "utility/exact_decimal.h"

namespace zelmora {

struct farm;
struct insurance_unit;

// The crop's worksheet: every step of the rating of its first unit and the
// crop's enterprise figures ("No unit.\r\n" without units). With
// `rating_errors_first` the farm's rating errors come ahead of the lines, as
// the crop pages without a factor column copy it.
std::string single_crop_worksheet(const rating_session& session, const farm& f, int crop_number,
                                  bool rating_errors_first);

// "WHOLE FARM", the coverage, the whole-farm worksheet and the two bar lines.
std::string whole_farm_copy_text(const rating_session& session, const farm& f);

// The Test report for combination codes low..high (0..63).
std::string test_report(const rating_session& session, const farm& f, int low, int high);

// The Acreage Loop Test report; begins with one "WARNING, No unit provided for
// crop %s; using defaults.\r\n" per crop that uses the default unit.
std::string acreage_loop_report(const rating_session& session, const farm& f);

// The B Value Dump report.
std::string b_value_dump(const rating_session& session, const farm& f);

// The malting barley endorsement of one Barley unit.
struct malting_barley_figures {
    exact_decimal acres;
    exact_decimal dollar_amount;  // of insurance per acre
    exact_decimal contract_price;
    exact_decimal liability;
    exact_decimal premium_rate;
    exact_decimal base_premium;  // the endorsement's total premium
    exact_decimal subsidy;
    exact_decimal producer_premium;
    int coverage_level = 0;
};
// Per Barley unit in entry order, as the malting barley dialog shows them: each
// unit's base rate, then the endorsement (a unit without malting barley acres
// keeps the previous unit's dollar amount and contract price).
std::vector<malting_barley_figures> rate_malting_barley(const rating_session& session, const farm& f);
// The endorsement of one Barley unit of the farm on its own, given the unit's
// base rate (as its rating stored it).
malting_barley_figures malting_barley_of(const farm& f, const insurance_unit& unit, const exact_decimal& base_rate);
// The endorsement worksheets of every Barley unit (the dialog's Copy).
std::string malting_barley_worksheets(const rating_session& session, const farm& f);

}  // namespace zelmora
