#pragma once
// Everything a command works on: a rating session opened the way the
// document opens it, with the command line's own inputs applied.
#include <string>

#include "rating/rating_session.h"
#include "utility/settings_store.h"

namespace zelmora {

using session = rating_session;

// Connects and loads, in one read transaction that stays open. False only when
// the connection fails; the load errors of every other step are appended to
// `error_text` and the session is usable (a failed read is also noted on the
// connection: see premium_database::read_errors).
bool open_session(const std::string& database_path, settings_store& store, session& s, std::string& error_text);

}  // namespace zelmora
