// The master adjustments on a real engine: which parameter each value drives, set/get round
// trips, clamping, the no-change rule, and the two-sided vignette and noise curves.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "engine/AmbrelGraphicsController.h"
#include "engine/ParameterValues.h"
#include "gpu/Device.h"

namespace {

class MasterAdjustmentsTest : public ::testing::Test {
protected:
    void SetUp() override {
        device = QV::Graphics::CDevice::Create(nullptr, true, false, false);
        ASSERT_NE(device, nullptr) << "no OpenGL ES 2 device";
        engine = std::make_unique<AmbrelGraphicsController>(TAVORIN_RESOURCE_DIR);
    }
    void TearDown() override {
        engine.reset();
        device.reset();
    }

    // Selects an enumeration value by its display name.
    void Choose(const char* parameter, const char* value) {
        engine->SetAdjustment(parameter, false, AmbrelGraphicsController::AdjustmentValueFromString(parameter, value));
    }

    std::unique_ptr<QV::Graphics::IDevice> device;
    std::unique_ptr<AmbrelGraphicsController> engine;
};

constexpr sValueRange kWhole{0.0f, 1.0f};

struct BrightnessCase {
    const char* style;
    const char* method;
    const char* mode;
    const char* parameter;
    bool inverted;
};

TEST_F(MasterAdjustmentsTest, BrightnessTargetFollowsStyleModeAndMethod) {
    const BrightnessCase cases[] = {
        {"None", "CIE", "Dehaze", "CA Exponential Brightness Strength", false},
        {"None with Color Adjustments", "Shadows and Highlights", "Fog 6", "CA Exponential Brightness Strength", false},
        {"CIE", "CIE", "Fog 4", "Alg Color Correction Strength", true},
        {"Local Laplacian", "CIE", "Over Exposure New Alt", "Alg Color Correction Strength", true},
        {"CIE", "Shadows and Highlights", "Dehaze Alt Darkness", "Alg Color Correction Strength", true},
        {"CIE", "CIE", "DramaNew2", "Alg Color Correction Strength", false},
        {"CIE", "Shadows and Highlights", "Fog 6", "Alg CIE Brightness Strength", true},
        {"CIE", "Shadows and Highlights", "", "Alg SH Shadows Strength", false},
        {"CIE", "CIE Var", "", "Alg CIE Brightness Strength", false},
        {"Local Laplacian", "CIE and Shadows and Highlights", "dehaze", "Alg CIE Brightness Strength", false},
    };
    for (const BrightnessCase& c : cases) {
        SCOPED_TRACE(std::string(c.style) + " / " + c.method + " / " + c.mode);
        Choose("Luminance Style", c.style);
        Choose("Alg Brightness Method", c.method);
        const auto [parameter, inverted] = engine->BrightnessTarget(c.mode);
        EXPECT_EQ(parameter, c.parameter);
        EXPECT_EQ(inverted, c.inverted);
    }
}

TEST_F(MasterAdjustmentsTest, ContrastTargetFollowsStyleAndEquation) {
    const struct {
        const char* style;
        const char* equation;
        const char* parameter;
    } cases[] = {
        {"CIE", "Paper", "CIE Contrast K Strength"},
        {"CIE", "Sigmoid", "CIE Non-CIE Contrast Strength Scale"},
        {"CIE", "Non-CIE 0", "CIE Non-CIE Contrast Strength Scale"},
        {"Local Laplacian", "Paper", ""},
        {"None with Color Adjustments", "Paper", "CA Contrast Strength"},
        {"None", "Non-CIE 1", "CA Contrast Strength"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.style) + " / " + c.equation);
        Choose("Luminance Style", c.style);
        Choose("CIE Contrast Equation", c.equation);
        EXPECT_EQ(engine->ContrastTarget(), c.parameter);
    }
}

TEST_F(MasterAdjustmentsTest, BrightnessWritesWithinTheRangeAndReadsBack) {
    engine->SetBrightness(0.25f, false, kWhole, "Dehaze");
    EXPECT_NEAR(engine->GetAdjustment("Alg Color Correction Strength"), 0.75f, 1e-6f);
    EXPECT_NEAR(engine->GetBrightness(kWhole, "Dehaze"), 0.25f, 1e-6f);

    engine->SetBrightness(0.25f, false, kWhole, "DramaNew2");
    EXPECT_NEAR(engine->GetAdjustment("Alg Color Correction Strength"), 0.25f, 1e-6f);

    // Under "None" the mode name is not consulted.
    Choose("Luminance Style", "None");
    const sValueRange range{0.2f, 0.6f};
    for (float v : {0.0f, 0.3f, 0.5f, 0.9f, 1.0f}) {
        engine->SetBrightness(v, false, range, "Dehaze");
        EXPECT_NEAR(engine->GetAdjustment("CA Exponential Brightness Strength"), 0.2f + 0.4f * v, 1e-5f);
        EXPECT_NEAR(engine->GetBrightness(range, "Dehaze"), v, 1e-5f);
    }
}

