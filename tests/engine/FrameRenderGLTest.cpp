// The engine renders frames on a real device: the input path and its geometry, every style's
// pass chain, the read-back, zoom and compare split, and recovery after the background.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/AmbrelGraphicsController.h"
#include "engine/RenderPasses.h"
#include "FakeVideoRecorder.h"
#include "gpu/Device.h"
#include "platform/imageio/ImageIO.h"
#include "platform/corevideo/CVPixelBuffer.h"
#include "platform/opengles/CAEAGLLayer.h"

using namespace QV::Graphics;

namespace {

struct sPicture {
    int32_t width = 0, height = 0;
    std::vector<uint8_t> rgba;  // rows top first
};

// A smooth picture with a little structure: colour ramps and a soft disc.
sPicture SyntheticPicture(int32_t width, int32_t height) {
    sPicture p{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 4)};
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            uint8_t* px = &p.rgba[(static_cast<size_t>(y) * width + x) * 4];
            const float dx = x - width * 0.6f, dy = y - height * 0.4f;
            const float disc = std::exp(-(dx * dx + dy * dy) / (0.05f * width * width));
            px[0] = static_cast<uint8_t>(40 + 150.0f * x / width);
            px[1] = static_cast<uint8_t>(60 + 100.0f * y / height + 60.0f * disc);
            px[2] = static_cast<uint8_t>(90 + 80.0f * disc);
            px[3] = 255;
        }
    return p;
}

// An opaque picture whose pixel (x, y) has the colour `rgb(x, y)`.
sPicture OpaquePicture(int32_t width, int32_t height,
                       const std::function<std::array<uint8_t, 3>(int32_t, int32_t)>& rgb) {
    sPicture p{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 4)};
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const std::array<uint8_t, 3> c = rgb(x, y);
            uint8_t* px = &p.rgba[(static_cast<size_t>(y) * width + x) * 4];
            px[0] = c[0], px[1] = c[1], px[2] = c[2], px[3] = 255;
        }
    return p;
}

// A real photograph, reduced so that its longer side is `side`.
sPicture Photograph(uint32_t side) {
    const auto source = platform::ImageSource::createWithFile("/usr/share/backgrounds/Wine_by_Jakkub_Mede.jpg");
    if (!source) return {};
    const auto bitmap = source->createThumbnailAtIndex(0, side, platform::ImagePixelFormat::RGBA, true);
    if (!bitmap) return {};
    return {static_cast<int32_t>(bitmap->width), static_cast<int32_t>(bitmap->height), bitmap->pixels};
}

class FrameRenderTest : public ::testing::Test {
protected:
    void SetUp() override {
        device = CDevice::Create(nullptr, true, false, false);
        ASSERT_NE(device, nullptr);
        device->MakeCurrent();
        engine = std::make_unique<AmbrelGraphicsController>(TAVORIN_RESOURCE_DIR);
        engine->SetViewRect(0, 0, 96, 64);
        // Render offscreen, as the full-resolution render does, so that the output is read back.
        engine->renderTarget = kRenderTargetOffscreen;
    }
    void TearDown() override {
        engine.reset();
        device.reset();
    }

    void SetPicture(const sPicture& p, int64_t orientation = 0) {
        engine->SetInputPixels(sFrameTime::Make(0, 60), sInputGeometry::Whole(p.width, p.height), orientation,
                               kPixelFormatRGBA, p.rgba.data());
    }
    void Set(const std::string& name, float value) { engine->SetAdjustment(name, true, value); }
    // The enumeration value `index` of `count`.
    void SetChoice(const std::string& name, int32_t index, int32_t count) {
        Set(name, (static_cast<float>(index) + 0.5f) / static_cast<float>(count));
    }

    // Renders and reads the output back as RGBA, rows top first.
    sPicture Render() {
        engine->frameDirty = true;
        engine->RenderFrame();
        const auto [w, h] = engine->OutputFrameSize();
        sPicture out{w, h, std::vector<uint8_t>(static_cast<size_t>(w) * h * 4)};
        std::vector<uint8_t> bgra(out.rgba.size());
        EXPECT_TRUE(engine->ReadOutputFrame(bgra.data(), static_cast<uint64_t>(w) * 4));
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x) {
                const uint8_t* s = &bgra[(static_cast<size_t>(h - 1 - y) * w + x) * 4];
                uint8_t* d = &out.rgba[(static_cast<size_t>(y) * w + x) * 4];
                d[0] = s[2], d[1] = s[1], d[2] = s[0], d[3] = s[3];
            }
        return out;
    }
    // The sample photograph at 128 pixels as the picture, in a view of its size (empty, and
    // nothing set, when the photograph is missing).
    sPicture UsePhotograph() {
        sPicture photo = Photograph(128);
        if (photo.width == 0) return photo;
        engine->SetViewRect(0, 0, photo.width, photo.height);
        SetPicture(photo);
        return photo;
    }
    struct Setting {
        const char* name;
        int32_t index, count;
    };
    // Sets each choice; answers them as a label for failures.
    std::string Apply(const std::vector<Setting>& settings) {
        std::string label;
        for (const Setting& s : settings) {
            SetChoice(s.name, s.index, s.count);
            label += std::string(s.name) + "=" + std::to_string(s.index) + " ";
        }
        return label;
    }
    // Back to the defaults of the optional stages.
    void ResetOptionalStages() {
        SetChoice("NR On/Off", 0, 2);
        SetChoice("Gaussian Type", 2, 3);
        SetChoice("Line Integral On/Off", 0, 2);
        SetChoice("CIE Contrast Equation", 0, 4);
        SetChoice("Contrast Based On", 3, 4);
        Set("Tone Mapping P", 0.0f);
    }
    bool GLErrors() {
        bool any = false;
        while (device->CheckError()) any = true;
        return any;
    }

    std::unique_ptr<IDevice> device;
    std::unique_ptr<AmbrelGraphicsController> engine;
};

// Largest difference of the colour channels, and their mean absolute difference.
struct sDifference {
    int max = 0;
    double mean = 0;
};
sDifference Compare(const sPicture& a, const sPicture& b) {
    sDifference d;
    if (a.width != b.width || a.height != b.height) {
        d.max = 256;
        return d;
    }
    double sum = 0;
    for (size_t i = 0; i < a.rgba.size(); ++i) {
        if (i % 4 == 3) continue;
        const int diff = std::abs(static_cast<int>(a.rgba[i]) - static_cast<int>(b.rgba[i]));
        d.max = std::max(d.max, diff);
        sum += diff;
    }
    d.mean = sum / (static_cast<double>(a.rgba.size()) * 0.75);
    return d;
}

double MeanLevel(const sPicture& p) {
    double sum = 0;
    for (size_t i = 0; i < p.rgba.size(); ++i)
        if (i % 4 != 3) sum += p.rgba[i];
    return p.rgba.empty() ? 0 : sum / (static_cast<double>(p.rgba.size()) * 0.75);
}

// A device drawing into a square layer of `side` pixels, made current.
struct sScreen {
    explicit sScreen(double side)
        : layer(CGRectMake(0, 0, side, side)), device(CDevice::Create(&layer, true, false, false)) {
        if (device) device->MakeCurrent();
    }
    platform::CAEAGLLayer layer;
    std::unique_ptr<IDevice> device;
};

