#pragma once
// Building a rating database from one CSV file per table ("Continuous
// Rates.csv", ...), each with a header row of column names, as Debian's
// mdb-export writes them from the Access file. Columns are matched by name in
// any order and stored in the order the readers bind them.
#include <string>

namespace zelmora {

enum class import_outcome {
    done,     // the output file was written
    refused,  // the directory or the output cannot be used; nothing was read
    failed,   // a file could not be converted or written; no output file is left
};

struct import_result {
    import_outcome outcome = import_outcome::failed;
    std::string report;    // what was read from each file, notes on missing optional tables and unknown columns
    std::string problems;  // one line per problem: "file:line: column "X": "text" is not ..."
};

// Which tables an import needs: the readers open every table but "County
// Average Yields" (never read) and "Lookup Column Number" (only written).
bool table_is_required(const std::string& table_name);

// Reads the CSV files of `directory` into a new database `output`. The rows go
// into a temporary file beside the output, one transaction per table, then
// the indexes; the file is flushed to the disk and renamed to `output` only
// when every row of every file was converted. An existing `output` (a symbolic
// link too) is never replaced, not even one created while the import ran. The
// temporary file is removed when the import fails and when SIGINT or SIGTERM
// stops it (removal_on_interrupt).
import_result import_tables(const std::string& directory, const std::string& output);

}  // namespace zelmora
