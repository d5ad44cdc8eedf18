// Pixel buffers and the texture cache.
#include "support/GLTest.h"

#include "platform/corevideo/CVOpenGLESTextureCache.h"
#include "platform/corevideo/CVPixelBuffer.h"

using namespace platform;

TEST(CVPixelBufferTest, RowsArePaddedAndPixelsReadableOnlyWhileLocked) {
    CVPixelBufferRef b;
    ASSERT_EQ(CVPixelBufferCreate(5, 3, kCVPixelFormatType_32BGRA, &b), kCVReturnSuccess);
    EXPECT_EQ(CVPixelBufferGetWidth(b), 5u);
    EXPECT_EQ(CVPixelBufferGetHeight(b), 3u);
    EXPECT_EQ(CVPixelBufferGetBytesPerRow(b), 64u);
    EXPECT_EQ(CVPixelBufferGetDataSize(b), 192u);
    EXPECT_EQ(CVPixelBufferGetPixelFormatType(b), kCVPixelFormatType_32BGRA);
    EXPECT_EQ(CVPixelBufferGetBaseAddress(b), nullptr);
    EXPECT_EQ(CVPixelBufferUnlockBaseAddress(b, 0), kCVReturnInvalidArgument);
    ASSERT_EQ(CVPixelBufferLockBaseAddress(b, kCVPixelBufferLock_ReadOnly), kCVReturnSuccess);
    ASSERT_EQ(CVPixelBufferLockBaseAddress(b, 0), kCVReturnSuccess);
    auto* base = static_cast<uint8_t*>(CVPixelBufferGetBaseAddress(b));
    ASSERT_NE(base, nullptr);
    EXPECT_EQ(base[191], 0);
    EXPECT_EQ(CVPixelBufferUnlockBaseAddress(b, 0), kCVReturnSuccess);
    EXPECT_NE(CVPixelBufferGetBaseAddress(b), nullptr) << "still locked once";
    EXPECT_EQ(CVPixelBufferUnlockBaseAddress(b, 0), kCVReturnSuccess);
    EXPECT_EQ(CVPixelBufferGetBaseAddress(b), nullptr);
}

TEST(CVPixelBufferTest, BadRequestsAreRefused) {
    CVPixelBufferRef b;
    EXPECT_EQ(CVPixelBufferCreate(4, 4, 0x32767579 /* '2vuy' */, &b), kCVReturnInvalidPixelFormat);
    EXPECT_EQ(CVPixelBufferCreate(0, 4, kCVPixelFormatType_32BGRA, &b), kCVReturnInvalidSize);
    EXPECT_EQ(b, nullptr);
    uint8_t memory[64] = {};
    EXPECT_EQ(CVPixelBufferCreateWithBytes(4, 2, kCVPixelFormatType_32BGRA, memory, 12, {}, &b), kCVReturnInvalidSize)
        << "a row of 4 pixels needs 16 bytes";
    EXPECT_EQ(CVPixelBufferCreateWithBytes(SIZE_MAX / 4 + 1, 1, kCVPixelFormatType_32BGRA, memory, 16, {}, &b),
              kCVReturnInvalidSize)
        << "a row length that wraps around is no row";
    EXPECT_EQ(CVPixelBufferCreateWithBytes(4, 2, kCVPixelFormatType_32BGRA, nullptr, 16, {}, &b),
              kCVReturnInvalidArgument);
}

TEST(CVPixelBufferTest, WrappedMemoryIsReleasedWithTheLastReference) {
    uint8_t memory[40] = {};
    void* released = nullptr;
    CVPixelBufferRef b;
    ASSERT_EQ(CVPixelBufferCreateWithBytes(
                  2, 2, kCVPixelFormatType_32RGBA, memory, 20, [&](void* p) { released = p; }, &b),
              kCVReturnSuccess);
    CVPixelBufferRef copy = b;
    b.reset();
    EXPECT_EQ(released, nullptr);
    CVPixelBufferLockBaseAddress(copy, 0);
    EXPECT_EQ(CVPixelBufferGetBaseAddress(copy), memory);
    CVPixelBufferUnlockBaseAddress(copy, 0);
    copy.reset();
    EXPECT_EQ(released, memory);
}

