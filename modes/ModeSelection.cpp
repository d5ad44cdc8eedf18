#include "modes/ModeSelection.h"

#include <variant>

namespace Modes {

void applyAdjustments(const AdjustmentDictionary& adjustments, const AdjustmentNameSet* excluded,
                      std::span<const AdjustmentDefault> defaults, AdjustmentSink& sink) {
    const auto isExcluded = [&](const std::string& name) {
        return excluded != nullptr && excluded->find(name) != excluded->end();
    };
    if (excluded != nullptr) {
        for (const AdjustmentDefault& row : defaults) {
            if (adjustments.find(row.name) != adjustments.end() || isExcluded(row.name)) continue;
            sink.setAdjustment(row.name, row.value);
        }
    }
    for (const auto& [name, value] : adjustments) {
        if (isExcluded(name)) continue;
        if (const float* number = std::get_if<float>(&value)) {
            sink.setAdjustment(name, *number);
        } else {
            sink.setAdjustment(name, sink.adjustmentValueFromString(name, std::get<std::string>(value)));
        }
    }
}

void selectMode(const AdjustmentDictionary& set, const ModeSelection& selection,
                const AdjustmentNameSet& excluded, ModeSelectionTarget& target) {
    target.setBrightnessContrastUniqueId(selection.uniqueId);
    target.setBrightnessRange(selection.brightnessRange);
    target.setContrastRange(selection.contrastRange);
    target.setAdjustments(set, &excluded, true);
    target.updateGraphicsView(false);
}

}  // namespace Modes
