#include "rating/rating_domain.h"

#include "utility/number_text.h"

namespace zelmora {

namespace {

// A yield as the reason prints it: no trailing zeros ("2000", "152.5").
std::string yield_text(const exact_decimal& value) {
    std::string text = fixed_text(value.to_double(), 2);
    if (text.find('.') != std::string::npos) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.') text.pop_back();
    }
    return text;
}

}  // namespace

std::optional<std::string> yield_outside_rating(const char* what, const exact_decimal& yield,
                                                const exact_decimal& reference_yield) {
    if (!(yield > 0.0) || !(reference_yield > 0.0)) return std::nullopt;
    const double ratio = yield.to_double() / reference_yield.to_double();
    const std::string reference = "the county's reference yield " + yield_text(reference_yield);
    if (ratio > highest_yield_ratio)
        return std::string(what) + " " + yield_text(yield) + " is more than 3 times " + reference;
    if (ratio < lowest_yield_ratio)
        return std::string(what) + " " + yield_text(yield) + " is less than a quarter of " + reference;
    return std::nullopt;
}

bool has_negative_figure(const premium_figures& f) {
    return f.revenue_guarantee < 0.0 || f.per_acre_premium < 0.0 || f.total_premium < 0.0 || f.subsidy < 0.0 ||
           f.producer_premium < 0.0;
}

premium_figures without_negative_zeros(premium_figures f) {
    // -0 + 0 is +0; every other value stays as it is.
    for (exact_decimal* figure : {&f.revenue_guarantee, &f.per_acre_premium, &f.total_premium, &f.subsidy,
                                  &f.producer_premium})
        *figure = figure->to_double() + 0.0;
    return f;
}

}  // namespace zelmora
