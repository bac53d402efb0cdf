// zelmora-cli: the rating library on the command line.
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/batch.h"
#include "cli/commands.h"
#include "cli/database_commands.h"
#include "cli/session.h"
#include "qtsupport/qsettings_store.h"
#include "quote/quote_document.h"
#include "rating/quote_content.h"
#include "rating/farm_file.h"
#include "utility/printable.h"

namespace {

// Every text goes out with its control characters replaced: names read from the
// rating database reach the reports and the messages unchanged.
void write_all(std::FILE* stream, const std::string& text) {
    if (text.empty()) return;
    const std::string printable = zelmora::printable_text(text);
    std::fwrite(printable.data(), 1, printable.size(), stream);
}

int usage_error(const std::string& message) {
    write_all(stderr, "zelmora-cli: " + message + "\n");
    return 2;
}

// The quote of the session's farm, written to the files the command names,
// with the details of the inputs file.
int write_quote(const zelmora::command_line& line, zelmora::session& s, const std::string& database,
                const zelmora::farm_details& details) {
    const std::string farm_name =
        line.inputs.empty() ? std::string("the saved inputs") : QFileInfo(QString::fromStdString(line.inputs)).fileName().toStdString();
    const std::string date = QDate::currentDate().toString(QStringLiteral("MMMM d, yyyy")).toStdString();
    const std::string database_file = QFileInfo(QString::fromStdString(database)).fileName().toStdString();
    std::string rating_errors;
    zelmora::quote_content quote;
    {
        zelmora::read_transaction reading(*s.database);
        quote = zelmora::build_quote(s, s.calculator->current_farm(), farm_name, database_file, date, rating_errors);
    }
    quote.details = details;
    if (s.database->has_read_errors()) {
        write_all(stderr, s.database->read_errors());
        return zelmora::exit_database_unreadable;
    }
    QString failure;
    if (!line.quote_pdf.empty() && !zelmora::write_quote_pdf(quote, QString::fromStdString(line.quote_pdf), failure)) {
        write_all(stderr, "zelmora-cli: quote: " + failure.toStdString() + "\n");
        return 3;
    }
    if (!line.quote_html.empty() &&
        !zelmora::write_quote_html(quote, QString::fromStdString(line.quote_html), failure)) {
        write_all(stderr, "zelmora-cli: quote: " + failure.toStdString() + "\n");
        return 3;
    }
    return 0;
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
    if (line.command == zelmora::command_kind::help) {
        write_all(stdout, zelmora::help_text());
        return 0;
    }
    if (line.command == zelmora::command_kind::version) {
        write_all(stdout, zelmora::cli_version_text);
        return 0;
    }

    const std::string database =
        !line.database.empty()
            ? line.database
            : QDir(QCoreApplication::applicationDirPath()).filePath(zelmora::premium_database_file_name).toStdString();
    // Commands on a database file: no inputs, no session.
    if (zelmora::is_database_command(line.command)) {
        std::string out;
        std::string messages;
        const int status = zelmora::run_database_command(line, database, out, messages);
        write_all(stdout, out);
        write_all(stderr, messages);
        return status;
    }
    if (line.command == zelmora::command_kind::batch) return zelmora::run_batch_command(line, database);

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
    if (!zelmora::open_session(database, *inputs, session, load_errors)) {
        write_all(stderr, load_errors);
        return 1;
    }
    write_all(stderr, load_errors);
    if (session.database->has_read_errors()) {
        // A table, row or value the open sequence could not read: nothing is rated on it.
        write_all(stderr, session.database->read_errors());
        return zelmora::exit_database_unreadable;
    }
    std::fflush(stderr);
    if (line.command == zelmora::command_kind::quote)
        return write_quote(line, session, database, zelmora::read_farm_details(file_inputs));

    std::string out;
    std::string messages;
    const int status = zelmora::run_command(line, session, out, messages);
    write_all(stdout, out);
    write_all(stderr, messages);
    return status;
}