TEST_F(MasterAdjustmentsTest, ContrastRoundTripsAndLocalLaplacianHasNone) {
    const sValueRange range{0.1f, 0.7f};
    for (const char* equation : {"Paper", "Sigmoid"}) {
        Choose("CIE Contrast Equation", equation);
        for (float v : {0.4f, 1.0f, 0.0f}) {
            engine->SetContrast(v, false, range);
            EXPECT_NEAR(engine->GetAdjustment(std::string(engine->ContrastTarget())), 0.1f + 0.6f * v, 1e-5f);
            EXPECT_NEAR(engine->GetContrast(range), v, 1e-5f) << equation;
        }
    }

    Choose("Luminance Style", "Local Laplacian");
    const float k = engine->GetAdjustment("CIE Contrast K Strength");
    const float scale = engine->GetAdjustment("CIE Non-CIE Contrast Strength Scale");
    const float ca = engine->GetAdjustment("CA Contrast Strength");
    engine->SetContrast(0.8f, true, range);
    EXPECT_EQ(engine->GetContrast(range), 0.0f);
    EXPECT_EQ(engine->GetAdjustment("CIE Contrast K Strength"), k);
    EXPECT_EQ(engine->GetAdjustment("CIE Non-CIE Contrast Strength Scale"), scale);
    EXPECT_EQ(engine->GetAdjustment("CA Contrast Strength"), ca);
}

TEST_F(MasterAdjustmentsTest, OutOfRangeAndNaNValuesAreClamped) {
    Choose("Luminance Style", "None");
    const struct { float in, out; } cases[] = {{-0.5f, 0.0f}, {2.0f, 1.0f}, {NAN, 0.0f}};
    for (const auto& c : cases) {
        engine->SetBrightness(0.5f, false, kWhole, "");
        engine->SetBrightness(c.in, false, kWhole, "");
        EXPECT_EQ(engine->GetBrightness(kWhole, ""), c.out) << c.in;
        engine->SetContrast(0.5f, false, kWhole);
        engine->SetContrast(c.in, false, kWhole);
        EXPECT_EQ(engine->GetContrast(kWhole), c.out) << c.in;
        engine->SetFilmicStrength(c.in, false);
        EXPECT_NEAR(engine->GetFilmicStrength(), c.out, 1e-6f) << c.in;
    }
}

TEST_F(MasterAdjustmentsTest, SettingTheCurrentValueRequestsNoRender) {
    engine->SetVignette(0.8f, false);
    engine->SetBrightness(0.4f, false, kWhole, "");
    engine->SetContrast(0.6f, false, kWhole);
    engine->SetColorStrength(0.3f, false);
    engine->frameDirty = false;

    engine->SetVignette(engine->GetVignette(), true);
    engine->SetBrightness(engine->GetBrightness(kWhole, ""), true, kWhole, "");
    engine->SetContrast(engine->GetContrast(kWhole), true, kWhole);
    engine->SetNoise(engine->GetNoise(), true);
    engine->SetColorStrength(engine->GetColorStrength() + 5e-7f, true);
    EXPECT_FALSE(engine->frameDirty);

    // Filmic strength writes every time.
    engine->SetFilmicStrength(engine->GetFilmicStrength(), true);
    EXPECT_TRUE(engine->frameDirty);
}

TEST_F(MasterAdjustmentsTest, ZeroWidthRangeWritesItsMinimum) {
    const sValueRange flat{0.3f, 0.3f};
    engine->SetBrightness(0.9f, false, flat, "Dehaze");
    EXPECT_NEAR(engine->GetAdjustment("Alg Color Correction Strength"), 0.7f, 1e-6f);
    EXPECT_EQ(engine->GetBrightness(flat, "Dehaze"), 0.0f);

    engine->SetAdjustment("Alg Color Correction Strength", false, 0.2f);  // inverted: 0.8, above
    EXPECT_EQ(engine->GetBrightness(flat, "Dehaze"), 1.0f);
    engine->SetAdjustment("Alg Color Correction Strength", false, 0.9f);  // inverted: 0.1, below
    EXPECT_EQ(engine->GetBrightness(flat, "Dehaze"), 0.0f);
}

