#include "platform/coremedia/CMTime.h"

#include <cmath>
#include <limits>
#include <numeric>

namespace platform {

CMTime CMTimeMake(CMTimeValue value, CMTimeScale timescale) {
    if (timescale <= 0) return kCMTimeInvalid;
    return {value, timescale, kCMTimeFlags_Valid, 0};
}

CMTime CMTimeMakeWithSeconds(double seconds, CMTimeScale preferredTimescale) {
    if (!std::isfinite(seconds) || preferredTimescale <= 0) return kCMTimeInvalid;
    const double units = std::round(seconds * preferredTimescale);
    if (std::fabs(units) > static_cast<double>(std::numeric_limits<CMTimeValue>::max() / 2)) return kCMTimeInvalid;
    return CMTimeMake(static_cast<CMTimeValue>(units), preferredTimescale);
}

double CMTimeGetSeconds(const CMTime& time) {
    if (!CMTIME_IS_VALID(time)) return std::numeric_limits<double>::quiet_NaN();
    return static_cast<double>(time.value) / time.timescale;
}

int32_t CMTimeCompare(const CMTime& a, const CMTime& b) {
    const bool va = CMTIME_IS_VALID(a), vb = CMTIME_IS_VALID(b);
    if (!va || !vb) return va == vb ? 0 : (va ? 1 : -1);
    if (a.epoch != b.epoch) return a.epoch < b.epoch ? -1 : 1;
    // 128-bit products: exact for every 64-bit value over a 32-bit scale.
    const __int128 left = static_cast<__int128>(a.value) * b.timescale;
    const __int128 right = static_cast<__int128>(b.value) * a.timescale;
    return left < right ? -1 : (left > right ? 1 : 0);
}

namespace {

CMTime combine(const CMTime& a, const CMTime& b, int sign) {
    if (!CMTIME_IS_VALID(a) || !CMTIME_IS_VALID(b)) return kCMTimeInvalid;
    const int64_t scale = std::lcm(static_cast<int64_t>(a.timescale), static_cast<int64_t>(b.timescale));
    if (scale > std::numeric_limits<CMTimeScale>::max()) {
        // Too fine to hold exactly: the finer of the two scales, rounded.
        const CMTimeScale s = std::max(a.timescale, b.timescale);
        return CMTimeMakeWithSeconds(CMTimeGetSeconds(a) + sign * CMTimeGetSeconds(b), s);
    }
    const __int128 value = static_cast<__int128>(a.value) * (scale / a.timescale) +
                           sign * static_cast<__int128>(b.value) * (scale / b.timescale);
    if (value > std::numeric_limits<CMTimeValue>::max() || value < std::numeric_limits<CMTimeValue>::min())
        return kCMTimeInvalid;
    CMTime out = CMTimeMake(static_cast<CMTimeValue>(value), static_cast<CMTimeScale>(scale));
    out.epoch = a.epoch;
    return out;
}

}  // namespace

CMTime CMTimeAdd(const CMTime& a, const CMTime& b) { return combine(a, b, 1); }
CMTime CMTimeSubtract(const CMTime& a, const CMTime& b) { return combine(a, b, -1); }

CMTime CMTimeConvertScale(const CMTime& time, CMTimeScale timescale) {
    if (!CMTIME_IS_VALID(time) || timescale <= 0) return kCMTimeInvalid;
    CMTime out = CMTimeMakeWithSeconds(CMTimeGetSeconds(time), timescale);
    out.epoch = time.epoch;
    return out;
}

}  // namespace platform
