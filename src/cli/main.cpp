// zelmora-cli: the rating library on the command line.
#include <QCoreApplication>
#include <QDate>
#include <QFileInfo>
#include <QGuiApplication>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "cli/batch.h"
#include "cli/commands.h"
#include "cli/database_commands.h"
#include "cli/session.h"
#include "qtsupport/qsettings_store.h"
#include "quote/quote_document.h"
#include "rating/quote_content.h"
#include "rating/farm_file.h"
#include "utility/database_location.h"
#include "utility/atomic_file.h"
#include "utility/printable.h"

namespace {

// Every text goes out with its control characters replaced: names read from the
// rating database reach the reports and the messages unchanged. False when the
// stream refused it (errno says why).
bool write_all(std::FILE* stream, const std::string& text) {
    if (text.empty()) return true;
    const std::string printable = zelmora::printable_text(text);
    return std::fwrite(printable.data(), 1, printable.size(), stream) == printable.size();
}

// No --database and no rating database in any of the folders it is looked for in.
std::string database_not_found_text(const zelmora::database_search& search) {
    std::string text = std::string("zelmora-cli: no rating database \"") + zelmora::premium_database_file_name +
                       "\" was found; it was looked for in these folders, in this order:\n";
    for (const std::string& folder : search.folders) text += "  " + folder + "\n";
    text += "Give one with --database PATH, or put one of that name in one of these folders.\n";
    return text;
}

int usage_error(const std::string& message) {
    write_all(stderr, "zelmora-cli: " + message + "\n");
    return 2;
}

// Standard output, whose every write and final flush and close are checked: a
// report that did not reach it all is a failure, not a success.
class standard_output {
public:
    void write(const std::string& text) {
        if (!write_all(stdout, text) && error_ == 0) error_ = errno != 0 ? errno : EIO;
    }

