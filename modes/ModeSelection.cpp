#include "modes/ModeSelection.h"

#include <utility>
#include <variant>

namespace Modes {

const AdjustmentNameSet& adjustmentsToExcludeFromModes() {
    static const AdjustmentNameSet kExcluded{
        "CA Grayscale On/Off", "CA Grayscale Coefficients", "CA Grayscale At End On/Off",
        "CA Temperature", "CA Photo Filter On/Off", "CA Photo Filter Strength",
        "CA Photo Filter R", "CA Photo Filter G", "CA Photo Filter B", "CA Shadows Strength",
        "CA Shadows Width", "CA Highlights Strength", "CA Highlights Width", "CA Exposure",
        "CA Saturation Strength", "CA Contrast Strength", "CA Effect Strength", "CA Tone Map",
        "CA Tone Map Strength", "CA Vignette On/Off", "CA Vignette Begin", "CA Vignette End",
        "CA Vignette Black On/Off", "NR On/Off", "NR Flow Field Bilateral SigmaR",
        "NR Flow Field Bilateral SigmaS", "NR Type",
    };
    return kExcluded;
}

void applyAdjustments(const AdjustmentDictionary& adjustments, const AdjustmentNameSet* excluded,
                      std::span<const AdjustmentDefault> defaults, AdjustmentSink& sink) {
    const auto isExcluded = [&](std::string_view name) {
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
                ModeSelectionTarget& target) {
    target.setBrightnessContrastUniqueId(selection.uniqueId);
    target.setBrightnessRange(selection.brightnessRange);
    target.setContrastRange(selection.contrastRange);
    target.setAdjustments(set, &adjustmentsToExcludeFromModes(), true);
    target.updateGraphicsView(false);
}

ModeSelectedBlock selectedBlockWithModeAdjustments(AdjustmentDictionary set,
                                                   std::function<ModeSelectionTarget&()> target) {
    return [set = std::move(set), target = std::move(target)](bool selected,
                                                              const ModeSelection& selection) {
        if (!selected) return;
        selectMode(set, selection, target());
    };
}

}  // namespace Modes
