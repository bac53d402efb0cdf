#include "cli/commands.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <optional>

#include "cli/number_text.h"
#include "data/crops.h"
#include "rating/coverage_comparison.h"
#include "rating/reports.h"
#include "rating/table_maintenance.h"
#include "utility/number_text.h"

namespace zelmora {

namespace {

bool parse_int(const std::string& text, int& value) {
    const char* first = text.data();
    const char* last = text.data() + text.size();
    const auto [end, ec] = std::from_chars(first, last, value);
    return ec == std::errc() && end == last && first != last;
}

// ------------------------------------------------------------------ rate

// The five results of a row; an empty text stands for an empty field.
using result_texts = std::array<std::string, 5>;

struct rate_results {
    struct unit_row {
        int crop_number;
        int unit_number;
        std::optional<premium_figures> values;  // nothing when the unit could not be rated
    };
    struct enterprise_row {
        int crop_number;
        std::optional<premium_figures> values;  // nothing when a unit of the crop has no rate
        bool selected;  // the total premium is shown only for a selected crop
    };
    std::vector<unit_row> units;
    std::vector<enterprise_row> enterprises;
    std::optional<premium_figures> whole_farm;  // nothing when a unit it covers has no rate
    std::string limit_note;
    std::vector<std::string> unrated_units;  // "Corn unit 2: no rate for ..."
};

constexpr std::array<int, 5> result_places = {2, 2, 0, 0, 0};

// What the crop pages and then the enterprise and whole-farm page show.
rate_results compute_rate_results(const rating_session& ratings, const farm& f) {
    const farm_rating rated = ratings.rate(f);
    rate_results results;
    for (int crop = 1; crop <= crop_count; ++crop) {
        int unit_number = 0;
        for (const unit_rating& unit : rated.units[static_cast<std::size_t>(crop - 1)])
            results.units.push_back({crop, ++unit_number, unit.figures});
    }
    for (int crop = 1; crop <= crop_count; ++crop)
        results.enterprises.push_back(
            {crop, rated.complete_enterprise_figures(crop), rated.selected[static_cast<std::size_t>(crop - 1)]});
    results.whole_farm = rated.complete_whole_farm_figures();
    if (results.whole_farm) results.limit_note = rated.limit_note;
    results.unrated_units = rated.unrated_units();
    return results;
}

result_texts texts_of(const premium_figures& figures, bool separators) {
    const std::array<exact_decimal, 5> values = {figures.revenue_guarantee, figures.per_acre_premium,
                                                 figures.total_premium, figures.subsidy, figures.producer_premium};
    result_texts texts;
    for (std::size_t i = 0; i < values.size(); ++i) texts[i] = number_text(values[i], result_places[i], separators);
    return texts;
}

result_texts unit_texts(const rate_results::unit_row& row, bool separators) {
    return row.values ? texts_of(*row.values, separators) : result_texts{};
}

result_texts enterprise_texts(const rate_results::enterprise_row& row, bool separators) {
    if (!row.values) return result_texts{};
    result_texts texts = texts_of(*row.values, separators);
    if (!row.selected) texts[2].clear();
    return texts;
}

result_texts whole_farm_texts(const std::optional<premium_figures>& figures, bool separators) {
    return figures ? texts_of(*figures, separators) : result_texts{};
}

// Columns padded to their widest cell; numbers to the right, names to the left.
class text_table {
public:
    explicit text_table(std::vector<bool> right_aligned) : right_(std::move(right_aligned)) {}
    void add(std::vector<std::string> cells) { rows_.push_back(std::move(cells)); }
    std::string text() const {
        std::vector<std::size_t> width(right_.size(), 0);
        for (const auto& row : rows_)
            for (std::size_t i = 0; i < row.size(); ++i) width[i] = std::max(width[i], row[i].size());
        std::string out;
        for (const auto& row : rows_) {
            std::string line;
            for (std::size_t i = 0; i < row.size(); ++i) {
                if (i > 0) line += "  ";
                const std::string padding(width[i] - row[i].size(), ' ');
                line += right_[i] ? padding + row[i] : row[i] + padding;
            }
            line.erase(line.find_last_not_of(' ') + 1);
            out += line + "\n";
        }
        return out;
    }

private:
    std::vector<bool> right_;
    std::vector<std::vector<std::string>> rows_;
};

const std::vector<std::string> result_headings = {"Revenue Guarantee", "Premium/Acre", "Total Premium",
                                                  "RA Subsidy", "Producer Premium"};

std::vector<std::string> row_of(std::vector<std::string> first, const result_texts& texts) {
    first.insert(first.end(), texts.begin(), texts.end());
    return first;
}

// ------------------------------------------------------------------ the other commands

int refuse_rewrite(const command_line& line, int state, std::string& err) {
    const bool columns = line.command == command_kind::write_column_lookup;
    std::string what;
    if (columns)
        what = line.all_states ? "[Lookup Column Number] table, all states"
                               : "[Lookup Column Number] for state " + std::to_string(state);
    else
        what = line.all_states ? "[County List] for all states" : "[County List] for state " + std::to_string(state);
    err += "Would rewrite " + what + "; add --yes to do it.\n";
    return exit_not_confirmed;
}

// quote --pdf FILE and/or --html FILE.
bool parse_quote(const std::vector<std::string>& rest, command_line& line, std::string& error) {
    line.command = command_kind::quote;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        const std::string& arg = rest[i];
        std::string* target = arg == "--pdf" ? &line.quote_pdf : arg == "--html" ? &line.quote_html : nullptr;
        if (target == nullptr) {
            error = "quote takes only --pdf FILE and --html FILE (got " + arg + ")";
            return false;
        }
        if (i + 1 >= rest.size() || rest[i + 1].empty()) {
            error = arg + " needs a file name";
            return false;
        }
        *target = rest[++i];
    }
    if (line.quote_pdf.empty() && line.quote_html.empty()) {
        error = "quote needs --pdf FILE or --html FILE";
        return false;
    }
    return true;
}

// batch [--jobs N] [--output FILE] FARM...; "--" ends the options.
bool parse_batch(const std::vector<std::string>& rest, command_line& line, std::string& error) {
    line.command = command_kind::batch;
    if (!line.inputs.empty()) {
        error = "batch reads each farm's own inputs file; --inputs does not apply";
        return false;
    }
    bool options = true;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        const std::string& arg = rest[i];
        if (!options || arg.rfind("--", 0) != 0) {
            line.farms.push_back(arg);
            continue;
        }
        if (arg == "--") {
            options = false;
            continue;
        }
        std::string option = arg;
        std::string value;
        const auto equals = arg.find('=');
        if (equals != std::string::npos) {
            option = arg.substr(0, equals);
            value = arg.substr(equals + 1);
        } else if (arg == "--jobs" || arg == "--output") {
            if (i + 1 >= rest.size()) {
                error = arg + " needs a value";
                return false;
            }
            value = rest[++i];
        }
        if (option == "--jobs") {
            if (!parse_int(value, line.jobs) || line.jobs < 1 || line.jobs > max_batch_jobs) {
                error = "--jobs takes a number of workers from 1 to " + std::to_string(max_batch_jobs) + " (got \"" +
                        value + "\")";
                return false;
            }
        } else if (option == "--output") {
            if (value.empty()) {
                error = "--output needs a value";
                return false;
            }
            line.output = value;
        } else {
            error = "batch takes only --jobs and --output (got " + arg + ")";
            return false;
        }
    }
    if (line.farms.empty()) {
        error = "batch needs at least one FARM: an inputs file or a folder of *.ini files";
        return false;
    }
    return true;
}

}  // namespace

