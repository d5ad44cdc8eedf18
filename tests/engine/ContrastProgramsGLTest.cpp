// The local-contrast programs: every setting compiles and links at varying caps of 16 (taps
// past the cap computed in the fragment shader) and 64; blur, difference and combine run on
// small images against CPU references of their formulas.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "ProgramRender.h"
#include "engine/ChainReference.h"
#include "engine/ContrastPrograms.h"
#include "engine/EnginePrograms.h"

namespace {

using namespace programtest;

constexpr int kWidth = 24;
constexpr int kHeight = 16;

// Taps 5 give three fetches; taps 41 give 21, past a cap of 16.
constexpr int kTapCounts[] = {5, 41};

class ContrastPrograms : public ProgramRenderTest, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override {
        ProgramRenderTest::SetUp();
        if (engine) engine->maxVaryingVectors = GetParam();
    }

    // Builds into the pair with the builder, expects a built program, returns it.
    IShaderProgram* Built(int32_t pair, const std::function<void(IShaderProgram*&)>& build, const std::string& what) {
        Release(pair);
        build(Slot(pair));
        EXPECT_NE(Slot(pair), nullptr) << what;
        EXPECT_TRUE(Slot(pair) && Slot(pair)->IsBuilt()) << what;
        return Slot(pair);
    }

    // The full Gaussian the merged kernel stands for.
    static std::vector<double> Gaussian(int taps, double kernelScale) {
        return chainref::GaussianWeights(taps, 1.0, kernelScale);
    }

    static float Blur(const Image& in, int x, int y, int c, const std::vector<double>& w, bool vertical) {
        const int h = static_cast<int>(w.size()) / 2;
        double sum = 0.0;
        for (int i = -h; i <= h; ++i) sum += w[i + h] * in.clamped(vertical ? x : x + i, vertical ? y + i : y, c);
        return static_cast<float>(sum);
    }
};

// ---- Every setting builds ------------------------------------------------------------------

TEST_P(ContrastPrograms, EveryCombineSettingCompilesAndLinks) {
    const QV::Math::CVector2<float> ranges[] = {{0.0f, 1.0f}, {0.0f, 0.5f}, {0.01f, 1.0f}, {0.01f, 0.5f}};
    int built = 0;
    for (int equation = 0; equation < 4; ++equation)
        for (const auto& range : ranges) {
            if (equation == 0 && !(range.x == 0.0f && range.y == 1.0f)) continue;  // Paper has no range
            for (int basedOn = 0; basedOn < 4; ++basedOn)
                for (int halo = 0; halo < 3; ++halo)
                    for (int compression = 0; compression < 6; ++compression)
                        for (int side = 0; side < 3; ++side) {
                            if (compression == 0 && side > 0) continue;  // None has no side
                            engine->cie.contrastEquation = static_cast<eContrastEquation>(equation);
                            engine->cie.contrastRange = range;
                            engine->cie.haloRemovalType = static_cast<eContrastSide>(halo);
                            engine->cie.compression = static_cast<eContrastCompression>(compression);
                            engine->cie.compressionSide = static_cast<eContrastSide>(side);
                            // Taps past the cap only with the middle settings, to keep the count down.
                            const int taps = (halo == 1 && side == 2) ? 41 : 5;
                            Built(
                                kPairCIEContrast,
                                [&](IShaderProgram*& slot) {
                                    BuildContrastCombineProgram(engine->cie, engine->ProgramContext(), slot, taps,
                                                                static_cast<eContrastBasedOn>(basedOn), 1.0);
                                },
                                "equation " + std::to_string(equation) + " range " + std::to_string(range.x) + "-" +
                                    std::to_string(range.y) + " based on " + std::to_string(basedOn) + " halo " +
                                    std::to_string(halo) + " compression " + std::to_string(compression) + " side " +
                                    std::to_string(side));
                            ++built;
                        }
        }
    EXPECT_EQ(built, 16 * 4 * 3 * (1 + 3 * 4));
}

TEST_P(ContrastPrograms, EveryBlurAndDifferenceSettingCompilesAndLinks) {
    for (int taps : {5, 7, 41})
        for (int precision = 0; precision < 3; ++precision) {
            engine->shaderSets.precisions[0] = precision;
            for (bool vertical : {false, true})
                for (bool alpha : {false, true})
                    Built(
                        kPairVerticalBlur,
                        [&](IShaderProgram*& slot) {
                            BuildBlurPassProgram(engine->ProgramContext(), slot, taps, vertical, alpha, precision, 0.8);
                        },
                        "blur taps " + std::to_string(taps));
            for (bool deadZone : {false, true})
                for (bool alpha : {false, true})
                    for (int p1 = 0; p1 < 3; ++p1)
                        Built(
                            kPairDifference,
                            [&](IShaderProgram*& slot) {
                                BuildDifferencePassProgram(engine->ProgramContext(), slot, taps, deadZone, alpha,
                                                           precision, p1, 0.8);
                            },
                            "difference taps " + std::to_string(taps));
        }
}

