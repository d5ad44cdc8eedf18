#include "engine/view/GraphicsContentView.h"

#include <utility>

#include "engine/view/UIImageData.h"
#include "model/DeviceUtility.h"
#include "ui/animation/PortraitAlignedView.h"
#include "ui/animation/PositioningUtility.h"

// Still pictures zoom from the start; the camera turns zooming off while it runs.
GraphicsContentView::GraphicsContentView(CGRect frame) : ImageContentView(frame) { setZoomEnabled(true); }

GraphicsContentView::~GraphicsContentView() {
    if (graphicsView_) graphicsView_->setGraphicsChanged(nullptr);  // its block points back here
}

const std::shared_ptr<GraphicsView>& GraphicsContentView::graphicsView() {
    if (!graphicsView_) graphicsView_ = std::make_shared<GraphicsView>(bounds());
    return graphicsView_;
}

// ---- Pictures -------------------------------------------------------------------------------------

void GraphicsContentView::setImage(UIImagePtr image) {
    graphicsViewImage_ = image;
    if (!image) {
        clearImage();
        setCroppedImage(nullptr);
        return;
    }
    setGraphicsViewWithImage(image);
}

void GraphicsContentView::setCroppedImage(const UIImagePtr& image) {
    croppedImage_ = image;
    if (!image) return;
    clearImage();
    setGraphicsViewWithImage(image);
}

void GraphicsContentView::setGraphicsViewWithImage(const UIImagePtr& image) {
    const std::shared_ptr<GraphicsView>& view = graphicsView();
    const CGSize size = image->size();
    view->setFrameWithContentScale(CGRectMake(0, 0, size.width, size.height), 1.0);
    view->setImageWithImage(image);
    setContentView(view);
    view->setGraphicsChanged([this] { graphicsViewProcessedImage_ = nullptr; });
}

void GraphicsContentView::clearImage() {
    const std::shared_ptr<GraphicsView>& view = graphicsView();
    view->setImageWithImage(nullptr);
    setContentView(nullptr);
    view->setGraphicsChanged(nullptr);
    graphicsViewProcessedImage_ = nullptr;
}

UIImagePtr GraphicsContentView::image() {
    if (!graphicsViewImage_) return nullptr;
    if (!graphicsViewProcessedImage_) graphicsViewProcessedImage_ = graphicsView()->drawCurrentImageToImage();
    return graphicsViewProcessedImage_;
}

UIImagePtr GraphicsContentView::processedImageForImage(const UIImagePtr& image) {
    return processedImageForImageData(UIImageData::imageDataWithUIImage(image).get());
}

UIImagePtr GraphicsContentView::processedImageForImageData(const ImageData* imageData) {
    return graphicsView()->drawImageDataToImageWithReferenceImage(imageData,
                                                                  croppedImage_ ? croppedImage_ : graphicsViewImage_);
}

UIImagePtr GraphicsContentView::processedImageForCameraImage(const UIImagePtr& image) {
    return processedImageForCameraImageData(UIImageData::imageDataWithUIImage(image).get());
}

UIImagePtr GraphicsContentView::processedImageForCameraImageData(const ImageData* imageData) {
    return graphicsView()->drawImageDataToImageUsingCameraViewport(imageData);
}

// ---- Camera ---------------------------------------------------------------------------------------

void GraphicsContentView::animateCameraEnabled(bool enabled, Block completion) {
    setZoomEnabled(!enabled);
    const std::shared_ptr<GraphicsView>& view = graphicsView();
    if (enabled) {
        if (completion) {
            GraphicsView* target = view.get();
            view->setCameraStartedBlock([target, completion] {
                // Clearing the block destroys this closure: keep what runs after it.
                const Block done = completion;
                target->setCameraStartedBlock(nullptr);
                done();
            });
        }
        view->setCameraSnapRequestBlock(cameraSnapRequested_);
        setContentView(nullptr);  // a still picture's view is let go before the holder takes it
        view->setFrameWithContentScale(portraitRect(bounds()), AppConstants::defaultContentScale());
        setContentView(PortraitAlignedView::viewWithView(view));
        view->startVideoController();
        view->setUserInteractionEnabled(true);
        cameraWillChange();
    } else {
        view->stopVideoController();
        view->setUserInteractionEnabled(false);
        setContentView(nullptr);
        view->removeFromSuperview();
        if (completion) completion();
    }
}

void GraphicsContentView::animateForCompare(bool showing, double angle, CGPoint point) {
    if (graphicsView_ && graphicsView_->isAnimating()) graphicsView_->setCompareShowing(showing, angle, point);
}

void GraphicsContentView::cameraWillChange() {
    if (cameraChanged_) cameraChanged_();
}

// ---- Passed on ------------------------------------------------------------------------------------

bool GraphicsContentView::squareAspectRatio() { return graphicsView()->squareAspectRatio(); }
void GraphicsContentView::setSquareAspectRatio(bool square) { graphicsView()->setSquareAspectRatio(square); }
void GraphicsContentView::setShowOriginal(bool show) { graphicsView()->setShowOriginal(show); }
UIViewContentMode GraphicsContentView::graphicsContentMode() { return graphicsView()->contentMode(); }
void GraphicsContentView::setGraphicsContentMode(UIViewContentMode mode) { graphicsView()->setContentMode(mode); }

// ---- Life cycle -----------------------------------------------------------------------------------

void GraphicsContentView::applicationWillResignActive() {
    if (graphicsView_) graphicsView_->applicationWillResignActive();
}

void GraphicsContentView::applicationDidEnterBackground() {
    if (graphicsView_) graphicsView_->applicationDidEnterBackground();
}

void GraphicsContentView::applicationWillEnterForeground() {
    if (!graphicsView_) return;
    graphicsView_->applicationWillEnterForeground();
    if (graphicsView_->isAnimating()) return;
    const UIImagePtr& shown = croppedImage_ ? croppedImage_ : graphicsViewImage_;
    if (shown) graphicsView_->setImageWithImage(shown);
}

void GraphicsContentView::applicationDidBecomeActive() {
    if (graphicsView_) graphicsView_->applicationDidBecomeActive();
}
