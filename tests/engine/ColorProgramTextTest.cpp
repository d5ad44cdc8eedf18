// Stage selection, shared declarations and uniform values of the colour programs, and the
// conversion of look images; no GL needed.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "engine/EnginePrograms.h"
#include "engine/ToneMapLookTable.h"
#include "platform/imageio/ImageIO.h"
#include "support/Resources.h"

namespace {

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

std::string Text(const sColorAdjustment& ca, int32_t precision = 2) {
    sColorAdjustmentTextOptions o;
    o.stages = ColorAdjustmentStages(ca);
    o.precision = precision;
    return ColorAdjustmentFragment(o);
}

struct StageCase {
    const char* name;
    std::function<void(sColorAdjustment&, float)> offset;  // moves the value away from neutral
    bool sColorAdjustmentStages::*stage;
};

const StageCase kStages[] = {
    {"effect", [](sColorAdjustment& c, float d) { c.effectStrength = 1.0f + d; }, &sColorAdjustmentStages::effect},
    {"temperature", [](sColorAdjustment& c, float d) { c.temperature = d; }, &sColorAdjustmentStages::temperature},
    {"photo filter",
     [](sColorAdjustment& c, float d) {
         c.photoFilter = true;
         c.photoFilterStrength = d;
     },
     &sColorAdjustmentStages::photoFilter},
    {"photo filter multiplier",
     [](sColorAdjustment& c, float d) {
         c.photoFilter = true;
         c.photoFilterToneMapStrengthMultiplier = d;
     },
     &sColorAdjustmentStages::photoFilter},
    {"look",
     [](sColorAdjustment& c, float d) {
         c.toneMap = 2;
         c.toneMapStrength = d;
     },
     &sColorAdjustmentStages::look},
    {"look multiplier",
     [](sColorAdjustment& c, float d) {
         c.toneMap = 2;
         c.photoFilterToneMapStrengthMultiplier = d;
     },
     &sColorAdjustmentStages::look},
    {"shadows", [](sColorAdjustment& c, float d) { c.shadows.strength = d; }, &sColorAdjustmentStages::shadows},
    {"shadows width",
     [](sColorAdjustment& c, float d) {
         c.shadows = {0.5f, d};
     },
     &sColorAdjustmentStages::shadows},
    {"highlights", [](sColorAdjustment& c, float d) { c.highlights.strength = 1.0f + d; },
     &sColorAdjustmentStages::highlights},
    {"exposure", [](sColorAdjustment& c, float d) { c.exposure = -d; }, &sColorAdjustmentStages::exposure},
    {"exponential brightness", [](sColorAdjustment& c, float d) { c.exponentialBrightnessStrength = 1.0f + d; },
     &sColorAdjustmentStages::exponentialBrightness},
    {"saturation", [](sColorAdjustment& c, float d) { c.saturationStrength = 1.0f + d; },
     &sColorAdjustmentStages::saturation},
    {"exponential saturation", [](sColorAdjustment& c, float d) { c.exponentialSaturationStrength = 1.0f + d; },
     &sColorAdjustmentStages::exponentialSaturation},
    {"saturation contrast", [](sColorAdjustment& c, float d) { c.saturationContrastStrength = 1.0f + d; },
     &sColorAdjustmentStages::saturationContrast},
    {"contrast", [](sColorAdjustment& c, float d) { c.contrastStrength = 1.0f + d; },
     &sColorAdjustmentStages::contrast},
    {"vibrancy", [](sColorAdjustment& c, float d) { c.vibrancyStrength = d; }, &sColorAdjustmentStages::vibrancy},
};

TEST(ColorAdjustmentStages, DefaultsBuildNothing) { EXPECT_FALSE(ColorAdjustmentStages(sColorAdjustment{}).Any()); }

TEST(ColorAdjustmentStages, ActiveOnlyBeyondTheTolerance) {
    // Values near 1 are moved upwards: 1 + 1e-6 rounds to a float 9.5e-7 away from 1, while
    // 1 - 1e-6 would round to one 1.01e-6 away.
    for (const StageCase& c : kStages) {
        sColorAdjustment atTolerance;
        c.offset(atTolerance, 1e-6f);
        EXPECT_FALSE(ColorAdjustmentStages(atTolerance).*c.stage) << c.name << " at 1e-6";
        sColorAdjustment beyond;
        c.offset(beyond, 2e-6f);
        EXPECT_TRUE(ColorAdjustmentStages(beyond).*c.stage) << c.name << " at 2e-6";
        EXPECT_TRUE(ColorAdjustmentStages(beyond).Any()) << c.name;
    }
}

TEST(ColorAdjustmentStages, FlagsAndLooks) {
    sColorAdjustment ca;
    ca.grayscale = true;
    EXPECT_TRUE(ColorAdjustmentStages(ca).grayscaleStart);
    ca.grayscaleAtEnd = true;
    EXPECT_FALSE(ColorAdjustmentStages(ca).grayscaleStart);
    EXPECT_TRUE(ColorAdjustmentStages(ca).grayscaleEnd);

    sColorAdjustment split;
    split.split.on = true;
    EXPECT_TRUE(ColorAdjustmentStages(split).original);

    sColorAdjustment look;
    look.toneMap = 1;
    EXPECT_TRUE(ColorAdjustmentStages(look).look);
    EXPECT_FALSE(ColorAdjustmentStages(look, false).look) << "a look without its texture is left out";
    look.toneMap = 0;
    EXPECT_FALSE(ColorAdjustmentStages(look).look);
    // Photo filter on with strength 0: neither the photo filter nor, with the multiplier at 0,
    // the look.
    sColorAdjustment photo;
    photo.photoFilter = true;
    photo.toneMap = 3;
    photo.photoFilterToneMapStrengthMultiplier = 0.0f;
    EXPECT_FALSE(ColorAdjustmentStages(photo).Any());
}

TEST(ColorAdjustmentText, TemperatureStageAppearsAboveTolerance) {
    sColorAdjustment ca;
    ca.temperature = 1e-6f;
    EXPECT_FALSE(ColorAdjustmentStages(ca).Any());
    ca.temperature = 2e-6f;
    EXPECT_NE(Text(ca).find("uTemperature"), std::string::npos);
}

TEST(ColorAdjustmentText, SharedLocalsAreDeclaredOnce) {
    sColorAdjustment ca;
    ca.temperature = 0.3f;
    ca.photoFilter = true;
    const std::string both = Text(ca);
    EXPECT_EQ(Count(both, "vec3 processed"), 1u) << both;
    EXPECT_EQ(Count(both, "processed.rg = "), 1u);
    EXPECT_EQ(Count(both, " processed = "), 1u);

    sColorAdjustment gray;
    gray.grayscale = true;
    gray.toneMap = 15;
    const std::string inkwell = Text(gray);
    EXPECT_EQ(Count(inkwell, "float gray"), 1u) << inkwell;
    EXPECT_EQ(Count(inkwell, "gray = dot("), 2u);

    gray.toneMap = 9;
    gray.grayscaleAtEnd = true;
    EXPECT_EQ(Count(Text(gray), "float gray"), 1u) << Text(gray);
}

TEST(ColorAdjustmentText, PhotoFilterConstantsLiveInsideMain) {
    sColorAdjustment ca;
    ca.photoFilter = true;
    const std::string text = Text(ca);
    const size_t main = text.find("void main()");
    ASSERT_NE(main, std::string::npos);
    EXPECT_GT(text.find("photoFilterK0 = "), main) << text;
    EXPECT_GT(text.find("photoFilterK1 = "), main);
}

TEST(ColorAdjustmentText, SplitAloneIsMinimal) {
    sColorAdjustment ca;
    ca.split.on = true;
    EXPECT_EQ(Text(ca, 1),
              "precision mediump float;\n"
              "uniform lowp sampler2D img0;\n"
              "uniform lowp sampler2D img1;\n"
              "uniform vec4 uSplit;\n"
              "varying vec2 vTexture0;\n"
              "\nvoid main()\n{\n"
              "    vec3 c0 = texture2D(img0, vTexture0).rgb;\n"
              "    vec3 cOriginal = texture2D(img1, vTexture0).rgb;\n"
              "    float o = step(0.0, dot(gl_FragCoord.xy - uSplit.xy, uSplit.zw));\n"
              "    c0 = ((1.0 - o) * c0) + (o * cOriginal);\n"
              "    gl_FragColor = vec4(c0, 1.0);\n}");
}

TEST(ColorAdjustmentText, GrayscaleWeightsAreLiterals) {
    sColorAdjustmentTextOptions o;
    o.stages.grayscaleStart = true;
    o.grayscaleWeights = {0.31f, 0.36f, 0.33f};
    EXPECT_NE(ColorAdjustmentFragment(o).find("float gray = dot(c0, vec3(0.31, 0.36, 0.33));"), std::string::npos);
}

float UniformValue(const std::vector<sUniformValue>& values, const std::string& name, int component = 0) {
    for (const sUniformValue& u : values)
        if (u.name == name) return u.v[component];
    ADD_FAILURE() << name << " not set";
    return 0.0f;
}

TEST(ColorAdjustmentUniforms, ValuesOfTheTable) {
    sColorAdjustment ca;
    ca.exponentialSaturationStrength = 0.0f;
    ca.exponentialBrightnessStrength = 1.25f;
    ca.vignette = true;
    ca.toneMap = 4;
    ca.toneMapStrength = 0.5f;
    ca.photoFilterToneMapStrengthMultiplier = 0.8f;
    ca.photoFilter = true;
    ca.photoFilterStrength = 0.5f;
    auto u = ColorAdjustmentUniforms(ca, ColorAdjustmentStages(ca), {1, 2, 3, 4});
    EXPECT_FLOAT_EQ(UniformValue(u, "uExponentialSaturationStrength"), 999.99994f);
    EXPECT_FLOAT_EQ(UniformValue(u, "uExponentialBrightness"), 1.0f);
    EXPECT_FLOAT_EQ(UniformValue(u, "uExponentialBrightnessStrength"), static_cast<float>(1.0 / 1.501));
    EXPECT_FLOAT_EQ(UniformValue(u, "uVignetteRange", 0), 0.707107f);
    EXPECT_FLOAT_EQ(UniformValue(u, "uVignetteRange", 1), 1.0f / (0.83f - 0.707107f));
    EXPECT_FLOAT_EQ(UniformValue(u, "uVignetteTexture", 2), 1.0f);
    EXPECT_FLOAT_EQ(UniformValue(u, "uToneMapStrength"), 0.4f);
    EXPECT_FLOAT_EQ(UniformValue(u, "uPhotoFilterStrength"), 0.4f);
    EXPECT_FLOAT_EQ(UniformValue(u, "uPhotoFilterColor", 0), 2.0f * 0.9254f);

    ca.exponentialSaturationStrength = 2.0f;
    ca.exponentialBrightnessStrength = 0.75f;
    u = ColorAdjustmentUniforms(ca, ColorAdjustmentStages(ca), {});
    EXPECT_FLOAT_EQ(UniformValue(u, "uExponentialSaturationStrength"), 0.5f);
    EXPECT_FLOAT_EQ(UniformValue(u, "uExponentialBrightness"), 0.0f);
    EXPECT_FLOAT_EQ(UniformValue(u, "uExponentialBrightnessStrength"), 0.75f);

    // Inactive stages set nothing.
    EXPECT_TRUE(ColorAdjustmentUniforms(sColorAdjustment{}, ColorAdjustmentStages(sColorAdjustment{}), {}).empty());
}

TEST(ColorCorrectionText, MethodsAndSwitches) {
    sColorCorrectionOptions none;
    none.method = eColorCorrectionMethod::None;
    none.cie = true;
    const std::string plain = ColorCorrectionFragment(none);
    EXPECT_EQ(plain.find("uniform float"), std::string::npos) << plain;
    EXPECT_EQ(plain.find("uColorCorrectionCIE"), std::string::npos);
    EXPECT_NE(plain.find("float k = c1 / max(c0.a, 0.001);"), std::string::npos);

    sColorCorrectionOptions lab1, lab2;
    lab1.method = eColorCorrectionMethod::Lab1;
    lab2.method = eColorCorrectionMethod::Lab2;
    EXPECT_EQ(ColorCorrectionFragment(lab1), ColorCorrectionFragment(lab2));
    EXPECT_NE(ColorCorrectionFragment(lab2).find("vec3 rgbToLab(vec3 rgb)"), std::string::npos);

    sColorCorrectionOptions pouli;
    pouli.method = eColorCorrectionMethod::Pouli;
    pouli.pouliAfter = false;  // Pouli after Pouli is not applied twice
    pouli.cie = true;
    const std::string pouliText = ColorCorrectionFragment(pouli);
    EXPECT_EQ(Count(pouliText, "vec3 colorCorrectionMethodPouli("), 1u);
    EXPECT_EQ(Count(pouliText, "rgb = colorCorrectionMethodPouli("), 1u);
    EXPECT_EQ(pouliText.find("uColorCorrectionCIE"), std::string::npos);

    sColorCorrectionOptions deron;
    deron.method = eColorCorrectionMethod::Deron;
    deron.cie = true;
    deron.pouliSaturation = false;
    const std::string deronText = ColorCorrectionFragment(deron);
    EXPECT_NE(deronText.find("uniform vec2 uColorCorrectionCIE;\n"), std::string::npos);
    EXPECT_EQ(deronText.find("uPouliSaturationExponent"), std::string::npos);
    EXPECT_NE(deronText.find("uniform mediump sampler2D img1;\n"), std::string::npos);
}

TEST(NoiseReduction, VerticalPassesFollowTheColourSpaceOfTheCorrection) {
    // Lab0, Yxy and Lab1 read one luminance, Lab2 the other, every other method none.
    const int32_t expected[] = {0, 0, 0, 0, 1, 1, 1, 2, 0, 0, 0};
    for (int32_t method = 0; method < 11; ++method)
        EXPECT_EQ(NoiseReductionVerticalLuminanceMode(static_cast<eColorCorrectionMethod>(method)), expected[method])
            << method;
}

platform::ImageBitmap Bitmap(uint32_t w, uint32_t h, platform::ImagePixelFormat format,
                             const std::function<void(uint32_t, uint8_t*)>& fill) {
    platform::ImageBitmap b;
    b.width = w;
    b.height = h;
    b.format = format;
    b.pixels.resize(4u * w * h);
    for (uint32_t i = 0; i < w * h; ++i) fill(i, &b.pixels[4 * i]);
    return b;
}

TEST(LookImages, ConvertedToTheLayoutTheStageReads) {
    // A BGRA strip with a transparent alpha comes out as opaque RGBA.
    const auto strip = Bitmap(256, 1, platform::ImagePixelFormat::BGRA, [](uint32_t i, uint8_t* p) {
        p[0] = 3, p[1] = 2, p[2] = static_cast<uint8_t>(i), p[3] = 0;
    });
    std::string reason;
    auto colour = ConvertLookImage(2, strip, &reason);
    ASSERT_TRUE(colour) << reason;
    EXPECT_EQ(colour->channels, 4);
    EXPECT_EQ(colour->bytes[4 * 7 + 0], 7);
    EXPECT_EQ(colour->bytes[4 * 7 + 1], 2);
    EXPECT_EQ(colour->bytes[4 * 7 + 2], 3);
    EXPECT_EQ(colour->bytes[4 * 7 + 3], 255);

    // Inkwell keeps one channel, whatever the file held.
    const auto grey = Bitmap(256, 1, platform::ImagePixelFormat::RGBA, [](uint32_t i, uint8_t* p) {
        p[0] = p[1] = p[2] = static_cast<uint8_t>(255 - i), p[3] = 128;
    });
    auto inkwell = ConvertLookImage(15, grey, &reason);
    ASSERT_TRUE(inkwell) << reason;
    EXPECT_EQ(inkwell->channels, 1);
    ASSERT_EQ(inkwell->bytes.size(), 256u);
    EXPECT_EQ(inkwell->bytes[10], 245);

    // Unusable images.
    EXPECT_FALSE(ConvertLookImage(1, strip, &reason)) << "Gotham needs a table";
    EXPECT_FALSE(reason.empty());
    EXPECT_FALSE(
        ConvertLookImage(2, Bitmap(1, 1, platform::ImagePixelFormat::RGBA, [](uint32_t, uint8_t*) {}), nullptr));
    EXPECT_FALSE(ConvertLookImage(0, strip, nullptr));
    EXPECT_FALSE(ConvertLookImage(65, strip, nullptr));
}

TEST(LookImages, EveryShippedLookLoadsInItsLayout) {
    for (int32_t look = 1; look < kToneMapLookCount; ++look) {
        const sToneMapLook& row = ToneMapLookTable[static_cast<size_t>(look)];
        const std::string path = testsupport::LookImagePath(row.imageName);
        ASSERT_FALSE(path.empty()) << row.imageName;
        platform::ImageIOError error;
        const auto decoded = platform::DecodeImageFile(path, platform::ImagePixelFormat::RGBA, &error);
        ASSERT_TRUE(decoded) << row.imageName << ": " << error.message;
        std::string reason;
        const auto image = ConvertLookImage(look, decoded->bitmap, &reason);
        ASSERT_TRUE(image) << row.imageName << ": " << reason;
        EXPECT_EQ(image->width, 256) << row.imageName;
        EXPECT_EQ(image->height, look == 1 ? 256 : 1) << row.imageName;
        EXPECT_EQ(image->channels, look == 15 ? 1 : 4) << row.imageName;
    }
}

}  // namespace
