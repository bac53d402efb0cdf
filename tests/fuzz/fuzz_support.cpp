#include "fuzz_support.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "cli/commands.h"
#include "cli/session.h"
#include "rating/reports.h"

namespace zelmora::fuzzing {

void fault(const char* what, std::string_view detail) {
    std::fprintf(stderr, "fuzz fault: %s\n%.*s\n", what, static_cast<int>(std::min<std::size_t>(detail.size(), 2000)),
                 detail.data());
    std::abort();
}

namespace {

// The scratch files of this process, removed when it ends.
struct scratch_files {
    std::vector<std::string> paths;
    ~scratch_files() {
        std::error_code ec;
        for (const std::string& path : paths)
            for (const char* suffix : {"", "-journal", "-wal", "-shm"}) std::filesystem::remove(path + suffix, ec);
    }
};

}  // namespace

std::string scratch_file(const char* name) {
    static scratch_files files;
    files.paths.push_back((std::filesystem::temp_directory_path() /
                           ("zelmora-fuzz-" + std::to_string(::getpid()) + "-" + name))
                              .string());
    return files.paths.back();
}

const std::string& scratch_database() {
    static const std::string path = [] {
        const std::string copy = scratch_file("story-county.sqlite");
        std::filesystem::copy_file(ZELMORA_FUZZ_DATABASE, copy, std::filesystem::copy_options::overwrite_existing);
        return copy;
    }();
    return path;
}

namespace {

void check_finite(const char* what, const exact_decimal& value) {
    if (!std::isfinite(value.to_double())) fault(what, value.to_text(2));
}

// Every result of the last compute_all.
void check_results(const premium_calculator& k) {
    for (const unit_list& units : k.units)
        for (const insurance_unit& u : units)
            for (const exact_decimal* v : {&u.base_rate, &u.reference_yield, &u.residual_factor, &u.revenue_guarantee,
                                           &u.loaded_per_acre_premium, &u.total_premium, &u.ra_subsidy,
                                           &u.producer_premium})
                check_finite("unit result", *v);
    for (const crop_decimals* a :
         {&k.enterprise_revenue_guarantee, &k.enterprise_base_rate, &k.enterprise_aph_yield,
          &k.enterprise_discount_ratio, &k.enterprise_discounted_rate, &k.enterprise_premium_rate,
          &k.enterprise_residual_factor, &k.loaded_enterprise_premium, &k.total_loaded_enterprise_premium,
          &k.enterprise_per_acre_premium, &k.enterprise_subsidy, &k.enterprise_producer_premium, &k.percent_liability,
          &k.liability_per_acre, &k.weighted_aph_yield})
        for (const exact_decimal& v : *a) check_finite("enterprise result", v);
    for (const exact_decimal* v :
         {&k.revenue_guarantee_whole_farm, &k.premium_rate_whole_farm, &k.limit_whole_farm,
          &k.per_acre_premium_whole_farm, &k.base_premium_whole_farm, &k.total_premium_whole_farm,
          &k.ra_subsidy_whole_farm, &k.producer_premium_whole_farm, &k.arg_minimum_whole_farm,
          &k.arg_maximum_whole_farm})
        check_finite("whole-farm result", *v);
}

}  // namespace

void rate_and_check(const std::string& path, settings_store& session_inputs, bool figures_must_be_finite) {
    session s;
    std::string errors;
    if (!open_session(path, session_inputs, s, errors)) return;
    premium_calculator& k = *s.calculator;
    const std::string tsv = rate_tsv(s);
    if (figures_must_be_finite) check_results(k);
    std::string worksheet;
    k.compute_all(*s.surcharges, errors);
    k.single_crop_worksheet(worksheet, crop_corn, *s.surcharges);
    const std::string whole_farm = whole_farm_copy_text(k);
    if (figures_must_be_finite) check_results(k);
}

}  // namespace zelmora::fuzzing
