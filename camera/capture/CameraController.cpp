// The camera's side of a graphics view: the capture controller, focus, zoom and the movie
// player, made for the view by the installed maker.
#include "camera/capture/CameraController.h"

#include <stdexcept>

#include "camera/capture/CameraZoomController.h"
#include "camera/movie/EngineMovieRecorder.h"
#include "camera/movie/VideoAssetController.h"

void CameraController::installInGraphicsViews() {
    // The engine records movies through the camera's recorder.
    EngineMovieRecorder::register_();
    GraphicsView::setCameraMaker([](GraphicsView& view) { return std::make_unique<CameraController>(view); });
}

CameraController& CameraController::of(GraphicsView& view) {
    if (!view.camera()) installInGraphicsViews();
    auto* camera = dynamic_cast<CameraController*>(view.camera());
    if (!camera) throw std::logic_error("the view's camera is not a camera controller");
    return *camera;
}

CameraController::CameraController(GraphicsView& view)
    : view_(view), zoom_(std::make_shared<CameraZoomController>(view)), focus_(view, controller_) {
    controller_.setDelegate(this);
    controller_.setTarget([&view](const platform::CMSampleBufferRef& b) { view.setImage(b); });
    controller_.setAudioTarget([&view](const platform::CMSampleBufferRef& b) { view.setAudio(b); });
    if (view.cameraSnapRequestBlock()) setVolumeSnapBlock(view.cameraSnapRequestBlock());  // set before us
}

CameraController::~CameraController() = default;

VideoAssetController& CameraController::videoAssetController() {
    if (!videoAssetController_) {
        auto controller = std::make_shared<VideoAssetController>();
        VideoAssetController* player = controller.get();
        GraphicsView& view = view_;
        controller->setTarget([&view, player](const platform::CMSampleBufferRef& sampleBuffer) {
            view.setImageForAsset(CameraSampleBuffer::of(sampleBuffer), player->active(),
                                  static_cast<int64_t>(player->imageOrientation()));
        });
        controller->setAudioTarget(
            [&view](const platform::CMSampleBufferRef& sampleBuffer) { view.setAudio(sampleBuffer); });
        videoAssetController_ = std::move(controller);
    }
    return *videoAssetController_;
}

// ---- Focus and exposure ---------------------------------------------------------------------

FocusViewController* CameraController::cameraFocusViewController() { return focus_.cameraFocusViewController().get(); }

CGPoint CameraController::viewPointToDevicePointOfInterest(CGPoint point) const {
    return focus_.viewPointToDevicePointOfInterest(point);
}

void CameraController::waitForFocus(BoolBlock block) {
    focus_.cancelUnlockFocusAndExposureMode();
    // A shutter pressed while a tap's focus is settling fires when that wait ends.
    if (focus_.isPointWaitPending()) return focus_.queueShutter(std::move(block));
    shutterWait_.waitForFocus(controller_.cameraWithPosition(controller_.videoDevicePosition()), std::move(block));
}

void CameraController::disableFocus() {
    shutterWait_.cancel();
    focus_.disableFocus();
}

void CameraController::resetFocusView() {
    shutterWait_.cancel();
    focus_.resetFocusView();
}

void CameraController::enableZoom() { zoom_->enableZoom(); }

void CameraController::disableZoom() { zoom_->disableZoom(); }

// ---- Swaps ------------------------------------------------------------------------------------

void CameraController::videoControllerWillSwapFrontAndBack(VideoController&, bool towardsFront) {
    view_.videoControllerWillSwapFrontAndBack(towardsFront);
}

void CameraController::videoControllerDidSwapFrontAndBack(VideoController&, bool nowFront) {
    view_.videoControllerDidSwapFrontAndBack(nowFront);
}
