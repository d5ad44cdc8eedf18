// Each EGL platform the context can be reached through, tried alone in a fresh process (the
// display is chosen once a process): it either draws or is missing on this machine, and a
// person is told which renderer and platform are in use.
#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>

#include "platform/opengles/EAGLContext.h"
#include "platform/opengles/GLES.h"

using platform::EAGLContext;

namespace {

constexpr int kMissing = 3;

// In the child: a context on the named platform clears a framebuffer to a known colour.
[[noreturn]] void DrawOn(const char* platformName) {
    setenv("TAVORIN_EGL_PLATFORM", platformName, 1);
    auto context = EAGLContext::initWithAPI(platform::EAGLRenderingAPI::OpenGLES2);
    if (!context) std::_Exit(kMissing);
    if (!EAGLContext::setCurrentContext(context.get())) std::_Exit(4);
    GLuint tex = 0, fbo = 0;
    glGenTextures(1, &tex);
    glBindTexture(GL_TEXTURE_2D, tex);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glGenFramebuffers(1, &fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, tex, 0);
    glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    unsigned char px[4] = {};
    glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
    std::cerr << "renderer: " << EAGLContext::rendererDescription() << std::endl;
    std::_Exit(px[0] == 0 && px[1] == 255 && px[2] == 0 ? 0 : 5);
}

class EGLPlatformGLTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

}  // namespace

TEST_P(EGLPlatformGLTest, APlatformEitherDrawsAndSaysItsNameOrIsMissing) {
    const std::string name = GetParam();
    // The surfaceless platform is what Mesa always has; the others depend on the machine.
    if (name == "surfaceless") {
        EXPECT_EXIT(DrawOn(name.c_str()), ::testing::ExitedWithCode(0), "on EGL's surfaceless platform");
    } else {
        EXPECT_EXIT(
            DrawOn(name.c_str()),
            [](int status) {
                return WIFEXITED(status) && (WEXITSTATUS(status) == 0 || WEXITSTATUS(status) == kMissing);
            },
            "renderer: .* on EGL's " + name + " platform|no display can render without a window");
    }
}

INSTANTIATE_TEST_SUITE_P(Platforms, EGLPlatformGLTest, ::testing::Values("surfaceless", "device", "default"));

TEST(EGLPlatformChoiceGLTest, AnUnknownPlatformMakesNoContextAndSaysWhatWasTried) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(DrawOn("nonesuch"), ::testing::ExitedWithCode(kMissing),
                "no display can render without a window \\(tried: nonesuch\\)");
}
