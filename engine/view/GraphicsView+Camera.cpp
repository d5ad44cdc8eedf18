// The live camera's steps in the view: start and stop in step with the render loop and the
// noise-reduction choice, swap, flash and the frame entry. The camera itself comes from the
// camera layer through the installed maker.
#include "engine/AmbrelGraphicsController.h"
#include "engine/view/GraphicsView.h"

namespace {

GraphicsView::CameraMaker& cameraMaker() {
    static GraphicsView::CameraMaker maker;
    return maker;
}

}  // namespace

CameraSampleBuffer CameraSampleBuffer::of(const platform::CMSampleBufferRef& sampleBuffer) {
    CameraSampleBuffer view;
    view.pixelBuffer = platform::CMSampleBufferGetImageBuffer(sampleBuffer);
    const platform::CMTime t = platform::CMSampleBufferGetPresentationTimeStamp(sampleBuffer);
    view.presentationTime =
        platform::CMTIME_IS_VALID(t) ? sFrameTime{t.value, t.timescale, t.flags, t.epoch} : sFrameTime::Unset();
    return view;
}

void GraphicsView::setCameraMaker(CameraMaker maker) { cameraMaker() = std::move(maker); }

GraphicsViewCamera* GraphicsView::camera() {
    if (!camera_ && cameraMaker()) camera_ = cameraMaker()(*this);
    return camera_.get();
}

void GraphicsView::startVideoController() {
    if (graphicsController_) engine()->SetAdjustment("NR On/Off", false, useRealtimeNoiseReduction() ? 1.0f : 0.0f);
    notifyNextImage_ = true;
    setFrontFacing(camera() && camera()->isFrontFacing());
    enableFocus();
    enableZoom();
    setSquareAspectRatioHidden(false);
    cameraSnapRequestsEnabled(true);
    if (camera()) camera()->start();
    startAnimation();
}

void GraphicsView::stopVideoController() {
    stopAnimation();
    disableFocus();
    disableZoom();
    setSquareAspectRatioHidden(true);
    cameraSnapRequestsEnabled(false);
    if (camera()) camera()->stop();
    setFrontFacing(false);
    if (graphicsController_) engine()->SetAdjustment("NR On/Off", false, useNonRealtimeNoiseReduction() ? 1.0f : 0.0f);
}

void GraphicsView::swapFrontAndBackFacing() {
    if (camera()) camera()->swapFrontAndBackCameras(false);
    resetFocusView();
}

void GraphicsView::videoControllerDidSwapFrontAndBack(bool) {
    const bool front = camera() && camera()->isFrontFacing();
    if (front) disableZoom();
    else enableZoom();
    setFrontFacing(front);
    if (const Block swapped = cameraSwappedBlock_) swapped();  // a copy: the block may replace itself
}

int64_t GraphicsView::flashMode() { return camera() ? camera()->flashMode() : -1; }

void GraphicsView::setFlashMode(int64_t mode) {
    if (camera()) camera()->setFlashMode(mode);
}

void GraphicsView::enableFocus() {
    if (camera()) camera()->enableFocus();
}

void GraphicsView::disableFocus() {
    if (camera()) camera()->disableFocus();
}

void GraphicsView::enableZoom() {
    if (camera()) camera()->enableZoom();
}

void GraphicsView::disableZoom() {
    if (camera()) camera()->disableZoom();
}

void GraphicsView::resetFocusView() {
    if (camera()) camera()->resetFocusView();
}

void GraphicsView::setCameraSnapRequestBlock(Block block) {
    cameraSnapRequestBlock_ = std::move(block);
    if (camera()) camera()->setSnapRequestBlock(cameraSnapRequestBlock_);
}

void GraphicsView::cameraSnapRequestsEnabled(bool enabled) {
    if (camera()) camera()->cameraSnapRequestsEnabled(enabled);
}

void GraphicsView::setImage(const platform::CMSampleBufferRef& sampleBuffer) {
    if (sampleBuffer) setImage(CameraSampleBuffer::of(sampleBuffer));
}

void GraphicsView::setAudio(const platform::CMSampleBufferRef& sampleBuffer) {
    if (graphicsController_ && sampleBuffer) engine()->SetAudio(sampleBuffer);
}
