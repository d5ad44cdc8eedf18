#pragma once
// Compiles a generated program with plain GL and draws it over a small target, so that the
// engine's texts can be checked against CPU formulas without the rest of the pipeline.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "engine/EnginePrograms.h"
#include "gpu/ShaderConstants.h"
#include "gpu/shadersource/ShaderSource.h"
#include "platform/opengles/GLES.h"
#include "support/RawGL.h"

namespace harness {

using Color = std::array<float, 3>;

using rawgl::LinkProgram;

inline GLuint LinkFragment(const std::string& fragment, int32_t precision = 2, std::string* log = nullptr) {
    return LinkProgram(QV::Graphics::ShaderSource::DefaultVertexShader(precision), fragment, log);
}

struct Texture {
    GLuint name = 0;
    Texture() = default;
    Texture(int w, int h, GLenum format, GLenum filter, const void* data)
        : name(rawgl::NewTexture(w, h, filter == GL_LINEAR, data, format)) {}
    Texture(Texture&& o) noexcept : name(std::exchange(o.name, 0)) {}
    Texture& operator=(Texture&& o) noexcept {
        std::swap(name, o.name);
        return *this;
    }
    ~Texture() {
        if (name) glDeleteTextures(1, &name);
    }
};

// An RGBA texture of straight 8-bit colours, sampled NEAREST.
inline Texture ColorTexture(int w, int h, const std::vector<Color>& colors, const std::vector<float>& alpha = {}) {
    std::vector<uint8_t> bytes(4 * static_cast<size_t>(w) * h);
    for (size_t i = 0; i < colors.size(); ++i) {
        for (int c = 0; c < 3; ++c) bytes[4 * i + c] = static_cast<uint8_t>(std::lround(colors[i][c] * 255.0f));
        bytes[4 * i + 3] = alpha.empty() ? 255 : static_cast<uint8_t>(std::lround(alpha[i] * 255.0f));
    }
    return Texture(w, h, GL_RGBA, GL_NEAREST, bytes.data());
}

// The grid of colours the tests draw: every combination of five levels per channel, as 8-bit
// values would hold them, padded with mid grey to fill a 16 x 8 picture.
constexpr int kGridWidth = 16;
constexpr int kGridHeight = 8;
inline std::vector<Color> ColorGrid(bool reversed = false) {
    const float levels[5] = {0.0f, 40.0f / 255.0f, 128.0f / 255.0f, 200.0f / 255.0f, 1.0f};
    std::vector<Color> grid;
    for (int r = 0; r < 5; ++r)
        for (int g = 0; g < 5; ++g)
            for (int b = 0; b < 5; ++b)
                grid.push_back(reversed ? Color{levels[4 - b], levels[r], levels[4 - g]}
                                        : Color{levels[r], levels[g], levels[b]});
    grid.resize(kGridWidth * kGridHeight, Color{128.0f / 255.0f, 128.0f / 255.0f, 128.0f / 255.0f});
    return grid;
}

inline void SetUniform(GLuint program, const sUniformValue& u) {
    const GLint location = glGetUniformLocation(program, u.name.c_str());
    ASSERT_GE(location, 0) << u.name << " is not a uniform of the program";
    switch (u.count) {
    case 1: glUniform1f(location, u.v[0]); break;
    case 2: glUniform2f(location, u.v[0], u.v[1]); break;
    case 3: glUniform3f(location, u.v[0], u.v[1], u.v[2]); break;
    default: glUniform4f(location, u.v[0], u.v[1], u.v[2], u.v[3]); break;
    }
}

// Draws the unit quad with the program into a w x h RGBA target, the textures bound to units
// 0, 1, 2 ... as img0, img1, img2 ..., and returns the pixels as colours (bottom row first).
inline std::vector<Color> Render(GLuint program, int w, int h, const std::vector<GLuint>& textures,
                                 const std::vector<sUniformValue>& uniforms) {
    glUseProgram(program);
    const QV::Math::CMatrix4<float> projection = QV::Graphics::ShaderSource::UnitSquareToClipMatrix;
    glUniformMatrix4fv(glGetUniformLocation(program, "uModelViewProjectionMatrix"), 1, GL_FALSE,
                       reinterpret_cast<const GLfloat*>(&projection));
    for (size_t unit = 0; unit < textures.size(); ++unit) {
        const std::string sampler = "img" + std::to_string(unit);
        glUniform1i(glGetUniformLocation(program, sampler.c_str()), static_cast<GLint>(unit));
    }
    for (const sUniformValue& u : uniforms) SetUniform(program, u);

    const GLuint target = rawgl::Render(program, textures, w, h);
    const std::vector<uint8_t> bytes = rawgl::ReadBytes(target, w, h);
    glDeleteTextures(1, &target);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    std::vector<Color> out(static_cast<size_t>(w) * h);
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = {bytes[4 * i] / 255.0f, bytes[4 * i + 1] / 255.0f, bytes[4 * i + 2] / 255.0f};
    return out;
}

inline float Clamp01(float v) { return v < 0.0f ? 0.0f : v > 1.0f ? 1.0f : v; }

// Compares the rendered colours with the expected ones (clamped as the 8-bit target clamps).
inline void ExpectColors(const std::vector<Color>& actual, const std::vector<Color>& expected, float tolerance,
                         const std::string& what) {
    ASSERT_EQ(actual.size(), expected.size());
    int failures = 0;
    for (size_t i = 0; i < actual.size() && failures < 5; ++i) {
        for (int c = 0; c < 3; ++c) {
            const float e = Clamp01(expected[i][c]);
            if (std::fabs(actual[i][c] - e) > tolerance) {
                ADD_FAILURE() << what << ": pixel " << i << " channel " << c << " is " << actual[i][c] << ", expected "
                              << e;
                ++failures;
                break;
            }
        }
    }
}

}  // namespace harness
