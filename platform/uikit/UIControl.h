#pragma once
// Controls: views that turn touches into events sent to their targets' actions. A touch that
// begins in an enabled control is tracked: touch-down at once, drag-enter and drag-exit as it
// crosses the control's bounds (the control is highlighted while the touch is inside), then
// touch-up inside or outside where it lifts, or cancel when the touch is cancelled. A disabled
// control takes its touches and sends nothing. Actions are blocks with a target pointer that
// serves only to remove them again.
#include <functional>
#include <vector>

#include "platform/uikit/UIView.h"

using UIControlEvents = unsigned;
inline constexpr UIControlEvents UIControlEventTouchDown = 1 << 0;
inline constexpr UIControlEvents UIControlEventTouchDownRepeat = 1 << 1;
inline constexpr UIControlEvents UIControlEventTouchDragInside = 1 << 2;
inline constexpr UIControlEvents UIControlEventTouchDragOutside = 1 << 3;
inline constexpr UIControlEvents UIControlEventTouchDragEnter = 1 << 4;
inline constexpr UIControlEvents UIControlEventTouchDragExit = 1 << 5;
inline constexpr UIControlEvents UIControlEventTouchUpInside = 1 << 6;
inline constexpr UIControlEvents UIControlEventTouchUpOutside = 1 << 7;
inline constexpr UIControlEvents UIControlEventTouchCancel = 1 << 8;
inline constexpr UIControlEvents UIControlEventValueChanged = 1 << 12;
inline constexpr UIControlEvents UIControlEventAllTouchEvents = 0x0FFF;
inline constexpr UIControlEvents UIControlEventAllEvents = 0xFFFFFFFF;

using UIControlState = unsigned;
inline constexpr UIControlState UIControlStateNormal = 0;
inline constexpr UIControlState UIControlStateHighlighted = 1 << 0;
inline constexpr UIControlState UIControlStateDisabled = 1 << 1;
inline constexpr UIControlState UIControlStateSelected = 1 << 2;

enum class UIControlContentHorizontalAlignment { Center = 0, Left = 1, Right = 2, Fill = 3 };
enum class UIControlContentVerticalAlignment { Center = 0, Top = 1, Bottom = 2, Fill = 3 };

class UIControl : public UIView {
public:
    using Action = std::function<void(UIControl& sender, const UIEvent* event)>;

    explicit UIControl(CGRect frame = CGRectZero);

    bool isEnabled() const { return enabled_; }
    virtual void setEnabled(bool enabled);
    bool isSelected() const { return selected_; }
    virtual void setSelected(bool selected);
    bool isHighlighted() const { return highlighted_; }
    virtual void setHighlighted(bool highlighted);
    bool isTracking() const { return tracking_; }
    bool isTouchInside() const { return touchInside_; }
    // Normal, or the highlighted, disabled and selected bits that apply.
    UIControlState state() const;

    UIControlContentHorizontalAlignment contentHorizontalAlignment() const { return horizontal_; }
    void setContentHorizontalAlignment(UIControlContentHorizontalAlignment a);
    UIControlContentVerticalAlignment contentVerticalAlignment() const { return vertical_; }
    void setContentVerticalAlignment(UIControlContentVerticalAlignment a);

    // Every added action runs for each of its events, in the order added.
    void addTarget(const void* target, Action action, UIControlEvents events);
    // Removes the target's actions for those events (a null target: every target's).
    void removeTarget(const void* target, UIControlEvents events = UIControlEventAllEvents);
    std::size_t actionCount() const { return actions_.size(); }
    UIControlEvents allControlEvents() const;
    void sendActionsForControlEvents(UIControlEvents events, const UIEvent* event = nullptr);

    // Tracking hooks for subclasses (the touch's location through `touch`); answering false
    // from begin or continue ends the tracking.
    virtual bool beginTrackingWithTouch(const UITouch& touch, const UIEvent* event) { return true; }
    virtual bool continueTrackingWithTouch(const UITouch& touch, const UIEvent* event) { return true; }
    virtual void endTrackingWithTouch(const UITouch* touch, const UIEvent* event) {}
    virtual void cancelTrackingWithEvent(const UIEvent* event) {}

    void touchesBegan(const UITouchSet& touches, const UIEvent* event) override;
    void touchesMoved(const UITouchSet& touches, const UIEvent* event) override;
    void touchesEnded(const UITouchSet& touches, const UIEvent* event) override;
    void touchesCancelled(const UITouchSet& touches, const UIEvent* event) override;

protected:
    // The look follows the state: called after each change of enabled, selected, highlighted.
    virtual void stateDidChange() {}

private:
    struct Entry {
        const void* target;
        Action action;
        UIControlEvents events;
    };
    bool inside(const UITouch& touch) const;
    void stopTracking();

    std::vector<Entry> actions_;
    bool enabled_ = true, selected_ = false, highlighted_ = false;
    bool touching_ = false;  // a touch sequence began here and has not ended
    bool tracking_ = false, touchInside_ = false;
    UIControlContentHorizontalAlignment horizontal_ = UIControlContentHorizontalAlignment::Center;
    UIControlContentVerticalAlignment vertical_ = UIControlContentVerticalAlignment::Center;
};
