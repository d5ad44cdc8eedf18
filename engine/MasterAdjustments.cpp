// The master adjustments: brightness, contrast, vignette, noise reduction, colour strength and
// filmic strength. None is stored; each is translated into named engine parameters when set
// and recomputed from them when read, so a master value follows whatever a mode or a direct
// parameter change did underneath it.

#include <array>
#include <cmath>

#include "engine/AmbrelGraphicsController.h"
#include "engine/ParameterTable.h"
#include "engine/ParameterValues.h"

using EngineParameters::kEpsilon;

namespace {

// Vignette: the begin distance runs from the corner distance (no vignette) down to this.
constexpr float kVignetteCorner = 0.707107f;
constexpr float kVignetteNearest = 0.116f;
constexpr float kVignetteSpan = 0.591107f;  // kVignetteCorner - kVignetteNearest

// Noise: the range sigma the master value moves from narrowest to widest (the spatial sigma
// takes over at the widest).
constexpr float kSigmaRLow = 0.005f, kSigmaRHigh = 0.1f;
constexpr float kNoiseExponent = 1.2218487f;
constexpr float kNoiseInverseExponent = 0.8184319f;

// The normalised value that sets a range parameter to `internal`: the inverse of the parameter
// table's own mapping, so the range is written in one place.
float NormalisedValue(std::string_view name, float internal) {
    const EngineParameters::sParameter* parameter = EngineParameters::FindParameter(name);
    return (internal - parameter->low) / (parameter->high - parameter->low);
}

// Modes whose brightness slider works the colour correction (or, for "Fog 6", the CIE
// brightness) instead of the brightness method's own parameter.
struct sModeBrightnessTarget {
    std::string_view mode;
    std::string_view parameter;
    bool inverted;
};
constexpr std::array<sModeBrightnessTarget, 11> kModeBrightnessTargets{{
    {"Fog 4", "Alg Color Correction Strength", true},
    {"Fog 3", "Alg Color Correction Strength", true},
    {"Over Exposure 1", "Alg Color Correction Strength", true},
    {"Over Exposure 1X", "Alg Color Correction Strength", true},
    {"Over Exposure 1XX", "Alg Color Correction Strength", true},
    {"Over Exposure New Alt", "Alg Color Correction Strength", true},
    {"Over Exposure New", "Alg Color Correction Strength", true},
    {"Dehaze Alt Darkness", "Alg Color Correction Strength", true},
    {"Dehaze", "Alg Color Correction Strength", true},
    {"DramaNew2", "Alg Color Correction Strength", false},
    {"Fog 6", "Alg CIE Brightness Strength", true},
}};

// 0-1, with NaN as 0.
float Clamp01(float v) {
    if (!(v > 0.0f)) return 0.0f;
    return v > 1.0f ? 1.0f : v;
}

bool SameMaster(float a, float b) { return std::fabs(a - b) <= kEpsilon; }

float FromRange(float v, const sValueRange& range) { return range.minimum + (range.maximum - range.minimum) * v; }

// A range of zero width reads 0 at its minimum and 1 above it (the infinite quotient clamps).
float ToRange(float a, const sValueRange& range) {
    return Clamp01((a - range.minimum) / (range.maximum - range.minimum));
}

}  // namespace

// --- Brightness and contrast ---------------------------------------------------------------

std::pair<std::string_view, bool> AmbrelGraphicsController::BrightnessTarget(std::string_view modeId) const {
    if (luminanceStyle == eLuminanceStyle::NoneWithColorAdjustments || luminanceStyle == eLuminanceStyle::None)
        return {"CA Exponential Brightness Strength", false};
    for (const sModeBrightnessTarget& target : kModeBrightnessTargets)
        if (target.mode == modeId) return {target.parameter, target.inverted};
    if (brightness.method == eBrightnessMethod::ShadowsHighlights) return {"Alg SH Shadows Strength", false};
    return {"Alg CIE Brightness Strength", false};
}

std::string_view AmbrelGraphicsController::ContrastTarget() const {
    switch (luminanceStyle) {
    case eLuminanceStyle::CIE:
        return cie.contrastEquation == eContrastEquation::Paper ? "CIE Contrast K Strength"
                                                                : "CIE Non-CIE Contrast Strength Scale";
    case eLuminanceStyle::LocalLaplacian: return {};
    default: return "CA Contrast Strength";
    }
}

void AmbrelGraphicsController::SetBrightness(float value, bool requestRender, const sValueRange& range,
                                             std::string_view modeId) {
    const float v = Clamp01(value);
    if (SameMaster(v, GetBrightness(range, modeId))) return;
    const float p = FromRange(v, range);
    const auto [parameter, inverted] = BrightnessTarget(modeId);
    SetAdjustment(std::string(parameter), requestRender, inverted ? 1.0f - p : p);
}

float AmbrelGraphicsController::GetBrightness(const sValueRange& range, std::string_view modeId) const {
    const auto [parameter, inverted] = BrightnessTarget(modeId);
    const float a = GetAdjustment(std::string(parameter));
    return ToRange(inverted ? 1.0f - a : a, range);
}

