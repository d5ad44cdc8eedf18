// Rotation, orientation, cropping and resizing.
#include <cmath>
#include <numbers>
#include <stdexcept>

#include "ui/images/ImageBitmaps.h"
#include "ui/images/UIImage+ImageUtility.h"

using namespace image_bitmaps;

namespace {

constexpr double kPi = std::numbers::pi;

bool transposes(UIImageOrientation o) { return UIImageOrientationSwapsSize(o); }

// The integral rectangle of (0, 0, size).
CGRect integralRect(CGSize size) { return CGRectMake(0, 0, std::ceil(size.width), std::ceil(size.height)); }

}  // namespace

UIImagePtr ImageUtility::rotate(const UIImagePtr& image, int orientation) {
    if (!image || orientation < 0 || orientation > 7) return nullptr;
    const auto W = static_cast<CGFloat>(pixelWidth(*image)), H = static_cast<CGFloat>(pixelHeight(*image));
    CGAffineTransform t = CGAffineTransformIdentity;
    CGSize canvas{W, H};
    switch (orientation) {
    case 1: t = CGAffineTransformRotate(CGAffineTransformTranslate(t, W, H), kPi); break;
    case 2:
        t = CGAffineTransformRotate(CGAffineTransformTranslate(t, 0, W), 3 * kPi / 2);
        canvas = {H, W};
        break;
    case 3:
        t = CGAffineTransformRotate(CGAffineTransformTranslate(t, H, 0), kPi / 2);
        canvas = {H, W};
        break;
    case 4: t = CGAffineTransformScale(CGAffineTransformTranslate(t, W, 0), -1, 1); break;
    case 5: t = CGAffineTransformScale(CGAffineTransformTranslate(t, 0, H), 1, -1); break;
    case 6:
        t = CGAffineTransformRotate(CGAffineTransformScale(CGAffineTransformTranslate(t, H, W), -1, 1), 3 * kPi / 2);
        canvas = {H, W};
        break;
    case 7:
        t = CGAffineTransformRotate(CGAffineTransformScale(t, -1, 1), kPi / 2);
        canvas = {H, W};
        break;
    default: break;
    }
    ImageContext ic(canvas, 1);
    CGContextRef c = ic.context();
    if (!c) return nullptr;
    if (orientation == 2 || orientation == 3 || orientation == 6 || orientation == 7) {
        CGContextScaleCTM(c, -1, 1);
        CGContextTranslateCTM(c, -H, 0);
    } else {
        CGContextScaleCTM(c, 1, -1);
        CGContextTranslateCTM(c, 0, -H);
    }
    CGContextConcatCTM(c, t);
    CGContextDrawImage(c, CGRectMake(0, 0, W, H), image->CGImage());
    return ic.image();
}

UIImagePtr ImageUtility::rotateFromOrientation(const UIImagePtr& image, int orientation) {
    switch (orientation) {
    case 0: return nullptr;
    case 6: return rotate(image, 7);
    case 7: return rotate(image, 6);
    default: return rotate(image, orientation);
    }
}

UIImagePtr ImageUtility::rotateFromDeviceOrientation(const UIImagePtr& image, int deviceOrientation) {
    switch (deviceOrientation) {
    case 2: return rotate(image, 1);
    case 3: return rotate(image, 2);
    case 4: return rotate(image, 3);
    default: return image;
    }
}

UIImagePtr ImageUtility::normalizeOrientation(const UIImagePtr& image) {
    if (!image || image->imageOrientation() == UIImageOrientation::Up) return image;
    return rotateFromOrientation(image, static_cast<int>(image->imageOrientation()));
}

UIImagePtr ImageUtility::normalize(const UIImagePtr& image) {
    if (!image) return nullptr;
    if (image->imageOrientation() != UIImageOrientation::Up)
        return rotateFromOrientation(image, static_cast<int>(image->imageOrientation()));
    const CGRect rect = integralRect(image->size());
    CGContextRef c = rgbaContext(static_cast<std::size_t>(rect.size.width), static_cast<std::size_t>(rect.size.height));
    if (!c) return nullptr;
    CGContextConcatCTM(c, transformForOrientation(image, image->size()));
    CGContextSetInterpolationQuality(c, kCGInterpolationDefault);
    CGContextDrawImage(c, rect, image->CGImage());
    return imageOf(c);
}

