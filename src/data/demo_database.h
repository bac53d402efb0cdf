#pragma once
// The mark of the bundled demo rating database, whose rates are invented: the
// application id in the SQLite file header, which no table reader sees.
#include "data/premium_database.h"

namespace zelmora {

// "ZDMO" as a big-endian 32-bit number.
inline constexpr int demo_database_application_id = 0x5A444D4F;

// Marks the database as the demo database; 0 on success.
hresult mark_demo_database(premium_database& db);

// True when the database carries the demo mark.
bool is_demo_database(premium_database& db);

}  // namespace zelmora
