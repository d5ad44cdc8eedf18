#include "platform/quartzcore/CAAnimation.h"

#include <cmath>
#include <limits>

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// Repeats: the count, at least one pass.
double passes(float repeatCount) {
    if (std::isinf(repeatCount)) return kInfinity;
    return repeatCount > 0 ? repeatCount : 1;
}

}  // namespace

CFTimeInterval CAAnimation::endTime(CFTimeInterval defaultDuration) const {
    const double cycle = effectiveDuration(defaultDuration) * (autoreverses ? 2 : 1);
    const double active = cycle * passes(repeatCount);
    if (std::isinf(active) || speed == 0) return kInfinity;
    return beginTime + (active - timeOffset) / std::fabs(speed);
}

std::optional<CFTimeInterval> CAAnimation::passTime(CFTimeInterval parentTime, CFTimeInterval defaultDuration) const {
    const double d = effectiveDuration(defaultDuration);
    const double cycle = d * (autoreverses ? 2 : 1);
    const double count = passes(repeatCount);
    const double active = cycle * count;
    double t = (parentTime - beginTime) * speed + timeOffset;
    const bool backwards = fillMode == CAFillMode::Backwards || fillMode == CAFillMode::Both;
    const bool forwards = fillMode == CAFillMode::Forwards || fillMode == CAFillMode::Both;
    double inCycle;
    if (t < 0) {
        if (!backwards) return std::nullopt;
        inCycle = 0;
    } else if (t >= active) {
        if (!forwards) return std::nullopt;
        const double last = count - std::floor(count);
        inCycle = last == 0 ? cycle : last * cycle;  // where the last pass stopped
    } else {
        inCycle = std::fmod(t, cycle);
    }
    return autoreverses && inCycle > d ? 2 * d - inCycle : inCycle;
}
