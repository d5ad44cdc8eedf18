#pragma once
// One drag handle of the crop rectangle: a 44 x 44 point view (the side handles are stretched
// along their edge by the rectangle's layout) whose pan turns the finger's travel into a
// translation in whole points, reported to its delegate as the drag begins, moves and ends.
#include <memory>

#include "platform/uikit/UIPanGestureRecognizer.h"
#include "platform/uikit/UIView.h"

class CropRectResizeView;

class CropRectResizeViewDelegate {
public:
    virtual ~CropRectResizeViewDelegate() = default;
    virtual void cropRectResizeViewDidBeginResizing(CropRectResizeView& view) {}
    virtual void cropRectResizeViewDidResize(CropRectResizeView& view) {}
    virtual void cropRectResizeViewDidEndResizing(CropRectResizeView& view) {}
};

class CropRectResizeView : public UIView {
public:
    static constexpr CGFloat kSize = 44;

    // The origin is kept; the size is always 44 x 44.
    explicit CropRectResizeView(CGRect frame = CGRectZero);

    // Not owned: the rectangle view that holds the handle.
    CropRectResizeViewDelegate* delegate() const { return delegate_; }
    void setDelegate(CropRectResizeViewDelegate* delegate) { delegate_ = delegate; }
    // The handle's travel since the drag began, in whole points.
    CGPoint translation() const { return translation_; }
    void setTranslation(CGPoint translation) { translation_ = translation; }
    // The recogniser's translation when the drag began.
    CGPoint startPoint() const { return startPoint_; }
    void setStartPoint(CGPoint point) { startPoint_ = point; }

    const std::shared_ptr<UIPanGestureRecognizer>& panGestureRecognizer() const { return pan_; }
    void handlePan(UIPanGestureRecognizer& recognizer);

    // The recogniser joins when the handle first enters a tree (it needs the shared handle).
    void willMoveToSuperview(UIView* newSuperview) override;

private:
    CropRectResizeViewDelegate* delegate_ = nullptr;
    CGPoint translation_{}, startPoint_{};
    std::shared_ptr<UIPanGestureRecognizer> pan_;
};
