#include <cmath>

#include "EngineFixture.h"
#include "engine/ParameterTable.h"
#include "engine/ProcessingStage.h"
#include "gpu/Framebuffer.h"
#include "gpu/Shader.h"
#include "platform/opengles/GLES.h"
#include "gpu/Texture.h"
#include "gpu/shadersource/ShaderSource.h"

using namespace QV::Graphics;

namespace {

ITexture2D* SmallTexture(IDevice& device) {
    return device.GetTexture()->CreateTexture({FILTER_LINEAR, FILTER_LINEAR, WRAP_CLAMP_TO_EDGE, WRAP_CLAMP_TO_EDGE}, 4,
                                              4, FORMAT_RGBA, FORMAT_RGBA, PIXEL_TYPE_UNSIGNED_BYTE, 1, false, false,
                                              nullptr);
}

TEST_F(EngineTest, FreshEngineHoldsNoTextureAndNoProgram) {
    const AmbrelGraphicsController& e = *engine;
    for (int variant = 0; variant < 2; ++variant) {
        EXPECT_TRUE(e.shaderSets.stale[variant]);
        EXPECT_EQ(e.shaderSets.precisions[variant], 2);
    }
    EXPECT_EQ(EmptyPairs().size(), 41u);
    EXPECT_EQ(e.workTextures[0], nullptr);
    EXPECT_EQ(e.inputTextures[1].texture, nullptr);
    EXPECT_EQ(e.lookTexture, nullptr);
    EXPECT_NE(e.quadVertexBuffer, nullptr);
    EXPECT_NE(e.quadVertexArray, nullptr);
    EXPECT_NE(e.videoFramebuffer, nullptr);
    for (IFramebufferObject* framebuffer : e.passFramebuffers) EXPECT_NE(framebuffer, nullptr);
    EXPECT_EQ(e.maxVaryingVectors, device->GetShader()->GetMaxVaryingComponents() / 2);
    EXPECT_GE(e.maxVaryingVectors, 16);
    EXPECT_EQ(e.maxTextureSize, device->GetTexture()->GetMaxTextureSize());
    EXPECT_EQ(AmbrelGraphicsController::MaxTextureSize(), e.maxTextureSize);
    EXPECT_EQ(e.textureStorage, device->HasTextureStorage());
    EXPECT_EQ(e.inputFormat, kPixelFormatNone);
    EXPECT_EQ(e.levelCount, 4);
    EXPECT_FALSE(e.frameDirty);
    EXPECT_EQ(e.videoRecording.mode, eRecordingMode::Idle);
    EXPECT_EQ(e.videoRecording.startTime, sFrameTime::Unset());
    EXPECT_FALSE(device->CheckError());
}

// The unit quad through the unit-square projection covers the whole target, with texture
// coordinates running along x and y: each pixel shows its own centre.
TEST_F(EngineTest, UnitQuadCoversTheTarget) {
    IShaderProgram* program = device->GetShader()->CreateProgram();
    ASSERT_TRUE(program->Build(ShaderSource::DefaultVertexShader(2),
                               "precision highp float;\nvarying vec2 vTexture0;\n"
                               "void main()\n{\n    gl_FragColor = vec4(vTexture0, 0.0, 1.0);\n}\n",
                               {CVertexAttribute(0, "vaPosition")}));
    program->SetUniformMatrix4fv("uModelViewProjectionMatrix", 1, false, &ShaderSource::UnitSquareToClipMatrix);

    constexpr int kSize = 4;
    ITexture2D* target = device->GetTexture()->CreateTexture(AmbrelGraphicsController::NearestTextureTemplate(), kSize,
                                                             kSize, FORMAT_RGBA, FORMAT_RGBA, PIXEL_TYPE_UNSIGNED_BYTE,
                                                             1, false, false, nullptr);
    ASSERT_NE(target, nullptr);
    IFramebuffer* framebuffers = device->GetFramebuffer();
    IFramebufferObject* framebuffer = engine->passFramebuffers[0];
    ASSERT_TRUE(framebuffer->AttachTexture(ATTACHMENT_COLOR0, target));
    ASSERT_TRUE(framebuffers->BindFramebufferObject(framebuffer));
    device->SetViewport(0, 0, kSize, kSize);
    device->SetClearColor(0, 0, 1, 1);
    device->Clear(true, false);
    device->Draw(program, engine->quadVertexArray, PRIMITIVE_TRIANGLE_STRIP);

    uint8_t pixels[kSize * kSize * 4];
    ASSERT_TRUE(framebuffers->ReadPixels(FORMAT_RGBA, PIXEL_TYPE_UNSIGNED_BYTE, 1, pixels));
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const uint8_t* p = pixels + 4 * (y * kSize + x);
            EXPECT_NEAR(p[0], (x + 0.5) / kSize * 255, 1.0) << x << "," << y;
            EXPECT_NEAR(p[1], (y + 0.5) / kSize * 255, 1.0) << x << "," << y;
            EXPECT_EQ(p[2], 0) << "pixel left uncovered at " << x << "," << y;
        }
    framebuffer->Detach(ATTACHMENT_COLOR0);
    framebuffers->BindFramebufferObject(nullptr);
    device->GetTexture()->DeleteTexture(target);
    device->GetShader()->DeleteProgram(program);
    EXPECT_FALSE(device->CheckError());
}

