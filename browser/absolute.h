// Absolute mouse-event coordinates.
#pragma once

namespace brovana {

struct AbsolutePoint {
    long dx, dy;
};

// A screen point scaled to the 0..65535 coordinates of absolute mouse events over a display of width × height
// pixels: computed in double precision and truncated toward zero, so that x = width gives 65535.
inline AbsolutePoint absoluteCoordinates(long x, long y, unsigned long width, unsigned long height) {
    const double w = width ? width : 1, h = height ? height : 1;
    return {static_cast<long>(65535.0 / w * x), static_cast<long>(65535.0 / h * y)};
}

} // namespace brovana
