#pragma once
// The INI reader of farm files (the command line's inputs files): a text whose
// sections and keys are those of the settings store ("[Settings]", "[APHContinuous]").
#include <string>
#include <string_view>

#include "utility/settings_store.h"

namespace zelmora {

// Decodes the %XX escapes that QSettings writes into keys ("State%20FIPS").
// False when a '%' is not followed by two hexadecimal digits.
bool decode_key_escapes(std::string_view key, std::string& decoded);

// Reads INI text into the store. Lines end in LF, CR LF or a lone CR; a NUL
// byte in a line is an error. Lines are "[section]", "key=value", blank, or
// comments starting with ';' or '#'. Blanks around keys and values are
// dropped, blanks inside kept; a value in double quotes loses its quotes.
// Values that are whole integers are stored as integers, the rest (and every
// value in double quotes) as texts.
// On a malformed line returns false and sets `error` to "line N: reason".
bool parse_ini_text(std::string_view text, memory_settings_store& store, std::string& error);

// Inputs files larger than this are refused.
inline constexpr std::size_t max_inputs_file_size = 16u * 1024u * 1024u;

// Reads the file; false with a one-line reason when it cannot be read, is not a
// regular file (a directory, a device, a FIFO), is larger than the limit or is malformed.
bool read_ini_file(const std::string& path, memory_settings_store& store, std::string& error);

}  // namespace zelmora