TEST_F(EngineTest, ConstructionNeedsACurrentDevice) {
    engine.reset();
    device.reset();
    EXPECT_THROW(AmbrelGraphicsController(), std::runtime_error);
    device = CDevice::Create(nullptr, true, false, false);
}

// Destruction deletes everything the engine holds; the leak checker sees anything left over.
TEST_F(EngineTest, DestructionReleasesEveryResource) {
    FillSlots();
    engine->workTextures[1] = SmallTexture(*device);
    engine->levelPairTextures[5][1] = SmallTexture(*device);
    engine->unitTextures[2] = SmallTexture(*device);
    engine->lookTexture = SmallTexture(*device);
    engine->inputTextures[0].texture = SmallTexture(*device);
    engine->videoRecording.ringTextures[3] = SmallTexture(*device);
    engine->levelTextures.emplace_back(SmallTexture(*device));
    engine->levelTextures.emplace_back(SmallTexture(*device));
    engine->levelFramebuffers.emplace_back(device->GetFramebuffer()->CreateFramebufferObject());
    engine->currentOutput = engine->workTextures[1];
    engine.reset();
    EXPECT_FALSE(device->CheckError());
}

// Without its device current (none, or another one) the engine still returns every texture
// and program to the device that made them, and leaves the current device as it found it.
TEST_F(EngineTest, DestructionWithoutItsDeviceCurrentReturnsEverythingToThatDevice) {
    for (const bool anotherCurrent : {false, true}) {
        SCOPED_TRACE(anotherCurrent ? "another device current" : "no device current");
        Remake();
        FillSlots();
        engine->workTextures[1] = SmallTexture(*device);
        engine->lookTexture = SmallTexture(*device);
        engine->levelTextures.emplace_back(SmallTexture(*device));
        const std::vector<GLuint> textures = {engine->workTextures[1]->GetName(), engine->lookTexture->GetName(),
                                              engine->levelTextures[0]->GetName()};
        const GLuint program = static_cast<CShaderProgram*>(engine->shaderSets[kPairCopy][0])->GetProgram();

        std::unique_ptr<IDevice> other;
        if (anotherCurrent) other = CDevice::Create(nullptr, true, false, false);  // current from here on
        else device->ReleaseCurrent();
        IDevice* const before = CDevice::GetCurrentDevice();
        engine.reset();
        EXPECT_EQ(CDevice::GetCurrentDevice(), before);

        device->MakeCurrent();
        for (GLuint name : textures) EXPECT_FALSE(glIsTexture(name)) << name;
        EXPECT_FALSE(glIsProgram(program));
        other.reset();
        device->MakeCurrent();
        engine = std::make_unique<AmbrelGraphicsController>();
    }
}