CGAffineTransform ImageUtility::transformForOrientation(const UIImagePtr& image, CGSize size) {
    CGAffineTransform t = CGAffineTransformIdentity;
    if (!image) return t;
    const CGFloat w = size.width, h = size.height;
    using O = UIImageOrientation;
    const O o = image->imageOrientation();
    if (o == O::Down || o == O::DownMirrored) t = CGAffineTransformRotate(CGAffineTransformTranslate(t, w, h), kPi);
    else if (o == O::Left || o == O::LeftMirrored)
        t = CGAffineTransformRotate(CGAffineTransformTranslate(t, w, 0), kPi / 2);
    else if (o == O::Right || o == O::RightMirrored)
        t = CGAffineTransformRotate(CGAffineTransformTranslate(t, 0, h), -kPi / 2);
    if (o == O::LeftMirrored || o == O::RightMirrored)
        t = CGAffineTransformScale(CGAffineTransformTranslate(t, h, 0), -1, 1);
    else if (o == O::UpMirrored || o == O::DownMirrored)
        t = CGAffineTransformScale(CGAffineTransformTranslate(t, w, 0), -1, 1);
    return t;
}

UIImagePtr ImageUtility::croppedImage(const UIImagePtr& image, CGRect rect) {
    if (!image) return nullptr;
    return UIImage::imageWithCGImage(CGImageCreateWithImageInRect(image->CGImage(), rect), 1,
                                     image->imageOrientation());
}

UIImagePtr ImageUtility::croppedImageWithBorder(const UIImagePtr& image, CGRect rect) {
    if (!image) return nullptr;
    const auto W = static_cast<CGFloat>(pixelWidth(*image)), H = static_cast<CGFloat>(pixelHeight(*image));
    const CGRect r = CGRectStandardize(rect);
    const bool inside =
        r.origin.x >= 0 && r.origin.y >= 0 && r.origin.x + r.size.width <= W && r.origin.y + r.size.height <= H;
    if (inside) return croppedImage(image, r);
    if (r.size.width < 1 || r.size.height < 1) return nullptr;
    // Black wherever the rectangle leaves the bitmap, the bitmap where it covers it.
    ImageContext ic(r.size, 1);
    CGContextRef c = ic.context();
    if (!c) return nullptr;
    CGContextSetRGBFillColor(c, 0, 0, 0, 1);
    CGContextFillRect(c, CGRectMake(0, 0, r.size.width + 1, r.size.height + 1));
    flip(c, r.size.height);
    CGContextDrawImage(c, CGRectMake(-r.origin.x, r.size.height - (H - r.origin.y), W, H), image->CGImage());
    return ic.image();
}

UIImagePtr ImageUtility::resizedImage(const UIImagePtr& image, CGSize size, CGInterpolationQuality quality) {
    if (!image) return nullptr;
    return resizedImage(image, size, transformForOrientation(image, size), transposes(image->imageOrientation()),
                        quality);
}

UIImagePtr ImageUtility::resizedImage(const UIImagePtr& image, CGSize size, CGAffineTransform transform,
                                      bool drawTransposed, CGInterpolationQuality quality,
                                      UIImageOrientation orientation) {
    if (!image || !(size.width > 0) || !(size.height > 0)) return nullptr;
    const CGRect rect = integralRect(size);
    CGContextRef c = rgbaContext(static_cast<std::size_t>(rect.size.width), static_cast<std::size_t>(rect.size.height));
    if (!c) return nullptr;
    CGContextConcatCTM(c, transform);
    CGContextSetInterpolationQuality(c, quality);
    CGContextDrawImage(c, drawTransposed ? CGRectMake(0, 0, rect.size.height, rect.size.width) : rect,
                       image->CGImage());
    return imageOf(c, 1, orientation);
}

UIImagePtr ImageUtility::resizedImageWithContentMode(const UIImagePtr& image, UIViewContentMode contentMode,
                                                     CGSize bounds, CGInterpolationQuality quality) {
    if (!image) return nullptr;
    return resizedImage(image, resizedImageSizeForImageSize(image->size(), contentMode, bounds), quality);
}

CGSize ImageUtility::resizedImageSizeForImageSize(CGSize imageSize, UIViewContentMode contentMode, CGSize bounds) {
    if (contentMode != UIViewContentMode::ScaleAspectFit && contentMode != UIViewContentMode::ScaleAspectFill)
        throw std::invalid_argument("Unsupported content mode: " + std::to_string(static_cast<int>(contentMode)));
    // A picture without area has no ratio to keep.
    if (!(imageSize.width > 0) || !(imageSize.height > 0)) return CGSizeZero;
    const CGFloat horizontal = bounds.width / imageSize.width, vertical = bounds.height / imageSize.height;
    const bool fit = contentMode == UIViewContentMode::ScaleAspectFit;
    const CGFloat ratio = fit ? std::min(horizontal, vertical) : std::max(horizontal, vertical);
    CGSize size{std::floor(imageSize.width * ratio + 0.5), std::floor(imageSize.height * ratio + 0.5)};
    if (fit) size = {std::min(size.width, bounds.width), std::min(size.height, bounds.height)};
    return size;
}
