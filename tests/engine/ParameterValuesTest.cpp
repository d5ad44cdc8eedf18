#include <gtest/gtest.h>

#include <cmath>

#include "engine/ParameterValues.h"
#include "engine/ToneMapLookTable.h"

using namespace EngineParameters;

namespace {

TEST(ParameterValues, ChoiceIndexFromAnyValue) {
    const float nan = std::nanf("");
    struct Case {
        float v;
        int n, index;
    };
    const Case cases[] = {
        {0.0f, 4, 0},   {0.24f, 4, 0},  {0.25f, 4, 1},  {0.999f, 4, 3}, {1.0f, 4, 3},
        {7.5f, 4, 3},   {-0.01f, 4, 0}, {-3.0f, 65, 0}, {nan, 11, 0},   {0.5f, 65, 32},
        {1.0f, 65, 64}, {0.375f, 4, 1}, {0.5f, 2, 1},   {0.49f, 2, 0},  {INFINITY, 3, 2},
    };
    for (const Case& c : cases) EXPECT_EQ(ChoiceIndex(c.v, c.n), c.index) << c.v << " of " << c.n;
    EXPECT_FLOAT_EQ(ChoiceValue(1, 4), 0.375f);
    EXPECT_FLOAT_EQ(ChoiceValue(15, 16), 0.96875f);
}

TEST(ParameterValues, FlagsAndLineIntegralCounts) {
    EXPECT_FALSE(FlagFromValue(0.5f));
    EXPECT_TRUE(FlagFromValue(0.5000001f));
    EXPECT_FALSE(FlagFromValue(std::nanf("")));
    struct Case {
        float v;
        int count;
    };
    const Case cases[] = {{0.0f, 1}, {0.24f, 1}, {0.25f, 2},         {0.75f, 4},
                          {1.0f, 4}, {-5.0f, 1}, {std::nanf(""), 1}, {100.0f, 4}};
    for (const Case& c : cases) EXPECT_EQ(LineIntegralIterationsFromValue(c.v), c.count) << c.v;
    EXPECT_FLOAT_EQ(LineIntegralIterationsValue(1), 0.125f);
}

// Value to text and text to value for every enumerated parameter shape.
TEST(ParameterValues, DescriptionsBothWays) {
    struct Case {
        const char* parameter;
        float value;
        const char* text;
        float centre;  // value the text maps back to
    };
    const Case cases[] = {
        {"Luminance Style", 0.3f, "Local Laplacian", 0.375f},
        {"Luminance Style", 1.0f, "None", 0.875f},
        {"Luminance Style", -0.5f, "CIE", 0.125f},  // damaged value: first entry
        {"CIE Contrast Equation", 0.9f, "Sigmoid", 0.875f},
        {"CIE Contrast Compression", 0.6f, "Exponent Interval", 3.5f / 6.0f},
        {"Tone Mapping Dimension", 0.49f, "5", 0.25f},
        {"Tone Mapping Dimension", 1.0f, "7", 0.75f},
        {"NR Dimension", 0.5f, "7", 0.5f},
        {"NR Dimension", 1.0f, "11", 0.9f},
        {"NR Dimension", -1.0f, "3", 0.1f},
        {"NR Type", 0.0f, "Flow Field GPUImage", 1.0f / 6.0f},
        {"Gaussian Type", 0.4f, "Flow field", 0.5f},
        {"CA Grayscale Coefficients", 1.0f, "Kodak Tri-X", 0.96875f},
        {"CA Tone Map", 0.5f, "Midnight Hour", 32.5f / 65.0f},
        {"CA Tone Map", 0.02f, "Gotham", 1.5f / 65.0f},
        {"CA Tone Map", 1.0f, "Toes in the Ocean", 64.5f / 65.0f},
        {"Alg Color Correction Method", std::nanf(""), "Deron", 0.5f / 11.0f},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DescribeValue(c.parameter, c.value), c.text) << c.parameter << " " << c.value;
        EXPECT_FLOAT_EQ(ValueFromDescription(c.parameter, c.text), c.centre) << c.parameter << " " << c.text;
    }
}

TEST(ParameterValues, UnknownTextGivesTheFallbackEntry) {
    struct Case {
        const char* parameter;
        const char* fallback;
    };
    const Case cases[] = {
        {"Luminance Style", "None"},
        {"Tone Mapping Dimension", "5"},
        {"Contrast Based On", "None"},
        {"CIE Contrast Compression", "Clamp"},
        {"CIE Halo Removal Type", "All"},
        {"NR Type", "Flow Field Bilateral"},
        {"NR Dimension", "9"},
        {"Alg CIE Brightness Strength Method", "Scale and Exponent"},
        {"CA Tone Map", "None"},
        {"Gaussian Type", "None"},
    };
    for (const Case& c : cases) {
        const float value = ValueFromDescription(c.parameter, "no such entry");
        EXPECT_EQ(DescribeValue(c.parameter, value), c.fallback) << c.parameter;
    }
    // Matching is exact: the case of a letter makes another text.
    EXPECT_FLOAT_EQ(ValueFromDescription("Gaussian Type", "Flow Field"), 2.5f / 3.0f);
}

TEST(ParameterValues, EveryEntryRoundTripsThroughItsInterval) {
    EXPECT_EQ(Enumerations().size(), 15u);
    for (const sEnumeration& e : Enumerations()) {
        for (int32_t i = 0; i < e.Count(); ++i) {
            const std::string name(e.names[i]);
            const float centre = ValueFromDescription(e.parameter, name);
            // Any value inside the entry's interval describes the entry and maps back to the centre.
            const float inside = (static_cast<float>(i) + 0.9f) / static_cast<float>(e.Count());
            EXPECT_EQ(DescribeValue(e.parameter, inside), name) << e.parameter;
            EXPECT_EQ(DescribeValue(e.parameter, centre), name) << e.parameter;
        }
        EXPECT_EQ(DescribeValue(e.parameter, 1.0f), e.names.back()) << e.parameter;
    }
}

TEST(ParameterValues, OtherParametersPrintTheirValue) {
    EXPECT_EQ(DescribeValue("CA Tone Map Strength", 1.0f), "1.000000");
    EXPECT_EQ(DescribeValue("Unknown", 0.5f), "0.500000");
    EXPECT_EQ(ValueFromDescription("CA Exposure", "CIE"), 0.0f);
}

TEST(ToneMapLooks, TableAndActivity) {
    EXPECT_STREQ(ToneMapLookTable[0].displayName, "None");
    EXPECT_STREQ(ToneMapLookTable[2].imageName, "toneMapAmaro.png");
    EXPECT_STREQ(ToneMapLookTable[34].imageName, "toneMapRiversAndRain.png");
    int monochrome = 0;
    for (const sToneMapLook& look : ToneMapLookTable) monochrome += look.colorFlag ? 0 : 1;
    EXPECT_EQ(monochrome, 3);  // None, Gotham, Inkwell
    EXPECT_FALSE(ToneMapLookTable[15].colorFlag);

    EXPECT_FALSE(IsToneMapLookActive(0, 1.0f, 1.0f));
    EXPECT_TRUE(IsToneMapLookActive(2, 1.0f, 1.0f));
    EXPECT_FALSE(IsToneMapLookActive(2, 1e-6f, 1.0f));
    EXPECT_FALSE(IsToneMapLookActive(2, 1.0f, 0.0f));
    EXPECT_FALSE(IsToneMapLookActive(65, 1.0f, 1.0f));
}

}  // namespace
