#pragma once
// A scratch rating database with a few counties and whole-farm b values, and a
// calculator with its rater on it, for the whole-farm, worksheet and report tests.
#include <initializer_list>
#include <memory>
#include <string>

#include "fixture_database.h"
#include "rating/engine/premium_calculator.h"
#include "rating/engine/rater.h"
#include "table_rows.h"

namespace zelmora::testing {

class rating_fixture {
public:
    // A "County List" row offering the given crop numbers.
    void add_county(int state, int county, const char* name, std::initializer_list<int> crops, bool region = false) {
        rows::indicators offered{};
        for (int c : crops) offered[static_cast<std::size_t>(c - 1)] = -1;
        db.add<rowset_county_list>(rows::county(state, county, name, region ? -1 : 0, offered));
    }

    // A "B Value Whole Farm" row.
    void add_whole_farm_b(int state, int column, int index, float b, float b_harvest = 0.0f, bool region = false) {
        db.add<rowset_b_value_whole_farm>(rows::whole_farm_b(state, region ? -1 : 0, column, index, b, b_harvest));
    }

    // The calculator on the database, in the given state and county (rows added
    // before this call are loaded).
    premium_calculator& calculator(int state = 17, int county = 1) {
        if (!calc) {
            rater = std::make_unique<rater_aph_continuous>(&db.db());
            std::string errors;
            calc = std::make_unique<premium_calculator>(&db.db(), rater.get(), errors);
            calc->set_state(state, errors);
            calc->county_fips = county;
        }
        return *calc;
    }

    // Appends a unit to a crop of the calculator.
    insurance_unit& add_unit(int crop, double acres, double share, double aph_yield) {
        insurance_unit unit;
        unit.acres = acres;
        unit.share = share;
        unit.aph_yield = aph_yield;
        auto& list = calculator().units[static_cast<std::size_t>(crop - 1)];
        list.push_back(unit);
        return list.back();
    }

    fixture_database db;
    surcharge_list surcharges;
    std::unique_ptr<rater_aph_continuous> rater;
    std::unique_ptr<premium_calculator> calc;
};

inline std::size_t at(int crop_number) { return static_cast<std::size_t>(crop_number - 1); }

}  // namespace zelmora::testing
