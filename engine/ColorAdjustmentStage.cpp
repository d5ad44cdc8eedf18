// The colour-adjustment stage: activity of its steps and the values of their uniforms.

#include "engine/ColorAdjustmentStage.h"

#include <algorithm>

#include "engine/EngineSettings.h"
#include "engine/ParameterValues.h"
#include "engine/ProcessingStage.h"
#include "engine/ShaderSets.h"
#include "engine/ToneMapLookTable.h"

using EngineParameters::DiffersFrom;
using QV::Math::CVector2;
using QV::Math::CVector3;
using QV::Math::CVector4;

bool IsToneMapLookActive(const sColorAdjustment& ca) {
    return IsToneMapLookActive(ca.toneMap, ca.toneMapStrength, ca.photoFilterToneMapStrengthMultiplier);
}

bool sColorAdjustmentStages::Any() const {
    return effect || original || grayscaleStart || grayscaleEnd || look || temperature || photoFilter || shadows ||
           highlights || exposure || exponentialBrightness || saturation || exponentialSaturation ||
           saturationContrast || contrast || vibrancy || vignette || split;
}

sColorAdjustmentStages ColorAdjustmentStages(const sColorAdjustment& ca, bool lookAvailable) {
    sColorAdjustmentStages s;
    s.effect = DiffersFrom(ca.effectStrength, 1.0f);
    s.split = ca.split.on;
    s.original = s.effect || s.split;
    s.grayscaleStart = ca.grayscale && !ca.grayscaleAtEnd;
    s.grayscaleEnd = ca.grayscale && ca.grayscaleAtEnd;
    if (lookAvailable && IsToneMapLookActive(ca)) {
        const sToneMapLook& row = ToneMapLookTable[static_cast<size_t>(ca.toneMap)];
        s.lookIndex = ca.toneMap;
        s.lookColor = row.colorFlag;
        // A monochrome entry without a formula of its own has no look stage.
        s.look = row.colorFlag || ca.toneMap == kLookGotham || ca.toneMap == kLookInkwell;
        if (!s.look) s.lookIndex = 0;
    }
    s.temperature = DiffersFrom(ca.temperature, 0.0f);
    s.photoFilter = ca.photoFilter && DiffersFrom(ca.photoFilterStrength, 0.0f) &&
                    DiffersFrom(ca.photoFilterToneMapStrengthMultiplier, 0.0f);
    s.shadows = IsShadowsActive(ca.shadows);
    s.highlights = IsHighlightsActive(ca.highlights);
    s.exposure = DiffersFrom(ca.exposure, 0.0f);
    s.exponentialBrightness = DiffersFrom(ca.exponentialBrightnessStrength, 1.0f);
    s.saturation = DiffersFrom(ca.saturationStrength, 1.0f);
    s.exponentialSaturation = DiffersFrom(ca.exponentialSaturationStrength, 1.0f);
    s.saturationContrast = DiffersFrom(ca.saturationContrastStrength, 1.0f);
    s.contrast = DiffersFrom(ca.contrastStrength, 1.0f);
    s.vibrancy = DiffersFrom(ca.vibrancyStrength, 0.0f);
    s.vignette = ca.vignette;
    return s;
}

