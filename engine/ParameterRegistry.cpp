// Setting and reading the engine's parameters by name.

#include <cmath>
#include <type_traits>

#include "engine/AmbrelGraphicsController.h"
#include "engine/ParameterTable.h"
#include "engine/ParameterValues.h"

using namespace EngineParameters;

namespace {

float ReadField(AmbrelGraphicsController& engine, const Field& field)
{
    return std::visit(
        [&engine](auto accessor) -> float {
            if constexpr (std::is_same_v<decltype(accessor), std::monostate>)
                return NAN;
            else
                return static_cast<float>(accessor(engine));
        },
        field);
}

void WriteField(AmbrelGraphicsController& engine, const Field& field, float internal)
{
    std::visit(
        [&engine, internal](auto accessor) {
            if constexpr (!std::is_same_v<decltype(accessor), std::monostate>) {
                auto& target = accessor(engine);
                using T = std::remove_reference_t<decltype(target)>;
                if constexpr (std::is_same_v<T, bool>)
                    target = internal != 0.0f;
                else
                    target = static_cast<T>(internal);
            }
        },
        field);
}

// The change test: floats compare their normalised forms, the others their stored values.
bool IsChange(const sParameter& parameter, float oldInternal, float newInternal, float v)
{
    if (parameter.kind == eKind::Float || parameter.kind == eKind::Range)
        return DiffersFrom(ValueFromInternal(parameter, oldInternal), v);
    return oldInternal != newInternal;
}

void Apply(AmbrelGraphicsController& engine, const sParameter& parameter, float v)
{
    if (parameter.kind == eKind::Ignored)
        return;
    const float internal = InternalFromValue(parameter, v);
    // A NaN from a damaged edit never reaches a stored float, tested or not.
    if (std::isnan(internal))
        return;
    const float old = ReadField(engine, parameter.field);
    if (parameter.testsChange && !IsChange(parameter, old, internal, v))
        return;

    const bool gateBefore = parameter.gate && parameter.gate(engine);
    const bool activeBefore = parameter.active && parameter.active(engine);
    WriteField(engine, parameter.field, internal);

    switch (parameter.effect) {
    case eEffect::None: break;
    case eEffect::Release:
        if (!parameter.gate || gateBefore || parameter.gate(engine))
            engine.ReleasePrograms(parameter.pairs);
        break;
    case eEffect::Uniform:
        if (!parameter.gate || parameter.gate(engine))
            parameter.push(engine);
        break;
    case eEffect::Crossing: {
        if (parameter.gate && !parameter.gate(engine))
            break;
        const bool activeAfter = parameter.active(engine);
        if (activeBefore != activeAfter)
            engine.ReleasePrograms(parameter.pairs);
        else if (activeAfter)
            parameter.push(engine);
        break;
    }
    case eEffect::Custom: parameter.custom(engine, old); break;
    }
}

} // namespace

void AmbrelGraphicsController::SetAdjustment(const std::string& name, bool requestRender, float value)
{
    if (const sParameter* parameter = FindParameter(name))
        Apply(*this, *parameter, value);
    if (requestRender)
        frameDirty = true;
}

float AmbrelGraphicsController::GetAdjustment(const std::string& name) const
{
    const sParameter* parameter = FindParameter(name);
    if (!parameter || parameter->kind == eKind::Ignored)
        return NAN;
    // The accessors hand out references; reading through them changes nothing.
    auto& engine = const_cast<AmbrelGraphicsController&>(*this);
    return ValueFromInternal(*parameter, ReadField(engine, parameter->field));
}

std::vector<std::pair<std::string, std::vector<std::string>>> AmbrelGraphicsController::AdjustmentCategories()
{
    std::vector<std::pair<std::string, std::vector<std::string>>> categories;
    for (const sParameter& parameter : Parameters()) {
        if (parameter.kind == eKind::Ignored)
            continue;
        std::vector<std::string> names;
        for (std::string_view category : CategoryNames(parameter.categories))
            names.emplace_back(category);
        categories.emplace_back(std::string(parameter.name), std::move(names));
    }
    return categories;
}

std::string AmbrelGraphicsController::AdjustmentValueDescription(const std::string& name, float value)
{
    return DescribeValue(name, value);
}

float AmbrelGraphicsController::AdjustmentValueFromString(const std::string& name, const std::string& text)
{
    return ValueFromDescription(name, text);
}

void AmbrelGraphicsController::SetVignetteRange(float begin, float end)
{
    QV::Math::CVector2<float>& range = colorAdjustment.vignetteRange;
    if (std::isnan(begin) || std::isnan(end) || (begin == range.x && end == range.y))
        return;
    range.Set(begin, end);
    if (colorAdjustment.vignette)
        SetPairUniform(kPairColorAdjustment, "uVignetteRange", VignetteRangeUniform(range));
}

void AmbrelGraphicsController::SetPhotoFilterColor(float r, float g, float b)
{
    QV::Math::CVector3<float>& color = colorAdjustment.photoFilterColor;
    if (std::isnan(r) || std::isnan(g) || std::isnan(b))
        return;
    if (!DiffersFrom(r, color.x) && !DiffersFrom(g, color.y) && !DiffersFrom(b, color.z))
        return;
    color.Set(r, g, b);
    if (IsPhotoFilterActive())
        SetPairUniform(kPairColorAdjustment, "uPhotoFilterColor", color * 2.0f);
}
