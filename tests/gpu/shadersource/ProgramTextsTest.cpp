// Text-level cases of the program builders, taken from their documented examples: what each
// text holds for the smallest kernels, the trimming of the difference of Gaussians, the fixed
// kernels, and the refusals.
#include <gtest/gtest.h>

#include <regex>

#include "gpu/shadersource/Kernels.h"
#include "gpu/shadersource/ProgramTexts.h"
#include "gpu/shadersource/ShaderSource.h"

namespace SS = QV::Graphics::ShaderSource;

namespace {

bool Contains(const std::string& text, const std::string& piece) { return text.find(piece) != std::string::npos; }

int Count(const std::string& text, const std::string& piece) {
    int n = 0;
    for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
    return n;
}

TEST(SeparableTexts, DifferenceOfGaussiansSmallestAndTrimmed) {
    // sigma 1, k 1.6, spacing 1, p 0.5 keeps 3 taps: exactly one pair statement.
    std::vector<double> a, b;
    QV::Math::ComputeGaussianWeights(3, a, 1.0, 1.0);
    QV::Math::ComputeGaussianWeights(3, b, 1.6, 1.0);
    const SS::ProgramText three = SS::DifferenceOfGaussiansPassText(3, 5, 0, false, 16, 1, 2, 1.0, 1.6, 1.0, 0.5f);
    EXPECT_EQ(Count(three.fragment, "difference += "), 1);
    EXPECT_TRUE(Contains(
        three.fragment,
        "    difference += (c1 + c2) * " + SS::WriteFloatLiteral(static_cast<float>(1.5 * a[0] - 0.5 * b[0])) + ";\n"));
    EXPECT_TRUE(Contains(three.fragment, "    float c0 = texture2D(img0, vTexture0).r;\n"));
    EXPECT_TRUE(Contains(three.fragment, "uniform mediump sampler2D img0;\n"));
    EXPECT_TRUE(Contains(three.fragment, "    gl_FragColor = vec4(difference);\n}\n"));

    // 11 taps at sigma 1: the taps at distances 5 and 4 fall below 1 % of the centre and are
    // dropped, the rest recomputed for 7 taps; the last statement pairs c5 and c6.
    const int n = SS::DifferenceOfGaussiansTapCount(11, 1.0, 1.6, 1.0, 0.0f);
    ASSERT_EQ(n, 7);
    std::vector<double> w;
    QV::Math::ComputeGaussianWeights(7, w, 1.0, 1.0);
    const SS::ProgramText trimmed = SS::DifferenceOfGaussiansPassText(11, 5, 1, false, 16, 1, 2, 1.0, 1.6, 1.0, 0.0f);
    EXPECT_TRUE(Contains(trimmed.fragment,
                         "    difference += (c5 + c6) * " + SS::WriteFloatLiteral(static_cast<float>(w[0])) + ";\n"));
    EXPECT_FALSE(Contains(trimmed.fragment, "c7"));
    EXPECT_TRUE(Contains(trimmed.vertex, "    vTexture6 = vaPosition.xy + vec2(0.0, k);\n"));
    // Everything negligible: still the three taps the text reads.
    EXPECT_EQ(SS::DifferenceOfGaussiansTapCount(9, 0.05, 1.6, 1.0, 0.0f), 3);
}

TEST(SeparableTexts, ScaledBlurTerms) {
    const SS::ProgramText three = SS::ScaledBlurPassText(3, 3, 0, false, false, 0, 16, 2, 1.0, 1.0);
    EXPECT_TRUE(Contains(three.fragment, " * (c1 + c2));\n"));
    EXPECT_TRUE(Contains(three.vertex,
                         "    float k = 1.0 * uInvTextureDimension;\n    vTexture1 = vTexture0 + vec2(-k, 0.0);\n"));
    EXPECT_EQ(three.fragment.substr(three.fragment.size() - 2), "\n}");  // no line break after main
    std::vector<double> w, o;
    QV::Math::ComputeLinearSamplingKernel(9, w, o, 2.0, 1.0);  // five entries
    const SS::ProgramText five = SS::ScaledBlurPassText(9, 4, 1, true, true, 0, 16, 2, 2.0, 1.0);
    EXPECT_TRUE(Contains(five.fragment,
                         " * (c1 + c2)) + (" + SS::WriteFloatLiteral(static_cast<float>(w[0])) + " * (c3 + c4));\n"));
    EXPECT_TRUE(Contains(five.fragment, "uniform lowp sampler2D img1;\n"));
    EXPECT_TRUE(Contains(five.fragment, "    gl_FragColor = edge * v;\n"));
    EXPECT_TRUE(Contains(five.vertex, "    vTexture0 = (0.5 * gl_Position.xy) + 0.5;\n"));
    EXPECT_TRUE(Contains(five.vertex, "    vTexture3 = vaPosition.xy + vec2(0.0, -k);\n"));
    EXPECT_TRUE(Contains(SS::ScaledBlurPassText(3, 6, 0, false, false, 0, 16, 2, 1.0, 1.0).fragment,
                         "    gl_FragColor = vec4(v, 0.0, 0.0);\n}"));
    EXPECT_THROW(SS::ScaledBlurPassText(3, 5, 0, false, false, 0, 16, 2, 1.0, 1.0 / 0.0), std::invalid_argument);
}

TEST(SeparableTexts, RangeWeightedFixedKernel) {
    const SS::ProgramText fixed = SS::SeparableRangeWeightedBlurText(true, 31, 0, 4, 16, 2, 5.0, 1.0);
    EXPECT_TRUE(Contains(fixed.fragment, "    float weight = 0.18;\n    vec3 v = 0.18 * c0;\n"));
    EXPECT_TRUE(Contains(fixed.fragment,
                         "    weight0 = 0.15 * (1.0 - min(distance(c0, c1) * uDistanceFromCenterFactor, 1.0));\n"));
    EXPECT_TRUE(Contains(fixed.fragment,
                         "    weight1 = 0.05 * (1.0 - min(distance(c0, c8) * uDistanceFromCenterFactor, 1.0));\n"));
    EXPECT_FALSE(Contains(fixed.fragment, "c9"));
    EXPECT_TRUE(Contains(fixed.fragment, "    gl_FragColor = vec4(v, 1.0);\n"));
    EXPECT_FALSE(Contains(fixed.fragment, "rgbToLXX"));
    const SS::ProgramText lxx = SS::SeparableRangeWeightedBlurText(false, 5, 1, 2, 16, 2, 1.0, 1.0);
    EXPECT_LT(lxx.fragment.find("float rgbToLXX(vec3 rgb)"), lxx.fragment.find("varying vec2 vTexture0;"));
    EXPECT_TRUE(Contains(lxx.fragment, "    float a = rgbToLXX(v);\n    gl_FragColor = vec4(v, a);\n"));
    EXPECT_THROW(SS::SeparableRangeWeightedBlurText(false, 5, 1, 3, 16, 2, 1.0, 1.0), std::invalid_argument);
}

TEST(SeparableTexts, BoxMeanPasses) {
    const SS::ProgramText vertical = SS::BoxMeanPassText(3, 1, false, true, 0, true, 16, 2);
    EXPECT_TRUE(Contains(vertical.fragment, "uniform mediump sampler2D img0;\n"));
    EXPECT_TRUE(Contains(vertical.fragment, "    float average = c0.r + c1.r + c2.r;\n    average *= 0.111111;\n"));
    EXPECT_TRUE(Contains(vertical.fragment, "    gl_FragColor = vec4(variance, 0.0, 0.0, 0.0);\n"));
    const SS::ProgramText horizontal = SS::BoxMeanPassText(5, 0, true, true, 0, true, 16, 2);
    EXPECT_TRUE(Contains(horizontal.fragment, "uniform lowp sampler2D img0;\n"));
    EXPECT_TRUE(Contains(horizontal.fragment, "    float average = c0 + c1 + c2 + c3 + c4;\n"));
    EXPECT_TRUE(Contains(horizontal.fragment,
                         "    float squaredAverage = (c0 * c0) + (c1 * c1) + (c2 * c2) + (c3 * c3) + (c4 * c4);\n"));
    EXPECT_TRUE(Contains(horizontal.fragment, "    float c3 = texture2D(img0, vTexture3).a;\n"));
    EXPECT_FALSE(Contains(horizontal.fragment, "sqrt"));
    const SS::ProgramText packed = SS::BoxMeanPassText(3, 1, true, false, 1, false, 16, 2);
    EXPECT_TRUE(Contains(packed.fragment, "float unpackBytes2ToFloat(vec2 v)"));
    EXPECT_TRUE(Contains(packed.fragment, "    float average = 0.333333 * unpackBytes2ToFloat(average0);\n"));
    EXPECT_TRUE(Contains(packed.fragment, "sqrt(max(variance, 0.0))"));
}

TEST(CopyText, PlainCopyAndConversions) {
    const SS::ProgramText copy = SS::CopyProgramText(false, 4, false, 4, 16, 1);
    EXPECT_EQ(copy.fragment,
              "precision mediump float;\n"
              "uniform lowp sampler2D img0;\n"
              "varying vec2 vTexture0;\n"
              "\n"
              "void main()\n"
              "{\n"
              "    gl_FragColor = texture2D(img0, vTexture0);\n"
              "}\n");
    EXPECT_FALSE(Contains(copy.vertex, "uModelViewProjectionTextureMatrix"));
    EXPECT_TRUE(Contains(SS::CopyProgramText(false, 3, true, 4, 16, 2).fragment,
                         "    gl_FragColor = vec4(texture2D(img0, vTexture0).rgb, 1.0);\n"));
    const SS::ProgramText swapped = SS::CopyProgramText(true, 1, true, 0, 16, 2);
    EXPECT_TRUE(Contains(swapped.vertex, "    vTexture0 = textureCoordinate.xy;\n"));
    EXPECT_TRUE(Contains(swapped.fragment, "    color = mix(0.0774 * color, "));
    EXPECT_TRUE(Contains(
        swapped.fragment,
        "    float a = dot(color.bgr, vec3(0.2126, 0.7152, 0.0722));\n    gl_FragColor = vec4(color.bgr, a);\n"));
    EXPECT_EQ(Count(SS::CopyProgramText(false, 2, true, 4, 16, 2).fragment, "float rgbToLXX"), 1);
    EXPECT_THROW(SS::CopyProgramText(false, 5, true, 4, 16, 2), std::invalid_argument);
}

TEST(StructureTensorTexts, GradientSmoothingAndEigenAnalysis) {
    const SS::ProgramText gradient = SS::GradientProgramText(16, 2, true, 2, 0);
    EXPECT_TRUE(Contains(gradient.vertex,
                         "    vTexture0 = vaPosition.xy + vec2(uInvTextureDimensions.x, uInvTextureDimensions.y);\n"));
    EXPECT_TRUE(Contains(gradient.vertex, "    vTexture7 = vaPosition.xy + vec2(0.0, -uInvTextureDimensions.y);\n"));
    EXPECT_TRUE(Contains(gradient.fragment, "    const vec3 rgbToL = vec3(0.299, 0.587, 0.114);\n"));
    EXPECT_TRUE(Contains(gradient.fragment, "(0.183 * (c0.r + c1.r - c2.r - c3.r)) + (0.634 * (c4.r - c5.r)),"));
    EXPECT_TRUE(Contains(gradient.fragment, "        float minimumLength = max(0.03, sLength);\n"));
    EXPECT_FALSE(Contains(SS::GradientProgramText(16, 2, false, 0, 0).fragment, "rgbToL"));

    std::vector<double> w;
    QV::Math::ComputeGaussianWeights(3, w, 1.0, 1.0);
    const SS::ProgramText three = SS::TensorSmoothingPassText(3, w, true, 16, 2);
    EXPECT_TRUE(Contains(three.fragment, "    vec2 uv0 = c0.rg + (0.00392157 * c0.ba);\n"));
    EXPECT_TRUE(Contains(three.fragment, "    vec3 egf = (0.451863 * egf0) + (0.274069 * (egf1 + egf2));\n"));
    EXPECT_FALSE(Contains(three.fragment, "egf3"));
    EXPECT_FALSE(Contains(three.fragment, "vTexture3"));
    EXPECT_TRUE(Contains(three.vertex, "    vTexture1 = vaPosition.xy + vec2(0.0, -k);\n"));
    std::vector<double> w5;
    QV::Math::ComputeGaussianWeights(5, w5, 1.0, 1.0);
    const SS::ProgramText tensor = SS::TensorPassText(5, w5, false, 16, 2);
    EXPECT_TRUE(
        Contains(tensor.fragment, " + (" + SS::WriteFloatLiteral(static_cast<float>(w5[0])) + " * (egf3 + egf4));\n"));
    EXPECT_TRUE(Contains(tensor.fragment, SS::WriteEigenAnalysis(false, false)));
    EXPECT_THROW(SS::TensorPassText(5, w, false, 16, 2), std::invalid_argument);  // 3 weights for 5 taps

    const std::string eigen = SS::WriteEigenAnalysis(true, true);
    EXPECT_TRUE(Contains(eigen, "        anisotropy = r / b;\n"));
    EXPECT_FALSE(Contains(eigen, "0.5 * (minorEigenvector + 1.0)"));
    EXPECT_TRUE(eigen.ends_with("\n    gl_FragColor = vec4(minorEigenvector, 0.0, anisotropy);\n}\n"));
}

TEST(FlowTexts, GaussianFamilyNamesAndWeights) {
    const SS::ProgramText nine = SS::FlowBlurText(4, 9, true, 16, 2, false, false, 2.0, 1.0);
    EXPECT_EQ(nine.vertex, SS::DefaultVertexShader(2));
    EXPECT_TRUE(Contains(nine.fragment, "    vec3 c4 = texture2D(img0, vTexture0).rgb;\n"));
    EXPECT_TRUE(Contains(nine.fragment, "    vec3 c0_1 = texture2D(img0, tp).rgb;\n    v += ((c0_0 + c0_1) * "));
    EXPECT_EQ(Count(nine.fragment, "tn -= eigenvector;"), 3);
    EXPECT_TRUE(Contains(nine.fragment, "    eigenvector *= uInvTextureDimensions;\n"));
    const SS::ProgramText three = SS::FlowBlurText(5, 3, false, 16, 2, true, true, 1.0, 1.0);
    EXPECT_FALSE(Contains(three.fragment, "tn -="));
    EXPECT_FALSE(Contains(three.fragment, "eigenvector + eigenvector - 1.0"));
    EXPECT_TRUE(Contains(
        three.fragment, "    eigenvector = vec2(-eigenvector.y, eigenvector.x);\n    vec2 temp = abs(eigenvector);\n"));
    EXPECT_TRUE(Contains(three.fragment, "    gl_FragColor = v;\n"));

    const SS::ProgramText fixed = SS::FlowRangeWeightedBlurText(true, 3, true, 4, 16, 2, false, 7.0, 3.0, false);
    EXPECT_TRUE(Contains(fixed.fragment, "    float weight = 0.18;\n    vec3 v = 0.18 * c4;\n"));
    for (const char* line :
         {"weight0 = 0.15 * (1.0 - min(distance(c4, c3_0)", "weight0 = 0.12 * (1.0 - min(distance(c4, c2_0)",
          "weight0 = 0.09 * (1.0 - min(distance(c4, c1_0)", "weight1 = 0.05 * (1.0 - min(distance(c4, c0_1)"})
        EXPECT_TRUE(Contains(fixed.fragment, line)) << line;

    const SS::ProgramText bilateral = SS::FlowBilateralText(3, 5, true, 2, 16, 2, false, 1.0, 0.5f, 1.0, false);
    EXPECT_TRUE(Contains(bilateral.fragment, "    const float invTwoSigmaRSquared = 2.88539;\n"));
    EXPECT_TRUE(Contains(bilateral.fragment, "    float a = rgbToLXX(v.rgb);\n"));
    EXPECT_FALSE(
        Contains(SS::FlowBilateralText(4, 5, true, 2, 16, 2, false, 1.0, 0.5f, 1.0, false).fragment, "rgbToLXX"));
}

// Neighbouring taps on each side are fetched together at their weighted centre: the flow
// vector, the centre and one fetch for every pair of taps on each side.
TEST(FlowTexts, TheBilateralFilterFetchesItsNeighbouringTapsInPairs) {
    const struct {
        int32_t taps;
        size_t fetches;
    } cases[] = {{3, 4}, {5, 4}, {7, 6}, {9, 6}, {11, 8}};
    for (const auto& c : cases) {
        const std::string fragment =
            SS::FlowBilateralText(4, c.taps, false, 0, 16, 2, true, 2.0, 0.015f, 1.0, false).fragment;
        size_t fetches = 0;
        for (size_t at = fragment.find("texture2D("); at != std::string::npos; at = fragment.find("texture2D(", at + 1))
            ++fetches;
        EXPECT_EQ(fetches, c.fetches) << c.taps << " taps";
    }
}

TEST(FlowTexts, ThreeTapSmoothing) {
    const SS::ProgramText plain = SS::FlowSmoothingText(4, false, false, false, 16, 1, false, 1.0f);
    EXPECT_FALSE(Contains(plain.fragment, "dot(vec3("));
    EXPECT_TRUE(Contains(plain.fragment, "    vec3 color = (0.451863 * c0) + (0.274069 * (c1 + c2));\n"));
    EXPECT_TRUE(Contains(plain.fragment, "    gl_FragColor.a = 1.0;\n"));
    const SS::ProgramText across = SS::FlowSmoothingText(0, true, true, true, 16, 2, true, 1.0f);
    EXPECT_EQ(across.vertex, SS::ClipSpaceVertexShader(2));
    EXPECT_TRUE(Contains(
        across.fragment,
        "    eigenvector *= uInvTextureDimensions;\n    eigenvector = vec2(-eigenvector.y, eigenvector.x);\n"));
    EXPECT_TRUE(Contains(across.fragment, "    float c1 = texture2D(img0, vTexture0 - eigenvector).a;\n"));
    EXPECT_TRUE(Contains(across.fragment, "    float c3 = edge * ((0.451863 * c0) + (0.274069 * (c1 + c2)));\n"));
    const SS::ProgramText six = SS::FlowSmoothingText(6, true, false, false, 16, 2, false, 0.5f);
    EXPECT_TRUE(Contains(six.fragment, "    vec4 c3 = vec4(c0.rgb, a);\n    c3.rgb = vec3(\n"));
    EXPECT_TRUE(Contains(six.fragment,
                         "    c3.a = dot(c3.rgb, vec3(0.299, 0.587, 0.114));\n    gl_FragColor = edge * c3;\n}\n"));
}

}  // namespace
