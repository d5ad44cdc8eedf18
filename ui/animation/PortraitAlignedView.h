#pragma once
// A container that keeps one view upright in portrait terms while the interface turns around
// it: on every layout pass and every device-orientation notification it turns the view against
// the interface (status-bar) orientation (π upside down, −π/2 landscape left, +π/2 landscape
// right) and centres it in its bounds. When the container goes, the view leaves it with the
// frame it had when handed over and no transform.
#include <memory>

#include "platform/uikit/UIView.h"

class PortraitAlignedView : public UIView {
public:
    // A container over the view's current frame, holding the view.
    static std::shared_ptr<PortraitAlignedView> viewWithView(const std::shared_ptr<UIView>& view);
    explicit PortraitAlignedView(CGRect frame = CGRectZero);
    ~PortraitAlignedView() override;

    const std::shared_ptr<UIView>& alignedView() const { return alignedView_; }
    // Takes over the view: the container gets its frame, the view sits at the container's
    // origin inside it.
    void setAlignedView(const std::shared_ptr<UIView>& view);
    CGRect alignedViewFrame() const { return alignedViewFrame_; }
    void setAlignedViewFrame(CGRect frame) { alignedViewFrame_ = frame; }

    void applyTransform();
    void layoutSubviews() override;

private:
    void initialize();

    std::shared_ptr<UIView> alignedView_;
    CGRect alignedViewFrame_ = CGRectZero;
};
