#pragma once
// One track's decoded samples: video as BGRA pixel buffers, audio as interleaved 16-bit PCM at
// the track's rate and channel count. Samples are decoded on demand on the caller's thread.
#include "platform/avfoundation/AVAssetWriterInput.h"
#include "platform/coremedia/CMSampleBuffer.h"

namespace platform {

class AVAssetReader;

class AVAssetReaderTrackOutput {
public:
    explicit AVAssetReaderTrackOutput(AVMediaKind mediaType) : mediaType_(mediaType) {}
    AVMediaKind mediaType() const { return mediaType_; }
    // The next sample, or null at the end or on failure (the reader's status tells which).
    CMSampleBufferRef copyNextSampleBuffer();

private:
    friend class AVAssetReader;
    AVMediaKind mediaType_;
    AVAssetReader* reader_ = nullptr;
};

}  // namespace platform
