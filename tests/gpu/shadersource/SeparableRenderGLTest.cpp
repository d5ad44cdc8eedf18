// The separable filter texts run on small images against CPU references. Stored results are
// 8-bit, so tolerances are a few 1/255 steps; each case runs at a varying cap of 16 (taps past
// the cap computed in the fragment shader) and 64.
#include <gtest/gtest.h>

#include "Reference.h"
#include "gpu/shadersource/Kernels.h"
#include "gpu/shadersource/ProgramTexts.h"
#include "support/GLTest.h"

namespace {

namespace SS = QV::Graphics::ShaderSource;
using reference::ExpectClose;

constexpr int kWidth = 24;
constexpr int kHeight = 16;
constexpr float kStep = 1.0f / 255.0f;

class SeparableRender : public GLTest, public ::testing::WithParamInterface<int> {
protected:
    int cap() const { return GetParam(); }

    // Runs one pass over input and returns the 8-bit result.
    rawgl::Image Pass(const SS::ProgramText& text, GLuint input, bool vertical,
                      const std::function<void(rawgl::Program&)>& set = {}) {
        rawgl::Program program(text.vertex, text.fragment);
        EXPECT_TRUE(program.ok()) << program.log();
        program.SetUnitSquare();
        program.SetSampler("img0", 0);
        program.Set1f("uInvTextureDimension", vertical ? 1.0f / kHeight : 1.0f / kWidth);
        if (set) set(program);
        return rawgl::RenderImage(program, {input}, kWidth, kHeight);
    }
};

TEST_P(SeparableRender, ScaledBlurMatchesTheFullGaussian) {
    const rawgl::Image picture = reference::TestPicture(kWidth, kHeight);
    for (int taps : {5, 9, 21}) {
        const double sigma = taps / 4.0;
        GLuint input = rawgl::Upload(picture, true);
        const rawgl::Image first =
            Pass(SS::ScaledBlurPassText(taps, 3, 1, false, false, 0, cap(), 2, sigma, 1.0), input, true);
        GLuint intermediate = rawgl::Upload(first, true);
        const rawgl::Image result =
            Pass(SS::ScaledBlurPassText(taps, 3, 0, false, false, 0, cap(), 2, sigma, 1.0), intermediate, false);
        glDeleteTextures(1, &input);
        glDeleteTextures(1, &intermediate);

        std::vector<double> w;
        ASSERT_TRUE(QV::Math::ComputeGaussianWeights(taps, w, sigma, 1.0));
        const rawgl::Image expected =
            reference::Convolve(reference::QuantizeAll(reference::Convolve(picture, w, true, 3)), w, false, 3);
        ExpectClose(result, expected, 2.5f * kStep, "taps " + std::to_string(taps), {0, 1, 2});
        for (int x = 0; x < kWidth; ++x) EXPECT_EQ(result.at(x, 3, 3), 1.0f);
    }
}

TEST_P(SeparableRender, DifferenceOfGaussiansAlongEachAxis) {
    const rawgl::Image picture = reference::TestPicture(kWidth, kHeight);
    // 21 taps at a fine spacing keep more taps than a cap of 16 after trimming.
    struct Case {
        int taps;
        double spacing;
        float p;
    };
    for (const Case& c : {Case{9, 1.0, 0.5f}, Case{21, 0.3, 0.3f}}) {
        const int n = SS::DifferenceOfGaussiansTapCount(c.taps, 1.0, 1.6, c.spacing, c.p);
        if (c.taps == 21) {
            EXPECT_GT(n, 16);
        }
        std::vector<double> a, b, w(static_cast<size_t>(n));
        QV::Math::ComputeGaussianWeights(n, a, 1.0, c.spacing);
        QV::Math::ComputeGaussianWeights(n, b, 1.6, c.spacing);
        for (int i = 0; i < n; ++i) w[i] = (1.0 + c.p) * a[i] - c.p * b[i];
        for (int direction = 0; direction < 2; ++direction) {
            GLuint input = rawgl::Upload(picture, false);
            const rawgl::Image result = Pass(
                SS::DifferenceOfGaussiansPassText(c.taps, 5, direction, false, cap(), 1, 2, 1.0, 1.6, c.spacing, c.p),
                input, direction != 0);
            glDeleteTextures(1, &input);
            rawgl::Image expected = reference::Convolve(picture, w, direction != 0, 1);
            for (int y = 0; y < kHeight; ++y)
                for (int x = 0; x < kWidth; ++x)
                    for (int ch = 1; ch < 4; ++ch) expected.at(x, y, ch) = expected.at(x, y, 0);
            ExpectClose(result, reference::QuantizeAll(expected), 1.5f * kStep,
                        "taps " + std::to_string(c.taps) + " direction " + std::to_string(direction));
        }
    }
}

// The neighbour weight falls with the colour distance to the centre pixel.
TEST_P(SeparableRender, RangeWeightedBlurWithLuminanceInAlpha) {
    const rawgl::Image picture = reference::TestPicture(kWidth, kHeight);
    const float factor = 1.5f;
    for (int mode : {4, 0, 1}) {
        for (bool fixed : {false, true}) {
            const int taps = fixed ? 9 : 13;
            std::vector<double> w = fixed ? std::vector<double>{0.05, 0.09, 0.12, 0.15, 0.18, 0.15, 0.12, 0.09, 0.05}
                                          : std::vector<double>{};
            if (!fixed) QV::Math::ComputeGaussianWeights(taps, w, 3.0, 1.0);
            const bool vertical = mode != 4;
            GLuint input = rawgl::Upload(picture, false);
            const rawgl::Image result = Pass(
                SS::SeparableRangeWeightedBlurText(fixed, fixed ? 3 : taps, vertical ? 1 : 0, mode, cap(), 2, 3.0, 1.0),
                input, vertical, [factor](rawgl::Program& p) { p.Set1f("uDistanceFromCenterFactor", factor); });
            glDeleteTextures(1, &input);
            rawgl::Image expected = picture;
            const int h = taps / 2;
            for (int y = 0; y < kHeight; ++y)
                for (int x = 0; x < kWidth; ++x) {
                    double sum[3] = {}, weight = 0.0;
                    for (int i = -h; i <= h; ++i) {
                        const int sx = vertical ? x : x + i, sy = vertical ? y + i : y;
                        double d2 = 0.0;
                        for (int c = 0; c < 3; ++c) {
                            const double d = picture.clamped(sx, sy, c) - picture.at(x, y, c);
                            d2 += d * d;
                        }
                        const double k = w[i + h] * (1.0 - std::min(std::sqrt(d2) * factor, 1.0));
                        weight += k;
                        for (int c = 0; c < 3; ++c) sum[c] += k * picture.clamped(sx, sy, c);
                    }
                    for (int c = 0; c < 3; ++c) expected.at(x, y, c) = static_cast<float>(sum[c] / weight);
                    const float r = expected.at(x, y, 0), g = expected.at(x, y, 1), b = expected.at(x, y, 2);
                    expected.at(x, y, 3) = mode == 4   ? 1.0f
                                           : mode == 0 ? 0.299f * r + 0.587f * g + 0.114f * b
                                                       : 0.2126f * r + 0.7152f * g + 0.0722f * b;
                }
            ExpectClose(result, reference::QuantizeAll(expected), 1.5f * kStep,
                        "mode " + std::to_string(mode) + (fixed ? " fixed" : ""));
        }
    }
}

// The variance (or deviation) of channel c over the taps x taps box at each pixel, edges clamped.
rawgl::Image BoxVariance(const rawgl::Image& picture, int taps, int c, bool deviation) {
    rawgl::Image expected = rawgl::MakeImage(kWidth, kHeight);
    const int h = taps / 2;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            double mean = 0.0, square = 0.0;
            for (int j = -h; j <= h; ++j)
                for (int i = -h; i <= h; ++i) {
                    const double v = picture.clamped(x + i, y + j, c);
                    mean += v;
                    square += v * v;
                }
            mean /= taps * taps;
            square /= taps * taps;
            const double variance = std::max(square - mean * mean, 0.0);
            expected.at(x, y, 0) = static_cast<float>(deviation ? std::sqrt(variance) : variance);
        }
    return expected;
}

