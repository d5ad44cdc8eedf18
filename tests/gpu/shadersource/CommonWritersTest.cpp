// The common GLSL writers: literal formatting, fixed vertex shaders, tap layouts past the
// varying cap, packing, smoothstep and ramp statements.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <locale>
#include <sstream>

#include "gpu/shadersource/ShaderSource.h"

namespace SS = QV::Graphics::ShaderSource;

namespace {

struct LiteralCase {
    float value;
    const char* text;
};

TEST(FloatLiteral, FormatsLikeTheStreamWithAFloatMark) {
    const LiteralCase cases[] = {
        {1.0f, "1.0"},     {0.5f, "0.5"},       {-0.25f, "-0.25"},  {123456.0f, "123456.0"},
        {1.0e6f, "1e+06"}, {0.00001f, "1e-05"}, {0.1f, "0.1"},      {0.0f, "0.0"},
        {-3.0f, "-3.0"},   {0.3086f, "0.3086"}, {1.0e-7f, "1e-07"}, {0.45186281f, "0.451863"},
    };
    for (const LiteralCase& c : cases) EXPECT_EQ(SS::WriteFloatLiteral(c.value), c.text) << c.value;
}

// A user locale with a decimal comma must not leak into GLSL.
struct CommaDecimal : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

TEST(FloatLiteral, IgnoresTheGlobalLocale) {
    const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new CommaDecimal));
    const std::string half = SS::WriteFloatLiteral(0.5f);
    const std::string big = SS::WriteFloatLiteral(123456.0f);
    std::locale::global(previous);
    EXPECT_EQ(half, "0.5");
    EXPECT_EQ(big, "123456.0");
}

TEST(FloatLiteral, RefusesNonFiniteValues) {
    EXPECT_THROW(SS::WriteFloatLiteral(std::numeric_limits<float>::quiet_NaN()), SS::NonFiniteLiteral);
    EXPECT_THROW(SS::WriteFloatLiteral(std::numeric_limits<float>::infinity()), SS::NonFiniteLiteral);
    EXPECT_THROW(SS::WriteFloatLiteral(-std::numeric_limits<float>::infinity()), SS::NonFiniteLiteral);
}

TEST(VertexShaders, FixedTextsByPrecisionClass) {
    const std::string expected =
        "precision mediump float;\n"
        "uniform mat4 uModelViewProjectionMatrix;\n"
        "attribute vec3 vaPosition;\n"
        "varying vec2 vTexture0;\n"
        "\n"
        "void main()\n"
        "{\n"
        "    gl_Position = uModelViewProjectionMatrix * vec4(vaPosition, 1.0);\n"
        "    vTexture0 = vaPosition.xy;\n"
        "}\n";
    EXPECT_EQ(SS::DefaultVertexShader(1), expected);
    EXPECT_EQ(&SS::DefaultVertexShader(0), &SS::DefaultVertexShader(2));
    EXPECT_EQ(SS::DefaultVertexShader(0).substr(0, 23), "precision highp float;\n");
    const std::string& clip = SS::ClipSpaceVertexShader(2);
    EXPECT_NE(clip.find("    vTexture0 = (0.5 * gl_Position.xy) + 0.5;\n"), std::string::npos);
    EXPECT_EQ(SS::PrecisionName(1), "mediump");
}

std::string Varyings(int taps, bool flag, int cap) {
    std::ostringstream out;
    SS::WriteVaryingDeclarations(taps, flag, cap, out);
    return out.str();
}

TEST(VaryingDeclarations, DeclaresUpToTheCap) {
    EXPECT_EQ(Varyings(3, true, 16), "varying vec2 vTexture0;\nvarying vec2 vTexture1;\nvarying vec2 vTexture2;\n");
    const std::string nine = Varyings(9, true, 16);
    EXPECT_EQ(nine.find("uniform"), std::string::npos);
    EXPECT_NE(nine.find("vTexture8;"), std::string::npos);
    const std::string many = Varyings(21, true, 16);
    EXPECT_EQ(many.rfind("uniform float uInvTextureDimension;\n", 0), 0u);
    EXPECT_NE(many.find("vTexture15;"), std::string::npos);
    EXPECT_EQ(many.find("vTexture16;"), std::string::npos);
    EXPECT_EQ(Varyings(21, false, 16).find("uniform"), std::string::npos);
}

