#pragma once
// A rating database opened for rating, and the one call that rates a farm on
// it: rate(farm) gives the farm's figures, or the reasons it has none. The
// document, the command line, the batch, the comparison, the quote, the
// benchmarks and the tests all rate through it.
//
// The session keeps what the ratings share, loaded when first needed: the
// single-crop b values and the practice and type codes; per state its counties
// and whole-farm b values; per county its surcharges; the continuous rates
// records read. Each call reads in one read transaction and first checks that
// the database has not changed since those were loaded (another connection's
// commit, or a rewrite on this one); when it has, everything is loaded again,
// so a rating never mixes rows of two versions of the database.
//
// A session is used by one thread at a time; a batch opens one per worker.
#include <memory>
#include <string>

#include "data/premium_database.h"
#include "data/state_record.h"
#include "data/surcharge_list.h"
#include "rating/farm_rating.h"

namespace zelmora {

struct farm;

class rating_session {
public:
    rating_session();
    ~rating_session();
    rating_session(const rating_session&) = delete;
    rating_session& operator=(const rating_session&) = delete;

    // Connects (never creating a file) and loads the single-crop b values and
    // the practice and type codes. Every step appends its "ERROR, ..." lines to
    // `error_text`; the lines of a read that failed (a table, a row or a stored
    // value the database could not give) go to `read_errors`. False only when
    // the connection fails; a load failure after it never stops the open.
    bool open(const std::string& path, std::string& error_text, std::string& read_errors);
    // The same with the failed reads' lines after the others in `error_text`.
    bool open(const std::string& path, std::string& error_text);
    bool is_open() const { return database_ != nullptr; }
    // The connection (for the maintenance commands and the checks). Only while open.
    premium_database& database() const { return *database_; }
    const std::string& path() const;

    // Rates every unit of the farm, each crop's enterprise unit and the
    // whole-farm unit.
    farm_rating rate(const farm& f) const;

    // The load errors of the tables the farm is rated with (its state's
    // counties and whole-farm b values, its county's surcharges); empty when
    // they loaded. The lines of a read that failed on the way go to `read_errors`
    // when given, else after the others.
    std::string load_errors(const farm& f, std::string* read_errors = nullptr) const;

    // Why the farm cannot be rated at all: its county is not one of its state's
    // counties in the rating data ("County FIPS 999 is not a county of Iowa in
    // the rating database"); empty when it can.
    std::string farm_refusal(const farm& f) const;

    // The state's counties and whole-farm b values (a state the database does
    // not rate has none).
    const state_record& state(int state_fips) const;
    const code_lookup& practice_codes() const;
    const code_lookup& type_codes() const;
    // Whether the state uses a single-crop b-value set for the crop in the region.
    bool b_value_set_exists(int state_fips, bool region_flag, int crop_number) const;
    bool has_b_values(int state_fips, int crop_number) const;

    // Names the version of the database the session's tables now come from: a
    // rating kept from an earlier call is still the rating of its farm while this
    // gives the same marker.
    premium_database::change_marker version() const;

    // Drops the continuous rates records kept, so that the next rating reads
    // them again (what a farm of another county costs; the benchmarks measure it).
    void forget_records() const;

    // What the session did so far (tests and benchmarks count it).
    struct activity_counts {
        long ratings = 0;       // calls of rate
        long table_loads = 0;   // loads of the shared tables, a state's or a county's tables
        long record_reads = 0;  // continuous rates records read from the database
    };
    activity_counts activity() const;

private:
    friend class session_engine;  // the library's worksheets and reports rate through it too
    struct tables;
    struct loaded_state;
    struct loaded_county;
    // Loads again whatever the database changed under (call inside a read transaction).
    void refresh() const;
    const loaded_state& loaded_state_of(int state_fips) const;
    const loaded_county& loaded_county_of(int state_fips, int county_fips) const;

    std::unique_ptr<premium_database> database_;
    std::unique_ptr<tables> tables_;
};

}  // namespace zelmora
