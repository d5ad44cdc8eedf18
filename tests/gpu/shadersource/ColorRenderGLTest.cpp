// The colour GLSL functions evaluated on GL: colour-space round trips over a colour grid,
// byte packing, and the colour-correction methods on black and grey pixels.
#include <gtest/gtest.h>

#include "Reference.h"
#include "gpu/shadersource/ColorFunctions.h"
#include "gpu/shadersource/ShaderSource.h"
#include "support/GLTest.h"

namespace {

namespace SS = QV::Graphics::ShaderSource;
constexpr float kStep = 1.0f / 255.0f;

class ColorRender : public GLTest {
protected:
    // A fragment program over the default vertex shader: functions, then main's body.
    rawgl::Image Run(const std::string& functions, const std::string& body, const rawgl::Image& input,
                     const std::function<void(rawgl::Program&)>& set = {}) {
        const std::string fragment = "precision highp float;\nuniform lowp sampler2D img0;\nvarying vec2 vTexture0;\n" +
                                     functions + "\nvoid main()\n{\n" + body + "}\n";
        rawgl::Program program(SS::DefaultVertexShader(2), fragment);
        EXPECT_TRUE(program.ok()) << program.log() << fragment;
        program.SetUnitSquare();
        program.SetSampler("img0", 0);
        if (set) set(program);
        GLuint texture = rawgl::Upload(input, false);
        rawgl::Image out = rawgl::RenderImage(program, {texture}, input.width, input.height);
        glDeleteTextures(1, &texture);
        return out;
    }

    // Every 8-bit level step of 51 in each channel: 6 × 6 × 6 colours, black and white included.
    static rawgl::Image ColourGrid() {
        rawgl::Image grid = rawgl::MakeImage(36, 6);
        for (int i = 0; i < 216; ++i) {
            grid.at(i % 36, i / 36, 0) = (i % 6) * 51 / 255.0f;
            grid.at(i % 36, i / 36, 1) = (i / 6 % 6) * 51 / 255.0f;
            grid.at(i % 36, i / 36, 2) = (i / 36) * 51 / 255.0f;
            grid.at(i % 36, i / 36, 3) = 1.0f;
        }
        return grid;
    }
};

TEST_F(ColorRender, ColourSpaceRoundTrips) {
    const rawgl::Image grid = ColourGrid();
    struct Space {
        const char* name;
        std::string functions;
        const char* there;
        const char* back;
    };
    const Space spaces[] = {
        {"Lab", SS::RgbToLabFunction() + SS::LabToRgbFunction(), "rgbToLab", "labToRGB"},
        {"Yxy", SS::RgbToYxyFunction() + SS::YxyToRgbFunction(), "rgbToYxy", "YxyToRGB"},
        {"IPT", SS::RgbToIptFunction() + SS::IptToRgbFunction(), "rgbToIPT", "iptToRGB"},
        {"HSV", SS::RgbToHsvFunction() + SS::HsvToRgbFunction(), "rgbToHSV", "hsvToRGB"},
    };
    for (const Space& s : spaces) {
        const rawgl::Image out =
            Run(s.functions,
                std::string("    vec3 c = texture2D(img0, vTexture0).rgb;\n    gl_FragColor = vec4(") + s.back + "(" +
                    s.there + "(c)), 1.0);\n",
                grid);
        reference::ExpectClose(out, grid, 1.5f * kStep, s.name);
    }
    // Forward values: white is L 100 in Lab, pure red is hue 0, saturation 1, value 1 in HSV.
    rawgl::Image white = rawgl::MakeImage(1, 1);
    white.rgba = {1.0f, 0.0f, 0.0f, 1.0f};
    const rawgl::Image hsv =
        Run(SS::RgbToHsvFunction(), "    gl_FragColor = vec4(rgbToHSV(texture2D(img0, vTexture0).rgb), 1.0);\n", white);
    EXPECT_NEAR(hsv.at(0, 0, 0), 0.0f, kStep);
    EXPECT_NEAR(hsv.at(0, 0, 1), 1.0f, kStep);
    white.rgba = {1.0f, 1.0f, 1.0f, 1.0f};
    const rawgl::Image lab = Run(SS::RgbToLabFunction(),
                                 "    vec3 lab = rgbToLab(texture2D(img0, vTexture0).rgb);\n    gl_FragColor = "
                                 "vec4(lab.x / 100.0, abs(lab.yz) * 10.0, 1.0);\n",
                                 white);
    EXPECT_NEAR(lab.at(0, 0, 0), 1.0f, kStep);
    EXPECT_NEAR(lab.at(0, 0, 1), 0.0f, 2.0f * kStep);
    // Black in Yxy: no division by zero, and back to black.
    white.rgba = {0.0f, 0.0f, 0.0f, 1.0f};
    const rawgl::Image yxy = Run(SS::RgbToYxyFunction() + SS::YxyToRgbFunction(),
                                 "    vec3 y = rgbToYxy(texture2D(img0, vTexture0).rgb);\n    gl_FragColor = vec4(y.x "
                                 "+ y.y + y.z, YxyToRGB(y).r, float(y.y != y.y), 1.0);\n",
                                 white);
    EXPECT_EQ(yxy.at(0, 0, 0), 0.0f);
    EXPECT_EQ(yxy.at(0, 0, 1), 0.0f);
    EXPECT_EQ(yxy.at(0, 0, 2), 0.0f);
}

// Two numbers in [0, 1] survive packing into four bytes with 16-bit precision, and the scaled
// form carries signed pairs in [-1, 1].
TEST_F(ColorRender, PackAndUnpackPairs) {
    rawgl::Image field = rawgl::MakeImage(32, 8);
    const rawgl::Image packed =
        Run(SS::WritePackFunctions(0.0f, 1.0f, ""), "    gl_FragColor = packVec2ToBytes4(vTexture0);\n", field);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 32; ++x) {
            const float u = (packed.at(x, y, 0) * 255.0f * 256.0f + packed.at(x, y, 1) * 255.0f) / 65535.0f;
            const float v = (packed.at(x, y, 2) * 255.0f * 256.0f + packed.at(x, y, 3) * 255.0f) / 65535.0f;
            EXPECT_NEAR(u, (x + 0.5f) / 32.0f, 2.0f / 65535.0f);
            EXPECT_NEAR(v, (y + 0.5f) / 8.0f, 2.0f / 65535.0f);
        }
    // The unpack function reads the stored bytes back.
    const rawgl::Image unpacked = Run(SS::WriteUnpackFunctions(2, 0.0f, 1.0f, ""),
                                      "    vec4 p = texture2D(img0, vTexture0);\n    gl_FragColor = "
                                      "vec4(unpackBytes2ToFloat(p.rg), unpackBytes2ToFloat(p.ba), 0.0, 1.0);\n",
                                      packed);
    for (int x = 0; x < 32; ++x) EXPECT_NEAR(unpacked.at(x, 3, 0), (x + 0.5f) / 32.0f, 0.6f * kStep);
    // Signed pairs through the scaled forms, within one shader.
    const rawgl::Image signedPairs =
        Run(SS::WritePackFunctions(-1.0f, 1.0f, "S") + SS::WriteUnpackFunctions(2, -1.0f, 1.0f, "S"),
            "    vec2 s = (2.0 * vTexture0) - 1.0;\n"
            "    vec4 p = scaleAndPackVec2ToBytes4S(-s);\n"
            "    vec2 back = vec2(unpackAndScaleBytes2ToFloatS(p.rg), unpackAndScaleBytes2ToFloatS(p.ba));\n"
            "    gl_FragColor = vec4(abs(back + s) * 1000.0, 0.0, 1.0);\n",
            field);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 32; ++x) {
            EXPECT_LE(signedPairs.at(x, y, 0), 0.1f);  // |error| below 1e-4
            EXPECT_LE(signedPairs.at(x, y, 1), 0.1f);
        }
}

