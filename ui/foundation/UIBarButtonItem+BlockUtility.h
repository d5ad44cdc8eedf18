#pragma once
// Bar items whose action runs a block with the item as the sender, through a
// `TargetActionBlock` the item keeps as its associated object.
#include <memory>

#include "platform/uikit/UIBarButtonItem.h"
#include "ui/foundation/TargetActionBlock.h"

namespace BlockUtility {

std::shared_ptr<UIBarButtonItem> initWithBarButtonSystemItem(UIBarButtonSystemItem item,
                                                             TargetActionBlock::Block block);
std::shared_ptr<UIBarButtonItem> initWithImage(UIImagePtr image, UIBarButtonItemStyle style,
                                               TargetActionBlock::Block block);

}  // namespace BlockUtility
