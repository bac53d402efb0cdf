#pragma once
// The expected payout of each unit structure at each coverage level: harvest
// prices and yields drawn from a model of how they vary, every draw paid out by
// the rules of payout.h, and the averages given with their standard errors.
//
// The model. Per crop the harvest price is lognormal, with mean the RA price
// and the crop's price volatility as the standard deviation of its log. Per
// unit the actual yield is APH yield x (1 + cv x z), not below 0, where z is a
// standard normal made of one factor common to the farm, one per crop and one
// per unit, weighted so that two units of a crop correlate `unit_correlation`
// and two units of different crops `crop_correlation`. A crop's log price
// correlates `price_yield_correlation` with the crop's yield factor (the
// normalised part of z that its units share: farm factor and crop factor), so
// with each unit's z it correlates that times the square root of
// `unit_correlation`.
//
// The draws. Draws come in antithetic pairs (a draw's normals, then their
// negatives). The normals of pair j are made by Box-Muller from the outputs
// j x n to j x n + n - 1 of one splitmix64 stream started at the seed, n being
// the pair's count of normals rounded up to even. Pairs are taken in blocks; a
// block is summed by one job, and the blocks are merged in their order, so the
// figures are the same bytes on every run and for any number of jobs. The
// draws are shared by every coverage level and structure, so the differences
// between levels are not blurred by the draws themselves.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "rating/payout.h"

namespace zelmora {

// The model's parameters, with their defaults.
struct payout_model {
    double yield_cv = 0.25;                 // coefficient of variation of a unit's yield
    double unit_correlation = 0.8;          // between the yields of two units of a crop
    double crop_correlation = 0.5;          // between the yields of units of two crops
    double price_yield_correlation = -0.3;  // between a crop's log harvest price and its yield factor

    friend bool operator==(const payout_model&, const payout_model&) = default;
};

// Empty when the model can be drawn from; otherwise one line saying why not
// (the cv is negative or above 10; the correlations must satisfy
// 0 <= crop_correlation <= unit_correlation <= 1 and -1 <= price-yield <= 1).
std::string payout_model_problem(const payout_model& model);

// How many draws, from which seed, on how many jobs.
struct simulation_settings {
    std::uint64_t seed = 2004;
    // Draws are made until the standard error of every expected payout and
    // probability of payout is at most `target_relative_error` times the
    // figure, or `max_draws` are made: first `min_draws`, then in rounds of
    // what the errors so far say the target needs (errors fall as one over the
    // root of the draws), a tenth more, at most four times the draws so far.
    // Both are rounded up to whole blocks of 1,024 draws.
    std::uint64_t min_draws = 65'536;
    std::uint64_t max_draws = 1'048'576;
    double target_relative_error = 0.01;
    int jobs = 1;  // threads drawing at once, 1 to 256; the figures do not depend on it
};

// Empty when the settings can be used; otherwise one line saying why not.
std::string simulation_settings_problem(const simulation_settings& settings);

// The farm rated at one coverage level: every unit, every enterprise unit and
// the whole-farm unit with its coverage set to the level (the whole-farm unit
// absent where it is not offered at that level). The farms of all levels must
// be the same farm: the same crops and units with the same APH yields, acres,
// shares, prices and volatilities.
struct coverage_level_farm {
    int coverage_level = 65;
    payout_farm farm;
};

struct estimate {
    double value = 0.0;
    double standard_error = 0.0;
};

struct expected_cell {
    bool offered = false;
    exact_decimal producer_premium;  // the rated one, whole dollars
    estimate payout;                 // expected payout, dollars
    estimate probability;            // probability of a payout of a dollar or more
    estimate net;                    // expected payout less the producer premium; its error is the payout's
    std::optional<estimate> payout_to_premium;  // expected payout / producer premium; absent for a premium of 0
};

struct expected_row {
    int coverage_level = 65;
    std::array<expected_cell, payout_structure_count> cells;  // by payout_structure
    const expected_cell& cell(payout_structure s) const { return cells[static_cast<std::size_t>(s)]; }
};

struct expected_table {
    int crop_number = 0;            // a crop (units and enterprise unit), or 0 the farm (all three structures)
    std::vector<expected_row> rows;  // the levels in the order given
};

struct expected_payouts {
    std::vector<expected_table> tables;  // the crops in crop order, then the farm
    std::uint64_t draws = 0;
    bool target_met = false;  // every expected payout and probability is within the target
    std::string problem;      // why there are no figures; empty when there are

    const expected_table* table(int crop_number) const;
};

// The expected figures of the farm at each level given.
expected_payouts simulate_payouts(const std::vector<coverage_level_farm>& levels, const payout_model& model,
                                  const simulation_settings& settings = {});

// The outcomes of draws first .. first + count - 1 of the farm (draw 2j + 1 is
// the antithetic twin of draw 2j): every unit's yield given per acre. These are
// the outcomes `simulate_payouts` pays out with the same seed. None for a farm
// or model with a problem.
std::vector<outcome> simulated_outcomes(const payout_farm& farm, const payout_model& model, std::uint64_t seed,
                                        std::uint64_t first, std::uint64_t count);

}  // namespace zelmora