// Every colour-correction method keeps grey pixels grey and a black pixel with a black target
// black, whatever the strength, and never produces NaN (flagged in alpha as x != x). Pouli's
// saturation power is left out of the grey check: it deliberately lifts small chroma, including
// the rounding residue of the IPT matrices on a grey.
TEST_F(ColorRender, ColourCorrectionKeepsBlackAndGrey) {
    rawgl::Image greys = rawgl::MakeImage(4, 1);
    for (int x = 0; x < 4; ++x)
        for (int c = 0; c < 3; ++c) greys.at(x, 0, c) = x * 0.3f;  // 0, 0.3, 0.6, 0.9
    const std::string helpers =
        SS::RgbToLabFunction() + SS::LabToRgbFunction() + SS::RgbToYxyFunction() + SS::YxyToRgbFunction();
    for (int method = 0; method <= 9; ++method)
        for (bool cie : {false, true})
            for (float strength : {0.0f, 0.7f, 1.0f})
                for (float target : {0.0f, 0.5f}) {
                    const bool pouli = method == 3;
                    const std::string functions =
                        "uniform float uColorCorrectionStrength;\nuniform vec2 uColorCorrectionCIE;\n"
                        "uniform float uPouliSaturationExponent;\nuniform float uTarget;\n" +
                        (pouli ? std::string() : helpers) + SS::ColorCorrectionMethodFunction(method, false, cie);
                    std::string name = SS::ColorCorrectionMethodFunction(method, false, cie);
                    name = name.substr(name.find("colorCorrectionMethod", name.rfind("vec3 colorCorrectionMethod")));
                    name = name.substr(0, name.find('('));
                    const std::string call =
                        pouli ? name + "(c, vec3(uTarget))" : name + "(c, dot(c, vec3(0.299, 0.587, 0.114)), uTarget)";
                    const rawgl::Image out =
                        Run(functions,
                            "    vec3 c = texture2D(img0, vTexture0).rgb;\n    vec3 r = " + call +
                                ";\n"
                                "    bool bad = (r.x != r.x) || (r.y != r.y) || (r.z != r.z);\n"
                                "    gl_FragColor = vec4(clamp(r, 0.0, 1.0), bad ? 0.0 : 1.0);\n",
                            greys, [&](rawgl::Program& p) {
                                p.Set1f("uColorCorrectionStrength", strength);
                                p.Set2f("uColorCorrectionCIE", cie ? 0.0f : 1.0f, cie ? 0.0f : 0.0f);
                                p.Set1f("uPouliSaturationExponent", 0.4f);
                                p.Set1f("uTarget", target);
                            });
                    const std::string what = name + (cie ? " cie" : "") + " strength " + std::to_string(strength) +
                                             " target " + std::to_string(target);
                    for (int x = 0; x < 4; ++x) {
                        EXPECT_EQ(out.at(x, 0, 3), 1.0f) << what << " NaN at grey " << x;
                        EXPECT_NEAR(out.at(x, 0, 0), out.at(x, 0, 1), 2.0f * kStep) << what << " grey " << x;
                        EXPECT_NEAR(out.at(x, 0, 2), out.at(x, 0, 1), 2.0f * kStep) << what << " grey " << x;
                    }
                    // (Lab1 at strength 0 maps every pixel to white: its degenerate limit.)
                    if (target == 0.0f && strength > 0.0f) {
                        EXPECT_LE(out.at(0, 0, 1), kStep) << what << ": black";
                    }
                }
}

}  // namespace