std::string rate_table(const rating_session& ratings, const farm& f, std::vector<std::string>* unrated_units) {
    const rate_results results = compute_rate_results(ratings, f);
    if (unrated_units != nullptr) *unrated_units = results.unrated_units;
    std::string out = "Units\n";
    if (results.units.empty()) {
        out += "(no units)\n";
    } else {
        text_table units({false, true, true, true, true, true, true});
        units.add(row_of({"Crop", "Unit"}, {result_headings[0], result_headings[1], result_headings[2],
                                            result_headings[3], result_headings[4]}));
        for (const auto& row : results.units)
            units.add(row_of({crop_display_name(row.crop_number), std::to_string(row.unit_number)},
                             unit_texts(row, true)));
        out += units.text();
    }
    out += "\nEnterprise and whole farm units\n";
    text_table totals({false, true, true, true, true, true, false});
    auto headings = row_of({"Unit"}, {result_headings[0], result_headings[1], result_headings[2],
                                      result_headings[3], result_headings[4]});
    headings.push_back("Note");
    totals.add(headings);
    for (const auto& row : results.enterprises)
        totals.add(row_of({crop_display_name(row.crop_number)}, enterprise_texts(row, true)));
    auto whole_farm = row_of({"Whole Farm"}, whole_farm_texts(results.whole_farm, true));
    whole_farm.push_back(results.limit_note);
    totals.add(whole_farm);
    out += totals.text();
    return out;
}

