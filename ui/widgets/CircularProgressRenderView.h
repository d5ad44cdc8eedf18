#pragma once
// The view hosting the ring's drawing layer: clear, not opaque; it tells its layer which
// progress view it sits in and redraws when it enters a superview or a window (at the
// screen's scale).
#include "platform/uikit/UIView.h"
#include "ui/widgets/CircularProgressLayer.h"

class CircularProgressRenderView : public UIView {
public:
    explicit CircularProgressRenderView(CGRect frame = CGRectZero);
    static LayerClass layerClass() {
        return [] { return std::shared_ptr<CALayer>(std::make_shared<CircularProgressLayer>()); };
    }

    CircularProgressLayer& progressLayer() const { return static_cast<CircularProgressLayer&>(*layer()); }

    // The layer draws the ring itself.
    bool displayLayer(CALayer&) override { return false; }
    void didMoveToWindow() override;
    void willMoveToSuperview(UIView* newSuperview) override;
};
