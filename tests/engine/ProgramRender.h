#pragma once
// A current graphics device with one engine, and a way to run a program of the engine over small
// images: inputs uploaded as 8-bit or half-float textures on units 0, 1, ..., the unit quad drawn
// into a target of the same kind, the result read back as floats.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/AmbrelGraphicsController.h"
#include "gpu/Device.h"
#include "gpu/Framebuffer.h"
#include "gpu/Shader.h"
#include "gpu/Texture.h"
#include "support/TestImage.h"

namespace programtest {

using namespace QV::Graphics;

using testimage::ExpectClose;
using testimage::Image;
using testimage::Quantize8;
using testimage::TestPicture;

// IEEE half of a float in the normal range (round to nearest even by the bits dropped).
inline uint16_t ToHalf(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    const uint32_t sign = (bits >> 16) & 0x8000u;
    const int32_t exponent = static_cast<int32_t>((bits >> 23) & 0xff) - 127 + 15;
    uint32_t mantissa = bits & 0x7fffffu;
    if (exponent <= 0) return static_cast<uint16_t>(sign);  // the test images hold nothing this small but zero
    uint32_t half = sign | (static_cast<uint32_t>(exponent) << 10) | (mantissa >> 13);
    const uint32_t rest = mantissa & 0x1fffu;
    if (rest > 0x1000u || (rest == 0x1000u && (half & 1u))) ++half;
    return static_cast<uint16_t>(half);
}

inline float FromHalf(uint16_t half) {
    const uint32_t sign = (half & 0x8000u) << 16;
    const uint32_t exponent = (half >> 10) & 0x1fu;
    const uint32_t mantissa = half & 0x3ffu;
    uint32_t bits = sign;
    if (exponent != 0) bits |= ((exponent - 15 + 127) << 23) | (mantissa << 13);
    float value;
    std::memcpy(&value, &bits, 4);
    return value;
}

// The image as a texture of that kind stores it.
inline Image Stored(Image image, bool half) {
    for (float& v : image.rgba) v = half ? FromHalf(ToHalf(v)) : Quantize8(v);
    return image;
}

class ProgramRenderTest : public ::testing::Test {
protected:
    void SetUp() override {
        device = CDevice::Create(nullptr, true, false, false);
        ASSERT_NE(device, nullptr) << "no OpenGL ES 2 device";
        engine = std::make_unique<AmbrelGraphicsController>(TAVORIN_RESOURCE_DIR);
        halfFloat = device->HasTextureHalfFloat() && device->HasColorBufferHalfFloat();
    }

    void TearDown() override {
        if (!device) return;
        for (ITexture2D* texture : textures) device->GetTexture()->DeleteTexture(texture);
        for (IFramebufferObject* framebuffer : framebuffers)
            device->GetFramebuffer()->DeleteFramebufferObject(framebuffer);
        engine.reset();
        EXPECT_FALSE(device->CheckError());
        device.reset();
    }

    IShaderProgram*& Slot(int32_t pair) { return engine->shaderSets[pair][engine->ProgramVariant()]; }

    // Empties a slot (for the next build of the same pair).
    void Release(int32_t pair) { AmbrelGraphicsController::ReleaseProgram(engine->shaderSets[pair]); }

    ITexture2D* Upload(const Image& image, bool linear, bool half) {
        const int32_t filter = linear ? FILTER_LINEAR : FILTER_NEAREST;
        const CTextureTemplate sampling(filter, filter, WRAP_CLAMP_TO_EDGE, WRAP_CLAMP_TO_EDGE);
        ITexture2D* texture = nullptr;
        if (half) {
            std::vector<uint16_t> halves(image.rgba.size());
            std::transform(image.rgba.begin(), image.rgba.end(), halves.begin(), ToHalf);
            texture = device->GetTexture()->CreateTexture(sampling, image.width, image.height, FORMAT_RGBA, FORMAT_RGBA,
                                                          PIXEL_TYPE_HALF_FLOAT, 1, false, false, halves.data());
        } else {
            const std::vector<uint8_t> bytes = testimage::ToBytes(image);
            texture = device->GetTexture()->CreateTexture(sampling, image.width, image.height, FORMAT_RGBA, FORMAT_RGBA,
                                                          PIXEL_TYPE_UNSIGNED_BYTE, 1, false, false, bytes.data());
        }
        EXPECT_NE(texture, nullptr);
        if (texture) textures.push_back(texture);
        return texture;
    }

    // A target of the given kind, bound, viewport set; its texture cleared to `fill`.
    IFramebufferObject* Target(int width, int height, bool half, float fill = 0.0f) {
        Image blank(width, height);
        std::fill(blank.rgba.begin(), blank.rgba.end(), fill);
        IFramebufferObject* framebuffer = device->GetFramebuffer()->CreateFramebufferObject();
        framebuffers.push_back(framebuffer);
        framebuffer->AttachTexture(ATTACHMENT_COLOR0, Upload(blank, false, half));
        device->GetFramebuffer()->BindFramebufferObject(framebuffer);
        device->SetViewport(0, 0, width, height);
        return framebuffer;
    }

    Image ReadTarget(int width, int height, bool half) {
        if (half) {
            Image out(width, height);
            EXPECT_TRUE(device->GetFramebuffer()->ReadPixels(0, 0, width, height, FORMAT_RGBA, PIXEL_TYPE_HALF_FLOAT, 4,
                                                             out.rgba.data()));
            return out;
        }
        std::vector<uint8_t> bytes(static_cast<size_t>(width) * height * 4);
        EXPECT_TRUE(device->GetFramebuffer()->ReadPixels(0, 0, width, height, FORMAT_RGBA, PIXEL_TYPE_UNSIGNED_BYTE, 1,
                                                         bytes.data()));
        return testimage::FromBytes(bytes, width, height);
    }

    // Draws the unit quad through the program with the inputs on units 0, 1, ... into a new
    // target (cleared to `fill` first) and reads it back.
    Image Render(IShaderProgram* program, const std::vector<ITexture2D*>& inputs, int width, int height, bool half,
                 float fill = 0.0f) {
        Target(width, height, half, fill);
        for (size_t unit = 0; unit < inputs.size(); ++unit)
            device->GetTexture()->BindTexture(static_cast<uint32_t>(unit), inputs[unit]);
        device->Draw(program, engine->quadVertexArray, PRIMITIVE_TRIANGLE_STRIP);
        for (size_t unit = 0; unit < inputs.size(); ++unit)
            device->GetTexture()->BindTexture(static_cast<uint32_t>(unit), nullptr);
        return ReadTarget(width, height, half);
    }

    std::unique_ptr<IDevice> device;
    std::unique_ptr<AmbrelGraphicsController> engine;
    bool halfFloat = false;
    std::vector<ITexture2D*> textures;
    std::vector<IFramebufferObject*> framebuffers;
};

}  // namespace programtest
