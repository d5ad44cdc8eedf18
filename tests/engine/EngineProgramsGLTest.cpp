// The engine's builders on a real device: which pairs they fill, for which variant, with
// programs that compile and link at small and large varying caps, and the look texture.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>

#include "engine/AmbrelGraphicsController.h"
#include "engine/EnginePrograms.h"
#include "engine/ParameterValues.h"
#include "engine/ProgramBuild.h"
#include "gpu/Device.h"
#include "gpu/Shader.h"
#include "platform/imageio/ImageIO.h"
#include "support/Resources.h"

using namespace QV::Graphics;

namespace {

class EngineProgramsTest : public ::testing::Test {
protected:
    void SetUp() override {
        device = CDevice::Create(nullptr, true, false, false);
        ASSERT_NE(device, nullptr);
        engine = std::make_unique<AmbrelGraphicsController>(TAVORIN_RESOURCE_DIR);
    }
    void TearDown() override {
        engine.reset();
        device.reset();
    }

    IShaderProgram* Program(int32_t pair, int32_t variant = 0) { return engine->shaderSets[pair][variant]; }
    CShaderProgram* Built(int32_t pair) { return dynamic_cast<CShaderProgram*>(Program(pair)); }

    void BuildAll() {
        BuildCopyPrograms(engine->ProgramContext());
        BuildDisplayPrograms(engine->ProgramContext(), engine->inputTextureMatrix);
        BuildDarkMaskPrograms(engine->ProgramContext());
        BuildBoxMeanPrograms(engine->ProgramContext());
        BuildNoiseReductionPrograms(engine->noiseReduction, engine->colorCorrection.method, engine->ProgramContext());
        BuildStructureTensorFilterPrograms(engine->ProgramContext());
        BuildGaussianPrograms(engine->smoothing, engine->ProgramContext());
        BuildToneMappingPrograms(engine->toneMapping, engine->ProgramContext());
        BuildColorCorrectionProgram(engine->colorCorrection, engine->ProgramContext());
        BuildColorAdjustmentProgram(engine->colorAdjustment, engine->ProgramContext());
    }
    // Every pair of `pairs` holds a built program in variant 0, and no other pair holds one.
    void ExpectBuilt(const std::set<int32_t>& pairs, const std::string& what) {
        for (int32_t pair = 0; pair < kProgramPairCount; ++pair) {
            if (pairs.count(pair)) {
                ASSERT_NE(Program(pair), nullptr) << what << ": pair " << pair;
                EXPECT_TRUE(Program(pair)->IsBuilt()) << what << ": pair " << pair;
            } else {
                EXPECT_EQ(Program(pair), nullptr) << what << ": pair " << pair;
            }
            EXPECT_EQ(Program(pair, 1), nullptr) << what << ": variant 1 of pair " << pair;
        }
    }
    void ReleaseAll() {
        for (auto& pair : engine->shaderSets.pairs) AmbrelGraphicsController::ReleaseProgram(pair);
    }

