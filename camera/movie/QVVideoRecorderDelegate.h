#pragma once
// What the pull-model recorder asks of whoever supplies its movie, always on the main thread.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/coremedia/CMSampleBuffer.h"

// One ask for a video frame. The recorder presets every field before each ask: the time to
// 0/60 s, both flags false, the stride and pixels of a locked BGRA buffer.
struct QVVideoFrameRecord {
    platform::CMTime presentationTime;
    size_t bytesPerRow = 0;
    bool frameReady = false;  // the delegate wrote a frame
    bool skip = false;        // keep the buffer and ask again without appending it
    uint8_t* pixels = nullptr;
};

class QVVideoRecorderDelegate {
public:
    virtual ~QVVideoRecorderDelegate() = default;
    virtual bool doesHaveAudio() = 0;
    virtual void getVideoFrame(QVVideoFrameRecord* record) = 0;
    // Stores the next sound buffer in `sample` (preset to null), or leaves it null at the end.
    virtual void getAudioSample(platform::CMSampleBufferRef* sample) = 0;
    // The movie is complete in `filename`, or failed (empty; nothing is left on disk).
    virtual void finishedRecording(const std::string& filename) = 0;
};
