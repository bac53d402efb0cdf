#pragma once
// Crop numbers, codes and names, and the 23 rated states.
#include <array>

namespace zelmora {

inline constexpr int crop_count = 9;  // crop numbers 1..9
inline constexpr int crop_corn = 1, crop_soybeans = 2, crop_spring_wheat = 3, crop_canola = 4, crop_sunflower = 5,
                     crop_barley = 6, crop_winter_wheat = 7, crop_cotton = 8, crop_rice = 9;

// "Corn", "Soybeans", "Spring Wheat", ...; nullptr for another number.
const char* crop_display_name(int crop_number);
// "Corn", "Soybeans", "SpringWheat", ...; nullptr for another number.
const char* crop_key_name(int crop_number);
// 41, 81, 11, 15, 78, 91, 11, 21, 18; -1 for another number.
int crop_code(int crop_number);
// The crop number of a row's crop code (11 with type 12 is Spring Wheat, other
// types Winter Wheat); 0 when the code has no crop.
int crop_number_of_code(int crop_code, int type_code);

inline constexpr int rated_state_count = 23;
inline constexpr std::array<int, rated_state_count> rated_states = {4,  5,  8,  16, 17, 18, 19, 20, 21, 22, 26, 27,
                                                                    29, 30, 31, 35, 37, 38, 39, 40, 46, 47, 51};
// Position of a state FIPS code in the rated-state list, or -1.
int state_index(int state_fips);

}  // namespace zelmora