    std::unique_ptr<IDevice> device;
    std::unique_ptr<AmbrelGraphicsController> engine;
};

const std::set<int32_t> kAlwaysBuilt = {0,  1,  2,  3,  4,  5,  6,  7,  11, 12, 13, 14, 19,
                                        20, 25, 27, 28, 30, 31, 32, 33, 34, 35, 38, 39, 40};

std::set<int32_t> With(std::set<int32_t> pairs, std::initializer_list<int32_t> more) {
    pairs.insert(more);
    return pairs;
}

TEST_F(EngineProgramsTest, EveryBuilderCompilesAtSmallAndLargeVaryingCaps) {
    struct Settings {
        int32_t nrDimension;
        bool scaleOnSave;
        bool sameAsGPUImage;
        int32_t toneMapDimension;
        int32_t method;
        float scale;
        int32_t precision;
    };
    const Settings settings[] = {
        {9, false, false, 5, 0, 1.0f, 2}, {3, true, true, 7, 4, 1.2f, 2},   {11, false, true, 9, 7, 1.3f, 1},
        {5, true, false, 7, 5, 0.8f, 1},  {7, false, false, 9, 3, 1.0f, 2}, {4, false, false, 5, 10, 1.0f, 2},
    };
    for (int32_t cap : {16, 64}) {
        for (const Settings& s : settings) {
            for (int32_t gaussian : {0, 1, 2}) {
                engine->maxVaryingVectors = cap;
                engine->noiseReduction.dimension = s.nrDimension;
                engine->noiseReduction.scaleOnSave = s.scaleOnSave;
                engine->noiseReduction.flowField.shaderSameAsGPUImage = s.sameAsGPUImage;
                engine->noiseReduction.isotropic.shaderSameAsGPUImage = !s.sameAsGPUImage;
                engine->toneMapping.dimension = s.toneMapDimension;
                engine->colorCorrection.method = static_cast<eColorCorrectionMethod>(s.method);
                engine->smoothing.type = static_cast<eGaussianType>(gaussian);
                engine->shaderSets.precisions[0] = s.precision;
                sFilterScale& record = engine->shaderSets.filterScales[0];
                record.scale = record.requestedScale = s.scale;
                record.scaleF = record.requestedScaleF = s.scale;
                record.ComputeDerived();
                engine->colorAdjustment.temperature = 0.25f;
                BuildAll();
                const std::string what = "cap " + std::to_string(cap) + " NR " + std::to_string(s.nrDimension) +
                                         " gaussian " + std::to_string(gaussian) + " method " +
                                         std::to_string(s.method);
                const std::set<int32_t> built = gaussian == 0   ? With(kAlwaysBuilt, {26, 36, 37})
                                                : gaussian == 1 ? With(kAlwaysBuilt, {26, 37})
                                                                : With(kAlwaysBuilt, {26});
                ExpectBuilt(built, what);
                ReleaseAll();
            }
        }
    }
}

TEST_F(EngineProgramsTest, SecondRunOnlyRefreshesTheInputMatrix) {
    BuildAll();
    IShaderProgram* before[kProgramPairCount];
    for (int32_t pair = 0; pair < kProgramPairCount; ++pair) before[pair] = Program(pair);
    engine->inputTextureMatrix = QV::Math::CMatrix4<float>::Scale(2, 3, 1);
    BuildAll();
    for (int32_t pair = 0; pair < kProgramPairCount; ++pair) EXPECT_EQ(Program(pair), before[pair]) << "pair " << pair;
    for (int32_t pair = 3; pair <= 7; ++pair) {
        auto* matrix = dynamic_cast<CUniformMatrix4fv*>(Built(pair)->FindUniform("uModelViewProjectionTextureMatrix"));
        ASSERT_NE(matrix, nullptr) << pair;
        ASSERT_EQ(matrix->pending.size(), 1u);
        for (int i = 0; i < 16; ++i) EXPECT_EQ(matrix->pending[0].m[i], engine->inputTextureMatrix.m[i]) << pair;
    }
}

TEST_F(EngineProgramsTest, FullResolutionVariantLeavesThePreviewAlone) {
    const AmbrelGraphicsController::RequestScope scope(*engine, sRenderRequest::FullResolution());
    engine->colorAdjustment.exposure = 0.5f;
    BuildAll();
    for (int32_t pair = 0; pair < kProgramPairCount; ++pair) {
        EXPECT_EQ(Program(pair, 0), nullptr) << pair;
        EXPECT_EQ(Program(pair, 1) != nullptr, kAlwaysBuilt.count(pair) > 0 || pair == 26) << pair;
    }
}

TEST_F(EngineProgramsTest, ColourAdjustmentExistsOnlyWhileAStageIsActive) {
    BuildColorAdjustmentProgram(engine->colorAdjustment, engine->ProgramContext());
    EXPECT_EQ(Program(kPairColorAdjustment), nullptr) << "defaults change nothing";

    engine->colorAdjustment.temperature = 1e-6f;
    BuildColorAdjustmentProgram(engine->colorAdjustment, engine->ProgramContext());
    EXPECT_EQ(Program(kPairColorAdjustment), nullptr);

    engine->colorAdjustment.temperature = 2e-6f;
    engine->colorAdjustment.effectStrength = 0.5f;
    engine->colorAdjustment.split.on = true;
    BuildColorAdjustmentProgram(engine->colorAdjustment, engine->ProgramContext());
    CShaderProgram* program = Built(kPairColorAdjustment);
    ASSERT_NE(program, nullptr);
    EXPECT_TRUE(program->IsBuilt());
    auto* temperature = dynamic_cast<CUniform1f*>(program->FindUniform("uTemperature"));
    ASSERT_NE(temperature, nullptr);
    EXPECT_EQ(temperature->pending, 2e-6f);
    auto* img1 = dynamic_cast<CUniformSampler*>(program->FindUniform("img1"));
    ASSERT_NE(img1, nullptr);
    EXPECT_EQ(img1->pending, 1);

    // While it lives, every call refreshes the uniforms (the split follows the engine).
    engine->colorAdjustment.split.angle = 0.5f;
    BuildColorAdjustmentProgram(engine->colorAdjustment, engine->ProgramContext());
    EXPECT_EQ(Program(kPairColorAdjustment), program);
    auto* split = dynamic_cast<CUniform4f*>(program->FindUniform("uSplit"));
    ASSERT_NE(split, nullptr);
    EXPECT_FLOAT_EQ(split->pending.z, std::cos(0.5f));
}

TEST_F(EngineProgramsTest, ColourCorrectionSetsItsStrength) {
    engine->colorCorrection.method = eColorCorrectionMethod::Reinhard;
    engine->colorCorrection.strength = 0.2f;
    engine->colorCorrection.cieOn = true;
    BuildColorCorrectionProgram(engine->colorCorrection, engine->ProgramContext());
    CShaderProgram* program = Built(kPairColorCorrection);
    ASSERT_NE(program, nullptr);
    ASSERT_TRUE(program->IsBuilt());
    auto* strength = dynamic_cast<CUniform1f*>(program->FindUniform("uColorCorrectionStrength"));
    ASSERT_NE(strength, nullptr);
    EXPECT_FLOAT_EQ(strength->pending, 1.0f / 4.0f);  // Reinhard: 1 / (5s + 1)²
    EXPECT_NE(program->FindUniform("uColorCorrectionCIE"), nullptr);
}

TEST_F(EngineProgramsTest, ColourCorrectionDeclaresAndSetsOnlyWhatItsSwitchesUse) {
    struct Case {
        int32_t method;
        bool cie, pouliAfter, pouliSaturation;
        bool strength, cieUniform, exponent;
    };
    const Case cases[] = {
        {0, true, false, true, true, true, false},     // saturation needs the Pouli step
        {0, false, true, true, true, false, true},     // Pouli after the method
        {3, true, false, true, false, false, true},    // Pouli itself: no luminance, no CIE pair
        {10, true, true, false, false, false, false},  // None
        {5, false, false, false, true, false, false},
    };
    engine->colorCorrection.pouliSaturationExponent = 0.9f;
    for (const Case& c : cases) {
        engine->colorCorrection.method = static_cast<eColorCorrectionMethod>(c.method);
        engine->colorCorrection.cieOn = c.cie;
        engine->colorCorrection.pouliPost = c.pouliAfter;
        engine->colorCorrection.pouliSaturation = c.pouliSaturation;
        AmbrelGraphicsController::ReleaseProgram(engine->shaderSets[kPairColorCorrection]);
        BuildColorCorrectionProgram(engine->colorCorrection, engine->ProgramContext());
        CShaderProgram* program = Built(kPairColorCorrection);
        ASSERT_TRUE(program && program->IsBuilt()) << c.method;
        EXPECT_EQ(program->FindUniform("uColorCorrectionStrength") != nullptr, c.strength) << c.method;
        EXPECT_EQ(program->FindUniform("uColorCorrectionCIE") != nullptr, c.cieUniform) << c.method;
        auto* exponent = dynamic_cast<CUniform1f*>(program->FindUniform("uPouliSaturationExponent"));
        EXPECT_EQ(exponent != nullptr, c.exponent) << c.method;
        if (exponent) {
            EXPECT_FLOAT_EQ(exponent->pending, 0.9f);
        }
    }
}

TEST_F(EngineProgramsTest, SwitchingTheGaussianToFlowFieldRebuildsOnlyItsReleasedPair) {
    engine->smoothing.type = eGaussianType::Isotropic;
    BuildGaussianPrograms(engine->smoothing, engine->ProgramContext());
    IShaderProgram* second = Program(kPairSmoothingSecond);
    ASSERT_NE(second, nullptr);
    ASSERT_NE(Program(kPairSmoothingFirst), nullptr);
    AmbrelGraphicsController::ReleaseProgram(engine->shaderSets[kPairSmoothingFirst]);
    engine->smoothing.type = eGaussianType::FlowField;
    BuildGaussianPrograms(engine->smoothing, engine->ProgramContext());
    EXPECT_EQ(Program(kPairSmoothingSecond), second);
    CShaderProgram* flow = Built(kPairSmoothingFirst);
    ASSERT_TRUE(flow && flow->IsBuilt());
    // The flow blur steps along the flow field in both axes; the separable blur along one.
    EXPECT_NE(flow->FindUniform("uInvTextureDimensions"), nullptr);
    EXPECT_EQ(flow->FindUniform("uInvTextureDimension"), nullptr);
}

TEST_F(EngineProgramsTest, AProgramThatFailsIsKeptUnbuiltAndSkipped) {
    IShaderProgram* slot = nullptr;
    IShaderProgram* program = BuildEngineProgram(
        slot, 2, [] { return std::string("precision highp float;\nvoid main() {"); }, "Broken");
    EXPECT_EQ(program, slot);
    ASSERT_NE(slot, nullptr);
    EXPECT_FALSE(slot->IsBuilt());
    device->GetShader()->DeleteProgram(slot);
}

// ---- Looks ------------------------------------------------------------------------------------

class LookTest : public EngineProgramsTest {
protected:
    void SetUp() override {
        EngineProgramsTest::SetUp();
        directory = std::filesystem::temp_directory_path() / ("tavorin-looks-" + std::to_string(::getpid()));
        // The shipped looks, which a test may overwrite with a faulty image of its own.
        std::filesystem::create_directories(directory);
        for (const auto& entry :
             std::filesystem::directory_iterator(std::filesystem::path(TAVORIN_RESOURCE_DIR) / "looks"))
            std::filesystem::copy_file(entry.path(), directory / entry.path().filename());
        engine->resourceDirectory = directory.string();
    }
    void TearDown() override {
        std::filesystem::remove_all(directory);
        EngineProgramsTest::TearDown();
    }
    void SelectLook(int32_t look) {
        engine->colorAdjustment.toneMap = look;
        engine->ReleaseLookTexture();
        AmbrelGraphicsController::ReleaseProgram(engine->shaderSets[kPairColorAdjustment]);
        BuildColorAdjustmentProgram(engine->colorAdjustment, engine->ProgramContext());
    }

