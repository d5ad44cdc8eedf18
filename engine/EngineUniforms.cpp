// The context the stages and the program builders read beside the settings, the compare
// split as the picture sees it, and the engine's shorthands for the uniform values and activity
// tests of the current settings, which the stage files state.

#include <cmath>

#include "engine/AmbrelGraphicsController.h"

using QV::Math::CVector2;
using QV::Math::CVector3;
using QV::Math::CVector4;

sStageContext AmbrelGraphicsController::StageContext() {
    sStageContext context;
    context.precision = ProgramPrecision();
    context.lookTexture = &lookTexture;
    context.split = SplitUniform();
    return context;
}

sProgramContext AmbrelGraphicsController::ProgramContext() {
    return {shaderSets,       ProgramVariant(),  shaderSets.filterScales[FilterScaleVariant()],
            StageContext(),   maxVaryingVectors, ZoomAndSplitApply(),
            resourceDirectory};
}

CVector2<float> AmbrelGraphicsController::ShadowsStrengthUniform(const sShadowsHighlights& shadows) {
    return ::ShadowsStrengthUniform(shadows);
}

CVector2<float> AmbrelGraphicsController::HighlightsStrengthUniform(const sShadowsHighlights& highlights) {
    return ::HighlightsStrengthUniform(highlights);
}

CVector2<float> AmbrelGraphicsController::BrightnessStrengthUniform() const {
    return ::BrightnessStrengthUniform(brightness);
}

float AmbrelGraphicsController::ColorCorrectionStrengthUniform() const {
    return ::ColorCorrectionStrengthUniform(colorCorrection);
}

CVector4<float> AmbrelGraphicsController::SplitUniform() const {
    const sSplit& split = colorAdjustment.split;
    // Level pixels per view pixel (the view rectangle is never empty). Before the first input
    // there are no levels: the point stays in view pixels.
    const auto ratio = [](const std::vector<int32_t>& level, int32_t view) {
        return level.empty() ? 1.0f : static_cast<float>(level[0]) / static_cast<float>(view);
    };
    return {ratio(levelWidths, viewRect[2]) * split.point.x, ratio(levelHeights, viewRect[3]) * split.point.y,
            std::cos(split.angle), static_cast<float>(std::sin(static_cast<double>(split.angle)))};
}

CVector3<float> AmbrelGraphicsController::GrayscaleCoefficients() const {
    return GrayscaleWeights(colorAdjustment.grayscaleCoefficients);
}

bool AmbrelGraphicsController::IsToneMapLookActive() const { return ::IsToneMapLookActive(colorAdjustment); }

bool AmbrelGraphicsController::IsPhotoFilterActive() const {
    return ColorAdjustmentStages(colorAdjustment).photoFilter;
}

bool AmbrelGraphicsController::AreLevelsActive() const {
    sBrightnessOptions options;
    options.tone = brightness;
    return options.LevelsOn();
}
