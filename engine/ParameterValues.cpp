#include "engine/ParameterValues.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/ToneMapLookTable.h"

namespace EngineParameters {

bool DiffersFrom(float value, float neutral) { return std::fabs(value - neutral) > kEpsilon; }

int32_t ChoiceIndex(float v, int32_t n) {
    const float scaled = v * static_cast<float>(n);
    if (!(scaled >= 0.0f))  // negative or NaN
        return 0;
    if (scaled >= static_cast<float>(n)) return n - 1;
    return std::min(static_cast<int32_t>(scaled), n - 1);
}

float ChoiceValue(int32_t index, int32_t n) { return (static_cast<float>(index) + 0.5f) / static_cast<float>(n); }

bool FlagFromValue(float v) { return v > 0.5f; }

int32_t LineIntegralIterationsFromValue(float v) {
    const float count = 4.0f * v + 1.0f;
    if (!(count >= 1.0f)) return 1;
    if (count >= static_cast<float>(kMaxLineIntegralIterations)) return kMaxLineIntegralIterations;
    return static_cast<int32_t>(count);
}

float LineIntegralIterationsValue(int32_t iterations) { return (static_cast<float>(iterations) - 0.5f) / 4.0f; }

int32_t sEnumeration::IndexFromStored(int32_t stored) const {
    const int32_t index = firstSize ? (stored - firstSize) / 2 : stored;
    return std::clamp(index, 0, Count() - 1);
}

namespace {

std::vector<std::string_view> LookNames() {
    std::vector<std::string_view> names;
    for (const sToneMapLook& look : ToneMapLookTable) names.emplace_back(look.displayName);
    return names;
}

std::vector<sEnumeration> MakeEnumerations() {
    const std::vector<std::string_view> sides = {"Dark", "Bright", "All"};
    return {
        {"Luminance Style", {"CIE", "Local Laplacian", "None with Color Adjustments", "None"}, 3},
        {"Tone Mapping Dimension", {"5", "7"}, 0, 5},
        {"Contrast Based On", {"Darkness", "Brightness", "Both", "None"}, 3},
        {"CIE Contrast Equation", {"Paper", "Non-CIE 0", "Non-CIE 1", "Sigmoid"}, 0},
        {"CIE Contrast Compression", {"None", "Clamp", "Exponent", "Exponent Interval", "Drago", "Drago Interval"}, 1},
        {"CIE Contrast Compression Side", sides, 0},
        {"CIE Halo Removal Type", sides, 2},
        {"NR Type", {"Flow Field GPUImage", "Isotropic GPUImage", "Flow Field Bilateral"}, 2},
        {"NR Dimension", {"3", "5", "7", "9", "11"}, 3, 3},
        {"Alg Brightness Method", {"CIE", "CIE Var", "Shadows and Highlights", "CIE and Shadows and Highlights"}, 0},
        {"Alg CIE Brightness Strength Method", {"Exponent", "Scale and Exponent"}, 1},
        {"Alg Color Correction Method",
         {"Deron", "Power", "Constant Luminance", "Pouli", "Lab0", "Yxy", "Lab1", "Lab2", "Reinhard", "Drago", "None"},
         0},
        {"CA Grayscale Coefficients",
         {"YUV", "Agfa 200X", "Agfapan 25", "Agfapan 100", "Agfapan 400", "Ilford Delta 100", "Ilford Delta 400",
          "Ilford Delta 400 Pro and 3200", "Ilford FP4", "Ilford HP5", "Ilford Pan F", "Ilford SFX", "Ilford XP2 Super",
          "Kodak Tmax 100", "Kodak Tmax 400", "Kodak Tri-X"},
         0},
        {"CA Tone Map", LookNames(), 0},
        {"Gaussian Type", {"Isotropic", "Flow field", "None"}, 2},
    };
}

}  // namespace

const std::vector<sEnumeration>& Enumerations() {
    static const std::vector<sEnumeration> enumerations = MakeEnumerations();
    return enumerations;
}

const sEnumeration* FindEnumeration(std::string_view parameter) {
    for (const sEnumeration& enumeration : Enumerations())
        if (enumeration.parameter == parameter) return &enumeration;
    return nullptr;
}

std::string DescribeValue(std::string_view parameter, float value) {
    if (const sEnumeration* enumeration = FindEnumeration(parameter))
        return std::string(enumeration->names[ChoiceIndex(value, enumeration->Count())]);
    char text[64];
    std::snprintf(text, sizeof text, "%f", static_cast<double>(value));
    return text;
}

float ValueFromDescription(std::string_view parameter, std::string_view text) {
    const sEnumeration* enumeration = FindEnumeration(parameter);
    if (!enumeration) return 0.0f;
    const auto& names = enumeration->names;
    const auto found = std::find(names.begin(), names.end(), text);
    const int32_t index = found != names.end() ? static_cast<int32_t>(found - names.begin()) : enumeration->fallback;
    return ChoiceValue(index, enumeration->Count());
}

}  // namespace EngineParameters
