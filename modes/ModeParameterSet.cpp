#include "modes/ModeParameterSet.h"

namespace Modes {

AdjustmentDictionary makeParameterSet(std::span<const Data::Pair> pairs) {
    AdjustmentDictionary set;
    for (const Data::Pair& pair : pairs) {
        // emplace leaves an existing key untouched: the first value passed stands.
        set.emplace(pair.key, pair.value);
    }
    return set;
}

}  // namespace Modes
