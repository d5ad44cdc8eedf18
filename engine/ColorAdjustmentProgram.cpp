// The colour-adjustment program: one fragment program holding only the colour and tone stages
// that currently change the picture. Continuous values are uniforms; which stages exist, the
// kind of look, the grayscale weights and the shadows/highlights widths are written into the
// text, so changing them rebuilds the program.

#include <cmath>
#include <cstdio>
#include <sstream>

#include "engine/ColorAdjustmentStage.h"
#include "engine/EnginePrograms.h"
#include "engine/LookTexture.h"
#include "engine/ParameterValues.h"
#include "engine/ProgramBuild.h"
#include "engine/ShaderSets.h"
#include "engine/ToneMapLookTable.h"
#include "gpu/Shader.h"
#include "gpu/shadersource/ColorFunctions.h"
#include "gpu/shadersource/ShaderSource.h"

using EngineParameters::DiffersFrom;
using QV::Math::CVector4;
namespace SS = QV::Graphics::ShaderSource;

namespace {

const char* const kLuma = "vec3(0.299, 0.587, 0.114)";

// Writes main's statements, one to a line with four blanks, and declares the shared locals
// `gray` and `processed` at their first assignment only.
class MainWriter {
public:
    explicit MainWriter(std::ostringstream& out) : out_(out) {}

