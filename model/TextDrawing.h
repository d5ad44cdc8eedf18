#pragma once
// The pictures the pickers show: the application's icons, found by name among the
// resources, and short texts drawn into pictures (a library mode's or an adjustment's
// title). A picture is its pixels and the scale they were made at (pixels per point); the
// interface layer wraps them as images when it draws the cells.
//
// Texts are set with pango. The application asks for its font by the platform's font name
// ("STHeitiTC-Medium"); the name is mapped to a family and weight installed here, and
// fontconfig falls back to a plain sans-serif face when that family is missing.
#include <memory>
#include <string>

#include "platform/coregraphics/CGColor.h"
#include "platform/coregraphics/CGGeometry.h"
#include "platform/coregraphics/CGImage.h"

struct TextAttributes {
    std::string fontName;  // the platform's font name
    CGFloat fontSize = 0;  // points
    CGColor foregroundColor{0, 0, 0, 1};
};

class PickerImage {
public:
    // The icon "name" (looked for as name@2x.png, then name.png, among the resources); null
    // when there is none or it cannot be read. Icons are read once and shared.
    static std::shared_ptr<const PickerImage> imageNamed(const std::string& name);
    // The text drawn with the attributes on a transparent ground, as large as
    // `sizeWithAttributes`, at `scale` pixels per point. Null for an empty text.
    static std::shared_ptr<const PickerImage> imageWithText(const std::string& text, const TextAttributes& attributes,
                                                            CGFloat scale = 2);
    // The size in points that the text takes when drawn with the attributes (one line).
    static CGSize sizeWithAttributes(const std::string& text, const TextAttributes& attributes);

    // The installed font family and weight a platform font name is drawn with, as a pango
    // font description ("DejaVu Sans Medium 18"): for tests and logs.
    static std::string fontDescriptionForFontName(const std::string& fontName, CGFloat size);

    PickerImage(std::string name, CGImageRef image, CGFloat scale);

    // The icon's name; empty for a drawn text.
    const std::string& name() const { return name_; }
    const CGImageRef& image() const { return image_; }
    CGFloat scale() const { return scale_; }
    // In points.
    CGSize size() const;

private:
    std::string name_;
    CGImageRef image_;
    CGFloat scale_;
};

// The application's look where the pickers need it: its font and light and tint colours,
// colours from hexadecimal strings and their grey equivalents.
namespace PickerAppearance {
inline constexpr const char* kDefaultFontName = "STHeitiTC-Medium";
// "#ED9A00" or "ED9A00": opaque; anything that is not a hexadecimal number reads as black.
CGColor colorWithHexString(const std::string& hex);
CGColor defaultLightColor();  // "fefef2"
CGColor defaultTintColor();   // "2671a7"
// A grey as light as the colour (Rec. 709 weights on the stored components), same alpha.
CGColor grayscaleColor(const CGColor& color);
// The text attributes of pictures made from titles: the application font at 18 points in
// the light colour.
TextAttributes titleAttributes();
}  // namespace PickerAppearance
