// The local-contrast pass programs: separable Gaussian blur passes, the blur-and-subtract
// difference passes and the combine program that applies the contrast gain.

#include "engine/ContrastPrograms.h"

#include <cmath>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "engine/EnginePrograms.h"
#include "engine/ShaderSets.h"
#include "gpu/Shader.h"
#include "gpu/shadersource/Kernels.h"
#include "gpu/shadersource/ProgramTexts.h"
#include "gpu/shadersource/ShaderSource.h"

namespace SS = QV::Graphics::ShaderSource;
using QV::Graphics::IShaderProgram;

namespace {

constexpr int32_t kFormatAlpha = 0;  // float, .a
constexpr int32_t kFormatRed = 5;    // float, .r

std::string Lit(double value) { return SS::WriteFloatLiteral(static_cast<float>(value)); }

// The merged Gaussian kernel of a pass: n fetch entries, centre h, entry h - 1 the nearest pair.
struct sKernel {
    std::vector<double> weights;
    std::vector<double> offsets;
    int32_t n = 0;
    int32_t h = 0;
};

sKernel MakeKernel(int32_t taps, double kernelScale) {
    sKernel k;
    if (!QV::Math::ComputeLinearSamplingKernel(taps, k.weights, k.offsets, 1.0, kernelScale) || k.weights.size() < 3)
        throw std::invalid_argument("a blur of " + std::to_string(taps) + " taps has no neighbouring fetches");
    k.n = static_cast<int32_t>(k.weights.size());
    k.h = k.n / 2;
    return k;
}

// The vertex shader of every pass: the centre, the nearest pair and as many further pairs as
// the varying cap allows, along one axis.
std::string PassVertex(const sKernel& k, bool vertical, int32_t precision, int32_t cap) {
    std::ostringstream out;
    out << "precision " << SS::PrecisionName(precision) << " float;\n"
        << "uniform mat4 uModelViewProjectionMatrix;\n"
        << "uniform float uInvTextureDimension;\n"
        << "attribute vec3 vaPosition;\n";
    SS::WriteVaryingDeclarations(k.n, false, cap, out);
    out << "\nvoid main()\n{\n"
        << "    gl_Position = uModelViewProjectionMatrix * vec4(vaPosition, 1.0);\n"
        << "    vTexture0 = vaPosition.xy;\n"
        << "    float k = " << Lit(k.offsets[k.h - 1]) << " * uInvTextureDimension;\n";
    if (vertical)
        out << "    vTexture1 = vaPosition.xy + vec2(0.0, -k);\n    vTexture2 = vaPosition.xy + vec2(0.0, k);\n";
    else out << "    vTexture1 = vaPosition.xy + vec2(-k, 0.0);\n    vTexture2 = vaPosition.xy + vec2(k, 0.0);\n";
    SS::WriteScaledTapOffsets(k.n, k.offsets, vertical, cap, out);
    out << "}\n";
    return out.str();
}

// The fetches c0 .. c(n-1) of img0 along the axis.
void WriteFetches(const sKernel& k, bool vertical, int32_t format, int32_t cap, std::ostream& out) {
    std::string type, swizzle;
    SS::GlslTypeForFormat(format, type, swizzle);
    for (int32_t i = 0; i < 3; ++i)
        out << "    " << type << " c" << i << " = texture2D(img0, vTexture" << i << ")" << swizzle << ";\n";
    SS::WriteScaledTapFetchesWithPrefix(k.n, k.offsets, 0, "c", vertical, format, cap, out);
}

// "float <name> = (w * c0) + (w * (c1 + c2)) + ...;" over every fetch.
void WriteWeightedSum(const sKernel& k, const std::string& name, std::ostream& out) {
    out << "    float " << name << " = (" << Lit(k.weights[k.h]) << " * c0) + (" << Lit(k.weights[k.h - 1])
        << " * (c1 + c2))";
    for (int32_t j = k.h - 2, p = 3; j >= 0; --j, p += 2)
        out << " + (" << Lit(k.weights[j]) << " * (c" << p << " + c" << (p + 1) << "))";
    out << ";\n";
}

void CheckChoice(int32_t value, int32_t count, const char* what) {
    if (value < 0 || value >= count)
        throw std::invalid_argument(std::string(what) + " " + std::to_string(value) + " is not one of the settings");
}

// Lines at an indentation (in steps of four spaces).
class Lines {
public:
    explicit Lines(std::ostream& out) : out_(out) {}
    Lines& operator()(const std::string& line) {
        out_ << std::string(4 * static_cast<size_t>(depth_), ' ') << line << "\n";
        return *this;
    }
    void Open(const std::string& head) {
        (*this)(head)("{");
        ++depth_;
    }
    void Close() {
        --depth_;
        (*this)("}");
    }

private:
    std::ostream& out_;
    int depth_ = 1;
};

const char* const kBalanceLine =
    "g = (g * (1.0 - uContrastBasedOnBothBalance)) + ((1.0 - g) * uContrastBasedOnBothBalance);";
// exp2(-(5 / ln 2) x²) = exp(-5 x²).
const char* const kWeightFactor = "exp2(-7.21347520444482 * ";

void WriteBrightnessGuide(int32_t basedOn, Lines& line) {
    if (basedOn == 1) line("g = 1.0 - g;");
    else if (basedOn == 2) line(kBalanceLine);
}

// The non-CIE curve of the detail scaled into the range, w its (absolute) input.
void WriteNonCIECurve(int32_t equation, const std::string& w, Lines& line) {
    if (equation == 2) {
        line("float w = " + w + ";");
        line("gI = pow(abs(w), uNonCIEContrastStrength.y);");
    } else if (equation == 1) {
        line("float absW = abs(" + w + ");");
        line("gI = absW * (2.0 - pow(absW, uNonCIEContrastStrength.y));");
    } else {
        line("float absW = abs(" + w + ");");
        line(
            "gI = 2.0 * ((1.0 / (1.0 + pow(uNonCIEContrastStrength.y, absW))) + (absW * uNonCIEContrastStrength.z) - "
            "0.5);");
    }
}

void WriteGain(const sContrastCombineOptions& o, Lines& line) {
    if (o.equation == 0) {
        WriteBrightnessGuide(o.basedOn, line);
        const std::string x = o.basedOn == 3 ? "laplacianCoefficient * laplacianCoefficient" : "g * g";
        line("float gI = contrastK * uContrastKStrength * " + std::string(kWeightFactor) + x + ");");
        return;
    }
    const float low = o.range.x, high = o.range.y;
    if (low == 0.0f && high == 1.0f) {
        if (o.equation == 1) {
            line(
                "float gI = uNonCIEContrastStrength.x * (1.0 - pow(abs(laplacianCoefficient), "
                "uNonCIEContrastStrength.y));");
        } else if (o.equation == 2) {
            line("float k0 = abs(laplacianCoefficient);");
            line("float gI = pow(k0, uNonCIEContrastStrength.y);");
            line("gI = uNonCIEContrastStrength.x * ((gI / max(k0, 0.001)) - 1.0);");
        } else {
            line("float gI;");
            line("float k0 = abs(laplacianCoefficient);");
            line(
                "gI = 2.0 * ((1.0 / (1.0 + pow(uNonCIEContrastStrength.y, k0))) + (k0 * uNonCIEContrastStrength.z) - "
                "0.5);");
            line("gI = uNonCIEContrastStrength.x * ((gI / max(k0, 0.001)) - 1.0);");
        }
    } else {
        line("float gI;");
        line("float k0 = abs(laplacianCoefficient);");
        if (low == 0.0f) {
            line("if (" + Lit(high) + " <= k0)");
        } else if (high != 1.0f) {
            line("if ((k0 <= " + Lit(low) + ") || (" + Lit(high) + " <= k0))");
        } else {
            line("if (k0 <= " + Lit(low) + ")");
        }
        line("{")("    gI = 0.0;")("}");
        line.Open("else");
        if (low == 0.0f) {
            WriteNonCIECurve(o.equation, "laplacianCoefficient * " + Lit(1.0f / high), line);
            line("gI = " + Lit(high) + " * gI;");
            line("gI = uNonCIEContrastStrength.x * ((gI / max(k0, 0.001)) - 1.0);");
        } else {
            const float r = high - low;
            WriteNonCIECurve(
                o.equation,
                "(laplacianCoefficient - (sign(laplacianCoefficient) * " + Lit(low) + ")) * " + Lit(1.0f / r), line);
            line("gI = (" + Lit(r) + " * gI) + " + Lit(low) + ";");
            line("gI = uNonCIEContrastStrength.x * ((gI / k0) - 1.0);");
        }
        line.Close();
    }
    WriteBrightnessGuide(o.basedOn, line);
    if (o.basedOn != 3) line("gI *= " + std::string(kWeightFactor) + "g * g);");
}

void WriteHaloDamping(int32_t haloType, Lines& line, std::ostream& out) {
    if (haloType == 1) line("float haloRemovalStrength = step(0.0, laplacianCoefficient) * uHaloRemovalStrength;");
    else if (haloType == 0) line("float haloRemovalStrength = step(laplacianCoefficient, 0.0) * uHaloRemovalStrength;");
    out << SS::WriteSmoothStepScaleBias("variance", "t", 0.02f, 0.09f);
    line(haloType == 2 ? "float scale = 1.0 - (uHaloRemovalStrength * t);"
                       : "float scale = 1.0 - (haloRemovalStrength * t);");
}

// One side of the exponent or Drago compression, wrapped in its limit test for the interval forms.
void WriteCompressionSide(const sContrastCombineOptions& o, bool bright, const std::string& q, Lines& line) {
    const bool interval = o.compression == 3 || o.compression == 5;
    const bool drago = o.compression >= 4;
    if (interval) {
        line.Open(bright ? "if (add > limitMax)" : "if (add < limitMin)");
        line(bright ? "o = max(o, limitMax);" : "o = min(o, limitMin);");
    }
    if (!drago && bright) {
        line("add = 1.0 - exp2(-m0 * (add - o));");
        line("add = (add * (1.0 - o)) + o;");
    } else if (!drago) {
        line("add = o * exp2(-m0 * (o - add));");
    } else if (bright) {
        line("float w = (add - o) * m0 / (m0 - o);");
        line("add = " + q + " * log2(w + 1.0);");
        line("add = (add * (1.0 - o)) + o;");
    } else {
        line("float w = (add - o) * m0 / (1.0 - m0 - o);");
        line("add = " + q + " * log2(w + 1.0);");
        line("add = (-add * o) + o;");
    }
    if (interval) line.Close();
}

void WriteCompression(const sContrastCombineOptions& o, Lines& line) {
    line("gI = 1.0 + (gI * scale);");
    if (o.compression == 0) {
        line("float add = (gI * laplacianCoefficient) + a;");
        return;
    }
    if (o.compression == 1) {
        static const char* const clamps[3] = {"float add = max((gI * laplacianCoefficient) + a, 0.0);",
                                              "float add = min((gI * laplacianCoefficient) + a, 1.0);",
                                              "float add = clamp((gI * laplacianCoefficient) + a, 0.0, 1.0);"};
        line(clamps[o.side]);
        return;
    }
    const bool drago = o.compression >= 4;
    const float m0 = drago ? 3.0f * o.strength + 1.0f : (3.0f * o.strength + 1.0f) * 1.442695f;
    line("float o = laplacianCoefficient + a;");
    line("float add = (gI * laplacianCoefficient) + a;");
    line("const float m0 = " + Lit(m0) + ";");
    if (o.compression == 3 || o.compression == 5) {
        line("const float limitMin = " + Lit(0.5f - (0.2f + 0.24999998f * o.interval)) + ";");
        line("const float limitMax = 1.0 - limitMin;");
    }
    const std::string q = drago ? Lit(1.0f / std::log2(m0 + 1.0f)) : std::string();
    if (o.side == 0) {
        line.Open("if (laplacianCoefficient < 0.0)");
        WriteCompressionSide(o, false, q, line);
        line.Close();
        return;
    }
    line.Open("if (laplacianCoefficient > 0.0)");
    WriteCompressionSide(o, true, q, line);
    line.Close();
    if (o.side == 2) {
        line.Open("else");
        WriteCompressionSide(o, false, q, line);
        line.Close();
    }
}

// The pass programs take their spacing from uInvTextureDimension, 0 until a pass sets it.
IShaderProgram* BuildPassProgram(IShaderProgram*& slot, const std::function<sContrastProgramText()>& write,
                                 const char* what) {
    IShaderProgram* program = BuildEngineProgram(slot, write, what);
    if (program && program->IsBuilt()) program->SetUniform1f("uInvTextureDimension", 0.0f);
    return program;
}

}  // namespace