TEST_F(EngineTest, WorkingTexturesGoInTheBackgroundUnitTexturesStay) {
    engine->workTextures[0] = SmallTexture(*device);
    engine->levelMaskTextures[3] = SmallTexture(*device);
    engine->coarseTextures[0] = SmallTexture(*device);
    engine->unitTextures[0] = SmallTexture(*device);
    engine->inputTextures[1].texture = SmallTexture(*device);
    engine->levelTextures.emplace_back(SmallTexture(*device));
    engine->levelFramebuffers.emplace_back(device->GetFramebuffer()->CreateFramebufferObject());
    engine->currentOutput = engine->workTextures[0];

    engine->ApplicationDidEnterBackground();
    EXPECT_EQ(engine->workTextures[0], nullptr);
    EXPECT_EQ(engine->levelMaskTextures[3], nullptr);
    EXPECT_EQ(engine->coarseTextures[0], nullptr);
    EXPECT_EQ(engine->currentOutput, nullptr) << "must not point at a deleted texture";
    EXPECT_TRUE(engine->levelTextures.empty());
    EXPECT_TRUE(engine->levelFramebuffers.empty());
    EXPECT_NE(engine->unitTextures[0], nullptr);
    EXPECT_NE(engine->inputTextures[1].texture, nullptr);

    engine->ReleaseInputTextures();
    EXPECT_EQ(engine->inputTextures[1].texture, nullptr);
}

TEST_F(EngineTest, EveryDefaultReadBackByName) {
    size_t read = 0;
    for (const EngineParameters::sParameter& p : EngineParameters::Parameters()) {
        const float value = engine->GetAdjustment(std::string(p.name));
        if (p.kind == EngineParameters::eKind::Ignored) {
            EXPECT_TRUE(std::isnan(value)) << p.name;
            continue;
        }
        ++read;
        EXPECT_FLOAT_EQ(value, EngineParameters::DefaultValue(p)) << p.name;
    }
    EXPECT_EQ(read, 89u);
    EXPECT_FLOAT_EQ(engine->GetAdjustment("Alg Color Correction Strength"), 0.171429f);
    EXPECT_FLOAT_EQ(engine->GetAdjustment("NR Dimension"), 0.7f);
    EXPECT_FLOAT_EQ(engine->GetAdjustment("CA Vignette Black On/Off"), 1.0f);
    EXPECT_TRUE(std::isnan(engine->GetAdjustment("No Such Parameter")));
    EXPECT_EQ(AmbrelGraphicsController::AdjustmentCategories().size(), 89u);
}

TEST_F(EngineTest, ValuesAreStoredInTheirInternalUnits) {
    engine->SetAdjustment("Tone Mapping Dimension", false, 0.2f);
    EXPECT_FLOAT_EQ(engine->GetAdjustment("Tone Mapping Dimension"), 0.25f);
    engine->SetAdjustment("Tone Mapping Dimension", false, 1.0f);
    EXPECT_EQ(engine->toneMapping.dimension, 7);
    engine->SetAdjustment("NR Dimension", false, 0.5f);
    EXPECT_EQ(engine->noiseReduction.dimension, 7);
    engine->SetAdjustment("CA Exposure", false, 0.75f);
    EXPECT_FLOAT_EQ(engine->colorAdjustment.exposure, 1.0f);
    engine->SetAdjustment("Luminance Style", false, 0.999f);
    EXPECT_EQ(engine->luminanceStyle, eLuminanceStyle::None);
    engine->SetAdjustment("Alg Pouli Saturation Exponent", false, 0.0f);
    EXPECT_FLOAT_EQ(engine->colorCorrection.pouliSaturationExponent, 1.6f);
    // Damaged values from stored edits.
    engine->SetAdjustment("CA Tone Map", false, -0.3f);
    EXPECT_EQ(engine->colorAdjustment.toneMap, 0);
    engine->SetAdjustment("Contrast Based On", false, std::nanf(""));
    EXPECT_EQ(engine->cie.contrastBasedOn, eContrastBasedOn::Darkness);
    engine->SetAdjustment("Num Line Integral Iterations", false, -2.0f);
    EXPECT_EQ(engine->smoothing.lineIntegralIterations, 1);
    engine->SetAdjustment("Level 1 Contrast Strength", false, std::nanf(""));
    EXPECT_FLOAT_EQ(engine->cie.levelContrastStrengths[1], 1.0f);
    engine->SetAdjustment("CA Temperature", false, std::nanf(""));
    EXPECT_FLOAT_EQ(engine->colorAdjustment.temperature, 0.0f);
}

