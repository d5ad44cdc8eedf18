// Blur, rounded corners, and images from colours, texts and the bundle.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "platform/coregraphics/CGStackBlur.h"
#include "platform/foundation/NSBundle.h"
#include "platform/uikit/UIScreen.h"
#include "ui/images/ImageBitmaps.h"
#include "ui/images/UIImage+ImageUtility.h"

using namespace image_bitmaps;

namespace {

// Layouts whose fourth byte of a pixel is alpha (or unused), which the blur leaves alone.
bool alphaInFourthByte(const CGImageRef& image) {
    const CGImageAlphaInfo alpha = CGImageGetAlphaInfo(image);
    const CGBitmapInfo order = CGImageGetBitmapInfo(image) & kCGBitmapByteOrderMask;
    const bool last = alpha == kCGImageAlphaPremultipliedLast || alpha == kCGImageAlphaLast ||
                      alpha == kCGImageAlphaNoneSkipLast || alpha == kCGImageAlphaNone;
    const bool first =
        alpha == kCGImageAlphaPremultipliedFirst || alpha == kCGImageAlphaFirst || alpha == kCGImageAlphaNoneSkipFirst;
    if (order == kCGBitmapByteOrder32Little) return first;
    return last;
}

}  // namespace

UIImagePtr ImageUtility::blur(const UIImagePtr& image, unsigned radius) {
    if (!image) return nullptr;
    if (radius == 0 || image->size().width <= 0 || image->size().height <= 0) return image;
    CGImageRef bitmap = image->CGImage();
    if (CGImageGetBitsPerPixel(bitmap) != 32 || CGImageGetBitsPerComponent(bitmap) != 8 || !alphaInFourthByte(bitmap)) {
        // Another layout: redraw it as premultiplied RGBA first.
        const auto w = static_cast<std::size_t>(image->size().width),
                   h = static_cast<std::size_t>(image->size().height);
        CGContextRef c = rgbaContext(w, h);
        if (!c) return image;
        CGContextSetInterpolationQuality(c, kCGInterpolationDefault);
        CGContextDrawImage(c, CGRectMake(0, 0, w, h), bitmap);
        bitmap = CGBitmapContextCreateImage(c);
    }
    const std::size_t w = CGImageGetWidth(bitmap), h = CGImageGetHeight(bitmap),
                      rowBytes = CGImageGetBytesPerRow(bitmap);
    std::vector<std::uint8_t> bytes(*CGImageGetData(bitmap));
    CGStackBlur(bytes.data(), w, h, rowBytes, static_cast<int>(std::min<unsigned>(radius, kCGStackBlurMaxRadius)));
    return UIImage::imageWithCGImage(CGImageCreate(w, h, 8, 32, rowBytes, CGColorSpaceCreateDeviceRGB(),
                                                   CGImageGetBitmapInfo(bitmap), std::move(bytes)));
}

UIImagePtr ImageUtility::roundCorners(const UIImagePtr& image, int cornerSize, int borderSize) {
    UIImagePtr source = imageWithAlpha(image);
    if (!source) return nullptr;
    const CGFloat s = std::max<CGFloat>(image->scale(), 1);
    const auto w = static_cast<std::size_t>(s * source->size().width),
               h = static_cast<std::size_t>(s * source->size().height);
    CGContextRef c = rgbaContext(w, h, CGImageGetBitmapInfo(source->CGImage()));
    if (!c) c = rgbaContext(w, h);
    if (!c) return nullptr;
    const CGFloat border = std::trunc(borderSize * s);
    CGContextBeginPath(c);
    addRoundedRectToPath(CGRectMake(border, border, w - 2 * border, h - 2 * border), c, cornerSize * s, cornerSize * s);
    CGContextClosePath(c);
    CGContextClip(c);
    CGContextDrawImage(c, CGRectMake(0, 0, w, h), source->CGImage());
    return imageOf(c, image->scale());
}

void ImageUtility::addRoundedRectToPath(CGRect rect, const CGContextRef& c, CGFloat ovalWidth, CGFloat ovalHeight) {
    if (ovalWidth == 0 || ovalHeight == 0) {
        CGContextAddRect(c, rect);
        return;
    }
    constexpr double pi = std::numbers::pi;
    CGContextSaveGState(c);
    CGContextTranslateCTM(c, CGRectGetMinX(rect), CGRectGetMinY(rect));
    CGContextScaleCTM(c, ovalWidth, ovalHeight);
    const CGFloat fw = CGRectGetWidth(rect) / ovalWidth, fh = CGRectGetHeight(rect) / ovalHeight;
    // Corners of radius 1 in the oval's units, anticlockwise from the right edge's middle.
    CGContextMoveToPoint(c, fw, fh / 2);
    CGContextAddArc(c, fw - 1, fh - 1, 1, 0, pi / 2, false);
    CGContextAddArc(c, 1, fh - 1, 1, pi / 2, pi, false);
    CGContextAddArc(c, 1, 1, 1, pi, 3 * pi / 2, false);
    CGContextAddArc(c, fw - 1, 1, 1, 3 * pi / 2, 2 * pi, false);
    CGContextClosePath(c);
    CGContextRestoreGState(c);
}

UIImagePtr ImageUtility::imageWithColor(const UIColor& color, CGSize size) {
    ImageContext ic(size, 1);
    CGContextRef c = ic.context();
    if (!c) return nullptr;
    CGContextSetFillColorWithColor(c, color.CGColor());
    CGContextFillRect(c, {{0, 0}, size});
    return ic.image();
}

UIImagePtr ImageUtility::imageWithText(const std::string& text, const NSStringAttributes& attributes) {
    const CGSize size = NSStringDrawing::sizeWithAttributes(text, attributes);
    ImageContext ic(size, 0);
    if (!ic.context()) return nullptr;
    NSStringDrawing::drawAtPoint(text, {0, 0}, attributes);
    return ic.image();
}

UIImagePtr ImageUtility::imageWithText(const std::string& text, CGRect rect, const NSStringAttributes& attributes) {
    // The string attributes carry no paragraph style, so the text is always centred vertically.
    const CGFloat textHeight = NSStringDrawing::sizeWithAttributes(text, attributes).height;
    ImageContext ic(rect.size, 0);
    if (!ic.context()) return nullptr;
    NSStringDrawing::drawAtPoint(text, {rect.origin.x, rect.origin.y + (rect.size.height - textHeight) / 2},
                                 attributes);
    return ic.image();
}

UIImagePtr ImageUtility::imageNamed(const std::string& name, bool cache, const std::string& extension,
                                    bool useScreenScale) {
    if (cache) return UIImage::imageNamed(name);
    std::string file = name;
    if (useScreenScale && UIScreen::mainScreen().scale() >= 2) file += "@2x";
    // The name's own extension goes (after the scale suffix, as the look-up always had it).
    const auto slash = file.rfind('/'), dot = file.rfind('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) file.erase(dot);
    const std::string path = NSBundle::mainBundle().pathForResource(file, extension);
    return path.empty() ? nullptr : UIImage::imageWithContentsOfFile(path);
}
