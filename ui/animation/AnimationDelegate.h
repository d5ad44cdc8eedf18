#pragma once
// A layer animation's delegate that runs blocks: `start` when the animation starts and
// `completion` with the finished flag when it stops. Installed by the block accessors of
// CAAnimation+AnimationBlockUtility.h and owned by its animation.
#include <functional>

#include "platform/quartzcore/CAAnimation.h"

class AnimationDelegate : public CAAnimationDelegate {
public:
    ~AnimationDelegate() override;

    const std::function<void(bool)>& completion() const { return completion_; }
    void setCompletion(std::function<void(bool)> completion) { completion_ = std::move(completion); }
    const std::function<void()>& start() const { return start_; }
    void setStart(std::function<void()> start) { start_ = std::move(start); }

    void animationDidStart(CAAnimation& animation) override;
    void animationDidStop(CAAnimation& animation, bool finished) override;

private:
    std::function<void(bool)> completion_;
    std::function<void()> start_;
};
