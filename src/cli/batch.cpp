#include "cli/batch.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <latch>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include <unistd.h>

#include "cli/commands.h"
#include "rating/farm_file.h"
#include "rating/rating_session.h"
#include "utility/atomic_file.h"
#include "utility/printable.h"

namespace zelmora {

namespace {

namespace fs = std::filesystem;

// What one farm gives: its lines, or the one-line reason it gave none.
struct farm_outcome {
    std::string lines;
    std::string error;  // without the line end; empty when the farm was rated
    // The farm's units that could not be rated ("Corn unit 2: no rate for ..."):
    // its lines are written, with the figures that could be rated.
    std::vector<std::string> unrated_units;
    std::string name;  // the farm file's name, for those lines
};

std::string first_line(const std::string& text) {
    std::string line = text.substr(0, text.find_first_of("\r\n"));
    const std::size_t more = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    if (more > 1) line += " (and " + std::to_string(more - 1) + " more)";
    return line;
}

farm_outcome rate_farm(const rating_session& ratings, const std::string& path) {
    farm_outcome outcome;
    if (path.find_first_of("\t\r\n") != std::string::npos) {
        outcome.error = "farm file name \"" + path + "\" holds a tab or a line break, which its lines cannot carry";
        return outcome;
    }
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        outcome.error = "folder \"" + path + "\" holds no *.ini files";
        return outcome;
    }
    memory_settings_store store;
    if (!read_farm_file(path, store, outcome.error)) return outcome;
    const farm f = read_farm(store);
    // The farm is read and rated on one version of the database.
    read_transaction reading(ratings.database());
    std::string load_errors = ratings.load_errors(f);
    if (!load_errors.empty()) {
        outcome.error = "inputs file \"" + path + "\": " + first_line(load_errors);
        return outcome;
    }
    if (const std::string refusal = ratings.farm_refusal(f); !refusal.empty()) {
        outcome.error = "inputs file \"" + path + "\": " + refusal;
        return outcome;
    }
    const std::string tsv = rate_tsv(ratings, f, &outcome.unrated_units);
    if (reading.failed()) {
        // A read that failed (a lock held too long, a stored value that cannot be used) fails the farm.
        outcome.error = "inputs file \"" + path + "\": " + first_line(reading.errors());
        return outcome;
    }
    outcome.name = path;
    const std::string name = printable_line(path);  // as the terminal and a spreadsheet can show it
    outcome.lines.reserve(tsv.size() + 16 * (name.size() + 1));
    std::size_t start = 0;
    while (start < tsv.size()) {
        const std::size_t end = tsv.find('\n', start);
        const std::size_t stop = end == std::string::npos ? tsv.size() : end + 1;
        outcome.lines += name;
        outcome.lines += '\t';
        outcome.lines.append(tsv, start, stop - start);
        start = stop;
    }
    return outcome;
}

// Hands out the farms to the workers and their outcomes back in the order given.
// A worker may run ahead of the writer by at most `window` farms, so the memory
// held does not grow with the number of farms.
class ordered_outcomes {
public:
    ordered_outcomes(std::size_t count, std::size_t window) : count_(count), slots_(window) {}

    // The next farm to rate; false when every farm is taken or the batch stops.
    bool claim(std::size_t& index) {
        std::unique_lock lock(mutex_);
        claimable_.wait(lock, [this] { return stopped_ || claimed_ >= count_ || claimed_ < written_ + slots_.size(); });
        if (stopped_ || claimed_ >= count_) return false;
        index = claimed_++;
        return true;
    }

    void deliver(std::size_t index, farm_outcome outcome) {
        std::lock_guard lock(mutex_);
        slots_[index % slots_.size()] = std::move(outcome);
        if (index == written_) ready_.notify_one();
    }

    // The outcome of the next farm in order; false when all are written or the batch stops.
    bool next(farm_outcome& outcome) {
        std::unique_lock lock(mutex_);
        if (written_ >= count_) return false;
        auto& slot = slots_[written_ % slots_.size()];
        ready_.wait(lock, [&] { return stopped_ || slot.has_value(); });
        if (!slot) return false;
        outcome = std::move(*slot);
        slot.reset();
        ++written_;
        claimable_.notify_all();
        return true;
    }

