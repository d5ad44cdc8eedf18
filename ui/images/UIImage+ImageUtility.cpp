// Colour, alpha and enhancement effects.
#include "ui/images/UIImage+ImageUtility.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>

#include "ui/images/ImageBitmaps.h"

using namespace image_bitmaps;

namespace {

// Fill black, draw the bitmap, paint `overlay` in the blend mode, then keep the bitmap's alpha.
UIImagePtr blendedOver(const UIImage& image, CGFloat scale, CGBlendMode blendMode,
                       const std::function<void(const CGContextRef&, CGRect)>& overlay) {
    const CGSize size = image.size();
    ImageContext ic(size, scale);
    CGContextRef c = ic.context();
    if (!c) return nullptr;
    flip(c, size.height);
    const CGRect rect{{0, 0}, size};
    CGContextSetBlendMode(c, kCGBlendModeNormal);
    CGContextSetRGBFillColor(c, 0, 0, 0, 1);
    CGContextFillRect(c, rect);
    CGContextDrawImage(c, rect, image.CGImage());
    CGContextSetBlendMode(c, blendMode);
    overlay(c, rect);
    CGContextSetBlendMode(c, kCGBlendModeDestinationIn);
    CGContextDrawImage(c, rect, image.CGImage());
    return ic.image();
}

// The bitmap as premultiplied RGBA bytes (big-endian words) with each alpha byte rewritten.
UIImagePtr withAlphaBytes(const UIImage& image, std::uint8_t (*alpha)(std::uint8_t)) {
    CGContextRef c = drawnPixels(image);
    if (!c) return nullptr;
    auto* bytes = static_cast<std::uint8_t*>(CGBitmapContextGetData(c));
    const std::size_t count = pixelWidth(image) * pixelHeight(image) * 4;
    for (std::size_t i = 3; i < count; i += 4) bytes[i] = alpha(bytes[i]);
    return imageOf(c);
}

}  // namespace

UIColor ImageUtility::averageColor(const UIImagePtr& image) {
    if (!image) return UIColor::blackColor();
    CGContextRef c = drawnPixels(*image);
    if (!c) return UIColor::blackColor();
    const auto* bytes = static_cast<const std::uint8_t*>(CGBitmapContextGetData(c));
    const std::size_t pixels = pixelWidth(*image) * pixelHeight(*image);
    std::array<std::uint64_t, 3> sums{};
    for (std::size_t i = 0; i < pixels; ++i)
        for (int k = 0; k < 3; ++k) sums[k] += bytes[4 * i + k];
    auto mean = [&](int k) { return std::round(static_cast<double>(sums[k]) / pixels) / 255.0f; };
    return UIColor::colorWithRed(mean(0), mean(1), mean(2), 1);
}

UIImagePtr ImageUtility::tintedImage(const UIImagePtr& image, const UIColor& color, CGBlendMode blendMode,
                                     CGFloat scale) {
    if (!image) return nullptr;
    return blendedOver(*image, scale, blendMode, [&](const CGContextRef& c, CGRect rect) {
        CGContextSetFillColorWithColor(c, color.CGColor());
        CGContextFillRect(c, rect);
    });
}

UIImagePtr ImageUtility::applyGradient(const UIImagePtr& image, const UIColor& color, CGBlendMode blendMode) {
    if (!image) return nullptr;
    return blendedOver(*image, 0, blendMode, [&](const CGContextRef& c, CGRect rect) {
        auto gradient = CGGradientCreateWithColors(CGColorSpaceCreateDeviceRGB(),
                                                   {color.CGColor(), UIColor::whiteColor().CGColor()});
        CGContextDrawLinearGradient(c, gradient, {0, 0}, {0, rect.size.height}, 0);
    });
}

UIImagePtr ImageUtility::grayscaleImage(const UIImagePtr& image) {
    if (!image) return nullptr;
    const auto w = static_cast<std::size_t>(image->size().width), h = static_cast<std::size_t>(image->size().height);
    CGContextRef c = rgbaContext(w, h, kCGImageAlphaLast);
    if (!c) return nullptr;
    CGContextDrawImage(c, CGRectMake(0, 0, w, h), image->CGImage());
    auto* bytes = static_cast<std::uint8_t*>(CGBitmapContextGetData(c));
    for (std::size_t i = 0; i < w * h; ++i) {
        std::uint8_t* p = bytes + 4 * i;
        const auto grey = static_cast<std::uint8_t>(std::lround(0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2]));
        p[0] = p[1] = p[2] = grey;
    }
    return imageOf(c, image->scale(), image->imageOrientation());
}

