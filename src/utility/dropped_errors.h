#pragma once
// The sink for error text that a step collects but deliberately does not show:
// a page that shows its figures instead, a report whose rows already say what
// is missing. Pass a temporary where an error text is wanted:
//     state.load(db, dropped_errors{});
#include <string>

namespace zelmora {

class dropped_errors {
public:
    // The text the step appends to; it goes with the sink.
    operator std::string&() { return text_; }  // NOLINT: converts where an error text is wanted

private:
    std::string text_;
};

}  // namespace zelmora
