#include "screens/crop/SquareCropViewController.h"

#include <algorithm>

#include "platform/uikit/UIBarButtonItem.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UINavigationItem.h"
#include "platform/uikit/UIScreen.h"
#include "ui/appearance/AppAppearance.h"
#include "ui/images/UIImage+ImageUtility.h"

SquareCropViewController::SquareCropViewController() = default;

SquareCropViewController::~SquareCropViewController() {
    if (scrollView_) scrollView_->setDelegate(nullptr);
}

std::shared_ptr<SquareCropViewController> SquareCropViewController::sharingController(
    UIImagePtr image, std::function<void(bool done)> completion) {
    auto controller = fromNib();
    controller->setConstrainHeight(true);
    controller->setConstrainWidth(true);
    controller->setShowGrid(false);
    controller->setCropToSquare(true);
    controller->setCompletionBlock(std::move(completion));
    controller->view()->setFrame(UIScreen::mainScreen().bounds());
    controller->setImage(std::move(image));
    return controller;
}

// ---- Bars and layout ---------------------------------------------------------------------------

void SquareCropViewController::viewWillAppear(bool animated) {
    UIViewController::viewWillAppear(animated);
    if (!navigationController()) return;
    AppAppearance::setNavigationBar(*this, AppAppearance::defaultToolbarColor().colorWithAlphaComponent(0.5), false);
    std::weak_ptr<UIViewController> weak = weak_from_this();
    auto done = UIBarButtonItem::itemWithTitle("Done", UIBarButtonItemStyle::Done, [weak](UIBarButtonItem&) {
        if (auto self = weak.lock()) static_cast<SquareCropViewController&>(*self).doneTouched();
    });
    auto cancel = UIBarButtonItem::itemWithTitle("Cancel", UIBarButtonItemStyle::Plain, [weak](UIBarButtonItem&) {
        if (auto self = weak.lock()) static_cast<SquareCropViewController&>(*self).cancelTouched();
    });
    for (auto* item : {done.get(), cancel.get()}) item->setTintColor(AppAppearance::defaultSecondaryColor());
    navigationItem().setRightBarButtonItem(done);
    navigationItem().setLeftBarButtonItem(cancel);
    setTitle("Move and Scale");
}

void SquareCropViewController::viewDidLayoutSubviews() {
    const CGRect bounds = view()->bounds();
    const CGFloat W = bounds.size.width, H = bounds.size.height;
    scrollFrameView_->setFrame(bounds);
    const CGFloat s = std::min(W, H);
    const CGRect Q{{W / 2 - s / 2, H / 2 - s / 2}, {s, s}};
    scrollView_->setFrame(Q);
    framing_[TopSide]->setFrame({{0, 0}, {W, Q.origin.y}});
    framing_[BottomSide]->setFrame({{0, Q.origin.y + s}, {W, Q.origin.y}});
    framing_[LeftSide]->setFrame({{0, Q.origin.y}, {Q.origin.x, s}});
    framing_[RightSide]->setFrame({{Q.origin.x + s, Q.origin.y}, {Q.origin.x, s}});
    const CGSize left = framing_[LeftSide]->frame().size, right = framing_[RightSide]->frame().size;
    const CGSize top = framing_[TopSide]->frame().size;
    framingBorders_[LeftSide]->setFrame({{left.width - 1, 0}, {1, left.height}});
    framingBorders_[RightSide]->setFrame({{0, 0}, {1, right.height}});
    framingBorders_[TopSide]->setFrame({{Q.origin.x, top.height - 1}, {s, 1}});
    framingBorders_[BottomSide]->setFrame({{Q.origin.x, 0}, {s, 1}});
    for (const auto& f : framing_) f->setHidden(W == H);
    if (W != H) {
        // Lines of framing views without size are brought a point onto the screen, so that
        // all four sides of the square show a line.
        if (framing_[RightSide]->frame().origin.x < W) {
            framingBorders_[LeftSide]->setTransform(CGAffineTransformIdentity);
            framingBorders_[RightSide]->setTransform(CGAffineTransformIdentity);
            framing_[TopSide]->setTransform(CGAffineTransformMakeTranslation(0, 1));
            framing_[BottomSide]->setTransform(CGAffineTransformMakeTranslation(0, -1));
        } else {
            framingBorders_[RightSide]->setTransform(CGAffineTransformMakeTranslation(-1, 0));
            framingBorders_[LeftSide]->setTransform(CGAffineTransformMakeTranslation(1, 0));
            framing_[TopSide]->setTransform(CGAffineTransformIdentity);
            framing_[BottomSide]->setTransform(CGAffineTransformIdentity);
        }
    }
    if (gridView_) gridView_->setFrame(Q);
    setZoomScales();
}

// ---- The photo and its zoom --------------------------------------------------------------------

void SquareCropViewController::setImage(UIImagePtr image) {
    view();
    if (imageView_) imageView_->removeFromSuperview();
    imageView_ = std::make_shared<UIImageView>(image);
    imageView_->setFrame({{0, 0}, image ? image->size() : CGSizeZero});
    setScrollViewForImageView();
    scrollView_->addSubview(imageView_);
}

