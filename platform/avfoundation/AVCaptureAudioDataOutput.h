#pragma once
// The audio data output: every PCM buffer of the microphone.
#include "platform/avfoundation/AVCaptureDataOutput.h"

namespace platform {

class AVCaptureAudioDataOutput : public AVCaptureDataOutput {
public:
    AVCaptureAudioDataOutput() : AVCaptureDataOutput(AVMediaTypeAudio) {}
};

}  // namespace platform
