#pragma once
// The application's busy logo: an outer ring that swings back and forth (or rocks, in the
// alternate motion) with a pulse at each step, a still inner part, and an optional glow behind
// that follows the ring. Each step takes 2.4 s. Once the view has left its window the running
// step is the last; nothing restarts it.
//
// The class's modal form (ModalActivityIndicator): a 120-point rocking logo with the
// transparent inner part in the centre of a view while touches are ignored.
#include <memory>

#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UIView.h"
#include "ui/widgets/ModalActivityIndicator.h"

class AmbrelActivityView : public UIView {
public:
    explicit AmbrelActivityView(CGRect frame = CGRectZero, bool glow = false, bool animate = true,
                                bool useAlternateAnimation = false);
    ~AmbrelActivityView() override;

    // Starts the motion, forward first.
    void beginAnimating();
    CGFloat rotateAngleAmount() const { return rotateAngleAmount_; }
    void setRotateAngleAmount(CGFloat amount) { rotateAngleAmount_ = amount; }
    CGFloat scaleAmount() const { return scaleAmount_; }
    void setScaleAmount(CGFloat amount) { scaleAmount_ = amount; }
    CGFloat glowAmount() const { return iconGlow_ ? iconGlow_->alpha() : 0; }
    void setGlowAmount(CGFloat amount);
    bool transparent() const { return transparent_; }
    // The inner picture without its fill, to lay over a picture.
    void setTransparent(bool transparent);
    bool useAlternateAnimation() const { return useAlternateAnimation_; }
    void setUseAlternateAnimation(bool use) { useAlternateAnimation_ = use; }
    bool shouldStopAnimating() const { return shouldStopAnimating_; }
    bool firstRotate() const { return firstRotate_; }

    UIImageView* iconOutside() const { return iconOutside_.get(); }
    UIImageView* iconInside() const { return iconInside_.get(); }
    UIImageView* iconGlow() const { return iconGlow_.get(); }

    void animateActivityView(bool show, ModalActivityIndicator::Completion completion);
    void didMoveToWindow() override;

    static void beginAnimateActivityViewInView(const std::shared_ptr<UIView>& view,
                                               ModalActivityIndicator::Completion completion = nullptr);
    static void finishAnimateActivityView(ModalActivityIndicator::Completion completion = nullptr);
    static void animateActivityViewInView(const std::shared_ptr<UIView>& view);
    static ModalActivityIndicator& modal();

    static constexpr double kStepDuration = 2.4, kPulseDuration = 1.2;
    static constexpr CGFloat kModalSide = 120;
    static constexpr float kGlowAlpha = 0.4f;

private:
    void rotateView(UIView& view, bool forward);
    void pulse(UIView& view);

    CGFloat rotateAngleAmount_, scaleAmount_;
    bool transparent_ = false, useAlternateAnimation_ = false, shouldStopAnimating_ = false, firstRotate_ = true;
    std::shared_ptr<UIImageView> iconOutside_, iconInside_, iconGlow_;
    // What a step's completion reaches the view through (the motion starts in the
    // constructor, before the view can be shared); cleared when the view goes.
    struct Motion {
        AmbrelActivityView* view;
    };
    std::shared_ptr<Motion> motion_;
};
