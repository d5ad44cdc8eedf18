// Texts of the separable passes: difference of Gaussians, scaled (linear-sampling) blur,
// range-weighted blur and the two box-mean passes.
#include <algorithm>
#include <cmath>
#include <sstream>

#include "gpu/shadersource/Kernels.h"
#include "gpu/shadersource/ColorFunctions.h"
#include "gpu/shadersource/ProgramTexts.h"
#include "gpu/shadersource/ShaderSource.h"
#include "gpu/shadersource/TextSupport.h"

namespace QV::Graphics::ShaderSource {

namespace Detail {

std::string Lit(double value) { return WriteFloatLiteral(static_cast<float>(value)); }

std::vector<double> GaussianWeightsOrThrow(int32_t taps, double sigma, double spacing) {
    std::vector<double> weights;
    if (!QV::Math::ComputeGaussianWeights(taps, weights, sigma, spacing))
        throw std::invalid_argument("no Gaussian weights for " + std::to_string(taps) +
                                    " taps with this sigma and spacing");
    return weights;
}

std::string PrecisionLine(int32_t precision) { return "precision " + PrecisionName(precision) + " float;\n"; }

void WriteVertexHead(std::ostream& out, int32_t precision, const std::string& uniforms, int32_t varyings,
                     int32_t varyingCap) {
    out << PrecisionLine(precision) << "uniform mat4 uModelViewProjectionMatrix;\n"
        << uniforms << "attribute vec3 vaPosition;\n";
    WriteVaryingDeclarations(varyings, false, varyingCap, out);
    out << "\nvoid main()\n{\n"
        << "    gl_Position = uModelViewProjectionMatrix * vec4(vaPosition, 1.0);\n";
}

void WriteSeparableVertexShader(std::ostream& out, int32_t taps, bool vertical, int32_t varyingCap, int32_t precision,
                                bool clipSpaceCoordinates) {
    WriteVertexHead(out, precision, "uniform float uInvTextureDimension;\n", taps, varyingCap);
    out << (clipSpaceCoordinates ? "    vTexture0 = (0.5 * gl_Position.xy) + 0.5;\n"
                                 : "    vTexture0 = vaPosition.xy;\n")
        << "    float k = uInvTextureDimension;\n";
    if (vertical)
        out << "    vTexture1 = vaPosition.xy + vec2(0.0, -k);\n"
            << "    vTexture2 = vaPosition.xy + vec2(0.0, k);\n";
    else
        out << "    vTexture1 = vaPosition.xy + vec2(-k, 0.0);\n"
            << "    vTexture2 = vaPosition.xy + vec2(k, 0.0);\n";
    WriteTapOffsets(taps, vertical, varyingCap, out);
    out << "}\n";
}

}  // namespace Detail

using namespace Detail;

namespace {

// The fetches of taps 0 to 2 that every separable fragment writes itself.
void WriteFirstFetches(std::ostream& out, const std::string& type, const std::string& prefix,
                       const std::string& swizzle) {
    for (int i = 0; i < 3; ++i)
        out << "    " << type << " " << prefix << i << " = texture2D(img0, vTexture" << i << ")" << swizzle << ";\n";
}

std::string TypeOf(int32_t format, std::string* swizzle) {
    std::string type;
    GlslTypeForFormat(format, type, *swizzle);
    if (type.empty())
        throw std::invalid_argument("texture format " + std::to_string(format) + " has no GLSL fetch type");
    return type;
}

std::vector<double> DifferenceWeights(int32_t n, double sigma, double k, double spacing, float p) {
    const std::vector<double> a = GaussianWeightsOrThrow(n, sigma, spacing);
    const std::vector<double> b = GaussianWeightsOrThrow(n, sigma * k, spacing);
    std::vector<double> w(a.size());
    const double pd = p;
    for (size_t i = 0; i < a.size(); ++i) w[i] = (1.0 + pd) * a[i] - pd * b[i];
    return w;
}

void CheckLuminanceMode(int32_t mode, bool allowNone) {
    if ((mode >= 0 && mode <= 2) || (allowNone && mode == 4)) return;
    throw std::invalid_argument("luminance mode " + std::to_string(mode) + " writes no luminance");
}

// Trims taps whose weight is below 1 % of the centre's, recomputing the kernel for the new
// count; at least three taps stay, since the pass text always reads taps 0 to 2.
int32_t TrimmedCount(int32_t n, const std::vector<double>& w) {
    const int32_t h = n / 2;
    int32_t j = 0;
    while (j < h - 1 && std::fabs(w[static_cast<size_t>(j)]) < 0.01 * w[static_cast<size_t>(h)]) ++j;
    return n - 2 * j;
}

}  // namespace

int32_t UsableTapCount(int32_t taps) {
    if (taps > kMaxTapCount)
        throw std::invalid_argument(std::to_string(taps) + " taps are more than the " + std::to_string(kMaxTapCount) +
                                    " a program is written for");
    if (taps < 3) return 3;
    return taps % 2 == 0 ? taps + 1 : taps;
}

int32_t DifferenceOfGaussiansTapCount(int32_t taps, double sigma, double k, double spacing, float p) {
    const int32_t n = UsableTapCount(taps);
    return TrimmedCount(n, DifferenceWeights(n, sigma, k, spacing, p));
}

ProgramText DifferenceOfGaussiansPassText(int32_t taps, int32_t format, int32_t direction, bool clipSpaceCoordinates,
                                          int32_t varyingCap, int32_t samplerPrecision, int32_t precision, double sigma,
                                          double k, double spacing, float p) {
    const int32_t n = DifferenceOfGaussiansTapCount(taps, sigma, k, spacing, p);
    const std::vector<double> w = DifferenceWeights(n, sigma, k, spacing, p);
    const int32_t h = n / 2;
    const bool vertical = direction != 0;
    std::string swizzle;
    const std::string type = TypeOf(format, &swizzle);

    std::ostringstream vertex;
    WriteSeparableVertexShader(vertex, n, vertical, varyingCap, precision, clipSpaceCoordinates);

    std::ostringstream fragment;
    fragment << PrecisionLine(precision) << "uniform " << PrecisionName(samplerPrecision) << " sampler2D img0;\n";
    WriteVaryingDeclarations(n, true, varyingCap, fragment);
    fragment << "\nvoid main()\n{\n";
    WriteFirstFetches(fragment, type, "c", swizzle);
    WriteTapFetchesWithPrefix(n, 0, "c", vertical, format, varyingCap, fragment);
    fragment << "    " << type << " difference = c0 * " << Lit(w[h]) << ";\n";
    for (int32_t i = 1; i < n; i += 2)
        fragment << "    difference += (c" << i << " + c" << (i + 1) << ") * "
                 << Lit(w[static_cast<size_t>(h - (i + 1) / 2)]) << ";\n";
    fragment << "    gl_FragColor = vec4(difference);\n}\n";
    return {vertex.str(), fragment.str()};
}

ProgramText ScaledBlurPassText(int32_t taps, int32_t format, int32_t direction, bool edgeMask,
                               bool clipSpaceCoordinates, int32_t samplerPrecision, int32_t varyingCap,
                               int32_t precision, double sigma, double spacing) {
    std::vector<double> w;
    std::vector<double> o;
    if (!QV::Math::ComputeLinearSamplingKernel(UsableTapCount(taps), w, o, sigma, spacing))
        throw std::invalid_argument("no blur kernel for this sigma and spacing");
    const int32_t n = static_cast<int32_t>(w.size());
    const int32_t h = n / 2;
    const bool vertical = direction != 0;
    std::string swizzle;
    const std::string type = TypeOf(format, &swizzle);

    std::ostringstream vertex;
    WriteVertexHead(vertex, precision, "uniform float uInvTextureDimension;\n", n, varyingCap);
    vertex << (clipSpaceCoordinates ? "    vTexture0 = (0.5 * gl_Position.xy) + 0.5;\n"
                                    : "    vTexture0 = vaPosition.xy;\n")
           << "    float k = " << Lit(o[static_cast<size_t>(h - 1)]) << " * uInvTextureDimension;\n";
    if (vertical)
        vertex << "    vTexture1 = vTexture0 + vec2(0.0, -k);\n"
               << "    vTexture2 = vTexture0 + vec2(0.0, k);\n";
    else
        vertex << "    vTexture1 = vTexture0 + vec2(-k, 0.0);\n"
               << "    vTexture2 = vTexture0 + vec2(k, 0.0);\n";
    WriteScaledTapOffsets(n, o, vertical, varyingCap, vertex);
    vertex << "}\n";

    std::ostringstream fragment;
    fragment << PrecisionLine(precision) << "uniform " << PrecisionName(samplerPrecision) << " sampler2D img0;\n";
    if (edgeMask) fragment << "uniform lowp sampler2D img1;\n";
    WriteVaryingDeclarations(n, true, varyingCap, fragment);
    fragment << "\nvoid main()\n{\n";
    WriteFirstFetches(fragment, type, "c", swizzle);
    WriteScaledTapFetches(n, o, vertical, format, varyingCap, fragment);
    if (edgeMask) fragment << "    float edge = texture2D(img1, vTexture0).a;\n";
    fragment << "    " << type << " v = (" << Lit(w[h]) << " * c0) + (" << Lit(w[static_cast<size_t>(h - 1)])
             << " * (c1 + c2))";
    for (int32_t m = h - 2, i = 3; m >= 0; --m, i += 2)
        fragment << " + (" << Lit(w[static_cast<size_t>(m)]) << " * (c" << i << " + c" << (i + 1) << "))";
    fragment << ";\n";
    const std::string v = edgeMask ? "edge * v" : "v";
    if (format == 4) fragment << "    gl_FragColor = " << v << ";\n";
    else if (format == 3) fragment << "    gl_FragColor = vec4(" << v << ", 1.0);\n";
    else fragment << "    gl_FragColor = vec4(" << v << ", 0.0, 0.0);\n";
    fragment << "}";
    return {vertex.str(), fragment.str()};
}

ProgramText SeparableRangeWeightedBlurText(bool fixedKernel, int32_t taps, int32_t direction, int32_t luminanceMode,
                                           int32_t varyingCap, int32_t precision, double sigma, double spacing) {
    CheckLuminanceMode(luminanceMode, true);
    const int32_t n = fixedKernel ? 9 : UsableTapCount(taps);
    const std::vector<double> w = fixedKernel ? kFixedRangeKernel : GaussianWeightsOrThrow(n, sigma, spacing);
    const int32_t h = n / 2;
    const bool vertical = direction != 0;

    std::ostringstream vertex;
    WriteSeparableVertexShader(vertex, n, vertical, varyingCap, precision, false);

    std::ostringstream fragment;
    fragment << PrecisionLine(precision) << "uniform lowp sampler2D img0;\n"
             << "uniform float uDistanceFromCenterFactor;\n";
    if (luminanceMode == 2) fragment << "\n" << WriteRgbToLxx(true);
    WriteVaryingDeclarations(n, true, varyingCap, fragment);
    fragment << "\nvoid main()\n{\n";
    WriteFirstFetches(fragment, "vec3", "c", ".rgb");
    WriteTapFetchesWithPrefix(n, 0, "c", vertical, 3, varyingCap, fragment);
    const std::string centre = Lit(w[static_cast<size_t>(h)]);
    fragment << "    float weight = " << centre << ";\n"
             << "    vec3 v = " << centre << " * c0;\n"
             << "    float weight0;\n"
             << "    float weight1;\n";
    for (int32_t i = 1; i < n; i += 2) {
        const std::string weight = Lit(w[static_cast<size_t>(h - (i + 1) / 2)]);
        for (int side = 0; side < 2; ++side)
            fragment << "    weight" << side << " = " << weight << " * (1.0 - min(distance(c0, c" << (i + side)
                     << ") * uDistanceFromCenterFactor, 1.0));\n";
        fragment << "    weight += (weight0 + weight1);\n"
                 << "    v += ((weight0 * c" << i << ") + (weight1 * c" << (i + 1) << "));\n";
    }
    fragment << "    float invWeight = 1.0 / weight;\n"
             << "    v *= invWeight;\n";
    if (luminanceMode == 4) {
        fragment << "    gl_FragColor = vec4(v, 1.0);\n";
    } else {
        fragment << WriteLuminanceExpression(luminanceMode, "v", "float a") << "    gl_FragColor = vec4(v, a);\n";
    }
    fragment << "}\n";
    return {vertex.str(), fragment.str()};
}

namespace {

// The box's variance from its mean and mean square.
std::string BoxVariance(const std::string& average, const std::string& squaredAverage) {
    return squaredAverage + " - (" + average + " * " + average + ")";
}

// The box's variance from its mean and mean square, written as is or as the deviation.
void WriteBoxVariance(std::ostream& fragment, bool standardDeviation) {
    fragment << "    float variance = " << BoxVariance("average", "squaredAverage") << ";\n"
             << (standardDeviation ? "    gl_FragColor = vec4(sqrt(max(variance, 0.0)), 0.0, 0.0, 0.0);\n"
                                   : "    gl_FragColor = vec4(variance, 0.0, 0.0, 0.0);\n")
             << "}\n";
}

}  // namespace

std::string BoxDeviationFromSumsLines(int32_t taps, const std::string& sampler, const std::string& texelHeight,
                                      const std::string& deviation) {
    const int32_t n = UsableTapCount(taps);
    std::ostringstream out;
    out << "    vec2 boxStep = vec2(0.0, " << texelHeight << ");\n"
        << "    vec2 boxSums = texture2D(" << sampler << ", vTexture0).rg;\n";
    for (int32_t i = 1; i <= n / 2; ++i) {
        const std::string step = i == 1 ? "boxStep" : Lit(i) + " * boxStep";
        out << "    boxSums += texture2D(" << sampler << ", vTexture0 - " << step << ").rg + texture2D(" << sampler
            << ", vTexture0 + " << step << ").rg;\n";
    }
    out << "    boxSums *= " << Lit(1.0 / (static_cast<double>(n) * n)) << ";\n"
        << "    float " << deviation << " = sqrt(max(" << BoxVariance("boxSums.r", "boxSums.g") << ", 0.0));\n";
    return out.str();
}

ProgramText BoxMeanPassText(int32_t taps, int32_t direction, bool standardDeviation, bool readAlpha,
                            int32_t samplerPrecision, bool floatSums, int32_t varyingCap, int32_t precision,
                            float sumsShift) {
    const int32_t n = UsableTapCount(taps);
    const bool vertical = direction != 0;

    std::ostringstream vertex;
    WriteSeparableVertexShader(vertex, n, vertical, varyingCap, precision, false);

    std::ostringstream fragment;
    fragment << PrecisionLine(precision) << "uniform "
             << (vertical && floatSums ? std::string("mediump") : PrecisionName(samplerPrecision))
             << " sampler2D img0;\n";
    WriteVaryingDeclarations(n, true, varyingCap, fragment);
    if (!floatSums)
        fragment << "\n" << (vertical ? WriteUnpackFunctions(2, 0.0f, 1.0f, "") : WritePackFunctions(0.0f, 1.0f, ""));
    fragment << "\nvoid main()\n{\n";
    const std::string perPass = Lit(1.0 / n);
    const auto sum = [n](const std::string& first, const std::string& term) {
        std::string text;
        for (int32_t i = 0; i < n; ++i) {
            std::string piece = term;
            for (size_t at = piece.find('#'); at != std::string::npos; at = piece.find('#'))
                piece.replace(at, 1, std::to_string(i));
            text += (i == 0 ? first : " + ") + piece;
        }
        return text + ";\n";
    };
    if (!vertical) {
        const std::string swizzle = readAlpha ? ".a" : ".r";
        WriteFirstFetches(fragment, "float", "c", swizzle);
        WriteTapFetchesWithPrefix(n, 0, "c", false, readAlpha ? 0 : 5, varyingCap, fragment);
        const std::string term = floatSums && sumsShift != 0.0f ? "(c# - " + Lit(sumsShift) + ")" : "c#";
        fragment << sum("    float average = ", term)
                 << sum("    float squaredAverage = ", "(" + term + " * " + term + ")");
        if (floatSums) fragment << "    gl_FragColor = vec4(average, squaredAverage, 0.0, 0.0);\n";
        else
            fragment << "    average *= " << perPass << ";\n"
                     << "    squaredAverage *= " << perPass << ";\n"
                     << "    gl_FragColor = packVec2ToBytes4(vec2(average, squaredAverage));\n";
        fragment << "}\n";
        return {vertex.str(), fragment.str()};
    }
    if (floatSums) {
        const std::string perBox = Lit(1.0 / (static_cast<double>(n) * n));
        WriteFirstFetches(fragment, "vec2", "c", ".rg");
        WriteTapFetchesWithPrefix(n, 0, "c", true, 6, varyingCap, fragment);
        fragment << sum("    float average = ", "c#.r") << "    average *= " << perBox << ";\n"
                 << sum("    float squaredAverage = ", "c#.g") << "    squaredAverage *= " << perBox << ";\n";
    } else {
        WriteFirstFetches(fragment, "vec4", "cPacked", "");
        WriteTapFetchesWithPrefix(n, 0, "cPacked", true, 4, varyingCap, fragment);
        fragment << sum("    vec2 average0 = ", "cPacked#.rg") << "    float average = " << perPass
                 << " * unpackBytes2ToFloat(average0);\n"
                 << sum("    vec2 squaredAverage0 = ", "cPacked#.ba") << "    float squaredAverage = " << perPass
                 << " * unpackBytes2ToFloat(squaredAverage0);\n";
    }
    WriteBoxVariance(fragment, standardDeviation);
    return {vertex.str(), fragment.str()};
}

ProgramText CopyProgramText(bool channelSwap, int32_t alphaMode, bool textureMatrix, int32_t srgbMode,
                            int32_t varyingCap, int32_t precision) {
    if (alphaMode < 0 || alphaMode > 4)
        throw std::invalid_argument("alpha mode " + std::to_string(alphaMode) + " is not one of 0 to 4");
    std::ostringstream vertex;
    WriteVertexHead(vertex, precision, textureMatrix ? "uniform mat4 uModelViewProjectionTextureMatrix;\n" : "", 1,
                    varyingCap);
    if (textureMatrix)
        vertex << "    vec4 textureCoordinate = uModelViewProjectionTextureMatrix * vec4(vaPosition, 1.0);\n"
               << "    vTexture0 = textureCoordinate.xy;\n";
    else vertex << "    vTexture0 = vaPosition.xy;\n";
    vertex << "}\n";

    std::ostringstream fragment;
    fragment << PrecisionLine(precision) << "uniform lowp sampler2D img0;\n";
    WriteVaryingDeclarations(1, true, varyingCap, fragment);
    if (alphaMode == 2) fragment << "\n" << WriteRgbToLxx(true);
    fragment << "\nvoid main()\n{\n";
    const bool convert = srgbMode >= 0 && srgbMode <= 3;
    const std::string colour = channelSwap ? "color.bgr" : "color";
    if (!convert && alphaMode == 3) {
        fragment << "    gl_FragColor = vec4(texture2D(img0, vTexture0)." << (channelSwap ? "bgr" : "rgb")
                 << ", 1.0);\n";
    } else if (!convert && alphaMode == 4) {
        fragment << "    gl_FragColor = texture2D(img0, vTexture0)" << (channelSwap ? ".bgra" : "") << ";\n";
    } else if (alphaMode == 4) {
        fragment << "    vec4 color = texture2D(img0, vTexture0);\n"
                 << WriteSrgbConversion(srgbMode, "color", true)
                 << "    gl_FragColor = " << (channelSwap ? "color.bgra" : "color") << ";\n";
    } else {
        fragment << "    vec3 color = texture2D(img0, vTexture0).rgb;\n";
        if (convert) fragment << WriteSrgbConversion(srgbMode, "color", false);
        if (alphaMode == 3) {
            fragment << "    gl_FragColor = vec4(" << colour << ", 1.0);\n";
        } else {
            fragment << WriteLuminanceExpression(alphaMode, colour, "float a") << "    gl_FragColor = vec4(" << colour
                     << ", a);\n";
        }
    }
    fragment << "}\n";
    return {vertex.str(), fragment.str()};
}

}  // namespace QV::Graphics::ShaderSource
