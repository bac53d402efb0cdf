#include "utility/ini_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "utility/number_text.h"

namespace zelmora {

namespace {

std::string_view trim(std::string_view s) {
    const char* blanks = " \t\r\n\f\v";
    const auto first = s.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    const auto last = s.find_last_not_of(blanks);
    return s.substr(first, last - first + 1);
}

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string line_error(int line_number, const char* reason) {
    return "line " + std::to_string(line_number) + ": " + reason;
}

}  // namespace

bool decode_key_escapes(std::string_view key, std::string& decoded) {
    decoded.clear();
    for (std::size_t i = 0; i < key.size(); ++i) {
        if (key[i] != '%') {
            decoded += key[i];
            continue;
        }
        if (i + 2 >= key.size()) return false;
        const int high = hex_digit(key[i + 1]);
        const int low = hex_digit(key[i + 2]);
        if (high < 0 || low < 0) return false;
        decoded += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return true;
}

bool parse_ini_text(std::string_view text, memory_settings_store& store, std::string& error) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);  // UTF-8 byte order mark
    std::string section;
    bool in_section = false;
    int line_number = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        ++line_number;
        // A line ends in LF, CR LF or a lone CR.
        auto end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view raw_line = text.substr(start, end - start);
        start = end + (text.substr(end, 2) == "\r\n" ? 2 : 1);
        if (raw_line.find('\0') != std::string_view::npos) {
            error = line_error(line_number, "a NUL byte in the line");
            return false;
        }
        const std::string_view line = trim(raw_line);
        if (line.empty() || line.front() == ';' || line.front() == '#') continue;
        if (line.front() == '[') {
            if (line.back() != ']') {
                error = line_error(line_number, "a section header must end in ']'");
                return false;
            }
            const std::string_view name = trim(line.substr(1, line.size() - 2));
            if (name.empty() || name.find_first_of("[]") != std::string_view::npos) {
                error = line_error(line_number, "malformed section name");
                return false;
            }
            if (!decode_key_escapes(name, section)) {
                error = line_error(line_number, "malformed %XX escape in the section name");
                return false;
            }
            in_section = true;
            store.add_section(section);
        } else {
            const auto equals = line.find('=');
            if (equals == std::string_view::npos) {
                error = line_error(line_number, "expected [section], key=value or a comment");
                return false;
            }
            const std::string_view raw_key = trim(line.substr(0, equals));
            std::string_view value = trim(line.substr(equals + 1));
            if (raw_key.empty()) {
                error = line_error(line_number, "the key before '=' is empty");
                return false;
            }
            if (!in_section) {
                error = line_error(line_number, "key=value before the first [section]");
                return false;
            }
            std::string key;
            if (!decode_key_escapes(raw_key, key)) {
                error = line_error(line_number, "malformed %XX escape in the key");
                return false;
            }
            // A value in double quotes is a text, whatever it looks like ("007"); a bare
            // whole number is an integer.
            const bool quoted = value.size() >= 2 && value.front() == '"' && value.back() == '"';
            if (quoted) value = value.substr(1, value.size() - 2);
            int integer = 0;
            if (!quoted && trim(value).size() == value.size() && read_whole_number(value, integer))
                store.write_integer(section, key, integer);
            else
                store.write_text(section, key, std::string(value));
        }
    }
    return true;
}

bool read_ini_file(const std::string& path, memory_settings_store& store, std::string& error) {
    const std::string cannot = "cannot read inputs file \"" + path + "\": ";
    // Looked at before opening: opening a FIFO would wait for a writer.
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (ec) {
        error = cannot + ec.message();
        return false;
    }
    if (std::filesystem::is_directory(status)) {
        error = cannot + "it is a directory";
        return false;
    }
    if (!std::filesystem::is_regular_file(status)) {
        error = cannot + "it is not a regular file";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = cannot + std::strerror(errno);
        return false;
    }
    // Read in pieces, so that a file that grew past the limit since it was looked at stops there.
    std::string content;
    char piece[65536];
    while (content.size() <= max_inputs_file_size && in.read(piece, sizeof piece).gcount() > 0)
        content.append(piece, static_cast<std::size_t>(in.gcount()));
    if (in.bad()) {
        error = "cannot read inputs file \"" + path + "\"";
        return false;
    }
    if (content.size() > max_inputs_file_size) {
        error = cannot + "it is larger than 16 MiB";
        return false;
    }
    std::string line_error_text;
    if (!parse_ini_text(content, store, line_error_text)) {
        error = "inputs file \"" + path + "\", " + line_error_text;
        return false;
    }
    return true;
}

}  // namespace zelmora