// The packed two-pass box filter: the horizontal pass stores row means of a value and its
// square as 16-bit pairs, the vertical pass turns them into the deviation of the box.
TEST_P(SeparableRender, BoxMeanVarianceAndDeviation) {
    const rawgl::Image picture = reference::TestPicture(kWidth, kHeight);
    for (int taps : {3, 7, 19}) {
        for (bool deviation : {true, false}) {
            GLuint input = rawgl::Upload(picture, false);
            const SS::ProgramText horizontal = SS::BoxMeanPassText(taps, 0, deviation, true, 0, false, cap(), 2);
            const SS::ProgramText vertical = SS::BoxMeanPassText(taps, 1, deviation, true, 1, false, cap(), 2);
            const rawgl::Image rows = Pass(horizontal, input, false);
            GLuint packed = rawgl::Upload(rows, false);
            const rawgl::Image result = Pass(vertical, packed, true);
            glDeleteTextures(1, &input);
            glDeleteTextures(1, &packed);
            const rawgl::Image expected = BoxVariance(picture, taps, 3, deviation);
            // The deviation of a small variance is sensitive to the 16-bit intermediate.
            ExpectClose(result, reference::QuantizeAll(expected), (deviation ? 3.0f : 1.5f) * kStep,
                        "taps " + std::to_string(taps));
        }
    }
}

