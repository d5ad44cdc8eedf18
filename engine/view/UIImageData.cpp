#include "engine/view/UIImageData.h"

#include <vector>

#include "platform/coregraphics/CGContext.h"

std::shared_ptr<UIImageData> UIImageData::imageDataWithUIImage(UIImagePtr image) {
    if (!image) return nullptr;
    return std::make_shared<UIImageData>(std::move(image));
}

UIImageData::UIImageData(UIImagePtr image) : image_(std::move(image)) {
    if (image_) setSize(image_->size());
}

UIImagePtr UIImageData::imageWithBitmap(std::shared_ptr<sBitmap> bitmap) {
    if (!bitmap) return nullptr;
    // Straight alpha in the bitmap's byte order: B,G,R,A is a little-endian word with alpha first.
    const CGBitmapInfo info = bitmap->format == kPixelFormatBGRA ? (kCGImageAlphaFirst | kCGBitmapByteOrder32Little)
                                                                 : (kCGImageAlphaLast | kCGBitmapByteOrderDefault);
    std::vector<uint8_t> bytes = bitmap.use_count() == 1 ? std::move(bitmap->bytes) : bitmap->bytes;
    CGImageRef image = CGImageCreate(static_cast<size_t>(bitmap->width), static_cast<size_t>(bitmap->height), 8, 32,
                                     bitmap->bytesPerRow, CGColorSpaceCreateDeviceRGB(), info, std::move(bytes));
    return UIImage::imageWithCGImage(image, 1.0, static_cast<UIImageOrientation>(bitmap->orientation));
}

void UIImageData::data(const PixelBlock& block) const {
    if (image_) dataForImage(block, *image_);
}

namespace {

// The engine format of a bitmap that can be handed over unchanged, or -1.
int32_t PassThroughFormat(const CGImage& bitmap) {
    if (bitmap.bytesPerRow != 4 * bitmap.width || bitmap.bitsPerPixel != 32 || bitmap.bitsPerComponent != 8 ||
        (bitmap.bitmapInfo & kCGBitmapFloatComponents) != 0 || bitmap.colorModel != CGColorSpaceModel::RGB)
        return -1;
    const CGBitmapInfo order = bitmap.bitmapInfo & kCGBitmapByteOrderMask;
    const auto alpha = static_cast<CGImageAlphaInfo>(bitmap.bitmapInfo & kCGBitmapAlphaInfoMask);
    const bool alphaFirst =
        alpha == kCGImageAlphaPremultipliedFirst || alpha == kCGImageAlphaFirst || alpha == kCGImageAlphaNoneSkipFirst;
    const bool alphaLast =
        alpha == kCGImageAlphaPremultipliedLast || alpha == kCGImageAlphaLast || alpha == kCGImageAlphaNoneSkipLast;
    if (order == kCGBitmapByteOrder32Little && alphaFirst) return ImageData::kFormatBGRA;
    if ((order == kCGBitmapByteOrderDefault || order == kCGBitmapByteOrder32Big) && alphaLast)
        return ImageData::kFormatRGBA;
    return -1;
}

}  // namespace

void UIImageData::dataForImage(const PixelBlock& block, const UIImage& image) {
    const CGImageRef& bitmap = image.CGImage();
    if (!bitmap || !block) return;
    const uint64_t w = bitmap->width, h = bitmap->height;
    const auto orientation = static_cast<int64_t>(image.imageOrientation());
    const int32_t format = PassThroughFormat(*bitmap);
    if (format >= 0 && bitmap->data && bitmap->data->size() >= w * h * 4) {
        // The bitmap's bytes are immutable and shared: handed over without a copy.
        const std::shared_ptr<const std::vector<uint8_t>> pixels = bitmap->data;
        block(w, h, orientation, format, pixels->data());
        return;
    }
    std::vector<uint8_t> buffer(w * h * 4, 0);
    CGContextRef context = CGBitmapContextCreate(buffer.data(), w, h, 8, 4 * w, CGColorSpaceCreateDeviceRGB(),
                                                 kCGBitmapByteOrder32Little | kCGImageAlphaPremultipliedFirst);
    if (!context) return;
    CGContextDrawImage(context, CGRectMake(0, 0, static_cast<CGFloat>(w), static_cast<CGFloat>(h)), bitmap);
    context.reset();
    block(w, h, orientation, kFormatBGRA, buffer.data());
}
