#pragma once
// The rating database's schema: the ten tables with their columns in record
// order, and the indexes that the filters of the loaders select by.
#include <string>

#include "data/premium_database.h"

namespace zelmora {

// CREATE TABLE and CREATE INDEX statements for all ten tables.
std::string schema_sql();

// Creates the schema in an empty database; 0 on success.
hresult create_schema(premium_database& db);

}  // namespace zelmora
