#include "ui/widgets/CircularProgressRenderView.h"

#include "platform/uikit/UIScreen.h"
#include "ui/widgets/CircularProgressView.h"

CircularProgressRenderView::CircularProgressRenderView(CGRect frame) : UIView(frame, layerClass()) {
    setBackgroundColor(UIColor::clearColor());
    setOpaque(false);
}

void CircularProgressRenderView::didMoveToWindow() {
    UIView::didMoveToWindow();
    if (!window()) return;
    progressLayer().setContentsScale(UIScreen::mainScreen().scale());
    progressLayer().setNeedsDisplay();
}

void CircularProgressRenderView::willMoveToSuperview(UIView* newSuperview) {
    UIView::willMoveToSuperview(newSuperview);
    progressLayer().setView(dynamic_cast<CircularProgressView*>(newSuperview));
    progressLayer().setNeedsDisplay();
}
