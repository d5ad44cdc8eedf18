#pragma once
// Colour mathematics as GLSL text: colour-space conversions, luminance and sRGB statements, the
// colour-correction methods that move a colour to a new luminance, and the shadows and
// highlights tone curve. Function texts end with "}\n".
#include <cstdint>
#include <string>

namespace QV::Graphics {

// 0 Deron, 1 Power, 2 ConstanLuminance, 3 Pouli, 4 Lab0, 5 Yxy, 6 Lab1, 7 Lab2 (written as
// Lab1), 8 Reinhard, 9 Drago, 10 None.
using eColorCorrectionMethod = int32_t;

namespace ShaderSource {

// 0 Rec.601 weights, 1 Rec.709 weights, 2 rgbToLXX; others write nothing.
using eLuminanceMethod = int32_t;
// 0 exact sRGB decode, 1 power-2.4 decode, 2 exact sRGB encode, 3 power-0.4167 encode.
using eSrgbConversion = int32_t;

std::string RgbToIptFunction();
std::string IptToRgbFunction();
const std::string& RgbToHsvFunction();
const std::string& HsvToRgbFunction();
std::string RgbToLabFunction();
std::string LabToRgbFunction();
const std::string& RgbToYxyFunction();
const std::string& YxyToRgbFunction();

// "float rgbToLXX(vec3 rgb)": CIE lightness, in 0..1 when scaled, else in 0..100.
std::string WriteRgbToLxx(bool scaled);

// One statement assigning the luminance of colour to destination (which may be a declaration).
std::string WriteLuminanceExpression(eLuminanceMethod method, const std::string& colour,
                                     const std::string& destination);

// One statement converting the variable in place (its .rgb when fourComponents).
std::string WriteSrgbConversion(eSrgbConversion kind, const std::string& variable, bool fourComponents);

// Whether the method rescales by luminance (all but Pouli and None).
bool ColorCorrectionMethodUsesLuminance(eColorCorrectionMethod method);

// The text of one colour-correction function "vec3 colorCorrectionMethod<Name>(vec3 Mo,
// float Lo, float Lt)" (Pouli: the IPT helpers and its own signature). The CIE form scales the
// strength by the luminance through uColorCorrectionCIE. Lab and Yxy methods need the Lab and Yxy
// texts placed before the function.
std::string ColorCorrectionMethodFunction(eColorCorrectionMethod method, bool pouliSaturation, bool cieForm);
std::string PouliFunction(bool saturation);

// The shadows/highlights tone curve of the value x applied to y and assigned to destination.
// Widths are kept inside (0, 1), where the curve is defined.
std::string WriteShadowsHighlightsCurve(bool shadowsOn, bool highlightsOn, const std::string& x, const std::string& y,
                                        const std::string& destination, float shadowsWidth, float highlightsWidth);
// The same curve with the widths first, as some callers list them.
std::string WriteShadowsHighlightsCurve(bool shadowsOn, bool highlightsOn, float shadowsWidth, float highlightsWidth,
                                        const std::string& x, const std::string& y, const std::string& destination);

}  // namespace ShaderSource
}  // namespace QV::Graphics
