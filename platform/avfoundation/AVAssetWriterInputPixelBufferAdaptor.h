#pragma once
// Appends pixel buffers to a video input with their times (no sample buffer around them).
#include "platform/avfoundation/AVAssetWriterInput.h"

namespace platform {

class AVAssetWriterInputPixelBufferAdaptor {
public:
    explicit AVAssetWriterInputPixelBufferAdaptor(AVAssetWriterInput& input) : input_(input) {}
    AVAssetWriterInput& assetWriterInput() const { return input_; }
    bool appendPixelBuffer(const CVPixelBufferRef& pixelBuffer, CMTime presentationTime) {
        return input_.appendPixelBuffer(pixelBuffer, presentationTime);
    }

private:
    AVAssetWriterInput& input_;
};

}  // namespace platform
