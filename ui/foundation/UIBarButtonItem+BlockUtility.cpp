#include "ui/foundation/UIBarButtonItem+BlockUtility.h"

#include "ui/foundation/NSObject+ObjectUtility.h"

namespace BlockUtility {

namespace {

// The item's action sends the adapter's `action` with the item; the item holds the adapter.
std::shared_ptr<UIBarButtonItem> attach(std::shared_ptr<UIBarButtonItem> item, TargetActionBlock::Block block) {
    auto adapter = TargetActionBlock::targetActionBlock(std::move(block));
    item->setAction([raw = adapter.get()](UIBarButtonItem& sender) { raw->action(sender); });
    ObjectUtility::setAssociatedObject(*item, adapter);
    return item;
}

}  // namespace

std::shared_ptr<UIBarButtonItem> initWithBarButtonSystemItem(UIBarButtonSystemItem item,
                                                             TargetActionBlock::Block block) {
    return attach(UIBarButtonItem::itemWithSystemItem(item), std::move(block));
}

std::shared_ptr<UIBarButtonItem> initWithImage(UIImagePtr image, UIBarButtonItemStyle style,
                                               TargetActionBlock::Block block) {
    return attach(UIBarButtonItem::itemWithImage(std::move(image), style, nullptr), std::move(block));
}

}  // namespace BlockUtility
