#pragma once
// A rating database opened for rating: the connection and everything rating
// needs while it stays open (continuous rater, calculator with its saved inputs
// and b values, surcharges, practice and type code lookups, malting barley
// calculator), loaded by one open sequence. The document, the command line,
// the benchmarks and the tests open their databases through it.
#include <memory>
#include <optional>
#include <string>

#include "data/premium_database.h"
#include "data/surcharge_list.h"
#include "rating/farm.h"
#include "rating/malting_barley_endorsement.h"
#include "rating/premium_calculator.h"
#include "rating/rater.h"
#include "utility/settings_store.h"

namespace zelmora {

class rating_session {
public:
    rating_session() = default;
    rating_session(const rating_session&) = delete;
    rating_session& operator=(const rating_session&) = delete;

    // The open sequence: connect; create the rater and read its settings; create
    // the calculator, read its settings, its b values and its b-value table; load
    // the surcharges, the practice codes and the type codes. Every step appends
    // its "ERROR, ..." lines to `error_text`. False only when the connection
    // fails (nothing else is then created); a load failure after it never stops
    // the sequence, and the session works with what was loaded. The sequence
    // reads in one read transaction, so a rewrite beside it never mixes old and
    // new rows; `reading_kept` leaves it open in `reading` for the caller's
    // ratings (a rewrite must end it first).
    enum reading_mode { reading_ended, reading_kept };
    bool open(const std::string& path, settings_store& store, std::string& error_text,
              reading_mode mode = reading_ended);
    bool is_open() const { return database != nullptr; }

    // A second calculator on this session's connection and rater, with the
    // session calculator's b values and the given farm. Rating it changes nothing
    // of `calculator`; it must not outlive the session.
    std::unique_ptr<premium_calculator> calculator_for(const farm& f, std::string& error_text) const;

    // Declared in the order of creation; destroyed the other way round, the
    // connection last.
    std::unique_ptr<premium_database> database;
    std::optional<read_transaction> reading;
    std::unique_ptr<rater_aph_continuous> continuous_rater;
    std::unique_ptr<premium_calculator> calculator;
    std::unique_ptr<surcharge_list> surcharges;
    std::unique_ptr<code_lookup> practice_codes;
    std::unique_ptr<code_lookup> type_codes;
    malting_barley_endorsement malting_barley_calculator;
};

}  // namespace zelmora
