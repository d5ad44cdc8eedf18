#include "ui/widgets/TransitionPositioning.h"

#include "model/DeviceUtility.h"
#include "platform/uikit/UINavigationBar.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UIWindow.h"

namespace {

bool navigationBarShown() {
    UIWindow* key = UIWindow::keyWindow();
    auto* navigation = key ? dynamic_cast<UINavigationController*>(key->rootViewController().get()) : nullptr;
    return navigation && !navigation->isNavigationBarHidden();
}

}  // namespace

void TransitionPositioning::positionTransition(UIView& overlay, const UIView& view) {
    overlay.setFrame(view.frame());
    if (overlay.subviews().empty()) return;
    UIView& content = *overlay.subviews().front();
    if (content.tag() != kCentered) return;
    double raise = overlay.frame().origin.y;
    if (navigationBarShown()) raise += AppConstants::defaultNavigationBarHeight();
    // In the overlay's own coordinates: its frame's x would push the content off an overlay
    // that does not stand at the left edge.
    content.setCenter({CGRectGetMidX(overlay.bounds()), overlay.center().y - raise});
}