UIImagePtr ImageUtility::removeAlpha(const UIImagePtr& image) {
    return image ? withAlphaBytes(*image, [](std::uint8_t) -> std::uint8_t { return 255; }) : nullptr;
}

UIImagePtr ImageUtility::invertAlpha(const UIImagePtr& image) {
    return image ? withAlphaBytes(*image, [](std::uint8_t a) -> std::uint8_t { return 255 - a; }) : nullptr;
}

UIImagePtr ImageUtility::addAlpha(const UIImagePtr& image, CGFloat alpha) {
    if (!image) return nullptr;
    const CGSize size = image->size();
    ImageContext ic(size, 0);
    CGContextRef c = ic.context();
    if (!c) return nullptr;
    CGContextScaleCTM(c, 1, -1);
    CGContextTranslateCTM(c, 0, -size.height);
    CGContextSetBlendMode(c, kCGBlendModeMultiply);
    CGContextSetAlpha(c, alpha);
    CGContextDrawImage(c, {{0, 0}, size}, image->CGImage());
    return ic.image();
}

UIImagePtr ImageUtility::imageWithAlpha(const UIImagePtr& image) {
    if (!image) return nullptr;
    const CGImageAlphaInfo info = CGImageGetAlphaInfo(image->CGImage());
    if (info >= kCGImageAlphaPremultipliedLast && info <= kCGImageAlphaFirst) return image;
    CGContextRef c = rgbaContext(pixelWidth(*image), pixelHeight(*image), kCGImageAlphaPremultipliedFirst);
    if (!c) return nullptr;
    CGContextDrawImage(c, CGRectMake(0, 0, pixelWidth(*image), pixelHeight(*image)), image->CGImage());
    return imageOf(c, image->scale());
}

UIImagePtr ImageUtility::autoAdjustWithReferenceImage(const UIImagePtr& image, const UIImagePtr& reference) {
    if (!image || !reference) return image;
    // Straight colour, so that the stretch does not depend on coverage.
    CGContextRef ref = rgbaContext(pixelWidth(*reference), pixelHeight(*reference), kCGImageAlphaLast);
    CGContextRef out = rgbaContext(pixelWidth(*image), pixelHeight(*image), kCGImageAlphaLast);
    if (!ref || !out) return image;
    CGContextDrawImage(ref, CGRectMake(0, 0, pixelWidth(*reference), pixelHeight(*reference)), reference->CGImage());
    CGContextDrawImage(out, CGRectMake(0, 0, pixelWidth(*image), pixelHeight(*image)), image->CGImage());

    const std::size_t refPixels = pixelWidth(*reference) * pixelHeight(*reference);
    const auto* refBytes = static_cast<const std::uint8_t*>(CGBitmapContextGetData(ref));
    std::array<std::array<std::uint64_t, 256>, 3> histograms{};
    for (std::size_t i = 0; i < refPixels; ++i)
        for (int k = 0; k < 3; ++k) ++histograms[k][refBytes[4 * i + k]];
    std::array<std::array<double, 256>, 3> curves{};
    for (int k = 0; k < 3; ++k) {
        auto point = [&](double fraction) {
            const auto wanted = static_cast<std::uint64_t>(std::ceil(fraction * refPixels));
            std::uint64_t seen = 0;
            for (int v = 0; v < 256; ++v)
                if ((seen += histograms[k][v]) >= std::max<std::uint64_t>(wanted, 1)) return v;
            return 255;
        };
        const int low = point(0.005), high = point(0.995);
        for (int v = 0; v < 256; ++v)
            curves[k][v] = high > low ? std::clamp((v - low) * 255.0 / (high - low), 0.0, 255.0) : v;
    }

    auto* bytes = static_cast<std::uint8_t*>(CGBitmapContextGetData(out));
    const std::size_t pixels = pixelWidth(*image) * pixelHeight(*image);
    for (std::size_t i = 0; i < pixels; ++i) {
        std::uint8_t* p = bytes + 4 * i;
        const double r = curves[0][p[0]], g = curves[1][p[1]], b = curves[2][p[2]];
        const double luminance = 0.2126 * r + 0.7152 * g + 0.0722 * b;
        auto lifted = [&](double v) {
            return static_cast<std::uint8_t>(std::lround(std::clamp(luminance + (v - luminance) * 1.1, 0.0, 255.0)));
        };
        p[0] = lifted(r);
        p[1] = lifted(g);
        p[2] = lifted(b);
    }
    return imageOf(out);
}
