// The device: shadowed state, current device per thread, capabilities, errors, the on-screen
// buffers of a layer and present.
#include <cmath>
#include <limits>
#include <thread>

#include "gpu/DeviceFixture.h"
#include "platform/opengles/CAEAGLLayer.h"

using namespace QVTest;

TEST_F(DeviceTest, ClearColourAndViewportReachGLOnlyOnChange) {
    GLCallLog log;
    device->SetViewport(0, 0, 0, 0);
    device->SetClearColor(0, 0, 0, 0);
    EXPECT_EQ(log.Count(), 0u) << "GL's initial values are already shadowed";

    device->SetViewport(1, 2, 3, 4);
    device->SetViewport(1, 2, 3, 4);
    const int32_t same[4] = {1, 2, 3, 4};
    device->SetViewport(same);
    device->SetClearColor(QV::Math::CVector4<float>(0.25f, 0.5f, 0.75f, 1));
    device->SetClearColor(0.25f, 0.5f, 0.75f, 1);
    EXPECT_EQ(log.Calls(), (std::vector<std::string>{"glViewport(1, 2, 3, 4)", "glClearColor(0.25, 0.5, 0.75, 1)"}));

    log.Clear();
    float nan = std::numeric_limits<float>::quiet_NaN();
    device->SetClearColor(nan, 0, 0, 1);
    device->SetClearColor(nan, 0, 0, 1);
    EXPECT_EQ(log.Count("glClearColor"), 2u) << "a NaN never equals the shadow";
    EXPECT_EQ(device->GetViewport()[2], 3);
}

TEST_F(DeviceTest, ClearCoversTheWholeTargetWhateverTheScissor) {
    Target(4, 4);
    device->SetClearColor(0, 0, 1, 1);
    device->GetScissorTest()->SetScissor(0, 0, 1, 1);
    device->GetScissorTest()->SetEnabled(true);
    GLCallLog log;
    device->Clear(true, false);
    device->Clear(false, false);
    const std::string clearColour = "glClear(" + std::to_string(GL_COLOR_BUFFER_BIT) + ")";
    const std::string scissor = std::to_string(GL_SCISSOR_TEST);
    EXPECT_EQ(log.Calls(),
              (std::vector<std::string>{"glDisable(" + scissor + ")", clearColour, "glEnable(" + scissor + ")",
                                        "glDisable(" + scissor + ")", "glClear(0)", "glEnable(" + scissor + ")"}));
    EXPECT_TRUE(device->GetScissorTest()->IsEnabled());
    EXPECT_EQ(device->GetScissorTest()->GetScissor()[2], 1);
    std::vector<uint8_t> pixels = Read(4, 4);
    EXPECT_EQ(pixels[15 * 4 + 2], 255) << "the far corner is cleared too";
}

TEST_F(DeviceTest, RenderStateSettersSkipUnchangedValues) {
    struct Step {
        const char* what;
        std::function<void()> set;
        size_t calls;
    };
    ICulling* culling = device->GetCulling();
    IDepthTest* depth = device->GetDepthTest();
    IBlending* blending = device->GetBlending();
    IScissorTest* scissor = device->GetScissorTest();
    float nan = std::numeric_limits<float>::quiet_NaN();
    const Step steps[] = {
        {"cull face back", [&] { culling->SetCullFace(CULL_BACK); }, 0},
        {"culling off", [&] { culling->SetEnabled(false); }, 0},
        {"culling on", [&] { culling->SetEnabled(true); }, 1},
        {"culling on again", [&] { culling->SetEnabled(true); }, 0},
        {"cull front", [&] { culling->SetCullFace(CULL_FRONT); }, 1},
        {"cull face out of range", [&] { culling->SetCullFace(static_cast<eCullFace>(7)); }, 0},
        {"depth less", [&] { depth->SetDepthFunc(DEPTH_LESS); }, 0},
        {"depth mask on", [&] { depth->SetDepthMask(true); }, 0},
        {"depth range 0..1", [&] { depth->SetDepthRange(0, 1); }, 0},
        {"depth range NaN", [&] { depth->SetDepthRange(nan, 1); }, 1},
        {"depth range NaN again", [&] { depth->SetDepthRange(nan, 1); }, 1},
        {"depth always", [&] { depth->SetDepthFunc(DEPTH_ALWAYS); }, 1},
        {"blend one zero", [&] { blending->SetBlendFunc(BLEND_ONE, BLEND_ZERO, BLEND_ONE, BLEND_ZERO); }, 0},
        {"blend add", [&] { blending->SetBlendEquation(BLEND_FUNC_ADD, BLEND_FUNC_ADD); }, 0},
        {"blend destination alpha", [&] { blending->SetBlendFunc(BLEND_ONE, BLEND_ZERO, BLEND_ONE, BLEND_ONE); }, 1},
        {"saturate as destination",
         [&] { blending->SetBlendFunc(BLEND_ONE, BLEND_SRC_ALPHA_SATURATE, BLEND_ONE, BLEND_ONE); }, 0},
        {"blend max", [&] { blending->SetBlendEquation(BLEND_MAX_EXT, BLEND_MIN_EXT); }, 1},
        {"scissor all -1", [&] { scissor->SetScissor(-1, -1, -1, -1); }, 0},
        {"scissor box", [&] { scissor->SetScissor(0, 0, 2, 2); }, 1},
        {"scissor box again", [&] { scissor->SetScissor(0, 0, 2, 2); }, 0},
    };
    for (const Step& step : steps) {
        GLCallLog log;
        step.set();
        EXPECT_EQ(log.Count(), step.calls) << step.what;
    }
    EXPECT_EQ(blending->GetDestinationAlpha(), BLEND_ONE);
    EXPECT_EQ(culling->GetCullFace(), CULL_FRONT);
    {
        GLCallLog log;
        blending->SetBlendFunc(BLEND_ONE, BLEND_ZERO, BLEND_ONE, BLEND_ONE_MINUS_SRC_ALPHA);
        EXPECT_EQ(log.Calls(), std::vector<std::string>{"glBlendFuncSeparate(1, 0, 1, " +
                                                        std::to_string(GL_ONE_MINUS_SRC_ALPHA) + ")"});
    }
    GLint func = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &func);
    EXPECT_EQ(func, GL_ALWAYS) << "the shadow and GL agree";
}

