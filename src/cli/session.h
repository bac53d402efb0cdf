#pragma once
// Everything a command works on: a rating session opened the way the document
// opens it, and the farm of the command's inputs with its payout model.
#include <string>

#include "rating/farm.h"
#include "rating/payout_simulation.h"
#include "rating/rating_session.h"
#include "utility/settings_store.h"

namespace zelmora {

struct session {
    rating_session ratings;
    farm rated_farm;
    payout_model payout;  // the inputs' "[Payout Model]", or the defaults
};

// Connects, loads, and reads the farm from `store` with the command line's own
// keys applied, and its payout model. False only when the connection fails; the load errors of every
// other step (the farm's tables among them) are appended to `error_text`, the
// lines of a read that failed to `read_errors`, and the session is usable.
bool open_session(const std::string& database_path, settings_store& store, session& s, std::string& error_text,
                  std::string& read_errors);

}  // namespace zelmora
