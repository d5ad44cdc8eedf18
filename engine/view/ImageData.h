#pragma once
// A still picture on its way to the engine: it knows its pixel size and, when asked, hands its
// pixels to a block as one packed 32-bit block (`data`). The pixel block receives
//   width, height      pixels (unsigned 64-bit);
//   orientation        the image orientation code of the source (0 up, 1 down, 2 left, 3 right,
//                      4-7 their mirrored forms), untouched: the pixels are stored unrotated;
//   format             kFormatBGRA (0) or kFormatRGBA (1);
//   pixels             height rows of width × 4 bytes, no gap between rows, first row first.
// The pointer is valid only while the block runs. The block runs at most once per `data`
// call, on the caller's thread, before `data` returns.
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/coregraphics/CGGeometry.h"
#include "platform/uikit/UIImage.h"

class ImageData {
public:
    static constexpr int32_t kFormatBGRA = 0;
    static constexpr int32_t kFormatRGBA = 1;

    using PixelBlock =
        std::function<void(uint64_t width, uint64_t height, int64_t orientation, int32_t format, const void* pixels)>;

    ImageData() = default;
    virtual ~ImageData() = default;
    ImageData(const ImageData&) = delete;
    ImageData& operator=(const ImageData&) = delete;

    // Pixel size (width, height).
    CGSize size() const { return size_; }
    void setSize(CGSize size) { size_ = size; }
    // Whether `data` will deliver pixels; a consumer asks only sources that have data.
    virtual bool hasData() const { return false; }
    virtual UIImagePtr uiImage() const { return nullptr; }
    // The base has no pixels: the block is not called.
    virtual void data(const PixelBlock& block) const {}

private:
    CGSize size_ = CGSizeZero;
};
using ImageDataPtr = std::shared_ptr<ImageData>;