std::string rate_tsv(const rating_session& ratings, const farm& f, std::vector<std::string>* unrated_units) {
    const rate_results results = compute_rate_results(ratings, f);
    if (unrated_units != nullptr) *unrated_units = results.unrated_units;
    std::string out;
    auto append = [&out](const std::vector<std::string>& cells) {
        for (std::size_t i = 0; i < cells.size(); ++i) out += (i ? "\t" : "") + cells[i];
        out += "\n";
    };
    for (const auto& row : results.units)
        append(row_of({"unit", crop_display_name(row.crop_number), std::to_string(row.unit_number)},
                      unit_texts(row, false)));
    for (const auto& row : results.enterprises)
        append(row_of({"enterprise", crop_display_name(row.crop_number)}, enterprise_texts(row, false)));
    auto whole_farm = row_of({"whole farm"}, whole_farm_texts(results.whole_farm, false));
    whole_farm.push_back(results.limit_note);
    append(whole_farm);
    return out;
}

std::string help_text() {
    return "Usage: zelmora-cli [--database PATH] [--inputs FILE] COMMAND [ARGS]\n"
           "\n"
           "Rates crop revenue insurance premiums for crop year 2004 on the rating database,\n"
           "with the inputs Zelmora 2004 saved or those of an inputs file. Reports go to\n"
           "standard output exactly as the application copies them (\"\\r\\n\" line ends).\n"
           "\n"
           "Options:\n"
           "  --database PATH  the rating database (default: the first \"APH Base Premium Data.sqlite\"\n"
           "                   beside zelmora-cli, in $XDG_DATA_HOME/zelmora (~/.local/share/zelmora)\n"
           "                   or in $XDG_DATA_DIRS/zelmora (/usr/local/share/zelmora, /usr/share/zelmora))\n"
           "  --inputs FILE    an INI file whose [Settings] and [APHContinuous] sections hold the\n"
           "                   inputs as the application saves them (default: the saved inputs)\n"
           "  --help           this text\n"
           "  --version        the version\n"
           "\n"
           "Commands:\n"
           "  rate [--tsv]             unit, enterprise and whole-farm results, as a table or tab-separated\n"
           "                             zelmora-cli --inputs examples/iowa-farm.ini rate --tsv\n"
           "  compare [--tsv] [--expected [--jobs N]]\n"
           "                           the farm at coverage levels 65-85% under each unit structure (units as\n"
           "                           entered, enterprise, whole farm), as a table or tab-separated;\n"
           "                           --expected adds to each line the expected payout, the chance of a\n"
           "                           payout, the expected net and the payout per dollar of premium, with\n"
           "                           their standard errors, drawn on N threads (default: one per core;\n"
           "                           the figures are the same for any N)\n"
           "                             zelmora-cli --inputs examples/iowa-farm.ini compare\n"
           "                             zelmora-cli --inputs examples/iowa-farm.ini compare --expected\n"
           "  outcomes [--tsv] [--crop CROP] [--structure units|enterprise|whole-farm]\n"
           "           [--prices FROM:TO:STEP] [--yields FROM:TO:STEP]\n"
           "                           the payout and net of one structure (default: the units as entered)\n"
           "                           of the farm or of one crop, by harvest price as a change from the RA\n"
           "                           price in % (default -50:50:10) and by yield as % of APH (default\n"
           "                           40:120:10), then where each structure starts to pay\n"
           "                             zelmora-cli --inputs examples/iowa-farm.ini outcomes --crop corn\n"
           "  payout-worksheet [--price CROP=PRICE]... [--yield CROP=PERCENT]...\n"
           "                   [--unit-yield CROP:UNIT=YIELD]...\n"
           "                           every step of the payout of one outcome under each structure: a\n"
           "                           crop's harvest price (default: its RA price), its units' yield as %\n"
           "                           of APH (default 100) or one unit's yield per acre\n"
           "                             zelmora-cli --inputs examples/iowa-farm.ini payout-worksheet \\\n"
           "                               --price corn=2.20 --yield corn=70\n"
           "  quote [--pdf FILE] [--html FILE]\n"
           "                           write the printable quote of the farm as PDF and/or HTML (no display\n"
           "                           needed)\n"
           "                             zelmora-cli --inputs examples/iowa-farm.ini quote --pdf quote.pdf\n"
           "  worksheet CROP           single-crop worksheet; CROP is 1-9 or a crop name\n"
           "                             zelmora-cli --inputs examples/iowa-farm.ini worksheet soybeans\n"
           "  whole-farm               whole-farm worksheet (the Copy of the whole-farm page)\n"
           "                             zelmora-cli --inputs examples/iowa-farm.ini whole-farm\n"
           "  malting-barley           malting barley endorsement worksheets of the Barley units\n"
           "                             zelmora-cli --inputs examples/north-dakota-farm.ini malting-barley\n"
           "  test-report [LOW HIGH]   Test report over crop combinations LOW..HIGH (0-63, default 1 63)\n"
           "                             zelmora-cli --inputs examples/iowa-farm.ini test-report 5 5\n"
           "  acreage-loop             Acreage Loop Test report\n"
           "                             zelmora-cli --inputs examples/arkansas-farm.ini acreage-loop\n"
           "  b-value-dump             B Value Dump report\n"
           "                             zelmora-cli --inputs examples/arkansas-farm.ini b-value-dump\n"
           "  state-inputs             state input listing of the inputs' state\n"
           "                             zelmora-cli --inputs examples/iowa-farm.ini state-inputs\n"
           "  batch [--jobs N] [--output FILE] FARM...\n"
           "                           rate --tsv of every FARM, an inputs file or a folder of *.ini files,\n"
           "                           each line led by the file's name and a tab, in the order given; N\n"
           "                           workers (default: one per core); --inputs does not apply\n"
           "                             zelmora-cli batch --jobs 2 --output book.tsv examples\n"
           "  write-column-lookup [--all-states] --yes\n"
           "                           rewrite [Lookup Column Number] for the inputs' state (or all)\n"
           "                             zelmora-cli --database copy.sqlite write-column-lookup --all-states --yes\n"
           "  write-county-list [--all-states] --yes\n"
           "                           rewrite [County List] for the inputs' state (or all)\n"
           "                             zelmora-cli --database copy.sqlite --inputs examples/iowa-farm.ini"
           " write-county-list --yes\n"
           "  import-tables DIR --output FILE\n"
           "                           build a new rating database FILE from the CSV files of DIR, one per\n"
           "                           table as mdb-export writes them (\"Continuous Rates.csv\", ...)\n"
           "                             zelmora-cli import-tables exported --output rates.sqlite\n"
           "  check-database           check the rating database before trusting it (reads only)\n"
           "                             zelmora-cli --database rates.sqlite check-database\n"
           "\n"
           "Inputs files may also set \"Coverage Whole Farm\" (65-85), \"PP Factor 5 <crop>\" and\n"
           "\"PP Factor 10 <crop>\" (prevented planting factors), \"CR Option <crop> <unit as 01>\"\n"
           "and \"Malting Barley Option\" (1 = A, 2 = B). Its [Payout Model] section may set the\n"
           "model of the expected payouts: \"Yield CV\" (default 0.25), \"Unit Correlation\" (0.8),\n"
           "\"Crop Correlation\" (0.5) and \"Price Yield Correlation\" (-0.3). Nothing is ever\n"
           "written to the saved settings or to the inputs file.\n"
           "\n"
           "Exit status:\n"
           "  0  done\n"
           "  1  the rating database cannot be opened or read (a table, a row or a stored value)\n"
           "  2  a usage error, an unreadable or malformed inputs file (an unknown key too), a\n"
           "     rewrite without --yes, input import-tables refuses (no such directory, an\n"
           "     existing output), or an output file of batch or quote that is one of the\n"
           "     inputs or the rating database, a crop or structure the farm does not have for\n"
           "     outcomes or payout-worksheet, or a farm in a county the rating database does\n"
           "     not list\n"
           "  3  a rewrite failed for a state (its rows are unchanged); the report says why;\n"
           "     or import-tables failed part way (no file is left); or a farm of a batch was\n"
           "     refused or failed (the others are rated), or the batch's lines could not be written\n"
           "     or the quote's PDF or HTML file could not be written (the file is left as it was),\n"
           "     or standard output could not be written; or a unit of the farm could not be rated:\n"
           "     rate, compare, quote and batch print what could be rated, leave out the enterprise\n"
           "     and whole-farm figures that would miss it, and name each such unit on stderr\n"
           "  4  check-database found problems\n";
}

