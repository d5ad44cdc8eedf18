#include "ui/widgets/AmbrelActivityView.h"

#include <numbers>

#include "platform/foundation/Dispatch.h"
#include "platform/quartzcore/CASpringAnimation.h"
#include "ui/animation/PositioningUtility.h"

namespace {

std::shared_ptr<UIImageView> picture(const char* name, CGRect frame) {
    auto view = std::make_shared<UIImageView>(frame);
    view->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    view->setImage(UIImage::imageNamed(name));
    return view;
}

}  // namespace

AmbrelActivityView::AmbrelActivityView(CGRect frame, bool glow, bool animate, bool useAlternateAnimation)
    : UIView(frame),
      rotateAngleAmount_(std::numbers::pi / 2),
      scaleAmount_(0.95f),
      useAlternateAnimation_(useAlternateAnimation),
      motion_(std::make_shared<Motion>(Motion{this})) {
    iconOutside_ = picture("iconOutside", bounds());
    addSubview(iconOutside_);
    iconInside_ = picture("iconInside", bounds());
    addSubview(iconInside_);
    if (glow) {
        const UIImagePtr outer = iconOutside_->image();
        iconGlow_ = picture("iconGlow", CGRectZero);
        const CGSize g = iconGlow_->image() ? iconGlow_->image()->size() : CGSize{};
        const CGSize o = outer ? outer->size() : CGSize{};
        const CGSize size = o.width > 0 && o.height > 0 ? CGSize{bounds().size.width * g.width / o.width,
                                                                 bounds().size.height * g.height / o.height}
                                                        : bounds().size;
        iconGlow_->setFrame(PositioningUtility::rectWithSizeCenteredInRect(size, bounds()));
        iconGlow_->setAlpha(kGlowAlpha);
        insertSubview(iconGlow_, 0);
        setClipsToBounds(false);
    }
    if (animate) beginAnimating();
}

AmbrelActivityView::~AmbrelActivityView() { motion_->view = nullptr; }

void AmbrelActivityView::beginAnimating() { rotateView(*iconOutside_, true); }

void AmbrelActivityView::setGlowAmount(CGFloat amount) {
    if (iconGlow_) iconGlow_->setAlpha(amount);
}

void AmbrelActivityView::setTransparent(bool transparent) {
    transparent_ = transparent;
    iconInside_->setImage(UIImage::imageNamed(transparent ? "iconInsideTransparent" : "iconInside"));
}

void AmbrelActivityView::rotateView(UIView& view, bool forward) {
    const CGFloat a = rotateAngleAmount_;
    CGFloat angle;
    if (useAlternateAnimation_) {
        angle = forward ? -a : a;
    } else {
        const CGFloat o = firstRotate_ ? a / 2 : 0;
        angle = forward ? o - a : a - o;
        firstRotate_ = false;
    }
    const CGAffineTransform target = CGAffineTransformRotate(view.transform(), angle);
    UIView* glow = iconGlow_.get();
    UIView* v = &view;
    UIView::animateWithDuration(
        kStepDuration, 0, 0.5, 1.0, UIViewAnimationOptionCurveEaseIn,
        [v, glow, target] {
            v->setTransform(target);
            if (glow) glow->setTransform(v->transform());
        },
        [motion = motion_, v, forward](bool) {
            if (motion->view && !motion->view->shouldStopAnimating_) motion->view->rotateView(*v, !forward);
        });
    pulse(view);
}

void AmbrelActivityView::pulse(UIView& view) {
    // On the presentation only: the toolkit's animations of one property replace each other,
    // so a pulse through the view's transform would cut the swing short. The pulse ends where
    // it started, so the model needs no change.
    const double s = scaleAmount_;
    const CGFloat damping = 0.2f;
    const CFTimeInterval now = CACurrentMediaTime();
    for (UIView* v : {&view, static_cast<UIView*>(iconGlow_.get())}) {
        if (!v) continue;
        auto in = CASpringAnimation::springWithDampingRatio("transform.scale", damping, 1.0, kPulseDuration);
        in->fromValue = 1.0;
        in->toValue = s;
        v->layer()->addAnimation(in, "pulse");
        auto out = CASpringAnimation::springWithDampingRatio("transform.scale", damping, 1.0, kPulseDuration);
        out->fromValue = s;
        out->toValue = 1.0;
        out->beginTime = now + kPulseDuration;
        v->layer()->addAnimation(out, "pulseBack");
    }
}

void AmbrelActivityView::didMoveToWindow() {
    UIView::didMoveToWindow();
    std::weak_ptr<UIView> weak = weak_from_this();
    dispatch_async(dispatch_get_main_queue(), [weak] {
        auto self = std::static_pointer_cast<AmbrelActivityView>(weak.lock());
        if (self && !self->window()) self->shouldStopAnimating_ = true;
    });
}

void AmbrelActivityView::animateActivityView(bool show, ModalActivityIndicator::Completion completion) {
    ModalActivityIndicator::animateActivityView(shared_from_this(), show, std::move(completion));
}

ModalActivityIndicator& AmbrelActivityView::modal() {
    static ModalActivityIndicator indicator([] {
        auto view = std::make_shared<AmbrelActivityView>(CGRectMake(0, 0, kModalSide, kModalSide), false, true, true);
        view->setTransparent(true);
        return std::shared_ptr<UIView>(view);
    });
    return indicator;
}

void AmbrelActivityView::beginAnimateActivityViewInView(const std::shared_ptr<UIView>& view,
                                                        ModalActivityIndicator::Completion completion) {
    modal().begin(view, std::move(completion));
}

void AmbrelActivityView::finishAnimateActivityView(ModalActivityIndicator::Completion completion) {
    modal().finish(std::move(completion));
}

void AmbrelActivityView::animateActivityViewInView(const std::shared_ptr<UIView>& view) { modal().animateInView(view); }