TEST_F(DeviceTest, AttributeArraysAreEnabledAndDisabledByDifference) {
    auto* d = static_cast<CDevice*>(device.get());
    d->EnableAttributeArrays(0b101);
    GLCallLog log;
    d->EnableAttributeArrays(0b011);
    d->EnableAttributeArrays(0b011);
    EXPECT_EQ(log.Calls(), (std::vector<std::string>{"glEnableVertexAttribArray(1)", "glDisableVertexAttribArray(2)"}));
}

TEST_F(DeviceTest, CurrentDeviceIsPerThread) {
    EXPECT_EQ(CDevice::GetCurrentDevice(), device.get());
    {
        GLCallLog log;
        EXPECT_TRUE(device->MakeCurrent());
        EXPECT_EQ(log.Count(), 0u);
    }
    IDevice* seen = device.get();
    std::thread([&] {
        seen = CDevice::GetCurrentDevice();
        device->ReleaseCurrent();  // not current here: nothing happens
    }).join();
    EXPECT_EQ(seen, nullptr);
    EXPECT_EQ(CDevice::GetCurrentDevice(), device.get());

    auto other = CDevice::CreateShared(nullptr, true, false, false, static_cast<CDevice*>(device.get()));
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(CDevice::GetCurrentDevice(), other.get());
    other.reset();
    EXPECT_EQ(CDevice::GetCurrentDevice(), nullptr) << "deleting the current device clears it";
    EXPECT_TRUE(device->MakeCurrent());
    EXPECT_EQ(CDevice::GetCurrentDevice(), device.get());
}

TEST_F(DeviceTest, CapabilitiesComeFromTheExtensionList) {
    EXPECT_FALSE(device->HasDebugMarker());  // llvmpipe's ES lacks it
    {
        GLCallLog log;
        device->InsertEventMarker("frame");
        EXPECT_EQ(log.Count(), 0u);
    }
    {
        // With the marker extension reported, a non-empty marker goes out and an empty one not.
        ExtensionsOverride with(DriverExtensionsWithout({}) + " GL_EXT_debug_marker");
        CreateDevice(nullptr);
        ASSERT_TRUE(device->HasDebugMarker());
        GLCallLog log;
        device->InsertEventMarker("");
        device->InsertEventMarker("frame");
        EXPECT_EQ(log.Count(), 1u);
    }
    ExtensionsOverride only("GL_OES_texture_half_float_linear GL_EXT_texture_rg");
    CreateDevice(nullptr);
    EXPECT_TRUE(device->HasTextureHalfFloatLinear());
    EXPECT_TRUE(device->HasTextureRg());
    EXPECT_FALSE(device->HasTextureHalfFloat());
    EXPECT_FALSE(device->HasRgb8Rgba8());
    EXPECT_FALSE(device->HasTextureStorage());
}

TEST_F(DeviceTest, CheckErrorReportsOneErrorPerCall) {
    EXPECT_FALSE(device->CheckError());
    glEnable(0x1234);  // GL_INVALID_ENUM
    testing::internal::CaptureStdout();
    EXPECT_TRUE(device->CheckError());
    EXPECT_FALSE(device->CheckError());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "glGetError(): 1280, x500\n");
}

TEST_F(DeviceTest, OffscreenDeviceHasNoOnScreenBuffers) {
    GLCallLog log;
    device->BindOnScreenFramebuffer();
    device->Present();
    device->ValidateOnScreenBuffers();
    device->RecreateOnScreenBuffers();
    EXPECT_EQ(log.Count(), 0u);
    EXPECT_EQ(device->GetOnScreenWidth(), 0);
    EXPECT_EQ(device->GetOnScreenHeight(), 0);
}