std::string inputs_name(const command_line& line) {
    return line.inputs.empty() ? std::string("saved inputs") : "inputs file \"" + line.inputs + "\"";
}

int crop_from_text(const std::string& text) {
    int number = 0;
    if (parse_int(text, number)) return number >= 1 && number <= crop_count ? number : 0;
    const std::string wanted = lower_case(text);
    for (int crop = 1; crop <= crop_count; ++crop)
        if (wanted == lower_case(crop_display_name(crop)) || wanted == lower_case(crop_key_name(crop))) return crop;
    return 0;
}

bool parse_command_line(const std::vector<std::string>& args, command_line& line, std::string& error) {
    std::size_t i = 0;
    // Options before the command.
    for (; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            line.command = command_kind::help;
            return true;
        }
        if (arg == "--version") {
            line.command = command_kind::version;
            return true;
        }
        std::string* target = nullptr;
        std::string option;
        std::string value;
        bool has_value = false;
        for (const char* name : {"--database", "--inputs"}) {
            if (arg == name) {
                option = name;
            } else if (arg.rfind(std::string(name) + "=", 0) == 0) {
                option = name;
                value = arg.substr(option.size() + 1);
                has_value = true;
            }
        }
        if (option.empty()) break;
        target = option == "--database" ? &line.database : &line.inputs;
        if (!has_value) {
            if (i + 1 >= args.size()) {
                error = option + " needs a value";
                return false;
            }
            value = args[++i];
        }
        if (value.empty()) {
            error = option + " needs a value";
            return false;
        }
        *target = value;
    }
    if (i >= args.size()) {
        error = "no command given (try --help)";
        return false;
    }
    if (args[i].rfind("-", 0) == 0) {
        error = "unknown option " + args[i] + " (try --help)";
        return false;
    }
    const std::string name = args[i++];
    const std::vector<std::string> rest(args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
    if (std::find(rest.begin(), rest.end(), "--help") != rest.end()) {
        line.command = command_kind::help;
        return true;
    }
    auto no_arguments = [&](command_kind kind) {
        if (!rest.empty()) {
            error = name + " takes no arguments (got " + rest.front() + ")";
            return false;
        }
        line.command = kind;
        return true;
    };
    if (name == "rate") {
        line.command = command_kind::rate;
        for (const auto& arg : rest) {
            if (arg != "--tsv") {
                error = "rate takes only --tsv (got " + arg + ")";
                return false;
            }
            line.tsv = true;
        }
        return true;
    }
    if (name == "compare") return parse_compare(rest, line, error);
    if (name == "outcomes") return parse_outcomes(rest, line, error);
    if (name == "payout-worksheet") return parse_payout_worksheet(rest, line, error);
    if (name == "quote") return parse_quote(rest, line, error);
    if (name == "worksheet") {
        line.command = command_kind::worksheet;
        if (rest.size() != 1) {
            error = "worksheet needs one CROP: a crop number 1-9 or a crop name";
            return false;
        }
        line.crop_number = crop_from_text(rest[0]);
        if (line.crop_number == 0) {
            error = "unknown crop \"" + rest[0] + "\": give 1-9 or a name such as Corn or \"Spring Wheat\"";
            return false;
        }
        return true;
    }
    if (name == "test-report") {
        line.command = command_kind::test_report;
        if (rest.empty()) return true;
        if (rest.size() != 2 || !parse_int(rest[0], line.low) || !parse_int(rest[1], line.high) || line.low < 0 ||
            line.high > 63 || line.low > line.high) {
            error = "test-report takes LOW HIGH, two combination codes with 0 <= LOW <= HIGH <= 63";
            return false;
        }
        return true;
    }
    if (name == "write-column-lookup" || name == "write-county-list") {
        line.command = name == "write-column-lookup" ? command_kind::write_column_lookup
                                                     : command_kind::write_county_list;
        for (const auto& arg : rest) {
            if (arg == "--all-states") {
                line.all_states = true;
            } else if (arg == "--yes") {
                line.yes = true;
            } else {
                error = name + " takes only --all-states and --yes (got " + arg + ")";
                return false;
            }
        }
        return true;
    }
    if (name == "import-tables") {
        line.command = command_kind::import_tables;
        if (!line.database.empty()) {
            error = "import-tables writes --output FILE; --database does not apply to it";
            return false;
        }
        for (std::size_t k = 0; k < rest.size(); ++k) {
            const std::string& arg = rest[k];
            if (arg == "--output" && k + 1 < rest.size() && !rest[k + 1].empty()) {
                line.output = rest[++k];
            } else if (arg.rfind("--output=", 0) == 0 && arg.size() > 9) {
                line.output = arg.substr(9);
            } else if (arg.rfind("-", 0) != 0 && line.import_directory.empty()) {
                line.import_directory = arg;
            } else {
                error = "import-tables takes DIR --output FILE (got " + arg + ")";
                return false;
            }
        }
        if (line.import_directory.empty() || line.output.empty()) {
            error = "import-tables needs DIR, the folder of the CSV files, and --output FILE";
            return false;
        }
        return true;
    }
    if (name == "check-database") return no_arguments(command_kind::check_database);
    if (name == "batch") return parse_batch(rest, line, error);
    if (name == "whole-farm") return no_arguments(command_kind::whole_farm);
    if (name == "malting-barley") return no_arguments(command_kind::malting_barley);
    if (name == "acreage-loop") return no_arguments(command_kind::acreage_loop);
    if (name == "b-value-dump") return no_arguments(command_kind::b_value_dump);
    if (name == "state-inputs") return no_arguments(command_kind::state_inputs);
    error = "unknown command \"" + name + "\" (try --help)";
    return false;
}

