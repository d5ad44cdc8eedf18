#include "ui/animation/PortraitAlignedView.h"

#include <numbers>

#include "platform/foundation/NSNotificationCenter.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIScreen.h"
#include "ui/animation/PositioningUtility.h"

std::shared_ptr<PortraitAlignedView> PortraitAlignedView::viewWithView(const std::shared_ptr<UIView>& view) {
    auto container = std::make_shared<PortraitAlignedView>(view ? view->frame() : CGRectZero);
    container->setAlignedView(view);
    return container;
}

PortraitAlignedView::PortraitAlignedView(CGRect frame) : UIView(frame) { initialize(); }

PortraitAlignedView::~PortraitAlignedView() {
    NSNotificationCenter::defaultCenter().removeObserver(this);
    if (alignedView_) {
        alignedView_->removeFromSuperview();
        alignedView_->setTransform(CGAffineTransformIdentity);
        alignedView_->setFrame(alignedViewFrame_);
    }
}

void PortraitAlignedView::initialize() {
    setClipsToBounds(false);
    setBackgroundColor(UIColor::clearColor());
    NSNotificationCenter::defaultCenter().addObserver(this, UIDeviceOrientationDidChangeNotification,
                                                      [this](const NSNotification&) { applyTransform(); });
}

void PortraitAlignedView::setAlignedView(const std::shared_ptr<UIView>& view) {
    alignedView_ = view;
    if (!view) return;
    alignedViewFrame_ = view->frame();
    setFrame(view->frame());
    view->setFrame(view->bounds());
    addSubview(view);
    applyTransform();
}

void PortraitAlignedView::applyTransform() {
    if (!alignedView_) return;
    constexpr double pi = std::numbers::pi;
    double angle = 0;
    switch (UIApplication::sharedApplication().statusBarOrientation()) {
    case UIInterfaceOrientation::PortraitUpsideDown: angle = pi; break;
    case UIInterfaceOrientation::LandscapeLeft: angle = -pi / 2; break;
    case UIInterfaceOrientation::LandscapeRight: angle = pi / 2; break;
    default: break;
    }
    alignedView_->setTransform(CGAffineTransformMakeRotation(angle));
    alignedView_->setCenter(rectCenter(bounds()));
}

void PortraitAlignedView::layoutSubviews() {
    UIView::layoutSubviews();
    applyTransform();
}
