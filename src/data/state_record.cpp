#include "data/state_record.h"

#include <algorithm>
#include <cstdio>

#include "data/crops.h"
#include "data/rowsets.h"

namespace zelmora {

namespace {

constexpr int region_count = 2;
constexpr std::size_t b_table_size =
    static_cast<std::size_t>(region_count) * whole_farm_columns * whole_farm_b_indexes;

struct state_code {
    const char* abbreviation;
    const char* name;
};

// Indexed by state FIPS code; entry 0 and the unused codes stay empty.
constexpr int highest_state_code = 78;
constexpr std::array<state_code, highest_state_code + 1> state_codes = [] {
    std::array<state_code, highest_state_code + 1> t{};
    for (auto& e : t) e = {"", ""};
    t[1] = {"AL", "Alabama"};
    t[2] = {"AK", "Alaska"};
    t[4] = {"AZ", "Arizona"};
    t[5] = {"AR", "Arkansas"};
    t[6] = {"CA", "California"};
    t[8] = {"CO", "Colorado"};
    t[9] = {"CT", "Connecticut"};
    t[10] = {"DE", "Delaware"};
    t[11] = {"DC", "District of Columbia"};
    t[12] = {"FL", "Florida"};
    t[13] = {"GA", "Georgia"};
    t[15] = {"HI", "Hawaii"};
    t[16] = {"ID", "Idaho"};
    t[17] = {"IL", "Illinois"};
    t[18] = {"IN", "Indiana"};
    t[19] = {"IA", "Iowa"};
    t[20] = {"KS", "Kansas"};
    t[21] = {"KY", "Kentucky"};
    t[22] = {"LA", "Louisiana"};
    t[23] = {"ME", "Maine"};
    t[24] = {"MD", "Maryland"};
    t[25] = {"MA", "Massachusetts"};
    t[26] = {"MI", "Michigan"};
    t[27] = {"MN", "Minnesota"};
    t[28] = {"MS", "Mississippi"};
    t[29] = {"MO", "Missouri"};
    t[30] = {"MT", "Montana"};
    t[31] = {"NE", "Nebraska"};
    t[32] = {"NV", "Nevada"};
    t[33] = {"NH", "New Hampshire"};
    t[34] = {"NJ", "New Jersey"};
    t[35] = {"NM", "New Mexico"};
    t[36] = {"NY", "New York"};
    t[37] = {"NC", "North Carolina"};
    t[38] = {"ND", "North Dakota"};
    t[39] = {"OH", "Ohio"};
    t[40] = {"OK", "Oklahoma"};
    t[41] = {"OR", "Oregon"};
    t[42] = {"PA", "Pennsylvania"};
    t[44] = {"RI", "Rhode Island"};
    t[45] = {"SC", "South Carolina"};
    t[46] = {"SD", "South Dakota"};
    t[47] = {"TN", "Tennessee"};
    t[48] = {"TX", "Texas"};
    t[49] = {"UT", "Utah"};
    t[50] = {"VT", "Vermont"};
    t[51] = {"VA", "Virginia"};
    t[53] = {"WA", "Washington"};
    t[54] = {"WV", "West Virginia"};
    t[55] = {"WI", "Wisconsin"};
    t[56] = {"WY", "Wyoming"};
    t[60] = {"AS", "American Samoa"};
    t[66] = {"GU", "Guam"};
    t[69] = {"MP", "Northern Mariana"};
    t[72] = {"PR", "Puerto Rico"};
    t[78] = {"VI", "Virgin Islands"};
    return t;
}();

const state_code* find_state_code(int state_fips) {
    if (state_fips < 1 || state_fips > highest_state_code) return nullptr;
    return &state_codes[static_cast<std::size_t>(state_fips)];
}

// Whole-farm crops by bit, highest bit first, with their position in the column code.
struct model_crop {
    int bit;
    int crop_number;
};
constexpr std::array<model_crop, 6> six_crop_model = {{{32, crop_corn},
                                                       {16, crop_soybeans},
                                                       {8, crop_spring_wheat},
                                                       {4, crop_canola},
                                                       {2, crop_sunflower},
                                                       {1, crop_barley}}};
constexpr std::array<model_crop, 4> four_crop_model = {
    {{8, crop_corn}, {4, crop_soybeans}, {2, crop_cotton}, {1, crop_rice}}};

std::size_t crop_slot(int crop_number) { return static_cast<std::size_t>(crop_number - 1); }

bool valid_crop_number(int crop_number) { return crop_number >= 1 && crop_number <= crop_count; }

}  // namespace

bool is_four_crop_state_fips(int state_fips) { return state_fips == 5 || state_fips == 22 || state_fips == 40; }

std::string state_abbreviation(int state_fips) {
    const state_code* s = find_state_code(state_fips);
    return s != nullptr ? s->abbreviation : "";
}

std::string state_name(int state_fips) {
    const state_code* s = find_state_code(state_fips);
    return s != nullptr ? s->name : "";
}

state_record::state_record() : b_values_(b_table_size, 0.0f), b_values_harvest_guarantee_(b_table_size, 0.0f) {}

std::size_t state_record::b_offset(int region, int column_number, int b_index) const {
    return (static_cast<std::size_t>(region) * whole_farm_columns + static_cast<std::size_t>(column_number - 1)) *
               whole_farm_b_indexes +
           static_cast<std::size_t>(b_index);
}

void state_record::clear() {
    counties_.clear();
    std::fill(b_values_.begin(), b_values_.end(), 0.0f);
    std::fill(b_values_harvest_guarantee_.begin(), b_values_harvest_guarantee_.end(), 0.0f);
}

void state_record::insert_county(county_record county) {
    const auto at = std::find_if(counties_.begin(), counties_.end(),
                                 [&](const county_record& c) { return !(c.county_fips < county.county_fips); });
    counties_.insert(at, std::move(county));
}

bool state_record::read_county_list(premium_database& db, std::string& error_text) {
    bool ok = true;
    clear();

    rowset_county_list rs;
    if (!is_ok(rs.open_where(db, "[State FIPS] = ?", {state_fips_}))) {
        error_text += "ERROR, unable to open table ";
        error_text += rs.table_name();
        error_text += "\r\n";
        ok = false;
    } else {
        if (!is_ok(rs.move_first())) {
            error_text += "ERROR, no counties for state.\r\n";
            ok = false;
        } else {
            do {
                const record_county_list& r = rs.record;
                county_record c;
                c.state_fips = r.state_fips;
                c.county_fips = r.county_fips;
                c.county_name = r.county_name;
                c.region_flag = r.region_flag;
                for (std::size_t i = 0; i < crop_count; ++i) {
                    c.crop_indicator_raw[i] = r.crop_indicator[i];
                    c.indicator_8085_raw[i] = r.indicator_8085[i];
                    c.crop_indicator[i] = r.crop_indicator[i] != 0 ? 1 : 0;
                    c.indicator_8085[i] = r.indicator_8085[i] != 0 ? 1 : 0;
                }
                insert_county(std::move(c));
            } while (is_ok(rs.move_next()));
        }
        rs.close();
    }

    if (!read_b_values_whole_farm(db, error_text)) ok = false;
    return ok;
}

bool state_record::read_b_values_whole_farm(premium_database& db, std::string& error_text) {
    rowset_b_value_whole_farm rs;
    if (!is_ok(rs.open_where(db, "[State FIPS] = ?", {state_fips_}))) {
        error_text += "ERROR, unable to open table ";
        error_text += rs.table_name();
        error_text += "\r\n";
        return false;
    }
    if (!is_ok(rs.move_first())) {
        // A state without whole-farm b values is no error.
        rs.close();
        return true;
    }
    do {
        const record_b_value_whole_farm& r = rs.record;
        const int region = r.region_flag == -1 ? 1 : 0;
        if (r.column_number < 1 || r.column_number > whole_farm_columns) {
            error_text += "ERROR, column number out of range in state_record.read_b_values_whole_farm.\r\n";
            rs.close();
            return false;
        }
        // The tables hold 330 indexes per column; a row past them has no place.
        if (r.b_index < 0 || r.b_index >= whole_farm_b_indexes) continue;
        const std::size_t at = b_offset(region, r.column_number, r.b_index);
        b_values_[at] = r.b_value;
        b_values_harvest_guarantee_[at] = r.b_value_harvest_guarantee;
    } while (is_ok(rs.move_next()));
    rs.close();
    return true;
}

exact_decimal state_record::whole_farm_b_value(bool harvest_guarantee, int region, int column_number,
                                               int b_index) const {
    if (column_number < 1 || column_number > whole_farm_columns) return 0.0;
    if (b_index < 0 || b_index >= whole_farm_b_indexes) return 0.0;
    const std::size_t at = b_offset(region == 1 ? 1 : 0, column_number, b_index);
    const float value = harvest_guarantee ? b_values_harvest_guarantee_[at] : b_values_[at];
    return static_cast<double>(value);
}

bool state_record::is_four_crop_state() const { return is_four_crop_state_fips(state_fips_); }

int state_record::county_fips_at(int position) const {
    if (position < 0 || position >= county_count()) return 0;
    return counties_[static_cast<std::size_t>(position)].county_fips;
}

const county_record* state_record::find_county(int county_fips) const {
    for (const county_record& c : counties_)
        if (c.county_fips == county_fips) return &c;
    return nullptr;
}

std::string state_record::county_name(int county_fips) const {
    const county_record* c = find_county(county_fips);
    return c != nullptr ? c->county_name : "ERROR";
}

bool state_record::county_region(int county_fips) const {
    const county_record* c = find_county(county_fips);
    return c != nullptr && c->region_flag == -1;
}

int state_record::crop_offered(int county_fips, int crop_number) const {
    const county_record* c = find_county(county_fips);
    if (c == nullptr || !valid_crop_number(crop_number)) return 0;
    return c->crop_indicator[crop_slot(crop_number)];
}

bool state_record::offers_high_coverage(int county_fips, int crop_number) const {
    if (crop_number == crop_cotton) return false;
    const county_record* c = find_county(county_fips);
    if (c == nullptr || !valid_crop_number(crop_number)) return false;
    return c->indicator_8085[crop_slot(crop_number)] != 0;
}

std::vector<std::pair<std::string, int>> state_record::county_names_and_fips() const {
    std::vector<std::pair<std::string, int>> items;
    items.reserve(counties_.size());
    for (const county_record& c : counties_) items.emplace_back(c.county_name, c.county_fips);
    return items;
}

bool state_record::find_crops_in_county(premium_database& db, int county_fips, std::array<int, 9>& flags,
                                        std::string& error_text) const {
    flags.fill(0);
    rowset_continuous_rates rs;
    if (!is_ok(rs.open_where(db,
                             "[State FIPS] = ? AND [County FIPS] = ? AND [Crop Year] = ? AND [Insurance Plan ID] = ?",
                             {state_fips_, county_fips, 2003, 90}))) {
        error_text += "ERROR, unable to open table ";
        error_text += rs.table_name();
        error_text += "\r\n";
        return false;
    }
    if (!is_ok(rs.move_first())) {
        char line[160];
        std::snprintf(line, sizeof line, "ERROR, no records in [%s] for state %d.\r\n", rs.table_name().c_str(),
                      state_fips_);
        error_text += line;
        rs.close();
        return false;
    }
    do {
        const int crop = crop_number_of_code(rs.record.crop_code, rs.record.type_code);
        if (valid_crop_number(crop)) flags[crop_slot(crop)] = 1;
    } while (is_ok(rs.move_next()));
    rs.close();
    return true;
}

bool state_record::column_for_crops(const std::function<bool(int)>& has_b_values, int mask, int& column,
                                    std::array<bool, 9>& crop_flags) const {
    crop_flags.fill(false);
    column = 0;
    bool all_found = true;
    auto visit = [&](const auto& model) {
        for (const model_crop& m : model) {
            if ((mask & m.bit) == 0) continue;
            if (has_b_values(m.crop_number)) {
                crop_flags[crop_slot(m.crop_number)] = true;
                column += m.bit;
            } else {
                all_found = false;
            }
        }
    };
    if (is_four_crop_state())
        visit(four_crop_model);
    else
        visit(six_crop_model);
    return all_found;
}

std::string state_record::make_column_code(const std::array<bool, 9>& indicated, bool harvest_guarantee_whole_farm,
                                           bool region) const {
    const char letter = harvest_guarantee_whole_farm ? 'C' : 'R';
    std::string crops;
    auto fill = [&](const auto& model) {
        for (const model_crop& m : model) crops += indicated[crop_slot(m.crop_number)] ? letter : '0';
    };
    if (is_four_crop_state())
        fill(four_crop_model);
    else
        fill(six_crop_model);

    if (state_fips_ == 27) return (region ? "MN-S" : "MN-N") + crops;
    if (state_fips_ == 46) return (region ? "SD-E" : "SD-W") + crops;
    return state_abbreviation(state_fips_) + crops;
}

}  // namespace zelmora
