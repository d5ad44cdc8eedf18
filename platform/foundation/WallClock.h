#pragma once
// Dates: seconds since 1970 (UTC), from the system clock unless a test gives another source.
// Apart from the run loop's clock, which times animations and timers and may stand still.
#include <functional>

class WallClock {
public:
    using Source = std::function<double()>;
    static double now();
    // An empty source restores the system clock.
    static void setSource(Source source);
};
