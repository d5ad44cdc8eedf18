#pragma once
// Short texts drawn into pictures for the pickers (a library mode's or an adjustment's title
// stands as its picture), and the application's look where the pickers need it.
//
// Texts are set with pango over the Core Graphics stand-in's cairo context. The application
// asks for its font by the platform's font name ("STHeitiTC-Medium"); the name is mapped to a
// family and weight installed here, and fontconfig falls back to a plain sans-serif face
// when that family is missing.
#include <string>

#include "platform/coregraphics/CGColor.h"
#include "platform/coregraphics/CGGeometry.h"
#include "platform/uikit/UIImage.h"

struct TextAttributes {
    std::string fontName;  // the platform's font name
    CGFloat fontSize = 0;  // points
    CGColor foregroundColor{0, 0, 0, 1};
};

namespace TextDrawing {
// The size in points that the text takes when drawn with the attributes (one line).
CGSize sizeWithAttributes(const std::string& text, const TextAttributes& attributes);
// The text drawn with the attributes on a transparent ground, as large as
// `sizeWithAttributes`, at `scale` pixels per point (the main screen's when 0). Null for an
// empty text.
UIImagePtr imageWithText(const std::string& text, const TextAttributes& attributes, CGFloat scale = 0);
// The installed face a platform font name is drawn with, as pango describes it
// ("DejaVu Sans 18"): for tests and logs.
std::string fontDescriptionForFontName(const std::string& fontName, CGFloat size);
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
TextAttributes titleAttributes();
}  // namespace PickerAppearance
