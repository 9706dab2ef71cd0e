#include "Tilvane/Core/MotionPath.h"

#include <cmath>

double EasedProgress(double elapsed, double duration) {
    if (!(duration > 0) || elapsed >= duration) return 1.0;
    if (!(elapsed > 0)) return 0.0;
    const double t = elapsed / duration;
    // Smoothstep: no jump in speed at either end.
    return t * t * (3.0 - 2.0 * t);
}

TCellRect RectBetween(const TCellRect& from, const TCellRect& to, double progress) {
    const auto along = [progress](int32_t a, int32_t b) {
        return static_cast<int32_t>(std::lround(a + (static_cast<double>(b) - a) * progress));
    };
    const int32_t left = along(from.Left, to.Left), top = along(from.Top, to.Top);
    return TCellRect{left, top, left + from.Width(), top + from.Height()};
}
