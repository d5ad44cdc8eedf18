#pragma once
// The container through which the main screen and the camera screen use the render view. It
// owns the one GraphicsView, keeps the picture being edited in three forms (unprocessed,
// cropped, processed), switches between the live camera and a still picture, and passes
// camera, display and life-cycle requests on to the GraphicsView.
//
// Still mode: the content is the GraphicsView sized to the picture (one pixel a point), zoom
// on. Camera mode: the content is a portrait-aligned holder of the GraphicsView, zoom off,
// the camera feed running. No picture: no content.
//
// It is a zoomable image container: the still picture can be pinched and double-tapped like
// any other content, while the camera's holder fills the container unzoomed.
#include <functional>
#include <memory>

#include "engine/view/GraphicsView.h"
#include "ui/widgets/ImageContentView.h"

class GraphicsContentView : public ImageContentView {
public:
    using Block = std::function<void()>;

    explicit GraphicsContentView(CGRect frame = CGRectZero);
    ~GraphicsContentView() override;

    // Made on first read, with the container's bounds as its frame.
    const std::shared_ptr<GraphicsView>& graphicsView();

    // ---- Pictures --------------------------------------------------------------------------
    // Null clears the picture and the cropped one; otherwise the picture is shown.
    void setImage(UIImagePtr image) override;
    const UIImagePtr& graphicsViewImage() const { return graphicsViewImage_; }
    const UIImagePtr& unprocessedImage() const { return graphicsViewImage_; }
    // A non-null cropped picture replaces the shown one (the unprocessed one is kept).
    void setCroppedImage(const UIImagePtr& image);
    const UIImagePtr& croppedImage() const { return croppedImage_; }
    const UIImagePtr& graphicsViewProcessedImage() const { return graphicsViewProcessedImage_; }
    // The shown picture processed at full resolution; rendered once per change of the
    // rendering and kept until the next. Null without a picture.
    UIImagePtr image();
    void clearImage();
    // The given picture rendered at full resolution with the current settings (filter scale
    // from the picture; the shown picture is the preview again afterwards).
    UIImagePtr processedImageForImage(const UIImagePtr& image);
    UIImagePtr processedImageForImageData(const ImageData* imageData);
    // The same for a camera still, measured against the view's own viewport.
    UIImagePtr processedImageForCameraImage(const UIImagePtr& image);
    UIImagePtr processedImageForCameraImageData(const ImageData* imageData);

    // ---- Camera ----------------------------------------------------------------------------
    // Enabling: zoom off, the camera-started block calls `completion` once (when given), the
    // GraphicsView fills the container upright at the default content scale inside a holder
    // that keeps it upright whatever the interface's orientation,
    // the feed starts and touches reach it. Disabling: feed stopped, touches off, no content,
    // then `completion` at once.
    void animateCameraEnabled(bool enabled, Block completion);
    // Only while the camera runs.
    void animateForCompare(bool showing, double angle, CGPoint point);
    void cameraWillChange();
    const Block& cameraChanged() const { return cameraChanged_; }
    void setCameraChanged(Block block) { cameraChanged_ = std::move(block); }
    const Block& cameraSnapRequested() const { return cameraSnapRequested_; }
    void setCameraSnapRequested(Block block) { cameraSnapRequested_ = std::move(block); }

    // ---- Passed on to the GraphicsView -------------------------------------------------------
    bool squareAspectRatio();
    void setSquareAspectRatio(bool square);
    void setShowOriginal(bool show);
    UIViewContentMode graphicsContentMode();
    void setGraphicsContentMode(UIViewContentMode mode);

    // ---- Life cycle (passed on when the GraphicsView exists) ----------------------------------
    void applicationWillResignActive();
    void applicationDidEnterBackground();
    // Outside the camera, the shown picture is set again as the input.
    void applicationWillEnterForeground();
    void applicationDidBecomeActive();

private:
    void setGraphicsViewWithImage(const UIImagePtr& image);

    std::shared_ptr<GraphicsView> graphicsView_;
    UIImagePtr graphicsViewImage_;
    UIImagePtr croppedImage_;
    UIImagePtr graphicsViewProcessedImage_;
    Block cameraChanged_;
    Block cameraSnapRequested_;
};
