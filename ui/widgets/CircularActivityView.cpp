#include "ui/widgets/CircularActivityView.h"

#include <numbers>
#include <random>

#include "ui/animation/PositioningUtility.h"
#include "ui/appearance/AppAppearance.h"
#include "ui/appearance/UIColor+ColorUtility.h"
#include "ui/widgets/CircularProgressView.h"

CircularActivityView::CircularActivityView(CGRect frame) : UIView(frame) { initialize(); }

std::size_t CircularActivityView::randomBelow(std::size_t bound) {
    static std::mt19937 generator{std::random_device{}()};
    return std::uniform_int_distribution<std::size_t>(0, bound - 1)(generator);
}

void CircularActivityView::initialize() {
    auto colors = ColorUtility::pastelColors(kRings);
    randomizeArray(colors);
    const CGSize size = bounds().size;
    float scale = 1.0f;
    double progress = 0.8, delay = 0.1;
    for (int i = 0; i < kRings && i < static_cast<int>(colors.size()); ++i) {
        auto ring = std::make_shared<CircularProgressView>(CGRectMake(0, 0, size.width * scale, size.height * scale));
        ring->setUseVisualEffect(false);
        PositioningUtility::positionViewAtCenterOfView(*ring, *this);
        ring->setRelativeThickness(10.0 / size.width);
        ring->setAlpha(1.0);
        ring->setShowLabel(false);
        ring->setProgress(progress);
        ring->setBackgroundColor(UIColor::clearColor());
        ring->setCircleColor(UIColor::clearColor());
        ring->setProgressColor(ColorUtility::blendWithColor(colors[i], AppAppearance::tintColor(), 0.3f));
        addSubview(ring);
        rotateView(ring, delay, i % 2 == 1);
        scale -= 0.04f;
        progress -= 0.025;
        delay += 0.1;
    }
}

void CircularActivityView::rotateView(const std::shared_ptr<UIView>& view, double delay, bool forward) {
    const double quarter = forward ? std::numbers::pi / 2 : -std::numbers::pi / 2;
    std::weak_ptr<UIView> weak = view;
    UIView* v = view.get();
    UIView::animateWithDuration(
        kTurnDuration, delay, UIViewAnimationOptionCurveLinear,
        [v, quarter] { v->setTransform(CGAffineTransformRotate(v->transform(), quarter)); },
        [weak, forward](bool finished) {
            // An interrupted turn ends the ring's turning.
            if (auto ring = weak.lock(); ring && finished) rotateView(ring, 0, forward);
        });
}

void CircularActivityView::animateActivityView(bool show, ModalActivityIndicator::Completion completion) {
    ModalActivityIndicator::animateActivityView(shared_from_this(), show, std::move(completion));
}

ModalActivityIndicator& CircularActivityView::modal() {
    static ModalActivityIndicator indicator(
        [] { return std::make_shared<CircularActivityView>(CGRectMake(0, 0, kModalSide, kModalSide)); });
    return indicator;
}

void CircularActivityView::beginAnimateActivityViewInView(const std::shared_ptr<UIView>& view,
                                                          ModalActivityIndicator::Completion completion) {
    modal().begin(view, std::move(completion));
}

void CircularActivityView::finishAnimateActivityView(ModalActivityIndicator::Completion completion) {
    modal().finish(std::move(completion));
}

void CircularActivityView::animateActivityViewInView(const std::shared_ptr<UIView>& view) {
    modal().animateInView(view);
}
