#include "utility/filename_struct.h"

#include <cstdio>
#include <utility>

namespace zelmora {

namespace {

failure_message_hook& failure_hook() {
    static failure_message_hook hook;
    return hook;
}

std::string sep_path(const char* text) {
    // The self-test paths are written with '\'; they run with the platform's separator.
    std::string s(text);
    for (char& c : s)
        if (c == '\\') c = path_separator;
    return s;
}

}  // namespace

void set_filename_failure_hook(failure_message_hook hook) { failure_hook() = std::move(hook); }

filename_struct::filename_struct() {
    const int failed = test();
    if (failed != 0) {
        const std::string message = "Error in filename_struct.test!";
        if (failure_hook())
            failure_hook()(message);
        else
            std::fprintf(stderr, "%s\n", message.c_str());
        std::fprintf(stderr, "ERROR, filename_struct.test fails test(s) %d\r\n", failed);
    }
    clear();
}

filename_struct::filename_struct(const filename_struct& other) { *this = other; }

filename_struct& filename_struct::operator=(const filename_struct& other) {
    if (this == &other) return *this;
    clear();
    drive_ = other.drive_;
    has_drive_ = other.has_drive_;
    set_directory(other.directory_.value_or(""));
    set_name(other.name_.value_or(""));
    return *this;
}

void filename_struct::clear() {
    drive_ = '*';
    has_drive_ = false;
    name_.reset();
    directory_.reset();
    base_.reset();
    extension_.reset();
    name_length_ = 0;
    directory_length_ = 0;
}

bool filename_struct::set_path(const std::string& t) {
    const std::size_t n = t.size();
    const std::size_t i = t.rfind(path_separator);
    if (i == std::string::npos) {
        if (n >= 3 && t[1] == ':') {
            drive_ = t[0];
            has_drive_ = true;
        } else {
            drive_ = '*';
            has_drive_ = false;
        }
        directory_.reset();
        directory_length_ = 0;
        return set_name(t);
    }
    const std::string head = t.substr(0, i);
    const std::string tail = t.substr(i + 1);
    bool result = true;
    const std::size_t colon = head.find(':');
    if (colon == std::string::npos) {
        drive_ = '*';
        has_drive_ = false;
        set_directory(head);
    } else if (colon == 1) {
        drive_ = head[0];
        has_drive_ = true;
        set_directory(head.substr(2));
    } else {
        drive_ = '*';
        has_drive_ = false;
        result = false;
    }
    if (tail.size() >= 2) return set_name(tail);
    set_name("");
    return result;
}

void filename_struct::set_directory(const std::string& d) {
    if (d.empty()) {
        directory_.reset();
        directory_length_ = 0;
        return;
    }
    std::string dir = d;
    if (dir.front() != path_separator) dir.insert(dir.begin(), path_separator);
    if (dir.back() != path_separator) dir.push_back(path_separator);
    directory_length_ = static_cast<int>(dir.size());
    directory_ = std::move(dir);
}

bool filename_struct::set_name(const std::string& s) {
    name_.reset();
    base_.reset();
    extension_.reset();
    name_length_ = 0;
    if (s.empty()) return true;
    const std::size_t dot = s.rfind('.');
    if (dot == std::string::npos) {
        base_ = s;
        name_ = s;
    } else {
        base_ = s.substr(0, dot);
        extension_ = s.substr(dot + 1);
        name_ = *base_ + "." + *extension_;
    }
    name_length_ = static_cast<int>(name_->size());
    return true;
}

void filename_struct::set_extension(const std::string& e) {
    const std::string base = base_.value_or("");
    if (e.empty()) {
        extension_.reset();
        name_ = base;
    } else {
        extension_ = e;
        name_ = base + "." + e;
    }
    name_length_ = static_cast<int>(name_->size());
}

std::string filename_struct::directory_text() const {
    std::string s;
    if (has_drive_) {
        s += drive_;
        s += ':';
    }
    s += directory_.value_or("");
    return s;
}

std::string filename_struct::full_path() const {
    std::string s = directory_text();
    s += base_.value_or("");
    if (extension_) {
        s += '.';
        s += *extension_;
    }
    return s;
}

int filename_struct::test() {
    int failed = 0;
    const std::string dir = sep_path("\\windows\\system\\");
    const std::string long_base = "super long filename with blanks";
    auto parts_ok = [&](bool drive) {
        return extension_ == std::optional<std::string>("txt") && base_ == std::optional<std::string>(long_base) &&
               name_ == std::optional<std::string>(long_base + ".txt") && directory_ == std::optional<std::string>(dir) &&
               has_drive_ == drive;
    };
    set_path(sep_path("c:\\windows\\system\\super long filename with blanks.txt"));
    if (!parts_ok(true)) failed += 1;
    set_path(sep_path("\\windows\\system\\super long filename with blanks.txt"));
    if (!parts_ok(false)) failed += 2;
    set_path(sep_path("windows\\system\\super long filename with blanks.txt"));
    if (!parts_ok(false)) failed += 4;
    set_extension("csv");
    if (!(extension_ == std::optional<std::string>("csv") && name_ == std::optional<std::string>(long_base + ".csv")))
        failed += 8;
    set_name("corn.cost.csv");
    if (!(extension_ == std::optional<std::string>("csv") && base_ == std::optional<std::string>("corn.cost") &&
          name_ == std::optional<std::string>("corn.cost.csv")))
        failed += 16;
    set_path("corn.cost.csv");
    if (!(extension_ == std::optional<std::string>("csv") && base_ == std::optional<std::string>("corn.cost") &&
          name_ == std::optional<std::string>("corn.cost.csv") && directory_length_ == 0 && !has_drive_))
        failed += 32;
    return failed;
}

}  // namespace zelmora