namespace {

// A report's ERROR lines, each with the lines that explain it (a result code's
// text, SQLite's message): what a failed rewrite repeats on standard error.
std::string error_lines_of(const std::string& report) {
    std::string lines;
    bool in_error = false;
    std::size_t start = 0;
    while (start < report.size()) {
        std::size_t end = report.find('\n', start);
        end = end == std::string::npos ? report.size() : end + 1;
        const std::string line = report.substr(start, end - start);
        if (line.rfind("ERROR", 0) == 0)
            in_error = true;
        else if (line.find('\t') != std::string::npos || line == "\r\n")
            in_error = false;
        if (in_error) lines += line;
        start = end;
    }
    if (!lines.empty() && lines.back() != '\n') lines += "\r\n";
    return lines;
}

int rewrite_status(const rewrite_report& report, std::string& out, std::string& err) {
    out += report.text;
    if (!report.failed()) return 0;
    err += error_lines_of(report.text);
    err += report.read_errors;
    return exit_rewrite_failed;
}

// The units of the farm that could not be rated, one line each on the error
// stream: the command's figures were printed, but not all of them.
int unrated_status(const std::vector<std::string>& unrated_units, std::string& err) {
    for (const std::string& unit : unrated_units) err += "zelmora-cli: " + unit + "\n";
    return unrated_units.empty() ? 0 : exit_units_not_rated;
}

int run_reading_command(const command_line& line, session& s, std::string& out, std::string& err) {
    const rating_session& ratings = s.ratings;
    const farm& f = s.rated_farm;
    switch (line.command) {
    case command_kind::help:
        out += help_text();
        return 0;
    case command_kind::version:
        out += cli_version_text;
        return 0;
    case command_kind::rate: {
        std::vector<std::string> unrated;
        out += line.tsv ? rate_tsv(ratings, f, &unrated) : rate_table(ratings, f, &unrated);
        return unrated_status(unrated, err);
    }
    case command_kind::compare: {
        const int status = run_compare(line, s, out, err);
        if (status != 0) return status;
        return unrated_status(ratings.rate(f).unrated_units(), err);
    }
    case command_kind::outcomes:
        return run_outcomes(line, s, out, err);
    case command_kind::payout_worksheet:
        return run_payout_worksheet(line, s, out, err);
    case command_kind::quote:
        break;  // written by the executable with Qt (quote_document.h)
    case command_kind::worksheet:
        // As the crop page's Copy: the rating's errors come first on the same text.
        out += single_crop_worksheet(ratings, f, line.crop_number, true);
        return 0;
    case command_kind::whole_farm:
        out += whole_farm_copy_text(ratings, f);
        return 0;
    case command_kind::malting_barley:
        out += malting_barley_worksheets(ratings, f);
        return 0;
    case command_kind::test_report:
        out += test_report(ratings, f, line.low, line.high);
        return 0;
    case command_kind::acreage_loop:
        out += acreage_loop_report(ratings, f);
        return 0;
    case command_kind::b_value_dump:
        out += b_value_dump(ratings, f);
        return 0;
    case command_kind::state_inputs:
        out += show_state_inputs(ratings.database(), f.state_fips);
        return 0;
    case command_kind::write_column_lookup:
    case command_kind::write_county_list:
        break;  // run_command
    case command_kind::import_tables:
    case command_kind::check_database:
        break;  // these run without a session (database_commands.h)
    case command_kind::batch:
        break;  // batch runs on sessions of its own (batch.h)
    }
    return 0;
}

}  // namespace

