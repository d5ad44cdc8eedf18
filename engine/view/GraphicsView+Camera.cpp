// The live camera's hooks in the view: the controller made on first use, start and stop in
// step with the render loop and the noise-reduction choice, swap, flash and the frame entry.
#include "engine/AmbrelGraphicsController.h"
#include "engine/view/GraphicsView.h"

CameraSampleBuffer CameraSampleBuffer::of(const platform::CMSampleBufferRef& sampleBuffer) {
    CameraSampleBuffer view;
    view.pixelBuffer = platform::CMSampleBufferGetImageBuffer(sampleBuffer);
    const platform::CMTime t = platform::CMSampleBufferGetPresentationTimeStamp(sampleBuffer);
    view.presentationTime = platform::CMTIME_IS_VALID(t) ? sFrameTime{t.value, t.timescale, t.flags, t.epoch}
                                                         : sFrameTime::Unset();
    return view;
}

VideoController& GraphicsView::videoController() {
    if (!videoController_) {
        videoController_ = std::make_unique<VideoController>();
        videoController_->setDelegate(this);
        videoController_->setTarget([this](const platform::CMSampleBufferRef& b) { setImage(b); });
        videoController_->setAudioTarget([this](const platform::CMSampleBufferRef& b) { setAudio(b); });
    }
    return *videoController_;
}

void GraphicsView::startVideoController() {
    if (graphicsController_) engine()->SetAdjustment("NR On/Off", false, useRealtimeNoiseReduction() ? 1.0f : 0.0f);
    notifyNextImage_ = true;
    setFrontFacing(videoController().isFrontFacing());
    enableFocus();
    enableZoom();
    setSquareAspectRatioHidden(false);
    cameraSnapRequestsEnabled(true);
    videoController().start();
    startAnimation();
}

void GraphicsView::stopVideoController() {
    stopAnimation();
    disableFocus();
    disableZoom();
    setSquareAspectRatioHidden(true);
    cameraSnapRequestsEnabled(false);
    videoController().stop();
    setFrontFacing(false);
    if (graphicsController_)
        engine()->SetAdjustment("NR On/Off", false, useNonRealtimeNoiseReduction() ? 1.0f : 0.0f);
}

void GraphicsView::swapFrontAndBackFacing() {
    videoController().swapFrontAndBackCameras(false);
    resetFocusView();
}

void GraphicsView::videoControllerDidSwapFrontAndBack(VideoController& controller, bool) {
    if (controller.isFrontFacing()) disableZoom();
    else enableZoom();
    setFrontFacing(controller.isFrontFacing());
    if (const Block swapped = cameraSwappedBlock_) swapped();  // a copy: the block may replace itself
}

int64_t GraphicsView::flashMode() { return videoController().flashMode(); }
void GraphicsView::setFlashMode(int64_t mode) { videoController().setFlashMode(mode); }

void GraphicsView::setImage(const platform::CMSampleBufferRef& sampleBuffer) {
    if (sampleBuffer) setImage(CameraSampleBuffer::of(sampleBuffer));
}

void GraphicsView::setAudio(const platform::CMSampleBufferRef& sampleBuffer) {
    if (graphicsController_ && sampleBuffer) engine()->SetAudio(sampleBuffer);
}
