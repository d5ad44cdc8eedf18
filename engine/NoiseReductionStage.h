#pragma once
// The noise-reduction stage (the two passes of the chosen filter): its fields with their
// defaults and the values of its uniforms, set on each draw.

#include <cstdint>

#include "engine/EngineModes.h"
#include "engine/UniformValue.h"
#include "gpu/Math.h"

struct sEngineSettings;

struct sGPUImageFilter {
    float sigmaS = 2.5f;
    float distanceFactor = 8.0f;
    float spacingFactor = 0.1f;
    bool shaderSameAsGPUImage = false;
};

struct sBilateralFilter {
    float sigmaS = 1.5f;
    float sigmaR = 0.015f;
};

struct sNoiseReduction {
    int32_t dimension = 9;  // 3, 5, 7, 9 or 11 taps
    eNoiseReductionType type = eNoiseReductionType::FlowFieldBilateral;
    sGPUImageFilter flowField;
    sGPUImageFilter isotropic;
    sBilateralFilter bilateral;
    bool on = false;
    bool scaleOnSave = false;
};

// Whether the stage draws: switched on, never under "Luminance Style" None, and for the
// bilateral type only above its smallest range sigma.
bool NoiseReductionRuns(const sEngineSettings& settings);

// The uniforms of pass `step` (0 horizontal, 1 vertical) over level 0 of texel size `texel`.
UniformList NoiseReductionUniforms(const sNoiseReduction& nr, const QV::Math::CVector2<float>& texel, int32_t step);
