#include "ui/foundation/UIAlertView+BlockUtility.h"

#include "ui/foundation/NSObject+ObjectUtility.h"

namespace BlockUtility {

void setBlock(UIAlertView& alertView, AlertViewBlock::Block block) {
    auto adapter = AlertViewBlock::alertViewBlock(std::move(block));
    alertView.setDelegate(adapter);
    ObjectUtility::setAssociatedObject(alertView, adapter);
}

}  // namespace BlockUtility
