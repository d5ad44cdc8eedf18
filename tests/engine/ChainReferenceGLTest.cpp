// The engine's local-contrast chain against its double-precision CPU reference on a small
// picture: each stage fed the engine's own inputs of that stage, and the whole chain from the
// working input.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "engine/AmbrelGraphicsController.h"
#include "engine/ChainCapture.h"
#include "engine/ChainReference.h"
#include "gpu/Device.h"

using namespace QV::Graphics;
using namespace chainref;

namespace {

constexpr int kWidth = 96;
constexpr int kHeight = 64;

class ChainReferenceTest : public ::testing::Test {
protected:
    void SetUp() override {
        device = CDevice::Create(nullptr, true, false, false);
        ASSERT_NE(device, nullptr);
        device->MakeCurrent();
        engine = std::make_unique<AmbrelGraphicsController>(TAVORIN_RESOURCE_DIR);
        engine->SetViewRect(0, 0, kWidth, kHeight);
        engine->renderTarget = kRenderTargetOffscreen;
    }
    void TearDown() override {
        engine.reset();
        device.reset();
    }

    void SetPixels(const std::vector<uint8_t>& rgba) {
        engine->SetInputPixels(sFrameTime::Make(0, 60), sInputGeometry::Whole(kWidth, kHeight), 0, kPixelFormatRGBA,
                               rgba.data());
    }

    // A picture with a little of everything: ramps, a soft disc and a fine texture on part of it.
    void SetPicture() {
        std::vector<uint8_t> rgba(static_cast<size_t>(kWidth) * kHeight * 4);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                uint8_t* px = &rgba[(static_cast<size_t>(y) * kWidth + x) * 4];
                const float dx = x - kWidth * 0.6f, dy = y - kHeight * 0.4f;
                const float disc = std::exp(-(dx * dx + dy * dy) / (0.05f * kWidth * kWidth));
                const float texture = x < kWidth / 3 ? 40.0f * std::sin(2.1f * x) * std::cos(1.7f * y) : 0.0f;
                px[0] = static_cast<uint8_t>(std::clamp(40 + 150.0f * x / kWidth + texture, 0.0f, 255.0f));
                px[1] =
                    static_cast<uint8_t>(std::clamp(60 + 100.0f * y / kHeight + 60.0f * disc + texture, 0.0f, 255.0f));
                px[2] = static_cast<uint8_t>(std::clamp(90 + 80.0f * disc - texture, 0.0f, 255.0f));
                px[3] = 255;
            }
        SetPixels(rgba);
    }

    CapturedChain Render() {
        engine->frameDirty = true;
        engine->RenderFrame();
        return Capture(*engine, *device);
    }

    std::unique_ptr<IDevice> device;
    std::unique_ptr<AmbrelGraphicsController> engine;
};

// The largest difference each stage may show: the engine stores its values in half floats
// (the colour in 8 bits) and filters with the device's precision.
double Tolerance(const std::string& stage) {
    // Sums of up to nine values about 0.5 in half floats: a step of a half float near 4.5.
    if (stage.rfind("box sums", 0) == 0) return 5e-3;
    if (stage.rfind("colour", 0) == 0) return 1.5 / 255.0;
    if (stage.find("tone mapping") != std::string::npos) return 6e-3;  // two stages, the second sharpening
    if (stage.rfind("level ", 0) == 0) return 3e-3;
    return 2e-3;
}

TEST_F(ChainReferenceTest, EachStageFollowsTheReferenceFedTheEnginesInputs) {
    SetPicture();
    for (bool toneMapping : {false, true}) {
        engine->SetAdjustment("Tone Mapping P", true, toneMapping ? 0.15f : 0.0f);
        const CapturedChain c = Render();
        ASSERT_EQ(c.input.width, kWidth);
        const ChainParameters p = ChainParameters::Of(*engine, kWidth, kHeight);
        ASSERT_EQ(p.toneMappingOn, toneMapping);
        const std::vector<StageDifference> stages = CompareStages(c, p);
        // Levels, bands (level 0's only without tone mapping), the box sums of values and of
        // squares, the reconstructed levels (level 0 with the tone mapping when it runs), base
        // and three colour channels.
        EXPECT_EQ(stages.size(), static_cast<size_t>(5 * (p.levels - 1) + 1 + 3 - (toneMapping ? 1 : 0)));
        for (const StageDifference& s : stages)
            EXPECT_LE(s.difference.max, Tolerance(s.stage))
                << s.stage << (toneMapping ? " (tone mapping)" : "") << ": worst at (" << s.difference.x << ", "
                << s.difference.y << "), mean difference " << s.difference.mean;
    }
}

TEST_F(ChainReferenceTest, WholeChainFollowsTheReferenceFromTheWorkingInput) {
    SetPicture();
    const CapturedChain c = Render();
    const ChainResult exact = EvaluateChain(c.input, ChainParameters::Of(*engine, kWidth, kHeight));
    EXPECT_NEAR(exact.brightnessStatistic, c.brightnessStatistic, 1e-3);
    for (int ch = 0; ch < 3; ++ch) {
        const Difference d = Compare(c.corrected, Stored(exact.output, false), ch);
        EXPECT_LE(d.max, 4.0 / 255.0) << "channel " << ch << " worst at (" << d.x << ", " << d.y << ")";
        // Half-float storage moves the levels by a few thousandths, which the gains carry on.
        EXPECT_LE(d.mean, 2.5e-3) << "channel " << ch;
    }
}

// The local deviation of a flat area is 0. From sums of x and x² kept in half floats it
// cancelled into up to 0.03 on light greys, into the ramp of the halo damping (which starts at
// 0.02): flat areas must stay below it.
TEST_F(ChainReferenceTest, FlatAreasStayBelowTheHaloDampingRamp) {
    for (int grey : {20, 128, 204, 230, 242, 255}) {
        SetPixels(std::vector<uint8_t>(static_cast<size_t>(kWidth) * kHeight * 4, static_cast<uint8_t>(grey)));
        const CapturedChain c = Render();
        for (size_t k = 0; k < c.deviation.size(); ++k) {
            if (!c.deviation[k].width) continue;
            double largest = 0.0;
            for (double v : c.deviation[k].values) largest = std::max(largest, v);
            EXPECT_LT(largest, 0.02) << "grey " << grey << ", level " << k;
        }
    }
}

}  // namespace
