#pragma once
// A block in place of an action sheet's delegate: it receives the sheet and the index of the
// button as the sheet is about to go. The sheet keeps the adapter (UIActionSheet+BlockUtility.h).
#include <functional>
#include <memory>

#include "platform/uikit/UIActionSheet.h"

class ActionSheetBlock : public UIActionSheetDelegate {
public:
    using Block = std::function<void(UIActionSheet& sheet, int buttonIndex)>;
    static std::shared_ptr<ActionSheetBlock> actionSheetBlock(Block block);

    void setBlock(Block block) { block_ = std::move(block); }
    // Calls the block when one is set.
    void actionSheetWillDismissWithButtonIndex(UIActionSheet& sheet, int buttonIndex) override;

private:
    Block block_;
};