TEST_P(ContrastPrograms, PassProgramsOfTheEngineFillTheirSixPairs) {
    BuildContrastPassPrograms(engine->cie, engine->ProgramContext());
    for (int32_t pair : {kPairVerticalAlphaBlur, kPairVerticalBlur, kPairHorizontalBlur, kPairCIEContrast,
                         kPairAlphaDifference, kPairDifference}) {
        ASSERT_NE(Slot(pair), nullptr) << pair;
        EXPECT_TRUE(Slot(pair)->IsBuilt()) << pair;
        EXPECT_EQ(engine->shaderSets[pair][1], nullptr) << "the other variant is left alone";
    }
    // Starting values: the spacing is 0 until a pass sets it; the difference reads img1 on unit 1.
    for (int32_t pair : {kPairVerticalBlur, kPairCIEContrast, kPairDifference}) {
        auto* spacing =
            static_cast<CUniform1f*>(static_cast<CShaderProgram*>(Slot(pair))->FindUniform("uInvTextureDimension"));
        ASSERT_NE(spacing, nullptr) << pair;
        EXPECT_EQ(spacing->pending, 0.0f) << pair;
    }
    auto* img1 =
        static_cast<CUniformSampler*>(static_cast<CShaderProgram*>(Slot(kPairAlphaDifference))->FindUniform("img1"));
    ASSERT_NE(img1, nullptr);
    EXPECT_EQ(img1->pending, 1);
    // A second call on filled slots keeps the programs.
    IShaderProgram* combine = Slot(kPairCIEContrast);
    BuildContrastPassPrograms(engine->cie, engine->ProgramContext());
    EXPECT_EQ(Slot(kPairCIEContrast), combine);
}

// ---- Renders ---------------------------------------------------------------------------------

TEST_P(ContrastPrograms, BlurPassIsTheGaussianOfOneChannel) {
    const Image picture = TestPicture(kWidth, kHeight);
    const Image stored = Stored(picture, false);
    for (int taps : kTapCounts)
        for (bool vertical : {true, false})
            for (bool alpha : {false, true}) {
                const double kernelScale = taps == 5 ? 0.9 : 0.2;
                IShaderProgram* program = Built(
                    kPairVerticalBlur,
                    [&](IShaderProgram*& slot) {
                        BuildBlurPassProgram(engine->ProgramContext(), slot, taps, vertical, alpha, 1, kernelScale);
                    },
                    "blur");
                program->SetUniform1f("uInvTextureDimension", vertical ? 1.0f / kHeight : 1.0f / kWidth);
                const Image result = Render(program, {Upload(picture, true, false)}, kWidth, kHeight, false);
                const std::vector<double> w = Gaussian(taps, kernelScale);
                Image expected(kWidth, kHeight);
                for (int y = 0; y < kHeight; ++y)
                    for (int x = 0; x < kWidth; ++x)
                        for (int c = 0; c < 4; ++c)
                            expected.at(x, y, c) = Quantize8(Blur(stored, x, y, alpha ? 3 : 0, w, vertical));
                ExpectClose(result, expected, 2.0f / 255.0f,
                            "taps " + std::to_string(taps) + (vertical ? " vertical" : " horizontal") +
                                (alpha ? " alpha" : " red"));
            }
}