void AmbrelGraphicsController::SetContrast(float value, bool requestRender, const sValueRange& range,
                                           std::string_view) {
    const float v = Clamp01(value);
    if (SameMaster(v, GetContrast(range))) return;
    const std::string_view parameter = ContrastTarget();
    if (parameter.empty()) return;
    SetAdjustment(std::string(parameter), requestRender, FromRange(v, range));
}

float AmbrelGraphicsController::GetContrast(const sValueRange& range, std::string_view) const {
    const std::string_view parameter = ContrastTarget();
    if (parameter.empty()) return 0.0f;
    return ToRange(GetAdjustment(std::string(parameter)), range);
}

// --- Vignette ------------------------------------------------------------------------------
// Two-sided around 0.5: above it a light vignette, below it a black one, stronger with the
// distance from 0.5.

void AmbrelGraphicsController::SetVignette(float value, bool requestRender) {
    const float v = Clamp01(value);
    if (SameMaster(v, GetVignette())) return;
    const float s = v >= 0.5f ? 2.0f * (v - 0.5f) : 2.0f * (0.5f - v);
    SetAdjustment("CA Vignette Begin", false, ((1.0f - s) * kVignetteSpan + kVignetteNearest) / kVignetteCorner);
    SetAdjustment("CA Vignette On/Off", requestRender, s > 0.04f ? 1.0f : 0.0f);
    SetAdjustment("CA Vignette Black On/Off", requestRender, v < 0.5f ? 1.0f : 0.0f);
}

float AmbrelGraphicsController::GetVignette() const {
    const float begin = colorAdjustment.vignetteRange.x;
    const float t = ((begin - kVignetteNearest) / -kVignetteSpan + 1.0f) * 0.5f;
    return Clamp01(colorAdjustment.vignetteBlack ? 0.5f - t : 0.5f + t);
}

// --- Noise reduction -----------------------------------------------------------------------
// Only the bilateral flow-field filter has a noise value: up to n = 0.6 it widens the range
// sigma at a fixed spatial sigma, beyond that the spatial sigma grows at the widest range.

void AmbrelGraphicsController::SetNoise(float value, bool requestRender) {
    if (noiseReduction.type != eNoiseReductionType::FlowFieldBilateral) return;
    const float v = Clamp01(value);
    const float n = std::pow(v, kNoiseExponent);
    if (SameMaster(v, GetNoise())) return;
    float sigmaS = 1.5f, sigmaR = kSigmaRHigh;
    if (n >= 0.6f) sigmaS = 1.5f + 2.0f * (n - 0.6f);
    else sigmaR = kSigmaRLow + n * 0.1583333f;
    SetAdjustment("NR Flow Field Bilateral SigmaS", false, NormalisedValue("NR Flow Field Bilateral SigmaS", sigmaS));
    SetAdjustment("NR Flow Field Bilateral SigmaR", requestRender,
                  NormalisedValue("NR Flow Field Bilateral SigmaR", sigmaR));
}

float AmbrelGraphicsController::GetNoise() const {
    if (noiseReduction.type != eNoiseReductionType::FlowFieldBilateral) return 0.0f;
    const sBilateralFilter& bilateral = noiseReduction.bilateral;
    // The widest range sigma comes back from its parameter a rounding step short of 0.1; the
    // spatial sigma is what moves from there on.
    const float t = bilateral.sigmaR >= kSigmaRHigh - kEpsilon ? (bilateral.sigmaS - 1.5f) * 0.5f + 0.6f
                                                               : (bilateral.sigmaR - kSigmaRLow) * 6.3157897f;
    return Clamp01(std::pow(t, kNoiseInverseExponent));
}

float AmbrelGraphicsController::GetDefaultNoise() { return 0.1042874f; }

// --- Colour strength -----------------------------------------------------------------------
// One value for the photo-filter strength and the look strength alike.

void AmbrelGraphicsController::SetColorStrength(float value, bool requestRender) {
    const float v = Clamp01(value);
    if (SameMaster(v, GetColorStrength())) return;
    SetAdjustment("CA Photo Filter Strength", requestRender, v);
    SetAdjustment("CA Tone Map Strength", requestRender, v);
}

float AmbrelGraphicsController::GetColorStrength() const {
    if (colorAdjustment.photoFilter) return GetAdjustment("CA Photo Filter Strength");
    if (colorAdjustment.toneMap != 0) return GetAdjustment("CA Tone Map Strength");
    return 0.0f;
}

float AmbrelGraphicsController::GetDefaultColorStrength() const {
    return colorAdjustment.photoFilter || colorAdjustment.toneMap != 0 ? 1.0f : 0.0f;
}

// --- Filmic strength -----------------------------------------------------------------------

void AmbrelGraphicsController::SetFilmicStrength(float value, bool requestRender) {
    SetAdjustment("Alg Filmic Strength", requestRender, Clamp01(value));
}

float AmbrelGraphicsController::GetFilmicStrength() const { return GetAdjustment("Alg Filmic Strength"); }
