#pragma once
// The adjustment dictionary: engine parameter names mapped to values. A value is either the
// parameter's normalised number in [0, 1] or, for an enumerated parameter, the name of one of
// its values; the engine accepts both forms for every enumerated parameter.
//
// Header-only and free of dependencies so that the engine's view, the editing model and the
// mode library can all share it.
#include <functional>
#include <map>
#include <set>
#include <string>
#include <variant>

namespace Modes {

using AdjustmentValue = std::variant<float, std::string>;
using AdjustmentDictionary = std::map<std::string, AdjustmentValue, std::less<>>;
// A set of parameter names, such as those that selecting a mode leaves alone.
using AdjustmentNameSet = std::set<std::string>;

}  // namespace Modes
