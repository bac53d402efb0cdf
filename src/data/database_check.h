#pragma once
// Checking a rating database before quoting from it: the schema against what
// the readers bind, values they cannot use (by the rules every load is held to,
// value_rules.h), keys stored twice, codes the lookups do not describe, counties
// of the rates missing from the County List and rates rows without their
// surcharges, County List indicators that disagree with the rates and
// surcharges, crop mixes without whole-farm b values, and whether it is the
// bundled demo database. The check reads only; it never changes the database.
#include <string>

#include "data/premium_database.h"

namespace zelmora {

struct database_check_result {
    std::string report;       // the text shown to the user, lines ending in "\n"
    int problem_count = 0;    // each value, row, column, code, county, county row or crop mix found wrong counts once
    bool demo = false;        // the bundled demo database
    bool unreadable = false;  // a table could not be read to its end (the report says which)
};

// Runs every check on an open database. `name` heads the report (a path).
database_check_result check_database(premium_database& db, const std::string& name);

}  // namespace zelmora
