#pragma once
// Block accessors on any layer animation: the blocks live in an AnimationDelegate that
// becomes the animation's delegate (replacing any other delegate it had) the first time one
// is set, even to null. Reading answers null when the delegate is not an AnimationDelegate.
#include <functional>

#include "platform/quartzcore/CAAnimation.h"

namespace AnimationBlockUtility {

void setCompletion(CAAnimation& animation, std::function<void(bool)> completion);
void setStart(CAAnimation& animation, std::function<void()> start);
std::function<void(bool)> completion(const CAAnimation& animation);
std::function<void()> start(const CAAnimation& animation);

}  // namespace AnimationBlockUtility
