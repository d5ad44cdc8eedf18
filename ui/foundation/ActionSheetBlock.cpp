#include "ui/foundation/ActionSheetBlock.h"

std::shared_ptr<ActionSheetBlock> ActionSheetBlock::actionSheetBlock(Block block) {
    auto adapter = std::make_shared<ActionSheetBlock>();
    adapter->block_ = std::move(block);
    return adapter;
}

void ActionSheetBlock::actionSheetWillDismissWithButtonIndex(UIActionSheet& sheet, int buttonIndex) {
    if (block_) block_(sheet, buttonIndex);
}
