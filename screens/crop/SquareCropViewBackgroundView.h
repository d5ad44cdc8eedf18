#pragma once
// The full-screen view behind the square window: any touch inside it goes to its first
// subview (the window's scroll view), so a drag or pinch over the framing moves the picture.
#include "platform/uikit/UIView.h"

class SquareCropViewBackgroundView : public UIView {
public:
    using UIView::UIView;
    UIView* hitTest(CGPoint point) override;
};
