#include "fuzz_support.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "cli/commands.h"
#include "cli/session.h"
#include "rating/farm_rating.h"
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

// What a caller may show: no guarantee, premium or subsidy below zero or
// printed as -0, and neither the subsidy nor the producer premium above the premium.
void check_shown(const char* what, const premium_figures& f) {
    for (const exact_decimal* v : {&f.revenue_guarantee, &f.per_acre_premium, &f.total_premium, &f.subsidy,
                                   &f.producer_premium}) {
        check_finite(what, *v);
        if (std::signbit(v->to_double())) fault(what, "a figure below zero or -0: " + v->to_text(2));
    }
    if (f.subsidy > f.total_premium) fault(what, "subsidy above the total premium: " + f.subsidy.to_text(0));
    if (f.producer_premium > f.total_premium)
        fault(what, "producer premium above the total premium: " + f.producer_premium.to_text(0));
}

// Every figure and step of a rating.
void check_results(const farm_rating& rating) {
    for (const std::vector<unit_rating>& units : rating.units)
        for (const unit_rating& u : units) {
            for (const exact_decimal* v : {&u.base_rate, &u.reference_yield, &u.residual_factor})
                check_finite("unit result", *v);
            if (u.figures)
                for (const exact_decimal* v : {&u.figures->revenue_guarantee, &u.figures->per_acre_premium,
                                               &u.figures->total_premium, &u.figures->subsidy,
                                               &u.figures->producer_premium})
                    check_finite("unit result", *v);
        }
    const enterprise_results& e = rating.enterprise;
    const whole_farm_results& w = rating.whole_farm;
    for (const crop_decimals* a :
         {&e.enterprise_revenue_guarantee, &e.enterprise_base_rate, &e.enterprise_aph_yield,
          &e.enterprise_discount_ratio, &e.enterprise_discounted_rate, &e.enterprise_premium_rate,
          &e.enterprise_residual_factor, &e.loaded_enterprise_premium, &e.total_loaded_enterprise_premium,
          &e.enterprise_per_acre_premium, &e.enterprise_subsidy, &e.enterprise_producer_premium, &w.percent_liability,
          &w.liability_per_acre, &w.weighted_aph_yield})
        for (const exact_decimal& v : *a) check_finite("enterprise result", v);
    for (const exact_decimal* v :
         {&w.revenue_guarantee_whole_farm, &w.premium_rate_whole_farm, &w.limit_whole_farm,
          &w.per_acre_premium_whole_farm, &w.base_premium_whole_farm, &w.total_premium_whole_farm,
          &w.ra_subsidy_whole_farm, &w.producer_premium_whole_farm, &w.arg_minimum_whole_farm,
          &w.arg_maximum_whole_farm})
        check_finite("whole-farm result", *v);
}

}  // namespace

void rate_and_check(const std::string& path, settings_store& session_inputs, bool figures_must_be_finite) {
    session s;
    std::string errors;
    std::string read_errors;
    if (!open_session(path, session_inputs, s, errors, read_errors)) return;
    const std::string tsv = rate_tsv(s.ratings, s.rated_farm);
    if (figures_must_be_finite) {
        const farm_rating rating = s.ratings.rate(s.rated_farm);
        check_results(rating);
        for (int c = 1; c <= crop_count; ++c) {
            for (const unit_rating& u : rating.units[static_cast<std::size_t>(c - 1)])
                if (u.figures) check_shown("unit figures", *u.figures);
            if (const auto enterprise = rating.complete_enterprise_figures(c)) check_shown("enterprise figures", *enterprise);
        }
        if (const auto whole = rating.complete_whole_farm_figures()) check_shown("whole-farm figures", *whole);
    }
    const std::string worksheet = single_crop_worksheet(s.ratings, s.rated_farm, crop_corn, true);
    const std::string whole_farm = whole_farm_copy_text(s.ratings, s.rated_farm);
}

}  // namespace zelmora::fuzzing