// `p` as the engine's input, shown unprocessed ("Luminance Style" None).
void SetUnprocessedPicture(AmbrelGraphicsController& engine, const sPicture& p) {
    engine.SetAdjustment("Luminance Style", true, 3.5f / 4.0f);
    engine.SetInputPixels(sFrameTime::Make(0, 60), sInputGeometry::Whole(p.width, p.height), 0, kPixelFormatRGBA,
                          p.rgba.data());
}

}  // namespace

// ---- Geometry -------------------------------------------------------------------------------

TEST_F(FrameRenderTest, FitsThePictureIntoTheViewAndLaysOutTheLevels) {
    engine->renderTarget = kRenderTargetScreen;
    engine->SetViewRect(0, 0, 1000, 1000);
    engine->ComputeInputGeometry(sInputGeometry::Whole(3000, 2000));
    EXPECT_EQ(std::vector<int32_t>(engine->outputViewport, engine->outputViewport + 4),
              (std::vector<int32_t>{0, 166, 1000, 668}));
    EXPECT_EQ(engine->letterbox, eLetterbox::TopAndBottom);
    EXPECT_EQ(engine->levelWidths[0], 1000);
    EXPECT_EQ(engine->levelHeights[0], 668);
    EXPECT_TRUE(engine->reducedProcessing);
    EXPECT_EQ(engine->levelWidths[1], 500);
    EXPECT_EQ(engine->levelWidths.back(), 1);
    EXPECT_EQ(engine->levelHeights.back(), 1);

    // The camera's orientation turns the content (aspect 1080 / 1920): bars left and right, and
    // the unreduced level 0 is turned too.
    engine->inputOrientation = 3;
    engine->ComputeInputGeometry(sInputGeometry::Whole(1920, 1080));
    EXPECT_EQ(std::vector<int32_t>(engine->outputViewport, engine->outputViewport + 4),
              (std::vector<int32_t>{218, 0, 564, 1000}));
    EXPECT_EQ(engine->letterbox, eLetterbox::LeftAndRight);
    EXPECT_EQ(engine->levelWidths[0], 564);
    engine->SetViewRect(0, 0, 4000, 4000);
    engine->ComputeInputGeometry(sInputGeometry::Whole(1920, 1080));
    EXPECT_FALSE(engine->reducedProcessing);
    EXPECT_EQ(engine->levelWidths[0], 1080);
    EXPECT_EQ(engine->levelHeights[0], 1920);

    // A single pixel still has seven levels, and zero crop sizes count as one pixel.
    engine->inputOrientation = 0;
    engine->ComputeInputGeometry(sInputGeometry{1, 1, 0, 0, 0, 0, 0, 0, false});
    ASSERT_EQ(engine->levelWidths.size(), 7u);
    for (size_t i = 0; i < 7; ++i) EXPECT_EQ(engine->levelWidths[i] * engine->levelHeights[i], 1) << i;
    for (int32_t v : engine->outputViewport) EXPECT_GE(v, 0);
}

TEST_F(FrameRenderTest, StillsOfEqualGeometryReuseTheTexturesAndAlternateSlots) {
    const sPicture p = SyntheticPicture(32, 24);
    SetPicture(p);
    ITexture2D* first = engine->inputTextures[0].texture;
    ITexture2D* work = engine->workTextures[0];
    const int32_t index = engine->inputIndex;
    SetPicture(p);
    EXPECT_EQ(engine->inputTextures[0].texture, first);
    EXPECT_EQ(engine->workTextures[0], work);
    EXPECT_NE(engine->inputIndex, index);
    // A different size is a new geometry.
    SetPicture(SyntheticPicture(40, 24));
    EXPECT_EQ(engine->inputGeometry.inputWidth, 40);
    EXPECT_EQ(engine->workTextures[0]->GetWidth(), 40);
}

// Another pixel format at the same size makes new input textures: bytes in B, G, R, A order
// give the same picture as the R, G, B, A original.
TEST_F(FrameRenderTest, AnotherPixelFormatAtTheSameSizeMakesNewInputTextures) {
    SetChoice("Luminance Style", 3, 4);
    const sPicture p = SyntheticPicture(32, 24);
    SetPicture(p);
    const sPicture rgba = Render();
    std::vector<uint8_t> bgra(p.rgba);
    for (size_t i = 0; i < bgra.size(); i += 4) std::swap(bgra[i], bgra[i + 2]);
    engine->SetInputPixels(sFrameTime::Make(0, 60), sInputGeometry::Whole(32, 24), 0, kPixelFormatBGRA, bgra.data());
    EXPECT_EQ(engine->inputTextures[0].texture->GetFormat(), FORMAT_BGRA);
    EXPECT_LE(Compare(Render(), rgba).max, 1);
    // An empty picture draws nothing and breaks nothing.
    engine->SetInputPixels(sFrameTime::Make(0, 60), sInputGeometry::Whole(0, 0), 0, kPixelFormatRGBA, nullptr);
    engine->frameDirty = true;
    engine->RenderFrame();
    SetPicture(p);
    EXPECT_LE(Compare(Render(), rgba).max, 1);
    EXPECT_FALSE(GLErrors());
}

// ---- Rendering ------------------------------------------------------------------------------

// Without processing the output is the input: exactly for None, and within rounding of the
// colour-space round trip for None with Color Adjustments at neutral values.
TEST_F(FrameRenderTest, NeutralParametersGiveTheInputBack) {
    const sPicture p = SyntheticPicture(96, 64);
    SetPicture(p);
    struct Case {
        int32_t style;
        int maxDifference;
    };
    for (const Case& c : {Case{3, 1}, Case{2, 1}, Case{1, 1}}) {
        SetChoice("Luminance Style", c.style, 4);
        const sPicture out = Render();
        const sDifference d = Compare(out, p);
        EXPECT_LE(d.max, c.maxDifference) << "style " << c.style;
    }
    EXPECT_FALSE(GLErrors());
}

// The CIE chain with no contrast gain (K 0), no brightness curve and no filmic roll-off
// decomposes and rebuilds the luminance unchanged: the output is the input within 2/255 per
// channel (half-float luminance, 8-bit intermediates). At its defaults it changes the picture.
TEST_F(FrameRenderTest, NeutralCIEChainGivesTheInputBack) {
    const sPicture photo = Photograph(96);
    ASSERT_GT(photo.width, 0) << "sample photograph missing (lomiri-wallpapers-16.04)";
    engine->SetViewRect(0, 0, photo.width, photo.height);
    SetPicture(photo);
    SetChoice("Luminance Style", 0, 4);
    const sPicture processed = Render();
    EXPECT_GT(Compare(processed, photo).mean, 2.0);
    Set("CIE Contrast K Strength", 0.0f);
    Set("Alg CIE Brightness Strength", 0.0f);
    Set("Alg Filmic Strength", 0.0f);
    const sDifference d = Compare(Render(), photo);
    EXPECT_LE(d.max, 2);
    EXPECT_LT(d.mean, 0.5);
    EXPECT_FALSE(GLErrors());
}

