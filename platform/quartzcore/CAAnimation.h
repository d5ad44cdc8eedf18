#pragma once
// Animations: objects added to a layer under a key that change what the layer's presentation
// answers while they run. The model is never changed by them.
//
// Timing: an animation starts at `beginTime` (media time; 0 when added means "now"), runs for
// `duration` (0 means 0.25 s, or the group's duration inside a group), `repeatCount` times
// (fractions allowed, HUGE_VALF or infinity for ever), each time there and back when it
// `autoreverses`, at `speed`. Outside its active time it shows only as its `fillMode` says.
// Within one pass its `timingFunction` maps the time to the progress.
//
// Life on a layer: the layer copies the animation when it is added (so changing the object
// afterwards changes nothing on screen). The delegate hears `animationDidStart` in the first
// run-loop pass at or after the begin time, and `animationDidStop` with finished YES in the
// first pass at or after the end, or with finished NO in the next pass when the animation is
// removed, replaced under its key, or its layer goes away first. With `removedOnCompletion`
// the animation leaves the layer when it finishes. The animation owns its delegate.
//
// This file holds CAAnimation and CAPropertyAnimation; CABasicAnimation, CAKeyframeAnimation,
// CASpringAnimation and CAAnimationGroup have files of their own.
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/NSObject.h"
#include "platform/quartzcore/CABase.h"
#include "platform/quartzcore/CAMediaTimingFunction.h"
#include "platform/quartzcore/CAValue.h"

struct CALayerProperties;
class CAAnimation;

class CAAnimationDelegate : public NSObject {
public:
    virtual ~CAAnimationDelegate() = default;
    virtual void animationDidStart(CAAnimation&) {}
    virtual void animationDidStop(CAAnimation&, bool finished) {}
};

enum class CAFillMode { Removed, Forwards, Backwards, Both };

class CAAnimation : public NSObject {
public:
    static constexpr CFTimeInterval kDefaultDuration = 0.25;

    virtual ~CAAnimation() = default;
    // A copy of the same kind (sharing the delegate and, for a group, its children).
    virtual std::shared_ptr<CAAnimation> copy() const = 0;

    CFTimeInterval beginTime = 0;
    CFTimeInterval duration = 0;
    float speed = 1;
    CFTimeInterval timeOffset = 0;
    float repeatCount = 0;
    bool autoreverses = false;
    CAFillMode fillMode = CAFillMode::Removed;
    bool removedOnCompletion = true;
    std::optional<CAMediaTimingFunction> timingFunction;  // none: linear

    const std::shared_ptr<CAAnimationDelegate>& delegate() const { return delegate_; }
    void setDelegate(std::shared_ptr<CAAnimationDelegate> delegate) { delegate_ = std::move(delegate); }

    // Writes the animation's value at a media time into the presentation.
    void applyToPresentation(CALayerProperties& presentation, CFTimeInterval time) const {
        apply(presentation, time, kDefaultDuration);
    }
    // When the animation ends on its own (infinity for ever), by its parent's clock.
    CFTimeInterval endTime(CFTimeInterval defaultDuration = kDefaultDuration) const;
    // Whether the animation changes a key path whose first key satisfies the test.
    virtual bool changesKey(const std::function<bool(const std::string&)>& test) const = 0;

    // For a group: the animation evaluated at a time of the parent's clock.
    virtual void apply(CALayerProperties& presentation, CFTimeInterval parentTime,
                       CFTimeInterval defaultDuration) const = 0;

protected:
    CFTimeInterval effectiveDuration(CFTimeInterval defaultDuration) const {
        return duration > 0 ? duration : defaultDuration;
    }
    // The time within one pass (0 to the duration, run backwards on the way back), or none
    // while the animation does not apply.
    std::optional<CFTimeInterval> passTime(CFTimeInterval parentTime, CFTimeInterval defaultDuration) const;
    // The timing function applied to a fraction of the pass.
    double eased(double fraction) const { return timingFunction ? timingFunction->evaluate(fraction) : fraction; }

private:
    std::shared_ptr<CAAnimationDelegate> delegate_;
};

// An animation of one key path of the layer.
class CAPropertyAnimation : public CAAnimation {
public:
    std::string keyPath;
    bool changesKey(const std::function<bool(const std::string&)>& test) const override {
        return test(keyPath.substr(0, keyPath.find('.')));
    }
};
