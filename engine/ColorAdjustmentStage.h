#pragma once
// The colour-adjustment stage (the colour-adjustment pair): its fields with their defaults,
// which of its steps change the picture, and the values of the uniforms its text declares.

#include <cstdint>

#include "engine/EngineRecords.h"
#include "engine/UniformValue.h"
#include "gpu/Math.h"

struct sStageContext;

// Before/after compare: the unprocessed picture shows on one side of a line through `point`
// (view pixels) whose normal has the direction `angle`.
struct sSplit {
    QV::Math::CVector2<float> point{0.0f, 0.0f};
    float angle = 0.0f;
    bool on = false;
};

struct sColorAdjustment {
    QV::Math::CVector3<float> photoFilterColor{0.9254f, 0.5411f, 0.0f};
    QV::Math::CVector2<float> vignetteRange{0.707107f, 0.83f};  // begin, end
    sSplit split;
    sShadowsHighlights shadows{0.0f, 0.85f};
    sShadowsHighlights highlights{1.0f, 0.85f};
    float temperature = 0.0f;
    float photoFilterStrength = 1.0f;
    float exposure = 0.0f;
    float exponentialBrightnessStrength = 1.0f;
    float saturationStrength = 1.0f;
    float exponentialSaturationStrength = 1.0f;
    float saturationContrastStrength = 1.0f;
    float contrastStrength = 1.0f;
    float vibrancyStrength = 0.0f;
    float effectStrength = 1.0f;
    float toneMapStrength = 1.0f;
    float photoFilterToneMapStrengthMultiplier = 1.0f;
    int32_t toneMap = 0;                // index into ToneMapLookTable
    int32_t grayscaleCoefficients = 0;  // YUV
    bool grayscale = false;
    bool grayscaleAtEnd = false;
    bool vignette = false;
    bool vignetteBlack = true;
    bool photoFilter = false;
};

// Which steps change the picture; every inactive step is left out of the text.
struct sColorAdjustmentStages {
    bool effect = false;
    bool original = false;  // the unprocessed picture is sampled (img1)
    bool grayscaleStart = false;
    bool look = false;  // a look is active and its texture is loaded
    int32_t lookIndex = 0;
    bool lookColor = false;  // colour strip (else Gotham or Inkwell)
    bool temperature = false;
    bool photoFilter = false;
    bool shadows = false;
    bool highlights = false;
    bool exposure = false;
    bool exponentialBrightness = false;
    bool saturation = false;
    bool exponentialSaturation = false;
    bool saturationContrast = false;
    bool contrast = false;
    bool vibrancy = false;
    bool grayscaleEnd = false;
    bool vignette = false;
    bool split = false;

    bool Any() const;
};

// Whether the settings' look changes the picture (its texture loaded or not).
bool IsToneMapLookActive(const sColorAdjustment& ca);

// The activity tests over the parameter values (a difference from neutral counts only above
// 1e-6). `lookAvailable` is false when the look texture could not be made: the look then
// counts as inactive.
sColorAdjustmentStages ColorAdjustmentStages(const sColorAdjustment& ca, bool lookAvailable = true);

// The values of the active steps' uniforms. `split` is the value of uSplit.
UniformList ColorAdjustmentUniforms(const sColorAdjustment& ca, const sColorAdjustmentStages& stages,
                                    const QV::Math::CVector4<float>& split);
// The same for the context's look texture and split.
UniformList ColorAdjustmentUniforms(const sColorAdjustment& ca, const sStageContext& context);

// (begin, 1 / (end - begin)) of uVignetteRange; a range whose end does not exceed its begin is
// a hard edge.
QV::Math::CVector2<float> VignetteRangeUniform(const QV::Math::CVector2<float>& range);
// The grey weights of grayscale preset `index` (0 YUV; an index out of range counts as 0).
QV::Math::CVector3<float> GrayscaleWeights(int32_t index);