bool rates_the_farm(command_kind command) {
    switch (command) {
    case command_kind::rate:
    case command_kind::compare:
    case command_kind::quote:
    case command_kind::worksheet:
    case command_kind::whole_farm:
    case command_kind::malting_barley:
    case command_kind::test_report:
    case command_kind::acreage_loop:
    case command_kind::b_value_dump:
        return true;
    default:
        return false;
    }
}

int run_command(const command_line& line, session& s, std::string& out, std::string& err) {
    const int state = s.rated_farm.state_fips;
    premium_database& db = s.ratings.database();
    if (rates_the_farm(line.command)) {
        if (const std::string refusal = s.ratings.farm_refusal(s.rated_farm); !refusal.empty()) {
            err += "zelmora-cli: " + inputs_name(line) + ": " + refusal + "\n";
            return exit_not_confirmed;
        }
    }
    if (line.command == command_kind::write_column_lookup || line.command == command_kind::write_county_list) {
        if (!line.yes) return refuse_rewrite(line, state, err);
        // Each state's rewrite is a write transaction of its own.
        if (line.command == command_kind::write_column_lookup)
            return rewrite_status(line.all_states ? write_column_lookup_all_states(db) : write_column_lookup(db, state),
                                  out, err);
        return rewrite_status(line.all_states ? write_all_county_lists(db) : write_county_list(db, state), out, err);
    }
    // A command that only reads sees one version of the database.
    std::string produced;
    std::string reasons;
    std::string read_errors;
    int status = 0;
    {
        read_transaction reading(db);
        status = run_reading_command(line, s, produced, reasons);
        read_errors = reading.errors();
    }
    if (!read_errors.empty()) {
        err += read_errors;
        return exit_database_unreadable;
    }
    out += produced;
    err += reasons;
    return status;
}

}  // namespace zelmora
