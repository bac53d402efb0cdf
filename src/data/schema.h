#pragma once
// The rating database's schema: the ten tables with their columns in record
// order, and the indexes that the filters of the loaders select by.
#include <string>

#include "data/premium_database.h"

namespace zelmora {

// CREATE TABLE and CREATE INDEX statements for all ten tables.
std::string schema_sql();
// The same in two parts: the tables, then the indexes (a bulk load creates the
// indexes after the rows).
std::string schema_tables_sql();
std::string schema_indexes_sql();

// Creates the schema in an empty database; 0 on success.
hresult create_schema(premium_database& db);

}  // namespace zelmora
