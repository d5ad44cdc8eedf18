#include <gtest/gtest.h>

#include <map>
#include <set>

#include "engine/ParameterTable.h"

using namespace EngineParameters;

namespace {

// The normalised default of every readable parameter, as the interface reads it.
const std::map<std::string, float>& ExpectedDefaults() {
    static const std::map<std::string, float> defaults = {
        {"Luminance Style", 0.125f},
        {"Level 0 Contrast Strength", 1},
        {"Level 1 Contrast Strength", 1},
        {"Level 2 Contrast Strength", 1},
        {"Tone Mapping P", 0},
        {"Tone Mapping Dimension", 0.25f},
        {"Contrast Based On", 0.875f},
        {"Contrast Based On Both Balance", 0.5f},
        {"CIE Contrast Equation", 0.125f},
        {"CIE Contrast K Strength", 0.5f},
        {"CIE Non-CIE Contrast Strength Scale", 0.05f},
        {"CIE Non-CIE Contrast Strength Exponent", 1},
        {"CIE Non-CIE Contrast Range Low", 0},
        {"CIE Non-CIE Contrast Range High", 1},
        {"CIE Contrast Compression", 0.25f},
        {"CIE Contrast Compression Side", 0.5f / 3},
        {"CIE Contrast Compression Strength", 0.5f},
        {"CIE Contrast Compression Interval", 0.5f},
        {"CIE Halo Strength", 0},
        {"CIE Halo Maximum Width", 0},
        {"CIE Halo Removal Type", 2.5f / 3},
        {"NR On/Off", 0},
        {"NR Type", 2.5f / 3},
        {"NR Scale On Save On/Off", 0},
        {"NR Dimension", 0.7f},
        {"NR Flow Field GPU Image SigmaS", 2.4f / 3.9f},
        {"NR Flow Field GPU Image Distance Factor", 0.8f},
        {"NR Flow Field GPU Image Spacing Factor", 0.1f},
        {"NR Flow Field GPU Image Shader Same As GPUImage", 0},
        {"NR Isotropic GPU Image SigmaS", 2.4f / 3.9f},
        {"NR Isotropic GPU Image Distance Factor", 0.8f},
        {"NR Isotropic GPU Image Spacing Factor", 0.1f},
        {"NR Isotropic GPU Image Shader Same As GPUImage", 0},
        {"NR Flow Field Bilateral SigmaS", 1.4f / 3.9f},
        {"NR Flow Field Bilateral SigmaR", 0.01f / 0.095f},
        {"Alg Brightness Method", 0.125f},
        {"Alg CIE Brightness Strength Method", 0.75f},
        {"Alg CIE Brightness Strength", 0.5f},
        {"Alg Brightness Method CIE Var Exponent", 1},
        {"Alg Brightness Method CIE Var Scale", 1},
        {"Alg CIE Brighten Only On/Off", 0},
        {"Alg SH Shadows Strength", 0},
        {"Alg SH Shadows Width", 0.85f},
        {"Alg SH Highlights Strength", 1},
        {"Alg SH Highlights Width", 0.85f},
        {"Alg Levels Black Point", 0},
        {"Alg Levels Mid-Tone Fraction", 0.5f},
        {"Alg Levels White Point", 1},
        {"Alg Color Correction Method", 0.5f / 11},
        {"Alg Color Correction Strength", 0.171429f},
        {"Alg Color Correction CIE On/Off", 0},
        {"Alg Color Correction CIE Alpha", 1},
        {"Alg Color Correction CIE Beta", 0},
        {"Alg Pouli Post Color Correction Method On/Off", 0},
        {"Alg Pouli Saturation On/Off", 0},
        {"Alg Pouli Saturation Exponent", 0.5f},
        {"Alg Filmic Strength", 0.5f},
        {"CA Grayscale On/Off", 0},
        {"CA Grayscale Coefficients", 1.0f / 32},
        {"CA Grayscale At End On/Off", 0},
        {"CA Temperature", 0.5f},
        {"CA Photo Filter On/Off", 0},
        {"CA Photo Filter Strength", 1},
        {"CA Photo Filter R", 0.9254f},
        {"CA Photo Filter G", 0.5411f},
        {"CA Photo Filter B", 0},
        {"CA Shadows Strength", 0},
        {"CA Shadows Width", 0.85f},
        {"CA Highlights Strength", 1},
        {"CA Highlights Width", 0.85f},
        {"CA Exposure", 0.5f},
        {"CA Exponential Brightness Strength", 0.5f},
        {"CA Saturation Strength", 0.5f},
        {"CA Exponential Saturation Strength", 0.5f},
        {"CA Saturation Contrast Strength", 0.9f / 1.9f},
        {"CA Contrast Strength", 0.5f},
        {"CA Vibrancy Strength", 0.5f},
        {"CA Effect Strength", 1},
        {"CA Tone Map", 1.0f / 130},
        {"CA Tone Map Strength", 1},
        {"CA Photo Filter Tone Map Strength Multiplier", 1},
        {"CA Vignette On/Off", 0},
        {"CA Vignette Begin", 1},
        {"CA Vignette End", 0.83f},
        {"CA Vignette Black On/Off", 1},
        {"Gaussian Type", 2.5f / 3},
        {"Gaussian SigmaS", 1},
        {"Line Integral On/Off", 0},
        {"Num Line Integral Iterations", 0.125f},
    };
    return defaults;
}

TEST(ParameterTable, HundredNamesOfWhichEightyNineReadable) {
    std::set<std::string_view> names;
    size_t ignored = 0;
    for (const sParameter& p : Parameters()) {
        EXPECT_TRUE(names.insert(p.name).second) << "duplicate " << p.name;
        if (p.kind == eKind::Ignored) {
            ++ignored;
            EXPECT_EQ(p.name.substr(0, 3), "LL ");
        }
    }
    EXPECT_EQ(names.size(), 100u);
    EXPECT_EQ(ignored, 11u);
    EXPECT_EQ(ExpectedDefaults().size(), 89u);
}

TEST(ParameterTable, EveryDefaultNormalised) {
    for (const auto& [name, expected] : ExpectedDefaults()) {
        const sParameter* p = FindParameter(name);
        ASSERT_NE(p, nullptr) << name;
        EXPECT_NEAR(DefaultValue(*p), expected, 2e-6f) << name;
    }
}

TEST(ParameterTable, ConversionsOfEachKind) {
    struct Case {
        const char* name;
        float v, internal;
    };
    const Case cases[] = {
        {"Tone Mapping Dimension", 1.0f, 7},
        {"Tone Mapping Dimension", 0.49f, 5},
        {"NR Dimension", 1.0f, 11},
        {"NR Dimension", 0.5f, 7},
        {"NR Dimension", -2.0f, 3},
        {"CA Exposure", 0.5f, 0},
        {"CA Exposure", 0.75f, 1},
        {"Alg Pouli Saturation Exponent", 0.0f, 1.6f},
        {"Alg Pouli Saturation Exponent", 1.0f, 0.4f},
        {"Luminance Style", 0.999f, 3},
        {"CA Vignette On/Off", 0.5f, 0},
        {"CA Vignette On/Off", 0.5000001f, 1},
        {"Num Line Integral Iterations", 1.0f, 4},
        {"Num Line Integral Iterations", -1.0f, 1},
        {"CA Effect Strength", 3.0f, 3.0f},
        {"Tone Mapping P", 1.0f, 6.7f},
    };
    for (const Case& c : cases) {
        const sParameter* p = FindParameter(c.name);
        ASSERT_NE(p, nullptr) << c.name;
        EXPECT_FLOAT_EQ(InternalFromValue(*p, c.v), c.internal) << c.name << " at " << c.v;
    }
    const sParameter* dimension = FindParameter("Tone Mapping Dimension");
    EXPECT_FLOAT_EQ(ValueFromInternal(*dimension, InternalFromValue(*dimension, 0.2f)), 0.25f);
}

TEST(ParameterTable, CategoriesOfTheReadableNames) {
    size_t listed = 0;
    for (const sParameter& p : Parameters()) {
        const auto names = CategoryNames(p.categories);
        if (p.kind == eKind::Ignored) {
            EXPECT_TRUE(names.empty()) << p.name;
            continue;
        }
        ++listed;
        EXPECT_GE(names.size(), 1u) << p.name;
        EXPECT_LE(names.size(), 4u) << p.name;
    }
    EXPECT_EQ(listed, 89u);
    using V = std::vector<std::string_view>;
    EXPECT_EQ(CategoryNames(FindParameter("Luminance Style")->categories), V{"Global"});
    EXPECT_EQ(CategoryNames(FindParameter("CIE Halo Strength")->categories), (V{"CIE", "Strength", "Halo"}));
    EXPECT_EQ(CategoryNames(FindParameter("NR Dimension")->categories),
              (V{"NR", "NR FF GPU Image", "NR Iso GPU Image", "NR FF BF"}));
    EXPECT_EQ(CategoryNames(FindParameter("NR Flow Field Bilateral SigmaR")->categories),
              (V{"NR", "NR FF BF", "Flow Field"}));
    EXPECT_EQ(CategoryNames(FindParameter("CA Tone Map Strength")->categories), (V{"Strength", "Color", "CA"}));
    EXPECT_EQ(CategoryNames(FindParameter("Gaussian SigmaS")->categories), V{"Smoothing"});
}

}  // namespace
