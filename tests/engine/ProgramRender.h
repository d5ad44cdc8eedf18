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

namespace programtest {

using namespace QV::Graphics;

// RGBA floats, rows bottom-up as GL stores them.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<float> rgba;

    Image() = default;
    Image(int w, int h) : width(w), height(h), rgba(static_cast<size_t>(w) * h * 4, 0.0f) {}
    float at(int x, int y, int c) const { return rgba[(static_cast<size_t>(y) * width + x) * 4 + c]; }
    float& at(int x, int y, int c) { return rgba[(static_cast<size_t>(y) * width + x) * 4 + c]; }
    // Clamped to the edge, as the samplers read it.
    float clamped(int x, int y, int c) const
    {
        return at(std::clamp(x, 0, width - 1), std::clamp(y, 0, height - 1), c);
    }
};

inline float Quantize8(float v) { return std::round(std::clamp(v, 0.0f, 1.0f) * 255.0f) / 255.0f; }

// IEEE half of a float in the normal range (round to nearest even by the bits dropped).
inline uint16_t ToHalf(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    const uint32_t sign = (bits >> 16) & 0x8000u;
    const int32_t exponent = static_cast<int32_t>((bits >> 23) & 0xff) - 127 + 15;
    uint32_t mantissa = bits & 0x7fffffu;
    if (exponent <= 0)
        return static_cast<uint16_t>(sign);  // the test images hold nothing this small but zero
    uint32_t half = sign | (static_cast<uint32_t>(exponent) << 10) | (mantissa >> 13);
    const uint32_t rest = mantissa & 0x1fffu;
    if (rest > 0x1000u || (rest == 0x1000u && (half & 1u)))
        ++half;
    return static_cast<uint16_t>(half);
}

inline float FromHalf(uint16_t half)
{
    const uint32_t sign = (half & 0x8000u) << 16;
    const uint32_t exponent = (half >> 10) & 0x1fu;
    const uint32_t mantissa = half & 0x3ffu;
    uint32_t bits = sign;
    if (exponent != 0)
        bits |= ((exponent - 15 + 127) << 23) | (mantissa << 13);
    float value;
    std::memcpy(&value, &bits, 4);
    return value;
}

// The image as a texture of that kind stores it.
inline Image Stored(Image image, bool half)
{
    for (float& v : image.rgba)
        v = half ? FromHalf(ToHalf(v)) : Quantize8(v);
    return image;
}

// A smooth but varied picture in [0.1, 0.9].
inline Image TestPicture(int width, int height, int seed = 0)
{
    Image image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 4; ++c)
                image.at(x, y, c) = 0.5f + 0.4f * std::sin(0.7f * x + 1.3f * y * (c + 1) + c + seed) *
                                               std::cos(0.45f * y - 0.3f * x * (c + seed));
    return image;
}

// Largest difference over the listed channels, skipping pixels whose expected value is not a
// number; reports the worst pixel.
inline void ExpectClose(const Image& actual, const Image& expected, float tolerance, const std::string& what,
                        std::vector<int> channels = {0, 1, 2, 3})
{
    ASSERT_EQ(actual.width, expected.width);
    ASSERT_EQ(actual.height, expected.height);
    float worst = 0.0f;
    int wx = 0, wy = 0, wc = 0;
    for (int y = 0; y < actual.height; ++y)
        for (int x = 0; x < actual.width; ++x)
            for (int c : channels) {
                if (!std::isfinite(expected.at(x, y, c)))
                    continue;
                const float d = std::fabs(actual.at(x, y, c) - expected.at(x, y, c));
                if (!(d <= worst))
                    worst = d, wx = x, wy = y, wc = c;
            }
    EXPECT_LE(worst, tolerance) << what << ": worst at (" << wx << ", " << wy << ") channel " << wc << ": "
                                << actual.at(wx, wy, wc) << " instead of " << expected.at(wx, wy, wc);
}

class ProgramRenderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        device = CDevice::Create(nullptr, true, false, false);
        ASSERT_NE(device, nullptr) << "no OpenGL ES 2 device";
        engine = std::make_unique<AmbrelGraphicsController>();
        halfFloat = device->HasTextureHalfFloat() && device->HasColorBufferHalfFloat();
    }

    void TearDown() override
    {
        if (!device)
            return;
        for (ITexture2D* texture : textures)
            device->GetTexture()->DeleteTexture(texture);
        for (IFramebufferObject* framebuffer : framebuffers)
            device->GetFramebuffer()->DeleteFramebufferObject(framebuffer);
        engine.reset();
        EXPECT_FALSE(device->CheckError());
        device.reset();
    }

    IShaderProgram*& Slot(int32_t pair) { return engine->shaderSets[pair][AmbrelGraphicsController::programVariant]; }

    // Empties a slot (for the next build of the same pair).
    void Release(int32_t pair) { AmbrelGraphicsController::ReleaseProgram(engine->shaderSets[pair]); }

    ITexture2D* Upload(const Image& image, bool linear, bool half)
    {
        const int32_t filter = linear ? FILTER_LINEAR : FILTER_NEAREST;
        const CTextureTemplate sampling(filter, filter, WRAP_CLAMP_TO_EDGE, WRAP_CLAMP_TO_EDGE);
        ITexture2D* texture = nullptr;
        if (half) {
            std::vector<uint16_t> halves(image.rgba.size());
            std::transform(image.rgba.begin(), image.rgba.end(), halves.begin(), ToHalf);
            texture = device->GetTexture()->CreateTexture(sampling, image.width, image.height, FORMAT_RGBA, FORMAT_RGBA,
                                                          PIXEL_TYPE_HALF_FLOAT, 1, false, false, halves.data());
        } else {
            std::vector<uint8_t> bytes(image.rgba.size());
            for (size_t i = 0; i < bytes.size(); ++i)
                bytes[i] = static_cast<uint8_t>(std::lround(Quantize8(image.rgba[i]) * 255.0f));
            texture = device->GetTexture()->CreateTexture(sampling, image.width, image.height, FORMAT_RGBA, FORMAT_RGBA,
                                                          PIXEL_TYPE_UNSIGNED_BYTE, 1, false, false, bytes.data());
        }
        EXPECT_NE(texture, nullptr);
        if (texture)
            textures.push_back(texture);
        return texture;
    }

    // A target of the given kind, bound, viewport set; its texture cleared to `fill`.
    IFramebufferObject* Target(int width, int height, bool half, float fill = 0.0f)
    {
        Image blank(width, height);
        std::fill(blank.rgba.begin(), blank.rgba.end(), fill);
        IFramebufferObject* framebuffer = device->GetFramebuffer()->CreateFramebufferObject();
        framebuffers.push_back(framebuffer);
        framebuffer->AttachTexture(ATTACHMENT_COLOR0, Upload(blank, false, half));
        device->GetFramebuffer()->BindFramebufferObject(framebuffer);
        device->SetViewport(0, 0, width, height);
        return framebuffer;
    }

    Image ReadTarget(int width, int height, bool half)
    {
        Image out(width, height);
        if (half) {
            EXPECT_TRUE(device->GetFramebuffer()->ReadPixels(0, 0, width, height, FORMAT_RGBA, PIXEL_TYPE_HALF_FLOAT, 4,
                                                             out.rgba.data()));
        } else {
            std::vector<uint8_t> bytes(out.rgba.size());
            EXPECT_TRUE(device->GetFramebuffer()->ReadPixels(0, 0, width, height, FORMAT_RGBA,
                                                             PIXEL_TYPE_UNSIGNED_BYTE, 1, bytes.data()));
            for (size_t i = 0; i < bytes.size(); ++i)
                out.rgba[i] = bytes[i] / 255.0f;
        }
        return out;
    }

    // Draws the unit quad through the program with the inputs on units 0, 1, ... into a new
    // target (cleared to `fill` first) and reads it back.
    Image Render(IShaderProgram* program, const std::vector<ITexture2D*>& inputs, int width, int height, bool half,
                 float fill = 0.0f)
    {
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
