#include "modes/ModeSelection.h"

namespace Modes {

std::vector<AdjustmentWrite> adjustmentWrites(const AdjustmentDictionary& adjustments,
                                              const AdjustmentNameSet* excluded,
                                              std::span<const AdjustmentDefault> defaults) {
    const auto isExcluded = [&](const std::string& name) {
        return excluded != nullptr && excluded->find(name) != excluded->end();
    };
    std::vector<AdjustmentWrite> writes;
    if (excluded != nullptr) {
        for (const AdjustmentDefault& row : defaults) {
            if (adjustments.find(row.name) != adjustments.end() || isExcluded(row.name)) continue;
            writes.push_back({row.name, row.value});
        }
    }
    for (const auto& [name, value] : adjustments)
        if (!isExcluded(name)) writes.push_back({name, value});
    return writes;
}

}  // namespace Modes
