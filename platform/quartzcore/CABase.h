#pragma once
// Media time: seconds on the main run loop's clock (real, or manual in tests).
using CFTimeInterval = double;

CFTimeInterval CACurrentMediaTime();
