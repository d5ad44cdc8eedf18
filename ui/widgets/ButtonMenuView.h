#pragma once
// A horizontal bar of equally spaced buttons, added one after another (picture buttons, text
// buttons or any view made tappable), laid out again when the bar changes size, with thin
// dividers between them when `showDivider` is on. Button k of n has its centre at
// (k + 0.5) / n of the width, vertically in the middle; dividers stand halfway between. A
// layout with `showDivider` off leaves the dividers of an earlier layout where they are.
//
// Actions receive the control that fired them; each one added is one more handler.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIView.h"

class ButtonMenuView : public UIView {
public:
    using Action = std::function<void(NSObject& sender)>;
    using Views = std::vector<std::shared_ptr<UIView>>;

    explicit ButtonMenuView(CGRect frame = CGRectZero);

    const Views& buttonViews() const { return buttonViews_; }
    const Views& dividerViews() const { return dividerViews_; }
    bool showDivider() const { return showDivider_; }
    void setShowDivider(bool show) { showDivider_ = show; }

    // A picture button of the size (44 x 44 by default); with a tint the picture is drawn as a
    // template in it.
    void addButtonWithImage(UIImagePtr image, CGSize imageSize, std::optional<UIColor> tintColor, Action action);
    void addButtonWithImage(UIImagePtr image, std::optional<UIColor> tintColor, Action action);
    void addButtonWithImage(UIImagePtr image, Action action);
    // Makes the view tappable with a clear button over it; the view joins the bar.
    std::shared_ptr<UIView> addButtonWithView(std::shared_ptr<UIView> view, Action action = nullptr);
    // A text button in the default font, sized to fit; a tint colours its title.
    std::shared_ptr<UIButton> addButtonWithString(const std::string& title, std::optional<UIColor> tintColor);
    void addButtonWithString(const std::string& title, std::optional<UIColor> tintColor, Action action);
    void addButtonWithString(const std::string& title, Action action);
    // The hold action on touch-down, the release action on every end of the touch (up inside,
    // up outside, cancel).
    void addButtonWithString(const std::string& title, std::optional<UIColor> tintColor, Action holdAction,
                             Action releaseAction);
    void clearButtons();

    void layoutViews();
    // Lays the buttons out when the bounds' size differs from that of the last layout.
    void layoutSubviews() override;

private:
    void append(const std::shared_ptr<UIView>& view);

    Views buttonViews_;
    bool showDivider_ = false;
    Views dividerViews_;
};
