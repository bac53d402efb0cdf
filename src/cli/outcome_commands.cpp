#include "cli/outcome_commands.h"

#include <algorithm>
#include <thread>

#include "cli/commands.h"
#include "cli/database_commands.h"
#include "cli/session.h"
#include "rating/coverage_comparison.h"
#include "rating/input_rules.h"
#include "rating/payout_rating.h"
#include "rating/payout_simulation.h"
#include "rating/payout_texts.h"
#include "utility/number_text.h"

namespace zelmora {

namespace {

// The options of a command: "--name value" or "--name=value", and flags.
// `takes_value` says which options have a value; `take` is given each option
// with its value (empty for a flag) and returns false with `error` set.
template <typename Take>
bool each_option(const std::vector<std::string>& rest, const std::vector<std::string>& takes_value,
                 const std::string& usage, std::string& error, Take take) {
    error.clear();
    for (std::size_t i = 0; i < rest.size(); ++i) {
        std::string option = rest[i];
        std::string value;
        const auto equals = option.find('=');
        const bool inline_value = option.rfind("--", 0) == 0 && equals != std::string::npos;
        if (inline_value) {
            value = option.substr(equals + 1);
            option.erase(equals);
        }
        const bool valued = std::find(takes_value.begin(), takes_value.end(), option) != takes_value.end();
        if (valued && !inline_value) {
            if (i + 1 >= rest.size()) {
                error = option + " needs a value";
                return false;
            }
            value = rest[++i];
        }
        if (!valued && inline_value) {
            error = option + " takes no value";
            return false;
        }
        if (valued && value.empty()) {
            error = option + " needs a value";
            return false;
        }
        if (!take(option, value)) {
            if (error.empty()) error = usage + " (got " + rest[i] + ")";
            return false;
        }
    }
    return true;
}

// FROM:TO:STEP, three whole numbers.
bool parse_range(const std::string& text, int& from, int& to, int& step) {
    const auto first = text.find(':');
    const auto second = first == std::string::npos ? std::string::npos : text.find(':', first + 1);
    if (second == std::string::npos) return false;
    int a = 0, b = 0, c = 0;
    if (!read_whole_number(text.substr(0, first), a) || !read_whole_number(text.substr(first + 1, second - first - 1), b) ||
        !read_whole_number(text.substr(second + 1), c))
        return false;
    from = a;
    to = b;
    step = c;
    return true;
}

bool crop_named(const std::string& option, const std::string& text, int& crop_number, std::string& error) {
    crop_number = crop_from_text(text);
    if (crop_number != 0) return true;
    error = option + ": unknown crop \"" + text + "\": give 1-9 or a name such as Corn or \"Spring Wheat\"";
    return false;
}

// A decimal within [low, high], or a reason naming the option and the value.
bool decimal_within(const std::string& option, const std::string& text, double low, double high, const char* what,
                    double& value, std::string& error) {
    if (read_decimal_number(text, value) && value >= low && value <= high) return true;
    error = option + " takes " + what + " from " + general_text(low, 15) + " to " + general_text(high, 15) +
            " (got \"" + text + "\")";
    return false;
}

// CROP=VALUE: the crop's number and the value's text.
bool crop_assignment(const std::string& option, const std::string& value, int& crop_number, std::string& text,
                     std::string& error) {
    const auto equals = value.find('=');
    if (equals == std::string::npos) {
        error = option + " takes CROP=VALUE (got \"" + value + "\")";
        return false;
    }
    text = value.substr(equals + 1);
    return crop_named(option, value.substr(0, equals), crop_number, error);
}

int cores() {
    const unsigned count = std::thread::hardware_concurrency();
    return static_cast<int>(std::clamp(count, 1u, static_cast<unsigned>(max_batch_jobs)));
}

std::string refusal(const char* command, const std::string& reason) {
    return std::string("zelmora-cli: ") + command + ": " + reason + "\n";
}

// Why the farm has nothing to pay out for a crop; empty when it has.
std::string missing_crop(const payout_farm& farm, int crop_number) {
    if (farm.crop(crop_number) != nullptr) return {};
    return std::string("the farm has no ") + crop_display_name(crop_number) +
           " units to pay out (the crop is not ticked or has no units)";
}

}  // namespace

// ------------------------------------------------------------------ parsing

bool parse_compare(const std::vector<std::string>& rest, command_line& line, std::string& error) {
    line.command = command_kind::compare;
    bool jobs_given = false;
    const bool parsed = each_option(rest, {"--jobs"}, "compare takes only --tsv, --expected and --jobs N", error,
                                    [&](const std::string& option, const std::string& value) {
                                        if (option == "--tsv") return line.tsv = true;
                                        if (option == "--expected") return line.expected = true;
                                        if (option != "--jobs") return false;
                                        jobs_given = true;
                                        if (read_whole_number(value, line.jobs) && line.jobs >= 1 &&
                                            line.jobs <= max_batch_jobs)
                                            return true;
                                        error = "--jobs takes a number of threads from 1 to " +
                                                std::to_string(max_batch_jobs) + " (got \"" + value + "\")";
                                        return false;
                                    });
    if (!parsed) return false;
    if (jobs_given && !line.expected) {
        error = "--jobs applies to compare --expected only";
        return false;
    }
    return true;
}

bool parse_outcomes(const std::vector<std::string>& rest, command_line& line, std::string& error) {
    line.command = command_kind::outcomes;
    outcomes_options& o = line.outcomes;
    const bool parsed = each_option(
        rest, {"--crop", "--structure", "--prices", "--yields"},
        "outcomes takes only --tsv, --crop CROP, --structure S, --prices FROM:TO:STEP and --yields FROM:TO:STEP", error,
        [&](const std::string& option, const std::string& value) {
            if (option == "--tsv") return line.tsv = true;
            if (option == "--crop") return crop_named(option, value, o.crop_number, error);
            if (option == "--structure") {
                if (value == "units") o.structure = payout_structure::units_as_entered;
                else if (value == "enterprise") o.structure = payout_structure::enterprise_unit;
                else if (value == "whole-farm") o.structure = payout_structure::whole_farm_unit;
                else error = "--structure takes units, enterprise or whole-farm (got \"" + value + "\")";
                return error.empty();
            }
            if (option == "--prices" || option == "--yields") {
                const bool prices = option == "--prices";
                outcome_grid& g = o.grid;
                if (prices ? parse_range(value, g.price_change_from, g.price_change_to, g.price_change_step)
                           : parse_range(value, g.yield_from, g.yield_to, g.yield_step))
                    return true;
                error = option + " takes FROM:TO:STEP, three whole percents (got \"" + value + "\")";
                return false;
            }
            return false;
        });
    if (!parsed) return false;
    if (const std::string problem = outcome_grid_problem(o.grid); !problem.empty()) {
        error = "outcomes: " + problem;
        return false;
    }
    if (o.crop_number != 0 && o.structure == payout_structure::whole_farm_unit) {
        error = "outcomes: the whole-farm unit covers the farm, not one crop; leave out --crop";
        return false;
    }
    return true;
}

bool parse_payout_worksheet(const std::vector<std::string>& rest, command_line& line, std::string& error) {
    line.command = command_kind::payout_worksheet;
    outcome_request& r = line.outcome;
    const input_rule& price_rule = *find_input_rule("Price");
    const input_rule& yield_rule = *find_input_rule("APH Yield");
    return each_option(
        rest, {"--price", "--yield", "--unit-yield"},
        "payout-worksheet takes only --price CROP=PRICE, --yield CROP=PERCENT and --unit-yield CROP:UNIT=YIELD", error,
        [&](const std::string& option, const std::string& value) {
            int crop = 0;
            std::string text;
            if (option == "--price" || option == "--yield") {
                if (!crop_assignment(option, value, crop, text, error)) return false;
                auto& given = option == "--price" ? r.prices : r.yield_percents;
                auto& slot = given[static_cast<std::size_t>(crop - 1)];
                if (slot) {
                    error = option + " names " + crop_display_name(crop) + " twice";
                    return false;
                }
                double number = 0.0;
                const bool ok = option == "--price"
                                    ? decimal_within(option, text, price_rule.minimum, price_rule.maximum,
                                                     "a harvest price", number, error)
                                    : decimal_within(option, text, 0.0, 1000.0, "a percentage of APH yield", number,
                                                     error);
                if (ok) slot = number;
                return ok;
            }
            if (option != "--unit-yield") return false;
            // CROP:UNIT=YIELD; a crop's name may hold blanks but no colon.
            const auto colon = value.rfind(':');
            const auto equals = value.find('=', colon == std::string::npos ? 0 : colon);
            int unit = 0;
            if (colon == std::string::npos || equals == std::string::npos ||
                !read_whole_number(value.substr(colon + 1, equals - colon - 1), unit)) {
                error = "--unit-yield takes CROP:UNIT=YIELD (got \"" + value + "\")";
                return false;
            }
            if (!crop_named(option, value.substr(0, colon), crop, error)) return false;
            if (unit < 1 || unit > max_units_per_crop) {
                error = "--unit-yield: a crop's units are numbered 1 to " + std::to_string(max_units_per_crop) +
                        " (got " + std::to_string(unit) + ")";
                return false;
            }
            for (const auto& given : r.unit_yields)
                if (given.crop_number == crop && given.unit_number == unit) {
                    error = "--unit-yield names " + std::string(crop_display_name(crop)) + " unit " +
                            std::to_string(unit) + " twice";
                    return false;
                }
            double yield = 0.0;
            if (!decimal_within(option, value.substr(equals + 1), yield_rule.minimum, yield_rule.maximum,
                                "a yield per acre", yield, error))
                return false;
            r.unit_yields.push_back({crop, unit, yield});
            return true;
        });
}

// ------------------------------------------------------------------ the outcome of a request

std::optional<outcome> outcome_of(const outcome_request& request, const payout_farm& farm, std::string& error) {
    for (int c = 1; c <= crop_count; ++c) {
        const auto i = static_cast<std::size_t>(c - 1);
        if (!request.prices[i] && !request.yield_percents[i]) continue;
        error = missing_crop(farm, c);
        if (!error.empty()) return std::nullopt;
    }
    for (const auto& given : request.unit_yields) {
        error = missing_crop(farm, given.crop_number);
        if (!error.empty()) return std::nullopt;
        const std::size_t count = farm.crop(given.crop_number)->units.size();
        if (static_cast<std::size_t>(given.unit_number) > count) {
            error = std::string(crop_display_name(given.crop_number)) + " has " + std::to_string(count) +
                    " unit(s); there is no unit " + std::to_string(given.unit_number);
            return std::nullopt;
        }
    }
    // RA prices and APH yields, but for what the request gives.
    outcome result = uniform_outcome(farm, 0.0, 100.0);
    for (const payout_crop& crop : farm.crops) {
        const auto i = static_cast<std::size_t>(crop.crop_number - 1);
        crop_outcome& c = result.crops[i];
        if (request.prices[i]) c.harvest_price = *request.prices[i];
        if (request.yield_percents[i]) c.yield_percent = *request.yield_percents[i];
        // A unit given per acre: the units before it keep the crop's percentage, as the payout reads it.
        for (const auto& given : request.unit_yields) {
            if (given.crop_number != crop.crop_number) continue;
            while (c.unit_yields.size() < static_cast<std::size_t>(given.unit_number))
                c.unit_yields.push_back((crop.units[c.unit_yields.size()].aph_yield * c.yield_percent) / 100.0);
        }
        for (const auto& given : request.unit_yields)
            if (given.crop_number == crop.crop_number)
                c.unit_yields[static_cast<std::size_t>(given.unit_number - 1)] = given.yield;
    }
    return result;
}

// ------------------------------------------------------------------ running

int run_compare(const command_line& line, const session& s, std::string& out, std::string& err) {
    const std::vector<comparison_table> tables = compare_coverage(s.ratings, s.rated_farm);
    if (!line.expected) {
        out += line.tsv ? comparison_tsv(tables) : comparison_text(tables);
        return 0;
    }
    expected_payouts expected;
    simulation_settings settings;
    settings.jobs = line.jobs > 0 ? line.jobs : cores();
    std::string outside;
    if (!tables.empty()) {
        const std::vector<coverage_level_farm> levels = payout_levels_of(s.ratings, s.rated_farm);
        expected = simulate_payouts(levels, s.payout, settings);
        if (!expected.problem.empty()) {
            err += refusal("compare", "no expected figures: " + expected.problem);
            return exit_failed_part_way;
        }
        outside = outside_whole_farm_note(levels.front().farm);
    }
    out += line.tsv ? expected_comparison_tsv(tables, expected)
                    : expected_comparison_text(tables, expected, s.payout, settings, outside);
    return 0;
}

int run_outcomes(const command_line& line, const session& s, std::string& out, std::string& err) {
    const outcomes_options& o = line.outcomes;
    const payout_farm farm = payout_farm_of(s.rated_farm, s.ratings.rate(s.rated_farm));
    std::string missing = farm.crops.empty() ? "the farm has no crop with units to pay out" : std::string();
    if (missing.empty() && o.crop_number != 0) missing = missing_crop(farm, o.crop_number);
    if (!missing.empty()) {
        err += refusal("outcomes", missing);
        return 2;
    }
    const outcome_table table = outcome_table_of(farm, o.crop_number, o.structure, o.grid);
    if (!table.problem.empty()) {
        err += refusal("outcomes", table.problem);
        return 2;
    }
    if (!table.offered) {
        err += refusal("outcomes", "the farm has no whole-farm unit: it needs two or more crops with units in it");
        return 2;
    }
    out += line.tsv ? outcome_table_tsv(table) : outcome_table_text(table);
    return 0;
}

int run_payout_worksheet(const command_line& line, const session& s, std::string& out, std::string& err) {
    const payout_farm farm = payout_farm_of(s.rated_farm, s.ratings.rate(s.rated_farm));
    std::string reason;
    const std::optional<outcome> chosen = outcome_of(line.outcome, farm, reason);
    if (!chosen) {
        err += refusal("payout-worksheet", reason);
        return 2;
    }
    out += payout_worksheet(farm, *chosen);
    return 0;
}

}  // namespace zelmora