// The float-sums pair stores raw row sums; on a dark picture three taps keep them below 1, so
// an 8-bit intermediate can carry them here.
TEST_P(SeparableRender, BoxMeanFloatSumsOnADarkPicture) {
    rawgl::Image picture = reference::TestPicture(kWidth, kHeight);
    for (float& v : picture.rgba) v = reference::Quantize8(v * 0.3f);
    GLuint input = rawgl::Upload(picture, false);
    const rawgl::Image rows = Pass(SS::BoxMeanPassText(3, 0, false, false, 1, true, cap(), 2), input, false);
    GLuint sums = rawgl::Upload(rows, false);
    const rawgl::Image result = Pass(SS::BoxMeanPassText(3, 1, false, false, 1, true, cap(), 2), sums, true);
    glDeleteTextures(1, &input);
    glDeleteTextures(1, &sums);
    rawgl::Image expected = rawgl::MakeImage(kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            double mean = 0.0, square = 0.0;
            for (int j = -1; j <= 1; ++j)
                for (int i = -1; i <= 1; ++i) {
                    const double v = picture.clamped(x + i, y + j, 0);
                    mean += v / 9.0;
                    square += v * v / 9.0;
                }
            expected.at(x, y, 0) = static_cast<float>(square - mean * mean);
        }
    ExpectClose(result, reference::QuantizeAll(expected), 1.5f * kStep, "");
}

// The second pass reads the sums at their texel centres, unfiltered, a row a fetch, as the
// engine draws it: it gives the box for an even and an odd count of rows on each side, rows past
// the edges clamped. The picture is dark enough for 8-bit sums.
TEST_P(SeparableRender, BoxMeanSecondPassGivesTheBoxForEveryTapCount) {
    for (int taps : {3, 5, 7, 9}) {
        rawgl::Image picture = reference::TestPicture(kWidth, kHeight);
        for (float& v : picture.rgba) v = reference::Quantize8(v * 0.9f / static_cast<float>(taps));
        GLuint input = rawgl::Upload(picture, false);
        const rawgl::Image rows = Pass(SS::BoxMeanPassText(taps, 0, false, false, 1, true, cap(), 2), input, false);
        GLuint sums = rawgl::Upload(rows, false);
        const rawgl::Image box = Pass(SS::BoxMeanPassText(taps, 1, false, false, 1, true, cap(), 2), sums, true);
        glDeleteTextures(1, &input);
        glDeleteTextures(1, &sums);
        ExpectClose(box, reference::QuantizeAll(BoxVariance(picture, taps, 0, false)), 1.5f * kStep,
                    "taps " + std::to_string(taps), {0});
    }
}

// Where a pass reads the local deviation straight from the row sums (the engine's combine), it
// sums the box's rows itself, at the sums' texel centres down the column: the box's deviation
// for an even and an odd count of rows on each side, rows past the edges clamped.
TEST_P(SeparableRender, TheDeviationReadFromTheRowSumsIsTheBoxs) {
    for (int taps : {3, 5, 7, 9}) {
        rawgl::Image picture = reference::TestPicture(kWidth, kHeight);
        for (float& v : picture.rgba) v = reference::Quantize8(v * 0.9f / static_cast<float>(taps));
        GLuint input = rawgl::Upload(picture, false);
        const SS::ProgramText horizontal = SS::BoxMeanPassText(taps, 0, false, false, 1, true, cap(), 2);
        const rawgl::Image rows = Pass(horizontal, input, false);
        GLuint sums = rawgl::Upload(rows, false);
        const SS::ProgramText reading = {
            horizontal.vertex,
            "precision highp float;\nuniform mediump sampler2D img0;\nuniform float uInvTextureDimension;\n"
            "varying vec2 vTexture0;\nvoid main()\n{\n" +
                SS::BoxDeviationFromSumsLines(taps, "img0", "uInvTextureDimension", "deviation") +
                "    gl_FragColor = vec4(deviation, 0.0, 0.0, 0.0);\n}\n"};
        const rawgl::Image box = Pass(reading, sums, true);
        glDeleteTextures(1, &input);
        glDeleteTextures(1, &sums);
        ExpectClose(box, reference::QuantizeAll(BoxVariance(picture, taps, 0, true)), 3.0f * kStep,
                    "taps " + std::to_string(taps), {0});
    }
}

INSTANTIATE_TEST_SUITE_P(VaryingCaps, SeparableRender, ::testing::Values(16, 64));

}  // namespace
