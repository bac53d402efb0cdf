// Fuzz target: a rating database made of the input's bytes, opened, loaded and
// rated with a fixed Story County farm the way the command line does. Nothing
// may crash, hang or leak, whatever the file holds.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "fuzz_support.h"
#include "utility/ini_file.h"

using namespace zelmora;

namespace {

const char* const farm =
    "[Settings]\n"
    "State FIPS=19\nCounty FIPS=169\nSections Corn=3\nCoverage 1=75\nCoverage Enterprise 1=80\n"
    "Units Corn=2\n"
    "Type 1 01=997\nPractice 1 01=3\nAPH Yield 1 01=150\nRate Yield 1 01=150\nCrop Acres 1 01=100\nCrop Share 1 01=1\n"
    "Optional Units 1 02=1\nType 1 02=997\nPractice 1 02=3\nAPH Yield 1 02=140\nRate Yield 1 02=140\n"
    "Crop Acres 1 02=80\nCrop Share 1 02=0.5\n"
    "Units Soybeans=1\nType 2 01=997\nPractice 2 01=3\nAPH Yield 2 01=45\nRate Yield 2 01=45\n"
    "Crop Acres 2 01=120\nCrop Share 2 01=1\nCoverage 2=70\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = fuzzing::scratch_file("database.sqlite");
    // A journal left by an earlier run would be rolled back into this file.
    std::filesystem::remove(path + "-journal");
    std::filesystem::remove(path + "-wal");
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) fuzzing::fault("cannot write", path);
    if (size > 0 && std::fwrite(data, 1, size, file) != size) fuzzing::fault("cannot write", path);
    std::fclose(file);

    memory_settings_store inputs;
    std::string error;
    if (!parse_ini_text(farm, inputs, error)) fuzzing::fault("farm", error);
    fuzzing::rate_and_check(path, inputs, false);
    return 0;
}