sContrastCombineOptions ContrastCombineOptions(const sCIE& cie, eContrastBasedOn contrastBasedOn, int32_t precision,
                                               int32_t varyingCap) {
    sContrastCombineOptions o;
    o.equation = ModeIndex(cie.contrastEquation);
    o.range = cie.contrastRange;
    o.basedOn = ModeIndex(contrastBasedOn);
    o.haloType = ModeIndex(cie.haloRemovalType);
    o.compression = ModeIndex(cie.compression);
    o.side = ModeIndex(cie.compressionSide);
    o.strength = cie.compressionStrength;
    o.interval = cie.compressionInterval;
    o.precision = precision;
    o.varyingCap = varyingCap;
    return o;
}

sContrastProgramText ContrastCombineText(const sContrastCombineOptions& o, int32_t taps, double kernelScale) {
    CheckChoice(o.equation, 4, "contrast equation");
    CheckChoice(o.basedOn, 4, "contrast based on");
    CheckChoice(o.haloType, 3, "halo removal type");
    CheckChoice(o.compression, 6, "contrast compression");
    CheckChoice(o.side, 3, "contrast compression side");
    const sKernel k = MakeKernel(taps, kernelScale);
    const bool paper = o.equation == 0;
    const bool guide = o.basedOn != 3;

    sContrastProgramText text;
    text.vertex = PassVertex(k, true, o.precision, o.varyingCap);

    std::ostringstream out;
    Lines line(out);
    out << "precision " << SS::PrecisionName(o.precision) << " float;\n";
    for (int32_t i = 0; i < 5; ++i)
        if ((i != 2 || paper) && (i != 4 || guide)) out << "uniform mediump sampler2D img" << i << ";\n";
    out << "uniform float uHaloRemovalStrength;\n";
    out << "uniform float uBoxTexelHeight;\n";
    if (paper) out << "uniform float uContrastKStrength;\n";
    else
        out << (o.equation == 3 ? "uniform vec3 uNonCIEContrastStrength;\n"
                                : "uniform vec2 uNonCIEContrastStrength;\n");
    if (o.basedOn == 2) out << "uniform float uContrastBasedOnBothBalance;\n";
    SS::WriteVaryingDeclarations(k.n, true, o.varyingCap, out);
    out << "\nvoid main()\n{\n";
    WriteFetches(k, true, kFormatRed, o.varyingCap, out);
    line("float laplacianCoefficient = texture2D(img1, vTexture0).r;");
    if (paper) line("float contrastK = texture2D(img2, vTexture0).r;");
    out << SS::BoxDeviationFromSumsLines(o.boxTaps, "img3", "uBoxTexelHeight", "variance");
    if (guide) line("float g = texture2D(img4, vTexture0).r;");
    WriteWeightedSum(k, "a", out);
    WriteGain(o, line);
    WriteHaloDamping(o.haloType, line, out);
    WriteCompression(o, line);
    out << "    gl_FragColor = vec4(add);\n}\n";
    text.fragment = out.str();
    return text;
}

