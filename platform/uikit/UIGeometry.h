#pragma once
// Edge insets: distances in from the four edges of a rectangle.
#include "platform/coregraphics/CGGeometry.h"

struct UIEdgeInsets {
    CGFloat top = 0, left = 0, bottom = 0, right = 0;
    friend bool operator==(const UIEdgeInsets&, const UIEdgeInsets&) = default;
};

inline constexpr UIEdgeInsets UIEdgeInsetsZero{};

inline UIEdgeInsets UIEdgeInsetsMake(CGFloat top, CGFloat left, CGFloat bottom, CGFloat right) {
    return {top, left, bottom, right};
}

// The rectangle moved in by the insets (negative insets move out).
inline CGRect UIEdgeInsetsInsetRect(CGRect rect, UIEdgeInsets insets) {
    return {{rect.origin.x + insets.left, rect.origin.y + insets.top},
            {rect.size.width - insets.left - insets.right, rect.size.height - insets.top - insets.bottom}};
}
