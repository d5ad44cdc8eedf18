// The single-tap programs against their formulas, and the uniform values the engine derives
// from its parameters for the colour programs and the compare split.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "ProgramRender.h"
#include "engine/PointPrograms.h"

namespace {

using namespace programtest;

constexpr int kWidth = 16;
constexpr int kHeight = 8;
constexpr float kStep = 1.0f / 255.0f;
// A slot the point-pass tests build into (released first where the engine may have filled it).
constexpr int32_t kScratchPair = kPairGrayReductionTwoLevels;

class PointPrograms : public ProgramRenderTest {
protected:
    // Runs a freshly built program of the pair over the inputs; every channel of the result must
    // equal `formula` of the input pixel.
    // `wide` results (beyond 0..1) are read from a half-float target.
    void ExpectFormula(int32_t pair, const std::vector<Image>& inputs,
                       const std::function<float(int x, int y)>& formula, const std::string& what, bool wide = false) {
        if (wide && !halfFloat) GTEST_SKIP() << "values above 1 need half-float targets";
        IShaderProgram* program = Slot(pair);
        ASSERT_TRUE(program && program->IsBuilt()) << what;
        std::vector<ITexture2D*> textures;
        for (const Image& image : inputs) textures.push_back(Upload(image, false, false));
        const Image result = Render(program, textures, kWidth, kHeight, wide);
        Image expected(kWidth, kHeight);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                for (int c = 0; c < 4; ++c) expected.at(x, y, c) = wide ? formula(x, y) : Quantize8(formula(x, y));
        ExpectClose(result, expected, wide ? 2e-3f : kStep, what);
    }

    // (a channel of a - red of b)².
    std::function<float(int, int)> SquaredDifference(int channel) const {
        return [this, channel](int x, int y) {
            const float d = a.at(x, y, channel) - b.at(x, y, 0);
            return d * d;
        };
    }

