// The shadows and highlights curve: its activity tests and uniform values.

#include "engine/ShadowsHighlights.h"

#include <cmath>

#include "engine/ParameterValues.h"

using EngineParameters::DiffersFrom;
using QV::Math::CVector2;

namespace {

CVector2<float> LogisticStrength(float strength, float width) {
    const float k = strength * 11.7f;
    const float x = (k * 1.442695f) / width;
    const float y = width / (1.0f / (1.0f + std::exp(-k)) - 0.5f);
    return {x, y};
}

}  // namespace

bool IsShadowsActive(const sShadowsHighlights& shadows) {
    return DiffersFrom(shadows.strength, 0.0f) && DiffersFrom(shadows.width, 0.0f);
}

bool IsHighlightsActive(const sShadowsHighlights& highlights) {
    return DiffersFrom(highlights.strength, 1.0f) && DiffersFrom(highlights.width, 0.0f);
}

CVector2<float> ShadowsStrengthUniform(const sShadowsHighlights& shadows) {
    return LogisticStrength(shadows.strength, shadows.width);
}

CVector2<float> HighlightsStrengthUniform(const sShadowsHighlights& highlights) {
    return LogisticStrength(1.0f - highlights.strength, highlights.width);
}
