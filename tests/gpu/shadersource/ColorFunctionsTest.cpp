// Text-level checks of the colour functions; their arithmetic is checked on GL elsewhere.
#include <gtest/gtest.h>

#include "gpu/shadersource/ColorFunctions.h"

namespace SS = QV::Graphics::ShaderSource;

namespace {

bool Contains(const std::string& text, const std::string& piece) { return text.find(piece) != std::string::npos; }

TEST(ColorFunctions, LuminanceAndSrgbStatements) {
    EXPECT_EQ(SS::WriteLuminanceExpression(0, "v", "float a"), "    float a = dot(v, vec3(0.299, 0.587, 0.114));\n");
    EXPECT_EQ(SS::WriteLuminanceExpression(1, "c.bgr", "a"), "    a = dot(c.bgr, vec3(0.2126, 0.7152, 0.0722));\n");
    EXPECT_EQ(SS::WriteLuminanceExpression(2, "v", "float a"), "    float a = rgbToLXX(v);\n");
    EXPECT_EQ(SS::WriteLuminanceExpression(4, "v", "float a"), "");
    const std::string encode = SS::WriteSrgbConversion(2, "color", false);
    EXPECT_EQ(encode.substr(encode.size() - 4), "));\n");
    EXPECT_FALSE(Contains(encode, ".rgb"));
    EXPECT_EQ(SS::WriteSrgbConversion(1, "color", true), "    color.rgb = pow(color.rgb, vec3(2.4));\n");
    EXPECT_EQ(SS::WriteSrgbConversion(4, "color", true), "");
}

TEST(ColorFunctions, LightnessScaledOrNot) {
    EXPECT_TRUE(Contains(SS::WriteRgbToLxx(true), "    return (1.16 * y) - 0.16;\n}\n"));
    EXPECT_TRUE(Contains(SS::WriteRgbToLxx(false), "    return (116.0 * y) - 16.0;\n}\n"));
    EXPECT_EQ(SS::WriteRgbToLxx(true).rfind("float rgbToLXX(vec3 rgb)\n{\n", 0), 0u);
}

TEST(ColorFunctions, MethodSelection) {
    EXPECT_EQ(SS::ColorCorrectionMethodFunction(7, false, false), SS::ColorCorrectionMethodFunction(6, false, false));
    EXPECT_EQ(SS::ColorCorrectionMethodFunction(10, true, true), "");
    EXPECT_EQ(SS::ColorCorrectionMethodFunction(3, true, true), SS::ColorCorrectionMethodFunction(3, true, false));
    EXPECT_EQ(SS::ColorCorrectionMethodFunction(3, false, false), SS::PouliFunction(false));
    for (int m = 0; m <= 10; ++m) EXPECT_EQ(SS::ColorCorrectionMethodUsesLuminance(m), m != 3 && m != 10) << m;
    EXPECT_FALSE(SS::ColorCorrectionMethodUsesLuminance(-1));
    EXPECT_FALSE(SS::ColorCorrectionMethodUsesLuminance(11));
    const std::string cie = SS::ColorCorrectionMethodFunction(1, false, true);
    EXPECT_TRUE(Contains(cie, "vec3 colorCorrectionMethodPower(vec3 Mo, float Lo, float Lt)\n{\n    float invLo"));
    EXPECT_TRUE(Contains(cie, "float p = "));
    EXPECT_TRUE(Contains(cie, "vec3(p)"));
    EXPECT_FALSE(Contains(SS::ColorCorrectionMethodFunction(1, false, false), "float p"));
}

TEST(ShadowsHighlightsCurve, Forms) {
    EXPECT_EQ(SS::WriteShadowsHighlightsCurve(false, false, "l", "l", "l", 0.5f, 0.5f), "");
    const std::string shadows = SS::WriteShadowsHighlightsCurve(true, false, "l", "l", "float cie", 0.5f, 0.85f);
    EXPECT_TRUE(Contains(shadows, "7.38082"));
    EXPECT_TRUE(Contains(shadows, "    float cie = (w0 * k1) + ((1.0 - w0) * l);\n"));
    const std::string both = SS::WriteShadowsHighlightsCurve(true, true, "l", "c", "c", 0.85f, 0.85f);
    EXPECT_TRUE(Contains(both, "2.69672"));
    EXPECT_TRUE(Contains(both, "    float k5Shadows;\n    float k5Highlights;\n    {\n        float k0"));
    EXPECT_TRUE(Contains(both, "    c = (k5Shadows + k5Highlights - l) * (c / max(l, 0.001));\n"));
    // The widths-first form writes the same text.
    EXPECT_EQ(SS::WriteShadowsHighlightsCurve(true, true, 0.85f, 0.85f, "l", "c", "c"), both);
    // Slider ends have no finite exponent; they stay just inside and still write valid numbers.
    EXPECT_NO_THROW(SS::WriteShadowsHighlightsCurve(true, true, "l", "l", "l", 0.0f, 1.0f));
}

}  // namespace
