#include "cli/session.h"

#include "rating/farm_file.h"

namespace zelmora {

bool open_session(const std::string& database_path, settings_store& store, session& s, std::string& error_text,
                  std::string& read_errors) {
    if (!s.ratings.open(database_path, error_text, read_errors)) return false;
    s.rated_farm = read_farm(store);
    s.payout = read_payout_model(store);
    error_text += s.ratings.load_errors(s.rated_farm, &read_errors);
    return true;
}

}  // namespace zelmora
