#pragma once
// The crop rectangle on screen: its frame is the rectangle. It draws the thirds grid (and,
// while the picture turns, the ninths), lays the stretched border picture 2 points outside
// itself and carries eight drag handles, corners first. A drag turns the handle's translation
// into a new frame computed from the frame at the drag's start, with an optional locked aspect
// and a minimum of 88 x 88 points that keeps the edge opposite the dragged one where it began.
// A locked rectangle keeps its ratio exactly through both, and the orientation it had when the
// drag began.
// Touches off the handles pass through to the views below.
#include <array>
#include <memory>

#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UIView.h"
#include "screens/crop/CropRectResizeView.h"

class CropRectView;

class CropRectViewDelegate {
public:
    virtual ~CropRectViewDelegate() = default;
    virtual void cropRectViewDidBeginEditing(CropRectView& view) {}
    virtual void cropRectViewEditingChanged(CropRectView& view) {}
    virtual void cropRectViewDidEndEditing(CropRectView& view) {}
};

class CropRectView : public UIView, public CropRectResizeViewDelegate {
public:
    static constexpr CGFloat kBorderOutset = 2;
    static constexpr CGFloat kBorderCapInset = 23;
    static constexpr CGFloat kGridInset = 2;

    explicit CropRectView(CGRect frame = CGRectZero);
    ~CropRectView() override;

    // Not owned: the crop view.
    CropRectViewDelegate* delegate() const { return delegate_; }
    void setDelegate(CropRectViewDelegate* delegate) { delegate_ = delegate; }

    bool showsGridMajor() const { return showsGridMajor_; }
    void setShowsGridMajor(bool shows);
    bool showsGridMinor() const { return showsGridMinor_; }
    void setShowsGridMinor(bool shows);
    bool keepingAspectRatio() const { return keepingAspectRatio_; }
    // With the lock on, the ratio becomes the shorter side over the longer of the present
    // bounds (1 while the bounds have no area).
    void setKeepingAspectRatio(bool keeping);
    double fixedAspectRatio() const { return fixedAspectRatio_; }
    // The locked ratio given exactly (width over height, either way round), rather than read
    // from bounds that may have been rounded; ratios at or below 0 or not finite are ignored.
    void setFixedAspectRatio(double ratio);
    CGRect initialRect() const { return initialRect_; }

    // Corners, then sides: top-left, top-right, bottom-left, bottom-right, top, left, bottom,
    // right.
    enum Handle { TopLeft, TopRight, BottomLeft, BottomRight, Top, Left, Bottom, Right };
    const std::shared_ptr<CropRectResizeView>& handle(Handle which) const { return handles_[which]; }
    const std::shared_ptr<UIImageView>& borderView() const { return border_; }

    UIView* hitTest(CGPoint point) override;
    void drawRect(CGRect rect) override;
    void layoutSubviews() override;

    void cropRectResizeViewDidBeginResizing(CropRectResizeView& view) override;
    void cropRectResizeViewDidResize(CropRectResizeView& view) override;
    void cropRectResizeViewDidEndResizing(CropRectResizeView& view) override;

    // The frame for the handle's present translation (the present frame for any other view).
    CGRect cropRectMakeWithResizeView(const CropRectResizeView& view) const;
    // The rectangle with the ratio k (at most 1) applied from its width or its height; the
    // origin stays and a rectangle taller than wide stays so (`tall` says which it is when the
    // caller knows better than the rectangle's own sides).
    static CGRect constrainedRectWithRectBasisOfWidth(CGRect rect, double aspectRatio);
    static CGRect constrainedRectWithRectBasisOfHeight(CGRect rect, double aspectRatio);
    static CGRect constrainedRectWithRectBasisOfWidth(CGRect rect, double aspectRatio, bool tall);
    static CGRect constrainedRectWithRectBasisOfHeight(CGRect rect, double aspectRatio, bool tall);

private:
    CropRectViewDelegate* delegate_ = nullptr;
    bool showsGridMajor_ = true, showsGridMinor_ = false, keepingAspectRatio_ = false;
    double fixedAspectRatio_ = 1;
    CGRect initialRect_{};
    std::shared_ptr<UIImageView> border_;
    std::array<std::shared_ptr<CropRectResizeView>, 8> handles_;
};
