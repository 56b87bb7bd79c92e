// Absolute mouse-event coordinates over the display's size.
#include "browser/absolute.h"

#include <gtest/gtest.h>

namespace {

TEST(AbsoluteCoordinates, ScaleToTheDisplayAndTruncateTowardZero) {
    const struct {
        long x, y;
        unsigned long width, height;
        long dx, dy;
    } rows[] = {
        {960, 540, 1920, 1080, 32767, 32767},   // the centre of a 1920 x 1080 display
        {1920, 1080, 1920, 1080, 65535, 65535}, // its far edge
        {0, 0, 1280, 1024, 0, 0},
        {1, 1, 1280, 1024, 51, 63},
        {-10, 5, 1024, 768, -639, 426}, // left of the display: toward zero, not down
        {5, 5, 0, 0, 327675, 327675},   // a display mode that could not be read counts as one pixel
    };
    for (const auto& r : rows) {
        brovana::AbsolutePoint a = brovana::absoluteCoordinates(r.x, r.y, r.width, r.height);
        EXPECT_EQ(a.dx, r.dx) << r.x << " of " << r.width;
        EXPECT_EQ(a.dy, r.dy) << r.y << " of " << r.height;
    }
}

} // namespace
