// The colour-correction program: puts the colour back after the luminance passes, rescaling the
// picture's colour (img0 rgb, with its old luminance in alpha) to the target luminance (img1
// red) by the chosen method, optionally followed by the Pouli hue and chroma preservation.

#include <sstream>

#include "engine/AmbrelGraphicsController.h"
#include "engine/EnginePrograms.h"
#include "engine/ProgramBuild.h"
#include "gpu/Shader.h"
#include "gpu/shadersource/ColorFunctions.h"
#include "gpu/shadersource/ShaderSource.h"

namespace SS = QV::Graphics::ShaderSource;

namespace {

constexpr int32_t kPouli = 3;
constexpr int32_t kNone = 10;

// GLSL name suffix of each method's function (Lab2 shares Lab1's text).
const char* MethodFunctionName(int32_t method)
{
    switch (method) {
    case 0: return "Deron";
    case 1: return "Power";
    case 2: return "ConstanLuminance";
    case 4: return "Lab0";
    case 5: return "Yxy";
    case 6:
    case 7: return "Lab1";
    case 8: return "Reinhard";
    case 9: return "Drago";
    default: return nullptr;
    }
}

void WritePouli(std::ostringstream& out)
{
    out << "    rgb = clamp(rgb, 0.0, 1.0);\n";
    out << "    rgb = colorCorrectionMethodPouli(c0.rgb, rgb);\n";
}

} // namespace

sColorCorrectionOptions ColorCorrectionOptions(const AmbrelGraphicsController& engine)
{
    sColorCorrectionOptions o;
    o.method = engine.colorCorrectionMethod;
    o.cie = engine.cie.colorCorrectionCIEOn;
    o.pouliAfter = engine.pouliPostColorCorrection && o.method != kPouli;
    o.pouliSaturation = engine.pouliSaturation && (o.pouliAfter || o.method == kPouli);
    o.precision = VariantPrecision(engine);
    return o;
}

std::string ColorCorrectionFragment(const sColorCorrectionOptions& o)
{
    // An unknown method rescales plainly, like None.
    const int32_t method = (o.method >= 0 && o.method <= kNone) ? o.method : kNone;
    const bool usesLuminance = SS::ColorCorrectionMethodUsesLuminance(method);
    std::ostringstream out;
    out << "precision " << SS::PrecisionName(o.precision) << " float;\n"
        << "uniform lowp sampler2D img0;\nuniform mediump sampler2D img1;\n";
    if (usesLuminance) {
        out << "uniform float uColorCorrectionStrength;\n";
        if (o.cie)
            out << "uniform vec2 uColorCorrectionCIE;\n";
    }
    if (o.pouliSaturation)
        out << "uniform float uPouliSaturationExponent;\n";
    out << "varying vec2 vTexture0;\n";
    if (method == 4 || method == 6 || method == 7)
        out << "\n" << SS::RgbToLabFunction() << "\n" << SS::LabToRgbFunction();
    else if (method == 5)
        out << "\n" << SS::RgbToYxyFunction() << "\n" << SS::YxyToRgbFunction();
    out << "\n" << SS::ColorCorrectionMethodFunction(method, o.pouliSaturation, o.cie) << "\n";
    if (o.pouliAfter)
        out << SS::ColorCorrectionMethodFunction(kPouli, o.pouliSaturation, o.cie) << "\n";
    out << "void main()\n{\n    vec4 c0 = texture2D(img0, vTexture0);\n    float c1 = texture2D(img1, vTexture0).r;\n";
    if (const char* name = MethodFunctionName(method)) {
        out << "    vec3 rgb = colorCorrectionMethod" << name << "(c0.rgb, c0.a, c1);\n";
    } else if (method == kPouli) {
        out << "    float k = clamp(c1, 0.0, 1.0) / max(c0.a, 0.001);\n    vec3 rgb = k * c0.rgb;\n";
        WritePouli(out);
    } else {
        out << "    float k = c1 / max(c0.a, 0.001);\n    vec3 rgb = k * c0.rgb;\n";
    }
    if (o.pouliAfter)
        WritePouli(out);
    out << "    gl_FragColor = vec4(rgb, 1.0);\n}";
    return out.str();
}

void BuildColorCorrectionProgram(AmbrelGraphicsController& engine)
{
    const sColorCorrectionOptions o = ColorCorrectionOptions(engine);
    QV::Graphics::IShaderProgram*& slot = VariantSlot(engine, kPairColorCorrection);
    if (!slot) {
        QV::Graphics::IShaderProgram* program =
            BuildEngineProgram(slot, o.precision, [&] { return ColorCorrectionFragment(o); }, "Colour correction");
        if (!program)
            return;
        program->SetUniformSampler("img1", 1);
    }
    if (SS::ColorCorrectionMethodUsesLuminance(o.method)) {
        slot->SetUniform1f("uColorCorrectionStrength", engine.ColorCorrectionStrengthUniform());
        if (o.cie)
            slot->SetUniform2f("uColorCorrectionCIE", engine.cie.colorCorrectionCIE);
    }
    if (o.pouliSaturation)
        slot->SetUniform1f("uPouliSaturationExponent", engine.pouliSaturationExponent);
}
