#include "support/GLTest.h"

#include <thread>

#include "platform/opengles/GLExtensions.h"

using platform::EAGLContext;

TEST_F(GLTest, ContextIsCurrentAndClearsAFramebuffer) {
    EXPECT_EQ(EAGLContext::currentContext(), context_.get());
    GLuint tex = 0, fbo = 0;
    glGenTextures(1, &tex);
    glBindTexture(GL_TEXTURE_2D, tex);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glGenFramebuffers(1, &fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, tex, 0);
    ASSERT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
    glClearColor(1.0f, 0.5f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    unsigned char px[4] = {};
    glReadPixels(1, 1, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
    EXPECT_EQ(px[0], 255);
    EXPECT_NEAR(px[1], 128, 1);
    EXPECT_EQ(px[2], 0);
    glDeleteFramebuffers(1, &fbo);
    glDeleteTextures(1, &tex);
}

TEST_F(GLTest, CurrentContextIsPerThread) {
    EAGLContext* seen = context_.get();
    std::thread([&] { seen = EAGLContext::currentContext(); }).join();
    EXPECT_EQ(seen, nullptr);
    EXPECT_EQ(EAGLContext::currentContext(), context_.get());
}

TEST_F(GLTest, SharedContextSeesTheSameTextures) {
    GLuint tex = 0;
    glGenTextures(1, &tex);
    glBindTexture(GL_TEXTURE_2D, tex);
    auto other = EAGLContext::initWithAPI(platform::EAGLRenderingAPI::OpenGLES2, context_->sharegroup());
    ASSERT_NE(other, nullptr);
    ASSERT_TRUE(EAGLContext::setCurrentContext(other.get()));
    EXPECT_TRUE(glIsTexture(tex));
    EAGLContext::setCurrentContext(context_.get());
    glDeleteTextures(1, &tex);
}

// The BGRA probe answers from a scratch texture and leaves the caller's binding and error state
// as the driver had them before.
TEST_F(GLTest, BgraProbeLeavesTheTextureBindingAlone) {
    GLuint tex = 0;
    glGenTextures(1, &tex);
    glBindTexture(GL_TEXTURE_2D, tex);
    const bool accepts = platform::gles::AcceptsBgraIntoRgba();
    EXPECT_EQ(platform::gles::AcceptsBgraIntoRgba(), accepts);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), tex);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    glDeleteTextures(1, &tex);
}
