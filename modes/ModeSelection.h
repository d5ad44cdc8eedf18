#pragma once
// What applying a parameter set does, as a list of writes, so that whoever holds the engine
// (the render view, the render job) carries them out without being called back:
//  1. when an excluded set is given, every parameter of the defaults table (in its order)
//     that the set neither names nor excludes returns to its default; with no excluded set,
//     nothing is reset and only the named parameters change;
//  2. then each pair of the set whose key is not excluded, a number as it is or an
//     enumeration value by name. Excluded parameters keep their current values.
// Keys outside the defaults table (such as the "LL" keys) are passed on but never reset.
// Besides its set, a selected mode gives the engine its identity and master ranges.
#include <span>
#include <string>
#include <vector>

#include "modes/AdjustmentDictionary.h"

namespace Modes {

// One row of the engine's defaults table: a parameter and its normalised default.
struct AdjustmentDefault {
    std::string name;
    float value = 0.0f;
};

// One write into the engine: the parameter and its number or enumeration value name.
struct AdjustmentWrite {
    std::string name;
    AdjustmentValue value;

    friend bool operator==(const AdjustmentWrite&, const AdjustmentWrite&) = default;
};

// The writes that apply `adjustments` (see above), in order.
std::vector<AdjustmentWrite> adjustmentWrites(const AdjustmentDictionary& adjustments,
                                              const AdjustmentNameSet* excluded,
                                              std::span<const AdjustmentDefault> defaults);

// Minimum and maximum of the brightness or contrast master value for a mode.
struct AdjustmentRange {
    float minimum = 0.0f;
    float maximum = 0.0f;
};

// What the editing model knows of the selected mode object besides its parameter set.
struct ModeSelection {
    std::string uniqueId;  // the library name, or empty for modes that carry no identifier
    AdjustmentRange brightnessRange;
    AdjustmentRange contrastRange;
};

}  // namespace Modes
