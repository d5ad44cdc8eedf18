#include "platform/foundation/WallClock.h"

#include <chrono>
#include <mutex>

namespace {
std::mutex mutex;
WallClock::Source& source() {
    static WallClock::Source s;
    return s;
}
}  // namespace

double WallClock::now() {
    {
        std::lock_guard lock(mutex);
        if (source()) return source()();
    }
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

void WallClock::setSource(Source s) {
    std::lock_guard lock(mutex);
    source() = std::move(s);
}
