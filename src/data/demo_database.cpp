#include "data/demo_database.h"

#include <sqlite3.h>

#include <string>

namespace zelmora {

hresult mark_demo_database(premium_database& db) {
    return db.execute_statement("PRAGMA application_id = " + std::to_string(demo_database_application_id));
}

bool is_demo_database(premium_database& db) {
    statement_lease lease;
    if (db.prepare("PRAGMA application_id", lease, false) != S_OK_CODE) return false;
    return sqlite3_step(lease.get()) == SQLITE_ROW &&
           sqlite3_column_int(lease.get(), 0) == demo_database_application_id;
}

}  // namespace zelmora