    void Line(const std::string& statement) { out_ << "    " << statement << "\n"; }
    void Text(const std::string& text) { out_ << text; }
    void Gray(const std::string& expression) {
        Line(grayPrefix_ + "gray = " + expression + ";");
        grayPrefix_.clear();
    }
    // `processed` as a whole, or declared bare when only filled by components.
    std::string Processed() {
        std::string prefix = processedPrefix_;
        processedPrefix_.clear();
        return prefix + "processed";
    }
    void DeclareProcessed() {
        if (!processedPrefix_.empty()) Line("vec3 processed;");
        processedPrefix_.clear();
    }

private:
    std::ostringstream& out_;
    std::string grayPrefix_ = "float ";
    std::string processedPrefix_ = "vec3 ";
};

std::string GrayscaleDot(const QV::Math::CVector3<float>& w) {
    return "dot(c0, vec3(" + SS::WriteFloatLiteral(w.x) + ", " + SS::WriteFloatLiteral(w.y) + ", " +
           SS::WriteFloatLiteral(w.z) + "))";
}

void WriteGrayscale(MainWriter& main, const QV::Math::CVector3<float>& weights) {
    main.Gray(GrayscaleDot(weights));
    main.Line("c0 = vec3(gray);");
}

void WriteChannelLookups(MainWriter& main, const std::string& row) {
    main.Line("vec3 c0ToneMapped = vec3(");
    main.Line("    texture2D(img2, vec2(c0.r, " + row + ")).r,");
    main.Line("    texture2D(img2, vec2(c0.g, " + row + ")).g,");
    main.Line("    texture2D(img2, vec2(c0.b, " + row + ")).b);");
}

void WriteLook(MainWriter& main, const sColorAdjustmentStages& s) {
    if (s.lookColor) {
        WriteChannelLookups(main, "0.5");
        if (s.lookIndex == kLookWillow) {
            main.Gray(std::string("dot(c0ToneMapped, ") + kLuma + ")");
            main.Line("c0 = mix(c0, vec3(gray), uToneMapStrength);");
        } else {
            main.Line("c0 = mix(c0, c0ToneMapped, uToneMapStrength);");
        }
    } else if (s.lookIndex == kLookInkwell) {
        main.Gray(std::string("dot(c0, ") + kLuma + ")");
        main.Line("float c0ToneMapped = texture2D(img2, vec2(gray, 0.5)).r;");
        main.Line("c0 = mix(c0, vec3(c0ToneMapped), uToneMapStrength);");
    } else if (s.lookIndex == kLookGotham) {
        main.Gray(std::string("dot(c0, ") + kLuma + ")");
        WriteChannelLookups(main, "gray");
        main.Line("c0 = mix(c0, c0ToneMapped, uToneMapStrength);");
    }
}

void WriteTemperature(MainWriter& main) {
    // An overlay blend with the orange of a warming filter (0.9254, 0.5411, 0).
    main.Line("const vec2 warmingFilter85 = vec2(2.0 * 0.9254, 2.0 * 0.5411);");
    main.Line("const vec2 warmingFilter85k0 = 2.0 - warmingFilter85;");
    main.Line("const vec2 warmingFilter85k1 = warmingFilter85 - 1.0;");
    main.Line("vec3 aa = step(vec3(0.5), c0);");
    main.DeclareProcessed();
    main.Line(
        "processed.rg = ((1.0 - aa.rg) * (c0.rg * warmingFilter85)) + (aa.rg * ((warmingFilter85k0 * c0.rg) + "
        "warmingFilter85k1));");
    main.Line("processed.b = aa.b * ((2.0 * c0.b) - 1.0);");
    main.Line("c0 = mix(c0, processed, uTemperature);");
}

void WritePhotoFilter(MainWriter& main) {
    // The overlay constants follow the uniform colour, so they are locals of main: GLSL ES 1.00
    // allows only constant initialisers at file scope.
    main.Line("vec3 photoFilterK0 = 2.0 - uPhotoFilterColor;");
    main.Line("vec3 photoFilterK1 = uPhotoFilterColor - 1.0;");
    main.Line("vec3 a = step(vec3(0.5), c0);");
    main.Line(main.Processed() +
              " = ((1.0 - a) * (c0 * uPhotoFilterColor)) + (a * ((photoFilterK0 * c0) + photoFilterK1));");
    main.Line("c0 = mix(c0, processed, uPhotoFilterStrength);");
}

void WriteExponentialBrightness(MainWriter& main) {
    main.Line("if (uExponentialBrightness == 0.0)");
    main.Line("{");
    main.Line("    c0 *= uExponentialBrightnessStrength;");
    main.Line("}");
    main.Line("else");
    main.Line("{");
    main.Line(std::string("    float value = dot(c0, ") + kLuma + ");");
    main.Line("    float newValue = pow(value, uExponentialBrightnessStrength);");
    main.Line("    float ratio = max(newValue, 0.0) / max(value, 0.003);");
    main.Line("    c0 *= ratio;");
    main.Line("}");
}

void WriteVignette(MainWriter& main, bool black) {
    main.Line("float d = distance(uVignetteTexture.xy + (vTexture0 * uVignetteTexture.zw), vec2(0.5));");
    main.Text(SS::WriteSmoothStepReciprocal("uVignetteRange.x", "uVignetteRange.y", "d", "t"));
    if (black) {
        main.Line("t = (-0.93 * t) + 1.0;");
        main.Line("c0 *= t;");
    } else {
        main.Line("c0 = ((1.0 - t) * c0) + t;");
    }
}

void WriteUniformDeclarations(std::ostringstream& out, const sColorAdjustmentStages& s) {
    const auto uniform = [&](bool on, const char* declaration) {
        if (on) out << "uniform " << declaration << ";\n";
    };
    uniform(s.temperature, "float uTemperature");
    uniform(s.photoFilter, "float uPhotoFilterStrength");
    uniform(s.photoFilter, "vec3 uPhotoFilterColor");
    uniform(s.shadows, "vec2 uShadowsStrength");
    uniform(s.highlights, "vec2 uHighlightsStrength");
    uniform(s.exposure, "float uExposure");
    uniform(s.exponentialBrightness, "float uExponentialBrightness");
    uniform(s.exponentialBrightness, "float uExponentialBrightnessStrength");
    uniform(s.saturation, "float uSaturationStrength");
    uniform(s.exponentialSaturation, "float uExponentialSaturationStrength");
    uniform(s.saturationContrast, "float uSaturationContrastStrength");
    uniform(s.contrast, "float uContrastStrength");
    uniform(s.vibrancy, "float uVibrancyStrength");
    uniform(s.effect, "float uEffectStrength");
    uniform(s.look, "float uToneMapStrength");
    uniform(s.split, "vec4 uSplit");
    uniform(s.vignette, "vec2 uVignetteRange");
    uniform(s.vignette, "vec4 uVignetteTexture");
}

}  // namespace

