#pragma once
// Conversions between the normalised value of an engine parameter (a float in [0, 1]) and its
// stored form, and the display strings of the enumerated parameters.
//
// Values arrive from stored edits and mode sets, so every conversion is total: a negative or
// NaN value selects the first entry of an enumeration and a value of 1 or more the last.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace EngineParameters {

// Tolerance of every engine float comparison: a change or a distance from a neutral value
// counts only when it is strictly larger.
inline constexpr float kEpsilon = 1e-6f;

// |value - neutral| > kEpsilon.
bool DiffersFrom(float value, float neutral);

// Index selected by v among n choices: min(trunc(v n), n - 1), 0 for a negative or NaN v.
int32_t ChoiceIndex(float v, int32_t n);
// The centre of the interval of choice i: (i + 0.5) / n.
float ChoiceValue(int32_t index, int32_t n);

// On when v > 0.5 (0.5 itself is off).
bool FlagFromValue(float v);
inline float FlagValue(bool on) { return on ? 1.0f : 0.0f; }

// Linear mapping onto [low, high] (high may be below low) and back.
inline float RangeToInternal(float v, float low, float high) { return low + v * (high - low); }
inline float RangeToValue(float internal, float low, float high) { return (internal - low) / (high - low); }

// Line-integral iterations: trunc(4v + 1) kept within 1..4; read back as (n - 0.5) / 4.
inline constexpr int32_t kMaxLineIntegralIterations = 4;
int32_t LineIntegralIterationsFromValue(float v);
float LineIntegralIterationsValue(int32_t iterations);

// An enumerated parameter: its display strings by index and the entry that unknown text
// maps to. Size parameters store firstSize + 2 × index instead of the index.
struct sEnumeration {
    std::string_view parameter;
    std::vector<std::string_view> names;
    int32_t fallback = 0;
    int32_t firstSize = 0;  // 0: the index itself is stored

    int32_t Count() const { return static_cast<int32_t>(names.size()); }
    int32_t StoredFromIndex(int32_t index) const { return firstSize ? firstSize + 2 * index : index; }
    int32_t IndexFromStored(int32_t stored) const;
};

// The fifteen enumerated parameters, in the order the registry lists them.
const std::vector<sEnumeration>& Enumerations();
// The table of one parameter, or null for a parameter that is not an enumeration.
const sEnumeration* FindEnumeration(std::string_view parameter);

// Display text of a value: the entry's name for an enumeration, otherwise the value with six
// decimals ("0.500000").
std::string DescribeValue(std::string_view parameter, float value);
// Normalised value of an entry given by its display name; unknown text gives the fallback
// entry's value, a parameter that is not an enumeration gives 0.
float ValueFromDescription(std::string_view parameter, std::string_view text);

}  // namespace EngineParameters
