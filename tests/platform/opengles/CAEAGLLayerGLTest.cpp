// The layer stand-in: drawable size, storage from the layer, present into the layer, and the
// extension list a context reports.
#include "support/GLTest.h"

#include "platform/opengles/CAEAGLLayer.h"
#include "platform/opengles/GLExtensions.h"
#include "platform/quartzcore/CACompositor.h"

using platform::CAEAGLLayer;
using platform::EAGLContext;

namespace {

// A renderbuffer bound to GL_RENDERBUFFER and cleared to a colour through a framebuffer.
struct BoundRenderbuffer {
    GLuint renderbuffer = 0, framebuffer = 0;
    BoundRenderbuffer() {
        glGenRenderbuffers(1, &renderbuffer);
        glBindRenderbuffer(GL_RENDERBUFFER, renderbuffer);
    }
    void Clear(float r, float g, float b) {
        glGenFramebuffers(1, &framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, renderbuffer);
        glClearColor(r, g, b, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    ~BoundRenderbuffer() {
        glDeleteFramebuffers(1, &framebuffer);
        glDeleteRenderbuffers(1, &renderbuffer);
    }
};

GLint Get(GLenum name) {
    GLint v = 0;
    glGetIntegerv(name, &v);
    return v;
}

}  // namespace

TEST(CAEAGLLayerTest, PixelSizeIsBoundsTimesScaleRounded) {
    CAEAGLLayer layer(CGRectMake(5, 5, 10.4, 3), 2.0);
    EXPECT_EQ(layer.pixelWidth(), 21);
    EXPECT_EQ(layer.pixelHeight(), 6);
    layer.setContentsScale(0);  // refused, as by every layer
    EXPECT_EQ(layer.pixelWidth(), 21);
    EXPECT_FALSE(CAEAGLLayer().isOpaque());
    EXPECT_EQ(layer.presentedContents().presentCount, 0u);
}

TEST_F(GLTest, LayerGivesStorageAndReceivesPresentedPixels) {
    CAEAGLLayer layer(CGRectMake(0, 0, 3, 2), 1.0);
    {
        glBindRenderbuffer(GL_RENDERBUFFER, 0);
        EXPECT_FALSE(context_->renderbufferStorage(GL_RENDERBUFFER, &layer)) << "nothing bound";
    }
    BoundRenderbuffer rb;
    EXPECT_FALSE(context_->presentRenderbuffer(GL_RENDERBUFFER)) << "not tied to a layer yet";
    ASSERT_TRUE(context_->renderbufferStorage(GL_RENDERBUFFER, &layer));
    GLint w = 0, h = 0;
    glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_WIDTH, &w);
    glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_HEIGHT, &h);
    EXPECT_EQ(w, 3);
    EXPECT_EQ(h, 2);

    rb.Clear(1, 0, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 8);
    ASSERT_TRUE(context_->presentRenderbuffer(GL_RENDERBUFFER));
    EXPECT_EQ(Get(GL_PACK_ALIGNMENT), 8) << "pack alignment restored";
    EXPECT_EQ(static_cast<GLuint>(Get(GL_FRAMEBUFFER_BINDING)), rb.framebuffer);
    EXPECT_EQ(static_cast<GLuint>(Get(GL_RENDERBUFFER_BINDING)), rb.renderbuffer);
    const auto& shown = layer.presentedContents();
    ASSERT_EQ(shown.pixels.size(), 3u * 2 * 4);
    for (size_t i = 0; i < shown.pixels.size(); i += 4) {
        EXPECT_EQ(shown.pixels[i], 255);
        EXPECT_EQ(shown.pixels[i + 1], 0);
        EXPECT_EQ(shown.pixels[i + 3], 255);
    }

    // Untied, the renderbuffer presents nowhere.
    EXPECT_TRUE(context_->renderbufferStorage(GL_RENDERBUFFER, nullptr));
    EXPECT_FALSE(context_->presentRenderbuffer(GL_RENDERBUFFER));
    EXPECT_EQ(layer.presentedContents().presentCount, 1u);
}

