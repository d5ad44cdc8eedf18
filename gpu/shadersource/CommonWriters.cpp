#include <algorithm>
#include <cmath>
#include <locale>
#include <sstream>

#include "gpu/shadersource/ShaderSource.h"

namespace QV::Graphics::ShaderSource {

namespace {

std::string DescribeNonFinite(float value) {
    if (std::isnan(value)) return "NaN cannot be written into GLSL";
    return value > 0 ? "infinity cannot be written into GLSL" : "-infinity cannot be written into GLSL";
}

std::string MakeVertexShader(const char* precision, const char* textureCoordinate) {
    std::ostringstream out;
    out << "precision " << precision << " float;\n"
        << "uniform mat4 uModelViewProjectionMatrix;\n"
        << "attribute vec3 vaPosition;\n"
        << "varying vec2 vTexture0;\n"
        << "\n"
        << "void main()\n"
        << "{\n"
        << "    gl_Position = uModelViewProjectionMatrix * vec4(vaPosition, 1.0);\n"
        << "    vTexture0 = " << textureCoordinate << ";\n"
        << "}\n";
    return out.str();
}

// The coordinate offset of one tap along the pass axis; sign is "-" or "".
std::string AxisOffset(bool vertical, const char* sign) {
    return vertical ? std::string("vec2(0.0, ") + sign + "k)" : std::string("vec2(") + sign + "k, 0.0)";
}

const std::string& PositionPlus(bool vertical, bool negative) {
    static const std::string kTexts[4] = {" = vaPosition.xy + vec2(k, 0.0);\n", " = vaPosition.xy + vec2(-k, 0.0);\n",
                                          " = vaPosition.xy + vec2(0.0, k);\n", " = vaPosition.xy + vec2(0.0, -k);\n"};
    return kTexts[(vertical ? 2 : 0) + (negative ? 1 : 0)];
}

double MiddleOffset(const std::vector<double>& offsets, int64_t fromMiddle) {
    const int64_t h = static_cast<int64_t>(offsets.size() / 2);
    const int64_t index = h - fromMiddle;
    if (index < 0 || index >= static_cast<int64_t>(offsets.size()))
        throw std::out_of_range("tap offsets vector is shorter than the tap count");
    return offsets[static_cast<size_t>(index)];
}

std::string Lit(double value) { return WriteFloatLiteral(static_cast<float>(value)); }

// The shared walk of the vertex-side offset writers: pairs from j = 2 while both taps are below
// m, then the lone negative member of a pair that the cap splits.
template <typename StepLine>
void WriteOffsetsWalk(int32_t taps, bool vertical, int32_t varyingCap, std::ostream& out, StepLine stepLine) {
    if (taps < 4) return;
    const int32_t m = std::min(taps, varyingCap);
    for (int32_t j = 2; 2 * j < m; ++j) {
        out << stepLine(j);
        out << "    vTexture" << (2 * j - 1) << PositionPlus(vertical, true);
        out << "    vTexture" << (2 * j) << PositionPlus(vertical, false);
    }
    if (m % 2 == 0 && m >= 4) {
        out << stepLine(m / 2);
        out << "    vTexture" << (m - 1) << PositionPlus(vertical, true);
    }
}

// The shared fragment-side walk: fetches from varyings up to the cap, then the rest computed from
// the centre. firstK writes the declaration of k for the split pair, nextK the step to pair j.
template <typename FirstK, typename NextK>
void WriteFetchesWalk(int32_t taps, int32_t imageIndex, const std::string& prefix, bool vertical, int32_t format,
                      int32_t varyingCap, std::ostream& out, FirstK firstK, NextK nextK) {
    if (taps < 4) return;
    std::string type;
    std::string swizzle;
    GlslTypeForFormat(format, type, swizzle);
    const std::string head = type + " " + prefix;
    const std::string sampler = "img" + std::to_string(imageIndex);
    const int32_t m = std::min(taps, varyingCap);
    for (int32_t i = 3; i < m; ++i)
        out << "    " << head << i << " = texture2D(" << sampler << ", vTexture" << i << ")" << swizzle << ";\n";
    if (taps <= varyingCap) return;
    const std::string plus = AxisOffset(vertical, "");
    const std::string minus = AxisOffset(vertical, "-");
    out << firstK(m);
    out << "    " << head << m << " = texture2D(" << sampler << ", vTexture0 + " << plus << ")" << swizzle << ";\n";
    for (int32_t j = varyingCap + 1; j < taps; j += 2) {
        out << nextK(j);
        out << "    " << head << j << " = texture2D(" << sampler << ", vTexture0 + " << minus << ")" << swizzle
            << ";\n";
        out << "    " << head << (j + 1) << " = texture2D(" << sampler << ", vTexture0 + " << plus << ")" << swizzle
            << ";\n";
    }
}

bool IsPlainRange(float low, float high) { return high == low || (low == 0.0f && high == 1.0f); }

std::string FunctionText(const std::string& signature, const std::vector<std::string>& body) {
    std::string text = signature + "\n{\n";
    for (const std::string& line : body) text += "    " + line + "\n";
    return text + "}\n";
}

std::string SmoothStepTail(const std::string& r) { return "    " + r + " *= " + r + " * (3.0 - (2.0 * " + r + "));\n"; }

}  // namespace

NonFiniteLiteral::NonFiniteLiteral(float value) : std::invalid_argument(DescribeNonFinite(value)), value_(value) {}

const std::string& PrecisionName(int32_t precision) {
    if (precision < 0 || precision > 2) throw std::out_of_range("precision must be 0, 1 or 2");
    return PrecisionNames[precision];
}

const std::string& DefaultVertexShader(int32_t precision) {
    static const std::string kHigh = MakeVertexShader("highp", "vaPosition.xy");
    static const std::string kMedium = MakeVertexShader("mediump", "vaPosition.xy");
    return precision == 1 ? kMedium : kHigh;
}

const std::string& ClipSpaceVertexShader(int32_t precision) {
    static const std::string kHigh = MakeVertexShader("highp", "(0.5 * gl_Position.xy) + 0.5");
    static const std::string kMedium = MakeVertexShader("mediump", "(0.5 * gl_Position.xy) + 0.5");
    return precision == 1 ? kMedium : kHigh;
}

std::string WriteFloatLiteral(float value) {
    if (!std::isfinite(value)) throw NonFiniteLiteral(value);
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << value;
    std::string text = out.str();
    if (text.find_first_of(".e") == std::string::npos) text += ".0";
    return text;
}

void WriteVaryingDeclarations(int32_t taps, bool declareInverseDimension, int32_t varyingCap, std::ostream& out) {
    const int32_t m = std::min(taps, varyingCap);
    if (taps > varyingCap && declareInverseDimension) out << "uniform float uInvTextureDimension;\n";
    for (int32_t i = 0; i < m; ++i) out << "varying vec2 vTexture" << i << ";\n";
}

void GlslTypeForFormat(int32_t format, std::string& type, std::string& swizzle) {
    switch (format) {
    case 0:
        type = "float";
        swizzle = ".a";
        break;
    case 3:
        type = "vec3";
        swizzle = ".rgb";
        break;
    case 4:
        type = "vec4";
        swizzle.clear();
        break;
    case 5:
        type = "float";
        swizzle = ".r";
        break;
    case 6:
        type = "vec2";
        swizzle = ".rg";
        break;
    default: break;
    }
}

void GlslTypeForChannels(int32_t channels, std::string& type, std::string& swizzle) {
    if (channels == 3 || channels == 4) {
        type = "vec3";
        swizzle = ".rgb";
    } else if (channels == 5) {
        type = "vec4";
        swizzle.clear();
    }
}

std::string WriteMatrixMultiply(const std::string& x, float s) {
    const float l[3] = {0.3086f, 0.6094f, 0.082f};
    float a[3];
    float d[3];
    for (int i = 0; i < 3; ++i) {
        a[i] = l[i] * (1.0f - s);
        d[i] = a[i] + s;
    }
    std::string text = "    " + x + " = vec3(\n";
    text += "        dot(vec3(" + WriteFloatLiteral(d[0]) + ", " + WriteFloatLiteral(a[1]) + ", " +
            WriteFloatLiteral(a[2]) + "), " + x + "),\n";
    text += "        dot(vec3(" + WriteFloatLiteral(a[0]) + ", " + WriteFloatLiteral(d[1]) + ", " +
            WriteFloatLiteral(a[2]) + "), " + x + "),\n";
    text += "        dot(vec3(" + WriteFloatLiteral(a[0]) + ", " + WriteFloatLiteral(a[1]) + ", " +
            WriteFloatLiteral(d[2]) + "), " + x + "));\n";
    return text;
}

void WriteTapOffsets(int32_t taps, bool vertical, int32_t varyingCap, std::ostream& out) {
    WriteOffsetsWalk(taps, vertical, varyingCap, out,
                     [](int32_t) { return std::string("    k += uInvTextureDimension;\n"); });
}

void WriteScaledTapOffsets(int32_t taps, const std::vector<double>& offsets, bool vertical, int32_t varyingCap,
                           std::ostream& out) {
    WriteOffsetsWalk(taps, vertical, varyingCap, out, [&offsets](int32_t j) {
        return "    k = " + Lit(MiddleOffset(offsets, j)) + " * uInvTextureDimension;\n";
    });
}

void WriteTapFetchesWithPrefix(int32_t taps, int32_t imageIndex, const std::string& prefix, bool vertical,
                               int32_t format, int32_t varyingCap, std::ostream& out) {
    const char* axis = vertical ? ".y" : ".x";
    WriteFetchesWalk(
        taps, imageIndex, prefix, vertical, format, varyingCap, out,
        [axis](int32_t m) {
            return std::string("    float k = vTexture0") + axis + " - vTexture" + std::to_string(m - 1) + axis + ";\n";
        },
        [](int32_t) { return std::string("    k += uInvTextureDimension;\n"); });
}

void WriteTapFetches(int32_t taps, bool vertical, int32_t format, int32_t varyingCap, std::ostream& out) {
    WriteTapFetchesWithPrefix(taps, 0, "c", vertical, format, varyingCap, out);
}

void WriteScaledTapFetchesWithPrefix(int32_t taps, const std::vector<double>& offsets, int32_t imageIndex,
                                     const std::string& prefix, bool vertical, int32_t format, int32_t varyingCap,
                                     std::ostream& out) {
    WriteFetchesWalk(
        taps, imageIndex, prefix, vertical, format, varyingCap, out,
        [&offsets, varyingCap](int32_t) {
            return "    float k = " + Lit(MiddleOffset(offsets, varyingCap / 2)) + " * uInvTextureDimension;\n";
        },
        [&offsets](int32_t j) {
            return "    k = " + Lit(MiddleOffset(offsets, (j + 1) / 2)) + " * uInvTextureDimension;\n";
        });
}

void WriteScaledTapFetches(int32_t taps, const std::vector<double>& offsets, bool vertical, int32_t format,
                           int32_t varyingCap, std::ostream& out) {
    WriteScaledTapFetchesWithPrefix(taps, offsets, 0, "c", vertical, format, varyingCap, out);
}

std::string WriteUnpackFunctions(int32_t byteCount, float low, float high, const std::string& suffix) {
    // The bytes are rounded, not truncated: a sampled byte b reads as b/255 in float, and
    // (b/255) * 255 may land just below b, which floor() would turn into b - 1.
    const int32_t bytes = (byteCount == 2 || byteCount == 3) ? byteCount : 4;
    const bool plain = IsPlainRange(low, high);
    std::vector<std::string> body = {"const float _8 = 256.0;"};
    std::string type;
    std::string dot;
    if (bytes == 2) {
        type = "vec2";
        body.push_back("const float _inv16m1 = 1.0 / ((256.0 * 256.0) - 1.0);");
        dot = "dot(floor((v * 255.0) + 0.5), vec2(_8, 1.0)) * _inv16m1;";
    } else if (bytes == 3) {
        type = "vec3";
        body.push_back("const float _16 = 256.0 * 256.0;");
        body.push_back("const float _inv24m1 = 1.0 / ((256.0 * 256.0 * 256.0) - 1.0);");
        dot = "dot(floor((v * 255.0) + 0.5), vec3(_16, _8, 1.0)) * _inv24m1;";
    } else {
        type = "vec4";
        body.push_back("const float _16 = 256.0 * 256.0;");
        body.push_back("const float _24 = 256.0 * 256.0 * 256.0;");
        body.push_back("const float _inv32m1 = 1.0 / ((256.0 * 256.0 * 256.0 * 256.0) - 1.0);");
        dot = "dot(floor((v * 255.0) + 0.5), vec4(_24, _16, _8, 1.0)) * _inv32m1;";
    }
    const std::string name = std::string(plain ? "float unpackBytes" : "float unpackAndScaleBytes") +
                             std::to_string(bytes) + "ToFloat" + suffix + "(" + type + " v)";
    if (plain) {
        body.push_back("return " + dot);
    } else {
        body.push_back("float vOut = " + dot);
        body.push_back("vOut = " + WriteFloatLiteral(low) + " + (vOut * " + WriteFloatLiteral(high - low) + ");");
        body.push_back("return vOut;");
    }
    return FunctionText(name, body);
}

std::string WriteUnpackFunctions(int32_t byteCount, const QV::Math::CVector2<float>& range, const std::string& suffix) {
    return WriteUnpackFunctions(byteCount, range.x, range.y, suffix);
}

std::string WritePackFunctions(const QV::Math::CVector2<float>& range, const std::string& suffix) {
    return WritePackFunctions(range.x, range.y, suffix);
}

std::string WritePackFunctions(float low, float high, const std::string& suffix) {
    std::vector<std::string> body;
    std::string name;
    if (IsPlainRange(low, high)) {
        name = "vec4 packVec2ToBytes4" + suffix + "(vec2 v)";
        body = {"const float _8 = 256.0;", "const float _inv8 = 1.0 / _8;",
                "const float _16m1 = (256.0 * 256.0) - 1.0;"};
    } else {
        name = "vec4 scaleAndPackVec2ToBytes4" + suffix + "(vec2 v)";
        body = {"const float _8 = 256.0;", "const float _16m1 = (256.0 * 256.0) - 1.0;",
                "const float _inv8 = 1.0 / _8;",
                "v = (v - " + WriteFloatLiteral(low) + ") * " + WriteFloatLiteral(1.0f / (high - low)) + ";",
                "v = clamp(v, 0.0, 1.0);"};
    }
    for (const char* line :
         {"vec4 vOut;", "vec2 k0 = floor(v * _16m1);", "vOut.xz = floor(k0 * _inv8);", "k0 = k0 - (vOut.xz * _8);",
          "vOut.yw = floor(k0);", "vOut *= (1.0 / 255.0);", "return vOut;"})
        body.emplace_back(line);
    return FunctionText(name, body);
}

std::string WriteSmoothStepScaleBias(const std::string& x, const std::string& r, float e0, float e1) {
    std::string first;
    if (e0 == 0.0f) {
        first = "    float " + r + " = clamp(" + x + " * " + WriteFloatLiteral(1.0f / e1) + ", 0.0, 1.0);\n";
    } else {
        const float width = e1 - e0;
        first = "    float " + r + " = clamp((" + WriteFloatLiteral(1.0f / width) + " * " + x + ") - " +
                WriteFloatLiteral(e0 / width) + ", 0.0, 1.0);\n";
    }
    return first + SmoothStepTail(r);
}

std::string WriteSmoothStep(const std::string& u, const std::string& x, const std::string& r, float e0) {
    std::string first;
    if (e0 == 0.0f) {
        first = "    float " + r + " = clamp(" + x + " / " + u + ", 0.0, 1.0);\n";
    } else {
        const std::string edge = WriteFloatLiteral(e0);
        first = "    float " + r + " = clamp((" + x + " - " + edge + ") / (" + u + " - " + edge + "), 0.0, 1.0);\n";
    }
    return first + SmoothStepTail(r);
}

std::string WriteSmoothStepReciprocal(const std::string& lo, const std::string& w, const std::string& x,
                                      const std::string& r) {
    return "    float " + r + " = clamp((" + x + " - " + lo + ") * " + w + ", 0.0, 1.0);\n" + SmoothStepTail(r);
}

std::string WriteLinearRampMinMax(const std::string& x, const std::string& r, float a, float m, float b) {
    if (a == 0.0f && m == 0.5f && b == 1.0f) return {};
    const float lo = std::min(a, b);
    const float hi = std::max(a, b);
    if (m == 0.5f) {
        const float s = 0.5f / ((lo + (hi - lo) * 0.5f) - lo);
        if (lo * s == 0.0f) return "    " + r + " = clamp(" + WriteFloatLiteral(s) + " * " + x + ", 0.0, 1.0);\n";
        return "    " + r + " = clamp((" + WriteFloatLiteral(s) + " * " + x + ") + " + WriteFloatLiteral(-(lo * s)) +
               ", 0.0, 1.0);\n";
    }
    const float mid = lo + (hi - lo) * m;
    const float s0 = 0.5f / (mid - lo);
    std::string text;
    if (lo * s0 == 0.0f) text = "    float y0 = " + WriteFloatLiteral(s0) + " * " + x + ";\n";
    else text = "    float y0 = (" + WriteFloatLiteral(s0) + " * " + x + ") + " + WriteFloatLiteral(-(lo * s0)) + ";\n";
    const float s1 = 0.5f / (hi - mid);
    text += "    float y1 = (" + WriteFloatLiteral(s1) + " * " + x + ") + " + WriteFloatLiteral(1.0f - hi * s1) + ";\n";
    text += "    " + r + " = clamp(" + (s0 > s1 ? "min" : "max") + "(y0, y1), 0.0, 1.0);\n";
    return text;
}

}  // namespace QV::Graphics::ShaderSource