TEST(TapOffsets, PairsThenTheLoneNegativeMemberOfASplitPair) {
    std::ostringstream five;
    SS::WriteTapOffsets(5, false, 16, five);
    EXPECT_EQ(five.str(),
              "    k += uInvTextureDimension;\n"
              "    vTexture3 = vaPosition.xy + vec2(-k, 0.0);\n"
              "    vTexture4 = vaPosition.xy + vec2(k, 0.0);\n");
    std::ostringstream three;
    SS::WriteTapOffsets(3, false, 16, three);
    EXPECT_EQ(three.str(), "");
    std::ostringstream many;
    SS::WriteTapOffsets(21, true, 16, many);
    const std::string text = many.str();
    EXPECT_NE(text.find("    vTexture14 = vaPosition.xy + vec2(0.0, k);\n"), std::string::npos);
    const std::string tail = "    k += uInvTextureDimension;\n    vTexture15 = vaPosition.xy + vec2(0.0, -k);\n";
    ASSERT_GE(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
    EXPECT_EQ(text.find("vTexture16"), std::string::npos);
}

TEST(TapFetches, TapsPastTheCapStepFromTheCentre) {
    std::ostringstream out;
    SS::WriteTapFetches(21, false, 4, 16, out);
    const std::string expected_tail =
        "    vec4 c15 = texture2D(img0, vTexture15);\n"
        "    float k = vTexture0.x - vTexture15.x;\n"
        "    vec4 c16 = texture2D(img0, vTexture0 + vec2(k, 0.0));\n"
        "    k += uInvTextureDimension;\n"
        "    vec4 c17 = texture2D(img0, vTexture0 + vec2(-k, 0.0));\n"
        "    vec4 c18 = texture2D(img0, vTexture0 + vec2(k, 0.0));\n"
        "    k += uInvTextureDimension;\n"
        "    vec4 c19 = texture2D(img0, vTexture0 + vec2(-k, 0.0));\n"
        "    vec4 c20 = texture2D(img0, vTexture0 + vec2(k, 0.0));\n";
    const std::string text = out.str();
    EXPECT_EQ(text.rfind("    vec4 c3 = texture2D(img0, vTexture3);\n", 0), 0u);
    ASSERT_GE(text.size(), expected_tail.size());
    EXPECT_EQ(text.substr(text.size() - expected_tail.size()), expected_tail);

    std::ostringstream alpha;
    SS::WriteTapFetchesWithPrefix(5, 2, "p", true, 0, 16, alpha);
    EXPECT_EQ(alpha.str(),
              "    float p3 = texture2D(img2, vTexture3).a;\n    float p4 = texture2D(img2, vTexture4).a;\n");
}

TEST(TapFetches, ScaledContinuationReadsItsOwnOffsets) {
    // Offsets 0..10 on each side, entry h - j holding j + 0.5 so each pair is recognisable.
    std::vector<double> offsets(21);
    for (int i = 0; i < 21; ++i) offsets[i] = std::abs(i - 10) + (i == 10 ? 0.0 : 0.5);
    std::ostringstream fragment;
    SS::WriteScaledTapFetches(21, offsets, false, 3, 16, fragment);
    const std::string text = fragment.str();
    EXPECT_NE(text.find("    float k = 8.5 * uInvTextureDimension;\n    vec3 c16 = texture2D(img0, vTexture0 + vec2(k, "
                        "0.0)).rgb;\n"),
              std::string::npos);
    EXPECT_NE(text.find("    k = 9.5 * uInvTextureDimension;\n    vec3 c17"), std::string::npos);
    EXPECT_NE(text.find("    k = 10.5 * uInvTextureDimension;\n    vec3 c19"), std::string::npos);

    std::ostringstream vertex;
    SS::WriteScaledTapOffsets(21, offsets, false, 16, vertex);
    const std::string v = vertex.str();
    EXPECT_EQ(v.rfind("    k = 2.5 * uInvTextureDimension;\n    vTexture3 = vaPosition.xy + vec2(-k, 0.0);\n", 0), 0u);
    EXPECT_NE(v.find("    k = 8.5 * uInvTextureDimension;\n    vTexture15 = vaPosition.xy + vec2(-k, 0.0);\n"),
              std::string::npos);
    EXPECT_THROW(SS::WriteScaledTapOffsets(21, std::vector<double>(5, 1.0), false, 16, vertex), std::out_of_range);
}

TEST(MatrixMultiply, SaturationOneIsTheIdentityAndZeroTheGrey) {
    EXPECT_EQ(SS::WriteMatrixMultiply("c", 1.0f),
              "    c = vec3(\n"
              "        dot(vec3(1.0, 0.0, 0.0), c),\n"
              "        dot(vec3(0.0, 1.0, 0.0), c),\n"
              "        dot(vec3(0.0, 0.0, 1.0), c));\n");
    EXPECT_NE(SS::WriteMatrixMultiply("c", 0.0f).find("dot(vec3(0.3086, 0.6094, 0.082), c));"), std::string::npos);
}

TEST(Packing, PlainAndScaledForms) {
    EXPECT_EQ(SS::WriteUnpackFunctions(2, 0.0f, 1.0f, ""),
              "float unpackBytes2ToFloat(vec2 v)\n"
              "{\n"
              "    const float _8 = 256.0;\n"
              "    const float _inv16m1 = 1.0 / ((256.0 * 256.0) - 1.0);\n"
              "    return dot(floor((v * 255.0) + 0.5), vec2(_8, 1.0)) * _inv16m1;\n"
              "}\n");
    EXPECT_EQ(SS::WriteUnpackFunctions(2, 0.0f, 0.0f, ""), SS::WriteUnpackFunctions(2, 0.0f, 1.0f, ""));
    EXPECT_NE(SS::WriteUnpackFunctions(7, 0.0f, 1.0f, "X").find("float unpackBytes4ToFloatX(vec4 v)"),
              std::string::npos);
    const std::string scaled = SS::WriteUnpackFunctions(3, -1.0f, 1.0f, "");
    EXPECT_NE(scaled.find("float unpackAndScaleBytes3ToFloat(vec3 v)"), std::string::npos);
    EXPECT_NE(scaled.find("    vOut = -1.0 + (vOut * 2.0);\n"), std::string::npos);
    // A NaN range chooses the scaled form, whose numbers cannot be written: refused.
    EXPECT_THROW(SS::WriteUnpackFunctions(2, 0.0f, std::nanf(""), ""), SS::NonFiniteLiteral);
    EXPECT_NE(
        SS::WritePackFunctions(0.0f, 1.0f, "").find("vec4 packVec2ToBytes4(vec2 v)\n{\n    const float _8 = 256.0;\n"),
        std::string::npos);
    EXPECT_NE(SS::WritePackFunctions(-1.0f, 1.0f, "").find("    v = (v - -1.0) * 0.5;\n    v = clamp(v, 0.0, 1.0);\n"),
              std::string::npos);
}

TEST(SmoothStep, EdgeForms) {
    EXPECT_EQ(SS::WriteSmoothStepScaleBias("x", "r", 0.0f, 0.5f),
              "    float r = clamp(x * 2.0, 0.0, 1.0);\n    r *= r * (3.0 - (2.0 * r));\n");
    EXPECT_EQ(
        SS::WriteSmoothStepScaleBias("x", "r", 0.25f, 0.75f).find("    float r = clamp((2.0 * x) - 0.5, 0.0, 1.0);\n"),
        0u);
    EXPECT_EQ(SS::WriteSmoothStep("u", "x", "r", 0.0f).find("    float r = clamp(x / u, 0.0, 1.0);\n"), 0u);
    EXPECT_NE(SS::WriteSmoothStep("u", "x", "r", 0.5f).find("clamp((x - 0.5) / (u - 0.5), 0.0, 1.0);"),
              std::string::npos);
    EXPECT_NE(SS::WriteSmoothStepReciprocal("lo", "w", "x", "r").find("clamp((x - lo) * w, 0.0, 1.0);"),
              std::string::npos);
    EXPECT_THROW(SS::WriteSmoothStepScaleBias("x", "r", 0.5f, 0.5f), SS::NonFiniteLiteral);
}

TEST(LinearRamp, IdentityStraightAndBentRamps) {
    EXPECT_EQ(SS::WriteLinearRampMinMax("x", "r", 0.0f, 0.5f, 1.0f), "");
    EXPECT_EQ(SS::WriteLinearRampMinMax("x", "r", 1.0f, 0.5f, 0.0f), "    r = clamp(1.0 * x, 0.0, 1.0);\n");
    EXPECT_EQ(SS::WriteLinearRampMinMax("x", "r", 0.2f, 0.5f, 0.7f), "    r = clamp((2.0 * x) + -0.4, 0.0, 1.0);\n");
    // Mid-point at a quarter: the lower segment is the steeper one, so the ramp takes the min.
    EXPECT_EQ(SS::WriteLinearRampMinMax("x", "r", 0.0f, 0.25f, 1.0f),
              "    float y0 = 2.0 * x;\n"
              "    float y1 = (0.666667 * x) + 0.333333;\n"
              "    r = clamp(min(y0, y1), 0.0, 1.0);\n");
    EXPECT_NE(SS::WriteLinearRampMinMax("x", "r", 0.0f, 0.75f, 1.0f).find("max(y0, y1)"), std::string::npos);
}

}  // namespace