    std::filesystem::path directory;
};

TEST_F(LookTest, ColourAndGreyLooksGetTheirLayouts) {
    SelectLook(1);  // Gotham
    ITexture2D* gotham = engine->lookTexture;
    ASSERT_NE(gotham, nullptr);
    EXPECT_EQ(gotham->GetWidth(), 256);
    EXPECT_EQ(gotham->GetHeight(), 256);
    EXPECT_EQ(gotham->GetFormat(), FORMAT_RGBA);
    EXPECT_EQ(gotham->GetTemplate().magFilter, FILTER_NEAREST);
    EXPECT_EQ(LoadedToneMapLook(engine->lookTexture), 1);
    CShaderProgram* program = Built(kPairColorAdjustment);
    ASSERT_NE(program, nullptr);
    EXPECT_NE(program->FindUniform("uToneMapStrength"), nullptr);
    auto* img2 = dynamic_cast<CUniformSampler*>(program->FindUniform("img2"));
    ASSERT_NE(img2, nullptr);
    EXPECT_EQ(img2->pending, 2);

    SelectLook(15);  // Inkwell
    ASSERT_NE(engine->lookTexture, nullptr);
    EXPECT_NE(engine->lookTexture->GetFormat(), FORMAT_RGBA);
    EXPECT_EQ(engine->lookTexture->GetHeight(), 1);
    EXPECT_EQ(engine->lookTexture->GetTemplate().magFilter, FILTER_LINEAR);
    EXPECT_EQ(LoadedToneMapLook(engine->lookTexture), 15);
}

TEST_F(LookTest, AnUnusableImageLeavesTheLookOut) {
    // A one-pixel "strip" and a file that is no image at all, found before the shipped ones.
    platform::ImageBitmap tiny = *platform::ImageBitmap::make(1, 1);
    ASSERT_TRUE(
        platform::WriteImageFile(tiny, platform::ImageFileType::PNG, {}, (directory / "toneMapAmaro.png").string()));
    std::ofstream(directory / "toneMapHudson.png") << "not a picture";

    for (int32_t look : {2, 5}) {
        engine->colorAdjustment.temperature = 0.0f;
        SelectLook(look);
        EXPECT_EQ(engine->lookTexture, nullptr) << look;
        EXPECT_EQ(Program(kPairColorAdjustment), nullptr) << "the look was the only stage: no pass";

        engine->colorAdjustment.temperature = 0.3f;
        SelectLook(look);
        CShaderProgram* program = Built(kPairColorAdjustment);
        ASSERT_NE(program, nullptr) << look;
        EXPECT_TRUE(program->IsBuilt());
        EXPECT_EQ(program->FindUniform("uToneMapStrength"), nullptr) << "no look stage without its texture";
        EXPECT_EQ(program->FindUniform("img2"), nullptr);
    }
    // The shipped image of another look still loads.
    SelectLook(3);
    EXPECT_NE(engine->lookTexture, nullptr);
}

TEST_F(LookTest, AnImageLargerThanTheDeviceTakesIsLoggedAndLeftOut) {
    const int32_t width = device->GetTexture()->GetMaxTextureSize() + 1;
    auto wide = platform::ImageBitmap::make(static_cast<uint32_t>(width), 1);
    ASSERT_TRUE(wide);
    ASSERT_TRUE(
        platform::WriteImageFile(*wide, platform::ImageFileType::PNG, {}, (directory / "toneMapRise.png").string()));
    engine->colorAdjustment.temperature = 0.3f;
    testing::internal::CaptureStderr();
    SelectLook(4);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("Rise"), std::string::npos) << log;
    EXPECT_NE(log.find("exceeds the largest texture"), std::string::npos) << log;
    EXPECT_EQ(engine->lookTexture, nullptr);
    CShaderProgram* program = Built(kPairColorAdjustment);
    ASSERT_TRUE(program && program->IsBuilt());
    EXPECT_EQ(program->FindUniform("img2"), nullptr) << "no look stage sampling an empty unit";
}

