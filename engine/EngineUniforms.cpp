// Uniform formulas and activity tests that more than one stage uses (the shadows and highlights
// curve, the vignette range, the compare split, the grayscale weights), and the engine's
// shorthands for those of one stage, which its stage file states.

#include <algorithm>
#include <cmath>

#include "engine/AmbrelGraphicsController.h"
#include "engine/ParameterValues.h"
#include "engine/ToneMapLookTable.h"

using EngineParameters::DiffersFrom;
using QV::Math::CVector2;
using QV::Math::CVector3;
using QV::Math::CVector4;

namespace {

// The logistic shadows curve: exponent in powers of two and the scale that normalises it.
CVector2<float> LogisticStrength(float strength, float width)
{
    const float k = strength * 11.7f;
    const float x = (k * 1.442695f) / width;
    const float y = width / (1.0f / (1.0f + std::exp(-k)) - 0.5f);
    return {x, y};
}

} // namespace

CVector2<float> AmbrelGraphicsController::ShadowsStrengthUniform(const sShadowsHighlights& shadows)
{
    return LogisticStrength(shadows.strength, shadows.width);
}

CVector2<float> AmbrelGraphicsController::HighlightsStrengthUniform(const sShadowsHighlights& highlights)
{
    return LogisticStrength(1.0f - highlights.strength, highlights.width);
}

CVector2<float> AmbrelGraphicsController::BrightnessStrengthUniform() const
{
    return ::BrightnessStrengthUniform(brightness);
}

float AmbrelGraphicsController::ColorCorrectionStrengthUniform() const
{
    return ::ColorCorrectionStrengthUniform(colorCorrection);
}

CVector2<float> AmbrelGraphicsController::VignetteRangeUniform(const CVector2<float>& range)
{
    // An end at or before the begin makes the vignette a hard edge at the begin instead of
    // a division by zero (or a negative width).
    constexpr float kHardEdgeWidth = 1e-4f;
    const float width = std::max(range.y - range.x, kHardEdgeWidth);
    return {range.x, 1.0f / width};
}

CVector4<float> AmbrelGraphicsController::SplitUniform() const
{
    const sSplit& split = colorAdjustment.split;
    // Level pixels per view pixel (the view rectangle is never empty). Before the first input
    // there are no levels: the point stays in view pixels.
    const auto ratio = [](const std::vector<int32_t>& level, int32_t view) {
        return level.empty() ? 1.0f : static_cast<float>(level[0]) / static_cast<float>(view);
    };
    return {ratio(levelWidths, viewRect[2]) * split.point.x, ratio(levelHeights, viewRect[3]) * split.point.y,
            std::cos(split.angle), static_cast<float>(std::sin(static_cast<double>(split.angle)))};
}

CVector3<float> AmbrelGraphicsController::GrayscaleCoefficients() const
{
    static const float weights[16][3] = {
        {0.299f, 0.587f, 0.114f}, {0.18f, 0.41f, 0.41f}, {0.25f, 0.39f, 0.36f}, {0.21f, 0.4f, 0.39f},
        {0.2f, 0.41f, 0.39f},     {0.21f, 0.42f, 0.37f}, {0.22f, 0.42f, 0.36f}, {0.31f, 0.36f, 0.33f},
        {0.28f, 0.41f, 0.31f},    {0.23f, 0.37f, 0.4f},  {0.33f, 0.36f, 0.31f}, {0.36f, 0.31f, 0.33f},
        {0.21f, 0.42f, 0.37f},    {0.24f, 0.37f, 0.39f}, {0.27f, 0.36f, 0.37f}, {0.25f, 0.35f, 0.4f}};
    const int32_t index = colorAdjustment.grayscaleCoefficients;
    const float* w = index >= 0 && index < 16 ? weights[index] : weights[0];
    return {w[0], w[1], w[2]};
}

bool AmbrelGraphicsController::IsToneMapLookActive() const
{
    return ::IsToneMapLookActive(colorAdjustment.toneMap, colorAdjustment.toneMapStrength,
                                 colorAdjustment.photoFilterToneMapStrengthMultiplier);
}

bool AmbrelGraphicsController::IsPhotoFilterActive() const { return ColorAdjustmentStages(colorAdjustment).photoFilter; }

bool AmbrelGraphicsController::AreLevelsActive() const
{
    sBrightnessOptions options;
    options.tone = brightness;
    return options.LevelsOn();
}

bool AmbrelGraphicsController::IsShadowsActive(const sShadowsHighlights& shadows)
{
    return DiffersFrom(shadows.strength, 0.0f) && DiffersFrom(shadows.width, 0.0f);
}

bool AmbrelGraphicsController::IsHighlightsActive(const sShadowsHighlights& highlights)
{
    return DiffersFrom(highlights.strength, 1.0f) && DiffersFrom(highlights.width, 0.0f);
}
