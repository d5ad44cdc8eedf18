#include "model/TextDrawing.h"

#include "platform/uikit/UIFont.h"
#include "platform/uikit/UIGraphics.h"
#include "platform/uikit/UIScreen.h"

namespace TextDrawing {

UIImagePtr imageWithText(const std::string& text, const NSStringAttributes& attributes, CGFloat scale) {
    const CGSize size = NSStringDrawing::sizeWithAttributes(text, attributes);
    if (!(size.width > 0) || !(size.height > 0)) return nullptr;
    if (!(scale > 0)) scale = UIScreen::mainScreen().scale();
    if (!(scale > 0)) scale = 1;
    UIGraphicsBeginImageContextWithOptions(size, false, scale);
    NSStringDrawing::drawAtPoint(text, CGPointZero, attributes);
    UIImagePtr image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    return image;
}

}  // namespace TextDrawing

// --- PickerAppearance ------------------------------------------------------------------

namespace PickerAppearance {

CGColor colorWithHexString(const std::string& hex) {
    std::size_t start = !hex.empty() && hex[0] == '#' ? 1 : 0;
    unsigned long value = 0;
    for (std::size_t i = start; i < hex.size(); ++i) {
        const char c = hex[i];
        int digit = c >= '0' && c <= '9'   ? c - '0'
                    : c >= 'a' && c <= 'f' ? c - 'a' + 10
                    : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                           : -1;
        if (digit < 0) break;  // the number ends at the first other character
        value = (value << 4 | unsigned(digit)) & 0xFFFFFFFFul;
    }
    return {((value >> 16) & 0xFF) / 255.0, ((value >> 8) & 0xFF) / 255.0, (value & 0xFF) / 255.0, 1};
}

CGColor defaultLightColor() { return colorWithHexString("fefef2"); }
CGColor defaultTintColor() { return colorWithHexString("2671a7"); }

CGColor grayscaleColor(const CGColor& color) {
    const CGFloat luminance = 0.2126 * color.r + 0.7152 * color.g + 0.0722 * color.b;
    return CGColorCreateGenericGray(luminance, color.a);
}

NSStringAttributes titleAttributes() {
    return {UIFont::fontWithName(kDefaultFontName, 18), UIColor::colorWithCGColor(defaultLightColor())};
}

}  // namespace PickerAppearance
