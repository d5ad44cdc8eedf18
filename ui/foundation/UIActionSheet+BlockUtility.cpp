#include "ui/foundation/UIActionSheet+BlockUtility.h"

#include "ui/foundation/NSObject+ObjectUtility.h"

namespace BlockUtility {

void setBlock(UIActionSheet& sheet, ActionSheetBlock::Block block) {
    auto adapter = ActionSheetBlock::actionSheetBlock(std::move(block));
    sheet.setDelegate(adapter);
    ObjectUtility::setAssociatedObject(sheet, adapter);
}

}  // namespace BlockUtility
