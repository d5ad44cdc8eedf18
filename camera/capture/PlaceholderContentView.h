#pragma once
// A stand-in for the live camera's content view where there is no camera: it answers the
// camera view's messages, but shows the bundled picture "sample" (redrawn at the view's size)
// in place of the camera, and treats pictures with the automatic enhancement in place of the
// engine. A snap hands back the picture as it is, without metadata.
#include <functional>
#include <optional>

#include "camera/capture/CameraController.h"
#include "engine/view/ImageData.h"
#include "ui/widgets/ImageContentView.h"

class PlaceholderContentView : public ImageContentView {
public:
    using Block = std::function<void()>;
    using SnapCompletion = CameraController::SnapCompletion;
    static constexpr const char* kSampleImageName = "sample";

    using ImageContentView::ImageContentView;

    // Slots of the camera view's interface, only stored.
    const Block& cameraChanged() const { return cameraChanged_; }
    void setCameraChanged(Block block) { cameraChanged_ = std::move(block); }
    const Block& cameraSnapRequested() const { return cameraSnapRequested_; }
    void setCameraSnapRequested(Block block) { cameraSnapRequested_ = std::move(block); }
    int64_t flashMode() const { return flashMode_; }
    void setFlashMode(int64_t mode) { flashMode_ = mode; }

    // Keeps the picture as given and shows it enhanced.
    void setImage(UIImagePtr image) override;
    const UIImagePtr& placeholderImage() const { return placeholderImage_; }
    const UIImagePtr& unprocessedImage() const { return placeholderImage_; }
    UIImagePtr processedImageForImage(const UIImagePtr& image) const;
    UIImagePtr processedImageForImageData(const ImageData* imageData) const;
    UIImagePtr processedImageForCameraImage(const UIImagePtr& image) const { return processedImageForImage(image); }
    UIImagePtr processedImageForCameraImageData(const ImageData* imageData) const {
        return processedImageForImageData(imageData);
    }

    // Enabled: zoom off and the sample at the view's size; disabled: no picture, zoom on.
    // The completion (may be empty) runs at once.
    void animateCameraEnabled(bool enabled, const Block& completion);
    // The block, then the completion with the unenhanced picture and no metadata.
    void animateCameraSnap(const Block& block, const SnapCompletion& completion) const;
    void animateFrontBack(const Block& block) const {
        if (block) block();
    }
    void animateForCompare(bool showing, double angle, CGPoint point) {}
    void animateCameraShowing() {}
    void animateFlash() {}

private:
    Block cameraChanged_;
    Block cameraSnapRequested_;
    int64_t flashMode_ = 0;
    UIImagePtr placeholderImage_;
};
