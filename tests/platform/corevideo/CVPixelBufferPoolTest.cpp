// A pool hands back the memory of released buffers, refuses to go past its cap instead of
// growing, pads rows to its alignment, checks its attributes, and lets a buffer outlive it.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/corevideo/CVPixelBufferPool.h"

namespace {

using namespace platform;

TEST(CVPixelBufferPoolTest, RecyclesReleasedBuffersAndHoldsItsCap) {
    CVPixelBufferPoolRef pool;
    ASSERT_EQ(CVPixelBufferPoolCreate({.width = 33, .height = 5, .maximumBuffersOut = 2}, &pool), kCVReturnSuccess);
    CVPixelBufferRef a, b, c;
    ASSERT_EQ(CVPixelBufferPoolCreatePixelBuffer(pool, &a), kCVReturnSuccess);
    ASSERT_EQ(CVPixelBufferPoolCreatePixelBuffer(pool, &b), kCVReturnSuccess);
    EXPECT_EQ(a->width(), 33u);
    EXPECT_EQ(a->bytesPerRow(), 192u) << "33 × 4 bytes padded to 64";
    EXPECT_NE(a->data(), b->data());
    EXPECT_EQ(CVPixelBufferPoolCreatePixelBuffer(pool, &c), kCVReturnWouldExceedAllocationThreshold);
    EXPECT_EQ(c, nullptr);

    const uint8_t* memory = a->data();
    a.reset();
    EXPECT_EQ(pool->buffersOut(), 1u);
    EXPECT_EQ(pool->buffersFree(), 1u);
    ASSERT_EQ(CVPixelBufferPoolCreatePixelBuffer(pool, &c), kCVReturnSuccess);
    EXPECT_EQ(c->data(), memory) << "the released buffer's memory comes back";

    // Released on another thread, as a consumer may.
    std::thread([buffer = std::move(b)]() mutable { buffer.reset(); }).join();
    EXPECT_EQ(pool->buffersOut(), 1u);
    CVPixelBufferPoolFlush(pool);
    EXPECT_EQ(pool->buffersFree(), 0u);
}

TEST(CVPixelBufferPoolTest, ABufferOutlivesItsPool) {
    CVPixelBufferPoolRef pool;
    ASSERT_EQ(CVPixelBufferPoolCreate({.width = 4, .height = 4, .bytesPerRowAlignment = 128}, &pool), kCVReturnSuccess);
    CVPixelBufferRef buffer;
    ASSERT_EQ(CVPixelBufferPoolCreatePixelBuffer(pool, &buffer), kCVReturnSuccess);
    EXPECT_EQ(buffer->bytesPerRow(), 128u);
    pool.reset();
    ASSERT_EQ(CVPixelBufferLockBaseAddress(buffer, 0), kCVReturnSuccess);
    static_cast<uint8_t*>(CVPixelBufferGetBaseAddress(buffer))[127] = 1;  // still its memory (ASan checks)
    CVPixelBufferUnlockBaseAddress(buffer, 0);
    buffer.reset();
}

TEST(CVPixelBufferPoolTest, RefusesBadAttributes) {
    struct Case {
        CVPixelBufferPoolAttributes attributes;
        CVReturn expected;
    } cases[] = {
        {{.width = 0, .height = 4}, kCVReturnInvalidSize},
        {{.width = 4, .height = 1u << 20}, kCVReturnInvalidSize},
        {{.width = 4, .height = 4, .pixelFormat = 0x32767579}, kCVReturnInvalidPixelFormat},
        {{.width = 4, .height = 4, .bytesPerRowAlignment = 96}, kCVReturnInvalidArgument},
    };
    for (const Case& c : cases) {
        CVPixelBufferPoolRef pool;
        EXPECT_EQ(CVPixelBufferPoolCreate(c.attributes, &pool), c.expected);
        EXPECT_EQ(pool, nullptr);
    }
}

}  // namespace
