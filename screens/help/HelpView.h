#pragma once
// The base of the one-time help panels: a controller whose view (loaded at once by
// `HelpViewController::helpViewForType`) the presenter lays into its container. It says how its
// container is painted and how the panel slides in (from the left, fading in) and away (to the
// right, fading out).
#include <memory>

#include "platform/uikit/UIColor.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIViewController.h"
#include "ui/animation/AnimationUtility.h"

class HelpView : public UIViewController {
public:
    static constexpr NSTimeInterval kSlideDuration = 0.4;
    static constexpr CGFloat kCornerRadius = 8;

    void viewDidLoad() override;

    const std::shared_ptr<UILabel>& label() const { return label_; }
    void setLabel(std::shared_ptr<UILabel> label);

    // The dark blur's colour, painted on the presenter's container.
    virtual UIColor defaultBackgroundColor() const;
    AnimationBlock defaultPresentAnimation();
    AnimationBlock defaultDismissAnimation();

private:
    std::shared_ptr<UILabel> label_;
};
