#include "cli/number_text.h"

namespace zelmora {

std::string number_text(const exact_decimal& value, int places, bool separators) {
    std::string text = value.to_text(places);
    return separators ? insert_separators(text) : text;
}

}  // namespace zelmora
