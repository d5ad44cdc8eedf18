#include "platform/quartzcore/CABasicAnimation.h"

#include "platform/quartzcore/CALayer.h"

std::shared_ptr<CABasicAnimation> CABasicAnimation::animationWithKeyPath(const std::string& keyPath) {
    auto animation = std::make_shared<CABasicAnimation>();
    animation->keyPath = keyPath;
    return animation;
}

double CABasicAnimation::progressAt(CFTimeInterval passTime, CFTimeInterval duration) const {
    return eased(duration > 0 ? passTime / duration : 1);
}

void CABasicAnimation::apply(CALayerProperties& presentation, CFTimeInterval parentTime,
                             CFTimeInterval defaultDuration) const {
    const auto t = passTime(parentTime, defaultDuration);
    if (!t) return;
    const CAValue underneath = CALayerPropertiesValueForKeyPath(presentation, keyPath);
    CAValue from = underneath, to = underneath;
    if (fromValue && toValue) from = *fromValue, to = *toValue;
    else if (fromValue && byValue) from = *fromValue, to = CAValueAdd(*fromValue, *byValue);
    else if (byValue && toValue) from = CAValueSubtract(*toValue, *byValue), to = *toValue;
    else if (fromValue) from = *fromValue;
    else if (toValue) to = *toValue;
    else if (byValue) to = CAValueAdd(underneath, *byValue);
    const double progress = progressAt(*t, effectiveDuration(defaultDuration));
    CALayerPropertiesSetValueForKeyPath(presentation, keyPath, CAValueInterpolate(from, to, progress));
}
