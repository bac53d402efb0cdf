#pragma once
// The reference data of one state: its counties (region, offered crops, high
// coverage) and its whole-farm b values; the state code tables; the
// whole-farm column numbers and codes of a crop combination.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "data/premium_database.h"
#include "utility/exact_decimal.h"

namespace zelmora {

struct county_record {
    // The "County List" row as delivered.
    std::int16_t state_fips = 0;
    std::int16_t county_fips = 0;
    std::string county_name;  // at most 50 characters
    std::int16_t region_flag = 0;
    std::array<std::int16_t, 9> crop_indicator_raw{};
    std::array<std::int16_t, 9> indicator_8085_raw{};
    // The indicators converted to 1 (stored value not 0) or 0; the readers use these.
    std::array<int, 9> crop_indicator{};
    std::array<int, 9> indicator_8085{};
};

inline constexpr int whole_farm_columns = 64;
inline constexpr int whole_farm_b_indexes = 330;

class state_record {
public:
    state_record();
    virtual ~state_record() = default;
    state_record(const state_record&) = default;
    state_record& operator=(const state_record&) = default;

    int state_fips() const { return state_fips_; }
    void set_state_fips(int fips) { state_fips_ = fips; }

    // Loads the counties and then the whole-farm b values of the state set before.
    bool read_county_list(premium_database& db, std::string& error_text);
    bool read_b_values_whole_farm(premium_database& db, std::string& error_text);

    // ---- the virtual operations
    virtual int reserved() const { return 0; }
    // The stored value widened; 0 for an address outside the table (column 0 among them).
    virtual exact_decimal whole_farm_b_value(bool harvest_guarantee, int region, int column_number, int b_index) const;
    virtual int county_count() const { return static_cast<int>(counties_.size()); }
    virtual bool offers_high_coverage(int county_fips, int crop_number) const;
    virtual bool is_four_crop_state() const;

    // ---- county queries
    int county_fips_at(int position) const;  // 0 past the end
    const county_record* find_county(int county_fips) const;
    std::string county_name(int county_fips) const;  // "ERROR" when the state has no such county
    bool county_region(int county_fips) const;       // exists and its region flag equals -1
    int crop_offered(int county_fips, int crop_number) const;
    const std::vector<county_record>& counties() const { return counties_; }
    // What a county combo box shows: names in list order with their FIPS codes.
    std::vector<std::pair<std::string, int>> county_names_and_fips() const;

    // The crops with rows in "Continuous Rates" for the county, crop year 2003 and plan 90.
    bool find_crops_in_county(premium_database& db, int county_fips, std::array<int, 9>& flags,
                              std::string& error_text) const;

    // Column identification of a crop combination. `has_b_values` answers for a
    // crop number whether it has single-crop b values in the state. Clears and
    // sets `crop_flags` and `column`; true when every crop of the mask has b values.
    bool column_for_crops(const std::function<bool(int)>& has_b_values, int mask, int& column,
                          std::array<bool, 9>& crop_flags) const;
    // The code of the indicated crops ("IARR0000", "MN-NRR0000", "SD-WCCCCCC").
    std::string make_column_code(const std::array<bool, 9>& indicated, bool harvest_guarantee_whole_farm,
                                 bool region) const;

    // Inserts a county in FIPS order (after every smaller code); used by loaders and fixtures.
    void insert_county(county_record county);
    void clear();

private:
    std::size_t b_offset(int region, int column_number, int b_index) const;

    int state_fips_ = -1;
    std::vector<county_record> counties_;
    std::vector<float> b_values_;                    // [2][64][330]
    std::vector<float> b_values_harvest_guarantee_;  // [2][64][330]
};

bool is_four_crop_state_fips(int state_fips);

// The state code tables (FIPS 1..78); empty text for any other code.
std::string state_abbreviation(int state_fips);
std::string state_name(int state_fips);

}  // namespace zelmora
