#pragma once
// A sheet that runs a block: the adapter becomes its delegate and lives as the sheet's
// associated object; a second `setBlock` replaces the first.
#include "ui/foundation/ActionSheetBlock.h"

namespace BlockUtility {

void setBlock(UIActionSheet& sheet, ActionSheetBlock::Block block);

}  // namespace BlockUtility
