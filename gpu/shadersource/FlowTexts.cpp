// Texts of the programs that smooth along (or across) the flow field: the Gaussian family (flow
// blur, flow bilateral, flow range-weighted blur) and the three-tap flow smoothing.
#include <cmath>
#include <sstream>

#include "gpu/shadersource/ColorFunctions.h"
#include "gpu/shadersource/ProgramTexts.h"
#include "gpu/shadersource/ShaderSource.h"
#include "gpu/shadersource/TextSupport.h"

namespace QV::Graphics::ShaderSource {

using namespace Detail;

namespace {

enum class Family { Blur, Bilateral, RangeWeighted };

struct FlowSettings {
    Family family;
    int32_t channels;       // blur and bilateral
    int32_t luminanceMode;  // bilateral (channels 3) and range-weighted
    bool along;
    bool unitStep;
    bool signedInput;
    float rangeSigma;  // bilateral
};

void WriteStepVector(std::ostream& out, bool along, bool unitStep, bool signedInput) {
    if (!signedInput) out << "    eigenvector = eigenvector + eigenvector - 1.0;\n";
    if (!along && !unitStep) {
        out << "    eigenvector = vec2(-eigenvector.y, eigenvector.x) * uInvTextureDimensions;\n";
        return;
    }
    if (!along) out << "    eigenvector = vec2(-eigenvector.y, eigenvector.x);\n";
    if (unitStep)
        out << "    vec2 temp = abs(eigenvector);\n"
            << "    float delta = 1.0 / max(temp.x, temp.y);\n"
            << "    eigenvector *= delta;\n";
    out << "    eigenvector *= uInvTextureDimensions;\n";
}

// The weighted sum's normalisation and the output, common to the family.
ProgramText FinishFlowFamilyText(const FlowSettings& s, std::ostringstream& out, int32_t precision) {
    if (s.family != Family::Blur) out << "    float invWeight = 1.0 / weight;\n    v *= invWeight;\n";
    if (s.family == Family::RangeWeighted) {
        if (s.luminanceMode == 4) out << "    gl_FragColor = vec4(v, 1.0);\n";
        else out << WriteLuminanceExpression(s.luminanceMode, "v", "float a") << "    gl_FragColor = vec4(v, a);\n";
    } else if (s.channels == 3) {
        out << (s.family == Family::Blur ? std::string("    float a = dot(v.rgb, vec3(0.299, 0.587, 0.114));\n")
                                         : WriteLuminanceExpression(s.luminanceMode, "v.rgb", "float a"))
            << "    gl_FragColor = vec4(v, a);\n";
    } else if (s.channels == 4) {
        out << "    gl_FragColor = vec4(v, 1.0);\n";
    } else {
        out << "    gl_FragColor = v;\n";
    }
    out << "}\n";
    return {DefaultVertexShader(precision), out.str()};
}

// The bilateral filter's taps two at a time: each pair of neighbouring taps on a side is one
// filtered fetch at their weighted centre, with their summed weight, and one range weight for
// the pair's mean. Along the flow the linear filter between the two texels gives that mean, so
// the spatial kernel is kept while the fetches and range weights are halved.
void WritePairedBilateralTaps(std::ostream& out, const std::string& type, const std::string& swizzle,
                              const std::string& centre, const std::vector<double>& w, int32_t c) {
    int32_t pair = 0;
    for (int32_t d = 1; d <= c; d += 2, ++pair) {
        const double near = w[static_cast<size_t>(c - d)];
        const double far = d + 1 <= c ? w[static_cast<size_t>(c - d - 1)] : 0.0;
        const double weight = near + far;
        const double offset = (d * near + (d + 1) * far) / weight;
        const std::string name = "p" + std::to_string(pair);
        out << "    tn = vTexture0 - eigenvector * " << Lit(offset) << ";\n"
            << "    tp = vTexture0 + eigenvector * " << Lit(offset) << ";\n"
            << "    " << type << " " << name << "_0 = texture2D(img0, tn)" << swizzle << ";\n"
            << "    " << type << " " << name << "_1 = texture2D(img0, tp)" << swizzle << ";\n";
        for (int side = 0; side < 2; ++side)
            out << "    difference = " << name << "_" << side << " - " << centre << ";\n"
                << "    lengthSquared = dot(difference, difference);\n"
                << "    weight" << side << " = " << Lit(weight) << " * exp2(-lengthSquared * invTwoSigmaRSquared);\n";
        out << "    weight += (weight0 + weight1);\n"
            << "    v += ((" << name << "_0 * weight0) + (" << name << "_1 * weight1));\n";
    }
}

ProgramText FlowFamilyText(const FlowSettings& s, int32_t n, const std::vector<double>& w, int32_t varyingCap,
                           int32_t precision) {
    const int32_t c = n / 2;
    std::string type = "vec3";
    std::string swizzle = ".rgb";
    if (s.family != Family::RangeWeighted) {
        if (s.channels < 3 || s.channels > 5) throw std::invalid_argument("flow programs take 3, 4 or 5 channels");
        GlslTypeForChannels(s.channels, type, swizzle);
    }
    const bool luminanceOut =
        s.family == Family::RangeWeighted ? s.luminanceMode != 4 : s.family == Family::Bilateral && s.channels == 3;
    if (luminanceOut && (s.luminanceMode < 0 || s.luminanceMode > 2))
        throw std::invalid_argument("luminance mode " + std::to_string(s.luminanceMode) + " writes no luminance");

    std::ostringstream out;
    out << PrecisionLine(precision) << "uniform lowp sampler2D img0;\n"
        << "uniform lowp sampler2D img1;\n"
        << "uniform vec2 uInvTextureDimensions;\n";
    if (s.family == Family::RangeWeighted) out << "uniform float uDistanceFromCenterFactor;\n";
    WriteVaryingDeclarations(1, true, varyingCap, out);
    if (luminanceOut && s.luminanceMode == 2) out << "\n" << WriteRgbToLxx(true);
    const std::string centre = "c" + std::to_string(c);
    out << "\nvoid main()\n{\n"
        << "    vec2 eigenvector = texture2D(img1, vTexture0).xy;\n"
        << "    " << type << " " << centre << " = texture2D(img0, vTexture0)" << swizzle << ";\n";
    WriteStepVector(out, s.along, s.unitStep, s.signedInput);
    const std::string centreWeight = Lit(w[static_cast<size_t>(c)]);
    const char* const positions =
        "    vec2 tn = vTexture0 - eigenvector;\n"
        "    vec2 tp = vTexture0 + eigenvector;\n";
    switch (s.family) {
    case Family::Blur: out << "    " << type << " v = " << centre << " * " << centreWeight << ";\n" << positions; break;
    case Family::Bilateral: {
        const double sigma = s.rangeSigma;
        out << "    " << type << " v = " << centre << " * " << centreWeight << ";\n"
            << "    float weight = " << centreWeight << ";\n"
            << positions << "    " << type << " difference;\n"
            << "    float lengthSquared;\n"
            << "    float weight0;\n"
            << "    float weight1;\n"
            << "    const float invTwoSigmaRSquared = " << Lit(1.0 / (2.0 * sigma * sigma * std::log(2.0))) << ";\n";
        break;
    }
    case Family::RangeWeighted:
        out << "    float weight = " << centreWeight << ";\n"
            << "    vec3 v = " << centreWeight << " * " << centre << ";\n"
            << positions << "    float weight0;\n"
            << "    float weight1;\n";
        break;
    }
    if (s.family == Family::Bilateral) {
        WritePairedBilateralTaps(out, type, swizzle, centre, w, c);
        return FinishFlowFamilyText(s, out, precision);
    }
    for (int32_t i = c - 1; i >= 0; --i) {
        const std::string name = "c" + std::to_string(i);
        const std::string weight = Lit(w[static_cast<size_t>(i)]);
        out << "    " << type << " " << name << "_0 = texture2D(img0, tn)" << swizzle << ";\n"
            << "    " << type << " " << name << "_1 = texture2D(img0, tp)" << swizzle << ";\n";
        if (i > 0) out << "    tn -= eigenvector;\n    tp += eigenvector;\n";
        switch (s.family) {
        case Family::Blur: out << "    v += ((" << name << "_0 + " << name << "_1) * " << weight << ");\n"; break;
        case Family::Bilateral: break;  // written a pair at a time above
        case Family::RangeWeighted:
            for (int side = 0; side < 2; ++side)
                out << "    weight" << side << " = " << weight << " * (1.0 - min(distance(" << centre << ", " << name
                    << "_" << side << ") * uDistanceFromCenterFactor, 1.0));\n";
            out << "    weight += (weight0 + weight1);\n"
                << "    v += ((weight0 * " << name << "_0) + (weight1 * " << name << "_1));\n";
            break;
        }
    }
    return FinishFlowFamilyText(s, out, precision);
}

ProgramText GaussianFlowText(const FlowSettings& s, int32_t taps, int32_t varyingCap, int32_t precision, double sigma,
                             double step) {
    const int32_t n = UsableTapCount(taps);
    return FlowFamilyText(s, n, GaussianWeightsOrThrow(n, sigma, step), varyingCap, precision);
}

}  // namespace

ProgramText FlowBlurText(int32_t channels, int32_t taps, bool along, int32_t varyingCap, int32_t precision,
                         bool unitStep, bool signedInput, double sigma, double step) {
    return GaussianFlowText({Family::Blur, channels, 0, along, unitStep, signedInput, 0.0f}, taps, varyingCap,
                            precision, sigma, step);
}

ProgramText FlowBilateralText(int32_t channels, int32_t taps, bool along, int32_t luminanceMode, int32_t varyingCap,
                              int32_t precision, bool unitStep, double sigma, float rangeSigma, double step,
                              bool signedInput) {
    return GaussianFlowText({Family::Bilateral, channels, luminanceMode, along, unitStep, signedInput, rangeSigma},
                            taps, varyingCap, precision, sigma, step);
}

ProgramText FlowRangeWeightedBlurText(bool fixedWeights, int32_t taps, bool along, int32_t luminanceMode,
                                      int32_t varyingCap, int32_t precision, bool unitStep, double sigma, double step,
                                      bool signedInput) {
    const FlowSettings s{Family::RangeWeighted, 0, luminanceMode, along, unitStep, signedInput, 0.0f};
    if (fixedWeights) return FlowFamilyText(s, 9, kFixedRangeKernel, varyingCap, precision);
    return GaussianFlowText(s, taps, varyingCap, precision, sigma, step);
}

ProgramText FlowSmoothingText(int32_t format, bool edgeMask, bool across, bool clipSpaceVertexShader,
                              int32_t varyingCap, int32_t precision, bool signedInput, float saturation) {
    static const char* const kTypes[7] = {"float", "float", "vec2", "vec3", "vec3", "vec4", "vec4"};
    static const char* const kSwizzles[7] = {".a", ".r", ".rg", ".rgb", ".rgb", "", ""};
    if (format < 0 || format > 6) throw std::invalid_argument("flow smoothing takes formats 0 to 6");
    const std::string type = kTypes[format];
    const std::string swizzle = kSwizzles[format];
    const std::string centre = WriteFloatLiteral(0.45186281f);
    const std::string side = WriteFloatLiteral(0.27406859f);
    const std::string smoothed = "(" + centre + " * c0) + (" + side + " * (c1 + c2))";

    std::ostringstream out;
    out << PrecisionLine(precision) << "uniform lowp sampler2D img0;\n"
        << "uniform lowp sampler2D img1;\n";
    if (edgeMask) out << "uniform lowp sampler2D img2;\n";
    out << "uniform vec2 uInvTextureDimensions;\n";
    WriteVaryingDeclarations(1, true, varyingCap, out);
    out << "\nvoid main()\n{\n"
        << "    vec2 eigenvector = texture2D(img1, vTexture0).xy;\n"
        << "    " << type << " c0 = texture2D(img0, vTexture0)" << swizzle << ";\n";
    if (edgeMask) out << "    float edge = texture2D(img2, vTexture0).a;\n";
    if (!signedInput) out << "    eigenvector = eigenvector + eigenvector - 1.0;\n";
    out << "    eigenvector *= uInvTextureDimensions;\n";
    if (across) out << "    eigenvector = vec2(-eigenvector.y, eigenvector.x);\n";
    out << "    " << type << " c1 = texture2D(img0, vTexture0 - eigenvector)" << swizzle << ";\n"
        << "    " << type << " c2 = texture2D(img0, vTexture0 + eigenvector)" << swizzle << ";\n";
    const bool saturate = saturation != 1.0f;
    if (format <= 2) {
        out << "    " << type << " c3 = " << (edgeMask ? "edge * (" + smoothed + ")" : smoothed) << ";\n"
            << (format == 2 ? "    gl_FragColor = vec4(c3, 0.0, 1.0);\n" : "    gl_FragColor = vec4(c3);\n");
    } else if (format <= 4) {
        out << "    vec3 color = " << smoothed << ";\n";
        if (saturate) out << WriteMatrixMultiply("color", saturation);
        out << (edgeMask ? "    gl_FragColor.rgb = edge * color;\n" : "    gl_FragColor.rgb = color;\n")
            << (format == 3 ? "    gl_FragColor.a = dot(color, vec3(0.299, 0.587, 0.114));\n"
                            : "    gl_FragColor.a = 1.0;\n");
    } else {
        if (format == 5) out << "    vec4 c3 = " << smoothed << ";\n";
        else
            out << "    float a = (" << centre << " * c0.a) + (" << side << " * (c1.a + c2.a));\n"
                << "    vec4 c3 = vec4(c0.rgb, a);\n";
        if (saturate)
            out << WriteMatrixMultiply("c3.rgb", saturation) << "    c3.a = dot(c3.rgb, vec3(0.299, 0.587, 0.114));\n";
        out << (edgeMask ? "    gl_FragColor = edge * c3;\n" : "    gl_FragColor = c3;\n");
    }
    out << "}\n";
    return {clipSpaceVertexShader ? ClipSpaceVertexShader(precision) : DefaultVertexShader(precision), out.str()};
}

}  // namespace QV::Graphics::ShaderSource
