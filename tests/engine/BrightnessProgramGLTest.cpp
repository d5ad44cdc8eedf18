// The brightness and tone program: which text each setting writes, and the CIE brightness,
// shadows and highlights, levels and filmic curves run on a grey ramp against their formulas.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>

#include "ProgramRender.h"
#include "engine/BrightnessProgram.h"
#include "engine/PointPrograms.h"

namespace {

using namespace programtest;

constexpr int kSide = 16;  // 256 grey levels
constexpr float kStep = 1.0f / 255.0f;

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// ---- Texts -----------------------------------------------------------------------------------

TEST(BrightnessText, DefaultsWriteThePlainCurveAndTheFilmicRollOff) {
    const std::string text = BrightnessFragment(sBrightnessOptions{});
    EXPECT_TRUE(Has(text, "uniform mediump sampler2D img1;\nuniform vec2 uBrightnessStrength;\n"));
    EXPECT_TRUE(Has(text, "uniform float uFilmicStrength;\n"));
    EXPECT_TRUE(Has(text,
                    "    float cie = 1.0 - pow(-0.13862943611199 * log2(max(c0, 0.001)), uBrightnessStrength.y * a);\n"
                    "    cie = c0 + (uBrightnessStrength.x * (cie - c0));\n"));
    EXPECT_TRUE(Has(text,
                    "    float t = clamp(c0 / uFilmicStrength, 0.0, 1.0);\n    t *= t * (3.0 - (2.0 * t));\n"
                    "    cie *= t;\n    gl_FragColor = vec4(cie);\n}"));
    EXPECT_FALSE(Has(text, "uShadowsStrength"));
    EXPECT_FALSE(Has(text, "y0"));
}

TEST(BrightnessText, EachSettingWritesItsStatements) {
    struct Case {
        const char* what;
        std::function<void(sBrightnessOptions&)> set;
        std::vector<std::string> present, absent;
    };
    const Case cases[] = {
        {"CIE Var at exponent and scale 1 is the plain form",
         [](sBrightnessOptions& o) { o.tone.method = eBrightnessMethod::CIEVar; },
         {"-0.13862943611199"},
         {"temp"}},
        {"CIE Var with scale 0.5",
         [](sBrightnessOptions& o) { o.tone.method = eBrightnessMethod::CIEVar, o.tone.varScale = 0.5f; },
         {"float temp = pow(-0.693147180559945 * log2(max(c0, 0.001)), 1.0);", "pow(0.15 * temp, "},
         {"-0.13862943611199"}},
        {"brighten only",
         [](sBrightnessOptions& o) { o.tone.brightenOnly = true; },
         {"max(cie - c0, 0.0)"},
         {"(cie - c0)"}},
        {"levels alone read the input",
         [](sBrightnessOptions& o) {
             o.tone.method = eBrightnessMethod::ShadowsHighlights, o.tone.filmicStrength = 0.0f,
             o.tone.levels.blackPoint = 0.1f;
         },
         {"float cie = clamp("},
         {"img1", "uBrightnessStrength", "cie *= t"}},
        {"filmic alone",
         [](sBrightnessOptions& o) { o.tone.method = eBrightnessMethod::ShadowsHighlights; },
         {"    float cie = c0 * t;\n"},
         {"img1"}},
        {"shadows belong to methods 2 and 3 only",
         [](sBrightnessOptions& o) { o.tone.shadows.strength = 0.3f; },
         {},
         {"uShadowsStrength"}},
        {"shadows and highlights after the CIE curve",
         [](sBrightnessOptions& o) {
             o.tone.method = eBrightnessMethod::CIEAndShadowsHighlights, o.tone.shadows.strength = 0.3f,
             o.tone.highlights.strength = 0.7f;
         },
         {"uniform vec2 uShadowsStrength;\nuniform vec2 uHighlightsStrength;\n",
          "cie = k5Shadows + k5Highlights - cie;"},
         {}},
        {"a shadows strength within 1e-6 of 0 is off",
         [](sBrightnessOptions& o) {
             o.tone.method = eBrightnessMethod::CIEAndShadowsHighlights, o.tone.shadows.strength = 0.0000005f;
         },
         {},
         {"uShadowsStrength"}},
        {"a highlights strength within 1e-6 of 1 is neutral",
         [](sBrightnessOptions& o) {
             o.tone.method = eBrightnessMethod::CIEAndShadowsHighlights, o.tone.highlights.strength = 0.9999995f;
         },
         {},
         {"uHighlightsStrength"}},
        {"a shadows strength 2e-6 from 0 is on",
         [](sBrightnessOptions& o) {
             o.tone.method = eBrightnessMethod::ShadowsHighlights, o.tone.shadows.strength = 0.000002f;
         },
         {"float cie = (w0 * k1)"},
         {}},
        {"levels and filmic within 1e-6 of neutral are off",
         [](sBrightnessOptions& o) {
             o.tone.method = eBrightnessMethod::ShadowsHighlights, o.tone.levels = {0.000001f, 0.5000005f, 0.9999995f},
             o.tone.filmicStrength = 0.000001f;
         },
         {"vec4(texture2D(img0, vTexture0).r)"},
         {"cie"}},
        {"filmic 2e-6 from 0 is on",
         [](sBrightnessOptions& o) {
             o.tone.method = eBrightnessMethod::ShadowsHighlights, o.tone.filmicStrength = 0.000002f;
         },
         {"float cie = c0 * t;"},
         {}},
        {"a white point 2e-6 from 1 is on",
         [](sBrightnessOptions& o) {
             o.tone.method = eBrightnessMethod::ShadowsHighlights, o.tone.levels.whitePoint = 0.999998f;
         },
         {"float cie = clamp("},
         {}},
        {"nothing enabled copies the red channel",
         [](sBrightnessOptions& o) {
             o.tone.method = eBrightnessMethod::ShadowsHighlights, o.tone.filmicStrength = 0.0f;
         },
         {"    gl_FragColor = vec4(texture2D(img0, vTexture0).r);\n}"},
         {"cie"}},
        {"the Local Laplacian style still ends the shader",
         [](sBrightnessOptions& o) { o.localLaplacian = true; },
         {"    gl_FragColor = vec4(cie);\n}"},
         {}},
    };
    for (const Case& c : cases) {
        sBrightnessOptions o;
        c.set(o);
        const std::string text = BrightnessFragment(o);
        for (const std::string& part : c.present)
            EXPECT_TRUE(Has(text, part)) << c.what << ": no \"" << part << "\" in\n" << text;
        for (const std::string& part : c.absent)
            EXPECT_FALSE(Has(text, part)) << c.what << ": \"" << part << "\" in\n" << text;
    }
}

// ---- Builds and renders ----------------------------------------------------------------------

class BrightnessProgram : public ProgramRenderTest {
protected:
    IShaderProgram*& slot() { return Slot(kPairBrightness); }