TEST_F(LookTest, ATextureOfAnotherLookIsNeverSampled) {
    SelectLook(2);
    ASSERT_EQ(LoadedToneMapLook(engine->lookTexture), 2);
    // The look index moves without its texture being deleted (as a change made while the
    // strength was 0 could leave it).
    engine->colorAdjustment.toneMap = 3;
    AmbrelGraphicsController::ReleaseProgram(engine->shaderSets[kPairColorAdjustment]);
    BuildColorAdjustmentProgram(engine->colorAdjustment, engine->ProgramContext());
    EXPECT_EQ(LoadedToneMapLook(engine->lookTexture), 3);

    // A texture put in by other code holds no look, even where a look texture was before.
    const CTextureTemplate nearest(FILTER_NEAREST, FILTER_NEAREST, WRAP_CLAMP_TO_EDGE, WRAP_CLAMP_TO_EDGE);
    engine->lookTexture = device->GetTexture()->CreateTexture(nearest, 256, 1, FORMAT_RGBA, FORMAT_RGBA,
                                                              PIXEL_TYPE_UNSIGNED_BYTE, 1, false, false, nullptr);
    EXPECT_EQ(LoadedToneMapLook(engine->lookTexture), -1);
    AmbrelGraphicsController::ReleaseProgram(engine->shaderSets[kPairColorAdjustment]);
    BuildColorAdjustmentProgram(engine->colorAdjustment, engine->ProgramContext());
    EXPECT_EQ(LoadedToneMapLook(engine->lookTexture), 3);
}