std::string ColorAdjustmentFragment(const sColorAdjustmentTextOptions& options) {
    const sColorAdjustmentStages& s = options.stages;
    std::ostringstream out;
    out << "precision " << SS::PrecisionName(options.precision) << " float;\n";
    out << "uniform lowp sampler2D img0;\n";
    if (s.original) out << "uniform lowp sampler2D img1;\n";
    if (s.look) out << "uniform lowp sampler2D img2;\n";
    WriteUniformDeclarations(out, s);
    out << "varying vec2 vTexture0;\n";
    if (s.exponentialSaturation || s.saturationContrast)
        out << "\n" << SS::RgbToHsvFunction() << "\n" << SS::HsvToRgbFunction();
    out << "\nvoid main()\n{\n";

    MainWriter main(out);
    main.Line("vec3 c0 = texture2D(img0, vTexture0).rgb;");
    if (s.original) main.Line("vec3 cOriginal = texture2D(img1, vTexture0).rgb;");
    // The effect strength weighs the earlier passes against the unprocessed picture before any
    // colour stage.
    if (s.effect) main.Line("c0 = (uEffectStrength * c0) + ((1.0 - uEffectStrength) * cOriginal);");
    if (s.grayscaleStart) WriteGrayscale(main, options.grayscaleWeights);
    if (s.look) WriteLook(main, s);
    if (s.temperature) WriteTemperature(main);
    if (s.photoFilter) WritePhotoFilter(main);
    if (s.shadows || s.highlights) {
        main.Line(std::string("float luminance = dot(c0, ") + kLuma + ");");
        main.Text(SS::WriteShadowsHighlightsCurve(s.shadows, s.highlights, "luminance", "c0", "c0",
                                                  options.shadowsWidth, options.highlightsWidth));
    }
    if (s.exposure) main.Line("c0 *= exp2(uExposure);");
    if (s.exponentialBrightness) WriteExponentialBrightness(main);
    if (s.saturation) {
        main.Line(std::string("float intensity = dot(c0, ") + kLuma + ");");
        main.Line("c0 = mix(vec3(intensity), c0, uSaturationStrength);");
    }
    if (s.exponentialSaturation) {
        main.Line("c0 = rgbToHSV(c0);");
        main.Line("c0.g = pow(c0.g, uExponentialSaturationStrength);");
        main.Line("c0 = hsvToRGB(c0);");
    }
    if (s.saturationContrast) {
        main.Line("vec3 hsv = rgbToHSV(c0);");
        main.Line("float s = (2.0 * hsv.y) - 1.0;");
        main.Line("hsv.y = 0.5 * ((sign(s) * pow(abs(s), uSaturationContrastStrength)) + 1.0);");
        main.Line("c0 = hsvToRGB(hsv);");
    }
    if (s.contrast) main.Line("c0 = mix(vec3(0.5, 0.5, 0.5), c0, uContrastStrength);");
    if (s.vibrancy) {
        main.Line("float average = 0.333333 * (c0.r + c0.g + c0.b);");
        main.Line("float maxComponent = max(c0.r, max(c0.g, c0.b));");
        main.Line("float vibranceAmount = (maxComponent - average) * (-uVibrancyStrength * 3.0);");
        main.Line("c0 = mix(c0, vec3(maxComponent), vibranceAmount);");
    }
    if (s.grayscaleEnd) WriteGrayscale(main, options.grayscaleWeights);
    if (s.vignette) WriteVignette(main, options.vignetteBlack);
    if (s.split) {
        // The side of the line that the direction (uSplit.z, uSplit.w) points to shows the
        // unprocessed picture.
        main.Line("float o = step(0.0, dot(gl_FragCoord.xy - uSplit.xy, uSplit.zw));");
        main.Line("c0 = ((1.0 - o) * c0) + (o * cOriginal);");
    }
    out << "    gl_FragColor = vec4(c0, 1.0);\n}";
    return out.str();
}

void BuildColorAdjustmentProgram(const sColorAdjustment& settings, const sProgramContext& context) {
    // A request without the compare split builds its program without it.
    sColorAdjustment ca = settings;
    ca.split.on = ca.split.on && context.zoomAndSplit;
    QV::Graphics::IShaderProgram*& slot = context.Slot(kPairColorAdjustment);
    if (!slot) {
        if (!ColorAdjustmentStages(ca).Any()) return;
        if (IsToneMapLookActive(ca) && context.stage.lookTexture)
            LoadToneMapLook(ca, *context.stage.lookTexture, context.resourceDirectory);
        // Without its texture the look would darken the picture through an empty unit: the
        // program is built without the look stage instead.
        const sColorAdjustmentStages stages = ColorAdjustmentStages(ca, context.stage.LookAvailable());
        if (!stages.Any()) return;
        sColorAdjustmentTextOptions options;
        options.stages = stages;
        options.grayscaleWeights = GrayscaleWeights(ca.grayscaleCoefficients);
        options.shadowsWidth = ca.shadows.width;
        options.highlightsWidth = ca.highlights.width;
        options.vignetteBlack = ca.vignetteBlack;
        options.precision = context.Precision();
        QV::Graphics::IShaderProgram* program = BuildEngineProgram(
            slot, options.precision, [&] { return ColorAdjustmentFragment(options); }, "Colour adjustment");
        if (!program) return;
        if (stages.original) program->SetUniformSampler("img1", 1);
        if (stages.look) program->SetUniformSampler("img2", 2);
    }
    ApplyUniforms(*slot, ColorAdjustmentUniforms(settings, context.stage));
}