// The local standard deviation damps the contrast gain on busy texture, by one less "CIE Halo
// Strength". Its first pass keeps the sum of values and the sum of their squares side by side:
// a store with room for the first only would leave the deviation 0 everywhere, and the strength
// would do nothing. On a fine checkerboard of 88 and 168 the deviation is 40/255 (0.157, past the
// damping ramp's top of 0.09), so the halo removal must show fully.
TEST_F(FrameRenderTest, HaloRemovalDampsTheGainOnFineTexture) {
    sPicture p{64, 64, std::vector<uint8_t>(64 * 64 * 4)};
    for (int32_t y = 0; y < p.height; ++y)
        for (int32_t x = 0; x < p.width; ++x) {
            uint8_t* px = &p.rgba[(static_cast<size_t>(y) * p.width + x) * 4];
            px[0] = px[1] = px[2] = (x + y) % 2 ? 168 : 88;
            px[3] = 255;
        }
    engine->SetViewRect(0, 0, p.width, p.height);
    SetPicture(p);
    SetChoice("Luminance Style", 0, 4);
    Set("CIE Halo Strength", 1.0f);
    const sPicture undamped = Render();
    Set("CIE Halo Strength", 0.0f);
    const sPicture damped = Render();
    EXPECT_GT(Compare(undamped, damped).mean, 1.0);
    // Damping pulls the gain back towards 1: the result stays nearer the input.
    EXPECT_LT(Compare(damped, p).mean, Compare(undamped, p).mean);
    EXPECT_FALSE(GLErrors());
}

// Every style, and the chain's optional stages, run on a real photograph without GL errors and
// give a picture (not black, not white).
TEST_F(FrameRenderTest, EveryStyleRunsItsChainOnAPhotograph) {
    const sPicture photo = UsePhotograph();
    ASSERT_GT(photo.width, 0) << "sample photograph missing (lomiri-wallpapers-16.04)";
    const std::vector<std::vector<Setting>> cases = {
        {{"Luminance Style", 0, 4}},
        {{"Luminance Style", 1, 4}},
        {{"Luminance Style", 2, 4}},
        {{"Luminance Style", 3, 4}},
        {{"Luminance Style", 0, 4}, {"CIE Contrast Equation", 1, 4}},
        {{"Luminance Style", 0, 4}, {"CIE Contrast Equation", 3, 4}, {"Contrast Based On", 2, 4}},
        {{"Luminance Style", 0, 4}, {"NR On/Off", 1, 2}, {"NR Type", 0, 3}},
        {{"Luminance Style", 0, 4}, {"NR On/Off", 1, 2}, {"NR Type", 1, 3}},
        {{"Luminance Style", 0, 4}, {"NR On/Off", 1, 2}, {"NR Type", 2, 3}, {"NR Flow Field Bilateral SigmaR", 1, 2}},
        {{"Luminance Style", 2, 4}, {"Gaussian Type", 0, 3}},
        {{"Luminance Style", 2, 4}, {"Gaussian Type", 1, 3}, {"Line Integral On/Off", 1, 2}},
        {{"Luminance Style", 0, 4}, {"CIE Contrast Equation", 2, 4}, {"Contrast Based On", 0, 4}},
        {{"Luminance Style", 0, 4}, {"Contrast Based On", 1, 4}, {"Tone Mapping P", 1, 2}},
        {{"Luminance Style", 0, 4}, {"Gaussian Type", 0, 3}, {"Line Integral On/Off", 1, 2}},
    };
    for (const auto& settings : cases) {
        const std::string label = Apply(settings);
        const sPicture out = Render();
        EXPECT_FALSE(GLErrors()) << label;
        const double mean = MeanLevel(out);
        EXPECT_GT(mean, 20.0) << label;
        EXPECT_LT(mean, 235.0) << label;
        EXPECT_LT(Compare(out, photo).mean, 60.0) << label;
        ResetOptionalStages();
    }
}

// Larger pictures filter through deeper pyramids (one more level per halving of the filter
// scale, up to seven): the chain runs at every depth without reading past the pyramid and
// without GL errors.
TEST_F(FrameRenderTest, CIEChainRunsAtEveryPyramidDepth) {
    const sPicture photo = Photograph(160);
    ASSERT_GT(photo.width, 0) << "sample photograph missing (lomiri-wallpapers-16.04)";
    engine->SetViewRect(0, 0, photo.width, photo.height);
    SetChoice("Luminance Style", 0, 4);
    struct Case {
        double scale;
        int32_t levels;
    };
    for (const Case& c : {Case{1.0, 4}, Case{1.5, 5}, Case{3.0, 6}, Case{10.0, 7}}) {
        engine->SetFilterScale(c.scale);
        ASSERT_EQ(engine->levelCount, c.levels);
        SetPicture(photo);
        for (int32_t equation : {0, 3}) {  // Paper (measures the automatic alpha), Sigmoid
            SetChoice("CIE Contrast Equation", equation, 4);
            SetChoice("Contrast Based On", equation == 3 ? 2 : 3, 4);
            const sPicture out = Render();
            const std::string label = "levels " + std::to_string(c.levels) + " equation " + std::to_string(equation);
            EXPECT_FALSE(GLErrors()) << label;
            const double mean = MeanLevel(out);
            EXPECT_GT(mean, 20.0) << label;
            EXPECT_LT(mean, 235.0) << label;
            EXPECT_LT(Compare(out, photo).mean, 60.0) << label;
        }
    }
    // A small picture has no level below the deepest one the chain reads (seven levels in all):
    // the automatic alpha's reduction starts past the pyramid and measures that level itself.
    const sPicture small = SyntheticPicture(40, 24);
    SetPicture(small);
    ASSERT_EQ(engine->levelWidths.size(), 7u);
    SetChoice("CIE Contrast Equation", 0, 4);
    const sPicture out = Render();
    EXPECT_FALSE(GLErrors());
    EXPECT_LT(Compare(out, small).mean, 60.0);
}

// Which passes a frame runs follows from the parameters alone.
TEST_F(FrameRenderTest, StageSelectionFollowsTheParameters) {
    SetChoice("NR On/Off", 1, 2);
    SetChoice("NR Type", 2, 3);  // Flow Field Bilateral
    engine->noiseReduction.bilateral.sigmaR = 0.005f;
    EXPECT_FALSE(NoiseReductionRuns(*engine));
    EXPECT_FALSE(StructureTensorNeeded(*engine));
    engine->noiseReduction.bilateral.sigmaR = 0.006f;
    EXPECT_TRUE(NoiseReductionRuns(*engine));
    EXPECT_TRUE(StructureTensorNeeded(*engine));
    SetChoice("Luminance Style", 3, 4);  // None never reduces noise
    EXPECT_FALSE(NoiseReductionRuns(*engine));
    SetChoice("Luminance Style", 0, 4);

    // Isotropic noise reduction alone has its own input program; with a flow field needed
    // the colour-correction method chooses it.
    SetChoice("NR Type", 1, 3);
    EXPECT_FALSE(StructureTensorNeeded(*engine));
    EXPECT_EQ(InputProgramPair(*engine), 6);
    SetChoice("Line Integral On/Off", 1, 2);
    EXPECT_TRUE(StructureTensorNeeded(*engine));
    const int32_t pairs[11] = {3, 3, 3, 3, 4, 4, 4, 5, 3, 3, 3};  // Deron ... Lab0, Yxy, Lab1, Lab2 ... None
    for (int32_t method = 0; method < 11; ++method) {
        engine->colorCorrection.method = static_cast<eColorCorrectionMethod>(method);
        EXPECT_EQ(InputProgramPair(*engine), pairs[method]) << method;
    }
}

