// Pure tests of the GPU layer: conversion tables, the texture size rule, extension matching and
// the call log's formatting. No GL context.
#include <gtest/gtest.h>

#include "gpu/Device.h"
#include "gpu/GLCall.h"
#include "gpu/GLEnums.h"
#include "gpu/Texture.h"
#include "platform/opengles/GLES.h"

using namespace QV::Graphics;

TEST(TablesTest, ConversionTablesFollowTheLayersOrder) {
    EXPECT_EQ(ConvertPrimitive(PRIMITIVE_TRIANGLE_STRIP), static_cast<uint32_t>(GL_TRIANGLE_STRIP));
    EXPECT_EQ(ConvertPrimitive(PRIMITIVE_LINES), static_cast<uint32_t>(GL_LINES));
    EXPECT_EQ(ConvertDataType(DATA_TYPE_FLOAT), static_cast<uint32_t>(GL_FLOAT));
    EXPECT_EQ(ConvertPixelFormat(FORMAT_BGRA), static_cast<uint32_t>(GL_BGRA_EXT));
    EXPECT_EQ(ConvertReadPixelType(PIXEL_TYPE_HALF_FLOAT), static_cast<uint32_t>(GL_FLOAT));
    EXPECT_EQ(ConvertPixelType(PIXEL_TYPE_HALF_FLOAT), static_cast<uint32_t>(GL_HALF_FLOAT_OES));
    EXPECT_EQ(ConvertSizedFormat(FORMAT_BGRA, PIXEL_TYPE_UNSIGNED_BYTE), static_cast<uint32_t>(GL_BGRA8_EXT));
    EXPECT_EQ(ConvertSizedFormat(FORMAT_RG, PIXEL_TYPE_HALF_FLOAT), static_cast<uint32_t>(GL_RG16F_EXT));
    EXPECT_EQ(ConvertSizedFormat(FORMAT_RGB, PIXEL_TYPE_UNSIGNED_SHORT_5_6_5), static_cast<uint32_t>(GL_RGBA8_OES));
    EXPECT_EQ(ConvertBlendEquation(BLEND_MAX_EXT), static_cast<uint32_t>(GL_MAX_EXT));
    EXPECT_EQ(ConvertRenderbufferFormat(RENDERBUFFER_DEPTH_COMPONENT16), static_cast<uint32_t>(GL_DEPTH_COMPONENT16));
    EXPECT_EQ(ConvertSourceBlendFactor(BLEND_SRC_ALPHA_SATURATE), static_cast<uint32_t>(GL_SRC_ALPHA_SATURATE));
}

TEST(TablesTest, ValuesWithoutAGLConstantHereAreRefused) {
    EXPECT_EQ(ConvertPixelFormat(FORMAT_RGB_422), 0u);
    EXPECT_EQ(ConvertPixelType(PIXEL_TYPE_UNSIGNED_SHORT_8_8), 0u);
    EXPECT_EQ(ConvertPixelType(PIXEL_TYPE_UNSIGNED_SHORT_8_8_REV), 0u);
    EXPECT_EQ(ConvertSizedFormat(FORMAT_RGB_422, PIXEL_TYPE_UNSIGNED_SHORT_8_8), 0u);
    EXPECT_EQ(ConvertInternalFormat(FORMAT_BGRA), 0u);  // a pixel format only
    EXPECT_EQ(ConvertDestinationBlendFactor(BLEND_SRC_ALPHA_SATURATE), 0u);
    EXPECT_EQ(ConvertCullFace(static_cast<eCullFace>(3)), 0u);
    EXPECT_EQ(ConvertMagFilter(FILTER_LINEAR_MIPMAP_LINEAR), 0u);
    EXPECT_EQ(ConvertAttachment(static_cast<eAttachment>(-1)), 0u);
}

TEST(TablesTest, TextureSizeRule) {
    struct Case {
        int32_t w, h;
        bool allowed;
        int32_t adjustedW, adjustedH;
    };
    const Case cases[] = {
        {16, 8, false, 16, 9},  {8, 4, false, 8, 5},    {2, 1, false, 2, 2},  {4, 32, false, 5, 32},
        {8, 1, false, 9, 1},    {1, 4, false, 2, 4},    {8, 16, true, 8, 16}, {4, 8, true, 4, 8},
        {1, 2, true, 1, 2},     {16, 16, true, 16, 16}, {0, 4, true, 0, 4},   {640, 480, true, 640, 480},
        {32, 64, true, 32, 64}, {6, 2, true, 6, 2},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsTextureSizeAllowed(c.w, c.h), c.allowed) << c.w << "x" << c.h;
        int32_t w = -1, h = -1;
        EXPECT_EQ(AdjustTextureSize(c.w, c.h, w, h), c.allowed) << c.w << "x" << c.h;
        EXPECT_EQ(w, c.adjustedW) << c.w << "x" << c.h;
        EXPECT_EQ(h, c.adjustedH) << c.w << "x" << c.h;
        EXPECT_TRUE(IsTextureSizeAllowed(w, h));
    }
}

TEST(TablesTest, ExtensionsMatchOnlyWholeWords) {
    const std::string list = "GL_OES_texture_half_float_linear GL_EXT_blend_minmax GL_OES_rgb8_rgba8";
    EXPECT_TRUE(CDeviceCapabilities::HasExtension("GL_OES_texture_half_float_linear", list));
    EXPECT_FALSE(CDeviceCapabilities::HasExtension("GL_OES_texture_half_float", list));
    EXPECT_TRUE(CDeviceCapabilities::HasExtension("GL_OES_rgb8_rgba8", list));  // at the end
    EXPECT_FALSE(CDeviceCapabilities::HasExtension("GL_EXT_blend", list));
    EXPECT_FALSE(CDeviceCapabilities::HasExtension("EXT_blend_minmax", list));
    EXPECT_TRUE(CDeviceCapabilities::HasExtension("", list));
    EXPECT_FALSE(CDeviceCapabilities::HasExtension("GL_A", ""));
    // A name that first appears inside another word and later on its own.
    EXPECT_TRUE(CDeviceCapabilities::HasExtension("GL_X", "GL_X_Y GL_X"));
}

static std::string FormatPointer(const void* p) {
    std::ostringstream out;
    out << "0x" << std::hex << reinterpret_cast<uintptr_t>(p);
    return out.str();
}

TEST(TablesTest, CallLogRecordsCallsWithArguments) {
    int calls = 0;
    auto fake = [&](int a, float b, const void* p) {
        ++calls;
        return a;
    };
    EXPECT_EQ(CallGL("fake", fake, 1, 0.5f, nullptr), 1);  // no log installed
    GLCallLog log;
    {
        GLCallLog inner;
        CallGL("fake", fake, 2, 1.5f, &calls);
        EXPECT_EQ(inner.Calls(), std::vector<std::string>{"fake(2, 1.5, " + FormatPointer(&calls) + ")"});
    }
    CallGL("fake", fake, 3, 2.0f, nullptr);
    EXPECT_EQ(log.Calls(), std::vector<std::string>{"fake(3, 2, null)"});
    log.Clear();
    CallGL("fake", fake, 4, 0.0f, reinterpret_cast<const void*>(6));
    EXPECT_EQ(log.Calls(), std::vector<std::string>{"fake(4, 0, 0x6)"});
    EXPECT_EQ(log.Count("fake"), 1u);
    EXPECT_EQ(log.Count("other"), 0u);
    EXPECT_EQ(calls, 4);
}