    // Builds afresh and runs the program over the ramp (red 0..1) with the weight image on
    // unit 1; returns the red channel of each pixel in ramp order.
    std::vector<float> Run() {
        Release(kPairBrightness);
        BuildBrightnessProgram(*engine, engine->ProgramContext(), slot());
        EXPECT_TRUE(slot() && slot()->IsBuilt());
        Image ramp(kSide, kSide), weight(kSide, kSide);
        for (int i = 0; i < kSide * kSide; ++i)
            for (int c = 0; c < 4; ++c) {
                ramp.rgba[i * 4 + c] = i / 255.0f;
                weight.rgba[i * 4 + c] = Weight(i);
            }
        const Image result =
            Render(slot(), {Upload(ramp, false, false), Upload(weight, false, false)}, kSide, kSide, false);
        std::vector<float> out(kSide * kSide);
        for (int i = 0; i < kSide * kSide; ++i) {
            out[i] = result.rgba[i * 4];
            EXPECT_EQ(result.rgba[i * 4 + 3], out[i]) << "all four channels carry the value";
        }
        return out;
    }

    // The brightness statistic a of ramp entry i: 0.25 to 1, exact in 8 bits.
    static float Weight(int i) { return (64 + (i * 7) % 192) / 255.0f; }

    void ExpectCurve(const std::vector<float>& actual, const std::function<float(float c0, float a)>& curve,
                     const std::string& what, float tolerance = 2.0f * kStep) {
        float worst = 0.0f;
        int at = 0;
        for (int i = 0; i < kSide * kSide; ++i) {
            const float expected = Quantize8(curve(i / 255.0f, Weight(i)));
            const float d = std::fabs(actual[i] - expected);
            if (d > worst) worst = d, at = i;
        }
        EXPECT_LE(worst, tolerance) << what << ": worst at input " << at << "/255: " << actual[at] << " instead of "
                                    << Quantize8(curve(at / 255.0f, Weight(at)));
    }

