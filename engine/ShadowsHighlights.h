#pragma once
// The shadows and highlights curve, which the brightness stage and the colour adjustment both
// apply: a side's strength and width, whether it changes the picture (a difference from
// neutral counts only above 1e-6) and the value of its uniform.

#include "gpu/Math.h"

struct sShadowsHighlights {
    float strength;
    float width;
};

// Shadows are neutral at strength 0, highlights at strength 1; a zero width is neutral too.
bool IsShadowsActive(const sShadowsHighlights& shadows);
bool IsHighlightsActive(const sShadowsHighlights& highlights);

// The logistic curve of uShadowsStrength and uHighlightsStrength: the exponent in powers of two
// and the scale that normalises it.
QV::Math::CVector2<float> ShadowsStrengthUniform(const sShadowsHighlights& shadows);
QV::Math::CVector2<float> HighlightsStrengthUniform(const sShadowsHighlights& highlights);
