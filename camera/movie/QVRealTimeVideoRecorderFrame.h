#pragma once
// The frame source a real-time recorder pulls pixels and times from. The base delivers
// nothing; the engine's frame source reads its rendered output.
#include <cstddef>
#include <cstdint>

#include "platform/coremedia/CMTime.h"

class QVRealTimeVideoRecorderFrame {
public:
    virtual ~QVRealTimeVideoRecorderFrame() = default;
    // Writes the current frame as BGRA rows of `bytesPerRow` into `pixels`; false when it has none.
    virtual bool sample(uint8_t* /*pixels*/, size_t /*bytesPerRow*/) { return false; }
    // The current frame's time; false when there is none (the time written is then zero).
    virtual bool sampleTime(platform::CMTime* time) {
        *time = platform::CMTimeMake(0, 60);
        return false;
    }
    // When the recording began; invalid when the source cannot tell.
    virtual platform::CMTime startTime() { return platform::kCMTimeInvalid; }
};
