#pragma once
// Short texts drawn into pictures for the pickers (a library mode's or an adjustment's title
// stands as its picture), and the application's look where the pickers need it. Texts are
// measured and drawn by the interface layer's string drawing in the application's font.
#include <string>

#include "platform/coregraphics/CGColor.h"
#include "platform/coregraphics/CGGeometry.h"
#include "platform/uikit/NSStringDrawing.h"
#include "platform/uikit/UIImage.h"

namespace TextDrawing {
// The text drawn with the attributes on a transparent ground, as large as
// `NSStringDrawing::sizeWithAttributes`, at `scale` pixels per point (the main screen's when 0).
// Null for an empty text.
UIImagePtr imageWithText(const std::string& text, const NSStringAttributes& attributes, CGFloat scale = 0);
}  // namespace TextDrawing

namespace PickerAppearance {
inline constexpr const char* kDefaultFontName = "STHeitiTC-Medium";
// "#ED9A00" or "ED9A00": opaque; the number ends at the first character that is not a
// hexadecimal digit.
CGColor colorWithHexString(const std::string& hex);
CGColor defaultLightColor();  // "fefef2"
CGColor defaultTintColor();   // "2671a7"
// A grey as light as the colour (Rec. 709 weights on the stored components), same alpha.
CGColor grayscaleColor(const CGColor& color);
// The attributes of pictures made from titles: the application font at 18 points in the
// light colour.
NSStringAttributes titleAttributes();
}  // namespace PickerAppearance