sContrastProgramText BlurPassText(int32_t taps, bool vertical, bool alphaChannel, int32_t samplerPrecision,
                                  double kernelScale, int32_t precision, int32_t varyingCap) {
    const sKernel k = MakeKernel(taps, kernelScale);
    sContrastProgramText text;
    text.vertex = PassVertex(k, vertical, precision, varyingCap);
    std::ostringstream out;
    out << "precision " << SS::PrecisionName(precision) << " float;\n"
        << "uniform " << SS::PrecisionName(samplerPrecision) << " sampler2D img0;\n";
    SS::WriteVaryingDeclarations(k.n, true, varyingCap, out);
    out << "\nvoid main()\n{\n";
    WriteFetches(k, vertical, alphaChannel ? kFormatAlpha : kFormatRed, varyingCap, out);
    WriteWeightedSum(k, "a", out);
    out << "    gl_FragColor = vec4(a);\n}\n";
    text.fragment = out.str();
    return text;
}

sContrastProgramText DifferencePassText(int32_t taps, bool deadZone, bool minuendAlpha, int32_t img0Precision,
                                        int32_t img1Precision, double kernelScale, int32_t precision,
                                        int32_t varyingCap) {
    const sKernel k = MakeKernel(taps, kernelScale);
    sContrastProgramText text;
    text.vertex = PassVertex(k, true, precision, varyingCap);
    std::ostringstream out;
    out << "precision " << SS::PrecisionName(precision) << " float;\n"
        << "uniform " << SS::PrecisionName(img0Precision) << " sampler2D img0;\n"
        << "uniform " << SS::PrecisionName(img1Precision) << " sampler2D img1;\n";
    SS::WriteVaryingDeclarations(k.n, true, varyingCap, out);
    out << "\nvoid main()\n{\n";
    WriteFetches(k, true, kFormatRed, varyingCap, out);
    out << "    float minuend = texture2D(img1, vTexture0)" << (minuendAlpha ? ".a" : ".r") << ";\n";
    WriteWeightedSum(k, "subtrahend", out);
    out << "    float difference = minuend - subtrahend;\n";
    if (deadZone) out << "    difference *= smoothstep(0.0, 0.016, abs(difference));\n";
    out << "    gl_FragColor = vec4(difference);\n}\n";
    text.fragment = out.str();
    return text;
}