    const Image a = Stored(TestPicture(kWidth, kHeight, 1), false);
    const Image b = Stored(TestPicture(kWidth, kHeight, 2), false);
};

TEST_F(PointPrograms, RedToGrayCopiesRedIntoEveryChannel) {
    BuildRedToGrayProgram(engine->ProgramContext(), Slot(kPairGrayReduction));
    ExpectFormula(
        kPairGrayReduction, {a}, [&](int x, int y) { return a.at(x, y, 0); }, "red to gray");
}

// Two levels down in one pass give what two red-to-gray passes give through the level between,
// whose stored value (half float) is the only difference: even sizes, odd sizes (the filtered
// fetch then straddles texels unevenly) and a last level of one row.
TEST_F(PointPrograms, TwoLevelGrayReductionIsTwoRedToGrayPasses) {
    if (!halfFloat) GTEST_SKIP() << "the statistics' levels are half floats";
    BuildRedToGrayProgram(engine->ProgramContext(), Slot(kPairGrayReduction));
    BuildTwoLevelGrayReductionProgram(engine->ProgramContext(), Slot(kPairGrayReductionTwoLevels));
    IShaderProgram* one = Slot(kPairGrayReduction);
    IShaderProgram* two = Slot(kPairGrayReductionTwoLevels);
    ASSERT_TRUE(one && one->IsBuilt() && two && two->IsBuilt());
    struct Sizes {
        int width, height, betweenWidth, betweenHeight, lastWidth, lastHeight;
    };
    for (const Sizes& s :
         {Sizes{16, 8, 8, 4, 4, 2}, Sizes{13, 9, 7, 5, 4, 3}, Sizes{6, 5, 3, 3, 2, 2}, Sizes{24, 3, 12, 2, 6, 1}}) {
        const std::string what = std::to_string(s.width) + " x " + std::to_string(s.height);
        ITexture2D* source = Upload(TestPicture(s.width, s.height, 4), true, true);
        const Image between = Render(one, {source}, s.betweenWidth, s.betweenHeight, true);
        const Image cascade = Render(one, {Upload(between, true, true)}, s.lastWidth, s.lastHeight, true);
        two->SetUniform2f("uIntermediateSize",
                          {static_cast<float>(s.betweenWidth), static_cast<float>(s.betweenHeight)});
        const Image fused = Render(two, {source}, s.lastWidth, s.lastHeight, true);
        ExpectClose(fused, cascade, 2e-3f, what);
    }
}

TEST_F(PointPrograms, EnginePairsAreTheSquaredAlphaDifferenceAndTheContrastFactor) {
    BuildPointPassPrograms(engine->ProgramContext());
    ExpectFormula(kPairSquaredDifference, {a, b}, SquaredDifference(3),
                  "squared difference of img0 alpha and img1 red");
    ExpectFormula(
        kPairContrastFactor, {a}, [&](int x, int y) { return 2.5079f - 1.6366f * std::sqrt(a.at(x, y, 0)); },
        "k from 2.5079 at 0 down to 0.8713 at 1", true);
}

TEST_F(PointPrograms, EveryKindAndPrecisionBuilds) {
    for (int precision = 0; precision < 3; ++precision) {
        engine->shaderSets.precisions[0] = precision;
        for (int kind = 0; kind < 3; ++kind)
            for (bool alpha : {false, true})
                for (int p0 = 0; p0 < 3; ++p0) {
                    Release(kPairSquaredDifference);
                    BuildPointPassProgram(engine->ProgramContext(), Slot(kPairSquaredDifference), kind, alpha, p0,
                                          2 - p0);
                    EXPECT_TRUE(Slot(kPairSquaredDifference)->IsBuilt()) << kind << " " << precision;
                }
        Release(kPairGrayReduction);
        BuildRedToGrayProgram(engine->ProgramContext(), Slot(kPairGrayReduction));
        EXPECT_TRUE(Slot(kPairGrayReduction)->IsBuilt());
    }
}

TEST_F(PointPrograms, RedSquaredDifferenceAndAutomaticAlpha) {
    BuildPointPassProgram(engine->ProgramContext(), Slot(kPairSquaredDifference), kPointPassSquaredDifference, false, 1,
                          1);
    ExpectFormula(kPairSquaredDifference, {a, b}, SquaredDifference(0), "squared difference of red");

    for (float strength : {0.3f, 0.5f, 0.8f, 1.0f}) {
        Release(kScratchPair);
        BuildPointPassProgram(engine->ProgramContext(), Slot(kScratchPair), kPointPassAutomaticAlpha, false, 1, 0);
        Slot(kScratchPair)->SetUniform1f("uAutomaticAlphaStrength", strength);
        ExpectFormula(
            kScratchPair, {a},
            [&](int x, int y) {
                const float alpha = 1.0f - std::pow(a.at(x, y, 0), 0.272823f);
                return strength < 0.5f ? strength * alpha : alpha + (strength - 1.0f) * (1.0f - alpha);
            },
            "automatic alpha at " + std::to_string(strength));
    }
}

TEST_F(PointPrograms, FilledSlotIsLeftAsItIs) {
    BuildRedToGrayProgram(engine->ProgramContext(), Slot(kPairGrayReduction));
    IShaderProgram* program = Slot(kPairGrayReduction);
    engine->shaderSets.precisions[0] = 1;
    BuildRedToGrayProgram(engine->ProgramContext(), Slot(kPairGrayReduction));
    BuildPointPassProgram(engine->ProgramContext(), Slot(kPairGrayReduction), kPointPassContrastFactor, false, 1, 1);
    EXPECT_EQ(Slot(kPairGrayReduction), program);
}

TEST_F(PointPrograms, UnknownKindIsLoggedAndLeftUnbuilt) {
    testing::internal::CaptureStderr();
    BuildPointPassProgram(engine->ProgramContext(), Slot(kScratchPair), 3, false, 1, 1);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("Point pass program not built"), std::string::npos) << log;
    ASSERT_NE(Slot(kScratchPair), nullptr);
    EXPECT_FALSE(Slot(kScratchPair)->IsBuilt());
}

TEST(PointProgramTexts, PrecisionsAndDeclarations) {
    EXPECT_EQ(RedToGrayFragment(1),
              "precision mediump float;\nuniform mediump sampler2D img0;\nvarying vec2 vTexture0;\n\nvoid main()\n{\n"
              "    float c0 = texture2D(img0, vTexture0).r;\n    gl_FragColor = vec4(c0);\n}\n");
    const std::string k = PointPassFragment(kPointPassContrastFactor, true, 1, 0, 2);
    EXPECT_EQ(k.find("img1"), std::string::npos);
    EXPECT_NE(k.find("texture2D(img0, vTexture0).r;"), std::string::npos) << "alpha is for the squared difference";
    const std::string squared = PointPassFragment(kPointPassSquaredDifference, true, 0, 1, 2);
    EXPECT_NE(squared.find("uniform lowp sampler2D img0;\nuniform mediump sampler2D img1;\n"), std::string::npos);
    EXPECT_NE(squared.find("float c0 = texture2D(img0, vTexture0).a;"), std::string::npos);
}

