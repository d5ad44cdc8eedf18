#pragma once
// UIKit's drawing additions to strings (strings are std::string here): measuring a one-line text
// with a font, and drawing it in a colour into the current UIKit context or a given CG context.
//
// Drawing follows the context's current transform, clip and alpha and leaves its current path
// alone. Like UIKit, it expects the flipped user space of UIKit contexts (y down: view drawing
// and image contexts); in a plain y-up Core Graphics context the text comes out upside down.
#include <string>

#include "platform/coregraphics/CGContext.h"
#include "platform/coregraphics/CGGeometry.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIFont.h"

// The font and foreground colour attributes of a string.
struct NSStringAttributes {
    UIFont font;
    UIColor foregroundColor = UIColor::blackColor();
};

namespace NSStringDrawing {
// The size in points of the text's line box (zero for an empty text).
CGSize sizeWithAttributes(const std::string& text, const NSStringAttributes& attributes);
// Draws the text with the top-left corner of its line box at the point, into the current
// context (`UIGraphicsGetCurrentContext`); nothing without one.
void drawAtPoint(const std::string& text, CGPoint point, const NSStringAttributes& attributes);
// The same into the given context.
void drawAtPointInContext(const CGContextRef& context, const std::string& text, CGPoint point,
                          const NSStringAttributes& attributes);
}  // namespace NSStringDrawing