TEST_F(EngineTest, RequestRenderMarksTheFrameEvenForUnknownNames) {
    engine->SetAdjustment("No Such Parameter", false, 1.0f);
    EXPECT_FALSE(engine->frameDirty);
    engine->SetAdjustment("No Such Parameter", true, 1.0f);
    EXPECT_TRUE(engine->frameDirty);
    engine->frameDirty = false;
    engine->SetAdjustment("LL Alpha", true, 0.3f);  // accepted and dropped
    EXPECT_TRUE(engine->frameDirty);
}

// The registry keeps no engine of its own: setters act on the engine they are called for,
// also after the first engine was deleted and another made.
TEST_F(EngineTest, SettersActOnTheEngineTheyAreCalledFor) {
    engine->SetAdjustment("CA Exposure", false, 0.75f);
    Remake();
    auto other = std::make_unique<AmbrelGraphicsController>(TAVORIN_RESOURCE_DIR);
    engine->SetAdjustment("CA Exposure", false, 1.0f);
    other->SetAdjustment("CA Exposure", false, 0.25f);
    EXPECT_FLOAT_EQ(engine->colorAdjustment.exposure, 2.0f);
    EXPECT_FLOAT_EQ(other->colorAdjustment.exposure, -1.0f);
}

struct Push {
    int32_t pair;
    const char* name;
    std::vector<float> value;
};

// A live change sets its stage's whole uniform list: whatever reaches a pair must be a value
// of that list as the builder would set it now.
void ExpectFromStageList(AmbrelGraphicsController& engine, int32_t pair, const std::string& name,
                         const std::vector<float>& value) {
    for (const sProcessingStage* stage :
         {&kColorAdjustmentStage, &kBrightnessStage, &kColorCorrectionStage, &kLocalContrastStage}) {
        if (stage->pair != pair) continue;
        for (const sUniformValue& u : stage->uniforms(engine, engine.StageContext()))
            if (u.name == name) {
                for (int32_t i = 0; i < u.count; ++i)
                    EXPECT_NEAR(value[i], u.v[i], 1e-6f * std::max(1.0f, std::fabs(u.v[i]))) << u.name;
                return;
            }
    }
    ADD_FAILURE() << name << " reached pair " << pair << " outside its stage's list";
}

struct EffectCase {
    const char* label;
    std::vector<std::pair<const char*, float>> setup;  // set before the slots are filled
    const char* name;
    float value;
    std::set<int32_t> released;
    std::vector<Push> pushed;
    bool lookLoaded = false;  // the look's texture is there, so its stage is in the program
};

