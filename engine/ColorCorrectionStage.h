#pragma once
// The colour-correction stage (the colour-correction pair): its fields with their defaults,
// which switches the text holds, and the values of the uniforms that text declares.

#include <cstdint>

#include "engine/EngineModes.h"
#include "engine/UniformValue.h"
#include "gpu/Math.h"

struct sColorCorrection {
    eColorCorrectionMethod method = eColorCorrectionMethod::Deron;
    float strength = 0.171429f;
    QV::Math::CVector2<float> cie{1.0f, 0.0f};  // alpha, beta
    float pouliSaturationExponent = 1.0f;
    bool cieOn = false;
    bool pouliPost = false;  // Pouli after the method
    bool pouliSaturation = false;
};

struct sColorCorrectionOptions {
    eColorCorrectionMethod method = eColorCorrectionMethod::Deron;
    bool cie = false;              // "Alg Color Correction CIE On/Off" (methods that use luminance)
    bool pouliAfter = false;       // Pouli after a method other than Pouli itself
    bool pouliSaturation = false;  // effective: on and (Pouli after or Pouli)
    int32_t precision = 2;

    // The method rescales by a luminance ratio with a strength (all but Pouli and None).
    bool UsesLuminance() const;
};

// The switches of the settings for programs of float precision `precision`.
sColorCorrectionOptions ColorCorrectionOptions(const sColorCorrection& correction, int32_t precision);

// uColorCorrectionStrength of a method and strength (0 for Pouli and None).
float ColorCorrectionStrengthUniform(const sColorCorrection& correction);
UniformList ColorCorrectionUniforms(const sColorCorrection& correction, const sColorCorrectionOptions& options);