UniformList ColorAdjustmentUniforms(const sColorAdjustment& ca, const sColorAdjustmentStages& s,
                                    const CVector4<float>& split) {
    UniformList u;
    if (s.temperature) u.push_back(sUniformValue::Of("uTemperature", ca.temperature));
    if (s.photoFilter) {
        u.push_back(sUniformValue::Of("uPhotoFilterStrength",
                                      ca.photoFilterToneMapStrengthMultiplier * ca.photoFilterStrength));
        const auto& c = ca.photoFilterColor;
        u.push_back(sUniformValue::Of("uPhotoFilterColor", c * 2.0f));
    }
    if (s.shadows) u.push_back(sUniformValue::Of("uShadowsStrength", ShadowsStrengthUniform(ca.shadows)));
    if (s.highlights) u.push_back(sUniformValue::Of("uHighlightsStrength", HighlightsStrengthUniform(ca.highlights)));
    if (s.exposure) u.push_back(sUniformValue::Of("uExposure", ca.exposure));
    if (s.exponentialBrightness) {
        // Below 1 the picture darkens linearly; above it brightens by a power of its luminance.
        const double v = ca.exponentialBrightnessStrength;
        const bool power = v > 1.0;
        u.push_back(sUniformValue::Of("uExponentialBrightness", power ? 1.0f : 0.0f));
        u.push_back(
            sUniformValue::Of("uExponentialBrightnessStrength",
                              power ? static_cast<float>(1.0 / ((2.0 * v - 1.0) + 0.001)) : static_cast<float>(v)));
    }
    if (s.saturation) u.push_back(sUniformValue::Of("uSaturationStrength", ca.saturationStrength));
    if (s.exponentialSaturation)
        u.push_back(sUniformValue::Of("uExponentialSaturationStrength",
                                      1.0f / std::max(ca.exponentialSaturationStrength, 0.001f)));
    if (s.saturationContrast)
        u.push_back(sUniformValue::Of("uSaturationContrastStrength", ca.saturationContrastStrength));
    if (s.contrast) u.push_back(sUniformValue::Of("uContrastStrength", ca.contrastStrength));
    if (s.vibrancy) u.push_back(sUniformValue::Of("uVibrancyStrength", ca.vibrancyStrength));
    if (s.effect) u.push_back(sUniformValue::Of("uEffectStrength", ca.effectStrength));
    if (s.look)
        u.push_back(
            sUniformValue::Of("uToneMapStrength", ca.toneMapStrength * ca.photoFilterToneMapStrengthMultiplier));
    if (s.split) u.push_back(sUniformValue::Of("uSplit", split));
    if (s.vignette) {
        u.push_back(sUniformValue::Of("uVignetteRange", VignetteRangeUniform(ca.vignetteRange)));
        u.push_back(sUniformValue::Of("uVignetteTexture", CVector4<float>(0.0f, 0.0f, 1.0f, 1.0f)));
    }
    return u;
}

UniformList ColorAdjustmentUniforms(const sColorAdjustment& ca, const sStageContext& context) {
    return ColorAdjustmentUniforms(ca, ColorAdjustmentStages(ca, context.LookAvailable()), context.split);
}

CVector2<float> VignetteRangeUniform(const CVector2<float>& range) {
    // An end at or before the begin makes the vignette a hard edge at the begin instead of
    // a division by zero (or a negative width).
    constexpr float kHardEdgeWidth = 1e-4f;
    const float width = std::max(range.y - range.x, kHardEdgeWidth);
    return {range.x, 1.0f / width};
}

CVector3<float> GrayscaleWeights(int32_t index) {
    static const float weights[16][3] = {
        {0.299f, 0.587f, 0.114f}, {0.18f, 0.41f, 0.41f}, {0.25f, 0.39f, 0.36f}, {0.21f, 0.4f, 0.39f},
        {0.2f, 0.41f, 0.39f},     {0.21f, 0.42f, 0.37f}, {0.22f, 0.42f, 0.36f}, {0.31f, 0.36f, 0.33f},
        {0.28f, 0.41f, 0.31f},    {0.23f, 0.37f, 0.4f},  {0.33f, 0.36f, 0.31f}, {0.36f, 0.31f, 0.33f},
        {0.21f, 0.42f, 0.37f},    {0.24f, 0.37f, 0.39f}, {0.27f, 0.36f, 0.37f}, {0.25f, 0.35f, 0.4f}};
    const float* w = index >= 0 && index < 16 ? weights[index] : weights[0];
    return {w[0], w[1], w[2]};
}

namespace {

uint64_t ColorAdjustmentActivity(const sEngineSettings& settings) {
    const sColorAdjustment& ca = settings.colorAdjustment;
    const sColorAdjustmentStages s = ColorAdjustmentStages(ca);
    // The look's own activity also decides whether its texture is kept.
    return ActivityMask({IsToneMapLookActive(ca),
                         s.effect,
                         s.original,
                         s.grayscaleStart,
                         s.look,
                         s.lookColor,
                         s.temperature,
                         s.photoFilter,
                         s.shadows,
                         s.highlights,
                         s.exposure,
                         s.exponentialBrightness,
                         s.saturation,
                         s.exponentialSaturation,
                         s.saturationContrast,
                         s.contrast,
                         s.vibrancy,
                         s.grayscaleEnd,
                         s.vignette,
                         s.split}) |
           (static_cast<uint64_t>(s.lookIndex) << 32);
}

// A look turned on or off also gives up its texture, so that the next build loads the right one.
void ColorAdjustmentReleased(const sStageContext& context, uint64_t before, uint64_t after) {
    if (((before ^ after) & 1u) && context.lookTexture) context.lookTexture->reset();
}

UniformList EngineColorAdjustmentUniforms(const sEngineSettings& settings, const sStageContext& context) {
    return ColorAdjustmentUniforms(settings.colorAdjustment, context);
}

}  // namespace

const sProcessingStage kColorAdjustmentStage = {kPairColorAdjustment, ColorAdjustmentActivity,
                                                EngineColorAdjustmentUniforms, ColorAdjustmentReleased};
