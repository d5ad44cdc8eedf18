// Copy/convert, structure tensor and flow-field texts run on small synthetic images.
#include <gtest/gtest.h>

#include "Reference.h"
#include "gpu/shadersource/Kernels.h"
#include "gpu/shadersource/ProgramTexts.h"
#include "support/GLTest.h"

namespace {

namespace SS = QV::Graphics::ShaderSource;
using reference::ExpectClose;

constexpr float kStep = 1.0f / 255.0f;

class FlowRender : public GLTest {
protected:
    rawgl::Image Run(const SS::ProgramText& text, const std::vector<GLuint>& inputs, int width, int height,
                     const std::function<void(rawgl::Program&)>& set = {}) {
        rawgl::Program program(text.vertex, text.fragment);
        EXPECT_TRUE(program.ok()) << program.log() << text.fragment;
        program.SetUnitSquare();
        for (int unit = 0; unit < 3; ++unit) program.SetSampler(("img" + std::to_string(unit)).c_str(), unit);
        program.Set2f("uInvTextureDimensions", 1.0f / width, 1.0f / height);
        if (set) set(program);
        return rawgl::RenderImage(program, inputs, width, height);
    }

    // Gradient, vertical smoothing and horizontal tensor pass, as the renderer chains them.
    rawgl::Image FlowField(const rawgl::Image& picture, int channel, bool anisotropy) {
        const int w = picture.width, h = picture.height;
        std::vector<double> weights;
        QV::Math::ComputeGaussianWeights(5, weights, 1.0, 1.0);
        GLuint input = rawgl::Upload(picture, false);
        const rawgl::Image gradient = Run(SS::GradientProgramText(16, 2, false, channel, 1), {input}, w, h);
        GLuint g = rawgl::Upload(gradient, false);
        const rawgl::Image smoothed = Run(SS::TensorSmoothingPassText(5, weights, true, 16, 2), {g}, w, h,
                                          [h](rawgl::Program& p) { p.Set1f("uInvTextureDimension", 1.0f / h); });
        GLuint s = rawgl::Upload(smoothed, false);
        const rawgl::Image flow = Run(SS::TensorPassText(5, weights, anisotropy, 16, 2), {s}, w, h,
                                      [w](rawgl::Program& p) { p.Set1f("uInvTextureDimension", 1.0f / w); });
        glDeleteTextures(1, &input);
        glDeleteTextures(1, &g);
        glDeleteTextures(1, &s);
        return flow;
    }
};

TEST_F(FlowRender, CopyAlphaModesSwapsAndTransfers) {
    const rawgl::Image picture = reference::TestPicture(8, 8);
    const auto decode = [](float v) { return v < 0.04045f ? 0.0774f * v : std::pow((v + 0.055f) * 0.947867f, 2.4f); };
    const auto encode = [](float v) { return v < 0.00313f ? 12.92f * v : 1.055f * std::pow(v, 0.4167f) - 0.055f; };
    for (int alpha = 0; alpha <= 4; ++alpha)
        for (int srgb : {4, 0, 1, 2, 3})
            for (bool swap : {false, true}) {
                GLuint input = rawgl::Upload(picture, false);
                const rawgl::Image result =
                    Run(SS::CopyProgramText(swap, alpha, true, srgb, 16, 2), {input}, 8, 8, [](rawgl::Program& p) {
                        const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
                        p.SetMatrix("uModelViewProjectionTextureMatrix", identity);
                    });
                glDeleteTextures(1, &input);
                rawgl::Image expected = picture;
                for (int y = 0; y < 8; ++y)
                    for (int x = 0; x < 8; ++x) {
                        float c[3];
                        for (int k = 0; k < 3; ++k) {
                            const float v = picture.at(x, y, k);
                            c[k] = srgb == 0   ? decode(v)
                                   : srgb == 1 ? std::pow(v, 2.4f)
                                   : srgb == 2 ? encode(v)
                                   : srgb == 3 ? std::pow(v, 0.4167f)
                                               : v;
                        }
                        if (swap) std::swap(c[0], c[2]);
                        for (int k = 0; k < 3; ++k) expected.at(x, y, k) = c[k];
                        float a = picture.at(x, y, 3);
                        if (alpha == 0) a = 0.299f * c[0] + 0.587f * c[1] + 0.114f * c[2];
                        if (alpha == 1) a = 0.2126f * c[0] + 0.7152f * c[1] + 0.0722f * c[2];
                        if (alpha == 3) a = 1.0f;
                        if (alpha == 2) {
                            float yv = 0.2126729f * c[0] + 0.7151522f * c[1] + 0.072175f * c[2];
                            yv = yv > 0.008856f ? std::cbrt(yv) : 7.787f * yv + 16.0f / 116.0f;
                            a = 1.16f * yv - 0.16f;
                        }
                        expected.at(x, y, 3) = a;
                    }
                ExpectClose(result, reference::QuantizeAll(expected), 1.5f * kStep,
                            "alpha " + std::to_string(alpha) + " srgb " + std::to_string(srgb) + (swap ? " swap" : ""));
            }
}

// The gradient's packed signed pair decodes back to the derivative: a ramp of 8 levels per
// texel along x has the derivative (2 × 8/255, 0) inside the picture.
TEST_F(FlowRender, GradientPacksASignedPair) {
    rawgl::Image ramp = rawgl::MakeImage(16, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) ramp.at(x, y, 0) = (64.0f + 8.0f * x) / 255.0f;
    GLuint input = rawgl::Upload(ramp, false);
    const rawgl::Image packed = Run(SS::GradientProgramText(16, 2, false, 1, 1), {input}, 16, 8);
    glDeleteTextures(1, &input);
    for (int x = 1; x < 15; ++x) {
        const float u = packed.at(x, 4, 0) + packed.at(x, 4, 2) / 255.0f;
        const float v = packed.at(x, 4, 1) + packed.at(x, 4, 3) / 255.0f;
        // llvmpipe's arithmetic leaves about 12 bits of the pair's 16.
        EXPECT_NEAR(2.0f * u - 1.0f, 16.0f / 255.0f, 5e-4f) << x;
        EXPECT_NEAR(2.0f * v - 1.0f, 0.0f, 5e-4f) << x;
    }
    // A flat picture packs the zero gradient as 127/255 with a half fraction.
    EXPECT_NEAR(packed.at(0, 4, 1), 127.0f / 255.0f, 1e-6f);
    EXPECT_NEAR(packed.at(0, 4, 3), 0.5f, 0.6f / 255.0f);
}

// A vertical edge gives the flow (0, 1) along it, packed (0.5, 1.0); a horizontal edge the flow
// (-1, 0); a diagonal edge the direction along the diagonal. A flat area has no direction: the
// 8-bit store of a zero gradient leaves a tiny residue, so any unit vector may come out there.
TEST_F(FlowRender, StructureTensorFlowOnSyntheticEdges) {
    struct Case {
        const char* name;
        std::function<float(int, int)> f;
        float fx, fy;
    };
    const Case cases[] = {
        {"vertical", [](int x, int) { return x < 8 ? 0.1f : 0.9f; }, 0.5f, 1.0f},
        {"horizontal", [](int, int y) { return y < 8 ? 0.1f : 0.9f; }, 0.0f, 0.5f},
        {"diagonal", [](int x, int y) { return x + y < 16 ? 0.1f : 0.9f; }, 0.5f - 0.5f * 0.70710678f,
         0.5f + 0.5f * 0.70710678f},
    };
    for (const Case& c : cases) {
        rawgl::Image picture = rawgl::MakeImage(16, 16);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) picture.at(x, y, 3) = c.f(x, y);  // channel 0 reads alpha
        const rawgl::Image flow = FlowField(picture, 0, true);
        const int x = c.name[0] == 'h' ? 5 : 8, y = c.name[0] == 'v' ? 5 : 8;
        EXPECT_NEAR(flow.at(x, y, 0), c.fx, 2.0f * kStep) << c.name;
        EXPECT_NEAR(flow.at(x, y, 1), c.fy, 2.0f * kStep) << c.name;
        EXPECT_EQ(flow.at(x, y, 2), 0.0f) << c.name;
        EXPECT_EQ(flow.at(x, y, 3), 1.0f) << c.name;  // anisotropy 2 for a clean edge, clamped
    }
    rawgl::Image flat = rawgl::MakeImage(16, 16);
    const rawgl::Image flow = FlowField(flat, 1, true);
    const float fx = 2.0f * flow.at(8, 8, 0) - 1.0f, fy = 2.0f * flow.at(8, 8, 1) - 1.0f;
    EXPECT_NEAR(fx * fx + fy * fy, 1.0f, 4.0f * kStep);
}

