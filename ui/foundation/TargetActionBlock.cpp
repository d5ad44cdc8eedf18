#include "ui/foundation/TargetActionBlock.h"

std::shared_ptr<TargetActionBlock> TargetActionBlock::targetActionBlock(Block block) {
    auto adapter = std::make_shared<TargetActionBlock>();
    adapter->setBlock(std::move(block));
    return adapter;
}

void TargetActionBlock::action(NSObject& sender) const {
    if (block_) block_(sender);
}
