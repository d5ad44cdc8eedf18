#include "platform/quartzcore/CAAnimationGroup.h"

void CAAnimationGroup::apply(CALayerProperties& presentation, CFTimeInterval parentTime,
                             CFTimeInterval defaultDuration) const {
    const auto t = passTime(parentTime, defaultDuration);
    if (!t) return;
    const double d = effectiveDuration(defaultDuration);
    const double childTime = d > 0 ? eased(*t / d) * d : 0;
    for (const auto& child : animations)
        if (child) child->apply(presentation, childTime, d);
}

bool CAAnimationGroup::changesKey(const std::function<bool(const std::string&)>& test) const {
    for (const auto& child : animations)
        if (child && child->changesKey(test)) return true;
    return false;
}
