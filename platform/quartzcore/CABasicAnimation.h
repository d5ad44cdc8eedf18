#pragma once
// An animation of a key path between two values. Of from, to and by: from and to run from one
// to the other; from and by from `from` to from + by; by and to from to − by to `to`; only
// from, from `from` to the value underneath (the model, or what the animations added before
// this one make of it); only to, from that value to `to`; only by, from it to it + by.
#include "platform/quartzcore/CAAnimation.h"

class CABasicAnimation : public CAPropertyAnimation {
public:
    static std::shared_ptr<CABasicAnimation> animationWithKeyPath(const std::string& keyPath);
    std::shared_ptr<CAAnimation> copy() const override { return std::make_shared<CABasicAnimation>(*this); }

    std::optional<CAValue> fromValue, toValue, byValue;

    void apply(CALayerProperties& presentation, CFTimeInterval parentTime,
               CFTimeInterval defaultDuration) const override;

protected:
    // The progress (0 to 1, beyond for overshoot) at a time within the pass.
    virtual double progressAt(CFTimeInterval passTime, CFTimeInterval duration) const;
};