TEST_P(ContrastPrograms, DifferencePassSubtractsTheVerticalBlurFromTheMinuend) {
    if (!halfFloat) GTEST_SKIP() << "negative differences need half-float targets";
    const Image base = TestPicture(kWidth, kHeight, 1);
    const Image minuend = TestPicture(kWidth, kHeight, 2);
    const Image storedBase = Stored(base, false);
    const Image storedMinuend = Stored(minuend, false);
    for (int taps : kTapCounts)
        for (bool alpha : {true, false}) {
            const double kernelScale = taps == 5 ? 0.9 : 0.2;
            IShaderProgram* program = Built(
                kPairDifference,
                [&](IShaderProgram*& slot) {
                    BuildDifferencePassProgram(engine->ProgramContext(), slot, taps, false, alpha, 1, alpha ? 0 : 1,
                                               kernelScale);
                },
                "difference");
            program->SetUniform1f("uInvTextureDimension", 1.0f / kHeight);
            const Image result =
                Render(program, {Upload(base, true, false), Upload(minuend, false, false)}, kWidth, kHeight, true);
            const std::vector<double> w = Gaussian(taps, kernelScale);
            Image expected(kWidth, kHeight);
            bool negative = false;
            for (int y = 0; y < kHeight; ++y)
                for (int x = 0; x < kWidth; ++x) {
                    const float d = storedMinuend.at(x, y, alpha ? 3 : 0) - Blur(storedBase, x, y, 0, w, true);
                    negative = negative || d < -0.05f;
                    for (int c = 0; c < 4; ++c) expected.at(x, y, c) = d;
                }
            EXPECT_TRUE(negative) << "the picture should give negative differences too";
            ExpectClose(result, expected, 3e-3f, "taps " + std::to_string(taps) + (alpha ? " alpha" : " red"));
        }
}

// The combine's uniform values of the cases; the formulas from a blurred base value a, the
// detail l, the contrast map K, the variance v and the guide g are the chain reference's.
struct CombineUniforms {
    float halo = 0.6f;
    float kStrength = 1.3f;
    float scale = 1.4f, exponent = 0.7f, slope = 0.3f;  // uNonCIEContrastStrength
    float balance = 0.3f;
};

// The uniforms as the combine draw gets them.
UniformList Uniforms(const CombineUniforms& u) {
    return {{"uHaloRemovalStrength", 1, {u.halo}},
            {"uContrastKStrength", 1, {u.kStrength}},
            {"uNonCIEContrastStrength", 3, {u.scale, u.exponent, u.slope}},
            {"uContrastBasedOnBothBalance", 1, {u.balance}}};
}

