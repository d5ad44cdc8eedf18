// A parameter that a stage takes as a uniform reaches the picture the same way whether it is
// changed live on built programs or set before a fresh engine builds them.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/AmbrelGraphicsController.h"
#include "gpu/Device.h"

using namespace QV::Graphics;

namespace {

constexpr int32_t kWidth = 96, kHeight = 64;

// Colour ramps from near black with a fine checker and a little noise, so that tone, colour,
// contrast and noise stages all have something to change.
std::vector<uint8_t> TestPicture() {
    std::vector<uint8_t> rgba(static_cast<size_t>(kWidth) * kHeight * 4);
    uint32_t seed = 12345;
    for (int32_t y = 0; y < kHeight; ++y)
        for (int32_t x = 0; x < kWidth; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int noise = static_cast<int>(seed >> 28) - 8;
            const int checker = ((x / 4 + y / 4) % 2) * 30;
            const int light = 10 + 90 * x / kWidth;  // percent
            uint8_t* px = &rgba[(static_cast<size_t>(y) * kWidth + x) * 4];
            px[0] = static_cast<uint8_t>(std::clamp((160 + checker) * light / 100 + noise, 0, 255));
            px[1] = static_cast<uint8_t>(std::clamp((50 + 150 * y / kHeight) * light / 100 + noise, 0, 255));
            px[2] = static_cast<uint8_t>(std::clamp((170 - checker) * light / 100 + noise, 0, 255));
            px[3] = 255;
        }
    return rgba;
}

using Settings = std::vector<std::pair<const char*, float>>;

struct StageCase {
    const char* stage;
    Settings setup;
    const char* name;
    float before, after;
    int32_t pair;  // a pair of the stage, which the change must leave built
};

class StageUniforms : public ::testing::Test {
protected:
    void SetUp() override {
        device = CDevice::Create(nullptr, true, false, false);
        ASSERT_NE(device, nullptr);
        device->MakeCurrent();
    }

    std::unique_ptr<AmbrelGraphicsController> MakeEngine(const Settings& settings) {
        auto engine = std::make_unique<AmbrelGraphicsController>(TAVORIN_RESOURCE_DIR);
        engine->SetViewRect(0, 0, kWidth, kHeight);
        engine->renderTarget = kRenderTargetOffscreen;
        engine->SetInputPixels(sFrameTime::Make(0, 60), sInputGeometry::Whole(kWidth, kHeight), 0, kPixelFormatRGBA,
                               picture.data());
        for (const auto& [name, value] : settings) engine->SetAdjustment(name, true, value);
        return engine;
    }

    static std::vector<uint8_t> Render(AmbrelGraphicsController& engine) {
        engine.frameDirty = true;
        engine.RenderFrame();
        const auto [w, h] = engine.OutputFrameSize();
        std::vector<uint8_t> bgra(static_cast<size_t>(w) * h * 4);
        EXPECT_TRUE(engine.ReadOutputFrame(bgra.data(), static_cast<uint64_t>(w) * 4));
        return bgra;
    }

    static int MaxDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
        if (a.size() != b.size()) return 256;
        int largest = 0;
        for (size_t i = 0; i < a.size(); ++i) largest = std::max(largest, std::abs(a[i] - b[i]));
        return largest;
    }

    std::unique_ptr<IDevice> device;
    const std::vector<uint8_t> picture = TestPicture();
};

