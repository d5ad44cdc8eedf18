#pragma once
// The engine's named parameters: for each name its kind, conversion, default, categories,
// the engine field it is stored in and what a change does to the programs.
//
// A change reaches the pipeline in one of these ways:
//  - Release: the named pairs are deleted and both variants marked stale, so that the next
//    frame rebuilds them with new text (optionally only while a gate holds before or after).
//  - Uniform: the named uniform is set on both built programs of the pair (while a gate holds).
//  - Crossing: the parameter's stage is active when its value is away from a neutral value;
//    entering or leaving that state releases the pair, staying active sets the uniform.
//  - Custom: a rule of its own (colour-correction method, looks).

#include <array>
#include <cstdint>
#include <string_view>
#include <variant>
#include <vector>

class AmbrelGraphicsController;

namespace EngineParameters {

enum class eKind {
    Choice,   // index among `choices` entries
    Size,     // like Choice, stored as firstSize + 2 × index (a kernel size)
    OnOff,    // on above 0.5
    Range,    // linear onto [low, high]
    Float,    // stored as given
    Count,    // line-integral iterations, 1..4
    Ignored,  // accepted and dropped; no getter
};

enum class eEffect { None, Release, Uniform, Crossing, Custom };

enum eCategory : uint32_t {
    kGlobal = 1u << 0,
    kContrast = 1u << 1,
    kCIE = 1u << 2,
    kStrength = 1u << 3,
    kHalo = 1u << 4,
    kNR = 1u << 5,
    kNRFlowFieldGPUImage = 1u << 6,
    kNRIsotropicGPUImage = 1u << 7,
    kNRFlowFieldBilateral = 1u << 8,
    kFlowField = 1u << 9,
    kIsotropic = 1u << 10,
    kColor = 1u << 11,
    kBrightness = 1u << 12,
    kCA = 1u << 13,
    kSmoothing = 1u << 14,
};
// The category names, in bit order.
extern const std::array<std::string_view, 15> kCategoryNames;

using Engine = AmbrelGraphicsController;
using Field = std::variant<std::monostate, float& (*)(Engine&), int32_t& (*)(Engine&), bool& (*)(Engine&)>;
using Predicate = bool (*)(const Engine&);
using Action = void (*)(Engine&);
using CustomAction = void (*)(Engine&, float oldInternal);

struct sParameter {
    std::string_view name;
    eKind kind = eKind::Float;
    int32_t choices = 0;
    int32_t firstSize = 0;
    float low = 0.0f, high = 1.0f;
    float defaultValue = 0.0f;  // internal
    bool testsChange = true;
    uint32_t categories = 0;
    Field field;

    eEffect effect = eEffect::None;
    std::vector<int32_t> pairs;
    std::vector<std::string_view> uniforms;
    Predicate gate = nullptr;    // Release: before or after; Uniform, Crossing: after
    Predicate active = nullptr;  // Crossing
    Action push = nullptr;       // Uniform, Crossing
    CustomAction custom = nullptr;

    // Chained modifiers used by the table.
    sParameter& Untested() { testsChange = false; return *this; }
    sParameter& Releases(std::vector<int32_t> p, Predicate when = nullptr);
    sParameter& Pushes(int32_t pair, std::vector<std::string_view> names, Action action,
                       Predicate when = nullptr);
    sParameter& Crosses(int32_t pair, std::vector<std::string_view> names, Predicate isActive,
                        Action action, Predicate when = nullptr);
    sParameter& Custom(CustomAction action, std::vector<int32_t> p,
                       std::vector<std::string_view> names = {});
};

// The hundred parameters in registry order (the order of the category list).
const std::vector<sParameter>& Parameters();
const sParameter* FindParameter(std::string_view name);

// Conversions between a normalised value and the stored form of one parameter.
float InternalFromValue(const sParameter& parameter, float v);
float ValueFromInternal(const sParameter& parameter, float internal);
inline float DefaultValue(const sParameter& parameter) { return ValueFromInternal(parameter, parameter.defaultValue); }

// Names of the categories in a set, in declaration order.
std::vector<std::string_view> CategoryNames(uint32_t categories);

} // namespace EngineParameters
