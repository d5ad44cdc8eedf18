#pragma once
// The common part of the small button views (ButtonViews.h): one custom button centred in a
// clear view, whose touch-up-inside runs the view's `buttonTouched`, and the shared press
// animation: the button shrinks to 80 % in the first 0.1 s, stays, and grows back between
// 0.2 s and 0.4 s.
#include <functional>
#include <memory>

#include "platform/uikit/UIButton.h"

class ButtonView : public UIView {
public:
    // The button (held as the view's first subview).
    UIButton& button() const { return *button_; }

    static constexpr double kPressDuration = 0.4;
    // The press on any view (a picture inside a button, a screen's own button).
    static void animatePress(UIView& view, std::function<void(bool finished)> completion = nullptr);

protected:
    ButtonView(CGRect frame, CGRect buttonFrame);
    virtual void buttonTouched() = 0;
    void animatePress(std::function<void(bool finished)> completion = nullptr);

private:
    std::shared_ptr<UIButton> button_;
};
