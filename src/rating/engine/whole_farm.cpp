// The whole-farm rating polynomial: the farm's liability shares and revenue
// guarantee, the terms of the four-crop and six-crop models, the column of the
// crop mix and the capped sum of the b values times the terms.
#include <array>

#include "rating/engine/premium_calculator.h"

namespace zelmora {

namespace {

// Model crops in model order: Corn, Soybeans, Cotton, Rice in states 5, 22 and 40,
// Corn, Soybeans, Spring Wheat, Canola, Sunflower, Barley everywhere else.
constexpr std::array<int, 4> four_crop_model = {crop_corn, crop_soybeans, crop_cotton, crop_rice};
constexpr std::array<int, 6> six_crop_model = {crop_corn,    crop_soybeans,  crop_spring_wheat,
                                               crop_canola,  crop_sunflower, crop_barley};
// Column bits of the model crops, in the same order.
constexpr std::array<int, 4> four_crop_bits = {8, 4, 2, 1};
constexpr std::array<int, 6> six_crop_bits = {32, 16, 8, 4, 2, 1};

constexpr int four_crop_terms = 165;
constexpr int six_crop_terms = 330;

// The per-crop inputs of the terms, gathered for the model crops (index k - 1).
template <std::size_t N>
struct term_inputs {
    std::array<exact_decimal, N> v{};  // enterprise discounted rate
    std::array<exact_decimal, N> s{};  // percent liability
    std::array<exact_decimal, N> y{};  // rounded enterprise APH yield over the reference yield
    std::array<exact_decimal, N> u{};  // price volatility
    exact_decimal cv;                  // whole-farm coverage as a fraction
    exact_decimal cv_squared;
};

template <std::size_t N>
term_inputs<N> gather_inputs(const premium_calculator& calc, const std::array<int, N>& model) {
    term_inputs<N> in;
    for (std::size_t k = 0; k < N; ++k) {
        const std::size_t c = static_cast<std::size_t>(model[k] - 1);
        in.v[k] = calc.enterprise_discounted_rate[c];
        in.s[k] = calc.percent_liability[c];
        if (calc.enterprise_reference_yield[c] != 0.0)
            in.y[k] = calc.enterprise_aph_yield[c] / calc.enterprise_reference_yield[c];
        else
            in.y[k] = 0.0;
        in.u[k] = calc.price_volatility[c];
    }
    in.cv = calc.coverage_whole_farm / 100.0;
    return in;
}

// Walks the blocks of the term table; `index` counts down through them.
// `pair_count` blocks run over i < j; `product` blocks run i outer, j inner,
// with `rows` values of i. Answers the term or, past the last block, 0.
template <std::size_t N>
exact_decimal term_of(const term_inputs<N>& in, int index, std::size_t share_volatility_rows) {
    const std::size_t n = N;
    // The pair (i, j), i < j, at position p of the pair order (1,2), (1,3), ..., (2,3), ...
    auto pair_at = [n](std::size_t p, std::size_t& i, std::size_t& j) {
        for (i = 0; i < n; ++i) {
            const std::size_t in_row = n - 1 - i;
            if (p < in_row) {
                j = i + 1 + p;
                return;
            }
            p -= in_row;
        }
    };
    auto q = [&in](std::size_t i, std::size_t j) -> exact_decimal {
        if (in.s[j] > 0.0) return in.s[i] / in.s[j];
        return 0.0;
    };
    const std::size_t pairs = n * (n - 1) / 2;

    if (index < 0) return 0.0;
    std::size_t p = static_cast<std::size_t>(index);

    if (p == 0) return 1.0;
    p -= 1;
    if (p < n) return in.v[p];  // v_k
    p -= n;
    if (p < n) return in.v[p] * in.v[p];  // v_k squared
    p -= n;
    if (p < pairs) {  // v_i v_j
        std::size_t i = 0, j = 0;
        pair_at(p, i, j);
        return in.v[i] * in.v[j];
    }
    p -= pairs;
    if (p == 0) return in.cv;
    p -= 1;
    if (p == 0) return in.cv_squared;
    p -= 1;
    if (p < n) return in.v[p] * in.cv;  // v_k cv
    p -= n;
    if (p < n) return in.s[p];  // s_k
    p -= n;
    if (p < n) return in.s[p] * in.s[p];  // s_k squared
    p -= n;
    if (p < n) return (in.s[p] * in.s[p]) * in.s[p];  // s_k cubed
    p -= n;
    if (p < n * n) return in.s[p / n] * in.v[p % n];  // s_i v_j
    p -= n * n;
    if (p < n * n) return (in.s[p / n] * in.s[p / n]) * in.v[p % n];  // s_i squared v_j
    p -= n * n;
    if (p < n) return (in.s[p] * in.s[p]) * in.cv;  // s_k squared cv
    p -= n;
    if (p < n) return ((in.s[p] * in.s[p]) * in.s[p]) * in.cv;  // s_k cubed cv
    p -= n;
    if (p < n) return in.y[p];  // y_k
    p -= n;
    if (p < n) return in.y[p] * in.y[p];  // y_k squared
    p -= n;
    if (p < pairs) {  // q_ij
        std::size_t i = 0, j = 0;
        pair_at(p, i, j);
        return q(i, j);
    }
    p -= pairs;
    if (p < pairs) {  // q_ij squared
        std::size_t i = 0, j = 0;
        pair_at(p, i, j);
        const exact_decimal r = q(i, j);
        return r * r;
    }
    p -= pairs;
    if (p < n) return in.u[p];  // u_k
    p -= n;
    if (p < n) return in.u[p] * in.u[p];  // u_k squared
    p -= n;
    if (p < n * n) return in.u[p / n] * in.v[p % n];  // u_i v_j
    p -= n * n;
    if (p < n * n) return (in.u[p / n] * in.u[p / n]) * in.v[p % n];  // u_i squared v_j
    p -= n * n;
    // s_i u_j: the six-crop table has no row for Barley's share (i stops at 5).
    if (p < share_volatility_rows * n) return in.s[p / n] * in.u[p % n];
    p -= share_volatility_rows * n;
    if (p < n * n) return (in.s[p / n] * in.s[p / n]) * in.u[p % n];  // s_i squared u_j
    return 0.0;
}

}  // namespace

exact_decimal premium_calculator::whole_farm_rate() {
    return is_four_crop_state() ? whole_farm_rate_four() : whole_farm_rate_six();
}

namespace {

// The revenue guarantee, liability per acre and percent liability of the model,
// shared by both models.
template <std::size_t N>
void compute_liability_shares(premium_calculator& calc, const std::array<int, N>& model) {
    calc.compute_enterprise_discount();

    crop_decimals crop_acre_weight{};
    crop_decimals weighted_yield{};
    exact_decimal per_denominator = 0.0;

    for (int c = 1; c <= crop_count; ++c) {
        if (!calc.crop_selected(c)) continue;
        const std::size_t ci = static_cast<std::size_t>(c - 1);
        for (const insurance_unit& unit : calc.units[ci]) {
            crop_acre_weight[ci] += unit.acres * unit.share;
            weighted_yield[ci] += (unit.acres * unit.share) * unit.aph_yield;
        }
        // A crop without acre weight has no liability (and no division by zero).
        if (crop_acre_weight[ci] != 0.0) {
            exact_decimal liability = ((calc.price[ci] * weighted_yield[ci]) / crop_acre_weight[ci]) * 0.65;
            calc.liability_per_acre[ci] = liability.round_to(2);
        } else {
            calc.liability_per_acre[ci] = 0.0;
        }
        if (calc.crop_in_whole_farm(c)) per_denominator += calc.liability_per_acre[ci] * crop_acre_weight[ci];
    }

    exact_decimal model_weight = 0.0;
    exact_decimal expected_revenue = 0.0;
    for (int c : model) {
        const std::size_t ci = static_cast<std::size_t>(c - 1);
        model_weight += crop_acre_weight[ci];
        expected_revenue += (calc.enterprise_aph_yield_exact[ci] * calc.price[ci]) * crop_acre_weight[ci];
    }
    if (model_weight != 0.0) {
        exact_decimal guarantee = (calc.coverage_whole_farm / 100.0) * (expected_revenue / model_weight);
        calc.revenue_guarantee_whole_farm = guarantee.round_to(2);
    } else {
        calc.revenue_guarantee_whole_farm = 0.0;
    }

    if (per_denominator != 0.0) {
        for (int c : model) {
            const std::size_t ci = static_cast<std::size_t>(c - 1);
            exact_decimal share = (calc.liability_per_acre[ci] * crop_acre_weight[ci]) / per_denominator;
            calc.percent_liability[ci] = share.round_to(4);
        }
    } else {
        for (exact_decimal& share : calc.percent_liability) share = 0.0;
    }
}

}  // namespace

exact_decimal premium_calculator::whole_farm_rate_four() {
    compute_liability_shares(*this, four_crop_model);
    exact_decimal rate = whole_farm_sum(county_region(), whole_farm_column());
    return rate.round_to(4);
}

exact_decimal premium_calculator::whole_farm_rate_six() {
    compute_liability_shares(*this, six_crop_model);
    exact_decimal rate = whole_farm_sum(county_region(), whole_farm_column());
    return rate.round_to(4);
}

exact_decimal premium_calculator::whole_farm_term_four(int index) const {
    term_inputs<4> in = gather_inputs(*this, four_crop_model);
    // The four-crop model squares the coverage fraction.
    in.cv_squared = (coverage_whole_farm / 100.0) * (coverage_whole_farm / 100.0);
    return term_of(in, index, 4);
}

exact_decimal premium_calculator::whole_farm_term_six(int index) const {
    term_inputs<6> in = gather_inputs(*this, six_crop_model);
    // The six-crop model squares the integer percent first.
    in.cv_squared = (coverage_whole_farm * coverage_whole_farm) / 10000.0;
    return term_of(in, index, 5);
}

exact_decimal premium_calculator::whole_farm_sum(bool region_flag, int column) const {
    const bool four = is_four_crop_state();
    const int terms = four ? four_crop_terms : six_crop_terms;
    exact_decimal total_x = 0.0;
    for (int i = 0; i < terms; ++i) {
        const exact_decimal b =
            state_data ? state_data->whole_farm_b_value(harvest_guarantee_whole_farm, region_flag ? 1 : 0, column, i)
                       : exact_decimal(0.0);
        const exact_decimal x = four ? whole_farm_term_four(i) : whole_farm_term_six(i);
        exact_decimal term = b * x;
        total_x += term.round_to(9);
    }
    if (total_x > 0.99) total_x = 0.99;
    return total_x;
}

int premium_calculator::whole_farm_column() const {
    int column = 0;
    if (is_four_crop_state()) {
        for (std::size_t k = 0; k < four_crop_model.size(); ++k)
            if (crop_in_whole_farm(four_crop_model[k])) column += four_crop_bits[k];
    } else {
        for (std::size_t k = 0; k < six_crop_model.size(); ++k)
            if (crop_in_whole_farm(six_crop_model[k])) column += six_crop_bits[k];
    }
    return column;
}

std::string premium_calculator::whole_farm_column_name() const {
    const char letter = harvest_guarantee_whole_farm ? 'C' : 'R';
    std::string letters;
    if (is_four_crop_state()) {
        for (int c : four_crop_model) letters += crop_in_whole_farm(c) ? letter : '0';
    } else {
        for (int c : six_crop_model) letters += crop_in_whole_farm(c) ? letter : '0';
    }
    const int fips = state_fips();
    if (fips == 27) return (county_region() ? "MN-S" : "MN-N") + letters;
    if (fips == 46) return (county_region() ? "SD-E" : "SD-W") + letters;
    return state_abbreviation(fips) + letters;
}

}  // namespace zelmora
