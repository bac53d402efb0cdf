#pragma once
// What the benchmarks share: the rating database they run on, a session opened
// on it and the two full farms they rate.
#include <memory>
#include <string>
#include <vector>

#include "data/premium_database.h"
#include "rating/farm.h"
#include "rating/rating_session.h"
#include "utility/settings_store.h"

namespace zelmora::bench {

// The database every benchmark of this run opens (the program's argument).
const std::string& database_path();
void set_database_path(std::string path);

// A session with the error text of its opening.
struct document : rating_session {
    std::string error_text;
};

// The open a window makes: the session, then the tables of the farm the settings keep.
std::unique_ptr<document> open_document(const std::string& path, settings_store& store);

// A county picked from the database: one of the given kind of state that offers
// as many crops as any, and for every offered crop the practice and type codes
// it has continuous rates for.
struct picked_county {
    int state_fips = 0;
    int county_fips = 0;
    struct crop_keys {
        int crop_number = 0;
        std::vector<std::pair<int, int>> practice_type;  // in stored order
    };
    std::vector<crop_keys> crops;
    int unit_count() const;
};

picked_county pick_county(premium_database& db, bool four_crop_state);

// The full farm of the county: every offered crop ticked, seven units per crop
// cycling through the crop's codes, coverage levels and prices that exercise
// every path of the rating.
farm full_farm(const picked_county& county);

// The session opened once per run on `database_path()`, shared by the cases
// that do not measure the opening itself.
document& shared_document();
// The county of a six-crop or a four-crop state, picked once per run.
const picked_county& shared_county(bool four_crop_state);
// Its full farm.
const farm& shared_farm(bool four_crop_state);

// Settings as a window finds them when it opens: those of the six-crop farm.
memory_settings_store saved_settings();

}  // namespace zelmora::bench
