#pragma once
// The chevron of the main screen that opens (expanded) and closes the editing controls. A tap
// flips it over and runs the block with the new state; code can set the state without the
// flip, and tell a change in progress by `expanding`.
#include <functional>
#include <memory>

#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIView.h"

class ExpandCollapseView : public UIView {
public:
    static constexpr double kFlipDuration = 0.4;
    // How far the turned-over chevron sits below the upright one.
    static constexpr CGFloat kExpandedDrop = 6;

    explicit ExpandCollapseView(CGRect frame = CGRectMake(0, 0, 44, 44));

    bool expanded() const { return expanded_; }
    // Stores the state and runs the block with it (`expanding` meanwhile); nothing moves.
    void setExpanded(bool expanded);
    // Only while the block runs inside `setExpanded`.
    bool expanding() const { return expanding_; }
    UIButton& button() const { return *button_; }
    void setBlock(std::function<void(bool expanded)> block) { block_ = std::move(block); }

    // A tap: the opposite state, then the flip (the view made opaque on the way).
    void expandCollapseTouched();
    void toggleExpanded() { expandCollapseTouched(); }

private:
    void initialize();

    bool expanded_ = false;
    bool expanding_ = false;
    std::shared_ptr<UIButton> button_;
    std::function<void(bool)> block_;
};
