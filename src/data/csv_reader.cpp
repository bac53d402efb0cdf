#include "data/csv_reader.h"

#include <cerrno>
#include <cstring>

namespace zelmora {

namespace {

constexpr std::size_t buffer_size = 1 << 20;
constexpr int end_of_text = -1;

}  // namespace

bool csv_reader::open(const std::string& path, std::string& error) {
    file_.reset(std::fopen(path.c_str(), "rb"));
    if (!file_) {
        error = std::strerror(errno);
        return false;
    }
    buffer_.resize(buffer_size);
    position_ = filled_ = 0;
    end_of_file_ = false;
    count_ = 0;
    line_ = 1;
    record_line_ = 0;
    error_.clear();
    // A byte order mark, as spreadsheets write one before UTF-8 text.
    if (peek() == 0xEF && filled_ - position_ >= 3 && static_cast<unsigned char>(buffer_[position_ + 1]) == 0xBB &&
        static_cast<unsigned char>(buffer_[position_ + 2]) == 0xBF)
        position_ += 3;
    return true;
}

bool csv_reader::fill() {
    if (end_of_file_ || !file_) return false;
    // Keep what is left (at most a few bytes, for a look ahead) before the new data.
    const std::size_t left = filled_ - position_;
    std::memmove(buffer_.data(), buffer_.data() + position_, left);
    position_ = 0;
    filled_ = left;
    const std::size_t n = std::fread(buffer_.data() + left, 1, buffer_.size() - left, file_.get());
    filled_ += n;
    if (n == 0) end_of_file_ = true;
    return n > 0;
}

int csv_reader::peek() {
    if (position_ >= filled_ && !fill()) return end_of_text;
    return static_cast<unsigned char>(buffer_[position_]);
}

int csv_reader::get() {
    const int c = peek();
    if (c != end_of_text) ++position_;
    return c;
}

csv_field& csv_reader::start_field() {
    if (count_ == fields_.size()) fields_.emplace_back();
    csv_field& field = fields_[count_++];
    field.text.clear();
    field.quoted = false;
    return field;
}

bool csv_reader::next() {
    if (!error_.empty()) return false;
    for (;;) {
        count_ = 0;
        if (peek() == end_of_text) return false;
        record_line_ = line_;
        csv_field* field = &start_field();
        bool after_quote = false;  // a quoted field ended; only a separator may follow
        for (;;) {
            int c = get();
            if (c == '"' && !after_quote && field->text.empty() && !field->quoted) {
                field->quoted = true;
                for (;;) {
                    c = get();
                    if (c == end_of_text) {
                        error_ = "quoted text from line " + std::to_string(record_line_) + " is never closed";
                        return false;
                    }
                    if (c == '"') {
                        if (peek() != '"') break;
                        get();
                    } else if (c == '\n') {
                        ++line_;
                    }
                    field->text.push_back(static_cast<char>(c));
                }
                after_quote = true;
                continue;
            }
            if (c == ',') {
                field = &start_field();
                after_quote = false;
                continue;
            }
            if (c == end_of_text) break;
            if (c == '\n') {
                ++line_;
                break;
            }
            if (c == '\r' && peek() == '\n') continue;
            if (after_quote) {
                record_line_ = line_;
                error_ = "text after the closing quote of a field";
                return false;
            }
            field->text.push_back(static_cast<char>(c));
        }
        // A blank line holds no record.
        if (count_ == 1 && !fields_[0].quoted && fields_[0].text.empty()) continue;
        return true;
    }
}

}  // namespace zelmora
