#pragma once
// The free crop editor: a picture that pans and zooms (up to 20 times) behind a crop window,
// the rectangle with its handles on the window's border and the rest dimmed. The window is the
// frame of a scroll view holding the picture; when a handle lets go, the window is scaled back
// to fill the editing area while the picture zooms with it, so the chosen part always ends up
// as large as the screen allows. It answers the chosen rectangle in picture points, as
// fractions of the picture, and as a cropped picture.
//
// Spaces: view space (the crop view's own; `cropRect` is the scroll view's frame there), fit
// space (the picture fitted into the inset rectangle at zoom 1: the zooming view's space) and
// image space (the picture's points; pixels are points times its scale).
//
// The picture may be a smaller copy of a photo, whose rounded sides keep the photo's proportions
// only within a pixel; given the photo's own size, the aspect ratios asked for are the photo's,
// so that they hold exactly in its pixels. With the aspect lock on, every drag keeps the ratio.
//
// Degenerate input is refused rather than drawn: an empty or non-finite rectangle to zoom to,
// a ratio at or below 0, and a rectangle that meets no pixels of the picture (the whole
// upright picture comes back instead).
//
// Files: CropView.cpp (construction, layout, zooming, dragging), CropView+Images.cpp (the
// rectangles and pictures it answers, the class operation that crops without a view).
#include <array>
#include <memory>

#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UIRotationGestureRecognizer.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIScrollView.h"
#include "platform/uikit/UIView.h"
#include "screens/crop/CropRectView.h"

class CropView : public UIView, public CropRectViewDelegate {
public:
    static constexpr CGFloat kHorizontalInset = 20;
    static constexpr CGFloat kPortraitVerticalInset = 40, kLandscapeVerticalInset = 20;
    static constexpr CGFloat kMaximumZoomScale = 20;
    static constexpr CGFloat kOverlayOverhang = 200;
    static constexpr CGFloat kAutomaticZoomMargin = 5;
    static constexpr NSTimeInterval kAutomaticZoomDuration = 1.0;
    static constexpr NSTimeInterval kZoomDuration = 0.25;
    static constexpr float kZoomNudge = 0.01f;
    static UIColor dimmingColor() { return UIColor::colorWithWhite(0, static_cast<float>(0.6)); }

    explicit CropView(CGRect frame = CGRectZero);
    ~CropView() override;

    // ---- Picture and geometry --------------------------------------------------------------
    const UIImagePtr& image() const { return image_; }
    // Another picture drops the picture views, the photo's size and the aspect lock; the next
    // layout builds them with the window on the whole picture at zoom 1.
    void setImage(UIImagePtr image);
    // The size of the photo the picture stands for (its pixels, upright); the picture's own
    // size while none (or an empty one) is given.
    CGSize photoSize() const;
    void setPhotoSize(CGSize size) { photoSize_ = size; }
    // The photo's width over height divided by the picture's (1 without a picture): a ratio on
    // the picture times this is the same shape in the photo's pixels.
    double photoShapeOverPicture() const;
    CGRect cropRect() const { return scrollView_->frame(); }
    // Zooms to the rectangle (view space) at once, without centring.
    void setCropRect(CGRect rect) { zoomToCropRect(rect, false); }
    // The rectangle in image space, intersected with the picture; the window first goes back
    // to the whole picture. Not stored.
    void setImageCropRect(CGRect rect);
    CGRect imageCropRect() const { return imageCropRect_; }
    void resetCropRect(bool animated);
    // Width over height in the photo's pixels, centred; ratios at or below 0 or not finite are
    // ignored. With the lock on, the lock takes this ratio exactly.
    void setCropAspectRatio(double ratio) { setCropAspectRatio(ratio, true); }
    void setCropAspectRatio(double ratio, bool center);
    // The window's width over its height (on the picture).
    double cropAspectRatio() const;
    bool keepingCropAspectRatio() const { return keepingCropAspectRatio_; }
    void setKeepingCropAspectRatio(bool keeping);