void BuildContrastCombineProgram(const sCIE& settings, const sProgramContext& context, IShaderProgram*& slot,
                                 int32_t taps, eContrastBasedOn contrastBasedOn, double kernelScale) {
    sCIE cie = settings;
    cie.contrastBasedOn = contrastBasedOn;
    if (slot) {
        ApplyUniforms(*slot, LocalContrastUniforms(cie));
        return;
    }
    sContrastCombineOptions o = ContrastCombineOptions(cie, contrastBasedOn, context.Precision(), context.varyingCap);
    o.boxTaps = BoxMeanTapCount(context.filterScale);
    IShaderProgram* program = BuildPassProgram(
        slot, [&] { return ContrastCombineText(o, taps, kernelScale); }, "Contrast combine");
    if (!program) return;
    for (int32_t unit = 1; unit < 5; ++unit) program->SetUniformSampler("img" + std::to_string(unit), unit);
    program->SetUniform1f("uHaloRemovalStrength", 1.0f);
    program->SetUniform1f("uContrastKStrength", 1.0f);
    program->SetUniform2f("uNonCIEContrastStrength", {1.0f, 1.0f});
    program->SetUniform3f("uNonCIEContrastStrength", {1.0f, 1.0f, 1.0f});
    ApplyUniforms(*program, LocalContrastUniforms(cie));
}

