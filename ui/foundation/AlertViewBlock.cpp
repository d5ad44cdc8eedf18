#include "ui/foundation/AlertViewBlock.h"

std::shared_ptr<AlertViewBlock> AlertViewBlock::alertViewBlock(Block block) {
    auto adapter = std::make_shared<AlertViewBlock>();
    adapter->block_ = std::move(block);
    return adapter;
}

void AlertViewBlock::alertViewClickedButtonAtIndex(UIAlertView& alertView, int buttonIndex) {
    if (block_) block_(alertView, buttonIndex);
}
