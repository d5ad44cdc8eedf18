// Setting and reading the engine's parameters by name.

#include <cmath>

#include "engine/AmbrelGraphicsController.h"
#include "engine/ParameterTable.h"
#include "engine/ParameterValues.h"

using namespace EngineParameters;

namespace {

float ReadField(const AmbrelGraphicsController& engine, const sField& field) { return field ? field.get(engine) : NAN; }

// The change test: floats compare their normalised forms, the others their stored values.
bool IsChange(const sParameter& parameter, float oldInternal, float newInternal, float v) {
    if (parameter.kind == eKind::Float || parameter.kind == eKind::Range)
        return DiffersFrom(ValueFromInternal(parameter, oldInternal), v);
    return oldInternal != newInternal;
}

void Apply(AmbrelGraphicsController& engine, const sParameter& parameter, float v) {
    if (parameter.kind == eKind::Ignored) return;
    const float internal = InternalFromValue(parameter, v);
    // A NaN from a damaged edit never reaches a stored float, tested or not.
    if (std::isnan(internal)) return;
    const float old = ReadField(engine, parameter.field);
    if (parameter.testsChange && !IsChange(parameter, old, internal, v)) return;

    const bool gateBefore = parameter.gate && parameter.gate(engine);
    const uint64_t activityBefore = parameter.stage ? parameter.stage->activity(engine) : 0;
    parameter.field.set(engine, internal);

    switch (parameter.effect) {
    case eEffect::None: break;
    case eEffect::Release:
        if (!parameter.gate || gateBefore || parameter.gate(engine)) engine.ReleasePrograms(parameter.pairs);
        break;
    case eEffect::Stage: {
        const sProcessingStage& stage = *parameter.stage;
        const uint64_t activityAfter = stage.activity(engine);
        if (activityBefore == activityAfter) {
            engine.PushStageUniforms(stage);
        } else {
            if (stage.released) stage.released(engine.StageContext(), activityBefore, activityAfter);
            engine.ReleasePrograms({stage.pair});
        }
        break;
    }
    case eEffect::Custom: parameter.custom(engine, old); break;
    }
}

}  // namespace

void AmbrelGraphicsController::SetAdjustment(const std::string& name, bool requestRender, float value) {
    if (const sParameter* parameter = FindParameter(name)) Apply(*this, *parameter, value);
    if (requestRender) frameDirty = true;
}

float AmbrelGraphicsController::GetAdjustment(const std::string& name) const {
    const sParameter* parameter = FindParameter(name);
    if (!parameter || parameter->kind == eKind::Ignored) return NAN;
    return ValueFromInternal(*parameter, ReadField(*this, parameter->field));
}

std::vector<std::pair<std::string, std::vector<std::string>>> AmbrelGraphicsController::AdjustmentCategories() {
    std::vector<std::pair<std::string, std::vector<std::string>>> categories;
    for (const sParameter& parameter : Parameters()) {
        if (parameter.kind == eKind::Ignored) continue;
        std::vector<std::string> names;
        for (std::string_view category : CategoryNames(parameter.categories)) names.emplace_back(category);
        categories.emplace_back(std::string(parameter.name), std::move(names));
    }
    return categories;
}

std::string AmbrelGraphicsController::AdjustmentValueDescription(const std::string& name, float value) {
    return DescribeValue(name, value);
}

float AmbrelGraphicsController::AdjustmentValueFromString(const std::string& name, const std::string& text) {
    return ValueFromDescription(name, text);
}

void AmbrelGraphicsController::SetVignetteRange(float begin, float end) {
    QV::Math::CVector2<float>& range = colorAdjustment.vignetteRange;
    if (std::isnan(begin) || std::isnan(end) || (begin == range.x && end == range.y)) return;
    range.Set(begin, end);
    PushStageUniforms(kColorAdjustmentStage);
}

void AmbrelGraphicsController::SetPhotoFilterColor(float r, float g, float b) {
    QV::Math::CVector3<float>& color = colorAdjustment.photoFilterColor;
    if (std::isnan(r) || std::isnan(g) || std::isnan(b)) return;
    if (!DiffersFrom(r, color.x) && !DiffersFrom(g, color.y) && !DiffersFrom(b, color.z)) return;
    color.Set(r, g, b);
    PushStageUniforms(kColorAdjustmentStage);
}
