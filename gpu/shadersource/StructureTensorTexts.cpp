// Texts of the structure-tensor programs: gradient, tensor smoothing, the tensor pass with its
// eigen analysis, and the noisy eigenvector.
#include <sstream>

#include "gpu/shadersource/ProgramTexts.h"
#include "gpu/shadersource/ShaderSource.h"
#include "gpu/shadersource/TextSupport.h"

namespace QV::Graphics::ShaderSource {

using namespace Detail;

namespace {

// Packs the signed pair in the vec2 variable v (components in [-1, 1]) into gl_FragColor:
// integer parts in .rg, fractions in .ba.
void WritePackedPairOutput(std::ostream& out, const char* v) {
    out << "    " << v << " = (127.5 * " << v << ") + 127.5;\n"
        << "    vec4 color;\n"
        << "    color.rg = floor(" << v << ");\n"
        << "    color.ba = " << v << " - color.rg;\n"
        << "    const float k2 = 1.0 / 255.0;\n"
        << "    color.rg *= k2;\n"
        << "    gl_FragColor = color;\n";
}

// The smoothing passes up to the weighted tensor sum egf (steps shared by both passes).
ProgramText SmoothedTensorText(int32_t taps, const std::vector<double>& weights, bool vertical, int32_t varyingCap,
                               int32_t precision) {
    const int32_t n = UsableTapCount(taps);
    if (static_cast<int32_t>(weights.size()) != n)
        throw std::invalid_argument("no smoothing weights for " + std::to_string(n) +
                                    " taps (sigma must not be negative, the step must be finite)");
    const int32_t c = n / 2;
    std::ostringstream vertex;
    WriteSeparableVertexShader(vertex, n, vertical, varyingCap, precision, false);

    std::ostringstream fragment;
    fragment << PrecisionLine(precision) << "uniform lowp sampler2D img0;\n";
    WriteVaryingDeclarations(n, true, varyingCap, fragment);
    fragment << "\nvoid main()\n{\n";
    for (int i = 0; i < 3; ++i) fragment << "    vec4 c" << i << " = texture2D(img0, vTexture" << i << ");\n";
    WriteTapFetches(n, vertical, 4, varyingCap, fragment);
    const std::string inverse255 = WriteFloatLiteral(1.0f / 255.0f);
    for (int32_t i = 0; i < n; ++i)
        fragment << "    vec2 uv" << i << " = c" << i << ".rg + (" << inverse255 << " * c" << i << ".ba);\n";
    for (int32_t i = 0; i < n; ++i) fragment << "    uv" << i << " = (2.0 * uv" << i << ") - 1.0;\n";
    for (int32_t i = 0; i < n; ++i)
        fragment << "    vec3 egf" << i << " = vec3(uv" << i << ".x * uv" << i << ".x, uv" << i << ".y * uv" << i
                 << ".y, uv" << i << ".x * uv" << i << ".y);\n";
    fragment << "    vec3 egf = (" << Lit(weights[static_cast<size_t>(c)]) << " * egf0) + ("
             << Lit(weights[static_cast<size_t>(c - 1)]) << " * (egf1 + egf2))";
    for (int32_t k = 2; k <= c; ++k)
        fragment << " + (" << Lit(weights[static_cast<size_t>(c - k)]) << " * (egf" << (2 * k - 1) << " + egf"
                 << (2 * k) << "))";
    fragment << ";\n";
    return {vertex.str(), fragment.str()};
}

}  // namespace

ProgramText GradientProgramText(int32_t varyingCap, int32_t precision, bool enforceMinimumGradient, int32_t channel,
                                int32_t samplerPrecision) {
    if (varyingCap < 8) throw std::invalid_argument("the gradient program needs eight texture-coordinate varyings");
    std::ostringstream vertex;
    WriteVertexHead(vertex, precision, "uniform vec2 uInvTextureDimensions;\n", 8, varyingCap);
    static const char* const kOffsets[8] = {"uInvTextureDimensions.x, uInvTextureDimensions.y",
                                            "uInvTextureDimensions.x, -uInvTextureDimensions.y",
                                            "-uInvTextureDimensions.x, uInvTextureDimensions.y",
                                            "-uInvTextureDimensions.x, -uInvTextureDimensions.y",
                                            "uInvTextureDimensions.x, 0.0",
                                            "-uInvTextureDimensions.x, 0.0",
                                            "0.0, uInvTextureDimensions.y",
                                            "0.0, -uInvTextureDimensions.y"};
    for (int i = 0; i < 8; ++i) vertex << "    vTexture" << i << " = vaPosition.xy + vec2(" << kOffsets[i] << ");\n";
    vertex << "}\n";

    std::ostringstream fragment;
    fragment << PrecisionLine(precision) << "uniform " << PrecisionName(samplerPrecision) << " sampler2D img0;\n";
    WriteVaryingDeclarations(8, true, varyingCap, fragment);
    fragment << "\nvoid main()\n{\n";
    const bool luma = channel == 2;
    const char* type = luma ? "vec3" : "float";
    const char* swizzle = luma ? ".rgb" : channel == 0 ? ".a" : ".r";
    for (int i = 0; i < 8; ++i)
        fragment << "    " << type << " c" << i << " = texture2D(img0, vTexture" << i << ")" << swizzle << ";\n";
    if (luma) {
        fragment << "    const vec3 rgbToL = vec3(0.299, 0.587, 0.114);\n";
        for (int i = 0; i < 8; ++i) fragment << "    c" << i << ".r = dot(c" << i << ", rgbToL);\n";
    }
    const std::string a = WriteFloatLiteral(0.183f);
    const std::string b = WriteFloatLiteral(0.634f);
    const std::string r = luma ? ".r" : "";
    const auto t = [&r](int i) { return "c" + std::to_string(i) + r; };
    fragment << "    vec2 s = vec2(\n"
             << "        (" << a << " * (" << t(0) << " + " << t(1) << " - " << t(2) << " - " << t(3) << ")) + (" << b
             << " * (" << t(4) << " - " << t(5) << ")),\n"
             << "        (" << a << " * (" << t(2) << " + " << t(0) << " - " << t(3) << " - " << t(1) << ")) + (" << b
             << " * (" << t(6) << " - " << t(7) << ")));\n";
    if (enforceMinimumGradient)
        fragment << "    float sLength = length(s);\n"
                 << "    if (sLength > 0.0)\n"
                 << "    {\n"
                 << "        float minimumLength = max(0.03, sLength);\n"
                 << "        s *= (minimumLength / sLength);\n"
                 << "    }\n";
    WritePackedPairOutput(fragment, "s");
    fragment << "}\n";
    return {vertex.str(), fragment.str()};
}

ProgramText TensorSmoothingPassText(int32_t taps, const std::vector<double>& weights, bool vertical, int32_t varyingCap,
                                    int32_t precision) {
    ProgramText text = SmoothedTensorText(taps, weights, vertical, varyingCap, precision);
    std::ostringstream tail;
    tail << "    vec2 g = sqrt(egf.xy);\n"
         << "    if (egf.z < 0.0)\n"
         << "    {\n"
         << "        g.y = -g.y;\n"
         << "    }\n";
    WritePackedPairOutput(tail, "g");
    tail << "}\n";
    text.fragment += tail.str();
    return text;
}

ProgramText TensorPassText(int32_t taps, const std::vector<double>& weights, bool withAnisotropy, int32_t varyingCap,
                           int32_t precision) {
    ProgramText text = SmoothedTensorText(taps, weights, false, varyingCap, precision);
    text.fragment += WriteEigenAnalysis(withAnisotropy, false);
    return text;
}

std::string WriteEigenAnalysis(bool withAnisotropy, bool signedOutput) {
    std::string text = "    vec2 minorEigenvector;\n";
    if (withAnisotropy) text += "    float anisotropy;\n";
    text +=
        "    float b = 0.5 * (egf.x + egf.y);\n"
        "    if (b > 0.0)\n"
        "    {\n"
        "        float d = egf.x - egf.y;\n"
        "        float ff = egf.z * egf.z;\n"
        "        float r = sqrt((d * d) + ff);\n"
        "        if (r > 0.0)\n"
        "        {\n"
        "            if (d >= 0.0)\n"
        "            {\n"
        "                float nx = d + r;\n"
        "                minorEigenvector = vec2(-egf.z, nx) / sqrt((nx * nx) + ff);\n"
        "            }\n"
        "            else\n"
        "            {\n"
        "                float ny = r - d;\n"
        "                minorEigenvector = vec2(-ny, egf.z) / sqrt(ff + (ny * ny));\n"
        "            }\n"
        "        }\n"
        "        else\n"
        "        {\n"
        "            minorEigenvector = vec2(0.0, 1.0);\n"
        "        }\n";
    if (withAnisotropy) text += "        anisotropy = r / b;\n";
    text +=
        "    }\n"
        "    else\n"
        "    {\n"
        "        minorEigenvector = vec2(0.0, 1.0);\n";
    if (withAnisotropy) text += "        anisotropy = 1.0;\n";
    text += "    }\n    minorEigenvector = normalize(minorEigenvector);\n";
    if (!signedOutput) text += "    minorEigenvector = 0.5 * (minorEigenvector + 1.0);\n";
    text += withAnisotropy ? "    gl_FragColor = vec4(minorEigenvector, 0.0, anisotropy);\n"
                           : "    gl_FragColor = vec4(minorEigenvector, 0.0, 1.0);\n";
    return text + "}\n";
}

ProgramText NoisyEigenvectorText(bool withAnisotropy, int32_t varyingCap, int32_t precision, bool signedInput,
                                 float noiseAmount) {
    std::ostringstream vertex;
    WriteVertexHead(vertex, precision, "uniform vec2 uNoiseScale;\nuniform vec2 uNoiseTranslate;\n", 2, varyingCap);
    vertex << "    vTexture0 = vaPosition.xy;\n"
           << "    vTexture1 = (uNoiseScale * vaPosition.xy) + uNoiseTranslate;\n"
           << "}\n";

    std::ostringstream fragment;
    fragment << PrecisionLine(precision) << "uniform lowp sampler2D img0;\n"
             << "uniform lowp sampler2D img1;\n";
    WriteVaryingDeclarations(2, true, varyingCap, fragment);
    fragment << "\nvoid main()\n{\n";
    const std::string v = withAnisotropy ? "minorEigenvector.xy" : "minorEigenvector";
    fragment << (withAnisotropy ? "    vec4 minorEigenvector = texture2D(img0, vTexture0);\n"
                                : "    vec2 minorEigenvector = texture2D(img0, vTexture0).xy;\n")
             << "    float noise = texture2D(img1, vTexture1).a;\n";
    if (!signedInput) fragment << "    " << v << " = " << v << " + " << v << " - 1.0;\n";
    fragment << "    noise -= 0.5;\n"
             << "    " << v << " += (" << WriteFloatLiteral(noiseAmount)
             << " * noise) * vec2(-minorEigenvector.y, minorEigenvector.x);\n"
             << "    " << v << " = normalize(" << v << ");\n";
    if (!signedInput) fragment << "    " << v << " = 0.5 * (" << v << " + 1.0);\n";
    fragment << (withAnisotropy ? "    gl_FragColor = vec4(minorEigenvector);\n"
                                : "    gl_FragColor = vec4(minorEigenvector, 0.0, 1.0);\n")
             << "}\n";
    return {vertex.str(), fragment.str()};
}

}  // namespace QV::Graphics::ShaderSource