TEST_F(EngineTest, EffectOfEachKindOnTheProgramSlots) {
    const float exposure09 = 0.9f * 4 - 2;
    const auto shadows = AmbrelGraphicsController::ShadowsStrengthUniform({0.5f, 0.85f});
    const auto caShadows = AmbrelGraphicsController::ShadowsStrengthUniform({0.25f, 0.85f});
    const EffectCase cases[] = {
        {"crossing into the active range releases", {}, "CA Exposure", 0.75f, {26}, {}},
        {"staying active pushes", {{"CA Exposure", 0.75f}}, "CA Exposure", 0.9f, {}, {{26, "uExposure", {exposure09}}}},
        {"leaving the active range releases", {{"CA Exposure", 0.75f}}, "CA Exposure", 0.5f, {26}, {}},
        {"inactive to inactive does nothing", {}, "CA Exposure", 0.5f + 1e-7f, {}, {}},
        {"a change below the tolerance does nothing", {{"CA Exposure", 0.75f}}, "CA Exposure", 0.75f + 1e-7f, {}, {}},
        {"crossing with width",
         {{"CA Shadows Strength", 0.1f}},
         "CA Shadows Strength",
         0.25f,
         {},
         {{26, "uShadowsStrength", {caShadows.x, caShadows.y}}}},
        {"width releases while its strength is active",
         {{"CA Shadows Strength", 0.1f}},
         "CA Shadows Width",
         0.5f,
         {26},
         {}},
        {"width alone does nothing", {}, "CA Shadows Width", 0.5f, {}, {}},
        {"brightness shadows ignored for CIE", {}, "Alg SH Shadows Strength", 0.5f, {}, {}},
        {"brightness shadows cross for method 2",
         {{"Alg Brightness Method", 0.6f}},
         "Alg SH Shadows Strength",
         0.5f,
         {21},
         {}},
        {"brightness shadows push for method 3",
         {{"Alg Brightness Method", 0.9f}, {"Alg SH Shadows Strength", 0.3f}},
         "Alg SH Shadows Strength",
         0.5f,
         {},
         {{21, "uShadowsStrength", {shadows.x, shadows.y}}}},
        {"brightness strength pushes",
         {},
         "Alg CIE Brightness Strength",
         1.0f,
         {},
         {{21, "uBrightnessStrength", {1.0f, 10.590416f}}}},
        {"strength method pushes unless method 2",
         {{"Alg Brightness Method", 0.6f}},
         "Alg CIE Brightness Strength Method",
         0.0f,
         {},
         {}},
        {"filmic crossing 0", {}, "Alg Filmic Strength", 0.0f, {21}, {}},
        {"filmic live", {}, "Alg Filmic Strength", 1.0f, {}, {{21, "uFilmicStrength", {0.24f}}}},
        {"levels release when they become active", {}, "Alg Levels White Point", 0.9f, {21}, {}},
        {"luminance style releases brightness", {}, "Luminance Style", 0.3f, {21}, {}},
        {"coefficients with grayscale off", {}, "CA Grayscale Coefficients", 0.5f, {}, {}},
        {"coefficients with grayscale on", {{"CA Grayscale On/Off", 1}}, "CA Grayscale Coefficients", 0.5f, {26}, {}},
        {"Deron to Power", {}, "Alg Color Correction Method", 1.5f / 11, {25}, {}},
        {"Lab0 to Yxy",
         {{"Alg Color Correction Method", 4.5f / 11}},
         "Alg Color Correction Method",
         5.5f / 11,
         {25},
         {}},
        {"Lab1 to Lab2",
         {{"Alg Color Correction Method", 6.5f / 11}},
         "Alg Color Correction Method",
         7.5f / 11,
         {31, 33, 35},
         {}},
        {"Deron to Lab0", {}, "Alg Color Correction Method", 4.5f / 11, {25, 31, 33, 35}, {}},
        {"correction strength pushes",
         {},
         "Alg Color Correction Strength",
         0.5f,
         {},
         {{25, "uColorCorrectionStrength", {1.0f / 4.5f}}}},
        {"correction strength for Pouli",
         {{"Alg Color Correction Method", 3.5f / 11}},
         "Alg Color Correction Strength",
         0.5f,
         {},
         {}},
        {"CIE alpha with CIE on",
         {{"Alg Color Correction CIE On/Off", 1}},
         "Alg Color Correction CIE Alpha",
         0.5f,
         {},
         {{25, "uColorCorrectionCIE", {0.5f, 0.0f}}}},
        {"both balance for Both",
         {{"Contrast Based On", 0.6f}},
         "Contrast Based On Both Balance",
         0.25f,
         {},
         {{16, "uContrastBasedOnBothBalance", {0.25f}}}},
        {"both balance otherwise", {}, "Contrast Based On Both Balance", 0.25f, {}, {}},
        {"tone mapping releases both", {}, "Tone Mapping P", 1.0f, {39, 40}, {}},
        {"NR dimension releases six", {}, "NR Dimension", 0.1f, {30, 31, 32, 33, 34, 35}, {}},
        {"NR on/off is read by the frame", {}, "NR On/Off", 1.0f, {}, {}},
        {"smoothing releases both", {}, "Gaussian SigmaS", 0.5f, {36, 37}, {}},
        {"non-CIE range for equation 0", {}, "CIE Non-CIE Contrast Range Low", 0.5f, {}, {}},
        {"non-CIE range for Sigmoid",
         {{"CIE Contrast Equation", 0.9f}},
         "CIE Non-CIE Contrast Range Low",
         0.5f,
         {16},
         {}},
        {"vignette range",
         {{"CA Vignette On/Off", 1}},
         "CA Vignette End",
         0.9f,
         {},
         {{26, "uVignetteRange", {0.707107f, 1.0f / (0.9f - 0.707107f)}}}},
        {"empty vignette range is a hard edge",
         {{"CA Vignette On/Off", 1}},
         "CA Vignette End",
         0.5f,
         {},
         {{26, "uVignetteRange", {0.707107f, 1e4f}}}},
        {"photo filter colour",
         {{"CA Photo Filter On/Off", 1}},
         "CA Photo Filter B",
         0.25f,
         {},
         {{26, "uPhotoFilterColor", {1.8508f, 1.0822f, 0.5f}}}},
        {"photo filter colour while off", {}, "CA Photo Filter B", 0.25f, {}, {}},
        {"multiplier keeps filter and look active",
         {{"CA Photo Filter On/Off", 1}, {"CA Tone Map", 0.05f}},
         "CA Photo Filter Tone Map Strength Multiplier",
         0.5f,
         {},
         {{26, "uToneMapStrength", {0.5f}}, {26, "uPhotoFilterStrength", {0.5f}}},
         true},
        {"multiplier to zero",
         {{"CA Photo Filter On/Off", 1}},
         "CA Photo Filter Tone Map Strength Multiplier",
         0.0f,
         {26},
         {}},
        {"exponential brightness",
         {{"CA Exponential Brightness Strength", 0.6f}},
         "CA Exponential Brightness Strength",
         0.75f,
         {},
         {{26, "uExponentialBrightness", {1.0f}}, {26, "uExponentialBrightnessStrength", {1.0f / 1.501f}}}},
        {"exponential saturation clamps",
         {{"CA Exponential Saturation Strength", 0.25f}},
         "CA Exponential Saturation Strength",
         0.0f,
         {},
         {{26, "uExponentialSaturationStrength", {1000.0f}}}},
    };
    for (const EffectCase& c : cases) {
        SCOPED_TRACE(c.label);
        Remake();
        for (const auto& [name, value] : c.setup) engine->SetAdjustment(name, false, value);
        FillSlots();
        if (c.lookLoaded) engine->lookTexture = SmallTexture(*device);
        engine->SetAdjustment(c.name, false, c.value);

        EXPECT_EQ(EmptyPairs(), c.released);
        const bool stale = !c.released.empty();
        EXPECT_EQ(engine->shaderSets.stale[0], stale);
        EXPECT_EQ(engine->shaderSets.stale[1], stale);

        const std::vector<Pushed> pushed = PushedUniforms();
        for (const Pushed& p : pushed) ExpectFromStageList(*engine, p.pair, p.name, p.value);
        for (const Push& expected : c.pushed) {
            bool found = false;
            for (const Pushed& p : pushed) {
                if (p.pair != expected.pair || p.name != expected.name) continue;
                found = true;
                for (size_t i = 0; i < expected.value.size(); ++i)
                    EXPECT_NEAR(p.value[i], expected.value[i], 1e-4f * std::max(1.0f, std::fabs(expected.value[i])))
                        << p.name << "[" << i << "]";
            }
            EXPECT_TRUE(found) << expected.name << " not pushed on pair " << expected.pair;
        }
    }
}

