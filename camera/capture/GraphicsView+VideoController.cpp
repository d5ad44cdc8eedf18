// The camera layer's side of the camera view: the view's camera is a capture controller whose
// delegate calls, frames and audio go back to the view, made on the view's first use.
#include <stdexcept>

#include "camera/capture/CameraFocusController.h"
#include "camera/capture/CameraShutterWait.h"
#include "camera/capture/CameraZoomController.h"
#include "camera/capture/VideoController.h"
#include "camera/movie/EngineMovieRecorder.h"
#include "engine/view/GraphicsView.h"

namespace {

class ViewCamera : public GraphicsViewCamera, public VideoControllerDelegate {
public:
    explicit ViewCamera(GraphicsView& view) : view_(view) {
        controller_.setDelegate(this);
        controller_.setTarget([&view](const platform::CMSampleBufferRef& b) { view.setImage(b); });
        controller_.setAudioTarget([&view](const platform::CMSampleBufferRef& b) { view.setAudio(b); });
        if (view.cameraSnapRequestBlock()) view.setVolumeSnapBlock(view.cameraSnapRequestBlock());  // set before us
    }
    VideoController& controller() { return controller_; }

    bool isFrontFacing() const override { return controller_.isFrontFacing(); }
    void start() override { controller_.start(); }
    void stop() override { controller_.stop(); }
    void swapFrontAndBackCameras(bool video) override { controller_.swapFrontAndBackCameras(video); }
    int64_t flashMode() const override { return controller_.flashMode(); }
    void setFlashMode(int64_t mode) override { controller_.setFlashMode(mode); }
    // The volume buttons are a shutter while the camera runs.
    void cameraSnapRequestsEnabled(bool enabled) override { view_.setVolumeSnapEnabled(enabled); }
    void setSnapRequestBlock(std::function<void()> block) override { view_.setVolumeSnapBlock(std::move(block)); }
    void enableFocus() override { focus_.enableFocus(); }
    // A stopped or swapped camera ends the shutter's wait, so neither touches nor the
    // shutter stay held.
    void disableFocus() override {
        shutterWait_.cancel();
        focus_.disableFocus();
    }
    void resetFocusView() override {
        shutterWait_.cancel();
        focus_.resetFocusView();
    }
    void showSupplementaryViews(bool show) override { focus_.showFocusView(show); }
    CameraShutterWait& shutterWait() { return shutterWait_; }
    CameraFocusController& focus() { return focus_; }
    void enableZoom() override { zoom_->enableZoom(); }
    void disableZoom() override { zoom_->disableZoom(); }

    void videoControllerWillSwapFrontAndBack(VideoController&, bool towardsFront) override {
        view_.videoControllerWillSwapFrontAndBack(towardsFront);
    }
    void videoControllerDidSwapFrontAndBack(VideoController&, bool nowFront) override {
        view_.videoControllerDidSwapFrontAndBack(nowFront);
    }

private:
    GraphicsView& view_;
    std::shared_ptr<CameraZoomController> zoom_ = std::make_shared<CameraZoomController>(view_);
    CameraShutterWait shutterWait_;
    CameraFocusController focus_{view_};
    VideoController controller_;  // after the view reference: goes first, stopping the frames
};

}  // namespace

void VideoController::installInGraphicsViews() {
    // The engine records movies through the camera's recorder.
    EngineMovieRecorder::register_();
    GraphicsView::setCameraMaker([](GraphicsView& view) { return std::make_unique<ViewCamera>(view); });
}

void GraphicsView::waitForFocus(BoolBlock block) {
    VideoController& controller = videoController();
    auto* camera = static_cast<ViewCamera*>(this->camera());
    CameraFocusController& focus = camera->focus();
    focus.cancelUnlockFocusAndExposureMode();
    // A shutter pressed while a tap's focus is settling fires when that wait ends.
    if (focus.isPointWaitPending()) return focus.queueShutter(std::move(block));
    camera->shutterWait().waitForFocus(controller.cameraWithPosition(controller.videoDevicePosition()), std::move(block));
}

CameraFocusController& GraphicsView::cameraFocusController() {
    videoController();
    return static_cast<ViewCamera*>(camera())->focus();
}

FocusViewController* GraphicsView::cameraFocusViewController() {
    return cameraFocusController().cameraFocusViewController().get();
}

CGPoint GraphicsView::viewPointToDevicePointOfInterest(CGPoint point) {
    return cameraFocusController().viewPointToDevicePointOfInterest(point);
}

VideoController& GraphicsView::videoController() {
    if (!camera()) {
        VideoController::installInGraphicsViews();
    }
    auto* camera = dynamic_cast<ViewCamera*>(this->camera());
    if (!camera) throw std::logic_error("the view's camera is not the capture controller");
    return camera->controller();
}
