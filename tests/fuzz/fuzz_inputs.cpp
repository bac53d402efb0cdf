// Fuzz target: an inputs file read, checked and, when accepted, rated on the
// small Story County database. A refusal is one line of bounded length; an
// accepted farm never rates to nan or infinity.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "rating/farm_file.h"
#include "utility/ini_file.h"

using namespace zelmora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    memory_settings_store store;
    std::string error;
    if (!parse_ini_text(text, store, error)) {
        if (error.rfind("line ", 0) != 0 || error.find('\n') != std::string::npos) fuzzing::fault("line error", error);
        return 0;
    }
    if (!check_inputs(store, &store, error)) {
        // The longest key and allowed text with a value cut to 40 characters of up to 4 bytes.
        if (error.empty() || error.size() > 400 || error.find_first_of("\r\n") != std::string::npos)
            fuzzing::fault("refusal", error);
        return 0;
    }
    fuzzing::rate_and_check(fuzzing::scratch_database(), store, true);
    return 0;
}