TEST_F(GLTest, TextureCacheUploadsAndRecyclesNames) {
    CVOpenGLESTextureCacheRef cache;
    EXPECT_EQ(CVOpenGLESTextureCacheCreate(nullptr, &cache), kCVReturnInvalidArgument);
    ASSERT_EQ(CVOpenGLESTextureCacheCreate(context_.get(), &cache), kCVReturnSuccess);
    CVPixelBufferRef frame;
    ASSERT_EQ(CVPixelBufferCreate(6, 4, kCVPixelFormatType_32BGRA, &frame), kCVReturnSuccess);

    struct Case {
        const char* what;
        unsigned target;
        int internal, w, h;
        unsigned format, type;
        size_t plane;
        CVReturn result;
    };
    const Case cases[] = {
        {"larger than the buffer", GL_TEXTURE_2D, GL_RGBA, 7, 4, GL_BGRA_EXT, GL_UNSIGNED_BYTE, 0,
         kCVReturnInvalidSize},
        {"second plane", GL_TEXTURE_2D, GL_RGBA, 6, 4, GL_BGRA_EXT, GL_UNSIGNED_BYTE, 1, kCVReturnInvalidArgument},
        {"cube target", GL_TEXTURE_CUBE_MAP, GL_RGBA, 6, 4, GL_BGRA_EXT, GL_UNSIGNED_BYTE, 0, kCVReturnInvalidArgument},
        {"three bytes a pixel", GL_TEXTURE_2D, GL_RGB, 6, 4, GL_RGB, GL_UNSIGNED_BYTE, 0,
         kCVReturnPixelBufferNotOpenGLCompatible},
        {"half floats", GL_TEXTURE_2D, GL_RGBA, 6, 4, GL_RGBA, GL_HALF_FLOAT_OES, 0,
         kCVReturnPixelBufferNotOpenGLCompatible},
    };
    for (const Case& c : cases) {
        CVOpenGLESTextureRef t;
        EXPECT_EQ(CVOpenGLESTextureCacheCreateTextureFromImage(cache, frame, c.target, c.internal, c.w, c.h, c.format,
                                                               c.type, c.plane, &t),
                  c.result)
            << c.what;
        EXPECT_EQ(t, nullptr);
    }

    GLuint mine = 0;
    glGenTextures(1, &mine);
    glBindTexture(GL_TEXTURE_2D, mine);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    CVOpenGLESTextureRef texture;
    ASSERT_EQ(CVOpenGLESTextureCacheCreateTextureFromImage(cache, frame, GL_TEXTURE_2D, GL_RGBA, 6, 4, GL_BGRA_EXT,
                                                           GL_UNSIGNED_BYTE, 0, &texture),
              kCVReturnSuccess);
    GLint binding = 0, alignment = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &binding);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(static_cast<GLuint>(binding), mine);
    EXPECT_EQ(alignment, 1);
    GLuint name = CVOpenGLESTextureGetName(texture);
    EXPECT_TRUE(glIsTexture(name));
    EXPECT_EQ(CVOpenGLESTextureGetTarget(texture), static_cast<unsigned>(GL_TEXTURE_2D));

    // Released, the name lives until the next flush.
    texture.reset();
    EXPECT_TRUE(glIsTexture(name));
    CVOpenGLESTextureCacheFlush(cache, 0);
    EXPECT_FALSE(glIsTexture(name));

    // Not for a context of another sharegroup.
    auto stranger = EAGLContext::initWithAPI(EAGLRenderingAPI::OpenGLES2);
    ASSERT_TRUE(EAGLContext::setCurrentContext(stranger.get()));
    EXPECT_EQ(CVOpenGLESTextureCacheCreateTextureFromImage(cache, frame, GL_TEXTURE_2D, GL_RGBA, 6, 4, GL_BGRA_EXT,
                                                           GL_UNSIGNED_BYTE, 0, &texture),
              kCVReturnInvalidArgument);
    EAGLContext::setCurrentContext(context_.get());
    glDeleteTextures(1, &mine);
}

// Frame after frame a camera releases a texture and asks for one of the same size: the released
// one is filled again under its name (the driver makes no fresh storage), holding the new
// frame; a texture of another size gets a new name, and what is left released goes at the flush.
TEST_F(GLTest, AReleasedTextureOfTheSameSizeIsFilledAgainWithTheNewFrame) {
    CVOpenGLESTextureCacheRef cache;
    ASSERT_EQ(CVOpenGLESTextureCacheCreate(context_.get(), &cache), kCVReturnSuccess);
    const auto frameOf = [](size_t width, uint8_t blue) {
        CVPixelBufferRef frame;
        EXPECT_EQ(CVPixelBufferCreate(width, 2, kCVPixelFormatType_32BGRA, &frame), kCVReturnSuccess);
        CVPixelBufferLockBaseAddress(frame, 0);
        auto* bytes = static_cast<uint8_t*>(CVPixelBufferGetBaseAddress(frame));
        for (size_t i = 0; i < CVPixelBufferGetDataSize(frame); i += 4)
            bytes[i] = blue, bytes[i + 1] = 10, bytes[i + 2] = 20, bytes[i + 3] = 255;
        CVPixelBufferUnlockBaseAddress(frame, 0);
        return frame;
    };
    const auto textureOf = [&](const CVPixelBufferRef& frame, int width) {
        CVOpenGLESTextureRef texture;
        EXPECT_EQ(CVOpenGLESTextureCacheCreateTextureFromImage(cache, frame, GL_TEXTURE_2D, GL_RGBA, width, 2,
                                                               GL_BGRA_EXT, GL_UNSIGNED_BYTE, 0, &texture),
                  kCVReturnSuccess);
        return texture;
    };
    // The blue of the texture's first pixel, read through a framebuffer (RGBA: blue third).
    const auto blueOf = [](GLuint name) {
        GLuint framebuffer = 0;
        glGenFramebuffers(1, &framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, name, 0);
        uint8_t pixel[4] = {};
        glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &framebuffer);
        return pixel[2];
    };

    CVOpenGLESTextureRef first = textureOf(frameOf(6, 100), 6);
    const GLuint name = CVOpenGLESTextureGetName(first);
    EXPECT_EQ(blueOf(name), 100);
    first.reset();
    CVOpenGLESTextureRef second = textureOf(frameOf(6, 200), 6);
    EXPECT_EQ(CVOpenGLESTextureGetName(second), name) << "filled again under its name";
    EXPECT_EQ(blueOf(name), 200) << "holding the new frame";

    second.reset();
    CVOpenGLESTextureRef wider = textureOf(frameOf(8, 50), 8);
    EXPECT_NE(CVOpenGLESTextureGetName(wider), name) << "another size is another texture";
    EXPECT_EQ(blueOf(CVOpenGLESTextureGetName(wider)), 50);
    CVOpenGLESTextureCacheFlush(cache, 0);
    EXPECT_FALSE(glIsTexture(name)) << "the one left released goes at the flush";
    EXPECT_TRUE(glIsTexture(CVOpenGLESTextureGetName(wider)));
}
