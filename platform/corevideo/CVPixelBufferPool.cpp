#include "platform/corevideo/CVPixelBufferPool.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <mutex>
#include <vector>

namespace platform {

struct CVPixelBufferPool::State {
    CVPixelBufferPoolAttributes attributes;
    size_t bytesPerRow = 0;
    size_t bytes = 0;
    mutable std::mutex mutex;
    std::vector<uint8_t*> free;
    size_t out = 0;
    bool open = true;  // false once the pool is gone: returning memory frees it

    ~State() {
        for (uint8_t* p : free) std::free(p);
    }
};

CVPixelBufferPool::~CVPixelBufferPool() {
    std::lock_guard lock(state_->mutex);
    state_->open = false;
    for (uint8_t* p : state_->free) std::free(p);
    state_->free.clear();
}

const CVPixelBufferPoolAttributes& CVPixelBufferPool::attributes() const { return state_->attributes; }

size_t CVPixelBufferPool::buffersOut() const {
    std::lock_guard lock(state_->mutex);
    return state_->out;
}

size_t CVPixelBufferPool::buffersFree() const {
    std::lock_guard lock(state_->mutex);
    return state_->free.size();
}

CVReturn CVPixelBufferPoolCreate(const CVPixelBufferPoolAttributes& attributes, CVPixelBufferPoolRef* poolOut) {
    if (!poolOut) return kCVReturnInvalidArgument;
    *poolOut = nullptr;
    if (attributes.pixelFormat != kCVPixelFormatType_32BGRA && attributes.pixelFormat != kCVPixelFormatType_32RGBA)
        return kCVReturnInvalidPixelFormat;
    const size_t align = attributes.bytesPerRowAlignment < 64 ? 64 : attributes.bytesPerRowAlignment;
    if ((align & (align - 1)) != 0) return kCVReturnInvalidArgument;
    constexpr size_t kLimit = size_t{1} << 15;  // as the GL textures they become
    if (attributes.width == 0 || attributes.height == 0 || attributes.width > kLimit || attributes.height > kLimit)
        return kCVReturnInvalidSize;
    auto state = std::make_shared<CVPixelBufferPool::State>();
    state->attributes = attributes;
    state->attributes.bytesPerRowAlignment = align;
    state->bytesPerRow = (attributes.width * 4 + align - 1) / align * align;
    state->bytes = state->bytesPerRow * attributes.height;
    *poolOut = std::make_shared<CVPixelBufferPool>(std::move(state));
    return kCVReturnSuccess;
}

CVReturn CVPixelBufferPoolCreatePixelBuffer(const CVPixelBufferPoolRef& pool, CVPixelBufferRef* pixelBufferOut) {
    if (!pool || !pixelBufferOut) return kCVReturnInvalidArgument;
    *pixelBufferOut = nullptr;
    const std::shared_ptr<CVPixelBufferPool::State>& state = pool->state_;
    uint8_t* memory = nullptr;
    {
        std::lock_guard lock(state->mutex);
        const size_t cap = state->attributes.maximumBuffersOut;
        if (cap > 0 && state->out >= cap) return kCVReturnWouldExceedAllocationThreshold;
        if (!state->free.empty()) {
            memory = state->free.back();
            state->free.pop_back();
        }
        ++state->out;
    }
    if (!memory) memory = static_cast<uint8_t*>(std::calloc(state->bytes, 1));
    if (!memory) {
        std::lock_guard lock(state->mutex);
        --state->out;
        return kCVReturnAllocationFailed;
    }
    // The buffer keeps the state alive, so it can come back after the pool is gone.
    auto release = [state](void* p) {
        std::lock_guard lock(state->mutex);
        --state->out;
        if (state->open) state->free.push_back(static_cast<uint8_t*>(p));
        else std::free(p);
    };
    const CVPixelBufferPoolAttributes& a = state->attributes;
    const CVReturn rc = CVPixelBufferCreateWithBytes(a.width, a.height, a.pixelFormat, memory, state->bytesPerRow,
                                                     release, pixelBufferOut);
    if (rc != kCVReturnSuccess) release(memory);
    return rc;
}

void CVPixelBufferPoolFlush(const CVPixelBufferPoolRef& pool) {
    if (!pool) return;
    std::lock_guard lock(pool->state_->mutex);
    for (uint8_t* p : pool->state_->free) std::free(p);
    pool->state_->free.clear();
}

}  // namespace platform
