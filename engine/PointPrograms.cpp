// The single-tap programs of the CIE contrast chain.

#include "engine/PointPrograms.h"

#include <sstream>
#include <stdexcept>

#include "engine/ProgramBuild.h"
#include "engine/ShaderSets.h"
#include "gpu/Shader.h"
#include "gpu/shadersource/ShaderSource.h"

namespace SS = QV::Graphics::ShaderSource;
using QV::Graphics::IShaderProgram;

namespace {

const char* const kMainHead = "varying vec2 vTexture0;\n\nvoid main()\n{\n";

}  // namespace

std::string RedToGrayFragment(int32_t precision) {
    std::ostringstream out;
    out << "precision " << SS::PrecisionName(precision) << " float;\n"
        << "uniform mediump sampler2D img0;\n"
        << kMainHead << "    float c0 = texture2D(img0, vTexture0).r;\n    gl_FragColor = vec4(c0);\n}\n";
    return out.str();
}

std::string TwoLevelGrayReductionFragment(int32_t precision) {
    // The level between is sampled as the filtered fetch would: its four texels around this
    // pixel (the edge texel repeated past the edge), each one filtered fetch of the input at
    // its centre, mixed by this pixel's place between them.
    std::ostringstream out;
    out << "precision " << SS::PrecisionName(precision) << " float;\n"
        << "uniform mediump sampler2D img0;\n"
        << "uniform vec2 uIntermediateSize;\n"
        << kMainHead << "    vec2 p = (vTexture0 * uIntermediateSize) - 0.5;\n"
        << "    vec2 i0 = floor(p);\n"
        << "    vec2 f = p - i0;\n"
        << "    vec2 lo = (max(i0, 0.0) + 0.5) / uIntermediateSize;\n"
        << "    vec2 hi = (min(i0 + 1.0, uIntermediateSize - 1.0) + 0.5) / uIntermediateSize;\n"
        << "    float bottom = mix(texture2D(img0, lo).r, texture2D(img0, vec2(hi.x, lo.y)).r, f.x);\n"
        << "    float top = mix(texture2D(img0, vec2(lo.x, hi.y)).r, texture2D(img0, hi).r, f.x);\n"
        << "    float c0 = mix(bottom, top, f.y);\n"
        << "    gl_FragColor = vec4(c0);\n}\n";
    return out.str();
}

std::string PointPassFragment(int32_t kind, bool alphaChannel, int32_t img0Precision, int32_t img1Precision,
                              int32_t precision) {
    if (kind < kPointPassSquaredDifference || kind > kPointPassAutomaticAlpha)
        throw std::invalid_argument("point pass kind " + std::to_string(kind) + " does not exist");
    std::ostringstream out;
    out << "precision " << SS::PrecisionName(precision) << " float;\n"
        << "uniform " << SS::PrecisionName(img0Precision) << " sampler2D img0;\n";
    if (kind == kPointPassSquaredDifference)
        out << "uniform " << SS::PrecisionName(img1Precision) << " sampler2D img1;\n";
    else if (kind == kPointPassAutomaticAlpha) out << "uniform float uAutomaticAlphaStrength;\n";
    out << kMainHead;
    switch (kind) {
    case kPointPassSquaredDifference:
        out << "    float c0 = texture2D(img0, vTexture0)" << (alphaChannel ? ".a" : ".r") << ";\n"
            << "    float c1 = texture2D(img1, vTexture0).r;\n"
            << "    float c2 = c0 - c1;\n"
            << "    c2 *= c2;\n"
            << "    gl_FragColor = vec4(c2);\n";
        break;
    case kPointPassContrastFactor:
        out << "    float c0 = texture2D(img0, vTexture0).r;\n"
            << "    float k = (-1.6366 * sqrt(c0)) + 2.5079;\n"
            << "    gl_FragColor = vec4(k);\n";
        break;
    default:
        out << "    float c0 = texture2D(img0, vTexture0).r;\n"
            << "    float alpha = 1.0 - pow(c0, 0.272823);\n"
            << "    float offset = step(0.5, uAutomaticAlphaStrength);\n"
            << "    float t = uAutomaticAlphaStrength - offset;\n"
            << "    float k0 = t * alpha;\n"
            << "    float k1 = alpha + t - k0;\n"
            << "    alpha = k0 + (offset * (k1 - k0));\n"
            << "    gl_FragColor = vec4(alpha);\n";
        break;
    }
    out << "}\n";
    return out.str();
}

void BuildRedToGrayProgram(const sProgramContext& context, IShaderProgram*& slot) {
    if (slot) return;
    const int32_t precision = context.Precision();
    BuildEngineProgram(
        slot, precision, [&] { return RedToGrayFragment(precision); }, "Red to gray");
}

void BuildTwoLevelGrayReductionProgram(const sProgramContext& context, IShaderProgram*& slot) {
    if (slot) return;
    const int32_t precision = context.Precision();
    BuildEngineProgram(
        slot, precision, [&] { return TwoLevelGrayReductionFragment(precision); }, "Grey reduction by two levels");
}

void BuildPointPassProgram(const sProgramContext& context, IShaderProgram*& slot, int32_t kind, bool alphaChannel,
                           int32_t img0Precision, int32_t img1Precision) {
    if (slot) return;
    const int32_t precision = context.Precision();
    IShaderProgram* program = BuildEngineProgram(
        slot, precision, [&] { return PointPassFragment(kind, alphaChannel, img0Precision, img1Precision, precision); },
        "Point pass");
    if (program && kind == kPointPassSquaredDifference) program->SetUniformSampler("img1", 1);
}

void BuildPointPassPrograms(const sProgramContext& context) {
    BuildPointPassProgram(context, context.Slot(kPairSquaredDifference), kPointPassSquaredDifference, true, 0, 1);
    BuildPointPassProgram(context, context.Slot(kPairContrastFactor), kPointPassContrastFactor, false, 1, 0);
}