TEST_F(StageUniforms, LiveChangeAndFreshBuildGiveTheSamePicture) {
    const float amaro = 2.5f / 65, pouli = 3.5f / 11, cieAndShadowsHighlights = 3.5f / 4;
    const StageCase cases[] = {
        {"colour adjustment", {}, "CA Exposure", 0.6f, 0.7f, kPairColorAdjustment},
        {"colour adjustment", {}, "CA Exponential Brightness Strength", 0.3f, 0.8f, kPairColorAdjustment},
        {"colour adjustment", {}, "CA Exponential Saturation Strength", 0.3f, 0.7f, kPairColorAdjustment},
        {"colour adjustment", {}, "CA Shadows Strength", 0.2f, 0.5f, kPairColorAdjustment},
        {"colour adjustment",
         {{"CA Photo Filter On/Off", 1.0f}},
         "CA Photo Filter G",
         0.2f,
         0.9f,
         kPairColorAdjustment},
        {"colour adjustment",
         {{"CA Photo Filter On/Off", 1.0f}, {"CA Tone Map", amaro}},
         "CA Photo Filter Tone Map Strength Multiplier",
         0.4f,
         0.9f,
         kPairColorAdjustment},
        {"colour adjustment", {{"CA Vignette On/Off", 1.0f}}, "CA Vignette Begin", 0.9f, 0.4f, kPairColorAdjustment},
        {"brightness and tone", {}, "Alg CIE Brightness Strength", 0.3f, 0.8f, kPairBrightness},
        {"brightness and tone",
         {{"Alg Brightness Method", cieAndShadowsHighlights}},
         "Alg SH Highlights Strength",
         0.8f,
         0.4f,
         kPairBrightness},
        {"brightness and tone", {}, "Alg Filmic Strength", 0.3f, 0.9f, kPairBrightness},
        {"colour correction", {}, "Alg Color Correction Strength", 0.2f, 0.6f, kPairColorCorrection},
        {"colour correction",
         {{"Alg Color Correction CIE On/Off", 1.0f}},
         "Alg Color Correction CIE Beta",
         0.2f,
         0.6f,
         kPairColorCorrection},
        {"colour correction",
         {{"Alg Color Correction Method", pouli}, {"Alg Pouli Saturation On/Off", 1.0f}},
         "Alg Pouli Saturation Exponent",
         0.1f,
         0.9f,
         kPairColorCorrection},
        {"local contrast",
         {{"Contrast Based On", 2.5f / 4}},
         "Contrast Based On Both Balance",
         0.1f,
         0.9f,
         kPairCIEContrast},
        {"local contrast", {}, "CIE Contrast K Strength", 0.2f, 0.9f, kPairCIEContrast},
        {"local contrast",
         {{"CIE Contrast Equation", 3.5f / 4}},
         "CIE Non-CIE Contrast Strength Scale",
         0.05f,
         0.3f,
         kPairCIEContrast},
        {"noise reduction",
         {{"NR On/Off", 1.0f}, {"NR Type", 0.5f / 3}},
         "NR Flow Field GPU Image Spacing Factor",
         0.1f,
         0.6f,
         kPairNoiseFlowFieldGPUImage},
        {"noise reduction",
         {{"NR On/Off", 1.0f}, {"NR Type", 1.5f / 3}},
         "NR Isotropic GPU Image Distance Factor",
         0.2f,
         0.9f,
         kPairNoiseIsotropicGPUImage},
    };
    for (const StageCase& c : cases) {
        SCOPED_TRACE(std::string(c.stage) + ": " + c.name);
        Settings before = c.setup, after = c.setup;
        before.emplace_back(c.name, c.before);
        after.emplace_back(c.name, c.after);

        auto live = MakeEngine(before);
        const std::vector<uint8_t> first = Render(*live);
        IShaderProgram* program = live->shaderSets[c.pair][0];
        ASSERT_NE(program, nullptr);
        live->SetAdjustment(c.name, true, c.after);
        EXPECT_EQ(live->shaderSets[c.pair][0], program) << "the change rebuilt the stage";
        const std::vector<uint8_t> changed = Render(*live);
        EXPECT_EQ(live->shaderSets[c.pair][0], program);

        auto fresh = MakeEngine(after);
        const std::vector<uint8_t> built = Render(*fresh);
        EXPECT_GT(MaxDifference(first, changed), 0) << "the change shows";
        EXPECT_EQ(MaxDifference(changed, built), 0);
    }
}

}  // namespace