// The line integral walks the flow at level 0, which the pyramid's halvings never reduce: its
// step count follows the requested scale of the picture, not the residual one.
TEST_F(FrameRenderTest, LineIntegralStepsFollowTheRequestedScale) {
    SetPicture(SyntheticPicture(32, 24));
    engine->smoothing.lineIntegralIterations = 2;
    Render();
    EXPECT_EQ(LineIntegralPassCount(*engine), 2);
    engine->SetFilterScale(3.0);  // two halvings, residual 0.75
    Render();
    EXPECT_EQ(LineIntegralPassCount(*engine), 6);
    engine->smoothing.lineIntegralIterations = 0;
    EXPECT_EQ(LineIntegralPassCount(*engine), 0);
}

// A black frame: a 2 × 2 black input drawn unprocessed once, the style kept, and the next
// frame requested with fresh matrices.
TEST_F(FrameRenderTest, DrawBlackImageShowsBlackAndKeepsTheStyle) {
    SetPicture(SyntheticPicture(32, 24));
    SetChoice("Luminance Style", 0, 4);
    Render();
    const uint64_t ticks = engine->frameRate.GetTickCount();
    engine->DrawBlackImage();
    EXPECT_EQ(engine->frameRate.GetTickCount(), ticks + 1);
    EXPECT_EQ(engine->luminanceStyle, eLuminanceStyle::CIE);
    EXPECT_TRUE(engine->frameDirty);
    EXPECT_TRUE(engine->matricesDirty);
    const auto [w, h] = engine->OutputFrameSize();
    ASSERT_EQ(w * h, 4);
    std::vector<uint8_t> bgra(16, 77);
    ASSERT_TRUE(engine->ReadOutputFrame(bgra.data(), 8));
    for (size_t i = 0; i < bgra.size(); ++i) EXPECT_EQ(bgra[i], i % 4 == 3 ? 255 : 0) << i;
    EXPECT_FALSE(GLErrors());
}

// A program that failed to build leaves its slot empty until the next rebuild: the frame skips
// the passes that need it and never draws with a missing program.
// Paints every working texture of the engine, as a frame of something else might leave it.
void PaintWorkingTextures(AmbrelGraphicsController& e, IDevice& device) {
    std::vector<ITexture2D*> all;
    const auto add = [&](const OwnedTexture& t) {
        if (t.get()) all.push_back(t.get());
    };
    for (const OwnedTexture& t : e.levelTextures) add(t);
    for (const auto* group : {&e.levelColorTextures, &e.levelHalfTextures, &e.levelNextTextures, &e.levelVectorTextures,
                              &e.levelMaskTextures})
        for (const OwnedTexture& t : *group) add(t);
    for (const auto& pair : e.levelPairTextures)
        for (const OwnedTexture& t : pair) add(t);
    for (const OwnedTexture& t : e.workTextures) add(t);
    for (const OwnedTexture& t : e.outputTextures) add(t);
    for (const OwnedTexture& t : e.noiseTextures) add(t);
    for (const OwnedTexture& t : e.coarseTextures) add(t);
    for (const OwnedTexture& t : e.unitTextures) add(t);
    add(e.halfColorTexture);
    IFramebuffer* framebuffers = device.GetFramebuffer();
    IFramebufferObject* object = framebuffers->CreateFramebufferObject();
    const QV::Math::CVector4<float> kept = device.GetClearColor();
    device.SetClearColor(1.0f, 0.0f, 1.0f, 0.5f);
    for (ITexture2D* texture : all) {
        object->AttachTexture(ATTACHMENT_COLOR0, texture);
        framebuffers->BindFramebufferObject(object);
        device.Clear(true, false);
    }
    device.SetClearColor(kept);
    framebuffers->BindFramebufferObject(nullptr);
    framebuffers->DeleteFramebufferObject(object);
}

// The passes draw over their targets without clearing them first: every pass must replace
// all of its target, so that whatever a texture held before never shows in a frame.
TEST_F(FrameRenderTest, AFrameOwesNothingToWhatItsTexturesHeldBefore) {
    const sPicture photo = UsePhotograph();
    ASSERT_GT(photo.width, 0) << "sample photograph missing (lomiri-wallpapers-16.04)";
    const std::vector<std::vector<Setting>> cases = {
        {{"Luminance Style", 0, 4}, {"NR On/Off", 1, 2}, {"NR Type", 2, 3}, {"NR Flow Field Bilateral SigmaR", 1, 2}},
        {{"Luminance Style", 0, 4}, {"CIE Contrast Equation", 3, 4}, {"Tone Mapping P", 1, 2}},
        {{"Luminance Style", 2, 4}, {"Gaussian Type", 1, 3}, {"Line Integral On/Off", 1, 2}},
        {{"Luminance Style", 3, 4}},
    };
    for (const auto& settings : cases) {
        const std::string label = Apply(settings);
        const sPicture first = Render();
        PaintWorkingTextures(*engine, *device);
        const sPicture again = Render();
        EXPECT_EQ(Compare(again, first).max, 0) << label;
        EXPECT_FALSE(GLErrors()) << label;
        ResetOptionalStages();
    }
}

TEST_F(FrameRenderTest, PassesWithoutTheirProgramAreSkipped) {
    SetPicture(SyntheticPicture(32, 24));
    SetChoice("Luminance Style", 0, 4);
    SetChoice("Gaussian Type", 1, 3);
    SetChoice("Line Integral On/Off", 1, 2);
    Render();
    for (int32_t pair : {kPairVerticalAlphaBlur, kPairVerticalBlur, kPairHorizontalBlur, kPairGradient0,
                         kPairTensorSmoothing, kPairTensorEigen})
        engine->shaderSets[pair].Release(engine->ProgramVariant());  // not marked stale
    const sPicture out = Render();
    EXPECT_EQ(out.width, 32);
    EXPECT_FALSE(GLErrors());
}

// A full-resolution tile must not measure the statistics anew: it keeps the preview's.
TEST_F(FrameRenderTest, StatisticsAreMeasuredOnlyByPreviewFrames) {
    SetPicture(SyntheticPicture(64, 48));
    Render();
    engine->previewQuality = false;
    sPicture dark{64, 48, std::vector<uint8_t>(64 * 48 * 4, 10)};
    SetPicture(dark);
    const sPicture kept = Render();
    engine->previewQuality = true;
    const sPicture measured = Render();
    EXPECT_GT(Compare(kept, measured).max, 0);
    EXPECT_FALSE(GLErrors());
}

TEST_F(FrameRenderTest, OrientationTurnsThePicture) {
    // A marker in the top-left corner of a 32 × 16 picture.
    sPicture p{32, 16, std::vector<uint8_t>(32 * 16 * 4, 40)};
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 4; ++x) p.rgba[(static_cast<size_t>(y) * 32 + x) * 4] = 250;
    SetChoice("Luminance Style", 3, 4);
    struct Case {
        int64_t orientation;
        bool right, bottom;  // where the marker lands
    };
    for (const Case& c : {Case{0, false, false}, Case{1, true, true}, Case{4, true, false}, Case{5, false, true}}) {
        SetPicture(p, c.orientation);
        const sPicture out = Render();
        ASSERT_EQ(out.width, 32);
        const int32_t x = c.right ? 30 : 1, y = c.bottom ? 14 : 1;
        EXPECT_GT(out.rgba[(static_cast<size_t>(y) * 32 + x) * 4], 200) << c.orientation;
    }
    // Turned a quarter: the sides swap.
    SetPicture(p, 2);
    EXPECT_EQ(Render().width, 16);
}

