#pragma once
// An engine for one farm on a session's tables: the read transaction all its
// reads share, a rater of its own on the session's kept records, and the
// calculator made of the farm. The session's rate and the library's
// worksheets and reports work through it; nothing outside the library does.
#include <string>

#include "data/premium_database.h"
#include "rating/engine/premium_calculator.h"
#include "rating/engine/rater.h"
#include "rating/rating_session.h"

namespace zelmora {

class session_engine {
public:
    // Begins the read transaction, loads what the farm needs and builds the
    // rater (with the farm's rater settings) and the calculator.
    session_engine(const rating_session& session, const farm& f);
    session_engine(const session_engine&) = delete;
    session_engine& operator=(const session_engine&) = delete;

    premium_calculator& calculator() { return calculator_; }
    rater_aph_continuous& rater() { return rater_; }
    const surcharge_list& surcharges() const { return *surcharges_; }
    premium_database& database() const { return session_.database(); }
    const rating_session& session() const { return session_; }
    // Rates the farm in the one order every figure and text of it comes from:
    // each unit on its own (into `units` when given, one entry per unit, the
    // calculator's stored results left as they were), then the farm (every
    // enterprise unit and the whole-farm unit), whose "ERROR, ..." lines go to
    // `farm_errors`. The enterprise and whole-farm surcharges of a selected crop
    // without units are read with the practice and type of the last unit rated
    // before it: the farm's last unit, or a unit of an earlier crop.
    void rate_farm(std::array<std::vector<unit_rating>, crop_count>* units, std::string& farm_errors);

    // The "ERROR, ..." lines of the reads that failed so far.
    std::string read_errors() const { return reading_.errors(); }
    bool read_failed() const { return reading_.failed(); }
    // A rating whose reads failed leaves no record behind for the next one.
    ~session_engine();

private:
    const rating_session& session_;
    read_transaction reading_;
    const surcharge_list* surcharges_;
    rater_aph_continuous rater_;
    premium_calculator calculator_;
};

}  // namespace zelmora
