// The requested filter scale and the per-variant records derived from it.

#include "engine/AmbrelGraphicsController.h"
#include "engine/RenderPasses.h"

void AmbrelGraphicsController::SetFilterScale(double scale) {
    if (scale == baseFilterScale.requestedScale) return;
    const sFilterScaleReduction reduction = ReduceFilterScale(scale);
    baseFilterScale.requestedScale = reduction.requestedScale;
    baseFilterScale.requestedScaleF = static_cast<float>(reduction.requestedScale);
    baseFilterScale.scale = reduction.scale;
    baseFilterScale.scaleF = static_cast<float>(reduction.scale);
    filterScaleHalvings = reduction.halvings;
    levelCount = reduction.levelCount;
}

void AmbrelGraphicsController::UpdateFilterScale() {
    sFilterScale& record = shaderSets.filterScales[FilterScaleVariant()];
    // A request that could not be reduced is stored as 0; the record filters at scale 1 then,
    // never with an infinite tap spacing.
    const double requested = EffectiveRequestedScale(baseFilterScale);
    if (requested != record.requestedScale) {
        record.scale = baseFilterScale.scale;
        record.requestedScale = requested;
        record.scaleF = baseFilterScale.scaleF;
        record.requestedScaleF = static_cast<float>(requested);
        UpdateFilterScaleRecord();
    }
    record.scaledExtra = static_cast<int32_t>(record.scaleF * static_cast<float>(baseFilterScale.extra));
    record.extra = baseFilterScale.extra;
}

void AmbrelGraphicsController::UpdateFilterScaleRecord() {
    shaderSets.filterScales[FilterScaleVariant()].ComputeDerived();
    ReleaseScaledPrograms();
}

void AmbrelGraphicsController::ReleaseScaledPrograms() {
    for (int32_t pair : kScaledProgramPairs) shaderSets[pair].Release(ProgramVariant());
}