    // The command's status, or exit_failed_part_way with the reason on standard
    // error when standard output lost anything.
    int finish(int status) {
        if (std::fflush(stdout) != 0 && error_ == 0) error_ = errno;
        if (std::ferror(stdout) && error_ == 0) error_ = EIO;
        if (std::fclose(stdout) != 0 && error_ == 0) error_ = errno;
        if (error_ == 0) return status;
        write_all(stderr, std::string("zelmora-cli: cannot write standard output: ") + std::strerror(error_) + "\n");
        return zelmora::exit_failed_part_way;
    }

private:
    int error_ = 0;
};

// Why a quote file may not be written where it was asked: over the farm's inputs
// file, the rating database, or the other quote file. Empty when it may.
std::string refused_quote_file(const zelmora::command_line& line, const std::string& database) {
    const struct {
        const char* option;
        const std::string& path;
    } files[] = {{"--pdf", line.quote_pdf}, {"--html", line.quote_html}};
    for (const auto& file : files) {
        if (file.path.empty()) continue;
        const std::string named = std::string(file.option) + " \"" + file.path + "\"";
        if (!line.inputs.empty() && zelmora::same_file(file.path, line.inputs))
            return named + " is the inputs file; the quote never writes over it";
        if (zelmora::same_file(file.path, database))
            return named + " is the rating database; the quote never writes over it";
    }
    if (!line.quote_pdf.empty() && !line.quote_html.empty() && zelmora::same_file(line.quote_pdf, line.quote_html))
        return "--pdf and --html name the same file";
    return {};
}

// The quote of the session's farm, written to the files the command names,
// with the details of the inputs file.
int write_quote(const zelmora::command_line& line, zelmora::session& s, const std::string& database,
                const zelmora::farm_details& details) {
    const std::string farm_name =
        line.inputs.empty() ? std::string("the saved inputs") : QFileInfo(QString::fromStdString(line.inputs)).fileName().toStdString();
    const std::string date = QDate::currentDate().toString(QStringLiteral("MMMM d, yyyy")).toStdString();
    const std::string database_file = QFileInfo(QString::fromStdString(database)).fileName().toStdString();
    zelmora::quote_content quote;
    std::string read_errors;
    {
        zelmora::read_transaction reading(s.ratings.database());
        // The expected payouts on every core: the figures are the same for any count.
        zelmora::simulation_settings drawing;
        drawing.jobs = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 64u));
        quote = zelmora::build_quote(s.ratings, s.rated_farm, farm_name, database_file, date, s.payout, drawing);
        read_errors = reading.errors();
    }
    quote.details = details;
    if (!read_errors.empty()) {
        write_all(stderr, read_errors);
        return zelmora::exit_database_unreadable;
    }
    // The quote is written with the figures that could be rated; the units that could not are named.
    std::string unrated;
    for (const std::string& unit : quote.unrated_units) unrated += "zelmora-cli: " + unit + "\n";
    QString failure;
    if (!line.quote_pdf.empty() && !zelmora::write_quote_pdf(quote, QString::fromStdString(line.quote_pdf), failure)) {
        write_all(stderr, "zelmora-cli: quote: " + failure.toStdString() + "\n");
        return zelmora::exit_failed_part_way;
    }
    if (!line.quote_html.empty() &&
        !zelmora::write_quote_html(quote, QString::fromStdString(line.quote_html), failure)) {
        write_all(stderr, "zelmora-cli: quote: " + failure.toStdString() + "\n");
        return zelmora::exit_failed_part_way;
    }
    write_all(stderr, unrated);
    return quote.unrated_units.empty() ? 0 : zelmora::exit_units_not_rated;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    zelmora::command_line line;
    std::string error;
    const bool parsed = zelmora::parse_command_line(args, line, error);
    // The quote lays out text with Qt Gui: on the offscreen platform unless one is given.
    std::unique_ptr<QCoreApplication> application;
    if (parsed && line.command == zelmora::command_kind::quote) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        application = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        application = std::make_unique<QCoreApplication>(argc, argv);
    }
    if (!parsed) return usage_error(error);
    standard_output output;
    if (line.command == zelmora::command_kind::help) {
        output.write(zelmora::help_text());
        return output.finish(0);
    }
    if (line.command == zelmora::command_kind::version) {
        output.write(zelmora::cli_version_text);
        return output.finish(0);
    }

    // Without --database: the first rating database of the usual name beside the
    // program, in the user's data folder or in a system data folder. import-tables
    // reads none.
    std::string database = line.database;
    if (database.empty() && line.command != zelmora::command_kind::import_tables) {
        const zelmora::database_search search = zelmora::find_rating_database(zelmora::premium_database_file_name);
        if (!search.found) {
            write_all(stderr, database_not_found_text(search));
            return zelmora::exit_database_unreadable;
        }
        database = *search.found;
    }
    // Commands on a database file: no inputs, no session.
    if (zelmora::is_database_command(line.command)) {
        std::string out;
        std::string messages;
        const int status = zelmora::run_database_command(line, database, out, messages);
        output.write(out);
        write_all(stderr, messages);
        return output.finish(status);
    }
    // The batch checks its own output (standard output or --output's file).
    if (line.command == zelmora::command_kind::batch) return zelmora::run_batch_command(line, database);
    if (line.command == zelmora::command_kind::quote) {
        const std::string refused = refused_quote_file(line, database);
        if (!refused.empty()) return usage_error("quote: " + refused);
    }

    // The inputs: a file of their own, or what the application saved (read only).
    zelmora::memory_settings_store file_inputs;
    std::unique_ptr<zelmora::qsettings_store> saved_inputs;
    zelmora::settings_store* inputs = &file_inputs;
    if (!line.inputs.empty()) {
        if (!zelmora::read_farm_file(line.inputs, file_inputs, error)) return usage_error(error);
    } else {
        saved_inputs = std::make_unique<zelmora::qsettings_store>();
        inputs = saved_inputs.get();
        if (!zelmora::check_inputs(*inputs, nullptr, error)) return usage_error("saved inputs: " + error);
    }

    zelmora::session session;
    std::string load_errors;
    std::string read_errors;
    if (!zelmora::open_session(database, *inputs, session, load_errors, read_errors)) {
        write_all(stderr, load_errors);
        return 1;
    }
    write_all(stderr, load_errors);
    if (!read_errors.empty()) {
        // A table, row or value the open sequence could not read: nothing is rated on it.
        write_all(stderr, read_errors);
        return zelmora::exit_database_unreadable;
    }
    std::fflush(stderr);
    if (line.command == zelmora::command_kind::quote) {
        // A farm in a county the rating data does not list is not quoted.
        if (const std::string refusal = session.ratings.farm_refusal(session.rated_farm); !refusal.empty())
            return usage_error(zelmora::inputs_name(line) + ": " + refusal);
        return output.finish(write_quote(line, session, database, zelmora::read_farm_details(file_inputs)));
    }

    std::string out;
    std::string messages;
    const int status = zelmora::run_command(line, session, out, messages);
    output.write(out);
    write_all(stderr, messages);
    return output.finish(status);
}
