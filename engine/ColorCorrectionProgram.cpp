// The colour-correction program: puts the colour back after the luminance passes, rescaling the
// picture's colour (img0 rgb, with its old luminance in alpha) to the target luminance (img1
// red) by the chosen method, optionally followed by the Pouli hue and chroma preservation.

#include <sstream>

#include "engine/ColorCorrectionStage.h"
#include "engine/EnginePrograms.h"
#include "engine/ProgramBuild.h"
#include "engine/ShaderSets.h"
#include "gpu/Shader.h"
#include "gpu/shadersource/ColorFunctions.h"
#include "gpu/shadersource/ShaderSource.h"

namespace SS = QV::Graphics::ShaderSource;

namespace {

using M = eColorCorrectionMethod;

// GLSL name suffix of each method's function (Lab2 shares Lab1's text).
const char* MethodFunctionName(M method) {
    switch (method) {
    case M::Deron: return "Deron";
    case M::Power: return "Power";
    case M::ConstantLuminance: return "ConstanLuminance";
    case M::Lab0: return "Lab0";
    case M::Yxy: return "Yxy";
    case M::Lab1:
    case M::Lab2: return "Lab1";
    case M::Reinhard: return "Reinhard";
    case M::Drago: return "Drago";
    case M::Pouli:
    case M::None: break;
    }
    return nullptr;
}

void WritePouli(std::ostringstream& out) {
    out << "    rgb = clamp(rgb, 0.0, 1.0);\n";
    out << "    rgb = colorCorrectionMethodPouli(c0.rgb, rgb);\n";
}

}  // namespace

std::string ColorCorrectionFragment(const sColorCorrectionOptions& o) {
    // An unknown method rescales plainly, like None.
    const int32_t index = ModeIndex(o.method);
    const M method = index >= 0 && index <= ModeIndex(M::None) ? o.method : M::None;
    const int32_t code = ModeIndex(method);
    const bool usesLuminance = SS::ColorCorrectionMethodUsesLuminance(code);
    std::ostringstream out;
    out << "precision " << SS::PrecisionName(o.precision) << " float;\n"
        << "uniform lowp sampler2D img0;\nuniform mediump sampler2D img1;\n";
    if (usesLuminance) {
        out << "uniform float uColorCorrectionStrength;\n";
        if (o.cie) out << "uniform vec2 uColorCorrectionCIE;\n";
    }
    if (o.pouliSaturation) out << "uniform float uPouliSaturationExponent;\n";
    out << "varying vec2 vTexture0;\n";
    if (method == M::Lab0 || method == M::Lab1 || method == M::Lab2)
        out << "\n" << SS::RgbToLabFunction() << "\n" << SS::LabToRgbFunction();
    else if (method == M::Yxy) out << "\n" << SS::RgbToYxyFunction() << "\n" << SS::YxyToRgbFunction();
    out << "\n" << SS::ColorCorrectionMethodFunction(code, o.pouliSaturation, o.cie) << "\n";
    if (o.pouliAfter) out << SS::ColorCorrectionMethodFunction(ModeIndex(M::Pouli), o.pouliSaturation, o.cie) << "\n";
    out << "void main()\n{\n    vec4 c0 = texture2D(img0, vTexture0);\n    float c1 = texture2D(img1, vTexture0).r;\n";
    if (const char* name = MethodFunctionName(method)) {
        out << "    vec3 rgb = colorCorrectionMethod" << name << "(c0.rgb, c0.a, c1);\n";
    } else if (method == M::Pouli) {
        out << "    float k = clamp(c1, 0.0, 1.0) / max(c0.a, 0.001);\n    vec3 rgb = k * c0.rgb;\n";
        WritePouli(out);
    } else {
        out << "    float k = c1 / max(c0.a, 0.001);\n    vec3 rgb = k * c0.rgb;\n";
    }
    if (o.pouliAfter) WritePouli(out);
    out << "    gl_FragColor = vec4(rgb, 1.0);\n}";
    return out.str();
}

void BuildColorCorrectionProgram(const sColorCorrection& correction, const sProgramContext& context) {
    const sColorCorrectionOptions o = ColorCorrectionOptions(correction, context.Precision());
    QV::Graphics::IShaderProgram*& slot = context.Slot(kPairColorCorrection);
    if (!slot) {
        QV::Graphics::IShaderProgram* program = BuildEngineProgram(
            slot, o.precision, [&] { return ColorCorrectionFragment(o); }, "Colour correction");
        if (!program) return;
        program->SetUniformSampler("img1", 1);
    }
    ApplyUniforms(*slot, ColorCorrectionUniforms(correction, o));
}
