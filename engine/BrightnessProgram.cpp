// The brightness and tone program of the base pass.

#include "engine/BrightnessProgram.h"

#include <cmath>
#include <sstream>

#include "engine/EngineSettings.h"
#include "engine/ProgramBuild.h"
#include "gpu/Shader.h"
#include "gpu/shadersource/ColorFunctions.h"
#include "gpu/shadersource/ShaderSource.h"

namespace SS = QV::Graphics::ShaderSource;
using QV::Graphics::IShaderProgram;

namespace {

// Levels whose black and white points (nearly) meet make a hard threshold at the black point
// rather than an infinite slope that cannot be written into the text.
constexpr float kMinimumLevelsWidth = 1.0f / 1024.0f;

sLevels WritableLevels(sLevels levels) {
    const float width = levels.whitePoint - levels.blackPoint;
    if (std::fabs(width) < kMinimumLevelsWidth)
        levels.whitePoint = levels.blackPoint + (width < 0.0f ? -kMinimumLevelsWidth : kMinimumLevelsWidth);
    return levels;
}

void WriteCIEBrightness(const sBrightnessOptions& o, std::ostream& out) {
    const std::string move = o.tone.brightenOnly ? "max(cie - c0, 0.0)" : "(cie - c0)";
    out << "    float a = texture2D(img1, vTexture0).r;\n";
    if (o.tone.method == eBrightnessMethod::CIEVar && (o.tone.varExponent != 1.0f || o.tone.varScale != 1.0f)) {
        out << "    float temp = pow(-0.693147180559945 * log2(max(c0, 0.001)), "
            << SS::WriteFloatLiteral(o.tone.varExponent) << ");\n"
            << "    float cie = 1.0 - pow(" << SS::WriteFloatLiteral(0.1f * o.tone.varScale + 0.1f)
            << " * temp, uBrightnessStrength.y * a);\n";
    } else {
        // 0.2 ln 2: the curve of the plain form is 1 - (0.2 (-ln c0))^(y a).
        out << "    float cie = 1.0 - pow(-0.13862943611199 * log2(max(c0, 0.001)), uBrightnessStrength.y * a);\n";
    }
    out << "    cie = c0 + (uBrightnessStrength.x * " << move << ");\n";
}

}  // namespace

std::string BrightnessFragment(const sBrightnessOptions& o) {
    const bool cieOn = o.CIEOn(), shOn = o.SHOn(), levelsOn = o.LevelsOn(), filmicOn = o.FilmicOn();
    const bool anyOn = o.AnyOn();
    std::ostringstream out;
    out << "precision " << SS::PrecisionName(o.precision) << " float;\n"
        << "uniform " << SS::PrecisionName(1) << " sampler2D img0;\n";
    if (!o.MakesProgram()) return {};
    if (!anyOn && !filmicOn) {
        out << "varying vec2 vTexture0;\n\nvoid main()\n{\n"
            << "    gl_FragColor = vec4(texture2D(img0, vTexture0).r);\n}";
        return out.str();
    }
    if (cieOn) out << "uniform " << SS::PrecisionName(1) << " sampler2D img1;\nuniform vec2 uBrightnessStrength;\n";
    if (shOn && o.ShadowsOn()) out << "uniform vec2 uShadowsStrength;\n";
    if (shOn && o.HighlightsOn()) out << "uniform vec2 uHighlightsStrength;\n";
    out << "uniform float uFilmicStrength;\nvarying vec2 vTexture0;\n\nvoid main()\n{\n"
        << "    float c0 = texture2D(img0, vTexture0).r;\n";
    if (cieOn) WriteCIEBrightness(o, out);
    if (shOn) {
        const std::string input = cieOn ? "cie" : "c0";
        out << SS::WriteShadowsHighlightsCurve(o.ShadowsOn(), o.HighlightsOn(), o.tone.shadows.width,
                                               o.tone.highlights.width, input, input, cieOn ? "cie" : "float cie");
    }
    if (levelsOn) {
        const sLevels levels = WritableLevels(o.tone.levels);
        const bool toned = cieOn || shOn;
        out << SS::WriteLinearRampMinMax(toned ? "cie" : "c0", toned ? "cie" : "float cie", levels.blackPoint,
                                         levels.midToneFraction, levels.whitePoint);
    }
    if (filmicOn) {
        // The roll-off follows the input as read, not the toned value.
        out << SS::WriteSmoothStep("uFilmicStrength", "c0", "t", 0.0f);
        out << (anyOn ? "    cie *= t;\n" : "    float cie = c0 * t;\n");
    }
    // Every style gets the end of the shader: a text without it would not compile.
    out << "    gl_FragColor = vec4(cie);\n}";
    return out.str();
}

void BuildBrightnessProgram(const sEngineSettings& settings, const sProgramContext& context, IShaderProgram*& slot) {
    const sBrightnessOptions o = BrightnessOptions(settings, context.Precision());
    if (!slot) {
        if (!o.MakesProgram()) return;  // nothing to draw under this style
        IShaderProgram* program = BuildEngineProgram(
            slot, o.precision, [&] { return BrightnessFragment(o); }, "Brightness");
        if (!program) return;
        if (o.CIEOn()) program->SetUniformSampler("img1", 1);
    }
    ApplyUniforms(*slot, BrightnessUniforms(o));
}
