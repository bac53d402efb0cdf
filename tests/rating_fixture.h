#pragma once
// A scratch rating database with a few rows of its own, a farm, and a rating
// session on the database, for the tests that rate a farm and read its
// figures, worksheets and reports.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "fixture_database.h"
#include "rating/farm.h"
#include "rating/farm_rating.h"
#include "rating/rating_session.h"
#include "rating/reports.h"
#include "table_rows.h"

namespace zelmora::testing {

inline std::size_t at(int crop_number) { return static_cast<std::size_t>(crop_number - 1); }

class rating_fixture {
public:
    // The default farm (Illinois, county 1, every crop ticked, no units).
    rating_fixture() : farm_value(default_farm()) {}

    // Moves the farm to a state and county.
    void in_county(int state, int county = 1) {
        farm_value.state_fips = state;
        farm_value.inputs.county_fips = county;
    }

    // A "County List" row offering the given crop numbers (high coverage for none).
    void add_county(int state, int county, const char* name, std::initializer_list<int> crops, bool region = false) {
        rows::indicators offered{};
        for (int c : crops) offered[at(c)] = -1;
        db.add<rowset_county_list>(rows::county(state, county, name, region ? -1 : 0, offered));
    }

    // A "B Value Whole Farm" row.
    void add_whole_farm_b(int state, int column, int index, float b, float b_harvest = 0.0f, bool region = false) {
        db.add<rowset_b_value_whole_farm>(rows::whole_farm_b(state, region ? -1 : 0, column, index, b, b_harvest));
    }

    // The crop of the state (in the region) takes its single-crop b values from the set.
    void use_b_value_set(int state, int crop, int set, bool region = false) {
        db.add<rowset_b_value_single_crop_lookup>(rows::b_value_set(state, crop, region ? -1 : 0, set));
    }
    // A "B Value Single Crop" row.
    void add_single_crop_b(int set, int index, float b, float b_harvest = 0.0f) {
        db.add<rowset_b_value_single_crop>(rows::single_crop_b(set, index, b, b_harvest));
    }

    void add_rates(const record_continuous_rates& record) { db.add<rowset_continuous_rates>(record); }
    void add_surcharge(const record_endogenous_risk_surcharge& row) {
        db.add<rowset_endogenous_risk_surcharge>(row);
    }

    // Appends a unit to a crop of the farm.
    insurance_unit& add_unit(int crop, double acres, double share, double aph_yield) {
        insurance_unit unit;
        unit.acres = acres;
        unit.share = share;
        unit.aph_yield = aph_yield;
        auto& list = farm_value.inputs.units[at(crop)];
        list.push_back(unit);
        return list.back();
    }

    // The session on the database, opened on first use; it sees every row
    // added before or after (the database tells it when they change).
    const rating_session& session() {
        if (!session_.is_open()) {
            std::string errors;
            EXPECT_TRUE(session_.open(db.path(), errors)) << errors;
        }
        return session_;
    }

    farm_rating rate() { return session().rate(farm_value); }
    std::string worksheet(int crop, bool rating_errors_first = false) {
        return single_crop_worksheet(session(), farm_value, crop, rating_errors_first);
    }
    std::string copy_text() { return whole_farm_copy_text(session(), farm_value); }
    // The whole-farm worksheet: the copy text without its first two lines and its bar lines.
    std::string whole_farm_worksheet() {
        const std::string text = copy_text();
        std::size_t begin = text.find("\r\n");
        begin = begin == std::string::npos ? text.size() : text.find("\r\n", begin + 2);
        begin = begin == std::string::npos ? text.size() : begin + 2;
        const std::size_t end = text.rfind("\r\nCounty Yield Used Bar");
        return text.substr(begin, end == std::string::npos || end < begin ? std::string::npos : end - begin);
    }

    fixture_database db;
    farm farm_value;

private:
    rating_session session_;
};

// The lines of a text ending each in "\r\n" (a last line without one counts too).
inline std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end = text.find("\r\n"); end != std::string::npos; end = text.find("\r\n", start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

// The tab-separated cells of a line.
inline std::vector<std::string> cells_of(const std::string& line) {
    std::vector<std::string> cells;
    std::size_t start = 0;
    for (std::size_t tab = line.find('\t'); tab != std::string::npos; tab = line.find('\t', start)) {
        cells.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
    cells.push_back(line.substr(start));
    return cells;
}

// The cells of a worksheet's term listing line of a term index (listed from 1),
// the first listing of the text: index, X, B, X*B, Sum. Empty when there is none.
inline std::vector<std::string> term_line(const std::string& text, int index) {
    const std::string start = "\r\n" + std::to_string(index + 1) + "\t";
    const std::size_t at_line = text.find(start);
    if (at_line == std::string::npos) return {};
    const std::size_t end = text.find("\r\n", at_line + 2);
    return cells_of(text.substr(at_line + 2, end - at_line - 2));
}

// The value of a "<label>\t<value>" line of a worksheet (the text after the
// label's tabs), or "missing".
inline std::string value_of(const std::string& text, const std::string& label) {
    std::size_t line = 0;
    if (text.rfind(label + "\t", 0) != 0) {
        line = text.find("\r\n" + label + "\t");
        if (line == std::string::npos) return "missing";
        line += 2;
    }
    std::size_t value = line + label.size();
    while (value < text.size() && text[value] == '\t') ++value;
    return text.substr(value, text.find("\r\n", value) - value);
}

// A decimal as the worksheets write it with `places` digits.
inline std::string text_of(double value, int places) { return exact_decimal(value).to_text(places); }

}  // namespace zelmora::testing
