// The colour-correction and colour-adjustment programs on real GL: every combination compiles
// and links, and each method and stage alone matches its CPU formula on a grid of colours.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <optional>
#include <string>

#include "support/GLTest.h"
#include "engine/ChainReference.h"
#include "engine/ProgramHarness.h"
#include "engine/AmbrelGraphicsController.h"
#include "engine/EnginePrograms.h"
#include "platform/imageio/ImageIO.h"
#include "support/Resources.h"

using harness::Color;

namespace {

constexpr float kTolerance = 2.5f / 255.0f;

float Luma(const Color& c) { return 0.299f * c[0] + 0.587f * c[1] + 0.114f * c[2]; }
Color Mix(const Color& a, const Color& b, float t) {
    return {a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t, a[2] + (b[2] - a[2]) * t};
}
Color Scale(const Color& c, float k) { return {c[0] * k, c[1] * k, c[2] * k}; }

// Overlay of c with the blend colour f (what both the temperature and photo filter write).
Color Overlay(const Color& c, const Color& f) {
    Color out;
    for (int k = 0; k < 3; ++k) out[k] = c[k] < 0.5f ? 2.0f * c[k] * f[k] : 1.0f - 2.0f * (1.0f - c[k]) * (1.0f - f[k]);
    return out;
}

// The HSV conversions as the generator writes them.
Color RgbToHsv(const Color& c) {
    const float mx = std::max({c[0], c[1], c[2]}), mn = std::min({c[0], c[1], c[2]});
    const float d = mx - mn;
    float h = 0.0f;
    if (d > 0.0f) {
        if (mx == c[0]) h = (c[1] - c[2]) / (6.0f * d);
        else if (mx == c[1]) h = 1.0f / 3.0f + (c[2] - c[0]) / (6.0f * d);
        else h = 2.0f / 3.0f + (c[0] - c[1]) / (6.0f * d);
        h = std::fabs(h < 0.0f ? h + 1.0f : h);
    }
    return {h, d / (mx + 1e-10f), mx};
}
Color HsvToRgb(const Color& hsv) {
    const float k[3] = {1.0f, 2.0f / 3.0f, 1.0f / 3.0f};
    Color out;
    for (int i = 0; i < 3; ++i) {
        float f = hsv[0] + k[i];
        f -= std::floor(f);
        const float p = std::fabs(f * 6.0f - 3.0f);
        out[i] = hsv[2] * (1.0f + (harness::Clamp01(p - 1.0f) - 1.0f) * hsv[1]);
    }
    return out;
}

class ColorProgramsTest : public GLTest {};

// ---- Colour adjustment ------------------------------------------------------------------------

std::string Fragment(const sColorAdjustment& ca, bool lookAvailable = true, int32_t precision = 2,
                     QV::Math::CVector3<float> weights = {0.299f, 0.587f, 0.114f}) {
    sColorAdjustmentTextOptions o;
    o.stages = ColorAdjustmentStages(ca, lookAvailable);
    o.grayscaleWeights = weights;
    o.shadowsWidth = ca.shadows.width;
    o.highlightsWidth = ca.highlights.width;
    o.vignetteBlack = ca.vignetteBlack;
    o.precision = precision;
    return ColorAdjustmentFragment(o);
}

struct AdjustmentCase {
    const char* name;
    std::function<void(sColorAdjustment&)> set;
    // Expected colour from the input, the unprocessed picture and the pixel (x, y).
    std::function<Color(const Color&, const Color&, int, int)> expected;
    QV::Math::CVector3<float> weights{0.299f, 0.587f, 0.114f};
};

// The shadows and highlights tone curve of the luminance, the colour scaled by new / old.
Color ShadowsHighlights(const Color& c, std::optional<sShadowsHighlights> shadows,
                        std::optional<sShadowsHighlights> highlights) {
    const float x = Luma(c);
    const auto exponent = [](float width) { return std::log(0.006f) / std::log(1.0f - width); };
    float shadowsValue = x, highlightsValue = x;
    if (shadows) {
        const auto u = AmbrelGraphicsController::ShadowsStrengthUniform(*shadows);
        const float k1 = u.y * (1.0f / (1.0f + std::exp2(-x * u.x)) - 0.5f);
        const float w0 = std::pow(std::max(1.0f - x, 0.0f), exponent(shadows->width));
        shadowsValue = w0 * k1 + (1.0f - w0) * x;
    }
    if (highlights) {
        const auto u = AmbrelGraphicsController::HighlightsStrengthUniform(*highlights);
        const float k1 = u.y * (1.0f / (1.0f + std::exp2(-(u.x * x - u.x))) - 0.5f) + 1.0f;
        const float w0 = std::pow(x, exponent(highlights->width));
        highlightsValue = w0 * k1 + (1.0f - w0) * x;
    }
    return Scale(c, (shadowsValue + highlightsValue - x) / std::max(x, 0.001f));
}

const AdjustmentCase kAdjustments[] = {
    {"exposure", [](auto& c) { c.exposure = 0.7f; },
     [](const Color& c, const Color&, int, int) { return Scale(c, std::exp2(0.7f)); }},
    {"exponential brightness below 1", [](auto& c) { c.exponentialBrightnessStrength = 0.75f; },
     [](const Color& c, const Color&, int, int) { return Scale(c, 0.75f); }},
    {"exponential brightness above 1", [](auto& c) { c.exponentialBrightnessStrength = 1.25f; },
     [](const Color& c, const Color&, int, int) {
         const float v = Luma(c);
         return Scale(c, std::pow(v, static_cast<float>(1.0 / 1.501)) / std::max(v, 0.003f));
     }},
    {"saturation", [](auto& c) { c.saturationStrength = 1.6f; },
     [](const Color& c, const Color&, int, int) {
         const float i = Luma(c);
         return Mix({i, i, i}, c, 1.6f);
     }},
    {"contrast", [](auto& c) { c.contrastStrength = 1.3f; },
     [](const Color& c, const Color&, int, int) {
         return Mix({0.5f, 0.5f, 0.5f}, c, 1.3f);
     }},
    {"vibrancy", [](auto& c) { c.vibrancyStrength = 0.5f; },
     [](const Color& c, const Color&, int, int) {
         const float average = 0.333333f * (c[0] + c[1] + c[2]);
         const float mx = std::max({c[0], c[1], c[2]});
         return Mix(c, {mx, mx, mx}, (mx - average) * -1.5f);
     }},
    {"temperature", [](auto& c) { c.temperature = 0.6f; },
     [](const Color& c, const Color&, int, int) {
         return Mix(c, Overlay(c, {0.9254f, 0.5411f, 0.0f}), 0.6f);
     }},
    {"cooling temperature", [](auto& c) { c.temperature = -0.4f; },
     [](const Color& c, const Color&, int, int) {
         return Mix(c, Overlay(c, {0.9254f, 0.5411f, 0.0f}), -0.4f);
     }},
    {"photo filter",
     [](auto& c) {
         c.photoFilter = true, c.photoFilterColor = {0.2f, 0.6f, 0.9f}, c.photoFilterStrength = 0.7f;
     },
     [](const Color& c, const Color&, int, int) {
         return Mix(c, Overlay(c, {0.2f, 0.6f, 0.9f}), 0.7f);
     }},
    {"grayscale Kodak Tri-X",
     [](auto& c) { c.grayscale = true; },
     [](const Color& c, const Color&, int, int) {
         const float g = 0.25f * c[0] + 0.35f * c[1] + 0.4f * c[2];
         return Color{g, g, g};
     },
     {0.25f, 0.35f, 0.4f}},
    {"grayscale at end after contrast",
     [](auto& c) { c.grayscale = c.grayscaleAtEnd = true, c.contrastStrength = 1.2f; },
     [](const Color& c, const Color&, int, int) {
         const Color k = Mix({0.5f, 0.5f, 0.5f}, c, 1.2f);
         const float g = 0.31f * k[0] + 0.36f * k[1] + 0.33f * k[2];
         return Color{g, g, g};
     },
     {0.31f, 0.36f, 0.33f}},
    {"effect strength", [](auto& c) { c.effectStrength = 0.3f; },
     [](const Color& c, const Color& o, int, int) { return Mix(o, c, 0.3f); }},
    {"exponential saturation", [](auto& c) { c.exponentialSaturationStrength = 0.5f; },
     [](const Color& c, const Color&, int, int) {
         Color hsv = RgbToHsv(c);
         hsv[1] = std::pow(hsv[1], 2.0f);
         return HsvToRgb(hsv);
     }},
    {"saturation contrast", [](auto& c) { c.saturationContrastStrength = 1.8f; },
     [](const Color& c, const Color&, int, int) {
         Color hsv = RgbToHsv(c);
         const float s = 2.0f * hsv[1] - 1.0f;
         hsv[1] = 0.5f * ((s < 0 ? -1.0f : s > 0 ? 1.0f : 0.0f) * std::pow(std::fabs(s), 1.8f) + 1.0f);
         return HsvToRgb(hsv);
     }},
    {"black vignette",
     [](auto& c) {
         c.vignette = true, c.vignetteRange = {0.3f, 0.6f};
     },
     [](const Color& c, const Color&, int x, int y) {
         const float u = (x + 0.5f) / harness::kGridWidth - 0.5f, v = (y + 0.5f) / harness::kGridHeight - 0.5f;
         float t = harness::Clamp01((std::sqrt(u * u + v * v) - 0.3f) / 0.3f);
         t *= t * (3.0f - 2.0f * t);
         return Scale(c, -0.93f * t + 1.0f);
     }},
    {"white vignette",
     [](auto& c) {
         c.vignette = true, c.vignetteBlack = false, c.vignetteRange = {0.2f, 0.55f};
     },
     [](const Color& c, const Color&, int x, int y) {
         const float u = (x + 0.5f) / harness::kGridWidth - 0.5f, v = (y + 0.5f) / harness::kGridHeight - 0.5f;
         float t = harness::Clamp01((std::sqrt(u * u + v * v) - 0.2f) / 0.35f);
         t *= t * (3.0f - 2.0f * t);
         return Mix(c, {1.0f, 1.0f, 1.0f}, t);
     }},
    {"shadows",
     [](auto& c) {
         c.shadows = {0.4f, 0.7f};
     },
     [](const Color& c, const Color&, int, int) {
         return ShadowsHighlights(c, sShadowsHighlights{0.4f, 0.7f}, std::nullopt);
     }},
    {"highlights",
     [](auto& c) {
         c.highlights = {0.3f, 0.85f};
     },
     [](const Color& c, const Color&, int, int) {
         return ShadowsHighlights(c, std::nullopt, sShadowsHighlights{0.3f, 0.85f});
     }},
    {"shadows and highlights",
     [](auto& c) {
         c.shadows = {0.6f, 0.85f}, c.highlights = {0.2f, 0.5f};
     },
     [](const Color& c, const Color&, int, int) {
         return ShadowsHighlights(c, sShadowsHighlights{0.6f, 0.85f}, sShadowsHighlights{0.2f, 0.5f});
     }},
    {"vertical split", [](auto& c) { c.split.on = true; },
     [](const Color& c, const Color& o, int x, int) { return x >= 8 ? o : c; }},
};

TEST_F(ColorProgramsTest, EachAdjustmentStageMatchesItsFormula) {
    const std::vector<Color> grid = harness::ColorGrid(), original = harness::ColorGrid(true);
    const harness::Texture input = harness::ColorTexture(harness::kGridWidth, harness::kGridHeight, grid);
    const harness::Texture unprocessed = harness::ColorTexture(harness::kGridWidth, harness::kGridHeight, original);
    for (const AdjustmentCase& c : kAdjustments) {
        sColorAdjustment ca;
        c.set(ca);
        std::string log;
        const GLuint program = harness::LinkFragment(Fragment(ca, true, 2, c.weights), 2, &log);
        ASSERT_NE(program, 0u) << c.name << "\n" << log << Fragment(ca);
        const auto uniforms = ColorAdjustmentUniforms(ca, ColorAdjustmentStages(ca), {8.0f, 4.0f, 1.0f, 0.0f});
        const auto out = harness::Render(program, harness::kGridWidth, harness::kGridHeight,
                                         {input.name, unprocessed.name}, uniforms);
        std::vector<Color> expected;
        for (int y = 0; y < harness::kGridHeight; ++y)
            for (int x = 0; x < harness::kGridWidth; ++x) {
                const size_t i = static_cast<size_t>(y) * harness::kGridWidth + x;
                expected.push_back(c.expected(grid[i], original[i], x, y));
            }
        harness::ExpectColors(out, expected, kTolerance, c.name);
        glDeleteProgram(program);
    }
}

TEST_F(ColorProgramsTest, HorizontalSplitFollowsTheAngle) {
    sColorAdjustment ca;
    ca.split.on = true;
    const GLuint program = harness::LinkFragment(Fragment(ca));
    ASSERT_NE(program, 0u);
    const std::vector<Color> grid = harness::ColorGrid(), original = harness::ColorGrid(true);
    const harness::Texture input = harness::ColorTexture(harness::kGridWidth, harness::kGridHeight, grid);
    const harness::Texture unprocessed = harness::ColorTexture(harness::kGridWidth, harness::kGridHeight, original);
    // The normal points down the picture: rows from y = 4 up show the unprocessed picture.
    const float angle = static_cast<float>(M_PI / 2);
    const auto out = harness::Render(
        program, harness::kGridWidth, harness::kGridHeight, {input.name, unprocessed.name},
        ColorAdjustmentUniforms(ca, ColorAdjustmentStages(ca), {3.0f, 4.0f, std::cos(angle), std::sin(angle)}));
    std::vector<Color> expected;
    for (size_t i = 0; i < grid.size(); ++i) expected.push_back(i / harness::kGridWidth >= 4 ? original[i] : grid[i]);
    harness::ExpectColors(out, expected, 1.0f / 255.0f, "horizontal split");
    glDeleteProgram(program);
}

// ---- Looks --------------------------------------------------------------------------------------

harness::Texture LookTexture(const sLookImage& image) {
    return image.channels == 4
               ? harness::Texture(image.width, image.height, GL_RGBA, GL_NEAREST, image.bytes.data())
               : harness::Texture(image.width, image.height, GL_LUMINANCE, GL_LINEAR, image.bytes.data());
}

platform::ImageBitmap Strip(const std::function<uint8_t(int x, int channel)>& curve) {
    platform::ImageBitmap b;
    b.width = 256;
    b.height = 1;
    b.pixels.resize(256 * 4);
    for (int x = 0; x < 256; ++x) {
        for (int k = 0; k < 3; ++k) b.pixels[4 * x + k] = curve(x, k);
        b.pixels[4 * x + 3] = 255;
    }
    return b;
}

platform::ImageBitmap ResourceImage(const char* name) {
    const std::string path = testsupport::LookImagePath(name);
    EXPECT_FALSE(path.empty()) << name;
    platform::ImageIOError error;
    auto decoded = platform::DecodeImageFile(path, platform::ImagePixelFormat::RGBA, &error);
    EXPECT_TRUE(decoded) << name << ": " << error.message;
    return decoded ? decoded->bitmap : platform::ImageBitmap{};
}

int Nearest(float u, int size) { return std::clamp(static_cast<int>(std::floor(u * size)), 0, size - 1); }

// What the look stage makes of c at full strength, from the image it samples.
Color SampleLook(int look, const sLookImage& image, const Color& c) {
    const auto texel = [&](int x, int y, int k) {
        return image.bytes[(static_cast<size_t>(y) * image.width + x) * 4 + k] / 255.0f;
    };
    const float gray = Luma(c);
    if (look == 15) {
        const float s = gray * image.width - 0.5f;
        const int i = static_cast<int>(std::floor(s));
        const float f = s - i;
        const auto at = [&](int j) { return image.bytes[std::clamp(j, 0, image.width - 1)] / 255.0f; };
        const float v = at(i) + (at(i + 1) - at(i)) * f;
        return {v, v, v};
    }
    const int row = look == 1 ? Nearest(gray, image.height) : image.height / 2;
    Color out;
    for (int k = 0; k < 3; ++k) out[k] = texel(Nearest(c[k], image.width), row, k);
    if (look == 9) {
        const float g = Luma(out);
        return {g, g, g};
    }
    return out;
}

void ExpectLook(int look, const platform::ImageBitmap& bitmap, float strength, float tolerance, const char* what,
                const std::function<Color(const Color&)>& formula = nullptr) {
    std::string reason;
    const auto image = ConvertLookImage(look, bitmap, &reason);
    ASSERT_TRUE(image) << what << ": " << reason;
    const harness::Texture lookTexture = LookTexture(*image);
    sColorAdjustment ca;
    ca.toneMap = look;
    ca.toneMapStrength = strength;
    std::string log;
    const GLuint program = harness::LinkFragment(Fragment(ca), 2, &log);
    ASSERT_NE(program, 0u) << what << "\n" << log;
    const std::vector<Color> grid = harness::ColorGrid();
    const harness::Texture input = harness::ColorTexture(harness::kGridWidth, harness::kGridHeight, grid);
    // img1 is not declared by a look alone; unit 1 is bound to the input all the same.
    const auto out =
        harness::Render(program, harness::kGridWidth, harness::kGridHeight, {input.name, input.name, lookTexture.name},
                        ColorAdjustmentUniforms(ca, ColorAdjustmentStages(ca), {}));
    std::vector<Color> expected;
    for (const Color& c : grid)
        expected.push_back(Mix(c, formula ? formula(c) : SampleLook(look, *image, c), strength));
    harness::ExpectColors(out, expected, tolerance, what);
    glDeleteProgram(program);
}

TEST_F(ColorProgramsTest, LookStripsMapEachChannel) {
    const auto identity = Strip([](int x, int) { return static_cast<uint8_t>(x); });
    const auto inverse = Strip([](int x, int) { return static_cast<uint8_t>(255 - x); });
    ExpectLook(2, identity, 1.0f, 1.0f / 255.0f, "identity strip", [](const Color& c) { return c; });
    ExpectLook(2, inverse, 1.0f, 1.0f / 255.0f, "inverting strip", [](const Color& c) {
        return Color{1 - c[0], 1 - c[1], 1 - c[2]};
    });
    ExpectLook(2, inverse, 0.4f, kTolerance, "inverting strip at 0.4", [](const Color& c) {
        return Color{1 - c[0], 1 - c[1], 1 - c[2]};
    });
    // A strip whose channels differ proves each channel reads its own curve.
    const auto swapped = Strip([](int x, int k) { return static_cast<uint8_t>(k == 1 ? 255 - x : x / 2); });
    const auto half = [](float c) { return static_cast<float>(std::lround(c * 255.0f) / 2) / 255.0f; };
    ExpectLook(5, swapped, 1.0f, 1.0f / 255.0f, "per-channel strip", [&](const Color& c) {
        return Color{half(c[0]), 1 - c[1], half(c[2])};
    });
}

TEST_F(ColorProgramsTest, ShippedLooksMatchTheirImages) {
    ExpectLook(1, ResourceImage("toneMapGotham.png"), 1.0f, 3.0f / 255.0f, "Gotham");
    ExpectLook(9, ResourceImage("toneMapWillow.png"), 1.0f, kTolerance, "Willow");
    ExpectLook(15, ResourceImage("toneMapInkwell.png"), 0.8f, kTolerance, "Inkwell");
    ExpectLook(2, ResourceImage("toneMapAmaro.png"), 1.0f, 1.0f / 255.0f, "Amaro");
}

TEST_F(ColorProgramsTest, EveryStageCombinationCompiles) {
    // Every stage on at once, with each kind of look, both grayscale positions and both
    // vignettes, in every precision.
    for (int look : {2, 9, 1, 15}) {
        for (int variant = 0; variant < 4; ++variant) {
            sColorAdjustment ca;
            ca.effectStrength = 0.5f, ca.split.on = true, ca.toneMap = look, ca.temperature = 0.2f;
            ca.photoFilter = true, ca.shadows = {0.3f, 0.5f}, ca.highlights = {0.6f, 0.7f};
            ca.exposure = 0.1f, ca.exponentialBrightnessStrength = 1.2f, ca.saturationStrength = 1.1f;
            ca.exponentialSaturationStrength = 0.9f, ca.saturationContrastStrength = 1.2f, ca.contrastStrength = 1.1f;
            ca.vibrancyStrength = 0.2f, ca.vignette = true;
            ca.grayscale = variant != 0;
            ca.grayscaleAtEnd = variant == 2;
            ca.vignetteBlack = variant != 3;
            for (int32_t precision : {0, 1, 2}) {
                std::string log;
                const GLuint program = harness::LinkFragment(Fragment(ca, true, precision), precision, &log);
                EXPECT_NE(program, 0u) << "look " << look << " variant " << variant << "\n" << log << Fragment(ca);
                glDeleteProgram(program);
            }
        }
    }
    // Each stage alone.
    for (const AdjustmentCase& c : kAdjustments) {
        sColorAdjustment ca;
        c.set(ca);
        const GLuint program = harness::LinkFragment(Fragment(ca, true, 1), 1);
        EXPECT_NE(program, 0u) << c.name;
        glDeleteProgram(program);
    }
}

// ---- Colour correction ----------------------------------------------------------------------------

// The colour-correction formulas are the chain reference's.
using chainref::Clamp01;
using chainref::CorrectColor;
using chainref::Pouli;
using chainref::Vec;

TEST_F(ColorProgramsTest, EachCorrectionMethodMatchesItsFormula) {
    // Colour with its own luminance in alpha; the target luminance a brightened, clipped copy.
    const std::vector<Color> grid = harness::ColorGrid();
    std::vector<float> lo, lt;
    std::vector<Color> target;
    for (const Color& c : grid) {
        lo.push_back(std::lround(Luma(c) * 255.0f) / 255.0f);
        lt.push_back(std::lround(std::min(1.0f, Luma(c) * 1.4f + 0.05f) * 255.0f) / 255.0f);
        target.push_back({lt.back(), 0.0f, 0.0f});
    }
    const harness::Texture colour = harness::ColorTexture(harness::kGridWidth, harness::kGridHeight, grid, lo);
    const harness::Texture luminance = harness::ColorTexture(harness::kGridWidth, harness::kGridHeight, target);
    const float strength = 0.6f;
    const QV::Math::CVector2<float> cieExponents{0.5f, 0.1f};
    // The Pouli saturation exponent shapes the chroma wherever the Pouli step runs.
    const float saturationExponent = 0.7f;
    for (int method = 0; method <= 10; ++method) {
        for (bool cie : {false, true}) {
            for (int pouli = 0; pouli < 3; ++pouli) {
                const bool pouliAfter = pouli > 0, saturation = pouli == 2 || (pouli == 1 && method == 3);
                if ((pouliAfter && cie) || (method == 3 && pouli == 2)) continue;
                sColorCorrectionOptions o;
                o.method = static_cast<eColorCorrectionMethod>(method);
                o.cie = cie;
                o.pouliAfter = pouliAfter && method != 3;
                o.pouliSaturation = saturation;
                const std::string what = "method " + std::to_string(method) + (cie ? " CIE" : "") +
                                         (o.pouliAfter ? " Pouli after" : "") + (saturation ? " saturation" : "");
                std::string log;
                const GLuint program = harness::LinkFragment(ColorCorrectionFragment(o), 2, &log);
                ASSERT_NE(program, 0u) << what << "\n" << log;
                std::vector<sUniformValue> uniforms;
                const bool usesLuminance = method != 3 && method != 10;
                if (usesLuminance) uniforms.push_back({"uColorCorrectionStrength", 1, {strength}});
                if (usesLuminance && cie)
                    uniforms.push_back({"uColorCorrectionCIE", 2, {cieExponents.x, cieExponents.y}});
                if (saturation) uniforms.push_back({"uPouliSaturationExponent", 1, {saturationExponent}});
                const std::optional<double> exponent =
                    saturation ? std::optional<double>(saturationExponent) : std::nullopt;
                const auto out = harness::Render(program, harness::kGridWidth, harness::kGridHeight,
                                                 {colour.name, luminance.name}, uniforms);
                std::vector<Color> expected;
                for (size_t i = 0; i < grid.size(); ++i) {
                    const Vec mo{grid[i][0], grid[i][1], grid[i][2]};
                    const double s =
                        cie ? strength * std::pow(std::max<double>(lo[i], 1e-6), cieExponents.x) + cieExponents.y
                            : strength;
                    Vec rgb = CorrectColor(method, mo, lo[i], lt[i], s, exponent);
                    if (o.pouliAfter) rgb = Pouli(mo, Clamp01(rgb), exponent);
                    expected.push_back(
                        {static_cast<float>(rgb[0]), static_cast<float>(rgb[1]), static_cast<float>(rgb[2])});
                }
                harness::ExpectColors(out, expected, kTolerance, what);
                glDeleteProgram(program);
            }
        }
    }
}

TEST_F(ColorProgramsTest, EveryCorrectionCombinationCompiles) {
    for (int method = 0; method <= 10; ++method)
        for (int flags = 0; flags < 8; ++flags)
            for (int32_t precision : {1, 2}) {
                sColorCorrectionOptions o;
                o.method = static_cast<eColorCorrectionMethod>(method);
                o.cie = flags & 1;
                o.pouliAfter = (flags & 2) && method != 3;
                o.pouliSaturation = (flags & 4) && (o.pouliAfter || method == 3);
                o.precision = precision;
                std::string log;
                const GLuint program = harness::LinkFragment(ColorCorrectionFragment(o), precision, &log);
                EXPECT_NE(program, 0u) << "method " << method << " flags " << flags << "\n" << log;
                glDeleteProgram(program);
            }
}

TEST_F(ColorProgramsTest, BaseProgramsCompileAndDarkMaskIncludesOneThird) {
    for (int32_t precision : {0, 1, 2}) {
        for (bool opaque : {false, true}) {
            const GLuint program = harness::LinkFragment(CopyProgramFragment(precision, opaque), precision);
            EXPECT_NE(program, 0u);
            glDeleteProgram(program);
        }
    }
    // Red levels 84 (just below a third), 85 (exactly one third of 255) and 86.
    const std::vector<Color> reds = {{84 / 255.0f, 0, 0}, {85 / 255.0f, 0, 0}, {86 / 255.0f, 0, 0}, {1, 1, 1}};
    const harness::Texture input = harness::ColorTexture(4, 1, reds);
    const GLuint mask = harness::LinkFragment(DarkMaskFragment(2, false));
    ASSERT_NE(mask, 0u);
    const auto dark = harness::Render(mask, 4, 1, {input.name}, {});
    EXPECT_EQ(dark[0][0], 1.0f);
    EXPECT_EQ(dark[1][0], 1.0f);
    EXPECT_EQ(dark[2][0], 0.0f);
    EXPECT_EQ(dark[3][0], 0.0f);
    glDeleteProgram(mask);

    const GLuint dehaze = harness::LinkFragment(DarkMaskFragment(2, true));
    ASSERT_NE(dehaze, 0u);
    const auto alpha = harness::Render(dehaze, 4, 1, {input.name}, {});
    for (size_t i = 0; i < reds.size(); ++i) EXPECT_NEAR(alpha[i][1], 0.1050f * reds[i][0] + 0.3777f, 1.0f / 255.0f);
    glDeleteProgram(dehaze);
}

}  // namespace