// ---- Uniform values --------------------------------------------------------------------------

using Uniforms = ProgramRenderTest;

TEST_F(Uniforms, ColorCorrectionStrengthByMethod) {
    const float s = 0.171429f;
    engine->colorCorrection.strength = s;
    const float expected[] = {1 / (7 * s + 1),
                              2 * s,
                              1.5f * s,
                              0,
                              1 / (5 * s + 3),
                              1 / (7 * s + 1),
                              2 * s,
                              2 * s,
                              1 / ((5 * s + 1) * (5 * s + 1)),
                              3.5f * s + 0.5f,
                              0,
                              0};
    for (int method = 0; method < 12; ++method) {
        engine->colorCorrection.method = static_cast<eColorCorrectionMethod>(method);
        EXPECT_NEAR(engine->ColorCorrectionStrengthUniform(), expected[method], 1e-6f) << method;
    }
    engine->colorCorrection.method = eColorCorrectionMethod::Deron;
    EXPECT_NEAR(engine->ColorCorrectionStrengthUniform(), 1.0f / 2.2f, 1e-4f);
}

TEST_F(Uniforms, GrayscaleWeightsSumToOneAndFallBackToYUV) {
    for (int index = 0; index < 18; ++index) {
        engine->colorAdjustment.grayscaleCoefficients = index;
        const auto w = engine->GrayscaleCoefficients();
        EXPECT_NEAR(w.x + w.y + w.z, 1.0f, 1e-6f) << index;
        if (index >= 16 || index == 0) {
            EXPECT_FLOAT_EQ(w.x, 0.299f);
            EXPECT_FLOAT_EQ(w.y, 0.587f);
            EXPECT_FLOAT_EQ(w.z, 0.114f);
        }
    }
    engine->colorAdjustment.grayscaleCoefficients = 11;  // Ilford SFX
    EXPECT_FLOAT_EQ(engine->GrayscaleCoefficients().x, 0.36f);
}

TEST_F(Uniforms, SplitPointInLevelPixelsWithTheLineDirection) {
    engine->levelWidths = {600};
    engine->levelHeights = {400};
    engine->SetViewRect(0, 0, 300, 200);
    engine->colorAdjustment.split.point = {100.5f, 50.5f};
    engine->colorAdjustment.split.angle = 0.0f;
    auto split = engine->SplitUniform();
    EXPECT_NEAR(split.x, 201.0f, 1e-4f);
    EXPECT_NEAR(split.y, 101.0f, 1e-4f);
    EXPECT_EQ(split.z, 1.0f);
    EXPECT_EQ(split.w, 0.0f);
    engine->colorAdjustment.split.angle = 1.0f;
    split = engine->SplitUniform();
    EXPECT_NEAR(split.z, std::cos(1.0), 1e-6);
    EXPECT_NEAR(split.w, std::sin(1.0), 1e-6);
}

TEST_F(Uniforms, BrightnessStrengthByMethodAndStrength) {
    struct Case {
        float b;
        int method;
        float x, y;
    };
    for (const Case& c : {Case{0.0f, 1, 0.0f, 1.0f}, Case{0.0f, 0, 1.0f, 0.5f}, Case{0.5f, 0, 1.0f, 1.0f},
                          Case{0.5f, 1, 1.0f, 1.0f}, Case{0.3f, 1, 0.6f, 1.0f}, Case{1.0f, 0, 1.0f, 10.590416f}}) {
        engine->brightness.strength = c.b;
        engine->brightness.strengthMethod = static_cast<eBrightnessStrengthMethod>(c.method);
        const auto v = engine->BrightnessStrengthUniform();
        EXPECT_FLOAT_EQ(v.x, c.x) << c.b << " " << c.method;
        EXPECT_FLOAT_EQ(v.y, c.y) << c.b << " " << c.method;
    }
}

}  // namespace
