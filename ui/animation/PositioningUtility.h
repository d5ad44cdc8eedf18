#pragma once
// Layout by proportions of a reference view: `PositioningUtility` places a view at a relative
// position or the centre of another view and computes centred rectangles and even pixel sizes;
// the plain rectangle functions below take and return values only.
//
// A relative x of 0 is the reference's left edge and 1 its right edge; a relative y of 0 is
// its bottom edge and 1 its top edge. Widths and heights are the reference's bounds; the
// result is set as the view's centre or frame, so the reference is meant to be the view's
// superview.
#include <memory>
#include <vector>

#include "platform/coregraphics/CGGeometry.h"
#include "platform/uikit/UIView.h"

struct PositioningUtility {
    static CGRect rectWithSizeCenteredInRect(CGSize size, CGRect rect);
    static CGRect rectWithSizeCenteredInRectSize(CGSize size, CGSize rectSize);
    // Keeps pixel sizes even: one away from the reference gives the reference; an even whole
    // part keeps the value; an odd one goes to the nearer even neighbour (a tie goes down).
    static double roundedDimension(double dimension, double reference);
    // Each side rounded against the reference's side of the same orientation.
    static CGSize roundedSize(CGSize size, CGSize reference);

    // A row centred in the first view's superview, bent into an arc: the middle lifted by up to
    // `arc` points, the ends by 0 (a single view is centred and lifted by `arc`). Lifts add to
    // the current y. No views: nothing.
    static void positionViews(const std::vector<std::shared_ptr<UIView>>& views, double arc, double spacing);
    static void positionViews(const std::vector<std::shared_ptr<UIView>>& views, double spacing) {
        positionViews(views, 0, spacing);
    }

    static void positionViewAtRelativeCenterY(UIView& view, double relativeY, const UIView& reference);
    static void positionViewAtRelativeCenterX(UIView& view, double relativeX, const UIView& reference);
    static void positionViewAtRelativeXY(UIView& view, double relativeX, double relativeY, const UIView& reference);
    // Frame x (or y) only: the view's middle at the relative position.
    static void positionViewAtRelativeX(UIView& view, double relativeX, const UIView& reference);
    static void positionViewAtRelativeY(UIView& view, double relativeY, const UIView& reference);
    static void positionViewAtCenterOfView(UIView& view, const UIView& reference);
    static void positionViewAtCenterXOfView(UIView& view, const UIView& reference);
    static void positionViewAtCenterYOfView(UIView& view, const UIView& reference);
    // The same against the view's superview; nothing without one.
    static void positionViewAtCenter(UIView& view);
    static void positionViewAtCenterX(UIView& view);
    static void positionViewAtCenterY(UIView& view);
};

// ---- Plain rectangle functions (only the size of a second rectangle counts) --------------
CGPoint rectCenter(CGRect r);
CGPoint pointByAddingPoint(CGPoint p, CGPoint q);
CGRect rectWithSizeCenteredInRect(CGRect container, CGRect r);
CGRect rectWithSizeTopCenteredInRect(CGRect container, CGRect r);
CGRect rectWithSizeBottomCenteredInRect(CGRect container, CGRect r);
CGRect rectWithSizeRightCenteredInRect(CGRect container, CGRect r);
CGRect rectOffsetY(CGRect r, double dy);
CGRect rectAddHeight(CGRect r, double dh);
CGRect rectWithSize(CGSize s);
CGRect squareRectWithDimension(double d);
// Width and height exchanged when the width is the larger.
CGRect portraitRect(CGRect r);
