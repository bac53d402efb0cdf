#pragma once
// Comma-separated text as Debian's mdb-export writes it: fields separated by
// commas, text fields in double quotes with a quote inside written twice, line
// ends "\n" or "\r\n", and quoted fields that may hold line ends of their own.
// An empty field without quotes is how mdb-export writes NULL.
#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace zelmora {

struct csv_field {
    std::string text;
    bool quoted = false;  // the field was written in quotes (text, or an empty text rather than NULL)
};

class csv_reader {
public:
    // Opens a file for reading; false with the reason in `error`. A UTF-8 byte
    // order mark at the start is skipped.
    bool open(const std::string& path, std::string& error);

    // Reads the next record. False at the end of the file, or when the text is
    // malformed (then `error()` says why and `line()` where). Blank lines are skipped.
    bool next();

    // The fields of the record read last; their storage is reused by `next`.
    std::size_t size() const { return count_; }
    const csv_field& operator[](std::size_t i) const { return fields_[i]; }

    // The line on which the record read last starts (the first line is 1).
    long line() const { return record_line_; }
    const std::string& error() const { return error_; }

private:
    int get();
    int peek();
    bool fill();
    csv_field& start_field();

    struct file_closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, file_closer> file_;
    std::vector<char> buffer_;
    std::size_t position_ = 0;
    std::size_t filled_ = 0;
    bool end_of_file_ = false;

    std::vector<csv_field> fields_;
    std::size_t count_ = 0;
    long line_ = 1;         // the line the reader is on
    long record_line_ = 0;  // the line the last record started on
    std::string error_;
};

}  // namespace zelmora
