#pragma once
// A farm file, which is also the command line's inputs file: the settings
// store's sections ("[Settings]", "[APHContinuous]") with the keys the
// calculator and the rater save, and the farm's inputs the settings store does
// not keep (all in the section "Settings"):
//   "Coverage Whole Farm"                  integer percent 65, 70, 75, 80 or 85
//   "PP Factor 5 <crop display name>"      decimal text, ppcl_factor[0] of the crop
//   "PP Factor 10 <crop display name>"     decimal text, ppcl_factor[1] of the crop
//   "CR Option <crop number> <unit %02d>"  decimal text, cr_option_factor of the unit
//   "Malting Barley Option"                1 (option A) or 2 (option B)
// Absent keys keep the calculator's values. A farm file may also say whose farm
// it is, in a section of its own, "[Farm Details]" (farm_details below), and
// how its expected payouts are estimated, in "[Payout Model]" (read_payout_model).
#include <string>
#include <string_view>

#include "rating/payout_simulation.h"
#include "utility/settings_store.h"

namespace zelmora {

struct farm;

inline constexpr const char* settings_section = "Settings";
inline constexpr const char* farm_details_section = "Farm Details";
inline constexpr const char* payout_model_section = "Payout Model";

// Who the farm is quoted for and by, as the quote prints them: the keys
// "Producer", "Agent", "Agent Contact" and "Note" of "[Farm Details]". Texts,
// each written in double quotes with a backslash written "\\" and a line break
// "\n", so that a note of several lines stays one line of the file and any text
// reads back as it was written (line breaks as "\n" alone). Nothing rates them.
struct farm_details {
    std::string producer;
    std::string agent;
    std::string agent_contact;
    std::string note;

    bool operator==(const farm_details&) const = default;
    bool empty() const { return *this == farm_details{}; }
};

// A detail's text as a farm file holds it, and back. Unknown escapes ("C:\farm")
// read as written.
std::string escaped_detail(std::string_view text);
std::string unescaped_detail(std::string_view text);

// The details a farm file's store holds; absent keys are empty.
farm_details read_farm_details(settings_store& store);

// The model of the farm's expected payouts that a store holds: the keys of
// payout_model_rules ("Yield CV", "Unit Correlation", "Crop Correlation",
// "Price Yield Correlation") in "[Payout Model]", decimal numbers; an absent key
// (or one check_inputs would refuse) keeps the model's default. Nothing rates them.
payout_model read_payout_model(settings_store& store);

// How a farm file's first line begins: the comment farm_file_text writes ("; Zelmora
// 2004 farm") and the examples' ("; Zelmora 2004 inputs: ..."). A desktop
// recognises farm files by it (the file type installed beside the program),
// whatever their names.
inline constexpr std::string_view farm_file_mark = "; Zelmora 2004 ";

// True when `path` names a farm file as a file manager or the command line of
// the application gives it: a name ending in ".ini" (in any case), or a file
// whose first line begins with farm_file_mark.
bool is_farm_file(const std::string& path);

// Checks the inputs before anything is rated: every key of the section that is
// present holds a value its row of input_rules allows (unit keys for the units
// 1..count of their crop only). `listed` is the inputs file's own store, which
// must have a "[Settings]" section and whose keys are also checked for names
// the command line does not know: a "PP Factor" or "CR Option" key that names
// no crop or unit of the inputs ("PP Factor 5 Corm", "CR Option 1 09"), and in
// "[Settings]", "[APHContinuous]" and "[Farm Details]" (the farm's free texts
// "Producer", "Agent", "Agent Contact" and "Note") any key that is not one of
// the section's, named with the closest one ("Crop Acre 1 01": "did you mean
// "Crop Acres 1 01"?"); other sections are not read. The keys of "[Payout
// Model]" are checked against their rows, and the correlation between crops
// may not exceed the one between units of a crop. nullptr for the user's
// settings store. False with a one-line reason naming the key, the value (cut
// to 40 characters) and what is allowed.
bool check_inputs(settings_store& store, const memory_settings_store* listed, std::string& error);

// Applies the keys above to a farm read from the settings store's keys.
void apply_command_line_inputs(settings_store& store, farm& f);

// Reads a farm file and checks it as the command line does (check_inputs);
// false with a one-line reason: "cannot read inputs file "PATH": ...", or
// "inputs file "PATH": " and the line or key at fault. `store` is then partly filled.
bool read_farm_file(const std::string& path, memory_settings_store& store, std::string& error);

// The farm the settings store's keys hold (sections "Settings" and
// "APHContinuous"), each key it lacks keeping the default farm's value.
farm read_farm_settings(settings_store& store);
// Writes those keys of the farm (what the window keeps for its next start).
void write_farm_settings(const farm& f, settings_store& store);

// The farm a store holds with the keys above applied: what the command line
// and the windows rate. Reads nothing from a database.
farm read_farm(settings_store& store);

// The text of a farm file: a comment line led by farm_file_mark, "[Settings]"
// with the keys in the order write_farm_settings writes them and then the keys
// above (whole-farm coverage, the prevented planting factors of every crop, the
// CR option of every unit, the malting barley option; factors with three places,
// or up to six when they need them), then "[APHContinuous]" with the rater's,
// then "[Payout Model]" with the model's keys whose values differ from the
// defaults (no section for the default model), then "[Farm Details]" with the
// details that are not empty (no section when all are). One "key=value" a line,
// lines ending in "\n": the same farm always gives the same text, and a change
// of one input changes one line.
std::string farm_file_text(const farm& f, const farm_details& details = {}, const payout_model& model = {});

// Writes the text as the file `path` atomically (atomic_file): into a
// temporary file beside it, flushed to the disk, then renamed over it, so that
// a failed write leaves the old file as it was. A symbolic link stays and the
// file it names is written; the file keeps its permissions. False with a
// one-line reason ("cannot write farm file "PATH": " and the system's reason).
bool write_farm_file(const std::string& path, const std::string& text, std::string& error);

}  // namespace zelmora
