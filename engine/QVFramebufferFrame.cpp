#include "engine/QVFramebufferFrame.h"

#include "engine/AmbrelGraphicsController.h"

bool QVFramebufferFrame::sample(uint8_t* pixels, uint64_t bytesPerRow) {
    return engine_ && engine_->videoRecording.mode == eRecordingMode::RealTime &&
           engine_->ReadOutputFrame(pixels, bytesPerRow);
}

bool QVFramebufferFrame::sampleTime(sFrameTime* time) {
    if (!engine_ || engine_->videoRecording.mode != eRecordingMode::RealTime) {
        *time = sFrameTime::Make(0, 60);
        return false;
    }
    engine_->SmoothedFrameTime(false, time);
    return true;
}

sFrameTime QVFramebufferFrame::startTime() { return engine_ ? engine_->videoRecording.startTime : sFrameTime::Unset(); }
