#include "data/crops.h"

namespace zelmora {

namespace {
constexpr const char* display_names[crop_count] = {"Corn",   "Soybeans",     "Spring Wheat", "Canola", "Sunflower",
                                                   "Barley", "Winter Wheat", "Cotton",       "Rice"};
constexpr const char* key_names[crop_count] = {"Corn",   "Soybeans",    "SpringWheat", "Canola", "Sunflower",
                                               "Barley", "WinterWheat", "Cotton",      "Rice"};
constexpr int codes[crop_count] = {41, 81, 11, 15, 78, 91, 11, 21, 18};
}  // namespace

const char* crop_display_name(int c) { return c >= 1 && c <= crop_count ? display_names[c - 1] : nullptr; }
const char* crop_key_name(int c) { return c >= 1 && c <= crop_count ? key_names[c - 1] : nullptr; }
int crop_code(int c) { return c >= 1 && c <= crop_count ? codes[c - 1] : -1; }

int crop_number_of_code(int code, int type_code) {
    switch (code) {
        case 41: return crop_corn;
        case 81: return crop_soybeans;
        case 11: return type_code == 12 ? crop_spring_wheat : crop_winter_wheat;
        case 15: return crop_canola;
        case 78: return crop_sunflower;
        case 91: return crop_barley;
        case 21: return crop_cotton;
        case 18: return crop_rice;
        default: return 0;
    }
}

int state_index(int state_fips) {
    for (int i = 0; i < rated_state_count; ++i)
        if (rated_states[static_cast<std::size_t>(i)] == state_fips) return i;
    return -1;
}

}  // namespace zelmora
