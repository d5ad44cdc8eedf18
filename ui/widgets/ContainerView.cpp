#include "ui/widgets/ContainerView.h"

#include "platform/uikit/UIButton.h"

UIView* ContainerView::hitTest(CGPoint point) {
    if (isHidden() || !(alpha() > 0) || !isUserInteractionEnabled()) return nullptr;
    for (const auto& subview : subviews())
        if (dynamic_cast<UIButton*>(subview.get()) && CGRectContainsPoint(subview->frame(), point))
            return subview.get();
    return CGRectContainsPoint(CGRectInset(bounds(), -kTouchMargin, -kTouchMargin), point) ? this : nullptr;
}