void SquareCropViewController::setScrollViewForImageView() {
    const CGSize size = imageView_->image() ? imageView_->image()->size() : CGSizeZero;
    scrollView_->setContentSize(size);
    setZoomScales();
    // The middle square of the photo, in the zoomed content's coordinates.
    const CGFloat t = std::min(size.width, size.height), z = scrollView_->zoomScale();
    scrollView_->scrollRectToVisible({{(size.width / 2 - t / 2) * z, (size.height / 2 - t / 2) * z}, {t * z, t * z}},
                                     false);
}

void SquareCropViewController::clearImage() {
    if (!imageView_) return;
    imageView_->setImage(nullptr);
    imageView_->removeFromSuperview();
}

void SquareCropViewController::setZoomScales() {
    const UIImagePtr photo = image();
    if (!photo || photo->size().width <= 0 || photo->size().height <= 0) return;
    const CGSize box = scrollView_->bounds().size, size = photo->size();
    const CGFloat wr = box.width / size.width, hr = box.height / size.height;
    const CGFloat minimum = constrainWidth_ && constrainHeight_ ? std::min(wr, hr)
                            : constrainWidth_                   ? wr
                            : constrainHeight_                  ? hr
                                                                : std::max(wr, hr);
    scrollView_->setMinimumZoomScale(minimum);
    // The nib's limit, never below the minimum.
    scrollView_->setMaximumZoomScale(std::max(kNibMaximumZoomScale, minimum));
    scrollView_->setZoomScale(minimum);
}

void SquareCropViewController::scrollViewDidZoom(UIScrollView& scrollView) {
    if (!imageView_) return;
    const CGFloat z = scrollView.zoomScale();
    const CGFloat w = imageView_->bounds().size.width * z, h = imageView_->bounds().size.height * z;
    const CGFloat W = scrollView.bounds().size.width, H = scrollView.bounds().size.height;
    UIEdgeInsets inset{};
    if (H > h) inset.top = (H - h) / 2, inset.bottom = -(H - h) / 2;
    if (W > w) inset.left = (W - w) / 2, inset.right = -(W - w) / 2;
    scrollView.setContentInset(inset);
}

CGRect SquareCropViewController::cropRect() const {
    if (!scrollView_) return CGRectZero;
    const CGFloat z = scrollView_->zoomScale();
    const CGPoint o = scrollView_->contentOffset();
    const CGSize b = scrollView_->bounds().size;
    return {{o.x / z, o.y / z}, {b.width / z, b.height / z}};
}

bool SquareCropViewController::isCropped() const {
    return scrollView_ && scrollView_->zoomScale() != scrollView_->minimumZoomScale();
}

CGRect SquareCropViewController::scaleCropRectForImage(const UIImagePtr& other) const {
    const UIImagePtr shown = image();
    if (!shown || !other) return CGRectZero;
    const CGFloat kx = other->size().width / shown->size().width, ky = other->size().height / shown->size().height;
    const CGRect r = cropRect();
    return {{r.origin.x * kx, r.origin.y * ky}, {r.size.width * kx, r.size.height * ky}};
}

UIImagePtr SquareCropViewController::croppedImageForImage(const UIImagePtr& image, CGRect rect) const {
    if (!image) return nullptr;
    const UIImagePtr upright = ImageUtility::normalize(image);
    return cropToSquare_ ? ImageUtility::croppedImageWithBorder(upright, rect)
                         : ImageUtility::croppedImage(upright, rect);
}

UIImagePtr SquareCropViewController::croppedAndScaledImageForImage(const UIImagePtr& image, CGRect rect) const {
    const UIImagePtr cut = croppedImageForImage(image, rect);
    if (!cut) return nullptr;
    const CGFloat side = std::min(image->size().width, image->size().height);
    return ImageUtility::resizedImageWithContentMode(cut, UIViewContentMode::ScaleAspectFit, {side, side},
                                                     kCGInterpolationDefault);
}

// ---- Grid and actions --------------------------------------------------------------------------

void SquareCropViewController::showGridView(bool show) {
    if (!showGrid_ || show == gridViewShowing_) return;
    gridViewShowing_ = show;
    if (show && !gridView_) {
        gridView_ = std::make_shared<GridView>(scrollView_->frame());
        gridView_->setAlpha(0);
        if (scrollView_->superview()) scrollView_->superview()->addSubview(gridView_);
    }
    if (!gridView_) return;
    auto grid = gridView_;
    std::weak_ptr<UIViewController> weak = weak_from_this();
    UIView::animateWithDuration(
        kGridFadeDuration, 0, UIViewAnimationOptionBeginFromCurrentState,
        [grid, show] { grid->setAlpha(show ? kGridAlpha : 0); },
        [weak, grid](bool) {
            auto self = std::static_pointer_cast<SquareCropViewController>(weak.lock());
            if (!self || self->gridViewShowing_ || self->gridView_ != grid) return;
            grid->removeFromSuperview();
            self->gridView_.reset();
        });
}

void SquareCropViewController::doneTouched() {
    if (completion_) completion_(true);
}

void SquareCropViewController::cancelTouched() {
    if (completion_) completion_(false);
}
