#pragma once
// A control that runs a block for its events, through a `TargetActionBlock` the control keeps
// as an associated object: every call adds one more adapter (none replaces another), and each
// lives as long as the control.
#include <functional>

#include "platform/uikit/UIControl.h"

namespace BlockUtility {

// The block receives the control.
void setBlock(UIControl& control, std::function<void(NSObject& sender)> block, UIControlEvents events);

}  // namespace BlockUtility
