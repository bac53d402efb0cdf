// The unit a crop is priced in is the unit its rates give yields in; a price far
// from what that unit makes plausible gets a warning, not a refusal.
#include <gtest/gtest.h>

#include "data/crops.h"
#include "rating/crop_units.h"

using namespace zelmora;

TEST(CropUnits, PricesAreInTheUnitOfTheRatesYieldsAndFarOffPricesAreNamed) {
    EXPECT_STREQ(yield_unit_of(crop_corn), "bushel");
    EXPECT_STREQ(yield_unit_of(crop_rice), "pound");  // the rates give rice in pounds per acre
    EXPECT_STREQ(yield_unit_of(crop_cotton), "pound");
    EXPECT_EQ(price_places(crop_rice), 4);
    const struct {
        int crop;
        double price;
        const char* warning;
    } cases[] = {
        {crop_rice, 0.07, ""},
        {crop_rice, 7.00, "Rice is priced per pound here: 7.0000 is far above the usual 0.02 to 2.00"},
        {crop_corn, 2.83, ""},
        {crop_corn, 0.05, "Corn is priced per bushel here: 0.05 is far below the usual 1.00 to 30.00"},
        {crop_soybeans, 0.0, ""},  // no price: nothing insured
    };
    for (const auto& c : cases) {
        const auto warning = implausible_price_warning(c.crop, c.price);
        EXPECT_EQ(warning.value_or(""), c.warning) << c.price;
    }
}
