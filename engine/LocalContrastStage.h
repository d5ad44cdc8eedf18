#pragma once
// The local-contrast stage (the CIE contrast combine pair and the level strengths): its fields
// with their defaults and the values of its uniforms. Which equation, compression and halo
// removal apply is written into the combine text; the strengths are uniforms.

#include <cstdint>

#include "engine/EngineModes.h"
#include "engine/UniformValue.h"
#include "gpu/Math.h"

struct sCIE {
    QV::Math::CVector2<float> contrastStrength{1.0f, 1.0f};  // non-CIE scale, exponent
    QV::Math::CVector2<float> contrastRange{0.0f, 1.0f};     // non-CIE low, high
    float contrastK = 0.5f;
    float haloStrength = 0.0f;
    float haloMaximumWidth = 0.0f;
    float compressionStrength = 0.5f;
    float compressionInterval = 0.5f;
    float contrastBasedOnBothBalance = 0.5f;
    float levelContrastStrengths[3] = {1.0f, 1.0f, 1.0f};
    eContrastSide haloRemovalType = eContrastSide::All;
    eContrastEquation contrastEquation = eContrastEquation::Paper;
    eContrastCompression compression = eContrastCompression::Clamp;
    eContrastSide compressionSide = eContrastSide::Dark;
    eContrastBasedOn contrastBasedOn = eContrastBasedOn::None;
};

// The uniforms the combine program keeps between frames.
UniformList LocalContrastUniforms(const sCIE& cie);
// The uniforms of one level's combine draw, for that level's strength.
UniformList ContrastLevelUniforms(const sCIE& cie, float strength);
