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

enum class NSTextAlignment { Left = 0, Center = 1, Right = 2, Justified = 3, Natural = 4 };
enum class NSLineBreakMode {
    ByWordWrapping = 0,
    ByCharWrapping = 1,
    ByClipping = 2,
    ByTruncatingHead = 3,
    ByTruncatingTail = 4,
    ByTruncatingMiddle = 5,
};

// The paragraph attributes of a string.
struct NSParagraphStyle {
    NSTextAlignment alignment = NSTextAlignment::Natural;
    NSLineBreakMode lineBreakMode = NSLineBreakMode::ByWordWrapping;
    CGFloat lineSpacing = 0;  // extra points between lines
};

// The font, foreground colour and paragraph attributes of a string.
struct NSStringAttributes {
    UIFont font;
    UIColor foregroundColor = UIColor::blackColor();
    NSParagraphStyle paragraphStyle{};
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

// Text set in lines: wrapped at `size.width` (no wrapping when it is not above 0) by the
// paragraph's line-break mode, at most `numberOfLines` lines (0: any number; the last line
// shown is truncated as the mode says). The size of the lines' box, whole points rounded up.
CGSize boundingSizeWithSize(const std::string& text, CGSize size, const NSStringAttributes& attributes,
                            int numberOfLines = 0);
// Draws those lines from the top of the rectangle, aligned in its width as the paragraph says,
// into the current context: filled, outlined (with the context's line width and line join in
// the foreground colour) or both, as the context's text drawing mode says; clipped to the
// rectangle's height.
void drawInRect(const std::string& text, CGRect rect, const NSStringAttributes& attributes, int numberOfLines = 0);
}  // namespace NSStringDrawing
