#include "platform/uikit/UIImage.h"

#include <algorithm>
#include <cstdio>

#include "platform/foundation/NSBundle.h"
#include "platform/imageio/ImageIO.h"
#include "platform/uikit/UIGraphics.h"
#include "platform/uikit/UIScreen.h"

namespace {

UIImageOrientation validOrientation(int code) {
    return code >= 0 && code <= 7 ? static_cast<UIImageOrientation>(code) : UIImageOrientation::Up;
}

CGFloat scaleFromName(const std::string& path) {
    const std::string stem = path.substr(0, path.rfind('.'));
    for (int s : {2, 3})
        if (stem.ends_with("@" + std::to_string(s) + "x")) return s;
    return 1;
}

UIImagePtr decode(std::unique_ptr<platform::ImageSource> source, const platform::ImageIOError& openError, CGFloat scale,
                  const std::string& what) {
    platform::ImageIOError error = openError;
    std::optional<platform::ImageBitmap> bitmap;
    if (source) bitmap = source->createImageAtIndex(0, platform::ImagePixelFormat::RGBA, &error);
    if (!bitmap) {
        std::fprintf(stderr, "UIImage: cannot read %s: %s\n", what.c_str(), error.message.c_str());
        return nullptr;
    }
    bool opaque = true;
    for (std::size_t i = 3; i < bitmap->pixels.size() && opaque; i += 4) opaque = bitmap->pixels[i] == 255;
    const std::size_t w = bitmap->width, h = bitmap->height;
    CGImageRef image = CGImageCreate(w, h, 8, 32, w * 4, CGColorSpaceCreateDeviceRGB(),
                                     opaque ? kCGImageAlphaNoneSkipLast : kCGImageAlphaLast, std::move(bitmap->pixels));
    return UIImage::imageWithCGImage(std::move(image), scale, validOrientation(source->imageOrientation(0)));
}

}  // namespace

bool UIImageOrientationSwapsSize(UIImageOrientation o) {
    return o == UIImageOrientation::Left || o == UIImageOrientation::Right || o == UIImageOrientation::LeftMirrored ||
           o == UIImageOrientation::RightMirrored;
}

CGAffineTransform UIImageOrientationTransform(UIImageOrientation o, CGSize s) {
    const CGFloat w = s.width, h = s.height;
    switch (o) {
    case UIImageOrientation::Up: return {1, 0, 0, 1, 0, 0};
    case UIImageOrientation::Down: return {-1, 0, 0, -1, w, h};
    case UIImageOrientation::Left: return {0, -1, 1, 0, 0, w};   // a quarter turn anticlockwise
    case UIImageOrientation::Right: return {0, 1, -1, 0, h, 0};  // a quarter turn clockwise
    case UIImageOrientation::UpMirrored: return {-1, 0, 0, 1, w, 0};
    case UIImageOrientation::DownMirrored: return {1, 0, 0, -1, 0, h};
    case UIImageOrientation::LeftMirrored: return {0, 1, 1, 0, 0, 0};     // transposed
    case UIImageOrientation::RightMirrored: return {0, -1, -1, 0, h, w};  // transposed the other way
    }
    return CGAffineTransformIdentity;
}

UIImage::UIImage(CGImageRef image, CGFloat scale, UIImageOrientation orientation)
    : image_(std::move(image)), scale_(scale > 0 ? scale : 1), orientation_(orientation) {}

UIImagePtr UIImage::imageWithCGImage(CGImageRef image, CGFloat scale, UIImageOrientation orientation) {
    if (!image) return nullptr;
    return std::make_shared<UIImage>(std::move(image), scale, validOrientation(static_cast<int>(orientation)));
}

UIImagePtr UIImage::imageWithContentsOfFile(const std::string& path) {
    platform::ImageIOError error;
    auto source = platform::ImageSource::createWithFile(path, &error);
    return decode(std::move(source), error, scaleFromName(path), path);
}

UIImagePtr UIImage::imageWithData(std::vector<std::uint8_t> data, CGFloat scale) {
    platform::ImageIOError error;
    auto source = platform::ImageSource::createWithData(std::move(data), &error);
    return decode(std::move(source), error, scale, "image data");
}

UIImagePtr UIImage::imageNamed(const std::string& name) {
    if (name.empty()) return nullptr;
    std::string stem = name, extension = "png";
    const auto dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) stem = name.substr(0, dot), extension = name.substr(dot + 1);
    const int screen = static_cast<int>(UIScreen::mainScreen().scale());
    std::vector<std::string> candidates = {stem + "@" + std::to_string(screen) + "x"};
    for (int s : {3, 2})
        if (s != screen) candidates.push_back(stem + "@" + std::to_string(s) + "x");
    candidates.push_back(stem);
    for (const std::string& candidate : candidates) {
        std::string path = NSBundle::mainBundle().pathForResource(candidate, extension);
        if (!path.empty()) return imageWithContentsOfFile(path);
    }
    return nullptr;
}