// ---- Zoom and compare split -----------------------------------------------------------------

TEST_F(FrameRenderTest, ZoomAndSplitSettersFollowTheirRules) {
    engine->SetViewRect(0, 0, 0, 5);
    EXPECT_EQ(engine->viewRect[2], 1);
    EXPECT_TRUE(engine->inputReconfigureRequested);

    engine->SetZoom(0.5f);
    EXPECT_EQ(engine->zoom, 1.0f);
    engine->SetZoom(2.0f);
    EXPECT_EQ(engine->zoom, 2.0f);
    EXPECT_TRUE(engine->zoomMatrix != QV::Math::CMatrix4<float>::Identity());
    engine->SetZoom(1.0f);
    EXPECT_FALSE(engine->zoomMatrix != QV::Math::CMatrix4<float>::Identity());

    const float point[2] = {10.2f, 20.7f};
    engine->SetComparePoint(point);
    EXPECT_FLOAT_EQ(engine->colorAdjustment.split.point.x, 10.5f);
    EXPECT_FLOAT_EQ(engine->colorAdjustment.split.point.y, 21.5f);
}

TEST_F(FrameRenderTest, ZoomMagnifiesAboutTheCentre) {
    const sPicture p = SyntheticPicture(96, 64);
    SetChoice("Luminance Style", 3, 4);
    SetPicture(p);
    engine->SetZoom(2.0f);
    const sPicture out = Render();
    ASSERT_EQ(out.width, 96);
    // Output pixel (x, y) shows input pixel (24 + x / 2, 16 + y / 2).
    for (const auto& [x, y] : std::vector<std::pair<int, int>>{{0, 0}, {48, 32}, {94, 62}, {10, 50}}) {
        const uint8_t* o = &out.rgba[(static_cast<size_t>(y) * 96 + x) * 4];
        const uint8_t* i = &p.rgba[(static_cast<size_t>(16 + y / 2) * 96 + 24 + x / 2) * 4];
        for (int c = 0; c < 3; ++c) EXPECT_NEAR(o[c], i[c], 4) << x << "," << y;
    }
}

// With the split on, the unprocessed picture shows on one side of the line and the processed
// one on the other; the export path switches it off by the same setter.
TEST_F(FrameRenderTest, CompareSplitShowsTheOriginalOnOneSide) {
    const sPicture p = SyntheticPicture(96, 64);
    SetChoice("Luminance Style", 2, 4);
    Set("CA Exposure", 0.8f);
    SetPicture(p);
    const sPicture processed = Render();
    ASSERT_GT(Compare(processed, p).mean, 10.0);

    engine->SetCompareShowing(true);
    engine->SetCompareAngle(0.0f);
    const float point[2] = {48.0f, 32.0f};  // view pixels; the view is the picture's size
    engine->SetComparePoint(point);
    const sPicture split = Render();
    EXPECT_FALSE(GLErrors());
    // Columns far left and far right of the line: one side equals the original, the other the
    // processed picture.
    const auto column = [](const sPicture& s, int x) {
        sPicture c{1, s.height, {}};
        for (int y = 0; y < s.height; ++y)
            c.rgba.insert(c.rgba.end(), &s.rgba[(static_cast<size_t>(y) * s.width + x) * 4],
                          &s.rgba[(static_cast<size_t>(y) * s.width + x) * 4] + 4);
        return c;
    };
    const bool leftOriginal = Compare(column(split, 8), column(p, 8)).max <= 2;
    const bool rightOriginal = Compare(column(split, 88), column(p, 88)).max <= 2;
    EXPECT_NE(leftOriginal, rightOriginal);
    EXPECT_LE(Compare(column(split, leftOriginal ? 88 : 8), column(processed, leftOriginal ? 88 : 8)).max, 2);

    engine->SetCompareShowing(false);
    EXPECT_LE(Compare(Render(), processed).max, 1);
}

// ---- Faults -----------------------------------------------------------------------------

// Back from the background the next frame remakes the freed working textures and renders the
// same picture; the frame never draws into freed textures.
TEST_F(FrameRenderTest, BackgroundFreesAndTheNextFrameRecreates) {
    const sPicture p = SyntheticPicture(64, 48);
    SetPicture(p);
    const sPicture before = Render();
    engine->ApplicationDidEnterBackground();
    EXPECT_EQ(engine->workTextures[0], nullptr);
    EXPECT_TRUE(engine->levelFramebuffers.empty());
    Set("CA Exposure", engine->GetAdjustment("CA Exposure"));  // a redraw request
    const sPicture after = Render();
    ASSERT_NE(engine->workTextures[0], nullptr);
    EXPECT_LE(Compare(before, after).max, 1);
    EXPECT_FALSE(GLErrors());
}

// A picture above the texture limit is reduced to fit instead of rendering black.
TEST_F(FrameRenderTest, PictureAboveTheTextureLimitIsReduced) {
    const int32_t limit = AmbrelGraphicsController::MaxTextureSize();
    const int32_t width = limit + 2, height = 4;
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
    for (size_t i = 0; i < pixels.size(); i += 4)
        pixels[i] = 200, pixels[i + 1] = 100, pixels[i + 2] = 50, pixels[i + 3] = 255;
    SetChoice("Luminance Style", 3, 4);
    engine->SetInputPixels(sFrameTime::Make(0, 60), sInputGeometry::Whole(width, height, 96, 1), 0, kPixelFormatRGBA,
                           pixels.data());
    ASSERT_NE(engine->inputTextures[0].texture, nullptr);
    EXPECT_LE(engine->inputGeometry.inputWidth, limit);
    const sPicture out = Render();
    ASSERT_GT(out.width, 0);
    EXPECT_NEAR(out.rgba[0], 200, 2);
    EXPECT_NEAR(out.rgba[1], 100, 2);
}

// The statistics reduce two pyramid levels a pass where they can; without that program they
// reduce one level a pass. Both measure the same statistics (within the half-float rounding of
// the levels the two-level passes do not store), on a picture whose bright corner makes every
// statistic depend on how each level weighs its edge.
TEST_F(FrameRenderTest, TwoLevelReductionsMeasureWhatOneLevelPassesMeasure) {
    constexpr int32_t kWidth = 90, kHeight = 62;
    const sPicture corner = OpaquePicture(kWidth, kHeight, [](int32_t x, int32_t y) {
        const bool bright = x < 13 && y < 9;
        return bright ? std::array<uint8_t, 3>{250, 240, 230}
                      : std::array<uint8_t, 3>{static_cast<uint8_t>(30 + x % 7), static_cast<uint8_t>(40 + y % 5), 35};
    });
    engine->SetViewRect(0, 0, kWidth, kHeight);
    SetPicture(corner);
    SetChoice("Luminance Style", 0, 4);
    SetChoice("CIE Contrast Equation", 0, 4);  // Paper: the automatic alpha is measured too
    const auto statistics = [&] {
        IFramebufferObject* framebuffer = device->GetFramebuffer()->CreateFramebufferObject();
        std::vector<float> values;
        for (const auto& unit : engine->unitTextures) {
            framebuffer->AttachTexture(ATTACHMENT_COLOR0, unit);
            device->GetFramebuffer()->BindFramebufferObject(framebuffer);
            float rgba[4] = {};
            EXPECT_TRUE(device->GetFramebuffer()->ReadPixels(0, 0, 1, 1, FORMAT_RGBA, PIXEL_TYPE_HALF_FLOAT, 4, rgba));
            values.push_back(rgba[0]);
        }
        device->GetFramebuffer()->DeleteFramebufferObject(framebuffer);
        return values;
    };
    Render();
    const std::vector<float> twoLevels = statistics();
    ASSERT_NE(engine->shaderSets[kPairGrayReductionTwoLevels][engine->ProgramVariant()], nullptr);
    engine->shaderSets[kPairGrayReductionTwoLevels].Release(engine->ProgramVariant());  // not marked stale
    Render();
    const std::vector<float> oneLevel = statistics();
    ASSERT_EQ(twoLevels.size(), 3u);
    for (size_t i = 0; i < twoLevels.size(); ++i)
        EXPECT_NEAR(twoLevels[i], oneLevel[i], 2e-3f * std::max(1.0f, std::fabs(oneLevel[i]))) << "statistic " << i;
    EXPECT_FALSE(GLErrors());
}

