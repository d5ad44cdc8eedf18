#pragma once
// A display link that calls a block, through a `TargetActionBlock` the link keeps as its
// associated object (so the block lives exactly as long as the link).
#include <functional>
#include <memory>

#include "platform/quartzcore/CADisplayLink.h"

namespace BlockUtility {

// Not yet on a run loop, as `CADisplayLink::displayLinkWithTarget`.
std::shared_ptr<CADisplayLink> displayLinkWithBlock(std::function<void(CADisplayLink&)> block);

}  // namespace BlockUtility
