#pragma once
// The turned layer of a compare view: it takes touches up to 200 points beyond its bounds (so
// the divider can be caught near the screen's edge) and hands them straight to a button it
// holds.
#include "platform/uikit/UIView.h"

class ContainerView : public UIView {
public:
    using UIView::UIView;
    UIView* hitTest(CGPoint point) override;

    static constexpr CGFloat kTouchMargin = 200;
};