TEST_F(DeviceTest, PresentDeliversTheDrawnPixelsToTheLayer) {
    platform::CAEAGLLayer layer(CGRectMake(0, 0, 4, 3), 2.0);
    CreateDevice(&layer, true);
    EXPECT_TRUE(layer.isOpaque());
    EXPECT_EQ(layer.drawableProperties().colorFormat, platform::kEAGLColorFormatRGBA8);
    EXPECT_FALSE(layer.drawableProperties().retainedBacking);

    device->BindOnScreenFramebuffer();
    ASSERT_EQ(device->GetOnScreenWidth(), 8);
    ASSERT_EQ(device->GetOnScreenHeight(), 6);
    device->SetViewport(0, 0, 8, 6);
    device->SetClearColor(0, 0, 1, 1);
    device->Clear(true, true);
    // Green over the upper half of the picture, red below.
    IShaderProgram* p = Program(
        Fragment("    gl_FragColor = vTexture0.y > 0.5 ? vec4(0.0, 1.0, 0.0, 1.0) : vec4(1.0, 0.0, 0.0, 1.0);\n"));
    device->Draw(p, Quad(), PRIMITIVE_TRIANGLE_STRIP);
    GLint before = 0, after = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &before);
    device->Present();
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &after);
    EXPECT_EQ(before, after) << "present leaves the framebuffer binding alone";

    const platform::CAEAGLLayerContents& shown = layer.presentedContents();
    ASSERT_EQ(shown.width, 8);
    ASSERT_EQ(shown.height, 6);
    EXPECT_EQ(shown.presentCount, 1u);
    auto pixel = [&](int x, int y) { return &shown.pixels[(static_cast<size_t>(y) * 8 + x) * 4]; };
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x) {
            const uint8_t* px = pixel(x, y);
            bool top = y < 3;  // rows are top first
            EXPECT_EQ(px[0], top ? 0 : 255) << x << "," << y;
            EXPECT_EQ(px[1], top ? 255 : 0) << x << "," << y;
            EXPECT_EQ(px[2], 0);
            EXPECT_EQ(px[3], 255);
        }

    // A new size reaches the buffers when they are made again.
    layer.setBounds(CGRectMake(0, 0, 2, 2));
    device->RecreateOnScreenBuffers();
    EXPECT_EQ(device->GetOnScreenWidth(), 4);
    EXPECT_EQ(device->GetOnScreenHeight(), 4);
    device->ValidateOnScreenBuffers();  // the bound renderbuffer matches: nothing dropped
    EXPECT_EQ(device->GetOnScreenWidth(), 4);
    int presented = 0;
    layer.setPresentHandler([&](const platform::CAEAGLLayerContents& c) { presented = c.width; });
    device->BindOnScreenFramebuffer();
    device->Present();
    EXPECT_EQ(presented, 4);
    EXPECT_EQ(layer.presentedContents().presentCount, 2u);
}

// New on-screen buffers forget the viewport, so that the frame's first SetViewport reaches GL
// even when it repeats the rectangle given before.
TEST_F(DeviceTest, OnScreenBuffersStartWithAnUnknownViewport) {
    platform::CAEAGLLayer layer(CGRectMake(0, 0, 3, 2));
    CreateDevice(&layer);
    device->SetViewport(0, 0, 3, 2);
    device->BindOnScreenFramebuffer();
    GLCallLog log;
    device->SetViewport(0, 0, 0, 0);
    EXPECT_EQ(log.Count(), 0u);
    device->SetViewport(0, 0, 3, 2);
    EXPECT_EQ(log.Calls(), std::vector<std::string>{"glViewport(0, 0, 3, 2)"});
}

TEST_F(DeviceTest, ValidateDropsBuffersWhoseSizeNoLongerMatches) {
    platform::CAEAGLLayer layer(CGRectMake(0, 0, 3, 3));
    CreateDevice(&layer);
    device->BindOnScreenFramebuffer();
    ASSERT_EQ(device->GetOnScreenWidth(), 3);
    // Another renderbuffer of another size bound in GL: the on-screen buffers are out of date.
    GLuint other = 0;
    glGenRenderbuffers(1, &other);
    glBindRenderbuffer(GL_RENDERBUFFER, other);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA4, 5, 5);
    device->ValidateOnScreenBuffers();
    EXPECT_EQ(device->GetOnScreenWidth(), 0);
    EXPECT_EQ(static_cast<CDevice*>(device.get())->GetOnScreenFramebufferObject(), nullptr);
    device->BindOnScreenFramebuffer();
    EXPECT_EQ(device->GetOnScreenWidth(), 3);
    glDeleteRenderbuffers(1, &other);
}