// The input pass reads the input unfiltered only where it draws it at its own size: a fine
// checkerboard comes out unchanged at its own size, and as the mean of its two values (not one
// of them) when drawn at half its size, as a camera frame is drawn into the view.
TEST_F(FrameRenderTest, InputIsFilteredWhereItIsScaled) {
    constexpr int32_t kWidth = 64, kHeight = 48;
    const sPicture checker = OpaquePicture(kWidth, kHeight, [](int32_t x, int32_t y) {
        const uint8_t value = (x + y) % 2 == 0 ? 40 : 200;
        return std::array<uint8_t, 3>{value, value, value};
    });
    SetChoice("Luminance Style", 3, 4);
    SetPicture(checker);
    const sPicture own = Render();
    ASSERT_EQ(own.width, kWidth);
    EXPECT_EQ(own.rgba, checker.rgba);

    engine->SetInputPixels(sFrameTime::Make(0, 60), sInputGeometry::Whole(kWidth, kHeight, kWidth / 2, kHeight / 2), 0,
                           kPixelFormatRGBA, checker.rgba.data());
    const sPicture half = Render();
    ASSERT_EQ(half.width, kWidth / 2);
    int worst = 0;
    for (size_t i = 0; i < half.rgba.size(); i += 4)
        worst = std::max(worst, std::abs(static_cast<int>(half.rgba[i]) - 120));
    EXPECT_LE(worst, 2);
    EXPECT_FALSE(GLErrors());
}

TEST_F(FrameRenderTest, ReadOutputFrameChecksTheRowStride) {
    SetPicture(SyntheticPicture(32, 8));
    SetChoice("Luminance Style", 3, 4);
    Render();
    const auto [w, h] = engine->OutputFrameSize();
    ASSERT_EQ(w, 32);
    std::vector<uint8_t> packed(static_cast<size_t>(w) * h * 4);
    EXPECT_FALSE(engine->ReadOutputFrame(packed.data(), static_cast<uint64_t>(w) * 4 - 1));
    EXPECT_FALSE(engine->ReadOutputFrame(nullptr, static_cast<uint64_t>(w) * 4));
    // A buffer one row short of the frame is refused.
    EXPECT_FALSE(engine->ReadOutputFrame(packed.data(), static_cast<uint64_t>(w) * 4, packed.size() - w * 4));
    ASSERT_TRUE(engine->ReadOutputFrame(packed.data(), static_cast<uint64_t>(w) * 4));
    // A wider stride moves every row but the first to its place.
    const uint64_t stride = static_cast<uint64_t>(w) * 4 + 12;
    std::vector<uint8_t> padded(stride * h, 0xAB);
    ASSERT_TRUE(engine->ReadOutputFrame(padded.data(), stride));
    for (int32_t y = 0; y < h; ++y)
        EXPECT_TRUE(
            std::equal(packed.begin() + y * w * 4, packed.begin() + (y + 1) * w * 4, padded.begin() + y * stride))
            << y;
}

// A request the halvings cannot reduce filters at scale 1 with finite spacing, and does not
// rebuild the programs on every frame.
TEST_F(FrameRenderTest, UnreducibleFilterScaleFiltersAtScaleOne) {
    SetPicture(SyntheticPicture(32, 24));
    engine->SetFilterScale(20.0);
    Render();
    const sFilterScale& record = engine->shaderSets.filterScales[0];
    EXPECT_EQ(record.requestedScale, 1.0);
    EXPECT_TRUE(std::isfinite(record.inverseRequestedScale));
    IShaderProgram* blur = engine->shaderSets[kPairHorizontalBlur][0];
    Render();
    EXPECT_EQ(engine->shaderSets[kPairHorizontalBlur][0], blur);
    EXPECT_FALSE(GLErrors());
}

// ---- Small services ---------------------------------------------------------------------

TEST_F(FrameRenderTest, SmoothedFrameTimeReadsTwoBehindTheNewest) {
    sVideoRecording& r = engine->videoRecording;
    for (int32_t i = 0; i < 5; ++i) r.frameTimes[i] = sFrameTime::Make(100 * (i + 1), 600);
    sFrameTime out;
    r.frameTimeIndex = -1;  // before the first frame: entry 2
    engine->SmoothedFrameTime(false, &out);
    EXPECT_EQ(out.value, 300);
    r.frameTimeIndex = 1;  // entry 4
    engine->SmoothedFrameTime(false, &out);
    EXPECT_EQ(out.value, 500);
    // Smoothed over the ring: weights symmetric about the centre and summing to 1.
    r.startTime = sFrameTime::Make(-1, 60);
    engine->SmoothedFrameTime(true, &out);
    const double expected = 0.329354 * 500 + 0.094362 * (300 + 200) + 0.240961 * (400 + 100) + 0.5;
    EXPECT_EQ(out.value, static_cast<int64_t>(expected));
    EXPECT_EQ(out.timescale, 600);
    // Right after the start the centre entry is returned as it is.
    r.startTime = r.frameTimes[4];
    engine->SmoothedFrameTime(true, &out);
    EXPECT_EQ(out.value, 500);
}

TEST_F(FrameRenderTest, LandscapeNeverCancelsAPendingMatrixUpdate) {
    engine->videoRecording.mode = eRecordingMode::RealTime;
    engine->matricesDirty = true;
    engine->SetLandscape(true);
    EXPECT_TRUE(engine->matricesDirty);
    engine->videoRecording.mode = eRecordingMode::Idle;
    engine->matricesDirty = false;
    engine->SetLandscape(false);
    EXPECT_TRUE(engine->matricesDirty);
}

TEST_F(FrameRenderTest, PaperStrengthsGrowFromCoarseToFine) {
    engine->levelCount = 4;
    engine->filterScaleHalvings = 0;
    const std::vector<float> s = engine->ContrastLevelStrengths();
    ASSERT_EQ(s.size(), 3u);
    EXPECT_NEAR(s[0], 1.0f / 3.0f, 1e-6f);
    EXPECT_NEAR(s[1], 2.0f / 3.0f, 1e-6f);
    EXPECT_NEAR(s[2], 1.0f, 1e-6f);
    engine->cie.contrastEquation = eContrastEquation::NonCIE0;
    engine->cie.levelContrastStrengths[2] = 0.25f;
    EXPECT_EQ(engine->ContrastLevelStrengths(), (std::vector<float>{0.25f, 1.0f, 1.0f}));
}

