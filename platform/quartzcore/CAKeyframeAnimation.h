#pragma once
// An animation of a key path through a list of values. `keyTimes` (fractions of the duration,
// one per value, rising from 0 to 1; spread evenly when absent or of the wrong length) say
// when each value is reached; `timingFunctions` (one per segment) shape each segment. Linear
// mode interpolates within a segment; discrete mode holds each value until the next key time.
// The paced and cubic modes of other toolkits are not offered.
#include <vector>

#include "platform/quartzcore/CAAnimation.h"

enum class CAAnimationCalculationMode { Linear, Discrete };

class CAKeyframeAnimation : public CAPropertyAnimation {
public:
    static std::shared_ptr<CAKeyframeAnimation> animationWithKeyPath(const std::string& keyPath);
    std::shared_ptr<CAAnimation> copy() const override { return std::make_shared<CAKeyframeAnimation>(*this); }

    std::vector<CAValue> values;
    std::vector<double> keyTimes;
    std::vector<CAMediaTimingFunction> timingFunctions;
    CAAnimationCalculationMode calculationMode = CAAnimationCalculationMode::Linear;

    void apply(CALayerProperties& presentation, CFTimeInterval parentTime,
               CFTimeInterval defaultDuration) const override;
    // The value at a fraction of the duration (after the animation's own timing function).
    CAValue valueAtFraction(double fraction) const;
};
