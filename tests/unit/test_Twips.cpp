#include "views/common/Twips.h"

#include <gtest/gtest.h>

namespace {

// Lengths of the main window at the three common resolutions: its client area, a button, the
// gap between two buttons, a frame's inner offset, a negative left edge (a control placed
// outside the client area), and the default and title fonts.
struct Case {
    int twips;
    int at96;
    int at120;
    int at144;
};

TEST(Twips, LengthsAtTheCommonResolutions) {
    const Case cases[] = {
        {5670, 378, 473, 567}, // client width
        {5940, 396, 495, 594}, // client height
        {1095, 73, 91, 110},   // button width: 91.25 and 109.5 round to 91 and 110
        {350, 23, 29, 35},     // button height: 23.33, 29.17
        {345, 23, 29, 35},     // 23.0, 28.75, 34.5 (halves away from zero)
        {120, 8, 10, 12},      // frame's inner offset
        {7, 0, 1, 1},          // 0.47, 0.58, 0.7 of a pixel
        {-120, -8, -10, -12},  // left of the client area
        {-7, 0, -1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.twips);
        EXPECT_EQ(TwipsToPixels(c.twips, 96), c.at96);
        EXPECT_EQ(TwipsToPixels(c.twips, 120), c.at120);
        EXPECT_EQ(TwipsToPixels(c.twips, 144), c.at144);
    }
}

TEST(Twips, FontHeightsAtTheCommonResolutions) {
    const struct {
        double points;
        int at96;
        int at120;
        int at144;
    } cases[] = {
        {8.25, 11, 14, 17}, // 11.0, 13.75, 16.5
        {9.75, 13, 16, 20}, // 13.0, 16.25, 19.5
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.points);
        EXPECT_EQ(PointsToPixels(c.points, 96), c.at96);
        EXPECT_EQ(PointsToPixels(c.points, 120), c.at120);
        EXPECT_EQ(PointsToPixels(c.points, 144), c.at144);
    }
}

} // namespace
