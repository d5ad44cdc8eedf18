#include "platform/coregraphics/CGImage.h"

#include <cairo.h>

#include <cmath>

#include "platform/coregraphics/CGPixels.h"

namespace {

std::optional<cgpixels::Layout> layoutOf(const CGImage& image) {
    return cgpixels::describe(image.colorModel, image.bitsPerComponent, image.bitsPerPixel, image.bitmapInfo);
}

}  // namespace

CGImage::~CGImage() {
    if (surface_) cairo_surface_destroy(static_cast<cairo_surface_t*>(surface_));
}

void* CGImage::cairoSurface() const {
    std::call_once(surfaceOnce_, [this] {
        auto layout = layoutOf(*this);
        if (!layout || !data || width > 32767 || height > 32767) return;
        cairo_surface_t* surface =
            cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(width), static_cast<int>(height));
        if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
            cairo_surface_destroy(surface);
            return;
        }
        cairo_surface_flush(surface);
        cgpixels::toCairo(*layout, data->data(), bytesPerRow, cairo_image_surface_get_data(surface),
                          static_cast<std::size_t>(cairo_image_surface_get_stride(surface)), width, height);
        cairo_surface_mark_dirty(surface);
        surface_ = surface;
    });
    return surface_;
}

CGImageRef CGImageCreate(std::size_t width, std::size_t height, std::size_t bitsPerComponent, std::size_t bitsPerPixel,
                         std::size_t bytesPerRow, const CGColorSpaceRef& space, CGBitmapInfo bitmapInfo,
                         std::vector<std::uint8_t> data) {
    if (width == 0 || height == 0 || width > (1u << 20) || height > (1u << 20)) return nullptr;
    CGColorSpaceModel model = CGColorSpaceGetModel(space);
    if (!cgpixels::describe(model, bitsPerComponent, bitsPerPixel, bitmapInfo)) return nullptr;
    const std::size_t rowBytes = (width * bitsPerPixel + 7) / 8;
    if (bytesPerRow < rowBytes) return nullptr;
    if (data.size() < bytesPerRow * (height - 1) + rowBytes) return nullptr;
    auto image = std::make_shared<CGImage>();
    image->width = width;
    image->height = height;
    image->bitsPerComponent = bitsPerComponent;
    image->bitsPerPixel = bitsPerPixel;
    image->bytesPerRow = bytesPerRow;
    image->colorModel = model;
    image->bitmapInfo = bitmapInfo;
    image->data = std::make_shared<const std::vector<std::uint8_t>>(std::move(data));
    return image;
}

CGImageRef CGImageCreateWithImageInRect(const CGImageRef& image, CGRect rect) {
    if (!image) return nullptr;
    rect = CGRectStandardize(rect);
    double x0 = std::max(0.0, std::floor(rect.origin.x)), y0 = std::max(0.0, std::floor(rect.origin.y));
    double x1 = std::min(static_cast<double>(image->width), std::ceil(CGRectGetMaxX(rect)));
    double y1 = std::min(static_cast<double>(image->height), std::ceil(CGRectGetMaxY(rect)));
    if (!(x1 > x0 && y1 > y0)) return nullptr;
    const auto x = static_cast<std::size_t>(x0), y = static_cast<std::size_t>(y0);
    const auto w = static_cast<std::size_t>(x1 - x0), h = static_cast<std::size_t>(y1 - y0);
    const std::size_t bytesPerPixel = image->bitsPerPixel / 8, rowBytes = w * bytesPerPixel;
    std::vector<std::uint8_t> bytes(rowBytes * h);
    for (std::size_t row = 0; row < h; ++row) {
        const std::uint8_t* src = image->data->data() + (y + row) * image->bytesPerRow + x * bytesPerPixel;
        std::copy(src, src + rowBytes, bytes.begin() + static_cast<std::ptrdiff_t>(row * rowBytes));
    }
    auto space =
        image->colorModel == CGColorSpaceModel::RGB ? CGColorSpaceCreateDeviceRGB() : CGColorSpaceCreateDeviceGray();
    return CGImageCreate(w, h, image->bitsPerComponent, image->bitsPerPixel, rowBytes, space, image->bitmapInfo,
                         std::move(bytes));
}

CGImageRef CGImageCreateWithMask(const CGImageRef& image, const CGImageRef& mask) {
    if (!image || !mask) return nullptr;
    auto* surface = static_cast<cairo_surface_t*>(image->cairoSurface());
    auto maskLayout = layoutOf(*mask);
    if (!surface || !maskLayout) return nullptr;
    const bool maskHasAlpha =
        maskLayout->alpha != cgpixels::Layout::Alpha::None && maskLayout->alpha != cgpixels::Layout::Alpha::Skip;
    const std::size_t w = image->width, h = image->height,
                      stride = static_cast<std::size_t>(cairo_image_surface_get_stride(surface));
    const std::uint8_t* src = cairo_image_surface_get_data(surface);
    std::vector<std::uint8_t> bytes(w * h * 4);
    for (std::size_t y = 0; y < h; ++y) {
        const std::size_t my = y * mask->height / h;
        for (std::size_t x = 0; x < w; ++x) {
            const CGColor m = CGImageGetPixel(mask, x * mask->width / w, my);
            const double coverage = maskHasAlpha ? m.a : 1 - m.r;
            for (int k = 0; k < 4; ++k)
                bytes[(y * w + x) * 4 + k] =
                    static_cast<std::uint8_t>(std::lround(src[y * stride + x * 4 + k] * coverage));
        }
    }
    return CGImageCreate(w, h, 8, 32, w * 4, CGColorSpaceCreateDeviceRGB(),
                         kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little, std::move(bytes));
}

std::size_t CGImageGetWidth(const CGImageRef& image) { return image ? image->width : 0; }
std::size_t CGImageGetHeight(const CGImageRef& image) { return image ? image->height : 0; }
std::size_t CGImageGetBitsPerComponent(const CGImageRef& image) { return image ? image->bitsPerComponent : 0; }
std::size_t CGImageGetBitsPerPixel(const CGImageRef& image) { return image ? image->bitsPerPixel : 0; }
std::size_t CGImageGetBytesPerRow(const CGImageRef& image) { return image ? image->bytesPerRow : 0; }
CGBitmapInfo CGImageGetBitmapInfo(const CGImageRef& image) { return image ? image->bitmapInfo : 0; }
CGImageAlphaInfo CGImageGetAlphaInfo(const CGImageRef& image) {
    return static_cast<CGImageAlphaInfo>(CGImageGetBitmapInfo(image) & kCGBitmapAlphaInfoMask);
}
CGColorSpaceModel CGImageGetColorSpaceModel(const CGImageRef& image) {
    return image ? image->colorModel : CGColorSpaceModel::RGB;
}
std::shared_ptr<const std::vector<std::uint8_t>> CGImageGetData(const CGImageRef& image) {
    return image ? image->data : nullptr;
}

CGColor CGImageGetPixel(const CGImageRef& image, std::size_t x, std::size_t y) {
    if (!image || x >= image->width || y >= image->height) return {};
    auto layout = layoutOf(*image);
    if (!layout) return {};
    return cgpixels::readPixel(*layout, image->data->data() + y * image->bytesPerRow + x * image->bitsPerPixel / 8);
}
