#pragma once
// The command line's commands: parsing and running them on a session.
#include <string>
#include <vector>

#include "cli/outcome_commands.h"
#include "cli/session.h"
#include "utility/version.h"

namespace zelmora {

enum class command_kind {
    help,
    version,
    rate,
    worksheet,
    whole_farm,
    malting_barley,
    test_report,
    acreage_loop,
    b_value_dump,
    state_inputs,
    write_column_lookup,
    write_county_list,
    import_tables,
    check_database,
    batch,
    compare,
    quote,
    outcomes,
    payout_worksheet,
};

struct command_line {
    std::string database;  // empty: the database beside the executable
    std::string inputs;    // empty: the user's saved settings
    command_kind command = command_kind::help;
    bool tsv = false;         // rate, compare, outcomes
    bool expected = false;    // compare: with the expected payouts
    int crop_number = 0;      // worksheet
    int low = 1, high = 63;   // test-report
    bool all_states = false;  // write-column-lookup, write-county-list
    bool yes = false;
    std::string import_directory;    // import-tables
    std::string output;              // import-tables; batch (empty: standard output)
    int jobs = 0;                    // batch, compare --expected; 0: one per core
    std::vector<std::string> farms;  // batch
    std::string quote_pdf;           // quote: the PDF file to write (empty: none)
    std::string quote_html;          // quote: the HTML file to write (empty: none)
    outcomes_options outcomes;       // outcomes
    outcome_request outcome;         // payout-worksheet
};

// The most workers a batch may ask for.
inline constexpr int max_batch_jobs = 64;

inline constexpr const char* cli_version_text = "zelmora-cli " ZELMORA_VERSION_TEXT "\n";

std::string help_text();

// A crop number 1..9, or a crop's display or key name in any case; 0 otherwise.
int crop_from_text(const std::string& text);

// Parses the arguments after the program name; false with a one-line reason.
bool parse_command_line(const std::vector<std::string>& args, command_line& line, std::string& error);

// Exit status when the rating database cannot be opened or read.
inline constexpr int exit_database_unreadable = 1;
// Exit status of a command whose rewrite was not confirmed.
inline constexpr int exit_not_confirmed = 2;
// Exit status of a rewrite that failed for a state (its rows are unchanged).
inline constexpr int exit_rewrite_failed = 3;
// Exit status of a command whose farm has a unit that could not be rated: the
// figures that could be rated are printed, the units that could not on the error stream.
inline constexpr int exit_units_not_rated = 3;

// Whether the command rates the farm (and refuses a farm it cannot rate).
bool rates_the_farm(command_kind command);
// "inputs file "PATH"", or "saved inputs": how refusals name the farm's inputs.
std::string inputs_name(const command_line& line);

// Runs a command on an open session (every command but batch, which opens its own). The output goes to `out` byte for byte;
// messages for the user go to `err`. Returns the exit status. A command that
// only reads does it in one read transaction; when a read failed its output is
// dropped, the read's lines go to `err` and the status is exit_database_unreadable. A rewrite that failed for a state
// keeps its report in `out`, repeats its ERROR lines in `err` and returns
// exit_rewrite_failed.
int run_command(const command_line& line, session& s, std::string& out, std::string& err);

// The outputs of "rate"; the units that could not be rated go to `unrated_units` when given.
std::string rate_table(const rating_session& ratings, const farm& f, std::vector<std::string>* unrated_units = nullptr);
std::string rate_tsv(const rating_session& ratings, const farm& f, std::vector<std::string>* unrated_units = nullptr);

}  // namespace zelmora
