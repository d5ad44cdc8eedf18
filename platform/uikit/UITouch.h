#pragma once
// Touches and the events that carry them. A touch keeps the view it began in (hit-tested when
// it began) and its location in the window's space (the space of the root of the view tree);
// views ask for it in their own coordinates, as they are drawn now (their presentation), the
// geometry touches are hit-tested with.
#include <memory>
#include <vector>

#include "platform/coregraphics/CGGeometry.h"
#include "platform/foundation/NSRunLoop.h"

class UIView;

// The force of the firmest press the touch screen reports.
inline constexpr CGFloat UITouchMaximumPossibleForce = 20.0 / 3.0;

enum class UITouchPhase { Began = 0, Moved = 1, Stationary = 2, Ended = 3, Cancelled = 4 };

class UITouch {
public:
    UITouchPhase phase = UITouchPhase::Began;
    NSTimeInterval timestamp = 0;
    int tapCount = 1;
    CGPoint windowLocation;
    CGPoint previousWindowLocation;
    std::weak_ptr<UIView> view;
    // The press's force, where 1 is an average touch, up to `maximumPossibleForce`; 0 where
    // the input cannot tell.
    CGFloat force = 0;
    CGFloat maximumPossibleForce = UITouchMaximumPossibleForce;

    CGPoint locationInView(const UIView* view) const;
    CGPoint previousLocationInView(const UIView* view) const;
};

using UITouchSet = std::vector<UITouch*>;

class UIEvent {
public:
    NSTimeInterval timestamp = 0;
    UITouchSet allTouches;
};
