#pragma once
// The camera's side of a graphics view: the capture controller whose frames, sound and swaps go
// to the view, the focus and exposure under the user's fingers, the pinch zoom, the shutter's
// wait, the snaps with the volume-button shutter, and the movie player playing into the view.
// The view drives it through GraphicsViewCamera (start, stop, swap, flash, the focus and zoom
// switches); the rest of the program reaches a view's controller with `of`.
//
// The maker `installInGraphicsViews` installs makes one for a view on the view's first camera
// use; the view owns it. Main thread only.
//
// The source files: CameraController.cpp (the capture controller, focus, zoom, the movie
// player), CameraController+CameraSnapController.cpp (the snaps and the volume shutter).
#include <functional>
#include <memory>
#include <optional>

#include "camera/capture/CameraFocusController.h"
#include "camera/capture/CameraShutterWait.h"
#include "camera/capture/VideoController.h"
#include "engine/view/GraphicsView.h"

class CameraZoomController;
class FocusViewController;
class VideoAssetController;

class CameraController final : public GraphicsViewCamera, public VideoControllerDelegate {
public:
    using Block = std::function<void()>;
    using BoolBlock = std::function<void(bool)>;
    // The still and its metadata; both empty when the capture failed, and then the error says
    // why (null when a still was taken).
    using SnapCompletion = std::function<void(
        const UIImagePtr& image, const std::optional<platform::ImageProperties>& metadata, const NSErrorPtr& error)>;

    // Makes graphics views drive a camera controller, made on their first camera use; the
    // engine records movies through the camera's recorder from then on.
    static void installInGraphicsViews();
    // The view's camera controller (installing the maker when the view has no camera yet).
    static CameraController& of(GraphicsView& view);

    explicit CameraController(GraphicsView& view);
    ~CameraController() override;
    CameraController(const CameraController&) = delete;
    CameraController& operator=(const CameraController&) = delete;

    GraphicsView& view() const { return view_; }
    // The capture controller, with the view as its delegate, frame target (setImage) and
    // audio target (setAudio).
    VideoController& videoController() { return controller_; }
    // The movie player, made on first use, playing into the view's setImageForAsset (which
    // takes its frames while the view's imageFromAsset is set), its sound into setAudio.
    VideoAssetController& videoAssetController();

    // ---- Focus and exposure -------------------------------------------------------------
    // Tap focus, the exposure pan and their waits; the focus squares over the preview while
    // the camera runs (null while it is stopped).
    CameraFocusController& cameraFocusController() { return focus_; }
    FocusViewController* cameraFocusViewController();
    // A view point as the camera's point of interest: within [0, 1] on both axes, the centre
    // until a frame has come.
    CGPoint viewPointToDevicePointOfInterest(CGPoint point) const;
    // The shutter's wait for the focus to settle (at most 2 s, YES; NO when the camera stops
    // or swaps first); a shutter pressed while a tap's focus settles fires when that ends.
    void waitForFocus(BoolBlock block);

    // ---- Snaps (CameraController+CameraSnapController.cpp) --------------------------------
    // The image, or its centred square while the view's square crop is on.
    UIImagePtr croppedImage(const UIImagePtr& image) const;
    // One still in the device's orientation at the view's zoom; the completion (may be empty)
    // runs exactly once, on the main queue.
    void snap(SnapCompletion completion);
    // A snap saved to the album: the original, or with the processed rendering on the processed
    // picture (after the original when that setting asks for it). `snapCompletion` answers
    // whether a picture was taken, `saveCompletion` once the last album save has ended,
    // YES only when every save succeeded.
    void snapAndSave(BoolBlock snapCompletion = nullptr, BoolBlock saveCompletion = nullptr);
    void setVolumeSnapEnabled(bool enabled);
    void setVolumeSnapBlock(Block block);
    // The shutter: touches held until the focus has settled, then `block`, then a snap whose
    // completion runs with full-quality noise reduction.
    void captureSnap(Block block, SnapCompletion completion);

    // ---- The view's camera (GraphicsViewCamera) -----------------------------------------
    bool isFrontFacing() const override { return controller_.isFrontFacing(); }
    void start() override { controller_.start(); }
    void stop() override { controller_.stop(); }
    void swapFrontAndBackCameras(bool video) override { controller_.swapFrontAndBackCameras(video); }
    int64_t flashMode() const override { return controller_.flashMode(); }
    void setFlashMode(int64_t mode) override { controller_.setFlashMode(mode); }
    // The volume buttons are a shutter while the camera runs.
    void cameraSnapRequestsEnabled(bool enabled) override { setVolumeSnapEnabled(enabled); }
    void setSnapRequestBlock(std::function<void()> block) override { setVolumeSnapBlock(std::move(block)); }
    void enableFocus() override { focus_.enableFocus(); }
    // A stopped or swapped camera ends the shutter's wait, so neither touches nor the shutter
    // stay held.
    void disableFocus() override;
    void resetFocusView() override;
    void showSupplementaryViews(bool show) override { focus_.showFocusView(show); }
    void enableZoom() override;
    void disableZoom() override;

    // ---- The capture controller's swaps (VideoControllerDelegate) -------------------------
    void videoControllerWillSwapFrontAndBack(VideoController&, bool towardsFront) override;
    void videoControllerDidSwapFrontAndBack(VideoController&, bool nowFront) override;

private:
    GraphicsView& view_;
    std::shared_ptr<CameraZoomController> zoom_;
    CameraShutterWait shutterWait_;
    CameraFocusController focus_;
    std::shared_ptr<VideoAssetController> videoAssetController_;
    VideoController controller_;  // last: goes first, stopping the frames
};
