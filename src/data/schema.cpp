#include "data/schema.h"

#include "data/rowsets.h"

namespace zelmora {

namespace {

const char* sql_type(column_type t) {
    switch (t) {
        case column_type::r4: return "REAL";
        case column_type::str: return "TEXT";
        default: return "INTEGER";
    }
}

}  // namespace

std::string schema_tables_sql() {
    std::string sql;
    for (const table_description* t : tables::all()) {
        sql += "CREATE TABLE `" + t->name + "` (";
        bool first = true;
        for (const column_spec& c : t->columns) {
            if (!first) sql += ", ";
            first = false;
            sql += "`" + c.name + "` " + sql_type(c.type);
        }
        sql += ");\n";
    }
    return sql;
}

std::string schema_indexes_sql() {
    // Indexes matching the filters of the loaders, the rater and the rewrites.
    return "CREATE INDEX `Continuous Rates Key` ON `Continuous Rates` "
           "(`State FIPS`, `County FIPS`, `Crop Year`, `Crop Code`, `Insurance Plan ID`, `Practice Code`, "
           "`Type Code`);\n"
           "CREATE INDEX `Continuous Rates By Crop` ON `Continuous Rates` (`Crop Code`, `State FIPS`, `County FIPS`);\n"
           "CREATE INDEX `County List By State` ON `County List` (`State FIPS`);\n"
           "CREATE INDEX `B Value Whole Farm By State` ON `B Value Whole Farm` (`State FIPS`);\n"
           "CREATE INDEX `Endogenous Risk Surcharge By County` ON `Endogenous Risk Surcharge` "
           "(`State FIPS`, `County FIPS`, `Crop Year`);\n"
           "CREATE INDEX `Lookup Column Number By State` ON `Lookup Column Number` (`State FIPS`);\n";
}

std::string schema_sql() { return schema_tables_sql() + schema_indexes_sql(); }

hresult create_schema(premium_database& db) { return db.execute_statement(schema_sql()); }

}  // namespace zelmora
