#pragma once
// Turning an entry's passed pairs into its parameter set.
#include <span>

#include "modes/AdjustmentDictionary.h"
#include "modes/ModeSetData.h"

namespace Modes {

// The parameter set of one entry: one value per key. A few entries pass a key twice (a tuned
// value, then the engine's neutral value again); the FIRST value passed is kept, because it
// is the one tuned for that entry, and a later repeat of the same key is ignored. This is
// the only place where that rule is applied.
AdjustmentDictionary makeParameterSet(std::span<const Data::Pair> pairs);

}  // namespace Modes
