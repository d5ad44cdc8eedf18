// Movies through the engine: the view passes recording and movie-frame requests on. The
// recorder itself comes from the camera layer, which registers it with the engine.
#include "engine/AmbrelGraphicsController.h"
#include "engine/view/GraphicsView.h"

void GraphicsView::setVideoOutputSize(CGSize size) {
    if (graphicsController_) engine()->SetVideoOutputSize(size);
}

void GraphicsView::beginVideoRecordingWithOrientation(int64_t orientation) {
    // Before any input there is no frame size to record at.
    if (graphicsController_ && engine()->inputTextures[0].texture) engine()->BeginVideoRecording(orientation, true);
}

std::string GraphicsView::finishVideoRecording() {
    return graphicsController_ ? engine()->FinishVideoRecording() : std::string();
}

bool GraphicsView::beginVideoAssetRecording() { return graphicsController_ && engine()->BeginVideoAssetRecording(); }

bool GraphicsView::endVideoAssetRecording() { return graphicsController_ && engine()->EndVideoAssetRecording(); }

void GraphicsView::restoreVideoAssetOrientation() {
    if (graphicsController_) engine()->RestoreVideoAssetOrientation();
}

bool GraphicsView::renderForVideoAssetRecording(int32_t width, int32_t height, int32_t subWidth, int32_t outputWidth,
                                                int32_t outputHeight, int64_t orientation,
                                                int64_t cameraViewportImageOrientation, const void* pixels,
                                                sFrameTime pixelsTime, uint64_t bufferBytesPerRow, void* buffer,
                                                sFrameTime* bufferTime, int32_t format) {
    if (!graphicsController_) return false;
    // The sub-width × height middle of the frame, its origin truncated to whole pixels.
    const int32_t x = static_cast<int32_t>((static_cast<double>(width) - subWidth) / 2);
    const int32_t y = 0;
    return engine()->RenderVideoAssetFrame(width, height, subWidth, height, x, y, outputWidth, outputHeight,
                                           orientation, cameraViewportImageOrientation, format, pixels, pixelsTime,
                                           bufferBytesPerRow, buffer, bufferTime);
}
