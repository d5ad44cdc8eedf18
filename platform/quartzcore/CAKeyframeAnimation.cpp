#include "platform/quartzcore/CAKeyframeAnimation.h"

#include <algorithm>

#include "platform/quartzcore/CALayer.h"

std::shared_ptr<CAKeyframeAnimation> CAKeyframeAnimation::animationWithKeyPath(const std::string& keyPath) {
    auto animation = std::make_shared<CAKeyframeAnimation>();
    animation->keyPath = keyPath;
    return animation;
}

CAValue CAKeyframeAnimation::valueAtFraction(double fraction) const {
    const std::size_t n = values.size();
    if (n == 0) return std::monostate{};
    if (n == 1) return values[0];
    std::vector<double> times = keyTimes;
    if (times.size() != n) {
        times.clear();
        for (std::size_t i = 0; i < n; ++i) times.push_back(static_cast<double>(i) / static_cast<double>(n - 1));
    }
    fraction = std::clamp(fraction, 0.0, 1.0);
    // The segment [times[i], times[i + 1]] holding the fraction.
    std::size_t i = 0;
    while (i + 2 < n && fraction >= times[i + 1]) ++i;
    if (fraction >= times[n - 1]) return values[n - 1];
    if (fraction <= times[0]) return values[0];
    if (calculationMode == CAAnimationCalculationMode::Discrete) return values[i];
    const double span = times[i + 1] - times[i];
    double local = span > 0 ? (fraction - times[i]) / span : 1;
    if (i < timingFunctions.size()) local = timingFunctions[i].evaluate(local);
    return CAValueInterpolate(values[i], values[i + 1], local);
}

void CAKeyframeAnimation::apply(CALayerProperties& presentation, CFTimeInterval parentTime,
                                CFTimeInterval defaultDuration) const {
    const auto t = passTime(parentTime, defaultDuration);
    if (!t || values.empty()) return;
    const double d = effectiveDuration(defaultDuration);
    CALayerPropertiesSetValueForKeyPath(presentation, keyPath, valueAtFraction(eased(d > 0 ? *t / d : 1)));
}
