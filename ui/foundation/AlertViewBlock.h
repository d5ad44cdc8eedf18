#pragma once
// A block in place of an alert view's delegate: it receives the alert and the index of the
// button that was clicked. The alert keeps the adapter (UIAlertView+BlockUtility.h).
#include <functional>
#include <memory>

#include "platform/uikit/UIAlertView.h"

class AlertViewBlock : public UIAlertViewDelegate {
public:
    using Block = std::function<void(UIAlertView& alertView, int buttonIndex)>;
    static std::shared_ptr<AlertViewBlock> alertViewBlock(Block block);

    void setBlock(Block block) { block_ = std::move(block); }
    // Calls the block when one is set.
    void alertViewClickedButtonAtIndex(UIAlertView& alertView, int buttonIndex) override;

private:
    Block block_;
};