TEST_F(FrameRenderTest, NothingRendersWithoutInputOrRequest) {
    engine->RenderFrame();
    EXPECT_EQ(engine->frameRate.GetTickCount(), 0u);
    SetPicture(SyntheticPicture(16, 16));
    engine->RenderFrame();
    EXPECT_EQ(engine->frameRate.GetTickCount(), 1u);
    engine->RenderFrame();  // nothing pending
    EXPECT_EQ(engine->frameRate.GetTickCount(), 1u);
}

// On screen: a picture at least as large as the view is processed at the view's size and drawn
// straight into the layer, inside the display rectangle (bars where the aspects differ).
TEST(FrameRenderScreenTest, PresentsIntoTheDisplayRectangle) {
    sScreen screen(80);
    ASSERT_NE(screen.device, nullptr);
    platform::CAEAGLLayer& layer = screen.layer;
    IDevice* device = screen.device.get();
    {
        AmbrelGraphicsController engine;
        engine.SetViewRect(0, 0, 80, 80);
        // 160 × 80: fitted as 80 × 40 with bars above and below.
        sPicture p{160, 80, std::vector<uint8_t>(160 * 80 * 4)};
        for (int32_t y = 0; y < 80; ++y)
            for (int32_t x = 0; x < 160; ++x) {
                uint8_t* px = &p.rgba[(static_cast<size_t>(y) * 160 + x) * 4];
                px[0] = y < 40 ? 220 : 30, px[1] = 90, px[2] = x < 80 ? 200 : 20, px[3] = 255;
            }
        // The same picture at 40 × 20, smaller than the view: processed at its own size and
        // scaled into the display rectangle by the screen pass.
        sPicture small{40, 20, std::vector<uint8_t>(40 * 20 * 4)};
        for (int32_t y = 0; y < 20; ++y)
            for (int32_t x = 0; x < 40; ++x)
                std::copy_n(&p.rgba[(static_cast<size_t>(y * 4) * 160 + x * 4) * 4], 4,
                            &small.rgba[(static_cast<size_t>(y) * 40 + x) * 4]);
        for (const auto& [style, picture] :
             {std::pair{3, &p}, std::pair{0, &p}, std::pair{3, &small}, std::pair{0, &small}}) {
            engine.SetAdjustment("Luminance Style", true, (static_cast<float>(style) + 0.5f) / 4.0f);
            engine.SetInputPixels(sFrameTime::Make(0, 60), sInputGeometry::Whole(picture->width, picture->height), 0,
                                  kPixelFormatRGBA, picture->rgba.data());
            EXPECT_EQ(engine.reducedProcessing, picture == &p);
            EXPECT_EQ(std::vector<int32_t>(engine.outputViewport, engine.outputViewport + 4),
                      (std::vector<int32_t>{0, 20, 80, 40}));
            const uint64_t presents = layer.presentedContents().presentCount;
            engine.RenderFrame();
            const platform::CAEAGLLayerContents& shown = layer.presentedContents();
            ASSERT_EQ(shown.presentCount, presents + 1) << style;
            ASSERT_EQ(shown.width, 80);
            const auto at = [&](int x, int y) { return &shown.pixels[(static_cast<size_t>(y) * 80 + x) * 4]; };
            EXPECT_LT(at(40, 5)[0] + at(40, 5)[1] + at(40, 5)[2], 10) << "bar, style " << style;
            // Top left of the picture: red and blue high; bottom right: both low.
            EXPECT_GT(at(10, 25)[0], 150) << style;
            EXPECT_GT(at(10, 25)[2], 120) << style;
            EXPECT_LT(at(70, 55)[0], 90) << style;
            EXPECT_LT(at(70, 55)[2], 80) << style;
        }
        EXPECT_FALSE(device->CheckError());
    }
}

// A camera frame arrives as a pixel buffer: after a still it reconfigures (another kind of
// input at the same size) and renders the frame's pixels.
TEST_F(FrameRenderTest, CameraFrameAfterAStillReconfiguresAndRenders) {
    SetChoice("Luminance Style", 3, 4);
    const sPicture p = SyntheticPicture(32, 16);
    SetPicture(p);
    EXPECT_FALSE(engine->inputIsPixelBuffer);

    platform::CVPixelBufferRef buffer;
    ASSERT_EQ(platform::CVPixelBufferCreate(32, 16, platform::kCVPixelFormatType_32BGRA, &buffer),
              platform::kCVReturnSuccess);
    platform::CVPixelBufferLockBaseAddress(buffer, 0);
    auto* base = static_cast<uint8_t*>(platform::CVPixelBufferGetBaseAddress(buffer));
    for (size_t y = 0; y < 16; ++y)
        for (size_t x = 0; x < 32; ++x) {
            uint8_t* px = base + y * buffer->bytesPerRow() + x * 4;
            px[0] = 30, px[1] = 120, px[2] = 210, px[3] = 255;  // B, G, R, A
        }
    platform::CVPixelBufferUnlockBaseAddress(buffer, 0);
    engine->SetInputPixelBuffer(sFrameTime::Make(0, 60), sInputGeometry::Whole(32, 16), 0, kPixelFormatBGRA, buffer);
    EXPECT_TRUE(engine->inputIsPixelBuffer);
    ASSERT_TRUE(engine->inputTextures[0].texture->IsCached());
    const sPicture out = Render();
    ASSERT_EQ(out.width, 32);
    EXPECT_NEAR(out.rgba[0], 210, 2);
    EXPECT_NEAR(out.rgba[1], 120, 2);
    EXPECT_NEAR(out.rgba[2], 30, 2);

    // A frame above the texture limit cannot be reduced without a copy: it is dropped and the
    // engine keeps the last one.
    const int32_t limit = AmbrelGraphicsController::MaxTextureSize();
    platform::CVPixelBufferRef large;
    ASSERT_EQ(platform::CVPixelBufferCreate(limit + 1, 1, platform::kCVPixelFormatType_32BGRA, &large),
              platform::kCVReturnSuccess);
    const int32_t index = engine->inputIndex;
    engine->frameDirty = false;
    engine->SetInputPixelBuffer(sFrameTime::Make(1, 60), sInputGeometry::Whole(limit + 1, 1, 32, 16), 0,
                                kPixelFormatBGRA, large);
    EXPECT_EQ(engine->inputIndex, index);
    EXPECT_EQ(engine->inputGeometry.inputWidth, 32);
    EXPECT_FALSE(engine->frameDirty);

    // A still after camera frames reconfigures back to packed pixels.
    SetPicture(p);
    EXPECT_FALSE(engine->inputIsPixelBuffer);
    EXPECT_FALSE(engine->inputTextures[0].texture->IsCached());
    EXPECT_LE(Compare(Render(), p).max, 1);
    EXPECT_FALSE(GLErrors());
}

// A frame in the cache state keeps the result before the colour adjustment; a frame in the
// use-cache state restarts from it (no input, tensor, noise or contrast pass) and applies the
// current colour adjustment, so it equals a full frame of the cached picture.
TEST_F(FrameRenderTest, UseCacheRestartsFromTheKeptResult) {
    const sPicture p = SyntheticPicture(64, 48);
    SetChoice("Luminance Style", 0, 4);
    SetPicture(p);
    engine->styleStageMode = eStyleStageMode::RenderAndKeep;
    Render();
    engine->styleStageMode = eStyleStageMode::Neither;
    Set("CA Exposure", 0.7f);
    const sPicture full = Render();

    engine->styleStageMode = eStyleStageMode::RenderFromKept;
    SetPicture(sPicture{64, 48, std::vector<uint8_t>(64 * 48 * 4, 200)});  // not rendered in this state
    const sPicture cached = Render();
    EXPECT_LE(Compare(cached, full).max, 1);
    EXPECT_FALSE(GLErrors());
}