TEST_F(MasterAdjustmentsTest, VignetteIsTwoSidedAroundOneHalf) {
    EXPECT_NEAR(engine->GetVignette(), 0.5f, 1e-6f);

    const struct {
        float master;
        bool on, black;
        float begin;  // stored distance
    } cases[] = {
        {1.0f, true, false, 0.116f},
        {0.0f, true, true, 0.116f},
        {0.51f, false, false, 0.707107f - 0.02f * 0.591107f},
        {0.75f, true, false, 0.707107f - 0.5f * 0.591107f},
        {0.2f, true, true, 0.707107f - 0.6f * 0.591107f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.master);
        engine->SetVignette(c.master, false);
        EXPECT_EQ(engine->colorAdjustment.vignette, c.on);
        EXPECT_EQ(engine->colorAdjustment.vignetteBlack, c.black);
        EXPECT_NEAR(engine->colorAdjustment.vignetteRange.x, c.begin, 1e-5f);
        EXPECT_NEAR(engine->GetVignette(), c.master, 1e-5f);
    }
}

TEST_F(MasterAdjustmentsTest, NoiseDrivesTheBilateralSigmas) {
    const sBilateralFilter& bilateral = engine->noiseReduction.bilateral;
    EXPECT_NEAR(engine->GetNoise(), AmbrelGraphicsController::GetDefaultNoise(), 1e-5f);

    engine->SetNoise(1.0f, false);
    EXPECT_NEAR(bilateral.sigmaS, 2.3f, 1e-5f);
    EXPECT_NEAR(bilateral.sigmaR, 0.1f, 1e-6f);
    EXPECT_NEAR(engine->GetNoise(), 1.0f, 1e-5f);

    engine->SetNoise(0.0f, false);
    EXPECT_NEAR(bilateral.sigmaS, 1.5f, 1e-5f);
    EXPECT_NEAR(bilateral.sigmaR, 0.005f, 1e-6f);
    EXPECT_NEAR(engine->GetNoise(), 0.0f, 1e-5f);

    for (float v : {0.2f, 0.6f, 0.66f, 0.8f, 0.95f}) {
        engine->SetNoise(v, false);
        EXPECT_NEAR(engine->GetNoise(), v, 1e-4f) << v;
    }

    // The other filters have no noise value.
    Choose("NR Type", "Isotropic GPUImage");
    const float sigmaS = bilateral.sigmaS, sigmaR = bilateral.sigmaR;
    EXPECT_EQ(engine->GetNoise(), 0.0f);
    engine->SetNoise(0.3f, true);
    EXPECT_EQ(bilateral.sigmaS, sigmaS);
    EXPECT_EQ(bilateral.sigmaR, sigmaR);
}

TEST_F(MasterAdjustmentsTest, ColourStrengthSharesFilterAndLookStrength) {
    EXPECT_EQ(engine->GetColorStrength(), 0.0f);
    EXPECT_EQ(engine->GetDefaultColorStrength(), 0.0f);

    // Stored even while neither is on; it shows once one is.
    engine->SetColorStrength(0.4f, false);
    EXPECT_NEAR(engine->GetAdjustment("CA Photo Filter Strength"), 0.4f, 1e-6f);
    EXPECT_NEAR(engine->GetAdjustment("CA Tone Map Strength"), 0.4f, 1e-6f);
    EXPECT_EQ(engine->GetColorStrength(), 0.0f);

    Choose("CA Tone Map", "Amaro");
    EXPECT_NEAR(engine->GetColorStrength(), 0.4f, 1e-6f);
    EXPECT_EQ(engine->GetDefaultColorStrength(), 1.0f);

    engine->SetAdjustment("CA Tone Map", false, 0.0f);
    engine->SetAdjustment("CA Photo Filter On/Off", false, 1.0f);
    engine->SetAdjustment("CA Photo Filter Strength", false, 0.7f);
    EXPECT_NEAR(engine->GetColorStrength(), 0.7f, 1e-6f);
    EXPECT_EQ(engine->GetDefaultColorStrength(), 1.0f);
}

}  // namespace
