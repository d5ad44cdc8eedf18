#pragma once
// "Move and Scale": the photo in a square window that the user drags and pinches, framing
// over the rest of the screen, and the square part of the photo as the result. Made from its
// nib (`fromNib`); the sharing activity sets it up through `sharingController`, shows it in a
// navigation controller and takes `croppedImage` on Done. It never dismisses itself.
//
// Files: SquareCropViewController.cpp (layout, zoom, results, grid, bar items),
// SquareCropViewController+Nib.cpp (the nib: the views and their look).
#include <array>
#include <functional>
#include <memory>

#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UIScrollView.h"
#include "platform/uikit/UIViewController.h"
#include "screens/crop/SquareCropViewBackgroundView.h"
#include "ui/widgets/GridView.h"

class SquareCropViewController : public UIViewController {
public:
    // The nib's look: framing, edge lines, the window's zoom limit and bouncing.
    static constexpr CGFloat kFramingAlpha = 0.6, kFramingBorderAlpha = 0.5;
    static constexpr CGFloat kNibMaximumZoomScale = 4;
    static constexpr NSTimeInterval kGridFadeDuration = 0.2;
    static constexpr CGFloat kGridAlpha = 0.4;

    // The screen as its nib makes it.
    static std::shared_ptr<SquareCropViewController> fromNib();
    // Set up for sharing: the whole photo fits the square (both constraints), no grid, the
    // result squared with black; the view framed to the screen and showing the photo.
    static std::shared_ptr<SquareCropViewController> sharingController(UIImagePtr image,
                                                                       std::function<void(bool done)> completion);

    SquareCropViewController();
    ~SquareCropViewController() override;

    // ---- Settings ----------------------------------------------------------------------------
    bool constrainWidth() const { return constrainWidth_; }
    void setConstrainWidth(bool v) { constrainWidth_ = v; }
    bool constrainHeight() const { return constrainHeight_; }
    void setConstrainHeight(bool v) { constrainHeight_ = v; }
    bool showGrid() const { return showGrid_; }
    void setShowGrid(bool v) { showGrid_ = v; }
    bool cropToSquare() const { return cropToSquare_; }
    void setCropToSquare(bool v) { cropToSquare_ = v; }
    const std::function<void(bool)>& completionBlock() const { return completion_; }
    void setCompletionBlock(std::function<void(bool)> block) { completion_ = std::move(block); }

    // ---- The photo ---------------------------------------------------------------------------
    UIImagePtr image() const { return imageView_ ? imageView_->image() : nullptr; }
    void setImage(UIImagePtr image);
    void clearImage();
    // The part of the photo inside the square, in the photo's points.
    CGRect cropRect() const;
    bool isCropped() const;
    UIImagePtr croppedImage() const { return croppedImageForImage(image(), cropRect()); }
    UIImagePtr croppedAndScaledImage() const { return croppedAndScaledImageForImage(image(), cropRect()); }
    // The same square on another image of the same proportions.
    UIImagePtr croppedImageForImage(const UIImagePtr& image) const {
        return croppedImageForImage(image, scaleCropRectForImage(image));
    }
    UIImagePtr croppedAndScaledImageForImage(const UIImagePtr& image) const {
        return croppedAndScaledImageForImage(image, scaleCropRectForImage(image));
    }
    UIImagePtr croppedImageForImage(const UIImagePtr& image, CGRect cropRect) const;
    UIImagePtr croppedAndScaledImageForImage(const UIImagePtr& image, CGRect cropRect) const;
    CGRect scaleCropRectForImage(const UIImagePtr& image) const;

    // ---- Views -------------------------------------------------------------------------------
    const std::shared_ptr<UIScrollView>& scrollView() {
        view();
        return scrollView_;
    }
    const std::shared_ptr<UIImageView>& imageView() const { return imageView_; }
    const std::shared_ptr<GridView>& gridView() const { return gridView_; }
    bool gridViewShowing() const { return gridViewShowing_; }
    enum Side { TopSide, BottomSide, LeftSide, RightSide };
    const std::shared_ptr<UIView>& framing(Side side) {
        view();
        return framing_[side];
    }
    const std::shared_ptr<UIView>& framingBorder(Side side) {
        view();
        return framingBorders_[side];
    }

    void setZoomScales();
    void setScrollViewForImageView();
    void showGridView(bool show);

    // ---- Actions -----------------------------------------------------------------------------
    void doneTouched();
    void cancelTouched();

    void loadView() override;
    void viewWillAppear(bool animated) override;
    void viewDidLayoutSubviews() override;

    // Scroll view delegate.
    std::shared_ptr<UIView> viewForZoomingInScrollView(UIScrollView&) { return imageView_; }
    void scrollViewDidZoom(UIScrollView& scrollView);

private:
    struct Delegate;

    bool constrainWidth_ = true, constrainHeight_ = false, showGrid_ = false, cropToSquare_ = false;
    bool gridViewShowing_ = false;
    std::function<void(bool)> completion_;
    std::shared_ptr<Delegate> delegate_;
    std::shared_ptr<SquareCropViewBackgroundView> scrollFrameView_;
    std::shared_ptr<UIScrollView> scrollView_;
    std::array<std::shared_ptr<UIView>, 4> framing_, framingBorders_;
    std::shared_ptr<UIImageView> imageView_;
    std::shared_ptr<GridView> gridView_;
};
