// The colour-adjustment program: one fragment program holding only the colour and tone stages
// that currently change the picture. Continuous values are uniforms; which stages exist, the
// kind of look, the grayscale weights and the shadows/highlights widths are written into the
// text, so changing them rebuilds the program.

#include <cmath>
#include <cstdio>
#include <sstream>

#include "engine/AmbrelGraphicsController.h"
#include "engine/EnginePrograms.h"
#include "engine/ParameterValues.h"
#include "engine/ProgramBuild.h"
#include "engine/ToneMapLookTable.h"
#include "gpu/Shader.h"
#include "gpu/shadersource/ColorFunctions.h"
#include "gpu/shadersource/ShaderSource.h"

using EngineParameters::DiffersFrom;
using QV::Math::CVector4;
namespace SS = QV::Graphics::ShaderSource;

namespace {

constexpr int32_t kLookGotham = 1;
constexpr int32_t kLookWillow = 9;
constexpr int32_t kLookInkwell = 15;

const char* const kLuma = "vec3(0.299, 0.587, 0.114)";

// Writes main's statements, one to a line with four blanks, and declares the shared locals
// `gray` and `processed` at their first assignment only.
class MainWriter {
public:
    explicit MainWriter(std::ostringstream& out) : out_(out) {}

    void Line(const std::string& statement) { out_ << "    " << statement << "\n"; }
    void Text(const std::string& text) { out_ << text; }
    void Gray(const std::string& expression)
    {
        Line(grayPrefix_ + "gray = " + expression + ";");
        grayPrefix_.clear();
    }
    // `processed` as a whole, or declared bare when only filled by components.
    std::string Processed()
    {
        std::string prefix = processedPrefix_;
        processedPrefix_.clear();
        return prefix + "processed";
    }
    void DeclareProcessed()
    {
        if (!processedPrefix_.empty())
            Line("vec3 processed;");
        processedPrefix_.clear();
    }

private:
    std::ostringstream& out_;
    std::string grayPrefix_ = "float ";
    std::string processedPrefix_ = "vec3 ";
};

std::string GrayscaleDot(const QV::Math::CVector3<float>& w)
{
    return "dot(c0, vec3(" + SS::WriteFloatLiteral(w.x) + ", " + SS::WriteFloatLiteral(w.y) + ", " +
           SS::WriteFloatLiteral(w.z) + "))";
}

void WriteGrayscale(MainWriter& main, const QV::Math::CVector3<float>& weights)
{
    main.Gray(GrayscaleDot(weights));
    main.Line("c0 = vec3(gray);");
}

void WriteChannelLookups(MainWriter& main, const std::string& row)
{
    main.Line("vec3 c0ToneMapped = vec3(");
    main.Line("    texture2D(img2, vec2(c0.r, " + row + ")).r,");
    main.Line("    texture2D(img2, vec2(c0.g, " + row + ")).g,");
    main.Line("    texture2D(img2, vec2(c0.b, " + row + ")).b);");
}

void WriteLook(MainWriter& main, const sColorAdjustmentStages& s)
{
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

void WriteTemperature(MainWriter& main)
{
    // An overlay blend with the orange of a warming filter (0.9254, 0.5411, 0).
    main.Line("const vec2 warmingFilter85 = vec2(2.0 * 0.9254, 2.0 * 0.5411);");
    main.Line("const vec2 warmingFilter85k0 = 2.0 - warmingFilter85;");
    main.Line("const vec2 warmingFilter85k1 = warmingFilter85 - 1.0;");
    main.Line("vec3 aa = step(vec3(0.5), c0);");
    main.DeclareProcessed();
    main.Line("processed.rg = ((1.0 - aa.rg) * (c0.rg * warmingFilter85)) + (aa.rg * ((warmingFilter85k0 * c0.rg) + "
              "warmingFilter85k1));");
    main.Line("processed.b = aa.b * ((2.0 * c0.b) - 1.0);");
    main.Line("c0 = mix(c0, processed, uTemperature);");
}

void WritePhotoFilter(MainWriter& main)
{
    // The overlay constants follow the uniform colour, so they are locals of main: GLSL ES 1.00
    // allows only constant initialisers at file scope.
    main.Line("vec3 photoFilterK0 = 2.0 - uPhotoFilterColor;");
    main.Line("vec3 photoFilterK1 = uPhotoFilterColor - 1.0;");
    main.Line("vec3 a = step(vec3(0.5), c0);");
    main.Line(main.Processed() + " = ((1.0 - a) * (c0 * uPhotoFilterColor)) + (a * ((photoFilterK0 * c0) + photoFilterK1));");
    main.Line("c0 = mix(c0, processed, uPhotoFilterStrength);");
}

void WriteExponentialBrightness(MainWriter& main)
{
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

void WriteVignette(MainWriter& main, bool black)
{
    main.Line("float d = distance(uVignetteTexture.xy + (vTexture0 * uVignetteTexture.zw), vec2(0.5));");
    main.Text(SS::WriteSmoothStepReciprocal("uVignetteRange.x", "uVignetteRange.y", "d", "t"));
    if (black) {
        main.Line("t = (-0.93 * t) + 1.0;");
        main.Line("c0 *= t;");
    } else {
        main.Line("c0 = ((1.0 - t) * c0) + t;");
    }
}

void WriteUniformDeclarations(std::ostringstream& out, const sColorAdjustmentStages& s)
{
    const auto uniform = [&](bool on, const char* declaration) {
        if (on)
            out << "uniform " << declaration << ";\n";
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

sUniformValue Uniform1(const char* name, float v) { return {name, 1, {v, 0, 0, 0}}; }
sUniformValue Uniform2(const char* name, const QV::Math::CVector2<float>& v) { return {name, 2, {v.x, v.y, 0, 0}}; }

} // namespace

bool sColorAdjustmentStages::Any() const
{
    return effect || original || grayscaleStart || grayscaleEnd || look || temperature || photoFilter || shadows ||
           highlights || exposure || exponentialBrightness || saturation || exponentialSaturation ||
           saturationContrast || contrast || vibrancy || vignette || split;
}

sColorAdjustmentStages ColorAdjustmentStages(const sColorAdjustment& ca, bool lookAvailable)
{
    sColorAdjustmentStages s;
    s.effect = DiffersFrom(ca.effectStrength, 1.0f);
    s.split = ca.split.on;
    s.original = s.effect || s.split;
    s.grayscaleStart = ca.grayscale && !ca.grayscaleAtEnd;
    s.grayscaleEnd = ca.grayscale && ca.grayscaleAtEnd;
    if (lookAvailable && IsToneMapLookActive(ca.toneMap, ca.toneMapStrength, ca.photoFilterToneMapStrengthMultiplier)) {
        const sToneMapLook& row = ToneMapLookTable[static_cast<size_t>(ca.toneMap)];
        s.lookIndex = ca.toneMap;
        s.lookColor = row.colorFlag;
        // A monochrome entry without a formula of its own has no look stage.
        s.look = row.colorFlag || ca.toneMap == kLookGotham || ca.toneMap == kLookInkwell;
        if (!s.look)
            s.lookIndex = 0;
    }
    s.temperature = DiffersFrom(ca.temperature, 0.0f);
    s.photoFilter = ca.photoFilter && DiffersFrom(ca.photoFilterStrength, 0.0f) &&
                    DiffersFrom(ca.photoFilterToneMapStrengthMultiplier, 0.0f);
    s.shadows = DiffersFrom(ca.shadows.strength, 0.0f) && DiffersFrom(ca.shadows.width, 0.0f);
    s.highlights = DiffersFrom(ca.highlights.strength, 1.0f) && DiffersFrom(ca.highlights.width, 0.0f);
    s.exposure = DiffersFrom(ca.exposure, 0.0f);
    s.exponentialBrightness = DiffersFrom(ca.exponentialBrightnessStrength, 1.0f);
    s.saturation = DiffersFrom(ca.saturationStrength, 1.0f);
    s.exponentialSaturation = DiffersFrom(ca.exponentialSaturationStrength, 1.0f);
    s.saturationContrast = DiffersFrom(ca.saturationContrastStrength, 1.0f);
    s.contrast = DiffersFrom(ca.contrastStrength, 1.0f);
    s.vibrancy = DiffersFrom(ca.vibrancyStrength, 0.0f);
    s.vignette = ca.vignette;
    return s;
}

std::string ColorAdjustmentFragment(const sColorAdjustmentTextOptions& options)
{
    const sColorAdjustmentStages& s = options.stages;
    std::ostringstream out;
    out << "precision " << SS::PrecisionName(options.precision) << " float;\n";
    out << "uniform lowp sampler2D img0;\n";
    if (s.original)
        out << "uniform lowp sampler2D img1;\n";
    if (s.look)
        out << "uniform lowp sampler2D img2;\n";
    WriteUniformDeclarations(out, s);
    out << "varying vec2 vTexture0;\n";
    if (s.exponentialSaturation || s.saturationContrast)
        out << "\n" << SS::RgbToHsvFunction() << "\n" << SS::HsvToRgbFunction();
    out << "\nvoid main()\n{\n";

    MainWriter main(out);
    main.Line("vec3 c0 = texture2D(img0, vTexture0).rgb;");
    if (s.original)
        main.Line("vec3 cOriginal = texture2D(img1, vTexture0).rgb;");
    // The effect strength weighs the earlier passes against the unprocessed picture before any
    // colour stage.
    if (s.effect)
        main.Line("c0 = (uEffectStrength * c0) + ((1.0 - uEffectStrength) * cOriginal);");
    if (s.grayscaleStart)
        WriteGrayscale(main, options.grayscaleWeights);
    if (s.look)
        WriteLook(main, s);
    if (s.temperature)
        WriteTemperature(main);
    if (s.photoFilter)
        WritePhotoFilter(main);
    if (s.shadows || s.highlights) {
        main.Line(std::string("float luminance = dot(c0, ") + kLuma + ");");
        main.Text(SS::WriteShadowsHighlightsCurve(s.shadows, s.highlights, "luminance", "c0", "c0",
                                                  options.shadowsWidth, options.highlightsWidth));
    }
    if (s.exposure)
        main.Line("c0 *= exp2(uExposure);");
    if (s.exponentialBrightness)
        WriteExponentialBrightness(main);
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
    if (s.contrast)
        main.Line("c0 = mix(vec3(0.5, 0.5, 0.5), c0, uContrastStrength);");
    if (s.vibrancy) {
        main.Line("float average = 0.333333 * (c0.r + c0.g + c0.b);");
        main.Line("float maxComponent = max(c0.r, max(c0.g, c0.b));");
        main.Line("float vibranceAmount = (maxComponent - average) * (-uVibrancyStrength * 3.0);");
        main.Line("c0 = mix(c0, vec3(maxComponent), vibranceAmount);");
    }
    if (s.grayscaleEnd)
        WriteGrayscale(main, options.grayscaleWeights);
    if (s.vignette)
        WriteVignette(main, options.vignetteBlack);
    if (s.split) {
        // The side of the line that the direction (uSplit.z, uSplit.w) points to shows the
        // unprocessed picture.
        main.Line("float o = step(0.0, dot(gl_FragCoord.xy - uSplit.xy, uSplit.zw));");
        main.Line("c0 = ((1.0 - o) * c0) + (o * cOriginal);");
    }
    out << "    gl_FragColor = vec4(c0, 1.0);\n}";
    return out.str();
}

std::vector<sUniformValue> ColorAdjustmentUniforms(const sColorAdjustment& ca, const sColorAdjustmentStages& s,
                                                   const CVector4<float>& split)
{
    std::vector<sUniformValue> u;
    if (s.temperature)
        u.push_back(Uniform1("uTemperature", ca.temperature));
    if (s.photoFilter) {
        u.push_back(Uniform1("uPhotoFilterStrength", ca.photoFilterToneMapStrengthMultiplier * ca.photoFilterStrength));
        const auto& c = ca.photoFilterColor;
        u.push_back({"uPhotoFilterColor", 3, {2.0f * c.x, 2.0f * c.y, 2.0f * c.z, 0}});
    }
    if (s.shadows)
        u.push_back(Uniform2("uShadowsStrength", AmbrelGraphicsController::ShadowsStrengthUniform(ca.shadows)));
    if (s.highlights)
        u.push_back(Uniform2("uHighlightsStrength", AmbrelGraphicsController::HighlightsStrengthUniform(ca.highlights)));
    if (s.exposure)
        u.push_back(Uniform1("uExposure", ca.exposure));
    if (s.exponentialBrightness) {
        // Below 1 the picture darkens linearly; above it brightens by a power of its luminance.
        const double v = ca.exponentialBrightnessStrength;
        const bool power = v > 1.0;
        u.push_back(Uniform1("uExponentialBrightness", power ? 1.0f : 0.0f));
        u.push_back(Uniform1("uExponentialBrightnessStrength",
                             power ? static_cast<float>(1.0 / ((2.0 * v - 1.0) + 0.001)) : static_cast<float>(v)));
    }
    if (s.saturation)
        u.push_back(Uniform1("uSaturationStrength", ca.saturationStrength));
    if (s.exponentialSaturation)
        u.push_back(Uniform1("uExponentialSaturationStrength", 1.0f / std::max(ca.exponentialSaturationStrength, 0.001f)));
    if (s.saturationContrast)
        u.push_back(Uniform1("uSaturationContrastStrength", ca.saturationContrastStrength));
    if (s.contrast)
        u.push_back(Uniform1("uContrastStrength", ca.contrastStrength));
    if (s.vibrancy)
        u.push_back(Uniform1("uVibrancyStrength", ca.vibrancyStrength));
    if (s.effect)
        u.push_back(Uniform1("uEffectStrength", ca.effectStrength));
    if (s.look)
        u.push_back(Uniform1("uToneMapStrength", ca.toneMapStrength * ca.photoFilterToneMapStrengthMultiplier));
    if (s.split)
        u.push_back({"uSplit", 4, {split.x, split.y, split.z, split.w}});
    if (s.vignette) {
        u.push_back(Uniform2("uVignetteRange", AmbrelGraphicsController::VignetteRangeUniform(ca.vignetteRange)));
        u.push_back({"uVignetteTexture", 4, {0.0f, 0.0f, 1.0f, 1.0f}});
    }
    return u;
}

void BuildColorAdjustmentProgram(AmbrelGraphicsController& engine)
{
    // A request without the compare split builds its program without it.
    sColorAdjustment ca = engine.colorAdjustment;
    ca.split.on = ca.split.on && engine.ZoomAndSplitApply();
    QV::Graphics::IShaderProgram*& slot = VariantSlot(engine, kPairColorAdjustment);
    const bool lookActive = engine.IsToneMapLookActive();
    sColorAdjustmentStages stages = ColorAdjustmentStages(ca, true);
    if (!slot) {
        if (!stages.Any())
            return;
        if (lookActive)
            LoadToneMapLook(engine);
        // Without its texture the look would darken the picture through an empty unit: the
        // program is built without the look stage instead.
        stages = ColorAdjustmentStages(ca, engine.lookTexture != nullptr);
        if (!stages.Any())
            return;
        sColorAdjustmentTextOptions options;
        options.stages = stages;
        options.grayscaleWeights = engine.GrayscaleCoefficients();
        options.shadowsWidth = ca.shadows.width;
        options.highlightsWidth = ca.highlights.width;
        options.vignetteBlack = ca.vignetteBlack;
        options.precision = VariantPrecision(engine);
        QV::Graphics::IShaderProgram* program =
            BuildEngineProgram(slot, options.precision, [&] { return ColorAdjustmentFragment(options); }, "Colour adjustment");
        if (!program)
            return;
        if (stages.original)
            program->SetUniformSampler("img1", 1);
        if (stages.look)
            program->SetUniformSampler("img2", 2);
    } else {
        stages = ColorAdjustmentStages(ca, engine.lookTexture != nullptr);
    }
    for (const sUniformValue& u : ColorAdjustmentUniforms(ca, stages, engine.SplitUniform())) {
        switch (u.count) {
        case 1: slot->SetUniform1f(u.name, u.v[0]); break;
        case 2: slot->SetUniform2f(u.name, {u.v[0], u.v[1]}); break;
        case 3: slot->SetUniform3f(u.name, {u.v[0], u.v[1], u.v[2]}); break;
        default: slot->SetUniform4f(u.name, {u.v[0], u.v[1], u.v[2], u.v[3]}); break;
        }
    }
}
