#include "ui/foundation/GestureController.h"

#include "platform/uikit/UIPinchGestureRecognizer.h"
#include "platform/uikit/UISlider.h"

GestureController::~GestureController() { disableGestures(); }

void GestureController::enableGesturesForView(const std::shared_ptr<UIView>& view,
                                              const std::shared_ptr<UIView>& normalizationView) {
    if (pan_ && pan_->view() == view.get()) return;
    if (pan_) disableGestures();
    normalizationView_ = normalizationView;
    pan_ = std::make_shared<UIPanGestureRecognizer>();
    pan_->addTarget(this,
                    [this](UIGestureRecognizer& g) { handlePanGesture(static_cast<UIPanGestureRecognizer&>(g)); });
    pan_->setDelegate(shared_from_this());
    view->addGestureRecognizer(pan_);
}

void GestureController::disableGestures() {
    if (!pan_ || !pan_->view()) return;
    normalizationView_ = nullptr;
    pan_->view()->removeGestureRecognizer(pan_.get());
    pan_ = nullptr;
}

void GestureController::handlePanGesture(UIPanGestureRecognizer& pan) {
    const UIView* reference = normalizationView_.get();
    const CGSize size = reference ? reference->bounds().size : CGSize{};
    const CGPoint location = pan.locationInView(reference);
    const CGPoint velocity = pan.velocityInView(reference);
    const CGPoint position{location.x / size.width, 1 - location.y / size.height};
    const CGPoint normalizedVelocity{velocity.x / size.width, -(velocity.y / size.height)};
    // A normalisation view without width would give infinities: the value stays.
    const bool measurable = size.width > 0;
    switch (pan.state()) {
    case UIGestureRecognizerState::Began: {
        // Measured from where the finger went down: the travel a pan needs before it begins
        // counts towards the value too.
        const CGPoint travel = pan.translationInView(reference);
        initialPoint_ = {(location.x - travel.x) / size.width, 1 - (location.y - travel.y) / size.height};
        initialGestureValue_ = gestureValue_;
        if (began_) began_(position, CGPoint{});
        return;
    }
    case UIGestureRecognizerState::Changed:
        if (measurable) gestureValue_ = initialGestureValue_ + (position.x - initialPoint_.x);
        if (changed_) changed_(position, normalizedVelocity);
        break;
    case UIGestureRecognizerState::Ended:
    case UIGestureRecognizerState::Cancelled:
    case UIGestureRecognizerState::Failed:
        if (measurable) gestureValue_ = initialGestureValue_ + (position.x - initialPoint_.x);
        if (ended_) ended_(position, normalizedVelocity);
        break;
    default: return;
    }
    if (valueChanged_) valueChanged_(gestureValue_);
}

bool GestureController::shouldReceiveTouch(UIGestureRecognizer&, const UITouch& touch) {
    return !dynamic_cast<UISlider*>(touch.view.lock().get());
}

bool GestureController::shouldRecognizeSimultaneously(UIGestureRecognizer&, UIGestureRecognizer& other) {
    return !dynamic_cast<UIPanGestureRecognizer*>(&other) && !dynamic_cast<UIPinchGestureRecognizer*>(&other);
}
