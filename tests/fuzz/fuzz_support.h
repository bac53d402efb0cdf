#pragma once
// What both fuzz targets share: a fault that stops the run, a scratch copy of
// the small rating database, and the figures every rating must give.
#include <cstdlib>
#include <string>
#include <string_view>

#include "utility/settings_store.h"

namespace zelmora::fuzzing {

// Stops the run when a property does not hold (libFuzzer keeps the input).
[[noreturn]] void fault(const char* what, std::string_view detail);

// A file name in the temporary folder that belongs to this process.
std::string scratch_file(const char* name);

// The small rating database of the seed corpus (Story County, Iowa), copied
// once into the temporary folder so that runs never touch the source tree.
const std::string& scratch_database();

// Opens the database at `path` with the inputs and rates them the way "rate
// --tsv", "worksheet 1" and "whole-farm" do. With `figures_must_be_finite` a
// result that is nan or infinite is a fault.
void rate_and_check(const std::string& path, settings_store& inputs, bool figures_must_be_finite);

}  // namespace zelmora::fuzzing
