#include "platform/quartzcore/CAMediaTimingFunction.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace {

// One coordinate of the Bézier with end points 0 and 1 at parameter s.
double bezier(double p1, double p2, double s) {
    const double u = 1 - s;
    return 3 * u * u * s * p1 + 3 * u * s * s * p2 + s * s * s;
}

double bezierSlope(double p1, double p2, double s) {
    const double u = 1 - s;
    return 3 * u * u * p1 + 6 * u * s * (p2 - p1) + 3 * s * s * (1 - p2);
}

}  // namespace

CAMediaTimingFunction::CAMediaTimingFunction(double c1x, double c1y, double c2x, double c2y)
    : c1x_(std::clamp(c1x, 0.0, 1.0)), c1y_(c1y), c2x_(std::clamp(c2x, 0.0, 1.0)), c2y_(c2y) {}

CAMediaTimingFunction CAMediaTimingFunction::functionWithName(const std::string& name) {
    if (name == kCAMediaTimingFunctionLinear) return {0, 0, 1, 1};
    if (name == kCAMediaTimingFunctionEaseIn) return {0.42, 0, 1, 1};
    if (name == kCAMediaTimingFunctionEaseOut) return {0, 0, 0.58, 1};
    if (name == kCAMediaTimingFunctionEaseInEaseOut) return {0.42, 0, 0.58, 1};
    if (name == kCAMediaTimingFunctionDefault) return {0.25, 0.1, 0.25, 1};
    throw std::invalid_argument("unknown timing function name: " + name);
}

CGPoint CAMediaTimingFunction::getControlPointAtIndex(std::size_t index) const {
    switch (index) {
    case 0: return {0, 0};
    case 1: return {c1x_, c1y_};
    case 2: return {c2x_, c2y_};
    default: return {1, 1};
    }
}

double CAMediaTimingFunction::evaluate(double fraction) const {
    const double x = std::clamp(fraction, 0.0, 1.0);
    if (x == 0 || x == 1) return x;
    // x(s) is monotonic for control x in 0-1: Newton steps, then bisection if they stall.
    double s = x;
    for (int i = 0; i < 8; ++i) {
        const double error = bezier(c1x_, c2x_, s) - x;
        if (std::fabs(error) < 1e-12) return bezier(c1y_, c2y_, s);
        const double slope = bezierSlope(c1x_, c2x_, s);
        if (std::fabs(slope) < 1e-9) break;
        s = std::clamp(s - error / slope, 0.0, 1.0);
    }
    double lo = 0, hi = 1;
    s = x;
    for (int i = 0; i < 60; ++i) {
        s = (lo + hi) / 2;
        (bezier(c1x_, c2x_, s) < x ? lo : hi) = s;
    }
    return bezier(c1y_, c2y_, s);
}
