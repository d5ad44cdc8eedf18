#include "ui/foundation/CADisplayLink+BlockUtility.h"

#include "ui/foundation/NSObject+ObjectUtility.h"
#include "ui/foundation/TargetActionBlock.h"

std::shared_ptr<CADisplayLink> BlockUtility::displayLinkWithBlock(std::function<void(CADisplayLink&)> block) {
    auto adapter = TargetActionBlock::targetActionBlock([block = std::move(block)](NSObject& sender) {
        if (block) block(static_cast<CADisplayLink&>(sender));
    });
    // The link owns the adapter, so the raw pointer in its action outlives every call.
    const TargetActionBlock* target = adapter.get();
    auto link = CADisplayLink::displayLinkWithTarget([target](CADisplayLink& l) { target->action(l); });
    ObjectUtility::setAssociatedObject(*link, adapter);
    return link;
}
