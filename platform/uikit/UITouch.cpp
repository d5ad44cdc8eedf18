#include "platform/uikit/UITouch.h"

#include "platform/uikit/UIView.h"

CGPoint UITouch::locationInView(const UIView* view) const {
    return view ? view->convertPointFromView(windowLocation, nullptr) : windowLocation;
}

CGPoint UITouch::previousLocationInView(const UIView* view) const {
    return view ? view->convertPointFromView(previousWindowLocation, nullptr) : previousWindowLocation;
}
