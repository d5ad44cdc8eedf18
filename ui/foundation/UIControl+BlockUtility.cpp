#include "ui/foundation/UIControl+BlockUtility.h"

#include "ui/foundation/TargetActionBlock.h"

namespace BlockUtility {

void setBlock(UIControl& control, std::function<void(NSObject& sender)> block, UIControlEvents events) {
    auto adapter = TargetActionBlock::targetActionBlock(std::move(block));
    // The control holds the adapter; the action refers to it without owning it.
    control.addTarget(
        adapter.get(), [raw = adapter.get()](UIControl& sender, const UIEvent*) { raw->action(sender); }, events);
    control.setAssociatedObject(adapter.get(), adapter);
}

}  // namespace BlockUtility