TEST_F(EngineTest, VignetteRangeAndPhotoFilterColourSetTogether) {
    FillSlots();
    engine->SetVignetteRange(0.3f, 0.8f);  // vignette off: stored only
    engine->SetPhotoFilterColor(0.5f, 0.25f, 0.0f);
    EXPECT_TRUE(PushedUniforms().empty());
    EXPECT_FLOAT_EQ(engine->colorAdjustment.vignetteRange.x, 0.3f);
    EXPECT_FLOAT_EQ(engine->colorAdjustment.photoFilterColor.y, 0.25f);

    engine->SetAdjustment("CA Vignette On/Off", false, 1.0f);
    engine->SetAdjustment("CA Photo Filter On/Off", false, 1.0f);
    FillSlots();
    engine->SetVignetteRange(0.4f, 0.4f);  // no width: a hard edge, never a division by zero
    engine->SetPhotoFilterColor(0.5f, 0.25f, 0.1f);
    std::map<std::string, std::vector<float>> values;
    for (const Pushed& p : PushedUniforms()) {
        ExpectFromStageList(*engine, p.pair, p.name, p.value);
        values[p.name] = p.value;
    }
    ASSERT_TRUE(values.count("uVignetteRange") && values.count("uPhotoFilterColor"));
    EXPECT_FLOAT_EQ(values["uVignetteRange"][0], 0.4f);
    EXPECT_TRUE(std::isfinite(values["uVignetteRange"][1]));
    EXPECT_FLOAT_EQ(values["uPhotoFilterColor"][2], 0.2f);
}

