// The malting barley endorsement of a Barley unit.
#include "rating/engine/malting_barley_endorsement.h"

#include <cstdio>

#include "data/crops.h"
#include "data/crops.h"

namespace zelmora {

namespace {

// How far the contract price may lie above the Barley price.
constexpr double option_a_limit = 1.25;
constexpr double option_b_limit = 2.0;

void append_value(std::string& text, const char* label, const exact_decimal& value, int places) {
    text += label;
    text += '\t';
    text += value.to_text(places);
    text += "\r\n";
}

void append_int(std::string& text, const char* label, int value) {
    char line[64];
    std::snprintf(line, sizeof line, "%s\t%d\r\n", label, value);
    text += line;
}

}  // namespace

exact_decimal malting_barley_endorsement::rate_differential(int coverage_level) {
    switch (coverage_level) {
        case 65: return 0.65;
        case 70: return 0.79;
        case 75: return 1.0;
        case 80: return 1.27;
        case 85: return 1.6;
        default: return 0.0;
    }
}

exact_decimal malting_barley_endorsement::subsidy_factor(int coverage_level) {
    switch (coverage_level) {
        case 65: return 0.59;
        case 70: return 0.59;
        case 75: return 0.55;
        case 80: return 0.48;
        case 85: return 0.38;
        default: return 0.0;
    }
}

void malting_barley_endorsement::compute(const farm_inputs& calculator, const insurance_unit& unit,
                                         const exact_decimal& base_rate) {
    const std::size_t barley = static_cast<std::size_t>(crop_barley - 1);
    const exact_decimal barley_price = calculator.price[barley];
    const int level = calculator.coverage[barley];
    const bool option_a = calculator.malting_barley_option == 1;

    acres = unit.malting_barley_acres;
    if (acres == 0.0) {
        // No malting barley on the unit: no premium; the dollar amount, contract
        // price and additional value stay those of the previous unit.
        base_premium = 0.0;
        subsidy = 0.0;
        premium_rate = 0.0;
        producer_premium = 0.0;
        base_premium_75 = 0.0;
        liability = 0.0;
        return;
    }

    const exact_decimal yield =
        unit.aph_yield < unit.malting_barley_approved_yield ? unit.aph_yield : unit.malting_barley_approved_yield;

    const exact_decimal limit = barley_price + (option_a ? option_a_limit : option_b_limit);
    if (unit.malting_barley_price > limit)
        contract_price = limit;
    else if (unit.malting_barley_price < barley_price)
        contract_price = barley_price;
    else
        contract_price = unit.malting_barley_price;

    base_premium_75 = base_rate / 0.65;
    coverage_level = level;
    const double coverage_fraction = level / 100.0;
    additional_value = contract_price - barley_price;

    dollar_amount = (coverage_fraction * yield) * additional_value;
    dollar_amount.round_to(2);
    liability = (dollar_amount * acres) * unit.share;
    liability.round_to(0);
    premium_rate = base_premium_75 * rate_differential(level);
    premium_rate.round_to(8);
    const exact_decimal& rate_factor = option_a ? optional_rate_factor_a : optional_rate_factor_b;
    base_premium = ((premium_rate * liability) * rate_factor) * 0.9;
    base_premium.round_to(0);
    subsidy = subsidy_factor(level) * base_premium;
    subsidy.round_to(0);
    producer_premium = base_premium - subsidy;
}

void malting_barley_endorsement::worksheet(const farm_inputs& calculator, const insurance_unit& unit,
                                           const exact_decimal& base_rate, std::string& text) {
    compute(calculator, unit, base_rate);
    const bool option_a = calculator.malting_barley_option == 1;
    append_value(text, "Acres", acres, 1);
    append_value(text, "APH Yield", unit.aph_yield, 4);
    append_value(text, "Approved Yield", unit.malting_barley_approved_yield, 4);
    append_value(text, "Contract Price", contract_price, 4);
    append_value(text, "Additional Value", additional_value, 4);
    append_value(text, "Base Premium 75", base_premium_75, 4);
    append_int(text, "Selected Option", calculator.malting_barley_option);
    if (option_a)
        append_value(text, "Optional Rate Factor A", optional_rate_factor_a, 1);
    else
        append_value(text, "Optional Rate Factor B", optional_rate_factor_b, 1);
    append_int(text, "Coverage Level", coverage_level);
    append_value(text, "MB Acres", acres, 4);
    append_value(text, "Liability", liability, 4);
    append_value(text, "Rate Differential", rate_differential(coverage_level), 4);
    append_value(text, "Premium Rate", premium_rate, 8);
    append_value(text, "Base Premium", base_premium, 4);
    append_value(text, "Subsidy", subsidy, 4);
    append_value(text, "Dollar Amount of Insurance", dollar_amount, 4);
    append_value(text, "Producer Premium", producer_premium, 4);
}

}  // namespace zelmora
