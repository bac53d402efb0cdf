#include "cli/session.h"

#include "rating/farm_file.h"

namespace zelmora {

bool open_session(const std::string& database_path, settings_store& store, session& s, std::string& error_text) {
    if (!s.open(database_path, store, error_text, rating_session::reading_kept)) return false;
    // The inputs only the command line reads, over those the calculator read;
    // nothing the open sequence loads after the calculator depends on them.
    apply_command_line_inputs(store, *s.calculator);
    return true;
}

}  // namespace zelmora
