#pragma once
// The spinning busy sign: twelve spokes round a centre, the brightest one stepping on
// clockwise every 1/12 s while it animates (on the main run loop's clock, in every common
// mode), the ones behind it fading. Styles: 0 large white (37 points), 1 white and 2 grey
// (20 points). Hidden while stopped unless told otherwise.
#include <memory>

#include "platform/uikit/UIView.h"

class NSTimer;

enum class UIActivityIndicatorViewStyle { WhiteLarge = 0, White = 1, Gray = 2 };

class UIActivityIndicatorView : public UIView {
public:
    static constexpr int kSpokes = 12;
    static constexpr NSTimeInterval kStepInterval = 1.0 / kSpokes;

    explicit UIActivityIndicatorView(UIActivityIndicatorViewStyle style = UIActivityIndicatorViewStyle::White);
    ~UIActivityIndicatorView() override;

    UIActivityIndicatorViewStyle activityIndicatorViewStyle() const { return style_; }
    // Also resizes the view to the style's size about its centre.
    void setActivityIndicatorViewStyle(UIActivityIndicatorViewStyle style);
    // The spokes' colour (the style's unless set).
    UIColor color() const { return color_; }
    void setColor(UIColor color);
    bool hidesWhenStopped() const { return hidesWhenStopped_; }
    void setHidesWhenStopped(bool hides);

    void startAnimating();
    void stopAnimating();
    bool isAnimating() const { return timer_ != nullptr; }
    // The spoke drawn brightest (0 at the top, counting clockwise).
    int step() const { return step_; }

    void drawRect(CGRect rect) override;

private:
    UIActivityIndicatorViewStyle style_;
    UIColor color_;
    bool hidesWhenStopped_ = true;
    int step_ = 0;
    std::shared_ptr<NSTimer> timer_;
};
