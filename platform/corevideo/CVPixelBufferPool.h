#pragma once
// A pool of pixel buffers of one size and format: buffers handed out come back to the pool
// when their last reference goes and are handed out again, so a camera at 30 frames per
// second allocates only its first few frames. Rows are padded to the alignment given (64
// bytes unless more). A cap on buffers out makes a further request fail with
// kCVReturnWouldExceedAllocationThreshold instead of growing, which is how a stalled consumer
// shows up as dropped frames rather than as memory. Buffers may be released on any thread.
#include <cstddef>
#include <memory>

#include "platform/corevideo/CVPixelBuffer.h"

namespace platform {

constexpr CVReturn kCVReturnWouldExceedAllocationThreshold = -6689;

struct CVPixelBufferPoolAttributes {
    size_t width = 0;
    size_t height = 0;
    OSType pixelFormat = kCVPixelFormatType_32BGRA;
    size_t bytesPerRowAlignment = 64;
    // Most buffers out at once; 0 for no cap.
    size_t maximumBuffersOut = 0;
};

class CVPixelBufferPool {
public:
    struct State;
    explicit CVPixelBufferPool(std::shared_ptr<State> state) : state_(std::move(state)) {}
    ~CVPixelBufferPool();
    const CVPixelBufferPoolAttributes& attributes() const;
    size_t buffersOut() const;
    size_t buffersFree() const;

private:
    friend CVReturn CVPixelBufferPoolCreatePixelBuffer(const std::shared_ptr<CVPixelBufferPool>&, CVPixelBufferRef*);
    friend void CVPixelBufferPoolFlush(const std::shared_ptr<CVPixelBufferPool>&);
    std::shared_ptr<State> state_;
};

using CVPixelBufferPoolRef = std::shared_ptr<CVPixelBufferPool>;

CVReturn CVPixelBufferPoolCreate(const CVPixelBufferPoolAttributes& attributes, CVPixelBufferPoolRef* poolOut);
// A buffer from the pool: a recycled one when one is free (its old pixels left as they were),
// else a new zero-filled one.
CVReturn CVPixelBufferPoolCreatePixelBuffer(const CVPixelBufferPoolRef& pool, CVPixelBufferRef* pixelBufferOut);
// Frees the buffers waiting in the pool (buffers out are freed when they come back).
void CVPixelBufferPoolFlush(const CVPixelBufferPoolRef& pool);

}  // namespace platform
