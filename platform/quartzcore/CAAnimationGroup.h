#pragma once
// Animations run together on one clock: the children's begin times count from the group's
// start, a child without a duration of its own lasts as long as the group, and the group's
// timing function bends the time all its children see. Children are clipped to the group's
// active time; the group's fill mode decides what shows outside it.
#include <vector>

#include "platform/quartzcore/CAAnimation.h"

class CAAnimationGroup : public CAAnimation {
public:
    static std::shared_ptr<CAAnimationGroup> animation() { return std::make_shared<CAAnimationGroup>(); }
    std::shared_ptr<CAAnimation> copy() const override { return std::make_shared<CAAnimationGroup>(*this); }

    std::vector<std::shared_ptr<CAAnimation>> animations;

    void apply(CALayerProperties& presentation, CFTimeInterval parentTime,
               CFTimeInterval defaultDuration) const override;
    bool changesKey(const std::function<bool(const std::string&)>& test) const override;
};
