#include "platform/corevideo/CVPixelBuffer.h"

#include <cstdint>
#include <cstring>
#include <new>

namespace platform {
namespace {

constexpr size_t kRowAlignment = 64;

bool FourBytesPerPixel(OSType format) {
    return format == kCVPixelFormatType_32BGRA || format == kCVPixelFormatType_32RGBA;
}

}  // namespace

CVPixelBuffer::~CVPixelBuffer() {
    if (release_) release_(data_);
}

CVReturn CVPixelBufferCreate(size_t width, size_t height, OSType pixelFormat, CVPixelBufferRef* pixelBufferOut) {
    if (!pixelBufferOut) return kCVReturnInvalidArgument;
    *pixelBufferOut = nullptr;
    if (!FourBytesPerPixel(pixelFormat)) return kCVReturnInvalidPixelFormat;
    if (width == 0 || height == 0 || width > 65536 || height > 65536) return kCVReturnInvalidSize;
    size_t bytesPerRow = (width * 4 + kRowAlignment - 1) / kRowAlignment * kRowAlignment;
    CVPixelBufferRef buffer(new CVPixelBuffer());
    buffer->owned_.reset(new (std::nothrow) uint8_t[bytesPerRow * height]());
    if (!buffer->owned_) return kCVReturnAllocationFailed;
    buffer->width_ = width;
    buffer->height_ = height;
    buffer->bytesPerRow_ = bytesPerRow;
    buffer->format_ = pixelFormat;
    buffer->data_ = buffer->owned_.get();
    *pixelBufferOut = std::move(buffer);
    return kCVReturnSuccess;
}

CVReturn CVPixelBufferCreateWithBytes(size_t width, size_t height, OSType pixelFormat, void* baseAddress,
                                      size_t bytesPerRow, std::function<void(void*)> release,
                                      CVPixelBufferRef* pixelBufferOut) {
    if (!pixelBufferOut) return kCVReturnInvalidArgument;
    *pixelBufferOut = nullptr;
    if (!baseAddress) return kCVReturnInvalidArgument;
    if (!FourBytesPerPixel(pixelFormat)) return kCVReturnInvalidPixelFormat;
    // A width whose row length does not fit in size_t would pass the row check by wrapping.
    if (width == 0 || height == 0 || width > SIZE_MAX / 4 || bytesPerRow < width * 4) return kCVReturnInvalidSize;
    CVPixelBufferRef buffer(new CVPixelBuffer());
    buffer->width_ = width;
    buffer->height_ = height;
    buffer->bytesPerRow_ = bytesPerRow;
    buffer->format_ = pixelFormat;
    buffer->data_ = static_cast<uint8_t*>(baseAddress);
    buffer->release_ = std::move(release);
    *pixelBufferOut = std::move(buffer);
    return kCVReturnSuccess;
}

CVReturn CVPixelBufferLockBaseAddress(const CVPixelBufferRef& buffer, CVOptionFlags) {
    if (!buffer) return kCVReturnInvalidArgument;
    ++buffer->lockCount_;
    return kCVReturnSuccess;
}

CVReturn CVPixelBufferUnlockBaseAddress(const CVPixelBufferRef& buffer, CVOptionFlags) {
    if (!buffer || buffer->lockCount_ == 0) return kCVReturnInvalidArgument;
    --buffer->lockCount_;
    return kCVReturnSuccess;
}

void* CVPixelBufferGetBaseAddress(const CVPixelBufferRef& buffer) {
    if (!buffer || buffer->lockCount() == 0) return nullptr;
    return const_cast<uint8_t*>(buffer->data());
}

size_t CVPixelBufferGetWidth(const CVPixelBufferRef& b) { return b ? b->width() : 0; }
size_t CVPixelBufferGetHeight(const CVPixelBufferRef& b) { return b ? b->height() : 0; }
size_t CVPixelBufferGetBytesPerRow(const CVPixelBufferRef& b) { return b ? b->bytesPerRow() : 0; }
size_t CVPixelBufferGetDataSize(const CVPixelBufferRef& b) { return b ? b->bytesPerRow() * b->height() : 0; }
OSType CVPixelBufferGetPixelFormatType(const CVPixelBufferRef& b) { return b ? b->pixelFormatType() : 0; }

}  // namespace platform
