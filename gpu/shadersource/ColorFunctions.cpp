#include "gpu/shadersource/ColorFunctions.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "gpu/shadersource/ShaderSource.h"

namespace QV::Graphics::ShaderSource {

namespace {

std::string Function(const std::string& signature, std::initializer_list<std::string> body) {
    std::string text = signature + "\n{\n";
    for (const std::string& line : body) text += "    " + line + "\n";
    return text + "}\n";
}

const char* const kRgbToXyz =
    "const mat3 rgbToXYZ = mat3(0.4124564, 0.3575761, 0.1804375, 0.2126729, 0.7151522, "
    "0.0721750, 0.0193339, 0.1191920, 0.9503041);";
const char* const kXyzToRgbValues =
    "(3.2404542, -1.5371385, -0.4985314, -0.9692660, 1.8760108, 0.0415560, 0.0556434, "
    "-0.2040259, 1.0572252);";

std::string MakeRgbToIpt() {
    return Function(
        "vec3 rgbToIPT(vec3 rgb)",
        {"const mat3 rgbToXYZToLMS = mat3(0.313970894, 0.639453351, 0.0465853661, 0.151717007, "
         "0.748192191, 0.100020111, 0.0177562535, 0.109465927, 0.872759282);",
         "const mat3 lmsToIPT = mat3(0.4, 0.4, 0.2, 4.455, -4.851, 0.396, 0.8056, 0.3572, "
         "-1.1628);",
         "vec3 lms = rgb * rgbToXYZToLMS;", "lms = sign(lms) * pow(abs(lms), vec3(0.43));", "return lms * lmsToIPT;"});
}

std::string MakeIptToRgb() {
    return Function("vec3 iptToRGB(vec3 ipt)",
                    {"const mat3 iptToLMS = mat3(1.0, 0.097568944, 0.205226466, 1.0, -0.113876507, "
                     "0.133217171, 1.0, 0.0326151103, -0.676887274);",
                     "const mat3 lmsToXYZToRGB = mat3(5.43175793, -4.67835379, 0.246218085, -1.1051991, "
                     "2.3112514, -0.205882147, 0.0281108245, -0.194708079, 1.16660488);",
                     "vec3 lms = ipt * iptToLMS;", "lms = sign(lms) * pow(abs(lms), vec3(2.325581));",
                     "return lms * lmsToXYZToRGB;"});
}

std::string MakeRgbToLab() {
    // The cube root only matters where temp0 >= k0; clamping its argument keeps pow defined for
    // out-of-gamut colours, whose linear branch is chosen anyway.
    return Function(
        "vec3 rgbToLab(vec3 rgb)",
        {kRgbToXyz, "const float k0 = 0.008856;", "const float k1 = 1.0 / 3.0;", "const float k2 = 7.787;",
         "const float k3 = 16.0 / 116.0;", "const vec3 reference = vec3(1.0 / 0.95047, 1.0, 1.0 / 1.08883);",
         "vec3 xyz = rgb * rgbToXYZ;", "vec3 temp0 = xyz * reference;", "vec3 temp1 = pow(max(temp0, 0.0), vec3(k1));",
         "vec3 temp2 = (k2 * temp0) + k3;", "vec3 temp3 = step(vec3(k0), temp0);",
         "temp0 = (temp3 * temp1) + ((1.0 - temp3) * temp2);",
         "return vec3((116.0 * temp0.y) - 16.0, 500.0 * (temp0.x - temp0.y), 200.0 * "
         "(temp0.y - temp0.z));"});
}

std::string MakeLabToRgb() {
    // The cube is written as a product: pow() of a negative base is undefined in GLSL.
    return Function("vec3 labToRGB(vec3 lab)",
                    {std::string("const mat3 xyzToRGB = mat3") + kXyzToRgbValues, "vec3 temp0;",
                     "temp0.y = (lab.x + 16.0) * (1.0 / 116.0);", "temp0.x = (lab.y * (1.0 / 500.0)) + temp0.y;",
                     "temp0.z = temp0.y - (lab.z * (1.0 / 200.0));", "vec3 temp1 = temp0 * temp0 * temp0;",
                     "vec3 temp2 = (temp0 - vec3(16.0 / 116.0)) * (1.0 / 7.787);",
                     "vec3 temp3 = step(vec3(0.008856), temp1);", "temp0 = (temp3 * temp1) + ((1.0 - temp3) * temp2);",
                     "vec3 xyz = temp0 * vec3(0.95047, 1.0, 1.08883);", "return xyz * xyzToRGB;"});
}

// The strength expression of a colour-correction function and, in the CIE form, the line that
// makes it depend on the luminance.
struct Strength {
    std::string name;
    std::string line;
};

Strength MakeStrength(bool cieForm) {
    if (!cieForm) return {"uColorCorrectionStrength", {}};
    return {"p",
            "float p = (uColorCorrectionStrength * pow(max(Lo, 1.0e-6), uColorCorrectionCIE.x)) + "
            "uColorCorrectionCIE.y;"};
}

std::string LuminanceFunction(const std::string& name, std::vector<std::string> before, const Strength& strength,
                              std::vector<std::string> after) {
    std::string text = "vec3 colorCorrectionMethod" + name + "(vec3 Mo, float Lo, float Lt)\n{\n";
    for (const std::string& line : before) text += "    " + line + "\n";
    if (!strength.line.empty()) text += "    " + strength.line + "\n";
    for (const std::string& line : after) text += "    " + line + "\n";
    return text + "}\n";
}

// k of the Deron method; the base is kept above 0 so that pow() stays defined for any strength.
std::string DeronK(const std::string& s) {
    return "float k = pow(max(clamp(Lt, 0.0, 1.0) / max(Lo, 0.001), 1.0e-6), " + s + ");";
}

}  // namespace

std::string RgbToIptFunction() {
    static const std::string kText = MakeRgbToIpt();
    return kText;
}

std::string IptToRgbFunction() {
    static const std::string kText = MakeIptToRgb();
    return kText;
}

const std::string& RgbToHsvFunction() {
    static const std::string kText = Function(
        "vec3 rgbToHSV(vec3 rgb)",
        {"const vec4 K = vec4(0.0, -1.0 / 3.0, 2.0 / 3.0, -1.0);",
         "vec4 p = (rgb.b > rgb.g) ? vec4(rgb.bg, K.wz) : vec4(rgb.gb, K.xy);",
         "vec4 q = (p.x > rgb.r) ? vec4(p.xyw, rgb.r) : vec4(rgb.r, p.yzx);", "float d = q.x - min(q.w, q.y);",
         "const float e = 1.0e-10;", "return vec3(abs(q.z + (q.w - q.y) / ((6.0 * d) + e)), d / (q.x + e), q.x);"});
    return kText;
}

const std::string& HsvToRgbFunction() {
    static const std::string kText =
        Function("vec3 hsvToRGB(vec3 hsv)", {"const vec4 K = vec4(1.0, 2.0 / 3.0, 1.0 / 3.0, 3.0);",
                                             "vec3 p = abs((fract(hsv.xxx + K.xyz) * 6.0) - K.www);",
                                             "return hsv.z * mix(K.xxx, clamp(p - K.xxx, 0.0, 1.0), hsv.y);"});
    return kText;
}

std::string RgbToLabFunction() {
    static const std::string kText = MakeRgbToLab();
    return kText;
}

std::string LabToRgbFunction() {
    static const std::string kText = MakeLabToRgb();
    return kText;
}

const std::string& RgbToYxyFunction() {
    static const std::string kText = Function(
        "vec3 rgbToYxy(vec3 rgb)",
        {kRgbToXyz, "vec3 XYZ = rgb * rgbToXYZ;", "vec3 Yxy;", "Yxy.x = XYZ.y;",
         "float XYZTotal = XYZ.x + XYZ.y + XYZ.z;", "float invXYZTotal = (XYZTotal > 0.0) ? (1.0 / XYZTotal) : 0.0;",
         "Yxy.y = XYZ.x * invXYZTotal;", "Yxy.z = XYZ.y * invXYZTotal;", "return Yxy;"});
    return kText;
}

const std::string& YxyToRgbFunction() {
    static const std::string kText =
        Function("vec3 YxyToRGB(vec3 Yxy)",
                 {std::string("const mat3 XYZToRGB = mat3") + kXyzToRgbValues, "vec3 XYZ;", "XYZ.y = Yxy.x;",
                  "float YDivy = (Yxy.z > 0.0) ? (Yxy.x / Yxy.z) : 0.0;", "XYZ.x = Yxy.y * YDivy;",
                  "XYZ.z = (1.0 - Yxy.y - Yxy.z) * YDivy;", "return XYZ * XYZToRGB;"});
    return kText;
}

std::string WriteRgbToLxx(bool scaled) {
    return "float rgbToLXX(vec3 rgb)\n"
           "{\n"
           "    float y = dot(rgb, vec3(0.2126729, 0.7151522, 0.0721750));\n"
           "    const float k0 = 0.008856;\n"
           "    if (y > k0)\n"
           "    {\n"
           "        y = pow(y, 1.0 / 3.0);\n"
           "    }\n"
           "    else\n"
           "    {\n"
           "        y = (7.787 * y) + (16.0 / 116.0);\n"
           "    }\n" +
           std::string(scaled ? "    return (1.16 * y) - 0.16;\n" : "    return (116.0 * y) - 16.0;\n") + "}\n";
}

std::string WriteLuminanceExpression(eLuminanceMethod method, const std::string& colour,
                                     const std::string& destination) {
    switch (method) {
    case 0: return "    " + destination + " = dot(" + colour + ", vec3(0.299, 0.587, 0.114));\n";
    case 1: return "    " + destination + " = dot(" + colour + ", vec3(0.2126, 0.7152, 0.0722));\n";
    case 2: return "    " + destination + " = rgbToLXX(" + colour + ");\n";
    default: return {};
    }
}

std::string WriteSrgbConversion(eSrgbConversion kind, const std::string& variable, bool fourComponents) {
    const std::string v = fourComponents ? variable + ".rgb" : variable;
    switch (kind) {
    case 0:
        return "    " + v + " = mix(0.0774 * " + v + ", pow((" + v +
               " + 0.055) * 0.947867, vec3(2.4)), step(0.04045, " + v + "));\n";
    case 1: return "    " + v + " = pow(" + v + ", vec3(2.4));\n";
    case 2:
        return "    " + v + " = mix(12.92 * " + v + ", (1.055 * pow(" + v + ", vec3(0.4167))) - 0.055, step(0.00313, " +
               v + "));\n";
    case 3: return "    " + v + " = pow(" + v + ", vec3(0.4167));\n";
    default: return {};
    }
}

bool ColorCorrectionMethodUsesLuminance(eColorCorrectionMethod method) {
    return method >= 0 && method <= 9 && ((1015 >> method) & 1) != 0;
}

std::string ColorCorrectionMethodFunction(eColorCorrectionMethod method, bool pouliSaturation, bool cieForm) {
    const Strength strength = MakeStrength(cieForm);
    const std::string& s = strength.name;
    const std::string invLo = "float invLo = 1.0 / max(Lo, 0.001);";
    const std::string k0 = "float k0 = clamp(Lt, 0.0, 1.0) / max(Lo, 0.001);";
    switch (method) {
    case 0: return LuminanceFunction("Deron", {}, strength, {DeronK(s), "return k * Mo;"});
    case 1:
        // pow() of a zero channel with a zero strength is undefined; the base stays above 0.
        return LuminanceFunction("Power", {invLo}, strength,
                                 {"return pow(max(Mo * invLo, 1.0e-6), vec3(" + s + ")) * clamp(Lt, 0.0, 1.0);"});
    case 2:
        return LuminanceFunction("ConstanLuminance", {invLo}, strength,
                                 {"return ((((Mo * invLo) - 1.0) * " + s + ") + 1.0) * clamp(Lt, 0.0, 1.0);"});
    case 3: return PouliFunction(pouliSaturation);
    case 4:
        return LuminanceFunction("Lab0", {"vec3 lab = rgbToLab(Mo);"}, strength,
                                 {DeronK(s), "lab.x = clamp(k * lab.x, 0.0, 100.0);", "return labToRGB(lab);"});
    case 5:
        return LuminanceFunction("Yxy", {"vec3 yxy = rgbToYxy(Mo);"}, strength,
                                 {DeronK(s), "yxy.x = clamp(Lo * k, 0.0, 1.0);", "return YxyToRGB(yxy);"});
    case 6:
    case 7:
        return LuminanceFunction("Lab1", {"vec3 lab = rgbToLab(Mo);"}, strength,
                                 {"lab.x = 100.0 * pow(max(clamp(Lt, 0.0, 1.0), 1.0e-6), " + s + ");",
                                  "lab.x = clamp(lab.x, 0.0, 100.0);", "return labToRGB(lab);"});
    case 8:
        // A black target makes k0 zero; the quotient is bounded so black stays black
        // instead of turning into 0/0.
        return LuminanceFunction(
            "Reinhard", {k0, "float k1 = k0 - 1.0;"}, strength,
            {"float k2 = (k1 * " + s + ") + 1.0;", "float k3 = (k1 * k2) / max(k0, 0.001);", "return (Mo * k3) + Mo;"});
    case 9:
        return LuminanceFunction("Drago", {k0}, strength,
                                 {"float Ld = log2(max(k0, 0.001)) / max(log2(max(" + s + ", 0.0) + 1.0), 0.001);",
                                  "return (Mo * Ld) + Mo;"});
    default: return {};
    }
}

std::string PouliFunction(bool saturation) {
    // Grey and black colours have no chroma and no hue: the chroma ratio is formed without
    // dividing by a zero chroma, and the hue is taken as the unit direction of the original's
    // chroma (the sine and cosine of its angle, without the angle: atan, sin and cos cost the
    // driver far more than a division) only where there is one, so they stay grey.
    const std::string chroma = saturation
                                   ? "float cC = (cCLinear > 0.0) ? pow(cCLinear, uPouliSaturationExponent) : 0.0;"
                                   : "float cC = cCLinear;";
    return RgbToIptFunction() + "\n" + IptToRgbFunction() + "\n" +
           Function("vec3 colorCorrectionMethodPouli(vec3 rgbOriginal, vec3 rgbTMO)",
                    {"vec3 iptTMO = rgbToIPT(rgbTMO);", "vec3 iptOriginal = rgbToIPT(rgbOriginal);",
                     "float cTMO = sqrt((iptTMO.y * iptTMO.y) + (iptTMO.z * iptTMO.z));",
                     "float cOriginal = sqrt((iptOriginal.y * iptOriginal.y) + (iptOriginal.z * "
                     "iptOriginal.z));",
                     "vec2 hue = (cOriginal > 0.0) ? iptOriginal.yz / cOriginal : vec2(0.0, 1.0);",
                     "float cTMOPrime = (cTMO * iptOriginal.x) / max(iptTMO.x, 1.0e-6);",
                     "float cCLinear = (cOriginal * sqrt((cTMOPrime * cTMOPrime) + (iptTMO.x * "
                     "iptTMO.x))) / max(sqrt((cOriginal * cOriginal) + (iptOriginal.x * "
                     "iptOriginal.x)), 1.0e-6);",
                     chroma, "vec3 tmoCIPT = vec3(iptTMO.x, hue * cC);", "return iptToRGB(tmoCIPT);"});
}

namespace {

// The width exponent: the weight falls from 1 to 0.006 across the width. Widths of 0 or 1 give
// an infinite or zero exponent, so they are held just inside the interval.
std::string WidthExponent(float width) {
    const float w = std::clamp(width, 0.001f, 0.999f);
    return WriteFloatLiteral(logf(0.006f) / logf(1.0f - w));
}

std::vector<std::string> ShadowsTerm(const std::string& x, const std::string& exponent) {
    return {"float k0 = (1.0 / (1.0 + exp2(-" + x + " * uShadowsStrength.x))) - 0.5;",
            "float k1 = uShadowsStrength.y * k0;", "float w0 = pow(max(1.0 - " + x + ", 0.0), " + exponent + ");"};
}

std::vector<std::string> HighlightsTerm(const std::string& x, const std::string& exponent) {
    return {"float w = (uHighlightsStrength.x * " + x + ") - uHighlightsStrength.x;",
            "float k0 = (1.0 / (1.0 + exp2(-w))) - 0.5;", "float k1 = (uHighlightsStrength.y * k0) + 1.0;",
            "float w0 = pow(max(" + x + ", 0.0), " + exponent + ");"};
}

}  // namespace

std::string WriteShadowsHighlightsCurve(bool shadowsOn, bool highlightsOn, const std::string& x, const std::string& y,
                                        const std::string& destination, float shadowsWidth, float highlightsWidth) {
    if (!shadowsOn && !highlightsOn) return {};
    const std::string blend = "(w0 * k1) + ((1.0 - w0) * " + x + ")";
    std::string text;
    std::string curve;
    if (shadowsOn && highlightsOn) {
        text = "    float k5Shadows;\n    float k5Highlights;\n";
        const auto block = [&](const std::vector<std::string>& lines, const std::string& result) {
            text += "    {\n";
            for (const std::string& line : lines) text += "        " + line + "\n";
            text += "        " + result + " = " + blend + ";\n    }\n";
        };
        block(ShadowsTerm(x, WidthExponent(shadowsWidth)), "k5Shadows");
        block(HighlightsTerm(x, WidthExponent(highlightsWidth)), "k5Highlights");
        curve = "k5Shadows + k5Highlights - " + x;
    } else {
        const std::vector<std::string> lines =
            shadowsOn ? ShadowsTerm(x, WidthExponent(shadowsWidth)) : HighlightsTerm(x, WidthExponent(highlightsWidth));
        for (const std::string& line : lines) text += "    " + line + "\n";
        curve = blend;
    }
    if (x == y) text += "    " + destination + " = " + curve + ";\n";
    else text += "    " + destination + " = (" + curve + ") * (" + y + " / max(" + x + ", 0.001));\n";
    return text;
}

std::string WriteShadowsHighlightsCurve(bool shadowsOn, bool highlightsOn, float shadowsWidth, float highlightsWidth,
                                        const std::string& x, const std::string& y, const std::string& destination) {
    return WriteShadowsHighlightsCurve(shadowsOn, highlightsOn, x, y, destination, shadowsWidth, highlightsWidth);
}

}  // namespace QV::Graphics::ShaderSource