// Offscreen frames are shown only every `frameDivider` ticks; a divider of 0 shows none (the
// frame is flushed). On-screen frames are always shown.
TEST(FrameRenderScreenTest, PresentDividerPacesOffscreenFrames) {
    sScreen screen(32);
    ASSERT_NE(screen.device, nullptr);
    platform::CAEAGLLayer& layer = screen.layer;
    IDevice* device = screen.device.get();
    AmbrelGraphicsController engine;
    engine.SetViewRect(0, 0, 32, 32);
    SetUnprocessedPicture(engine, SyntheticPicture(16, 16));
    engine.renderTarget = kRenderTargetOffscreen;
    const auto frames = [&](int n) {
        const uint64_t before = layer.presentedContents().presentCount;
        for (int i = 0; i < n; ++i) {
            engine.frameDirty = true;
            engine.RenderFrame();
        }
        return layer.presentedContents().presentCount - before;
    };
    engine.frameDivider = 0;
    EXPECT_EQ(frames(3), 0u);
    engine.frameDivider = 2;
    EXPECT_EQ(frames(4), 2u);
    engine.renderTarget = kRenderTargetScreen;
    engine.frameDivider = 0;
    EXPECT_EQ(frames(2), 2u);
    EXPECT_FALSE(device->CheckError());
}

// The screen pass turns the picture: a quarter turn of a wide picture in a square view shows
// it upright-turned, still inside the view.
TEST(FrameRenderScreenTest, OutputRotationTurnsTheScreenPicture) {
    sScreen screen(64);
    ASSERT_NE(screen.device, nullptr);
    platform::CAEAGLLayer& layer = screen.layer;
    IDevice* device = screen.device.get();
    AmbrelGraphicsController engine;
    engine.SetViewRect(0, 0, 64, 64);
    // 32 × 16, smaller than the view: drawn through the screen pass. Left half red, right blue.
    sPicture p{32, 16, std::vector<uint8_t>(32 * 16 * 4)};
    for (int32_t y = 0; y < 16; ++y)
        for (int32_t x = 0; x < 32; ++x) {
            uint8_t* px = &p.rgba[(static_cast<size_t>(y) * 32 + x) * 4];
            px[0] = x < 16 ? 230 : 0, px[1] = 0, px[2] = x < 16 ? 0 : 230, px[3] = 255;
        }
    SetUnprocessedPicture(engine, p);
    engine.RenderFrame();
    const auto& shown = layer.presentedContents();
    const auto at = [&](int x, int y) { return &shown.pixels[(static_cast<size_t>(y) * 64 + x) * 4]; };
    ASSERT_EQ(shown.width, 64);
    EXPECT_GT(at(8, 32)[0], 200);                // red on the left
    EXPECT_GT(at(56, 32)[2], 200);               // blue on the right
    EXPECT_LT(at(32, 4)[0] + at(32, 4)[2], 10);  // bar above

    engine.SetOutputRotation(static_cast<float>(M_PI / 2));
    engine.frameDirty = true;
    engine.RenderFrame();
    // A quarter turn counter-clockwise: red at the bottom, blue at the top, bars at the sides.
    EXPECT_GT(at(32, 56)[0], 200);
    EXPECT_GT(at(32, 8)[2], 200);
    EXPECT_LT(at(4, 32)[0] + at(4, 32)[2], 10);
    EXPECT_FALSE(device->CheckError());
}

// Real-time recording: the ring warms up before the first frame goes to the recorder, the
// start time is the input time of that first frame, and audio passes only while recording.
TEST_F(FrameRenderTest, RecordingWarmsUpBeforeHandingFramesToTheRecorder) {
    auto recorder = std::make_shared<FakeRecorder>();
    sVideoRecording& r = engine->videoRecording;
    r.recorder = recorder;
    engine->SetAudio(AudioSampleRef());
    EXPECT_EQ(recorder->audio, 0);

    r.mode = eRecordingMode::RealTime;
    r.pendingFrames = -2;
    r.latency = 2;
    const sPicture p = SyntheticPicture(32, 16);
    std::vector<int> recordedAfter;
    for (int frame = 1; frame <= 8; ++frame) {
        engine->SetInputPixels(sFrameTime::Make(10 * frame, 600), sInputGeometry::Whole(32, 16), 0, kPixelFormatRGBA,
                               p.rgba.data());
        engine->RenderFrame();
        recordedAfter.push_back(recorder->frames);
    }
    EXPECT_EQ(recordedAfter, (std::vector<int>{0, 0, 0, 0, 0, 0, 1, 2}));
    EXPECT_EQ(r.startTime.value, 50);  // the fifth frame's, the first one handed over
    EXPECT_EQ(r.frameTimes[((r.frameTimeIndex % 5) + 5) % 5].value, 80);  // the newest frame's time
    engine->SetAudio(AudioSampleRef());
    EXPECT_EQ(recorder->audio, 1);
    r.mode = eRecordingMode::Idle;
}

// Asset frames: the recorded frame is read into the caller's buffer with its row stride.
TEST_F(FrameRenderTest, AssetFrameIsReadIntoTheCallersBuffer) {
    SetChoice("Luminance Style", 3, 4);
    sPicture p{32, 16, std::vector<uint8_t>(32 * 16 * 4)};
    for (size_t i = 0; i < p.rgba.size(); i += 4)
        p.rgba[i] = 200, p.rgba[i + 1] = 100, p.rgba[i + 2] = 50, p.rgba[i + 3] = 255;
    SetPicture(p);
    Render();
    sVideoRecording& r = engine->videoRecording;
    ASSERT_EQ(engine->OutputFrameSize(), (std::pair<int32_t, int32_t>{32, 16}));
    std::vector<uint8_t> buffer(144 * 16, 0);
    sFrameTime time;
    r.mode = eRecordingMode::VideoAsset;
    r.outputPixels = buffer.data();
    r.outputBytesPerRow = 144;
    r.outputTime = &time;
    r.frameTimes[((r.frameTimeIndex - 2) % 5 + 5) % 5] = sFrameTime::Make(42, 600);
    EXPECT_TRUE(engine->RecordFrame());
    EXPECT_EQ(time.value, 42);
    EXPECT_EQ(buffer[144 * 15 + 0], 50);   // B of the last row
    EXPECT_EQ(buffer[144 * 15 + 2], 200);  // R
    EXPECT_EQ(buffer[144 * 15 + 128], 0);  // the stride's padding is left alone
    // A stride too narrow for the frame writes nothing and says so.
    std::vector<uint8_t> narrow(64 * 16, 0xCD);
    r.outputPixels = narrow.data();
    r.outputBytesPerRow = 64;
    EXPECT_FALSE(engine->RecordFrame());
    EXPECT_TRUE(std::all_of(narrow.begin(), narrow.end(), [](uint8_t b) { return b == 0xCD; }));
    r.mode = eRecordingMode::Idle;
    r.outputPixels = nullptr;
    r.outputTime = nullptr;
    EXPECT_FALSE(engine->RecordFrame());
}
