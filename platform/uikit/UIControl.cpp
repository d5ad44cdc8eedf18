#include "platform/uikit/UIControl.h"

UIControl::UIControl(CGRect frame) : UIView(frame) {}

UIControlState UIControl::state() const {
    return (highlighted_ ? UIControlStateHighlighted : 0) | (enabled_ ? 0 : UIControlStateDisabled) |
           (selected_ ? UIControlStateSelected : 0);
}

void UIControl::setEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    if (!enabled) {
        highlighted_ = false;
        stopTracking();
    }
    stateDidChange();
}

void UIControl::setSelected(bool selected) {
    if (selected_ == selected) return;
    selected_ = selected;
    stateDidChange();
}

void UIControl::setHighlighted(bool highlighted) {
    if (highlighted_ == highlighted) return;
    highlighted_ = highlighted;
    stateDidChange();
}

void UIControl::setContentHorizontalAlignment(UIControlContentHorizontalAlignment a) {
    horizontal_ = a;
    setNeedsLayout();
}

void UIControl::setContentVerticalAlignment(UIControlContentVerticalAlignment a) {
    vertical_ = a;
    setNeedsLayout();
}

void UIControl::addTarget(const void* target, Action action, UIControlEvents events) {
    if (action && events) actions_.push_back({target, std::move(action), events});
}

void UIControl::removeTarget(const void* target, UIControlEvents events) {
    for (auto it = actions_.begin(); it != actions_.end();) {
        if (target && it->target != target) {
            ++it;
            continue;
        }
        it->events &= ~events;
        it = it->events ? it + 1 : actions_.erase(it);
    }
}

UIControlEvents UIControl::allControlEvents() const {
    UIControlEvents all = 0;
    for (const Entry& e : actions_) all |= e.events;
    return all;
}

void UIControl::sendActionsForControlEvents(UIControlEvents events, const UIEvent* event) {
    // A copy: an action may add or remove actions, or release the control's last owner.
    auto self = shared_from_this();
    const std::vector<Entry> entries = actions_;
    for (const Entry& e : entries)
        if (e.events & events) e.action(*this, event);
}

bool UIControl::inside(const UITouch& touch) const { return CGRectContainsPoint(bounds(), touch.locationInView(this)); }

void UIControl::stopTracking() {
    touching_ = false;
    tracking_ = false;
    touchInside_ = false;
}

void UIControl::touchesBegan(const UITouchSet& touches, const UIEvent* event) {
    if (touches.empty() || touching_ || !enabled_) return;
    const UITouch& touch = *touches.front();
    touching_ = true;
    tracking_ = true;
    touchInside_ = true;
    setHighlighted(true);
    auto self = shared_from_this();
    if (!beginTrackingWithTouch(touch, event)) tracking_ = false;
    sendActionsForControlEvents(
        touch.tapCount > 1 ? UIControlEventTouchDown | UIControlEventTouchDownRepeat : UIControlEventTouchDown, event);
}

void UIControl::touchesMoved(const UITouchSet& touches, const UIEvent* event) {
    if (touches.empty() || !touching_) return;
    const UITouch& touch = *touches.front();
    auto self = shared_from_this();
    const bool wasInside = touchInside_;
    touchInside_ = inside(touch);
    setHighlighted(touchInside_);
    if (tracking_ && !continueTrackingWithTouch(touch, event)) tracking_ = false;
    UIControlEvents events = touchInside_ ? UIControlEventTouchDragInside : UIControlEventTouchDragOutside;
    if (wasInside != touchInside_) events |= touchInside_ ? UIControlEventTouchDragEnter : UIControlEventTouchDragExit;
    sendActionsForControlEvents(events, event);
}

void UIControl::touchesEnded(const UITouchSet& touches, const UIEvent* event) {
    if (touches.empty() || !touching_) return;
    const UITouch& touch = *touches.front();
    auto self = shared_from_this();
    const bool wasTracking = tracking_;
    const bool isInside = inside(touch);
    stopTracking();
    setHighlighted(false);
    if (wasTracking) endTrackingWithTouch(&touch, event);
    sendActionsForControlEvents(isInside ? UIControlEventTouchUpInside : UIControlEventTouchUpOutside, event);
}

void UIControl::touchesCancelled(const UITouchSet& touches, const UIEvent* event) {
    if (!touching_) return;
    auto self = shared_from_this();
    const bool wasTracking = tracking_;
    stopTracking();
    setHighlighted(false);
    if (wasTracking) cancelTrackingWithEvent(event);
    sendActionsForControlEvents(UIControlEventTouchCancel, event);
}
