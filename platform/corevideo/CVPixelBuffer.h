#pragma once
// Pixel buffers as camera and video frames arrive in: one plane of 32-bit pixels whose rows are
// padded to `bytesPerRow` (a multiple of 64 bytes). The base address is readable only between
// CVPixelBufferLockBaseAddress and CVPixelBufferUnlockBaseAddress. Buffers are shared by
// reference (CVPixelBufferRef); the last reference frees the memory.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

namespace platform {

using OSType = uint32_t;
using CVReturn = int32_t;
using CVOptionFlags = uint64_t;

constexpr CVReturn kCVReturnSuccess = 0;
constexpr CVReturn kCVReturnError = -6660;
constexpr CVReturn kCVReturnInvalidArgument = -6661;
constexpr CVReturn kCVReturnAllocationFailed = -6662;
constexpr CVReturn kCVReturnInvalidPixelFormat = -6680;
constexpr CVReturn kCVReturnInvalidSize = -6681;
constexpr CVReturn kCVReturnPixelBufferNotOpenGLCompatible = -6683;

// Four-character codes of the pixel layouts (bytes in memory order).
constexpr OSType kCVPixelFormatType_32BGRA = 0x42475241;  // 'BGRA'
constexpr OSType kCVPixelFormatType_32RGBA = 0x52474241;  // 'RGBA'

constexpr CVOptionFlags kCVPixelBufferLock_ReadOnly = 1;

class CVPixelBuffer {
public:
    size_t width() const { return width_; }
    size_t height() const { return height_; }
    size_t bytesPerRow() const { return bytesPerRow_; }
    OSType pixelFormatType() const { return format_; }
    // The pixels whatever the lock state (for the GL upload, which is not a CPU access).
    const uint8_t* data() const { return data_; }
    int lockCount() const { return lockCount_; }

    ~CVPixelBuffer();
    CVPixelBuffer(const CVPixelBuffer&) = delete;
    CVPixelBuffer& operator=(const CVPixelBuffer&) = delete;

private:
    CVPixelBuffer() = default;
    friend CVReturn CVPixelBufferCreate(size_t, size_t, OSType, std::shared_ptr<CVPixelBuffer>*);
    friend CVReturn CVPixelBufferCreateWithBytes(size_t, size_t, OSType, void*, size_t, std::function<void(void*)>,
                                                 std::shared_ptr<CVPixelBuffer>*);
    friend CVReturn CVPixelBufferLockBaseAddress(const std::shared_ptr<CVPixelBuffer>&, CVOptionFlags);
    friend CVReturn CVPixelBufferUnlockBaseAddress(const std::shared_ptr<CVPixelBuffer>&, CVOptionFlags);

    size_t width_ = 0, height_ = 0, bytesPerRow_ = 0;
    OSType format_ = 0;
    uint8_t* data_ = nullptr;
    std::unique_ptr<uint8_t[]> owned_;
    std::function<void(void*)> release_;
    int lockCount_ = 0;
};

using CVPixelBufferRef = std::shared_ptr<CVPixelBuffer>;

// A new buffer of the given size and format (32BGRA or 32RGBA), zero-filled, rows padded to a
// multiple of 64 bytes.
CVReturn CVPixelBufferCreate(size_t width, size_t height, OSType pixelFormat, CVPixelBufferRef* pixelBufferOut);
// A buffer over memory the caller owns; `release` (may be empty) is called with the base
// address when the last reference goes. `bytesPerRow` must hold a whole row.
CVReturn CVPixelBufferCreateWithBytes(size_t width, size_t height, OSType pixelFormat, void* baseAddress,
                                      size_t bytesPerRow, std::function<void(void*)> release,
                                      CVPixelBufferRef* pixelBufferOut);

CVReturn CVPixelBufferLockBaseAddress(const CVPixelBufferRef& buffer, CVOptionFlags flags);
// Fails (kCVReturnInvalidArgument) when the buffer is not locked.
CVReturn CVPixelBufferUnlockBaseAddress(const CVPixelBufferRef& buffer, CVOptionFlags flags);
// Null while the buffer is not locked.
void* CVPixelBufferGetBaseAddress(const CVPixelBufferRef& buffer);
size_t CVPixelBufferGetWidth(const CVPixelBufferRef& buffer);
size_t CVPixelBufferGetHeight(const CVPixelBufferRef& buffer);
size_t CVPixelBufferGetBytesPerRow(const CVPixelBufferRef& buffer);
size_t CVPixelBufferGetDataSize(const CVPixelBufferRef& buffer);
OSType CVPixelBufferGetPixelFormatType(const CVPixelBufferRef& buffer);

}  // namespace platform
