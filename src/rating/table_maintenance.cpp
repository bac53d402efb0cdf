// Rebuilding "Lookup Column Number" and "County List" from the other tables,
// the state input listing, and the work of the five maintenance commands.
//
// A rewrite replaces one state's rows inside one transaction: the delete and
// every insert are committed together, and any failure rolls the whole
// rewrite back so that the state keeps the rows it had.
#include "rating/table_maintenance.h"

#include <cstdarg>
#include <cstdio>
#include <functional>
#include <memory>

#include "data/crops.h"
#include "data/result_codes.h"
#include "data/rowsets.h"
#include "rating/engine/premium_calculator.h"
#include "utility/dropped_errors.h"

namespace zelmora {

namespace {

constexpr int rewrite_crop_year = 2004;
constexpr int rewrite_insurance_plan = 90;
constexpr std::int16_t indicator_true = -1;
constexpr std::int16_t region_flag_true = -1;

constexpr int minnesota = 27;
constexpr int south_dakota = 46;

const char* const county_list_table = "County List";
const char* const column_lookup_table = "Lookup Column Number";

__attribute__((format(printf, 2, 3))) void append_format(std::string& text, const char* format, ...) {
    char buffer[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    text += buffer;
}

// Sets the indicator positions of a crop code: Spring Wheat and Winter Wheat
// share code 11, each taken when its switch is on.
void set_indicators_of_code(int code, bool spring_wheat, bool winter_wheat, std::array<std::int16_t, 9>& indicators) {
    auto set = [&indicators](int crop_number) { indicators[static_cast<std::size_t>(crop_number - 1)] = indicator_true; };
    switch (code) {
        case 41: set(crop_corn); break;
        case 81: set(crop_soybeans); break;
        case 11:
            if (spring_wheat) set(crop_spring_wheat);
            if (winter_wheat) set(crop_winter_wheat);
            break;
        case 15: set(crop_canola); break;
        case 78: set(crop_sunflower); break;
        case 91: set(crop_barley); break;
        case 21: set(crop_cotton); break;
        case 18: set(crop_rice); break;
        default: break;
    }
}

// The two readers behind the public functions; false when the table could not be opened.
bool read_crop_indicators(premium_database& db, int state_fips, int county_fips, int crop_year, int plan,
                          bool spring_wheat, bool winter_wheat, std::array<std::int16_t, 9>& indicators,
                          std::string& report) {
    rowset_continuous_rates rates;
    if (!is_ok(rates.open_where(db,
                                "[State Fips] = ? AND [County FIPS] = ? AND [Crop Year] = ? AND [Insurance Plan ID] = ?",
                                {state_fips, county_fips, crop_year, plan}))) {
        report += "ERROR, unable to open table [Continuous Rates].\r\n";
        return false;
    }
    for (hresult hr = rates.move_first(); is_ok(hr); hr = rates.move_next())
        set_indicators_of_code(rates.record.crop_code, spring_wheat, winter_wheat, indicators);
    rates.close();
    return true;
}

bool read_high_coverage(premium_database& db, int state_fips, int county_fips, int crop_year, bool spring_wheat,
                        bool winter_wheat, std::array<std::int16_t, 9>& indicators, std::string& report) {
    rowset_endogenous_risk_surcharge surcharges;
    if (!is_ok(surcharges.open_where(db, "[State FIPS] = ? AND [County FIPS] = ? AND [Crop Year] = ?",
                                     {state_fips, county_fips, crop_year}))) {
        report += "ERROR, can't open table [Endogenous Risk Surcharge].\r\n";
        return false;
    }
    for (hresult hr = surcharges.move_first(); is_ok(hr); hr = surcharges.move_next()) {
        const int level = surcharges.record.coverage_level;
        if (level == 80 || level == 85)
            set_indicators_of_code(surcharges.record.crop_code, spring_wheat, winter_wheat, indicators);
    }
    surcharges.close();
    return true;
}

// Replaces the state's rows of a table: deletes them and lets `write_rows`
// insert the new ones, all in one transaction. `write_rows` returns false on
// a failure; the transaction is then rolled back. True when committed.
bool replace_state_rows(premium_database& db, const char* table, int state_fips, std::string& report,
                        const std::function<bool()>& write_rows) {
    bool ok = true;
    bool in_transaction = false;
    if (!db.open_session()) {
        report += "ERROR, unable to create session on database.\r\n";
        ok = false;
    } else if (const hresult hr = db.execute_statement("BEGIN IMMEDIATE"); !is_ok(hr)) {
        // IMMEDIATE: the write lock is taken (or waited for) before anything is read.
        report += "ERROR, unable to begin a transaction on database.\r\n";
        append_oledb_error_text(hr, report);
        db.append_last_error_message(report);
        ok = false;
    } else {
        in_transaction = true;
        char statement[128];
        std::snprintf(statement, sizeof statement, "DELETE FROM [%s] WHERE [State FIPS] = %d", table, state_fips);
        if (const hresult deleted = db.execute_statement(statement); !is_ok(deleted)) {
            report += statement;
            report += "\r\nERROR, unable to delete from [";
            report += table;
            report += "]\r\n";
            append_oledb_error_text(deleted, report);
            db.append_last_error_message(report);
            ok = false;
        } else {
            ok = write_rows();
        }
    }
    if (ok) {
        const hresult committed = db.execute_statement("COMMIT");
        if (is_ok(committed)) return true;
        report += "ERROR, unable to commit the rewrite of [";
        report += table;
        report += "]\r\n";
        append_oledb_error_text(committed, report);
        db.append_last_error_message(report);
    }
    if (in_transaction) db.execute_statement("ROLLBACK");
    append_format(report, "ERROR, [%s] not rewritten for state %d; its rows are unchanged.\r\n", table, state_fips);
    return false;
}

int highest_mask(const state_record& state) { return state.is_four_crop_state() ? 15 : 63; }

// Appends the 165 or 330 whole-farm b values of a column and region.
void list_whole_farm_column(const state_record& state, const premium_calculator& calculator, int column, int region,
                            std::string& report) {
    const int b_count = state.is_four_crop_state() ? 165 : 330;
    const std::string code = state.make_column_code(calculator.indicated, calculator.harvest_guarantee_whole_farm,
                                                    region != 0);
    for (int i = 0; i < b_count; ++i) {
        const std::string b_value = state.whole_farm_b_value(false, region, column, i).to_text(5);
        const std::string b_value_harvest = state.whole_farm_b_value(true, region, column, i).to_text(5);
        append_format(report, "%d\t%d\t%ld\t%d\t%s\t%s\t%ld\t%s\r\n", state.state_fips(), region,
                      static_cast<long>(column), i, b_value.c_str(), b_value_harvest.c_str(),
                      static_cast<long>(column), code.c_str());
    }
}

// Corn weighs 256, Soybeans 128, ... Rice 1.
template <class Flags>
int crop_mask(const Flags& flags) {
    int mask = 0;
    for (int n = 1; n <= crop_count; ++n)
        if (flags[static_cast<std::size_t>(n - 1)] != 0) mask += 1 << (crop_count - n);
    return mask;
}

// A calculator of the default farm in a state, with the single-crop b values
// and the state's counties read into the report.
class state_calculator {
public:
    state_calculator(premium_database& db, std::string& report) : calculator_(default_farm(), {}, nullptr) {
        read_b_value_lookup(db, b_values_, report);
        read_b_value_table(db, b_values_, report);
    }
    state_calculator(premium_database& db, int state_fips, std::string& report) : state_calculator(db, report) {
        set_state(db, state_fips, report);
    }
    state_calculator(const state_calculator&) = delete;
    state_calculator& operator=(const state_calculator&) = delete;

    // The state's counties read anew; the calculator's inputs stay.
    void set_state(premium_database& db, int state_fips, std::string& report) {
        state_.set_state_fips(state_fips);
        state_.read_county_list(db, report);
        farm f = default_farm();
        f.state_fips = state_fips;
        static_cast<farm_inputs&>(f.inputs) = calculator_;
        calculator_ = premium_calculator(f, {&db, &state_, &b_values_}, nullptr);
    }
    premium_calculator& calculator() { return calculator_; }
    const state_record& state() const { return state_; }

private:
    b_value_tables b_values_;
    state_record state_;
    premium_calculator calculator_;
};

}  // namespace

void crop_indicators_from_rates(premium_database& db, int state_fips, int county_fips, int crop_year, int plan,
                                bool spring_wheat, bool winter_wheat, std::array<std::int16_t, 9>& indicators,
                                std::string& report) {
    read_crop_indicators(db, state_fips, county_fips, crop_year, plan, spring_wheat, winter_wheat, indicators,
                         report);
}

void high_coverage_from_surcharges(premium_database& db, int state_fips, int county_fips, int crop_year,
                                   bool spring_wheat, bool winter_wheat, std::array<std::int16_t, 9>& indicators,
                                   std::string& report) {
    read_high_coverage(db, state_fips, county_fips, crop_year, spring_wheat, winter_wheat, indicators, report);
}

namespace {

// Replaces the state's rows of "County List"; true when no open or insert failed.
bool rewrite_county_list(const state_record& state, premium_database& db, premium_calculator& calculator,
                         std::string& report) {
    const int state_fips = state.state_fips();
    // The new rows come from the counties loaded before; without them the
    // rewrite would only empty the state.
    if (state.counties().empty()) {
        append_format(report, "ERROR, no counties loaded for state %d; [County List] not rewritten.\r\n", state_fips);
        return false;
    }
    return replace_state_rows(db, county_list_table, state_fips, report, [&]() {
        rowset_county_list table;
        if (const hresult opened = table.open_with_filter(db); !is_ok(opened)) {
            report += "ERROR, unable to open table [";
            report += county_list_table;
            report += "]\r\n";
            append_oledb_error_text(opened, report);
            db.append_last_error_message(report);
            return false;
        }
        bool ok = true;
        for (const county_record& county : state.counties()) {
            const bool region = county.region_flag == region_flag_true;
            const bool spring_wheat = calculator.b_value_set_exists(state_fips, region, crop_spring_wheat);
            const bool winter_wheat = calculator.b_value_set_exists(state_fips, region, crop_winter_wheat);
            std::array<std::int16_t, 9> crops{};
            std::array<std::int16_t, 9> high_coverage{};
            if (!read_crop_indicators(db, state_fips, county.county_fips, rewrite_crop_year, rewrite_insurance_plan,
                                      spring_wheat, winter_wheat, crops, report) ||
                !read_high_coverage(db, state_fips, county.county_fips, rewrite_crop_year, spring_wheat,
                                    winter_wheat, high_coverage, report)) {
                ok = false;
                break;
            }
            record_county_list& row = table.record;
            row = record_county_list{};
            row.state_fips = county.state_fips;
            row.county_fips = county.county_fips;
            copy_to_buffer(row.county_name, sizeof row.county_name, county.county_name);
            row.region_flag = county.region_flag;
            for (std::size_t i = 0; i < 9; ++i) {
                row.crop_indicator[i] = crops[i];
                row.indicator_8085[i] = high_coverage[i];
            }
            if (const hresult inserted = table.insert_row(); !is_ok(inserted)) {
                report += "ERROR, unable to insert into table [";
                report += county_list_table;
                report += "]\r\n";
                append_oledb_error_text(inserted, report);
                db.append_last_error_message(report);
                ok = false;
                break;
            }
        }
        table.close();
        return ok;
    });
}

// Replaces the state's rows of "Lookup Column Number"; appends "Rows written\t%d".
// False when the rewrite failed (its rows are then unchanged).
bool rewrite_column_lookup(const state_record& state, premium_database& db, premium_calculator& calculator,
                           std::string& report) {
    const int state_fips = state.state_fips();
    const int mask_high = highest_mask(state);
    calculator.indicated.fill(true);
    int rows_written = 0;
    auto has_b_values = [&calculator](int crop_number) { return calculator.has_b_values(crop_number); };

    const bool committed = replace_state_rows(db, column_lookup_table, state_fips, report, [&]() {
        rowset_lookup_column_number table;
        if (const hresult opened = table.open_with_filter(db); !is_ok(opened)) {
            report += "ERROR, unable to open table [";
            report += column_lookup_table;
            report += "]\r\n";
            append_oledb_error_text(opened, report);
            db.append_last_error_message(report);
            return false;
        }
        auto insert = [&](int column, bool region) {
            record_lookup_column_number& row = table.record;
            row = record_lookup_column_number{};
            row.state_fips = static_cast<std::int16_t>(state_fips);
            row.region_flag = region ? region_flag_true : 0;
            row.column_number = static_cast<std::int16_t>(column);
            copy_to_buffer(row.column_code, sizeof row.column_code,
                           state.make_column_code(calculator.indicated, calculator.harvest_guarantee_whole_farm,
                                                  region));
            for (std::size_t i = 0; i < 9; ++i) row.crop_set[i] = calculator.indicated[i] ? 1 : 0;
            const hresult inserted = table.insert_row();
            if (!is_ok(inserted)) {
                report += "\r\nERROR, unable to insert into [";
                report += column_lookup_table;
                report += "]\r\n";
                append_oledb_error_text(inserted, report);
                db.append_last_error_message(report);
                return false;
            }
            ++rows_written;
            return true;
        };
        bool ok = true;
        for (int mask = mask_high; mask >= 1 && ok; --mask) {
            int column = 0;
            if (!state.column_for_crops(has_b_values, mask, column, calculator.indicated)) continue;
            calculator.harvest_guarantee_whole_farm = false;
            ok = insert(column, false);
            // The two split states carry a second row for their other region
            // (south of Minnesota, east of South Dakota).
            if (ok && (state_fips == minnesota || state_fips == south_dakota)) ok = insert(column, true);
        }
        table.close();
        return ok;
    });
    append_format(report, "Rows written\t%d", committed ? rows_written : 0);
    return committed;
}

// State input listing of the calculator's state (whole-farm b values, counties).
void list_state_inputs(const state_record& state, premium_database& db, premium_calculator& calculator,
                       std::string& report) {
    const int state_fips = state.state_fips();
    report += "B Values Whole Farm\r\n";
    calculator.indicated.fill(true);
    auto has_b_values = [&calculator](int crop_number) { return calculator.has_b_values(crop_number); };
    for (int mask = highest_mask(state); mask >= 1; --mask) {
        int column = 0;
        if (!state.column_for_crops(has_b_values, mask, column, calculator.indicated)) continue;
        calculator.harvest_guarantee_whole_farm = false;
        list_whole_farm_column(state, calculator, column, 0, report);
        if (state_fips == minnesota || state_fips == south_dakota)
            list_whole_farm_column(state, calculator, column, 1, report);
    }

    report += "County List\r\n";
    for (const county_record& county : state.counties()) {
        append_format(report, "%d\t%d\t%s", state_fips, static_cast<int>(county.county_fips),
                      county.county_name.c_str());
        report += county.region_flag == region_flag_true ? "\t1" : "\t0";
        std::array<int, 9> found{};
        state.find_crops_in_county(db, county.county_fips, found, dropped_errors{});
        append_format(report, "\t%d\t%d\r\n", crop_mask(found), crop_mask(county.indicator_8085));
    }
}

}  // namespace

std::string show_state_inputs(premium_database& db, int current_state) {
    std::string report;
    state_calculator tables(db, current_state, report);
    tables.calculator().dump_b_values(report);
    list_state_inputs(tables.state(), db, tables.calculator(), report);
    return report;
}

namespace {

// A state whose rewrite failed counts once; a state without counties was never attempted.
void count_county_list_rewrite(const state_record& state, premium_database& db, premium_calculator& calculator,
                               rewrite_report& report) {
    if (!rewrite_county_list(state, db, calculator, report.text) && !state.counties().empty())
        ++report.failed_states;
}

}  // namespace

rewrite_report write_column_lookup(premium_database& db, int current_state) {
    rewrite_report report;
    const read_errors_scope reads(db);
    state_calculator tables(db, current_state, report.text);
    if (!rewrite_column_lookup(tables.state(), db, tables.calculator(), report.text)) ++report.failed_states;
    report.read_errors = reads.errors();
    return report;
}

rewrite_report write_column_lookup_all_states(premium_database& db) {
    rewrite_report report;
    const read_errors_scope reads(db);
    for (const int state_fips : rated_states) {
        state_calculator tables(db, state_fips, report.text);
        if (!rewrite_column_lookup(tables.state(), db, tables.calculator(), report.text)) ++report.failed_states;
    }
    report.read_errors = reads.errors();
    return report;
}

rewrite_report write_county_list(premium_database& db, int current_state) {
    rewrite_report report;
    const read_errors_scope reads(db);
    state_calculator tables(db, current_state, report.text);
    count_county_list_rewrite(tables.state(), db, tables.calculator(), report);
    report.read_errors = reads.errors();
    return report;
}

rewrite_report write_all_county_lists(premium_database& db) {
    rewrite_report report;
    const read_errors_scope reads(db);
    state_calculator tables(db, report.text);
    for (const int state_fips : rated_states) {
        tables.set_state(db, state_fips, report.text);
        count_county_list_rewrite(tables.state(), db, tables.calculator(), report);
    }
    report.read_errors = reads.errors();
    return report;
}

}  // namespace zelmora