TEST_F(GLTest, ComposedScreenShowsTheLastPresentedPixelsUpright) {
    auto layer = std::make_shared<CAEAGLLayer>(CGRectMake(0, 0, 4, 4), 2.0);
    layer->setPosition({6, 6});  // frame (4, 4, 4, 4) on a 12-point screen
    auto screen = CALayer::layer();
    screen->setFrame(CGRectMake(0, 0, 12, 12));
    screen->addSublayer(layer);
    EXPECT_EQ(CGImageGetPixel(CACompositor::compose(*screen, {12, 12}, 2), 12, 12).a, 0) << "nothing presented yet";

    BoundRenderbuffer rb;
    ASSERT_TRUE(context_->renderbufferStorage(GL_RENDERBUFFER, layer.get()));
    rb.Clear(0, 0, 1);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, 8, 2);  // GL's bottom rows
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    ASSERT_TRUE(context_->presentRenderbuffer(GL_RENDERBUFFER));
    auto shot = CACompositor::compose(*screen, {12, 12}, 2);
    const CGColor top = CGImageGetPixel(shot, 12, 9), bottom = CGImageGetPixel(shot, 12, 14),
                  outside = CGImageGetPixel(shot, 4, 4);
    EXPECT_EQ(top.b, 1);
    EXPECT_EQ(bottom.r, 1) << "the bottom rows of GL are the bottom of the layer";
    EXPECT_EQ(outside.a, 0);
}

TEST_F(GLTest, PresentIntoAGoneLayerFails) {
    BoundRenderbuffer rb;
    {
        CAEAGLLayer layer(CGRectMake(0, 0, 2, 2));
        platform::EAGLDrawableProperties properties;
        properties.colorFormat = platform::kEAGLColorFormatRGB565;
        layer.setDrawableProperties(properties);
        ASSERT_TRUE(context_->renderbufferStorage(GL_RENDERBUFFER, &layer));
        GLint red = 0;
        glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_RED_SIZE, &red);
        EXPECT_EQ(red, 5);
    }
    EXPECT_FALSE(context_->presentRenderbuffer(GL_RENDERBUFFER));
    CAEAGLLayer empty;
    EXPECT_FALSE(context_->renderbufferStorage(GL_RENDERBUFFER, &empty)) << "a layer of no pixels";
}

TEST_F(GLTest, ExtensionListCanBeReplacedForNewContexts) {
    EXPECT_TRUE(context_->hasExtension("GL_OES_mapbuffer"));
    EXPECT_FALSE(context_->hasExtension("GL_OES_map"));
    EAGLContext::setExtensionsOverride("GL_EXT_debug_marker GL_OES_rgb8_rgba8");
    auto other = EAGLContext::initWithAPI(platform::EAGLRenderingAPI::OpenGLES2);
    EAGLContext::setExtensionsOverride(std::nullopt);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->extensions(), "GL_EXT_debug_marker GL_OES_rgb8_rgba8");
    EXPECT_FALSE(other->hasExtension("GL_OES_mapbuffer"));
    EXPECT_TRUE(context_->hasExtension("GL_OES_mapbuffer")) << "existing contexts keep theirs";

    // Entry points the driver lacks stay no-ops even when the list claims them.
    ASSERT_TRUE(EAGLContext::setCurrentContext(other.get()));
    platform::gles::InsertEventMarkerEXT(0, "marker");
    platform::gles::PushGroupMarkerEXT(0, "group");
    platform::gles::PopGroupMarkerEXT();
    // Buffer mapping falls back to a client copy uploaded at unmap.
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, 16, nullptr, GL_DYNAMIC_DRAW);
    void* memory = platform::gles::MapBufferOES(GL_ARRAY_BUFFER, GL_WRITE_ONLY_OES);
    ASSERT_NE(memory, nullptr);
    EXPECT_EQ(platform::gles::MapBufferOES(GL_ARRAY_BUFFER, GL_WRITE_ONLY_OES), nullptr) << "already mapped";
    std::fill_n(static_cast<uint8_t*>(memory), 16, 7);
    EXPECT_EQ(platform::gles::UnmapBufferOES(GL_ARRAY_BUFFER), GL_TRUE);
    EXPECT_EQ(platform::gles::UnmapBufferOES(GL_ARRAY_BUFFER), GL_FALSE);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    glDeleteBuffers(1, &buffer);
    EAGLContext::setCurrentContext(context_.get());
}