    // ---- Results (CropView+Images.cpp) -----------------------------------------------------
    CGRect zoomedCropRect() const;
    CGRect relativeCroppedImageRect() const;
    CGRect croppedImageRectForImage(const UIImagePtr& image) const;
    CGSize croppedAndScaledImageSizeForImage(const UIImagePtr& image) const;
    bool isCropped() const;
    UIImagePtr croppedImage() const { return croppedImageForImage(image_); }
    UIImagePtr croppedAndScaledImage() const { return croppedAndScaledImageForImage(image_); }
    UIImagePtr croppedImageForImage(const UIImagePtr& image) const;
    UIImagePtr croppedAndScaledImageForImage(const UIImagePtr& image) const;
    // Redrawn upright through the transform about the centre, at the picture's size and scale.
    static UIImagePtr rotatedImage(const UIImagePtr& image, CGAffineTransform transform);
    // The same, cut to the rectangle (image space) clipped to the picture; a rectangle that
    // meets no pixels, or is not finite, gives the whole redrawn picture.
    static UIImagePtr rotatedImage(const UIImagePtr& image, CGAffineTransform transform, CGRect rect);
    // Cut and scaled back up to the picture's own size (the largest of the cut's aspect that
    // fits), without a crop view.
    static UIImagePtr croppedAndScaledImageForImage(const UIImagePtr& image, CGRect imageCropRect);

    // ---- Rotation ------------------------------------------------------------------------
    CGAffineTransform rotation() const {
        return imageView_ ? imageView_->transform() : CGAffineTransform{0, 0, 0, 0, 0, 0};
    }
    float rotationAngle() const;
    void setRotationAngle(CGFloat angle);
    void setRotationAngle(CGFloat angle, bool snap);
    void handleRotation(UIRotationGestureRecognizer& recognizer);
    const std::shared_ptr<UIRotationGestureRecognizer>& rotationGestureRecognizer() const { return rotation_; }

    // ---- Parts ---------------------------------------------------------------------------
    const std::shared_ptr<CropRectView>& cropRectView() const { return cropRectView_; }
    const std::shared_ptr<UIScrollView>& scrollView() const { return scrollView_; }
    const std::shared_ptr<UIView>& zoomingView() const { return zoomingView_; }
    const std::shared_ptr<UIImageView>& imageView() const { return imageView_; }
    enum Overlay { TopOverlay, LeftOverlay, RightOverlay, BottomOverlay };
    const std::shared_ptr<UIView>& overlayView(Overlay which) const { return overlays_[which]; }
    CGRect insetRect() const { return insetRect_; }
    CGRect editingRect() const { return editingRect_; }
    bool isResizing() const { return resizing_; }
    UIInterfaceOrientation interfaceOrientation() const { return interfaceOrientation_; }

    // ---- Layout helpers ------------------------------------------------------------------
    void layoutSubviews() override;
    UIView* hitTest(CGPoint point) override;
    void layoutCropRectViewWithCropRect(CGRect rect);
    void layoutOverlayViewsWithCropRect(CGRect rect);
    void setupImageView();
    void setMinimumZoomScale();
    void zoomToCropRect(CGRect rect, bool animated) { zoomToCropRect(rect, false, animated); }
    void zoomToCropRect(CGRect rect, bool center, bool animated);
    // The rectangle view's frame kept on the picture; with the lock, at its ratio, the edges
    // that did not cross the picture's staying where they are.
    CGRect cappedCropRectInImageRectWithCropRectView(const CropRectView& view) const;
    void automaticZoomIfEdgeTouched(CGRect rect);

    // ---- Delegates -----------------------------------------------------------------------
    void cropRectViewDidBeginEditing(CropRectView& view) override;
    void cropRectViewEditingChanged(CropRectView& view) override;
    void cropRectViewDidEndEditing(CropRectView& view) override;
    std::shared_ptr<UIView> viewForZoomingInScrollView(UIScrollView&) { return zoomingView_; }
    // No momentum: the picture stops where the finger lifts.
    void scrollViewWillEndDragging(UIScrollView& scrollView, CGPoint velocity, CGPoint& targetContentOffset);

private:
    struct Delegates;
    // The zoom of `zoomToCropRect`; `force` re-fits even when the rectangle is the window.
    void zoomTo(CGRect rect, bool center, bool animated, bool force);
    static CGRect insetBounds(CGRect bounds, UIInterfaceOrientation orientation);

    UIImagePtr image_;
    CGSize photoSize_{};
    bool keepingCropAspectRatio_ = false;
    std::shared_ptr<Delegates> delegates_;
    std::shared_ptr<CropRectView> cropRectView_;
    std::shared_ptr<UIRotationGestureRecognizer> rotation_;
    std::shared_ptr<UIScrollView> scrollView_;
    std::shared_ptr<UIView> zoomingView_;
    std::shared_ptr<UIImageView> imageView_;
    std::array<std::shared_ptr<UIView>, 4> overlays_;
    CGRect insetRect_{}, editingRect_{}, imageCropRect_{};
    bool resizing_ = false;
    UIInterfaceOrientation interfaceOrientation_ = UIInterfaceOrientation::Unknown;
};
