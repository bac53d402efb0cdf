#pragma once
// Everything a command works on, prepared the way the document's open
// prepares it: the connection, the continuous rater, the calculator with its
// saved inputs and b values, the surcharges and the two code lookups.
#include <memory>
#include <optional>
#include <string>

#include "data/premium_database.h"
#include "data/surcharge_list.h"
#include "rating/premium_calculator.h"
#include "rating/rater.h"
#include "utility/settings_store.h"

namespace zelmora {

struct session {
    // Declared in the order of creation; destroyed the other way round.
    std::unique_ptr<premium_database> database;
    // The read transaction of the open sequence, held on through a command that
    // only reads, so the whole run sees one set of rows; a rewrite ends it first.
    std::optional<read_transaction> reading;
    std::unique_ptr<rater_aph_continuous> rater;
    std::unique_ptr<premium_calculator> calculator;
    std::unique_ptr<surcharge_list> surcharges;
    code_lookup practice_codes;
    code_lookup type_codes;
};

// Connects and loads, in one read transaction that stays open. False only when
// the connection fails; the load errors of every other step are appended to
// `error_text` and the session is usable (a failed read is also noted on the
// connection: see premium_database::read_errors).
bool open_session(const std::string& database_path, settings_store& store, session& s, std::string& error_text);

}  // namespace zelmora
