#pragma once
// Media times as rationals: a value over a timescale (units per second), with flags of which
// bit 0 marks a valid time. Comparison is exact (cross-multiplied, not through seconds);
// arithmetic keeps the larger timescale, or the product of both when neither divides the
// other's units exactly.
#include <cstdint>

namespace platform {

using CMTimeValue = int64_t;
using CMTimeScale = int32_t;
using CMTimeFlags = uint32_t;
using CMTimeEpoch = int64_t;

constexpr CMTimeFlags kCMTimeFlags_Valid = 1;

struct CMTime {
    CMTimeValue value = 0;
    CMTimeScale timescale = 0;
    CMTimeFlags flags = 0;
    CMTimeEpoch epoch = 0;
};

inline constexpr CMTime kCMTimeInvalid{};
inline constexpr CMTime kCMTimeZero{0, 1, kCMTimeFlags_Valid, 0};

inline bool CMTIME_IS_VALID(const CMTime& t) { return (t.flags & kCMTimeFlags_Valid) != 0 && t.timescale > 0; }

CMTime CMTimeMake(CMTimeValue value, CMTimeScale timescale);
// The nearest time in the given timescale.
CMTime CMTimeMakeWithSeconds(double seconds, CMTimeScale preferredTimescale);
// NaN for an invalid time.
double CMTimeGetSeconds(const CMTime& time);
// -1, 0 or 1; an invalid time is less than every valid one, and two invalid times are equal.
int32_t CMTimeCompare(const CMTime& a, const CMTime& b);
// Invalid when either side is.
CMTime CMTimeAdd(const CMTime& a, const CMTime& b);
CMTime CMTimeSubtract(const CMTime& a, const CMTime& b);
// The same time in another timescale, rounded to nearest.
CMTime CMTimeConvertScale(const CMTime& time, CMTimeScale timescale);

}  // namespace platform
