#pragma once
// Texts made safe to write to a terminal: what the command line prints, and
// the offending values it quotes in its messages.
#include <string>
#include <string_view>

namespace zelmora {

// The text with every control character that a terminal would act on replaced
// by '?': C0 controls but the tab, the line feed and a carriage return before a
// line feed, DEL, and the C1 controls written in UTF-8 (0xC2 0x80..0x9F).
std::string printable_text(std::string_view text);

// The text as one line or one field of a line (a file name in a message or
// before a tab): every control character replaced by '?' as printable_text
// does, the tab and the line ends too.
std::string printable_line(std::string_view text);

// A value for a one-line message, in double quotes: at most its first
// `quoted_value_limit` characters (UTF-8 sequences kept whole), followed by
// "..." inside the quotes when it was cut, every control character replaced by '?'.
inline constexpr std::size_t quoted_value_limit = 40;
std::string quoted_value(std::string_view value);

}  // namespace zelmora
