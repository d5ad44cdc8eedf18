#pragma once
// What selecting a mode does with its parameter set, written against two small interfaces so
// that it does not depend on the render view. The engine's view (GraphicsView) is expected to
// implement both:
//
//   - ModeSelectionTarget: GraphicsView's setBrightnessContrastUniqueId, setBrightnessRange,
//     setContrastRange and setAdjustments(set, excluded, cache), plus the editing model's
//     throttled redraw request (GraphicsTypeController::updateGraphicsView).
//   - AdjustmentSink: GraphicsView::setAdjustments should bracket applyAdjustments() with its
//     caching (begin caching, apply, end caching, cache the master values), passing its
//     defaults table and a sink whose setAdjustment is its setAdjustment(name, value) with a
//     redraw, and whose adjustmentValueFromString is the engine's conversion of an
//     enumeration value name.
#include <span>
#include <string>
#include <string_view>

#include "modes/AdjustmentDictionary.h"

namespace Modes {

// One row of the engine's defaults table: a parameter and its normalised default.
struct AdjustmentDefault {
    std::string name;
    float value = 0.0f;
};

class AdjustmentSink {
public:
    virtual ~AdjustmentSink() = default;
    // Sets one parameter by name (an unknown name changes nothing) and marks the output for
    // redrawing.
    virtual void setAdjustment(std::string_view name, float value) = 0;
    // The normalised number of an enumeration value given by name for parameter `name`.
    virtual float adjustmentValueFromString(std::string_view name, std::string_view valueName) = 0;
};

// Writes `adjustments` into the engine through `sink`:
//  1. when `excluded` is given, every parameter of `defaults` (in that order) that is neither
//     named by `adjustments` nor excluded returns to its default; with no excluded set,
//     nothing is reset and only the named parameters change;
//  2. then each pair whose key is not excluded is set, a number as it is and a value name
//     through the sink's conversion. Excluded parameters keep their current values.
// Keys outside the defaults table (such as the "LL" keys) are passed on but never reset.
void applyAdjustments(const AdjustmentDictionary& adjustments, const AdjustmentNameSet* excluded,
                      std::span<const AdjustmentDefault> defaults, AdjustmentSink& sink);

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

class ModeSelectionTarget {
public:
    virtual ~ModeSelectionTarget() = default;
    virtual void setBrightnessContrastUniqueId(const std::string& uniqueId) = 0;
    virtual void setBrightnessRange(AdjustmentRange range) = 0;
    virtual void setContrastRange(AdjustmentRange range) = 0;
    virtual void setAdjustments(const AdjustmentDictionary& adjustments,
                                const AdjustmentNameSet* excluded, bool cache) = 0;
    virtual void updateGraphicsView(bool useCache) = 0;
};

// Selecting a mode: the identifier, then the brightness and contrast ranges, then the set
// applied with `excluded` (the parameters that modes leave alone, which the editing model
// owns: GraphicsTypeController::adjustmentsToExcludeFromModes) and caching on, then a
// (non-cached) redraw request.
void selectMode(const AdjustmentDictionary& set, const ModeSelection& selection,
                const AdjustmentNameSet& excluded, ModeSelectionTarget& target);

}  // namespace Modes
