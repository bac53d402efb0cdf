#include "rating/reports.h"

#include "rating/engine/malting_barley_endorsement.h"
#include "rating/engine/report_texts.h"
#include "rating/engine/session_engine.h"

namespace zelmora {

namespace {

// A farm's engine, rated as rating_session::rate rates it.
struct rated_engine {
    rated_engine(const rating_session& session, const farm& f) : engine(session, f) {
        engine.rate_farm(nullptr, rating_errors);
    }
    session_engine engine;
    std::string rating_errors;
};

// What the malting barley dialog does: each Barley unit's base rate from the
// rater (0 when it has none), then the unit's endorsement, one endorsement
// carried from unit to unit.
class malting_barley_run {
public:
    malting_barley_run(const rating_session& session, const farm& f) : engine_(session, f) {
        premium_calculator& k = engine_.calculator();
        k.match_rated_units();
        rater_aph_continuous& rater = engine_.rater();
        for (std::size_t u = 0; u < k.units[barley].size(); ++u) {
            const insurance_unit& unit = k.units[barley][u];
            unit_results& rated = k.rated_units[barley][u];
            std::string dropped;
            if (rater.rate(crop_code(crop_barley), k.state_fips(), k.county_fips, k.coverage[barley],
                           unit.rate_yield, unit.type_code, unit.practice_code, engine_.surcharges(), dropped)) {
                rated.base_rate = rater.base_premium_rate;
                rated.reference_yield = rater.reference_yield;
            }
            endorsement_.compute(k, unit, rated.base_rate);
            figures.push_back({endorsement_.acres, endorsement_.dollar_amount, endorsement_.contract_price,
                               endorsement_.liability, endorsement_.premium_rate, endorsement_.base_premium,
                               endorsement_.subsidy, endorsement_.producer_premium, endorsement_.coverage_level});
        }
    }

    // The dialog's Copy after that: each unit's worksheet.
    std::string worksheets() {
        premium_calculator& k = engine_.calculator();
        std::string text;
        for (std::size_t u = 0; u < k.units[barley].size(); ++u)
            endorsement_.worksheet(k, k.units[barley][u], k.rated_units[barley][u].base_rate, text);
        return text;
    }

    std::vector<malting_barley_figures> figures;

private:
    static constexpr auto barley = static_cast<std::size_t>(crop_barley - 1);
    session_engine engine_;
    malting_barley_endorsement endorsement_;
};

}  // namespace

std::string single_crop_worksheet(const rating_session& session, const farm& f, int crop_number,
                                  bool rating_errors_first) {
    rated_engine rated(session, f);
    std::string text = rating_errors_first ? rated.rating_errors : std::string();
    rated.engine.calculator().single_crop_worksheet(text, crop_number, rated.engine.surcharges());
    return text;
}

std::string whole_farm_copy_text(const rating_session& session, const farm& f) {
    rated_engine rated(session, f);
    return whole_farm_copy_text(rated.engine.calculator());
}

std::string test_report(const rating_session& session, const farm& f, int low, int high) {
    rated_engine rated(session, f);
    return test_report(rated.engine.calculator(), rated.engine.surcharges(), low, high);
}

std::string acreage_loop_report(const rating_session& session, const farm& f) {
    rated_engine rated(session, f);
    return acreage_loop_report(rated.engine.calculator(), rated.engine.surcharges());
}

std::string b_value_dump(const rating_session& session, const farm& f) {
    rated_engine rated(session, f);
    return b_value_dump(rated.engine.calculator());
}

std::vector<malting_barley_figures> rate_malting_barley(const rating_session& session, const farm& f) {
    return malting_barley_run(session, f).figures;
}

malting_barley_figures malting_barley_of(const farm& f, const insurance_unit& unit, const exact_decimal& base_rate) {
    malting_barley_endorsement endorsement;
    endorsement.compute(f.inputs, unit, base_rate);
    return {endorsement.acres,        endorsement.dollar_amount, endorsement.contract_price,
            endorsement.liability,    endorsement.premium_rate,  endorsement.base_premium,
            endorsement.subsidy,      endorsement.producer_premium, endorsement.coverage_level};
}

std::string malting_barley_worksheets(const rating_session& session, const farm& f) {
    return malting_barley_run(session, f).worksheets();
}

}  // namespace zelmora
