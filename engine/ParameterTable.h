#pragma once
// The engine's named parameters: for each name its kind, conversion, default, categories,
// the engine field it is stored in and what a change does to the programs.
//
// A change reaches the pipeline in one of these ways:
//  - Release: the named pairs are deleted and both variants marked stale, so that the next
//    frame rebuilds them with new text (optionally only while a gate holds before or after).
//  - Stage: the parameter feeds a processing stage. When the change turns a step of the stage
//    on or off (its text changes) the stage's pair is released; otherwise the stage's uniform
//    list, the same one its builder sets, goes to both built programs of the pair.
//  - Custom: a rule of its own (colour-correction method, looks).

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

class AmbrelGraphicsController;
struct sEngineSettings;
struct sProcessingStage;

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

enum class eEffect { None, Release, Stage, Custom };

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
using Predicate = bool (*)(const Engine&);
using CustomAction = void (*)(Engine&, float oldInternal);

// Where a parameter is stored among the engine's settings, read and written as a float (a
// mode as its index, a flag as 0 or 1). Empty for a parameter that is not stored.
struct sField {
    float (*get)(const sEngineSettings&) = nullptr;
    void (*set)(sEngineSettings&, float internal) = nullptr;

    explicit operator bool() const { return get != nullptr; }
};

struct sParameter {
    std::string_view name;
    eKind kind = eKind::Float;
    int32_t choices = 0;
    int32_t firstSize = 0;
    float low = 0.0f, high = 1.0f;
    float defaultValue = 0.0f;  // internal, read from the default settings
    bool testsChange = true;
    uint32_t categories = 0;
    sField field;

    eEffect effect = eEffect::None;
    std::vector<int32_t> pairs;
    Predicate gate = nullptr;  // Release: before or after
    const sProcessingStage* stage = nullptr;
    CustomAction custom = nullptr;

    // Chained modifiers used by the table.
    sParameter& Untested() {
        testsChange = false;
        return *this;
    }
    sParameter& Releases(std::vector<int32_t> p, Predicate when = nullptr);
    sParameter& Updates(const sProcessingStage& s);
    sParameter& Custom(CustomAction action, std::vector<int32_t> p);
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

}  // namespace EngineParameters
