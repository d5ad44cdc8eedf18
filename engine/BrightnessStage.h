#pragma once
// The brightness and tone stage (the brightness pair): its fields with their defaults, which of
// its features the text holds, and the values of the uniforms that text declares.

#include <cstdint>

#include "engine/EngineModes.h"
#include "engine/EngineRecords.h"
#include "engine/UniformValue.h"

struct sEngineSettings;

struct sBrightnessTone {
    eBrightnessMethod method = eBrightnessMethod::CIE;
    eBrightnessStrengthMethod strengthMethod = eBrightnessStrengthMethod::ScaleAndExponent;
    float strength = 0.5f;
    float varExponent = 1.0f;  // CIE Var only
    float varScale = 1.0f;
    bool brightenOnly = false;
    sShadowsHighlights shadows{0.0f, 0.85f};
    sShadowsHighlights highlights{1.0f, 0.85f};
    sLevels levels;
    float filmicStrength = 0.12f;
};

// What the text depends on, with the activity tests (a difference from neutral counts only
// above 1e-6).
struct sBrightnessOptions {
    sBrightnessTone tone;
    bool localLaplacian = false;  // "Luminance Style" Local Laplacian
    int32_t precision = 2;

    bool CIEOn() const;
    bool ShadowsOn() const;
    bool HighlightsOn() const;
    // The shadows and highlights curve: methods 2 and 3 with either side away from neutral.
    bool SHOn() const;
    bool LevelsOn() const;
    bool FilmicOn() const;
    bool AnyOn() const;  // CIE, shadows and highlights or levels
    // False only for the copy under the Local Laplacian style, which never draws this pass.
    bool MakesProgram() const;
};

// The options of the settings' brightness and style for programs of float precision `precision`.
sBrightnessOptions BrightnessOptions(const sEngineSettings& settings, int32_t precision);

// (x, y) of uBrightnessStrength: the scale of the move towards the curve and its exponent.
QV::Math::CVector2<float> BrightnessStrengthUniform(const sBrightnessTone& tone);
// The values of the enabled features' uniforms: uBrightnessStrength, uShadowsStrength,
// uHighlightsStrength, uFilmicStrength.
UniformList BrightnessUniforms(const sBrightnessOptions& options);
