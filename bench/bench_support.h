#pragma once
// What the benchmarks share: the rating database they run on, an opened
// document (connection, rater, calculator, surcharges, code lookups) and the
// two full farms they rate.
#include <memory>
#include <string>
#include <vector>

#include "data/premium_database.h"
#include "data/surcharge_list.h"
#include "rating/engine/premium_calculator.h"
#include "rating/engine/rater.h"
#include "rating/rating_session.h"
#include "utility/settings_store.h"

namespace zelmora::bench {

// The database every benchmark of this run opens (the program's argument).
const std::string& database_path();
void set_database_path(std::string path);

// What a document holds while it is open, with the error text of its opening.
struct document : rating_session {
    std::string error_text;
};

// The document's open sequence (rating_session::open).
std::unique_ptr<document> open_document(const std::string& path, settings_store& store);

// A farm picked from the database: a county of the given kind of state that
// offers as many crops as any, and for every offered crop the practice and
// type codes it has continuous rates for.
struct farm {
    int state_fips = 0;
    int county_fips = 0;
    struct crop_keys {
        int crop_number = 0;
        std::vector<std::pair<int, int>> practice_type;  // in stored order
    };
    std::vector<crop_keys> crops;
    int unit_count() const;
};

farm pick_farm(premium_database& db, bool four_crop_state);

// Puts the farm into the calculator: state, county, every offered crop ticked,
// seven units per crop cycling through the crop's codes, coverage levels and
// prices that exercise every path of the rating.
void load_farm(premium_calculator& calculator, const farm& f, std::string& error_text);

// The document opened once per run on `database_path()`, shared by the cases
// that do not measure the opening itself.
document& shared_document();
// The farm of a six-crop or a four-crop state, picked once per run.
const farm& shared_farm(bool four_crop_state);
// A calculator of the shared document (on its connection and rater) holding
// that farm. The cases may change its inputs; `load_farm` puts them back.
premium_calculator& farm_calculator(bool four_crop_state);

// Settings as a document finds them when it opens: those of the six-crop farm.
memory_settings_store saved_settings();

}  // namespace zelmora::bench
