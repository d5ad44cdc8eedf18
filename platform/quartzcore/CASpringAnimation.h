#pragma once
// A basic animation whose progress follows a damped harmonic oscillator: a mass on a spring
// of some stiffness with viscous damping, starting at the from value with `initialVelocity`
// (in whole changes per second, towards the target when positive). The timing function is
// not used. At the end of its duration it rests on the target.
//
// `springWithDampingRatio` picks the stiffness so that the motion's envelope has fallen below
// 0.1 % of the change at the given duration: what view spring animations use.
#include "platform/quartzcore/CABasicAnimation.h"

class CASpringAnimation : public CABasicAnimation {
public:
    static constexpr double kSettledFraction = 0.001;

    static std::shared_ptr<CASpringAnimation> animationWithKeyPath(const std::string& keyPath);
    // Mass 1, damping ratio ζ (clamped to at least 0.001), the given initial velocity, and the
    // stiffness that settles within `duration`, which becomes the animation's duration.
    static std::shared_ptr<CASpringAnimation> springWithDampingRatio(const std::string& keyPath, double dampingRatio,
                                                                     double initialVelocity, CFTimeInterval duration);
    std::shared_ptr<CAAnimation> copy() const override { return std::make_shared<CASpringAnimation>(*this); }

    double mass = 1;
    double stiffness = 100;
    double damping = 10;
    double initialVelocity = 0;

    // The progress (0 at the start, 1 at rest) after t seconds of free motion.
    double springProgress(CFTimeInterval t) const;
    // The time after which the envelope of the motion stays below 0.1 % of the change.
    CFTimeInterval settlingDuration() const;

protected:
    double progressAt(CFTimeInterval passTime, CFTimeInterval duration) const override;
};