TEST_F(EngineTest, LookChangesDeleteTheLookTexture) {
    engine->SetAdjustment("CA Tone Map", false, 2.5f / 65);
    FillSlots();
    engine->lookTexture = SmallTexture(*device);
    engine->SetAdjustment("CA Tone Map", false, 3.5f / 65);  // one look to another
    EXPECT_EQ(engine->lookTexture, nullptr);
    EXPECT_EQ(EmptyPairs(), std::set<int32_t>{26});

    FillSlots();
    engine->lookTexture = SmallTexture(*device);
    engine->SetAdjustment("CA Tone Map Strength", false, 0.4f);  // stays active
    EXPECT_NE(engine->lookTexture, nullptr);
    EXPECT_TRUE(EmptyPairs().empty());
    engine->SetAdjustment("CA Tone Map Strength", false, 0.0f);  // leaves the active state
    EXPECT_EQ(engine->lookTexture, nullptr);
    EXPECT_EQ(EmptyPairs(), std::set<int32_t>{26});
}

TEST_F(EngineTest, FilterScaleReleasesTheScaledProgramsOfTheCurrentVariant) {
    engine->SetFilterScale(3.0);
    EXPECT_DOUBLE_EQ(engine->baseFilterScale.requestedScale, 3.0);
    EXPECT_DOUBLE_EQ(engine->baseFilterScale.scale, 0.75);
    EXPECT_EQ(engine->filterScaleHalvings, 2);
    EXPECT_EQ(engine->levelCount, 6);

    FillSlots();
    engine->UpdateFilterScale();
    const sFilterScale& record = engine->shaderSets.filterScales[0];
    EXPECT_EQ(record.KernelByRequested(3), 9);
    EXPECT_EQ(record.KernelByScale(5), 5);
    EXPECT_DOUBLE_EQ(record.inverseRequestedScale, 1.0 / 3.0);
    for (int32_t pair = 0; pair < kProgramPairCount; ++pair) {
        const bool scaled = std::count(kScaledProgramPairs.begin(), kScaledProgramPairs.end(), pair) > 0;
        EXPECT_EQ(engine->shaderSets[pair][0] == nullptr, scaled) << pair;
        EXPECT_NE(engine->shaderSets[pair][1], nullptr) << "the other variant keeps its program " << pair;
    }
    EXPECT_EQ(engine->shaderSets.filterScales[1].requestedScale, 1.0) << "only the current variant's record";

    // The same request again changes nothing; the record is already up to date.
    FillSlots();
    engine->SetFilterScale(3.0);
    engine->UpdateFilterScale();
    EXPECT_TRUE(EmptyPairs().empty());

    // A request too large to reduce falls back to scale 1 with a matching pyramid.
    engine->SetFilterScale(50.0);
    EXPECT_EQ(engine->baseFilterScale.requestedScale, 0.0);
    EXPECT_EQ(engine->filterScaleHalvings, 0);
    EXPECT_EQ(engine->levelCount, 4);
}