void BuildBlurPassProgram(const sProgramContext& context, IShaderProgram*& slot, int32_t taps, bool vertical,
                          bool alphaChannel, int32_t samplerPrecision, double kernelScale) {
    if (slot) return;
    const int32_t precision = context.Precision();
    const int32_t cap = context.varyingCap;
    BuildPassProgram(
        slot, [&] { return BlurPassText(taps, vertical, alphaChannel, samplerPrecision, kernelScale, precision, cap); },
        "Blur pass");
}

void BuildDifferencePassProgram(const sProgramContext& context, IShaderProgram*& slot, int32_t taps, bool deadZone,
                                bool minuendAlpha, int32_t img0Precision, int32_t img1Precision, double kernelScale) {
    if (slot) return;
    const int32_t precision = context.Precision();
    const int32_t cap = context.varyingCap;
    IShaderProgram* program = BuildPassProgram(
        slot,
        [&] {
            return DifferencePassText(taps, deadZone, minuendAlpha, img0Precision, img1Precision, kernelScale,
                                      precision, cap);
        },
        "Difference pass");
    if (program) program->SetUniformSampler("img1", 1);
}

void BuildContrastPassPrograms(const sCIE& cie, const sProgramContext& context) {
    const int32_t taps = context.filterScale.KernelByScale(5);
    const double scale = context.filterScale.inverseScale;
    const sProgramContext& c = context;
    BuildBlurPassProgram(c, c.Slot(kPairVerticalAlphaBlur), taps, true, true, 0, scale);
    BuildBlurPassProgram(c, c.Slot(kPairVerticalBlur), taps, true, false, 1, scale);
    BuildBlurPassProgram(c, c.Slot(kPairHorizontalBlur), taps, false, false, 1, scale);
    BuildContrastCombineProgram(cie, c, c.Slot(kPairCIEContrast), taps, cie.contrastBasedOn, scale);
    BuildDifferencePassProgram(c, c.Slot(kPairAlphaDifference), taps, false, true, 1, 0, scale);
    BuildDifferencePassProgram(c, c.Slot(kPairDifference), taps, false, false, 1, 1, scale);
}
