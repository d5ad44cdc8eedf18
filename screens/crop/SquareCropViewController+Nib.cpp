// The nib of the square crop screen: a full-screen backdrop holding the square window first,
// four framing views over the rest, each with its 1-point edge line.
#include "platform/uikit/UIScreen.h"
#include "screens/crop/SquareCropViewController.h"

struct SquareCropViewController::Delegate : UIScrollViewDelegate {
    explicit Delegate(SquareCropViewController& owner) : owner(owner) {}
    std::shared_ptr<UIView> viewForZoomingInScrollView(UIScrollView& s) override {
        return owner.viewForZoomingInScrollView(s);
    }
    void scrollViewDidZoom(UIScrollView& s) override { owner.scrollViewDidZoom(s); }
    void scrollViewWillBeginDragging(UIScrollView&) override { owner.showGridView(true); }
    void scrollViewWillBeginZooming(UIScrollView&, UIView*) override { owner.showGridView(true); }
    void scrollViewDidEndDragging(UIScrollView&, bool) override { owner.showGridView(false); }
    void scrollViewDidEndZooming(UIScrollView&, UIView*, CGFloat) override { owner.showGridView(false); }
    SquareCropViewController& owner;
};

std::shared_ptr<SquareCropViewController> SquareCropViewController::fromNib() {
    auto controller = std::make_shared<SquareCropViewController>();
    controller->view();
    return controller;
}

void SquareCropViewController::loadView() {
    UIViewController::loadView();  // a view that reports its layout passes to the controller
    const CGRect screen = UIScreen::mainScreen().bounds();
    const std::shared_ptr<UIView>& root = view();
    root->setBackgroundColor(UIColor::blackColor());
    root->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);

    scrollFrameView_ = std::make_shared<SquareCropViewBackgroundView>(screen);
    scrollFrameView_->setBackgroundColor(UIColor::clearColor());
    root->addSubview(scrollFrameView_);

    delegate_ = std::make_shared<Delegate>(*this);
    scrollView_ = std::make_shared<UIScrollView>(screen);
    scrollView_->setDelegate(delegate_);
    scrollView_->setMaximumZoomScale(kNibMaximumZoomScale);
    scrollView_->setBounces(true);
    scrollView_->setBouncesZoom(true);
    scrollView_->setClipsToBounds(false);  // the photo shows on under the framing
    scrollView_->setShowsHorizontalScrollIndicator(false);
    scrollView_->setShowsVerticalScrollIndicator(false);
    scrollFrameView_->addSubview(scrollView_);

    for (std::size_t i = 0; i < framing_.size(); ++i) {
        framing_[i] = std::make_shared<UIView>();
        framing_[i]->setBackgroundColor(UIColor::colorWithWhite(0, kFramingAlpha));
        framing_[i]->setUserInteractionEnabled(false);
        framingBorders_[i] = std::make_shared<UIView>();
        framingBorders_[i]->setBackgroundColor(UIColor::colorWithWhite(1, kFramingBorderAlpha));
        framing_[i]->addSubview(framingBorders_[i]);
        scrollFrameView_->addSubview(framing_[i]);
    }
}