TEST_P(ContrastPrograms, CombineAppliesTheGainDampingAndCompressionOfItsSettings) {
    if (!halfFloat) GTEST_SKIP() << "signed detail coefficients need half-float textures";
    // Inputs: base (blurred here), detail in [-0.45, 0.45], contrast map, a box's row sums whose
    // deviation crosses the halo ramp (0.02 to 0.09), guide.
    const Image base = TestPicture(kWidth, kHeight, 3);
    Image detail(kWidth, kHeight), side(kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            for (int c = 0; c < 4; ++c) {
                detail.at(x, y, c) = 0.45f * std::sin(0.9f * x + 0.37f * y + 0.2f);
                side.at(x, y, c) = c == 3 ? 1.0f : 0.5f + 0.45f * std::cos(0.5f * x - 0.8f * y + c);
            }
    // Each row of the box holds a mean of 0 and its own deviation d (its square sum n d²): the
    // box's deviation is then the root mean square of the d of its n rows.
    const int boxTaps = BoxMeanTapCount(engine->ProgramContext().filterScale);
    Image sums(kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const float d = 0.11f * side.at(x, y, 0);
            sums.at(x, y, 0) = 0.0f;
            sums.at(x, y, 1) = static_cast<float>(boxTaps) * d * d;
        }
    const Image storedBase = Stored(base, false), storedDetail = Stored(detail, true);
    const Image storedSide = Stored(side, false), storedSums = Stored(sums, true);
    Image deviation(kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            double squares = 0.0;
            for (int r = -boxTaps / 2; r <= boxTaps / 2; ++r)
                squares += storedSums.at(x, std::clamp(y + r, 0, kHeight - 1), 1);
            deviation.at(x, y, 0) = static_cast<float>(std::sqrt(squares / (double(boxTaps) * boxTaps)));
        }
    std::vector<ITexture2D*> inputs = {Upload(base, true, false), Upload(detail, false, true),
                                       Upload(side, false, false), Upload(sums, false, true),
                                       Upload(side, false, false)};

    struct Case {
        int equation;
        QV::Math::CVector2<float> range;
        int basedOn, halo, compression, side;
        float strength, interval;
    };
    const Case cases[] = {
        {0, {0, 1}, 0, 2, 0, 0, 0.5f, 0.5f},        {0, {0, 1}, 1, 1, 1, 2, 0.5f, 0.5f},
        {0, {0, 1}, 2, 0, 1, 0, 0.5f, 0.5f},        {0, {0, 1}, 3, 2, 1, 1, 0.5f, 0.5f},
        {1, {0, 1}, 3, 2, 0, 0, 0.5f, 0.5f},        {2, {0, 1}, 0, 1, 2, 2, 0.3f, 0.5f},
        {3, {0, 1}, 2, 0, 3, 2, 0.6f, 0.2f},        {1, {0, 0.3f}, 1, 2, 4, 1, 0.4f, 0.5f},
        {2, {0, 0.3f}, 3, 2, 5, 2, 0.8f, 0.9f},     {3, {0, 0.3f}, 0, 1, 2, 0, 0.5f, 0.5f},
        {1, {0.02f, 1}, 2, 0, 4, 0, 0.5f, 0.5f},    {2, {0.02f, 0.3f}, 1, 2, 3, 1, 0.5f, 0.7f},
        {3, {0.02f, 0.3f}, 3, 1, 5, 0, 0.2f, 0.4f}, {2, {0.02f, 1}, 0, 2, 4, 2, 0.5f, 0.5f},
    };
    const CombineUniforms u;
    for (const Case& c : cases)
        for (int taps : kTapCounts) {
            engine->cie.contrastEquation = static_cast<eContrastEquation>(c.equation);
            engine->cie.contrastRange = c.range;
            engine->cie.haloRemovalType = static_cast<eContrastSide>(c.halo);
            engine->cie.compression = static_cast<eContrastCompression>(c.compression);
            engine->cie.compressionSide = static_cast<eContrastSide>(c.side);
            engine->cie.compressionStrength = c.strength;
            engine->cie.compressionInterval = c.interval;
            engine->cie.contrastBasedOnBothBalance = u.balance;
            const double kernelScale = taps == 5 ? 0.9 : 0.2;
            IShaderProgram* program = Built(
                kPairCIEContrast,
                [&](IShaderProgram*& slot) {
                    BuildContrastCombineProgram(engine->cie, engine->ProgramContext(), slot, taps,
                                                static_cast<eContrastBasedOn>(c.basedOn), kernelScale);
                },
                "combine");
            program->SetUniform1f("uInvTextureDimension", 1.0f / kHeight);
            program->SetUniform1f("uBoxTexelHeight", 1.0f / kHeight);
            program->SetUniform1f("uHaloRemovalStrength", u.halo);
            program->SetUniform1f("uContrastKStrength", u.kStrength);
            program->SetUniform2f("uNonCIEContrastStrength", {u.scale, u.exponent});
            program->SetUniform3f("uNonCIEContrastStrength", {u.scale, u.exponent, u.slope});
            const Image result = Render(program, inputs, kWidth, kHeight, true);

            const sContrastCombineOptions o =
                ContrastCombineOptions(engine->cie, static_cast<eContrastBasedOn>(c.basedOn),
                                       engine->ProgramPrecision(), engine->maxVaryingVectors);
            const std::vector<double> w = Gaussian(taps, kernelScale);
            Image expected(kWidth, kHeight);
            for (int y = 0; y < kHeight; ++y)
                for (int x = 0; x < kWidth; ++x) {
                    const float value = static_cast<float>(chainref::CombineValue(
                        o, Uniforms(u), Blur(storedBase, x, y, 0, w, true), storedDetail.at(x, y, 0),
                        storedSide.at(x, y, 0), deviation.at(x, y, 0), storedSide.at(x, y, 0)));
                    for (int ch = 0; ch < 4; ++ch) expected.at(x, y, ch) = value;
                }
            ExpectClose(result, expected, 6e-3f,
                        "equation " + std::to_string(c.equation) + " range " + std::to_string(c.range.x) + "-" +
                            std::to_string(c.range.y) + " based on " + std::to_string(c.basedOn) + " halo " +
                            std::to_string(c.halo) + " compression " + std::to_string(c.compression) + " side " +
                            std::to_string(c.side) + " taps " + std::to_string(taps));
        }
}

TEST_P(ContrastPrograms, FilledCombineSlotOnlyRefreshesTheBothBalance) {
    BuildContrastCombineProgram(engine->cie, engine->ProgramContext(), Slot(kPairCIEContrast), 5,
                                eContrastBasedOn::Both, 1.0);
    IShaderProgram* program = Slot(kPairCIEContrast);
    ASSERT_TRUE(program && program->IsBuilt());
    engine->cie.contrastEquation = eContrastEquation::Sigmoid;  // would change the text, but the slot is filled
    engine->cie.contrastBasedOnBothBalance = 0.8f;
    BuildContrastCombineProgram(engine->cie, engine->ProgramContext(), Slot(kPairCIEContrast), 5,
                                eContrastBasedOn::Both, 1.0);
    EXPECT_EQ(Slot(kPairCIEContrast), program);
    const auto* uniform =
        static_cast<CUniform1f*>(static_cast<CShaderProgram*>(program)->FindUniform("uContrastBasedOnBothBalance"));
    ASSERT_NE(uniform, nullptr);
    EXPECT_FLOAT_EQ(uniform->pending, 0.8f);
}

TEST_P(ContrastPrograms, FailedBuildIsLoggedAndLeftUnbuiltSoThatItsPassIsSkipped) {
    struct Case {
        const char* what;
        std::function<void(IShaderProgram*&)> build;
        const char* log;
    };
    const Case cases[] = {
        {"a kernel without neighbours",
         [&](IShaderProgram*& slot) { BuildBlurPassProgram(engine->ProgramContext(), slot, 1, true, false, 1, 1.0); },
         "Blur pass program not built"},
        {"an unknown compression",
         [&](IShaderProgram*& slot) {
             engine->cie.compression = static_cast<eContrastCompression>(7);
             BuildContrastCombineProgram(engine->cie, engine->ProgramContext(), slot, 5, eContrastBasedOn::None, 1.0);
         },
         "Contrast combine program not built"},
        {"too few varyings to compile",
         [&](IShaderProgram*& slot) {
             engine->maxVaryingVectors = 2;
             BuildDifferencePassProgram(engine->ProgramContext(), slot, 5, false, false, 1, 1, 1.0);
         },
         "Difference pass program failed to build"},
    };
    for (const Case& c : cases) {
        Release(kPairDifference);
        testing::internal::CaptureStderr();
        c.build(Slot(kPairDifference));
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_NE(log.find(c.log), std::string::npos) << c.what << ": " << log;
        ASSERT_NE(Slot(kPairDifference), nullptr) << c.what;
        EXPECT_FALSE(Slot(kPairDifference)->IsBuilt()) << c.what;
        // Drawing with it leaves the target as it was.
        const Image after = Render(Slot(kPairDifference), {}, 4, 4, false, 0.25f);
        for (float v : after.rgba) ASSERT_NEAR(v, 0.25f, 0.5f / 255.0f) << c.what;
    }
}

INSTANTIATE_TEST_SUITE_P(VaryingCaps, ContrastPrograms, ::testing::Values(16, 64),
                         [](const ::testing::TestParamInfo<int>& info) { return "Cap" + std::to_string(info.param); });

// ---- Texts -----------------------------------------------------------------------------------

TEST(ContrastProgramTexts, ThreeFetchKernelAndSwitchedOffFeaturesLeaveNoText) {
    sContrastCombineOptions o;
    o.basedOn = 3;
    o.equation = 1;
    const sContrastProgramText text = ContrastCombineText(o, 5, 1.0);
    EXPECT_NE(text.vertex.find("vTexture2 = vaPosition.xy + vec2(0.0, k);"), std::string::npos);
    EXPECT_EQ(text.vertex.find("vTexture3"), std::string::npos);
    EXPECT_EQ(text.fragment.find("img4"), std::string::npos);
    EXPECT_EQ(text.fragment.find("img2"), std::string::npos);
    EXPECT_EQ(text.fragment.find("exp2"), std::string::npos);
    EXPECT_NE(text.fragment.find("uniform vec2 uNonCIEContrastStrength;"), std::string::npos);
    // Two terms in the blur statement.
    EXPECT_NE(text.fragment.find(" * (c1 + c2));"), std::string::npos);

    const sContrastProgramText vertical = BlurPassText(9, true, false, 1, 1.0, 2, 16);
    const sContrastProgramText horizontal = BlurPassText(9, false, false, 1, 1.0, 2, 16);
    EXPECT_NE(horizontal.vertex.find("vTexture1 = vaPosition.xy + vec2(-k, 0.0);"), std::string::npos);
    EXPECT_EQ(vertical.fragment, horizontal.fragment) << "all fetches come from varyings";
}

TEST(ContrastProgramTexts, KernelWithoutNeighboursOrUnknownSettingIsRefused) {
    EXPECT_THROW(BlurPassText(1, true, false, 1, 1.0, 2, 16), std::invalid_argument);
    EXPECT_THROW(DifferencePassText(4, false, false, 1, 1, 1.0, 2, 16), std::invalid_argument);
    sContrastCombineOptions o;
    o.compression = 6;
    EXPECT_THROW(ContrastCombineText(o, 5, 1.0), std::invalid_argument);
}

}  // namespace