UIImagePtr UIImage::imageWithRenderingMode(UIImageRenderingMode mode) const {
    auto image = std::make_shared<UIImage>(*this);
    image->renderingMode_ = mode;
    return image;
}

UIImagePtr UIImage::resizableImageWithCapInsets(UIEdgeInsets capInsets) const {
    auto image = std::make_shared<UIImage>(*this);
    image->resizable_ = true;
    image->capInsets_ = capInsets;
    return image;
}

void UIImage::drawSlicedInRect(CGRect rect) const {
    const CGSize size = this->size();
    if (!resizable_ || size.width <= 0 || size.height <= 0) return drawInRect(rect);
    const CGContextRef c = UIGraphicsGetCurrentContext();
    if (!c) return;
    // Caps wider than the picture or the target shrink to fit, sharing what there is.
    auto caps = [](CGFloat a, CGFloat b, CGFloat limit) {
        const CGFloat sum = a + b;
        return sum > limit && sum > 0 ? std::pair{a * limit / sum, b * limit / sum} : std::pair{a, b};
    };
    const auto [l, r] = caps(capInsets_.left, capInsets_.right, size.width);
    const auto [t, b] = caps(capInsets_.top, capInsets_.bottom, size.height);
    const auto [dl, dr] = caps(l, r, rect.size.width);
    const auto [dt, db] = caps(t, b, rect.size.height);
    const CGFloat sx[4] = {0, l, size.width - r, size.width};
    const CGFloat sy[4] = {0, t, size.height - b, size.height};
    const CGFloat dx[4] = {rect.origin.x, rect.origin.x + dl, CGRectGetMaxX(rect) - dr, CGRectGetMaxX(rect)};
    const CGFloat dy[4] = {rect.origin.y, rect.origin.y + dt, CGRectGetMaxY(rect) - db, CGRectGetMaxY(rect)};
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column) {
            const CGFloat sw = sx[column + 1] - sx[column], sh = sy[row + 1] - sy[row];
            const CGFloat w = dx[column + 1] - dx[column], h = dy[row + 1] - dy[row];
            if (sw <= 0 || sh <= 0 || w <= 0 || h <= 0) continue;
            const CGRect target{{dx[column], dy[row]}, {w, h}};
            if (orientation_ == UIImageOrientation::Up) {
                // The slice's own pixels, so that stretching blends nothing in from its neighbours.
                const CGRect pixels{{sx[column] * scale_, sy[row] * scale_}, {sw * scale_, sh * scale_}};
                if (CGImageRef slice = CGImageCreateWithImageInRect(image_, pixels)) {
                    UIImage(slice, scale_, orientation_).drawInRect(target);
                    continue;
                }
            }
            // The whole picture drawn scaled so that this slice lands on its target, clipped.
            CGContextSaveGState(c);
            CGContextClipToRect(c, target);
            const CGFloat kx = w / sw, ky = h / sh;
            drawInRect({{dx[column] - sx[column] * kx, dy[row] - sy[row] * ky}, {size.width * kx, size.height * ky}});
            CGContextRestoreGState(c);
        }
}

CGSize UIImage::size() const {
    if (!image_) return CGSizeZero;  // an empty picture
    CGSize s{static_cast<CGFloat>(image_->width) / scale_, static_cast<CGFloat>(image_->height) / scale_};
    if (UIImageOrientationSwapsSize(orientation_)) std::swap(s.width, s.height);
    return s;
}

void UIImage::drawInRect(CGRect rect) const { drawInRect(rect, kCGBlendModeNormal, 1); }

void UIImage::drawInRect(CGRect rect, CGBlendMode blendMode, CGFloat alpha) const {
    CGContextRef c = UIGraphicsGetCurrentContext();
    if (!c) return;
    const CGSize stored{static_cast<CGFloat>(image_->width), static_cast<CGFloat>(image_->height)};
    CGSize upright = stored;
    if (UIImageOrientationSwapsSize(orientation_)) std::swap(upright.width, upright.height);
    CGContextSaveGState(c);
    CGContextSetBlendMode(c, blendMode);
    CGContextSetAlpha(c, alpha);
    // Stored pixels -> upright pixels -> the rectangle, in the context's top-left space.
    CGContextTranslateCTM(c, rect.origin.x, rect.origin.y);
    CGContextScaleCTM(c, rect.size.width / upright.width, rect.size.height / upright.height);
    CGContextConcatCTM(c, UIImageOrientationTransform(orientation_, stored));
    // The image is drawn with its first row at the top of a y-up space: flip locally.
    CGContextTranslateCTM(c, 0, stored.height);
    CGContextScaleCTM(c, 1, -1);
    CGContextDrawImage(c, CGRectMake(0, 0, stored.width, stored.height), image_);
    CGContextRestoreGState(c);
}

void UIImage::drawAtPoint(CGPoint point) const {
    CGSize s = size();
    drawInRect(CGRectMake(point.x, point.y, s.width, s.height));
}
