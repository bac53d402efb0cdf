#include "rating/payout_simulation.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <thread>

namespace zelmora {

namespace {

constexpr std::size_t ix(int crop_number) { return static_cast<std::size_t>(crop_number - 1); }
constexpr std::size_t structures = payout_structure_count;
constexpr std::uint64_t pairs_per_block = 512;
constexpr std::uint64_t draws_per_block = 2 * pairs_per_block;

// ------------------------------------------------------------------ the generator

// splitmix64: the stream's state advances by the golden gamma, and each output
// is the state mixed. Output k of a stream is therefore found without the
// outputs before it.
constexpr std::uint64_t golden_gamma = 0x9E3779B97F4A7C15ULL;

std::uint64_t mixed(std::uint64_t z) {
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

std::uint64_t stream_output(std::uint64_t seed, std::uint64_t k) { return mixed(seed + (k + 1) * golden_gamma); }

// The top 53 bits as a double in (0, 1] and in [0, 1).
double open_low(std::uint64_t bits) { return (static_cast<double>(bits >> 11) + 1.0) * 0x1.0p-53; }
double closed_low(std::uint64_t bits) { return static_cast<double>(bits >> 11) * 0x1.0p-53; }

// Which normal of a draw feeds what: [0] the farm factor, then per crop its
// yield factor and its price's own part, then one per unit.
struct draw_layout {
    std::size_t crops = 0;
    std::vector<std::size_t> first_unit;  // per crop, its first unit among all units
    std::size_t units = 0;

    explicit draw_layout(const payout_farm& farm) : crops(farm.crops.size()) {
        for (const payout_crop& crop : farm.crops) {
            first_unit.push_back(units);
            units += crop.units.size();
        }
    }
    std::size_t normals() const { return 1 + 2 * crops + units; }
    std::size_t normals_drawn() const { return normals() + normals() % 2; }  // Box-Muller gives two at a time
    std::size_t crop_factor(std::size_t k) const { return 1 + 2 * k; }
    std::size_t price_own(std::size_t k) const { return 2 + 2 * k; }
    std::size_t unit_factor(std::size_t u) const { return 1 + 2 * crops + u; }
};

// The normals of draw pair `pair` (the first draw's; the twin takes their negatives).
void pair_normals(std::uint64_t seed, const draw_layout& layout, std::uint64_t pair, std::vector<double>& z) {
    const std::size_t n = layout.normals_drawn();
    z.resize(n);
    const std::uint64_t base = pair * n;
    for (std::size_t i = 0; i < n; i += 2) {
        const double u1 = open_low(stream_output(seed, base + i));
        const double u2 = closed_low(stream_output(seed, base + i + 1));
        const double radius = std::sqrt(-2.0 * std::log(u1));
        const double angle = 2.0 * std::numbers::pi * u2;
        z[i] = radius * std::cos(angle);
        z[i + 1] = radius * std::sin(angle);
    }
}

// The weights of the factors in a unit's normal, and of the crop's yield
// factor in its log price.
struct model_weights {
    double farm = 0.0, crop = 0.0, unit = 0.0;
    double crop_norm = 0.0;  // the standard deviation of farm x F + crop x C
    double price_yield = 0.0, price_own = 1.0;
    double cv = 0.0;

    explicit model_weights(const payout_model& m)
        : farm(std::sqrt(m.crop_correlation)),
          crop(std::sqrt(m.unit_correlation - m.crop_correlation)),
          unit(std::sqrt(1.0 - m.unit_correlation)),
          crop_norm(std::sqrt(m.unit_correlation)),
          price_yield(m.price_yield_correlation),
          price_own(std::sqrt(1.0 - m.price_yield_correlation * m.price_yield_correlation)),
          cv(m.yield_cv) {}
};

// One draw's harvest prices and yields per acre (all units, in crop and entry
// order) from the pair's normals, negated for the twin (sign -1).
void draw_of(const payout_farm& farm, const draw_layout& layout, const model_weights& w, const std::vector<double>& z,
             double sign, crop_prices& harvest, std::vector<exact_decimal>& yields) {
    yields.resize(layout.units);
    const double farm_factor = sign * z[0];
    for (std::size_t k = 0; k < layout.crops; ++k) {
        const payout_crop& crop = farm.crops[k];
        const double crop_factor = sign * z[layout.crop_factor(k)];
        const double shared = w.farm * farm_factor + w.crop * crop_factor;
        const double yield_factor = w.crop_norm > 0.0 ? shared / w.crop_norm : crop_factor;
        const double price_normal = w.price_yield * yield_factor + w.price_own * sign * z[layout.price_own(k)];
        const double sigma = crop.price_volatility.to_double();
        harvest[ix(crop.crop_number)] = crop.price * std::exp(sigma * price_normal - 0.5 * sigma * sigma);
        for (std::size_t u = 0; u < crop.units.size(); ++u) {
            const std::size_t at = layout.first_unit[k] + u;
            const double normal = shared + w.unit * sign * z[layout.unit_factor(at)];
            yields[at] = crop.units[u].aph_yield * std::max(0.0, 1.0 + w.cv * normal);
        }
    }
}

// ------------------------------------------------------------------ statistics

// Count, mean and sum of squared deviations, merged exactly in a fixed order.
struct moments {
    std::uint64_t n = 0;
    double mean = 0.0;
    double m2 = 0.0;

    void merge(const moments& o) {
        if (o.n == 0) return;
        if (n == 0) {
            *this = o;
            return;
        }
        const double na = static_cast<double>(n), nb = static_cast<double>(o.n), total = na + nb;
        const double d = o.mean - mean;
        mean += d * (nb / total);
        m2 += o.m2 + d * d * (na * nb / total);
        n += o.n;
    }
    double standard_error() const {
        if (n < 2) return 0.0;
        const double nd = static_cast<double>(n);
        return std::sqrt(std::max(0.0, m2) / (nd - 1.0) / nd);
    }
};

// The sums of one block, taken about the block's first value so that a large
// mean with a small spread keeps its digits.
struct shifted_sums {
    std::uint64_t n = 0;
    double shift = 0.0, sum = 0.0, squares = 0.0;

    void add(double x) {
        if (n == 0) shift = x;
        ++n;
        const double d = x - shift;
        sum += d;
        squares += d * d;
    }
    moments as_moments() const {
        if (n == 0) return {};
        const double nd = static_cast<double>(n);
        return {n, shift + sum / nd, squares - sum * sum / nd};
    }
};

// ------------------------------------------------------------------ paying the draws

// A level's farm with what every draw reuses.
struct level_plan {
    const payout_farm* farm = nullptr;
    std::vector<exact_decimal> acre_shares;  // per crop
    exact_decimal whole_farm_acre_share;
};

// The figures of one draw: per level, per table (the crops, then the farm),
// per structure, the payout in dollars.
struct figure_index {
    std::size_t tables = 0;
    std::size_t at(std::size_t level, std::size_t table, payout_structure s) const {
        return (level * tables + table) * structures + static_cast<std::size_t>(s);
    }
};

struct draw_scratch {
    std::vector<double> z;
    crop_prices harvest{};
    std::vector<exact_decimal> yields, revenue_per_acre;
    std::vector<exact_decimal> crop_revenue;
    std::vector<double> plus, minus;
    std::vector<shifted_sums> payout, paid;
};

// Pays one draw at every level, through the same rules as payout_of.
void pay_draw(const std::vector<level_plan>& plans, const draw_layout& layout, const figure_index& figures,
              draw_scratch& s, std::vector<double>& out) {
    const payout_farm& shape = *plans.front().farm;
    s.revenue_per_acre.resize(layout.units);
    s.crop_revenue.assign(layout.crops, exact_decimal(0.0));
    for (std::size_t k = 0; k < layout.crops; ++k) {
        const payout_crop& crop = shape.crops[k];
        const exact_decimal harvest = s.harvest[ix(crop.crop_number)];
        for (std::size_t u = 0; u < crop.units.size(); ++u) {
            const std::size_t at = layout.first_unit[k] + u;
            s.revenue_per_acre[at] = revenue_to_count_per_acre(s.yields[at], harvest);
            s.crop_revenue[k] += unit_revenue_to_count(crop.units[u], s.revenue_per_acre[at]);
        }
    }

    const std::size_t farm_table = layout.crops;
    for (std::size_t l = 0; l < plans.size(); ++l) {
        const payout_farm& farm = *plans[l].farm;
        exact_decimal units_total = 0.0, enterprise_total = 0.0, outside = 0.0, whole_farm_revenue = 0.0;
        for (std::size_t k = 0; k < layout.crops; ++k) {
            const payout_crop& crop = farm.crops[k];
            const exact_decimal harvest = s.harvest[ix(crop.crop_number)];
            const exact_decimal price = price_in_guarantee(crop.price, harvest, crop.harvest_guarantee);
            exact_decimal units = 0.0;
            for (std::size_t u = 0; u < crop.units.size(); ++u) {
                const payout_unit& unit = crop.units[u];
                units += unit_payout(unit, unit_guarantee_per_acre(unit, crop.price, price),
                                     s.revenue_per_acre[layout.first_unit[k] + u]);
            }
            const exact_decimal enterprise_guarantee =
                enterprise_guarantee_per_acre(crop, price) * plans[l].acre_shares[k];
            const exact_decimal enterprise = shortfall_payout(enterprise_guarantee, s.crop_revenue[k]);
            out[figures.at(l, k, payout_structure::units_as_entered)] = units.to_double();
            out[figures.at(l, k, payout_structure::enterprise_unit)] = enterprise.to_double();
            units_total += units;
            enterprise_total += enterprise;
            if (farm.whole_farm && farm.whole_farm->in_unit[ix(crop.crop_number)])
                whole_farm_revenue += s.crop_revenue[k];
            else
                outside += units;
        }
        out[figures.at(l, farm_table, payout_structure::units_as_entered)] = units_total.to_double();
        out[figures.at(l, farm_table, payout_structure::enterprise_unit)] = enterprise_total.to_double();
        if (farm.whole_farm) {
            const exact_decimal guarantee =
                whole_farm_guarantee_per_acre(farm, s.harvest) * plans[l].whole_farm_acre_share;
            const exact_decimal whole = shortfall_payout(guarantee, whole_farm_revenue);
            out[figures.at(l, farm_table, payout_structure::whole_farm_unit)] = (whole + outside).to_double();
        }
    }
}

// The moments of one block of pairs: per figure, the pair's mean payout and
// its share of draws that paid.
struct block_moments {
    std::vector<moments> payout, paid;
};

struct simulation_run {
    const simulation_settings& settings;
    std::vector<level_plan> plans;
    draw_layout layout;
    model_weights weights;
    figure_index figures;
    std::size_t figure_count = 0;

    void block(std::uint64_t b, draw_scratch& s, block_moments& m) const {
        m.payout.resize(figure_count);
        m.paid.resize(figure_count);
        s.payout.assign(figure_count, shifted_sums{});
        s.paid.assign(figure_count, shifted_sums{});
        s.plus.assign(figure_count, 0.0);
        s.minus.assign(figure_count, 0.0);
        const payout_farm& shape = *plans.front().farm;
        for (std::uint64_t pair = b * pairs_per_block; pair < (b + 1) * pairs_per_block; ++pair) {
            pair_normals(settings.seed, layout, pair, s.z);
            draw_of(shape, layout, weights, s.z, 1.0, s.harvest, s.yields);
            pay_draw(plans, layout, figures, s, s.plus);
            draw_of(shape, layout, weights, s.z, -1.0, s.harvest, s.yields);
            pay_draw(plans, layout, figures, s, s.minus);
            for (std::size_t f = 0; f < figure_count; ++f) {
                s.payout[f].add(0.5 * (s.plus[f] + s.minus[f]));
                s.paid[f].add(0.5 * ((s.plus[f] > 0.0 ? 1.0 : 0.0) + (s.minus[f] > 0.0 ? 1.0 : 0.0)));
            }
        }
        for (std::size_t f = 0; f < figure_count; ++f) {
            m.payout[f] = s.payout[f].as_moments();
            m.paid[f] = s.paid[f].as_moments();
        }
    }
};

// Blocks first .. last - 1, on `jobs` threads; each block's moments in its own slot.
std::vector<block_moments> run_blocks(const simulation_run& run, std::uint64_t first, std::uint64_t last, int jobs) {
    std::vector<block_moments> blocks(static_cast<std::size_t>(last - first));
    const std::uint64_t count = last - first;
    const std::uint64_t threads = std::min<std::uint64_t>(static_cast<std::uint64_t>(jobs), count);
    auto work = [&](std::uint64_t t) {
        draw_scratch scratch;
        for (std::uint64_t b = first + t; b < last; b += threads)
            run.block(b, scratch, blocks[static_cast<std::size_t>(b - first)]);
    };
    if (threads <= 1) {
        work(0);
    } else {
        std::vector<std::jthread> workers;
        for (std::uint64_t t = 0; t < threads; ++t) workers.emplace_back(work, t);
    }  // every worker joined here
    return blocks;
}

bool same_shape(const payout_farm& a, const payout_farm& b) {
    if (a.crops.size() != b.crops.size()) return false;
    for (std::size_t k = 0; k < a.crops.size(); ++k) {
        const payout_crop& x = a.crops[k];
        const payout_crop& y = b.crops[k];
        if (x.crop_number != y.crop_number || x.price != y.price || x.price_volatility != y.price_volatility ||
            x.units.size() != y.units.size())
            return false;
        for (std::size_t u = 0; u < x.units.size(); ++u)
            if (x.units[u].aph_yield != y.units[u].aph_yield || x.units[u].acres != y.units[u].acres ||
                x.units[u].share != y.units[u].share)
                return false;
    }
    return true;
}

std::uint64_t whole_blocks(std::uint64_t draws) {
    return std::max<std::uint64_t>(1, (draws + draws_per_block - 1) / draws_per_block);
}

}  // namespace

std::string payout_model_problem(const payout_model& m) {
    auto within = [](double x, double low, double high) { return std::isfinite(x) && x >= low && x <= high; };
    if (!within(m.yield_cv, 0.0, 10.0)) return "the yield cv is not within 0 to 10";
    if (!within(m.unit_correlation, 0.0, 1.0)) return "the correlation between units of a crop is not within 0 to 1";
    if (!within(m.crop_correlation, 0.0, m.unit_correlation))
        return "the correlation between crops is not within 0 and the correlation between units of a crop";
    if (!within(m.price_yield_correlation, -1.0, 1.0)) return "the price-yield correlation is not within -1 to 1";
    return std::string();
}

std::string simulation_settings_problem(const simulation_settings& s) {
    if (s.jobs < 1 || s.jobs > 256) return "the job count is not within 1 to 256";
    if (s.min_draws < 1 || s.max_draws < s.min_draws) return "the draws run from more than their most";
    if (s.max_draws > (std::uint64_t{1} << 36)) return "more than 2^36 draws";
    if (!std::isfinite(s.target_relative_error) || s.target_relative_error <= 0.0)
        return "the target standard error is not above 0";
    return std::string();
}

const expected_table* expected_payouts::table(int crop_number) const {
    for (const expected_table& t : tables)
        if (t.crop_number == crop_number) return &t;
    return nullptr;
}

expected_payouts simulate_payouts(const std::vector<coverage_level_farm>& levels, const payout_model& model,
                                  const simulation_settings& settings) {
    expected_payouts result;
    result.problem = payout_model_problem(model);
    if (result.problem.empty()) result.problem = simulation_settings_problem(settings);
    if (result.problem.empty() && levels.empty()) result.problem = "no coverage level to simulate";
    for (const coverage_level_farm& level : levels) {
        if (!result.problem.empty()) break;
        const std::string problem = payout_farm_problem(level.farm);
        if (!problem.empty())
            result.problem = "at " + std::to_string(level.coverage_level) + " %: " + problem;
        else if (!same_shape(level.farm, levels.front().farm))
            result.problem = "the farm at " + std::to_string(level.coverage_level) +
                             " % is not the farm of the first level with another coverage";
    }
    if (!result.problem.empty()) return result;

    const payout_farm& shape = levels.front().farm;
    simulation_run run{settings, {}, draw_layout(shape), model_weights(model), {}, 0};
    for (const coverage_level_farm& level : levels) {
        level_plan plan;
        plan.farm = &level.farm;
        for (const payout_crop& crop : level.farm.crops) plan.acre_shares.push_back(acre_share(crop));
        plan.whole_farm_acre_share = whole_farm_acre_share(level.farm);
        run.plans.push_back(std::move(plan));
    }
    const std::size_t tables = shape.crops.size() + 1;
    run.figures.tables = tables;
    run.figure_count = levels.size() * tables * structures;

    // Which cells exist, and their producer premiums (an outcome does not change them).
    std::vector<structure_payout> premiums(run.figure_count);
    for (std::size_t l = 0; l < levels.size(); ++l) {
        const outcome_payout paid = payout_of(levels[l].farm, uniform_outcome(levels[l].farm, 0.0, 100.0));
        for (std::size_t k = 0; k < paid.crops.size(); ++k) {
            premiums[run.figures.at(l, k, payout_structure::units_as_entered)] = paid.crops[k].units_as_entered;
            premiums[run.figures.at(l, k, payout_structure::enterprise_unit)] = paid.crops[k].enterprise_unit;
        }
        for (const payout_structure s : payout_structures)
            premiums[run.figures.at(l, tables - 1, s)] = paid.farm_figures(s);
    }

    std::vector<moments> payout(run.figure_count), paid(run.figure_count);
    const std::uint64_t last_block = whole_blocks(settings.max_draws);
    std::uint64_t done = 0;
    std::uint64_t next = std::min(whole_blocks(settings.min_draws), last_block);
    for (;;) {
        const std::vector<block_moments> blocks = run_blocks(run, done, next, settings.jobs);
        for (const block_moments& b : blocks)
            for (std::size_t f = 0; f < run.figure_count; ++f) {
                payout[f].merge(b.payout[f]);
                paid[f].merge(b.paid[f]);
            }
        done = next;
        // The standard errors fall as one over the root of the draws: the
        // worst figure's (error / target)^2 is how many times the draws so far
        // it needs.
        double needed = 0.0;
        for (std::size_t f = 0; f < run.figure_count; ++f) {
            if (!premiums[f].offered) continue;
            for (const moments* m : {&payout[f], &paid[f]}) {
                const double allowed = settings.target_relative_error * m->mean;
                const double error = m->standard_error();
                if (error <= allowed) continue;
                needed = std::max(needed, allowed > 0.0 ? (error / allowed) * (error / allowed) : 4.0);
            }
        }
        result.target_met = needed == 0.0;
        if (result.target_met || done >= last_block) break;
        // A tenth more than that, at most four times the draws so far.
        const double more = std::min(4.0, 1.1 * needed) * static_cast<double>(done);
        next = std::min(last_block, std::max(done + 1, static_cast<std::uint64_t>(std::ceil(more))));
    }
    result.draws = done * draws_per_block;

    for (std::size_t t = 0; t < tables; ++t) {
        expected_table table;
        table.crop_number = t + 1 < tables ? shape.crops[t].crop_number : 0;
        for (std::size_t l = 0; l < levels.size(); ++l) {
            expected_row row;
            row.coverage_level = levels[l].coverage_level;
            for (const payout_structure s : payout_structures) {
                const std::size_t f = run.figures.at(l, t, s);
                if (!premiums[f].offered) continue;
                expected_cell& cell = row.cells[static_cast<std::size_t>(s)];
                cell.offered = true;
                cell.producer_premium = premiums[f].producer_premium;
                cell.payout = {payout[f].mean, payout[f].standard_error()};
                cell.probability = {paid[f].mean, paid[f].standard_error()};
                const double premium = cell.producer_premium.to_double();
                cell.net = {payout[f].mean - premium, cell.payout.standard_error};
                if (premium != 0.0)
                    cell.payout_to_premium = estimate{payout[f].mean / premium, cell.payout.standard_error / premium};
            }
            table.rows.push_back(row);
        }
        result.tables.push_back(std::move(table));
    }
    return result;
}

std::vector<outcome> simulated_outcomes(const payout_farm& farm, const payout_model& model, std::uint64_t seed,
                                        std::uint64_t first, std::uint64_t count) {
    std::vector<outcome> outcomes;
    if (!payout_farm_problem(farm).empty() || !payout_model_problem(model).empty()) return outcomes;
    const draw_layout layout(farm);
    const model_weights weights(model);
    std::vector<double> z;
    crop_prices harvest{};
    std::vector<exact_decimal> yields;
    for (std::uint64_t d = first; d < first + count; ++d) {
        pair_normals(seed, layout, d / 2, z);
        draw_of(farm, layout, weights, z, d % 2 == 0 ? 1.0 : -1.0, harvest, yields);
        outcome o;
        for (std::size_t k = 0; k < layout.crops; ++k) {
            const payout_crop& crop = farm.crops[k];
            crop_outcome& c = o.crops[ix(crop.crop_number)];
            c.harvest_price = harvest[ix(crop.crop_number)];
            const auto first_unit = yields.begin() + static_cast<std::ptrdiff_t>(layout.first_unit[k]);
            c.unit_yields.assign(first_unit, first_unit + static_cast<std::ptrdiff_t>(crop.units.size()));
        }
        outcomes.push_back(std::move(o));
    }
    return outcomes;
}

}  // namespace zelmora
