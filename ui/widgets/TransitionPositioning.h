#pragma once
// Fits an overlay to the view it covers and centres its content (a first subview tagged with
// the centred position) in the overlay, raised by the navigation bar's height while the key
// window shows a navigation controller with its bar.
#include "platform/uikit/UIView.h"

class TransitionPositioning {
public:
    static constexpr int kCentered = 1;
    static void setPosition(int position, UIView& content) { content.setTag(position); }
    static void positionTransition(UIView& overlay, const UIView& view);
};
