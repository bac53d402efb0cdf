#pragma once
// Splits a path into drive, directory, name, base and extension and puts the
// parts back together. The separator is the platform's ('/' here, '\' on
// Windows); a drive is a letter and a colon at the start of the path.
#include <functional>
#include <optional>
#include <string>

namespace zelmora {

#ifdef _WIN32
inline constexpr char path_separator = '\\';
#else
inline constexpr char path_separator = '/';
#endif

class filename_struct {
public:
    filename_struct();  // runs the self-test, then starts empty
    filename_struct(const filename_struct& other);
    filename_struct& operator=(const filename_struct& other);

    bool set_path(const std::string& path);
    bool set_name(const std::string& name);
    void set_extension(const std::string& extension);
    void set_directory(const std::string& directory);

    std::string directory_text() const;
    std::string full_path() const;

    // Runs the six splitting cases; returns the sum of the failed cases' bits.
    int test();

    char drive() const { return drive_; }
    bool has_drive() const { return has_drive_; }
    const std::optional<std::string>& name() const { return name_; }
    const std::optional<std::string>& directory() const { return directory_; }
    const std::optional<std::string>& base() const { return base_; }
    const std::optional<std::string>& extension() const { return extension_; }
    int name_length() const { return name_length_; }
    int directory_length() const { return directory_length_; }

private:
    void clear();

    char drive_ = '*';
    std::optional<std::string> name_;
    std::optional<std::string> directory_;
    std::optional<std::string> base_;
    std::optional<std::string> extension_;
    int name_length_ = 0;
    int directory_length_ = 0;
    bool has_drive_ = false;
};

// Where the self-test's failure message goes: a message box in the window
// layer, standard error elsewhere (the default).
using failure_message_hook = std::function<void(const std::string& message)>;
void set_filename_failure_hook(failure_message_hook hook);

}  // namespace zelmora
