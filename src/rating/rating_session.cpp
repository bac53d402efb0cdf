#include "rating/rating_session.h"

#include <map>
#include <utility>

#include "rating/engine/premium_calculator.h"
#include "rating/engine/rater.h"
#include "rating/engine/session_engine.h"
#include "rating/engine/report_texts.h"
#include "rating/rating_domain.h"

namespace zelmora {

// A state's counties and whole-farm b values with the lines their load appended.
struct rating_session::loaded_state {
    state_record record;
    std::string load_errors;
};

// A county's surcharges with the lines their load appended.
struct rating_session::loaded_county {
    surcharge_list surcharges;
    std::string load_errors;
};

struct rating_session::tables {
    premium_database::change_marker version;  // of the database these were loaded from
    b_value_tables b_values;
    code_lookup practice_codes;
    code_lookup type_codes;
    std::string shared_load_errors;  // of the b values and the codes
    std::map<int, loaded_state> states;
    std::map<std::pair<int, int>, loaded_county> counties;
    rate_record_cache records;
    activity_counts activity;
};

namespace {

// One line for the user on why a unit has no figures, from the rater's error text.
std::string why_not_rated(const std::string& error_text, int type_code, int practice_code) {
    if (error_text.find("unable to open") != std::string::npos) return "the county's rates could not be read";
    const std::string keys = "type " + std::to_string(type_code) + " and practice " + std::to_string(practice_code);
    return "no rate for " + keys + " in this county";
}

// Past this many records the kept ones are dropped (a batch over every county
// of a national database would otherwise keep them all).
constexpr std::size_t most_records_kept = 20000;

}  // namespace

rating_session::rating_session() : tables_(std::make_unique<tables>()) {}

rating_session::~rating_session() = default;

const std::string& rating_session::path() const {
    static const std::string none;
    return database_ ? database_->path() : none;
}

bool rating_session::open(const std::string& path, std::string& error_text, std::string& read_errors) {
    database_ = connect_premium_database(path, error_text);
    if (!database_) return false;
    tables_ = std::make_unique<tables>();
    read_transaction reading(*database_);
    refresh();
    error_text += tables_->shared_load_errors;
    read_errors += reading.errors();
    return true;
}

bool rating_session::open(const std::string& path, std::string& error_text) {
    std::string read_errors;
    const bool connected = open(path, error_text, read_errors);
    error_text += read_errors;
    return connected;
}

void rating_session::refresh() const {
    tables& t = *tables_;
    const premium_database::change_marker now = database_->changes();
    if (now == t.version && now.data_version != -1) return;
    t.version = now;
    t.b_values = b_value_tables{};
    t.practice_codes = code_lookup{};
    t.type_codes = code_lookup{};
    t.shared_load_errors.clear();
    t.states.clear();
    t.counties.clear();
    t.records.clear();
    ++t.activity.table_loads;
    read_b_value_lookup(*database_, t.b_values, t.shared_load_errors);
    read_b_value_table(*database_, t.b_values, t.shared_load_errors);
    t.practice_codes.read_practice_codes(*database_, t.shared_load_errors);
    t.type_codes.read_type_codes(*database_, t.shared_load_errors);
}

const rating_session::loaded_state& rating_session::loaded_state_of(int state_fips) const {
    auto found = tables_->states.find(state_fips);
    if (found == tables_->states.end()) {
        loaded_state state;
        state.record.set_state_fips(state_fips);
        state.record.read_county_list(*database_, state.load_errors);
        ++tables_->activity.table_loads;
        found = tables_->states.emplace(state_fips, std::move(state)).first;
    }
    return found->second;
}

const rating_session::loaded_county& rating_session::loaded_county_of(int state_fips, int county_fips) const {
    const std::pair<int, int> key{state_fips, county_fips};
    auto found = tables_->counties.find(key);
    if (found == tables_->counties.end()) {
        loaded_county county;
        county.surcharges.read_county_surcharges(*database_, state_fips, county_fips, county.load_errors);
        ++tables_->activity.table_loads;
        found = tables_->counties.emplace(key, std::move(county)).first;
    }
    return found->second;
}

const state_record& rating_session::state(int state_fips) const {
    read_transaction reading(*database_);
    refresh();
    return loaded_state_of(state_fips).record;
}

const code_lookup& rating_session::practice_codes() const {
    read_transaction reading(*database_);
    refresh();
    return tables_->practice_codes;
}

const code_lookup& rating_session::type_codes() const {
    read_transaction reading(*database_);
    refresh();
    return tables_->type_codes;
}

bool rating_session::b_value_set_exists(int state_fips, bool region_flag, int crop_number) const {
    const int s = state_index(state_fips);
    if (s < 0 || crop_number < 1 || crop_number > crop_count) return false;
    read_transaction reading(*database_);
    refresh();
    return tables_->b_values.b_value_set[static_cast<std::size_t>(s)][static_cast<std::size_t>(crop_number - 1)]
                                        [region_flag ? 1 : 0] != 0;
}

bool rating_session::has_b_values(int state_fips, int crop_number) const {
    return b_value_set_exists(state_fips, false, crop_number) || b_value_set_exists(state_fips, true, crop_number);
}

std::string rating_session::farm_refusal(const farm& f) const {
    if (!is_open()) return {};
    const state_record& counties = state(f.state_fips);
    if (counties.find_county(f.inputs.county_fips) != nullptr) return {};
    const std::string state = state_name(f.state_fips).empty() ? "state " + std::to_string(f.state_fips)
                                                               : state_name(f.state_fips);
    return "County FIPS " + std::to_string(f.inputs.county_fips) + " is not a county of " + state +
           " in the rating database";
}

std::string rating_session::load_errors(const farm& f, std::string* read_errors) const {
    read_transaction reading(*database_);
    refresh();
    std::string text = loaded_state_of(f.state_fips).load_errors;
    text += loaded_county_of(f.state_fips, f.inputs.county_fips).load_errors;
    *(read_errors != nullptr ? read_errors : &text) += reading.errors();
    return text;
}

premium_database::change_marker rating_session::version() const {
    if (!is_open()) return {};
    read_transaction reading(*database_);
    refresh();
    return tables_->version;
}

void rating_session::forget_records() const { tables_->records.clear(); }

rating_session::activity_counts rating_session::activity() const {
    activity_counts counts = tables_->activity;
    counts.record_reads = tables_->records.reads;
    return counts;
}

farm_rating rating_session::rate(const farm& f) const {
    farm_rating rating;
    if (!is_open()) return rating;
    ++tables_->activity.ratings;
    session_engine engine(*this, f);
    const premium_calculator& k = engine.calculator();
    std::string farm_errors;
    engine.rate_farm(&rating.units, farm_errors);
    for (int c = 1; c <= crop_count; ++c) {
        const auto i = static_cast<std::size_t>(c - 1);
        for (std::size_t u = 0; u < rating.units[i].size(); ++u)
            if (!rating.units[i][u].reason.empty())
                rating.diagnostics.push_back({diagnostic::severity::error,
                                              std::string(crop_display_name(c)) + " unit " + std::to_string(u + 1),
                                              rating.units[i][u].reason});
    }

    // An enterprise or whole-farm figure that leaves out a unit it covers is not
    // given as if complete: it says which unit it misses.
    for (int c = 1; c <= crop_count; ++c) {
        const auto i = static_cast<std::size_t>(c - 1);
        rating.selected[i] = k.crop_selected(c);
        rating.in_whole_farm[i] = k.crop_in_whole_farm(c);
        if (!rating.selected[i]) continue;
        for (std::size_t u = 0; u < rating.units[i].size(); ++u) {
            if (rating.units[i][u].figures) continue;
            const std::string missing = std::string(crop_display_name(c)) + " unit " + std::to_string(u + 1) + ": " +
                                        rating.units[i][u].why_not_rated;
            rating.enterprise_reason[i] = missing;
            if (rating.in_whole_farm[i] && rating.whole_farm_reason.empty()) rating.whole_farm_reason = missing;
            break;
        }
    }
    rating.enterprise = k;
    rating.whole_farm = k;
    rating.limit_note = limit_note(engine.calculator());

    // Where every unit was rated, the enterprise and whole-farm formulas may
    // still leave their domain: the crop's weighted APH yield far from the
    // county's reference yield, or a premium below zero.
    for (int c = 1; c <= crop_count; ++c) {
        const auto i = static_cast<std::size_t>(c - 1);
        if (!rating.selected[i] || !rating.enterprise_reason[i].empty() || rating.units[i].empty()) continue;
        std::string refusal;
        if (const auto outside = yield_outside_rating("APH yield", rating.enterprise.enterprise_aph_yield[i],
                                                      rating.enterprise.enterprise_reference_yield[i]))
            refusal = std::string(crop_display_name(c)) + " enterprise unit: " + *outside;
        else if (has_negative_figure(rating.enterprise_figures(c)))
            refusal = std::string(crop_display_name(c)) + " enterprise unit: its premium comes out below zero";
        if (refusal.empty()) continue;
        rating.enterprise_reason[i] = refusal;
        rating.refused_structures.push_back(refusal);
        if (rating.in_whole_farm[i] && rating.whole_farm_reason.empty()) rating.whole_farm_reason = refusal;
    }
    if (rating.whole_farm_reason.empty() && has_negative_figure(rating.whole_farm_figures())) {
        rating.whole_farm_reason = "Whole-farm unit: its premium comes out below zero";
        rating.refused_structures.push_back(rating.whole_farm_reason);
    }

    const std::string tables_errors =
        loaded_state_of(f.state_fips).load_errors + loaded_county_of(f.state_fips, f.inputs.county_fips).load_errors;
    if (!tables_errors.empty())
        rating.diagnostics.insert(rating.diagnostics.begin(),
                                  {diagnostic::severity::error, "rating tables", tables_errors});
    if (engine.read_failed()) {
        rating.read_failed = true;
        rating.diagnostics.push_back({diagnostic::severity::error, "database", engine.read_errors()});
    }
    return rating;
}

// ------------------------------------------------------------------ session_engine

session_engine::session_engine(const rating_session& session, const farm& f)
    : session_(session),
      reading_(session.database()),
      surcharges_(nullptr),
      rater_(&session.database(), &session.tables_->records),
      calculator_(f, {}, nullptr) {
    session.refresh();
    rating_session::tables& t = *session.tables_;
    if (t.records.size() > most_records_kept) t.records.clear();
    surcharges_ = &session.loaded_county_of(f.state_fips, f.inputs.county_fips).surcharges;
    const state_record& state = session.loaded_state_of(f.state_fips).record;
    calculator_.state_data = &state;
    calculator_.b_tables = &t.b_values;
    calculator_.database = &session.database();
    calculator_.rater = &rater_;
    rater_.use_settings(f.continuous);
}

void session_engine::rate_farm(std::array<std::vector<unit_rating>, crop_count>* units, std::string& farm_errors) {
    premium_calculator& k = calculator_;
    std::array<std::vector<premium_calculator::prerated_unit>, crop_count> prerated;
    for (int c = 1; c <= crop_count; ++c) {
        const auto i = static_cast<std::size_t>(c - 1);
        for (const insurance_unit& entered : k.units[i]) {
            premium_calculator::prerated_unit& done = prerated[i].emplace_back();
            done.rated = rate_unit(c, entered, done.results, k, rater_, *surcharges_, done.error_text);
            if (units == nullptr) continue;
            unit_rating& unit = (*units)[i].emplace_back();
            unit.reason = done.error_text;
            if (!done.rated) {
                unit.why_not_rated = why_not_rated(done.error_text, entered.type_code, entered.practice_code);
            } else if (surcharges_->find_surcharge({65, crop_code(c), k.state_fips(), k.county_fips, rater_.crop_year,
                                                    entered.practice_code, entered.type_code}) == nullptr) {
                // The rate differentials come from the county's 65 % surcharge row:
                // without it the rate is a fraction of the true one, so the unit
                // has no figures to show (its worksheet still shows the steps).
                unit.why_not_rated = "no 65% surcharge row for type " + std::to_string(entered.type_code) +
                                     " and practice " + std::to_string(entered.practice_code) + " in this county";
            } else if (const auto outside = yield_outside_rating("rate yield", entered.rate_yield,
                                                                 done.results.reference_yield)) {
                unit.why_not_rated = *outside;
            } else if (has_negative_figure(done.results.figures())) {
                unit.why_not_rated = "its premium comes out below zero for these yields";
            } else {
                unit.figures = without_negative_zeros(done.results.figures());
            }
            unit.base_rate = done.results.base_rate;
            unit.reference_yield = done.results.reference_yield;
            unit.residual_factor = done.results.residual_factor;
        }
    }
    // The farm's rating takes each unit as rated above rather than rating it again.
    k.take_prerated_units(std::move(prerated));
    k.compute_all(*surcharges_, farm_errors);
    k.take_prerated_units({});
}

session_engine::~session_engine() {
    if (reading_.failed()) session_.tables_->records.clear();
}

}  // namespace zelmora