    void NeutralTone() {
        engine->brightness.method = eBrightnessMethod::ShadowsHighlights;
        engine->brightness.filmicStrength = 0.0f;
    }
};

// The curves as the formulas state them.
float CIECurve(float c0, float a, float x, float y, float k, float e, bool brightenOnly) {
    const float L = -std::log(std::max(c0, 0.001f));
    const float cie = 1.0f - std::pow(k * std::pow(L, e), y * a);
    const float move = brightenOnly ? std::max(cie - c0, 0.0f) : cie - c0;
    return c0 + x * move;
}

float ShadowsCurve(float x, float strength, float width) {
    const float k = 11.7f * strength;
    const float ux = k / std::log(2.0f) / width, uy = width / (1.0f / (1.0f + std::exp(-k)) - 0.5f);
    const float k1 = uy * (1.0f / (1.0f + std::exp2(-x * ux)) - 0.5f);
    const float w0 = std::pow(1.0f - x, std::log(0.006f) / std::log(1.0f - width));
    return w0 * k1 + (1.0f - w0) * x;
}

float HighlightsCurve(float x, float strength, float width) {
    const float k = 11.7f * (1.0f - strength);
    const float ux = k / std::log(2.0f) / width, uy = width / (1.0f / (1.0f + std::exp(-k)) - 0.5f);
    const float k1 = uy * (1.0f / (1.0f + std::exp2(-(ux * x - ux))) - 0.5f) + 1.0f;
    const float w0 = std::pow(x, std::log(0.006f) / std::log(1.0f - width));
    return w0 * k1 + (1.0f - w0) * x;
}

float Levels(float x, float black, float mid, float white) {
    const float m = black + mid * (white - black);
    const float y = x < m ? 0.5f * (x - black) / (m - black) : 0.5f + 0.5f * (x - m) / (white - m);
    return std::clamp(y, 0.0f, 1.0f);
}

float Filmic(float c0, float f) {
    const float t = std::clamp(c0 / f, 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

TEST_F(BrightnessProgram, CIEBrightnessFollowsItsCurveForEachStrength) {
    engine->brightness.filmicStrength = 0.0f;
    struct Case {
        int method;
        float b;
        int strengthMethod;
        bool brightenOnly;
        float x, y;
    };
    for (const Case& c :
         {Case{0, 0.5f, 1, false, 1.0f, 1.0f}, Case{0, 0.2f, 1, false, 0.4f, 1.0f}, Case{0, 0.2f, 0, false, 1.0f, 0.7f},
          Case{3, 0.8f, 1, true, 1.0f, 1.0f + 19.180832f * 0.3f}, Case{0, 0.0f, 1, false, 0.0f, 1.0f}}) {
        engine->brightness.method = static_cast<eBrightnessMethod>(c.method);
        engine->brightness.strength = c.b;
        engine->brightness.strengthMethod = static_cast<eBrightnessStrengthMethod>(c.strengthMethod);
        engine->brightness.brightenOnly = c.brightenOnly;
        ExpectCurve(
            Run(), [&](float c0, float a) { return CIECurve(c0, a, c.x, c.y, 0.2f, 1.0f, c.brightenOnly); },
            "b " + std::to_string(c.b) + " method " + std::to_string(c.strengthMethod));
    }
    // CIE Var: k = 0.1 s + 0.1 and the exponent e on the logarithm.
    engine->brightness.method = eBrightnessMethod::CIEVar;
    engine->brightness.strength = 0.5f;
    engine->brightness.brightenOnly = false;
    engine->brightness.varExponent = 1.3f;
    engine->brightness.varScale = 0.5f;
    ExpectCurve(
        Run(), [](float c0, float a) { return CIECurve(c0, a, 1.0f, 1.0f, 0.15f, 1.3f, false); }, "CIE Var");
}

TEST_F(BrightnessProgram, ShadowsAndHighlightsFollowTheLogisticCurves) {
    NeutralTone();
    const float ws = 0.85f, wh = 0.7f;
    engine->brightness.shadows = {0.4f, ws};
    ExpectCurve(
        Run(), [&](float x, float) { return ShadowsCurve(x, 0.4f, ws); }, "shadows");
    engine->brightness.shadows = {0.0f, ws};
    engine->brightness.highlights = {0.6f, wh};
    ExpectCurve(
        Run(), [&](float x, float) { return HighlightsCurve(x, 0.6f, wh); }, "highlights");
    engine->brightness.shadows = {0.4f, ws};
    ExpectCurve(
        Run(), [&](float x, float) { return ShadowsCurve(x, 0.4f, ws) + HighlightsCurve(x, 0.6f, wh) - x; }, "both");
    // After the CIE curve (method 3) the curves take the brightened value.
    engine->brightness.method = eBrightnessMethod::CIEAndShadowsHighlights;
    ExpectCurve(
        Run(),
        [&](float c0, float a) {
            const float x = CIECurve(c0, a, 1.0f, 1.0f, 0.2f, 1.0f, false);
            return ShadowsCurve(x, 0.4f, ws) + HighlightsCurve(x, 0.6f, wh) - x;
        },
        "CIE then both", 3.0f * kStep);
}

TEST_F(BrightnessProgram, LevelsAndFilmicRollOff) {
    NeutralTone();
    struct Case {
        float black, mid, white;
    };
    for (const Case& c : {Case{0.1f, 0.3f, 0.8f}, Case{0.2f, 0.5f, 0.9f}, Case{0.0f, 0.7f, 1.0f}}) {
        engine->brightness.levels = {c.black, c.mid, c.white};
        ExpectCurve(
            Run(), [&](float x, float) { return Levels(x, c.black, c.mid, c.white); },
            "levels " + std::to_string(c.black) + " " + std::to_string(c.mid) + " " + std::to_string(c.white));
    }
    engine->brightness.levels = {};
    engine->brightness.filmicStrength = 0.2f;
    ExpectCurve(
        Run(), [](float c0, float) { return c0 * Filmic(c0, 0.2f); }, "filmic alone");
    // Everything at once: the roll-off takes the input as read, not the toned value.
    engine->brightness.method = eBrightnessMethod::CIE;
    engine->brightness.levels = {0.05f, 0.4f, 0.95f};
    ExpectCurve(
        Run(),
        [](float c0, float a) {
            return Levels(CIECurve(c0, a, 1.0f, 1.0f, 0.2f, 1.0f, false), 0.05f, 0.4f, 0.95f) * Filmic(c0, 0.2f);
        },
        "CIE, levels and filmic");
}

TEST_F(BrightnessProgram, MeetingLevelsPointsMakeAThresholdInsteadOfNoPass) {
    NeutralTone();
    engine->brightness.levels = {0.5f, 0.5f, 0.5f};
    const std::vector<float> out = Run();
    EXPECT_EQ(out[100], 0.0f);
    EXPECT_EQ(out[200], 1.0f);
}

TEST_F(BrightnessProgram, EverySettingCompilesAndLinks) {
    int built = 0, empty = 0, index = 0;
    for (int form = 0; form < 5; ++form)  // methods 0 to 3, method 1 also in its Var form
        for (bool brightenOnly : {false, true})
            for (bool shadows : {false, true})
                for (bool highlights : {false, true})
                    for (int levels = 0; levels < 3; ++levels)
                        for (bool filmic : {false, true})
                            for (bool localLaplacian : {false, true}) {
                                engine->brightness.method = static_cast<eBrightnessMethod>(form == 4 ? 1 : form);
                                engine->brightness.varScale = form == 4 ? 0.5f : 1.0f;
                                engine->brightness.brightenOnly = brightenOnly;
                                engine->brightness.shadows.strength = shadows ? 0.3f : 0.0f;
                                engine->brightness.highlights.strength = highlights ? 0.7f : 1.0f;
                                engine->brightness.levels =
                                    levels == 0 ? sLevels{} : sLevels{0.1f, levels == 1 ? 0.5f : 0.3f, 0.9f};
                                engine->brightness.filmicStrength = filmic ? 0.12f : 0.0f;
                                engine->luminanceStyle =
                                    localLaplacian ? eLuminanceStyle::LocalLaplacian : eLuminanceStyle::CIE;
                                engine->shaderSets.precisions[0] = index++ % 3;
                                Release(kPairBrightness);
                                BuildBrightnessProgram(*engine, engine->ProgramContext(), slot());
                                if (!slot()) {
                                    ++empty;
                                    continue;
                                }
                                EXPECT_TRUE(slot()->IsBuilt()) << "form " << form << " index " << index;
                                ++built;
                            }
    // Only the copy under the Local Laplacian style builds nothing: method 2 with nothing on.
    EXPECT_EQ(empty, 2 * 1);
    EXPECT_EQ(built + empty, 5 * 96);
}

TEST_F(BrightnessProgram, FilledSlotKeepsItsTextAndTakesTheLiveUniforms) {
    BuildBrightnessProgram(*engine, engine->ProgramContext(), slot());
    IShaderProgram* program = slot();
    ASSERT_TRUE(program && program->IsBuilt());
    auto* p = static_cast<CShaderProgram*>(program);
    EXPECT_FLOAT_EQ(static_cast<CUniform1f*>(p->FindUniform("uFilmicStrength"))->pending, 0.12f);
    const auto* strength = static_cast<CUniform2f*>(p->FindUniform("uBrightnessStrength"));
    EXPECT_FLOAT_EQ(strength->pending.x, 1.0f);
    EXPECT_FLOAT_EQ(strength->pending.y, 1.0f);

    engine->brightness.strength = 1.0f;
    engine->brightness.filmicStrength = 0.2f;
    BuildBrightnessProgram(*engine, engine->ProgramContext(), slot());
    EXPECT_EQ(slot(), program);
    EXPECT_FLOAT_EQ(strength->pending.y, 10.590416f);
    EXPECT_FLOAT_EQ(static_cast<CUniform1f*>(p->FindUniform("uFilmicStrength"))->pending, 0.2f);
}

TEST_F(BrightnessProgram, LocalLaplacianCopyBuildsNoProgramButFeaturesBuildACompleteOne) {
    engine->luminanceStyle = eLuminanceStyle::LocalLaplacian;
    NeutralTone();
    BuildBrightnessProgram(*engine, engine->ProgramContext(), slot());
    EXPECT_EQ(slot(), nullptr);
    BuildBrightnessProgram(*engine, engine->ProgramContext(), slot());
    EXPECT_EQ(slot(), nullptr);

    engine->brightness.method = eBrightnessMethod::CIE;
    BuildBrightnessProgram(*engine, engine->ProgramContext(), slot());
    ASSERT_NE(slot(), nullptr);
    EXPECT_TRUE(slot()->IsBuilt());
}

TEST_F(BrightnessProgram, UnwritableTextIsLoggedAndItsPassSkipped) {
    engine->brightness.method = eBrightnessMethod::CIEVar;
    engine->brightness.varExponent = std::numeric_limits<float>::quiet_NaN();
    testing::internal::CaptureStderr();
    BuildBrightnessProgram(*engine, engine->ProgramContext(), slot());
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(Has(log, "Brightness program not built")) << log;
    ASSERT_NE(slot(), nullptr);
    EXPECT_FALSE(slot()->IsBuilt());

    // A program that did build is bound first; the failed pass must not draw with it.
    BuildRedToGrayProgram(engine->ProgramContext(), Slot(kPairGrayReduction));
    Image grey(4, 4);
    std::fill(grey.rgba.begin(), grey.rgba.end(), 0.8f);
    ITexture2D* input = Upload(grey, false, false);
    Render(Slot(kPairGrayReduction), {input}, 4, 4, false);
    const Image after = Render(slot(), {input}, 4, 4, false, 0.25f);
    for (float v : after.rgba) EXPECT_NEAR(v, 0.25f, 0.5f * kStep);
}

}  // namespace
