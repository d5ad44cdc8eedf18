#include "ui/widgets/ButtonView.h"

#include "ui/animation/PositioningUtility.h"

ButtonView::ButtonView(CGRect frame, CGRect buttonFrame)
    : UIView(frame), button_(std::make_shared<UIButton>(buttonFrame)) {
    setBackgroundColor(UIColor::clearColor());
    button_->addTarget(
        this, [this](UIControl&, const UIEvent*) { buttonTouched(); }, UIControlEventTouchUpInside);
    addSubview(button_);
    PositioningUtility::positionViewAtCenterOfView(*button_, *this);
}

void ButtonView::animatePress(std::function<void(bool finished)> completion) {
    animatePress(*button_, std::move(completion));
}

void ButtonView::animatePress(UIView& view, std::function<void(bool finished)> completion) {
    UIView* pressed = &view;
    UIView::animateKeyframesWithDuration(
        kPressDuration, 0, 0,
        [pressed] {
            UIView::addKeyframeWithRelativeStartTime(
                0.0, 0.25, [pressed] { pressed->setTransform(CGAffineTransformMakeScale(0.8f, 0.8f)); });
            UIView::addKeyframeWithRelativeStartTime(0.5, 0.5,
                                                     [pressed] { pressed->setTransform(CGAffineTransformIdentity); });
        },
        std::move(completion));
}