TEST_F(LookTest, ChangingTheLookAtZeroStrengthLoadsTheNewLook) {
    const auto choice = [](int32_t i) { return EngineParameters::ChoiceValue(i, 65); };
    engine->SetAdjustment("CA Tone Map", false, choice(2));
    BuildColorAdjustmentProgram(engine->colorAdjustment, engine->ProgramContext());
    ASSERT_EQ(LoadedToneMapLook(engine->lookTexture), 2);
    engine->SetAdjustment("CA Tone Map Strength", false, 0.0f);
    engine->SetAdjustment("CA Tone Map", false, choice(4));
    engine->SetAdjustment("CA Tone Map Strength", false, 0.8f);
    BuildColorAdjustmentProgram(engine->colorAdjustment, engine->ProgramContext());
    EXPECT_EQ(LoadedToneMapLook(engine->lookTexture), 4);
}

TEST_F(LookTest, BuiltProgramDrawsWithItsTexturesOnTheirUnits) {
    // Effect 0.5 (img1 on unit 1) then Inkwell (img2 on unit 2), drawn through the device.
    engine->colorAdjustment.effectStrength = 0.5f;
    SelectLook(15);
    ASSERT_NE(engine->lookTexture, nullptr);
    IShaderProgram* program = Program(kPairColorAdjustment);
    ASSERT_NE(program, nullptr);

    const uint8_t picture[16] = {0, 0, 0, 255, 255, 255, 255, 255, 200, 40, 40, 255, 30, 90, 160, 255};
    const uint8_t original[16] = {255, 255, 255, 255, 128, 128, 128, 255, 40, 200, 40, 255, 0, 0, 0, 255};
    ITexture* textures = device->GetTexture();
    const CTextureTemplate nearest(FILTER_NEAREST, FILTER_NEAREST, WRAP_CLAMP_TO_EDGE, WRAP_CLAMP_TO_EDGE);
    ITexture2D* input = textures->CreateTexture(nearest, 4, 1, FORMAT_RGBA, FORMAT_RGBA, PIXEL_TYPE_UNSIGNED_BYTE, 1,
                                                false, false, picture);
    ITexture2D* unprocessed = textures->CreateTexture(nearest, 4, 1, FORMAT_RGBA, FORMAT_RGBA, PIXEL_TYPE_UNSIGNED_BYTE,
                                                      1, false, false, original);
    ITexture2D* target = textures->CreateTexture(nearest, 4, 1, FORMAT_RGBA, FORMAT_RGBA, PIXEL_TYPE_UNSIGNED_BYTE, 1,
                                                 false, false, nullptr);
    IFramebuffer* framebuffers = device->GetFramebuffer();
    IFramebufferObject* framebuffer = framebuffers->CreateFramebufferObject();
    framebuffers->BindFramebufferObject(framebuffer);
    ASSERT_TRUE(framebuffer->AttachTexture(ATTACHMENT_COLOR0, target));
    device->SetViewport(0, 0, 4, 1);
    textures->BindTexture(0, input);
    textures->BindTexture(1, unprocessed);
    textures->BindTexture(2, engine->lookTexture);
    device->Draw(program, engine->quadVertexArray, PRIMITIVE_TRIANGLE_STRIP);
    uint8_t out[16] = {};
    ASSERT_TRUE(framebuffers->ReadPixels(FORMAT_RGBA, PIXEL_TYPE_UNSIGNED_BYTE, 1, out));

    platform::ImageIOError error;
    auto decoded = platform::DecodeImageFile(testsupport::LookImagePath("toneMapInkwell.png"),
                                             platform::ImagePixelFormat::RGBA, &error);
    ASSERT_TRUE(decoded) << error.message;
    const auto curve = ConvertLookImage(15, decoded->bitmap, nullptr);
    ASSERT_TRUE(curve);
    for (int i = 0; i < 4; ++i) {
        float c[3];
        for (int k = 0; k < 3; ++k) c[k] = 0.5f * (picture[4 * i + k] + original[4 * i + k]) / 255.0f;
        const float gray = 0.299f * c[0] + 0.587f * c[1] + 0.114f * c[2];
        const float x = gray * curve->width - 0.5f;
        const int j = static_cast<int>(std::floor(x));
        const auto at = [&](int n) { return curve->bytes[std::clamp(n, 0, curve->width - 1)] / 255.0f; };
        const float expected = at(j) + (at(j + 1) - at(j)) * (x - j);
        for (int k = 0; k < 3; ++k) EXPECT_NEAR(out[4 * i + k] / 255.0f, expected, 2.5f / 255.0f) << "pixel " << i;
    }
    framebuffers->BindFramebufferObject(nullptr);
    framebuffers->DeleteFramebufferObject(framebuffer);
    for (ITexture2D* t : {input, unprocessed, target}) textures->DeleteTexture(t);
}

}  // namespace
