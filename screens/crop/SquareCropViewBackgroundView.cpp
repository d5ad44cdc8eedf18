#include "screens/crop/SquareCropViewBackgroundView.h"

UIView* SquareCropViewBackgroundView::hitTest(CGPoint point) {
    if (isHidden() || !isUserInteractionEnabled() || !pointInside(point)) return nullptr;
    return subviews().empty() ? nullptr : subviews().front().get();
}
