#pragma once
// An alert that runs a block: the adapter becomes its delegate and lives as the alert's
// associated object; a second `setBlock` replaces the first.
#include "ui/foundation/AlertViewBlock.h"

namespace BlockUtility {

void setBlock(UIAlertView& alertView, AlertViewBlock::Block block);

}  // namespace BlockUtility