    void stop() {
        std::lock_guard lock(mutex_);
        stopped_ = true;
        claimable_.notify_all();
        ready_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable claimable_;
    std::condition_variable ready_;
    const std::size_t count_;
    std::vector<std::optional<farm_outcome>> slots_;
    std::size_t claimed_ = 0;
    std::size_t written_ = 0;
    bool stopped_ = false;
};

// "rated N of M farms" on one terminal line, redrawn at most five times a second
// once the batch has run for a second, and erased before any other text.
class progress_line {
public:
    progress_line(std::FILE* err, bool enabled, std::size_t total) : err_(err), enabled_(enabled), total_(total) {}

    void update(std::size_t done, std::size_t failed) {
        if (!enabled_) return;
        const auto now = clock::now();
        if (now - start_ < std::chrono::seconds(1) || now - drawn_ < std::chrono::milliseconds(200)) return;
        drawn_ = now;
        std::fprintf(err_, "\r\033[Kzelmora-cli: batch: %zu of %zu farms rated, %zu failed", done, total_, failed);
        std::fflush(err_);
        shown_ = true;
    }

    void erase() {
        if (!shown_) return;
        std::fputs("\r\033[K", err_);
        shown_ = false;
    }

private:
    using clock = std::chrono::steady_clock;
    std::FILE* err_;
    bool enabled_;
    std::size_t total_;
    clock::time_point start_ = clock::now();
    clock::time_point drawn_{};
    bool shown_ = false;
};

void write_text(std::FILE* stream, const std::string& text) {
    if (!text.empty()) std::fwrite(text.data(), 1, text.size(), stream);
}

// Why --output may not be FILE: one of the farms (the same file, whatever the
// name it is given by) or the rating database, which writing FILE would
// destroy. Empty when it may.
std::string refused_output(const std::string& output, const std::vector<std::string>& farms,
                           const std::string& database) {
    const std::string named = "--output \"" + output + "\"";
    for (const std::string& farm : farms)
        if (same_file(output, farm)) return named + " is the farm file \"" + farm + "\"; the batch never writes over its farms";
    if (same_file(output, database)) return named + " is the rating database; the batch never writes over it";
    return {};
}

}  // namespace

std::vector<std::string> batch_farm_files(const std::vector<std::string>& arguments) {
    std::vector<std::string> files;
    for (const std::string& argument : arguments) {
        std::error_code ec;
        if (!fs::is_directory(argument, ec)) {
            files.push_back(argument);
            continue;
        }
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(argument, ec)) {
            std::error_code type_error;
            if (entry.path().extension() == ".ini" && entry.is_regular_file(type_error))
                names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        if (names.empty()) files.push_back(argument);
        for (const std::string& name : names) files.push_back((fs::path(argument) / name).string());
    }
    return files;
}

int run_batch(const batch_options& options, std::FILE* out, std::FILE* err) {
    const std::vector<std::string> files = batch_farm_files(options.farms);
    const std::size_t jobs = std::clamp<std::size_t>(static_cast<std::size_t>(std::max(options.jobs, 1)), 1,
                                                     std::max<std::size_t>(files.size(), 1));
    ordered_outcomes outcomes(files.size(), 64 * jobs);

    // Every worker opens its own session; nothing is rated unless all of them could.
    std::latch opened(static_cast<std::ptrdiff_t>(jobs));
    std::vector<unsigned char> connected(jobs, 0);  // one byte per worker: written concurrently
    std::vector<std::string> open_errors(jobs);
    std::vector<std::thread> workers;
    workers.reserve(jobs);
    for (std::size_t w = 0; w < jobs; ++w) {
        workers.emplace_back([&, w] {
            rating_session ratings;
            std::string read_errors;
            // A database whose tables cannot be read rates nothing, as for every command.
            connected[w] = ratings.open(options.database, open_errors[w], read_errors) && read_errors.empty() ? 1 : 0;
            open_errors[w] += read_errors;
            opened.arrive_and_wait();
            if (std::find(connected.begin(), connected.end(), 0) != connected.end()) return;
            std::size_t index = 0;
            while (outcomes.claim(index)) outcomes.deliver(index, rate_farm(ratings, files[index]));
        });
    }
    opened.wait();
    const auto failed_open = std::find(connected.begin(), connected.end(), 0);
    if (failed_open != connected.end()) {
        outcomes.stop();
        for (std::thread& t : workers) t.join();
        write_text(err, printable_text(open_errors[static_cast<std::size_t>(failed_open - connected.begin())]));
        return 1;
    }
    // The database's own load errors, once, as every command shows them.
    write_text(err, printable_text(open_errors.front()));
    std::fflush(err);

    progress_line progress(err, options.show_progress, files.size());
    std::size_t done = 0;
    std::size_t failed = 0;
    int write_error = 0;  // errno of a failed write
    farm_outcome outcome;
    while (outcomes.next(outcome)) {
        ++done;
        if (!outcome.error.empty()) {
            ++failed;
            progress.erase();
            // One line whatever the file's name holds.
            std::fprintf(err, "zelmora-cli: %s\n", printable_line(outcome.error).c_str());
        } else {
            write_text(out, outcome.lines);
            if (std::ferror(out)) {
                write_error = errno;
                break;
            }
            if (!outcome.unrated_units.empty()) {
                ++failed;
                progress.erase();
                for (const std::string& unit : outcome.unrated_units)
                    std::fprintf(err, "zelmora-cli: %s: %s\n", printable_line(outcome.name).c_str(), unit.c_str());
            }
        }
        progress.update(done, failed);
    }
    outcomes.stop();
    for (std::thread& t : workers) t.join();
    progress.erase();
    if (write_error == 0 && std::fflush(out) != 0) write_error = errno;
    if (write_error != 0) {
        std::fprintf(err, "zelmora-cli: batch: cannot write the lines: %s\n", std::strerror(write_error));
        return exit_batch_farm_failed;
    }
    return failed == 0 ? 0 : exit_batch_farm_failed;
}

int run_batch_command(const command_line& line, const std::string& database) {
    batch_options options;
    options.database = database;
    options.farms = batch_farm_files(line.farms);
    options.jobs = line.jobs > 0 ? line.jobs : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    options.show_progress = isatty(fileno(stderr)) != 0;
    if (line.output.empty()) {
        const int status = run_batch(options, stdout, stderr);
        // A line that could not be written was reported; what is left to fail is the close.
        if (!std::ferror(stdout) && std::fclose(stdout) != 0) {
            std::fprintf(stderr, "zelmora-cli: cannot write standard output: %s\n", std::strerror(errno));
            return exit_batch_farm_failed;
        }
        return status;
    }

    const std::string refused = refused_output(line.output, options.farms, database);
    if (!refused.empty()) {
        std::fprintf(stderr, "zelmora-cli: batch: %s\n", printable_line(refused).c_str());
        return 2;
    }
    // The lines go into a temporary file beside FILE, which becomes FILE only when
    // every line is in it: until then FILE stays as it was.
    const std::string cannot = "zelmora-cli: cannot write output file \"" + printable_line(line.output) + "\": ";
    atomic_file output;
    std::string reason;
    if (!output.open(line.output, existing_file::replace, reason)) {
        std::fprintf(stderr, "%s%s\n", cannot.c_str(), reason.c_str());
        return 2;
    }
    const removal_on_interrupt removal(output.temporary());
    const int copy = ::dup(output.descriptor());
    std::FILE* stream = copy < 0 ? nullptr : ::fdopen(copy, "wb");
    if (stream == nullptr) {
        std::fprintf(stderr, "%s%s\n", cannot.c_str(), std::strerror(errno));
        if (copy >= 0) ::close(copy);
        return 2;
    }
    const int status = run_batch(options, stream, stderr);
    const bool lines_written = !std::ferror(stream);  // run_batch reported a line it could not write
    if (std::fclose(stream) != 0 && lines_written) {
        std::fprintf(stderr, "%s%s\n", cannot.c_str(), std::strerror(errno));
        return exit_batch_farm_failed;
    }
    // Without a database, or with lines missing, FILE is left as it was.
    if (status == 1 || !lines_written) return status;
    if (!output.commit(reason)) {
        std::fprintf(stderr, "%s%s\n", cannot.c_str(), reason.c_str());
        return exit_batch_farm_failed;
    }
    return status;
}

}  // namespace zelmora
