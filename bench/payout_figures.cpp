// payout_figures DATABASE FARM.ini [JOBS]
// Prints the expected payout figures of a farm file on a rating database, each
// with its standard error, the draws made and the time they took: the figures
// the simulation's defaults give on the example farms.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "rating/farm.h"
#include "rating/payout_rating.h"
#include "rating/farm_file.h"
#include "rating/payout_simulation.h"

int main(int argc, char** argv) {
    using namespace zelmora;
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: payout_figures DATABASE FARM.ini [JOBS]\n");
        return 2;
    }
    memory_settings_store inputs;
    std::string error;
    if (!read_farm_file(argv[2], inputs, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    rating_session session;
    std::string errors;
    if (!session.open(argv[1], errors)) {
        std::fprintf(stderr, "cannot open %s\n", argv[1]);
        return 1;
    }
    const auto rated = std::chrono::steady_clock::now();
    const std::vector<coverage_level_farm> levels = payout_levels_of(session, read_farm(inputs));
    simulation_settings settings;
    settings.jobs = argc == 4 ? std::atoi(argv[3]) : 1;
    const auto start = std::chrono::steady_clock::now();
    const expected_payouts sim = simulate_payouts(levels, payout_model{}, settings);
    const auto end = std::chrono::steady_clock::now();
    if (!sim.problem.empty()) {
        std::fprintf(stderr, "%s\n", sim.problem.c_str());
        return 3;
    }
    const auto ms = [](auto d) { return std::chrono::duration<double, std::milli>(d).count(); };
    std::printf("%s: %llu draws, target %s; levels rated in %.0f ms, simulated in %.0f ms on %d job(s)\n", argv[2],
                static_cast<unsigned long long>(sim.draws), sim.target_met ? "met" : "not met", ms(start - rated),
                ms(end - start), settings.jobs);
    std::printf("Table\tLevel\tStructure\tPremium\tExpected payout\tSE\tProbability\tSE\tExpected net\tSE\t"
                "Payout/premium\tSE\tWorst SE %%\n");
    for (const expected_table& table : sim.tables)
        for (const expected_row& row : table.rows)
            for (const payout_structure s : payout_structures) {
                const expected_cell& c = row.cell(s);
                if (!c.offered) continue;
                const double worst =
                    100.0 * std::max(c.payout.value > 0 ? c.payout.standard_error / c.payout.value : 0.0,
                                     c.probability.value > 0 ? c.probability.standard_error / c.probability.value : 0.0);
                const estimate ratio = c.payout_to_premium.value_or(estimate{});
                std::printf("%s\t%d\t%s\t%.0f\t%.1f\t%.1f\t%.4f\t%.4f\t%.1f\t%.1f\t%.3f\t%.3f\t%.2f\n",
                            table.crop_number == 0 ? "Farm" : crop_display_name(table.crop_number), row.coverage_level,
                            payout_structure_name(s), c.producer_premium.to_double(), c.payout.value,
                            c.payout.standard_error, c.probability.value, c.probability.standard_error, c.net.value,
                            c.net.standard_error, ratio.value, ratio.standard_error, worst);
            }
    return 0;
}