TEST_F(EngineTest, ViewRectangleZoomAndCompareSplit) {
    engine->SetViewRect(0, 0, 0, 200);
    EXPECT_EQ(engine->viewRect[2], 1);
    EXPECT_TRUE(engine->inputReconfigureRequested);
    engine->SetViewRect(0, 0, 100, 200);

    engine->SetZoom(0.5f);
    EXPECT_FALSE(engine->matricesDirty);
    engine->SetZoom(2.0f);
    EXPECT_TRUE(engine->matricesDirty);
    EXPECT_FLOAT_EQ(engine->zoomMatrix(0, 0), 2.0f);
    EXPECT_FLOAT_EQ(engine->zoomMatrix(0, 3), -0.5f);
    engine->SetZoom(1.0f);
    EXPECT_FALSE(engine->zoomMatrix != QV::Math::CMatrix4<float>::Identity());

    const float point[2] = {10.2f, 20.7f};
    engine->SetComparePoint(point);
    EXPECT_FLOAT_EQ(engine->colorAdjustment.split.point.x, 10.5f);
    EXPECT_FLOAT_EQ(engine->colorAdjustment.split.point.y, 21.5f);

    engine->SetCompareAngle(std::nanf(""));
    EXPECT_EQ(engine->colorAdjustment.split.angle, 0.0f) << "a NaN angle is no angle";

    FillSlots();
    engine->SetCompareAngle(0.5f);  // split off: stored only
    EXPECT_TRUE(PushedUniforms().empty());
    engine->SetCompareShowing(true);
    EXPECT_EQ(EmptyPairs(), std::set<int32_t>{26});
    EXPECT_TRUE(engine->shaderSets.stale[0]);

    FillSlots();
    engine->levelWidths = {50};
    engine->levelHeights = {400};
    engine->SetCompareAngle(0.0f);
    const std::vector<Pushed> pushed = PushedUniforms();
    ASSERT_EQ(pushed.size(), 1u);
    EXPECT_EQ(pushed[0].name, "uSplit");
    EXPECT_FLOAT_EQ(pushed[0].value[0], 10.5f * 50 / 100);
    EXPECT_FLOAT_EQ(pushed[0].value[1], 21.5f * 400 / 200);
    EXPECT_FLOAT_EQ(pushed[0].value[2], 1.0f);
    EXPECT_FLOAT_EQ(pushed[0].value[3], 0.0f);
}

// The split point goes from view pixels to level-0 pixels with the ratio of the sizes formed
// first; the other order rounds differently in single precision (541.304382 against 541.304321
// for the x below).
TEST_F(EngineTest, SplitUniformScalesByTheSizeRatio) {
    engine->SetViewRect(0, 0, 414, 1125);
    engine->levelWidths = {1080};
    engine->levelHeights = {750};
    engine->colorAdjustment.split.point.Set(207.5f, 333.5f);
    engine->colorAdjustment.split.angle = 2.9f;
    const QV::Math::CVector4<float> split = engine->SplitUniform();
    EXPECT_EQ(split.x, 1080.0f / 414.0f * 207.5f);
    EXPECT_EQ(split.y, 750.0f / 1125.0f * 333.5f);
    EXPECT_EQ(split.z, std::cos(2.9f));
    EXPECT_EQ(split.w, static_cast<float>(std::sin(static_cast<double>(2.9f))));

    engine->levelWidths.clear();  // before the first input: view pixels
    engine->levelHeights.clear();
    EXPECT_EQ(engine->SplitUniform().x, 207.5f);
}

}  // namespace