// With a constant flow field, smoothing along it is a 1-D Gaussian along the flow, and across
// it along the perpendicular. Range factors of 0 (range-weighted) or a huge range sigma
// (bilateral) reduce the other builders to the same Gaussian.
TEST_F(FlowRender, FlowBlursFollowTheField) {
    const int w = 16, h = 16;
    const rawgl::Image picture = reference::TestPicture(w, h);
    rawgl::Image field = rawgl::MakeImage(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) field.at(x, y, 0) = 0.5f, field.at(x, y, 1) = 1.0f;
    std::vector<double> weights;
    QV::Math::ComputeGaussianWeights(9, weights, 2.0, 1.0);
    // Filtered, as the engine's pictures are: the bilateral filter fetches two neighbouring taps
    // at once, between their texels.
    GLuint image = rawgl::Upload(picture, true);
    GLuint flow = rawgl::Upload(field, false);
    for (bool along : {true, false}) {
        // along the field (0, 1) is vertical; across it is horizontal
        rawgl::Image expected = reference::Convolve(picture, weights, along, 3);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) expected.at(x, y, 3) = 1.0f;
        expected = reference::QuantizeAll(expected);
        const std::string side = along ? "along" : "across";
        ExpectClose(Run(SS::FlowBlurText(4, 9, along, 16, 2, false, false, 2.0, 1.0), {image, flow}, w, h), expected,
                    2.0f * kStep, "blur " + side);
        ExpectClose(
            Run(SS::FlowBilateralText(4, 9, along, 0, 16, 2, true, 2.0, 1.0e4f, 1.0, false), {image, flow}, w, h),
            expected, 2.0f * kStep, "bilateral " + side);
        ExpectClose(Run(SS::FlowRangeWeightedBlurText(false, 9, along, 4, 16, 2, false, 2.0, 1.0, false), {image, flow},
                        w, h, [](rawgl::Program& p) { p.Set1f("uDistanceFromCenterFactor", 0.0f); }),
                    expected, 2.0f * kStep, "range-weighted " + side);
    }
    // Three-tap smoothing, format 6: alpha smoothed along the flow, colour of the centre kept.
    const rawgl::Image smoothed =
        Run(SS::FlowSmoothingText(6, false, false, false, 16, 2, false, 1.0f), {image, flow}, w, h);
    std::vector<double> three;
    QV::Math::ComputeGaussianWeights(3, three, 1.0, 1.0);
    rawgl::Image expected = reference::Convolve(picture, three, true, 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c) expected.at(x, y, c) = picture.at(x, y, c);
    ExpectClose(smoothed, reference::QuantizeAll(expected), 2.0f * kStep, "three-tap");
    glDeleteTextures(1, &image);
    glDeleteTextures(1, &flow);
}

}  // namespace
