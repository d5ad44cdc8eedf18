// The view's input and output side: photos, camera and asset frames, renders at full
// resolution, and the small display controls (compare split, show original, zoom, average
// colour).
#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/AmbrelGraphicsController.h"
#include "engine/RenderPasses.h"
#include "engine/view/GraphicsView.h"
#include "engine/view/UIImageData.h"
#include "gpu/Device.h"
#include "platform/corevideo/CVPixelBuffer.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIHostWindow.h"

namespace {

// Engine pixel format of an image-data format: B,G,R,A → 1, R,G,B,A → 2.
int32_t EngineFormat(int32_t imageDataFormat) {
    return imageDataFormat == ImageData::kFormatRGBA ? kPixelFormatRGBA : kPixelFormatBGRA;
}

// Image size × the aspect-fit ratio of bounds over it (both sides).
CGSize AspectFitSize(CGSize image, CGSize bounds) {
    const double ratio = std::min(bounds.width / image.width, bounds.height / image.height);
    return CGSizeMake(image.width * ratio, image.height * ratio);
}

}  // namespace

// ---- Cached-texture state -----------------------------------------------------------------------

void GraphicsView::useCachedTextureState(int32_t state, const Block& block) {
    if (!graphicsController_) {
        if (block) block();
        return;
    }
    const eStyleStageMode saved = engine()->styleStageMode;
    engine()->styleStageMode = static_cast<eStyleStageMode>(state);
    if (block) block();
    engine()->styleStageMode = saved;
}

// ---- Photo input ------------------------------------------------------------------------------

void GraphicsView::setImageWithImage(const UIImagePtr& image) {
    const std::shared_ptr<UIImageData> data = UIImageData::imageDataWithUIImage(image);
    setImageWithImageData(data.get());
}

double GraphicsView::filterScaleForPicture(double width, double height) const {
    // The reference length is the camera's shorter side, known from the first camera frame;
    // before any camera frame the view's shorter side in pixels stands in for it.
    double reference = normalizedFilterScaleDimension_;
    if (!(reference > 0) && graphicsController_) reference = std::min(engine()->viewRect[2], engine()->viewRect[3]);
    if (!(reference > 0)) reference = 1;
    return std::min(width, height) / reference;
}

void GraphicsView::setImageWithImageData(const ImageData* imageData) {
    const bool real = imageData && imageData->hasData();
    useCachedTextureState(real ? kCacheTexture : kNoCachedTexture, [&] {
        processImageData(
            imageData,
            [this](int64_t w, int64_t h, int64_t orientation, int32_t format, const void* pixels,
                   bool realImage) -> UIImagePtr {
                if (graphicsController_) {
                    const auto iw = static_cast<int32_t>(w), ih = static_cast<int32_t>(h);
                    engine()->SetInputPixels(sFrameTime::Make(0, 60), sInputGeometry::Whole(iw, ih), orientation,
                                             format, pixels);
                }
                currentImageSize_ = CGSizeMake(static_cast<CGFloat>(w), static_cast<CGFloat>(h));
                currentImageOrientation_ = orientation;
                if (realImage && graphicsController_)
                    engine()->SetFilterScale(filterScaleForPicture(static_cast<double>(w), static_cast<double>(h)));
                drawView();
                return nullptr;
            });
    });
}

UIImagePtr GraphicsView::processImageData(const ImageData* imageData, const ImageDataBlock& block) {
    if (imageData && imageData->hasData()) {
        UIImagePtr result;
        bool delivered = false;
        imageData->data([&](uint64_t w, uint64_t h, int64_t orientation, int32_t format, const void* pixels) {
            delivered = true;
            result = block(static_cast<int64_t>(w), static_cast<int64_t>(h), orientation, EngineFormat(format), pixels,
                           true);
        });
        if (delivered) return result;
        // A source that promised pixels and gave none (a cache file gone, a picture without a
        // bitmap) is no picture: the old input must not stay on screen as if it were this one.
    }
    const uint8_t black[16] = {};
    block(2, 2, 0, kPixelFormatBGRA, black, false);
    return nullptr;
}

void GraphicsView::drawBlackImage() {
    if (graphicsController_) engine()->DrawBlackImage();
}

// ---- Camera and asset frames --------------------------------------------------------------------

bool GraphicsView::engineHasPendingFrame() const {
    return graphicsController_ && engine()->frameDirty && engine()->inputTextures[0].texture;
}

CGRect GraphicsView::cameraCropRect(CGSize frameSize, CGSize viewBounds) {
    // The view's aspect turned by a quarter (the camera delivers landscape frames).
    const CGSize fitted = AspectFitSize(CGSizeMake(viewBounds.height, viewBounds.width), frameSize);
    const double fw = std::isfinite(fitted.width) && fitted.width > 0 ? std::trunc(fitted.width) : 0;
    const double fh = std::isfinite(fitted.height) && fitted.height > 0 ? std::trunc(fitted.height) : 0;
    const double x = std::trunc((frameSize.width - fw) / 2), y = std::trunc((frameSize.height - fh) / 2);
    return CGRectMake(x, y, fw, fh);
}

void GraphicsView::setImage(const CameraSampleBuffer& sampleBuffer) {
    if (!animating_ && imageSetFromSampleBuffer_) return;
    if (engineHasPendingFrame()) return;  // at most one frame waits for the display link
    const std::shared_ptr<platform::CVPixelBuffer>& buffer = sampleBuffer.pixelBuffer;
    if (!buffer) return;
    const auto W = static_cast<double>(buffer->width()), H = static_cast<double>(buffer->height());
    nativeVideoDimensions_ = CGSizeMake(W, H);
    static bool filterScaleDimensionSet = false;  // fixed by the first camera frame of the process
    if (!filterScaleDimensionSet) {
        filterScaleDimensionSet = true;
        normalizedFilterScaleDimension_ = std::min(W, H);
    }
    const CGRect crop = cameraCropRect(CGSizeMake(W, H), bounds().size);
    const auto fw = static_cast<int32_t>(crop.size.width), fh = static_cast<int32_t>(crop.size.height);
    if (graphicsController_) {
        const sInputGeometry geometry{static_cast<int32_t>(W),
                                      static_cast<int32_t>(H),
                                      fw,
                                      fh,
                                      static_cast<int32_t>(crop.origin.x),
                                      static_cast<int32_t>(crop.origin.y),
                                      fw,
                                      fh,
                                      false};
        engine()->SetInputPixelBuffer(sampleBuffer.presentationTime, geometry, 3, kPixelFormatBGRA, buffer);
    }
    currentImageSize_ = CGSizeMake(fw, fh);
    if (graphicsController_ && normalizedFilterScaleDimension_ > 0)
        engine()->SetFilterScale(std::min(W, H) / normalizedFilterScaleDimension_);
    if (!imageSetFromSampleBuffer_) {
        imageSetFromSampleBuffer_ = true;
        if (!initialImageSetFromSampleBuffer_) {
            initialImageSetFromSampleBuffer_ = true;
            if (delegate_) delegate_->graphicsViewDidGetImage(*this);
        }
    }
    if (notifyNextImage_) {
        notifyNextImage_ = false;
        if (delegate_) delegate_->graphicsViewDidGetNextImage(*this);
        // A copy: the block may replace itself.
        if (const Block started = cameraStartedBlock_) started();
    }
}

void GraphicsView::setImageForAsset(const CameraSampleBuffer& sampleBuffer, bool assetActive,
                                    int64_t assetOrientation) {
    if (!imageFromAsset_) return;
    if (assetActive && engineHasPendingFrame()) return;
    const std::shared_ptr<platform::CVPixelBuffer>& buffer = sampleBuffer.pixelBuffer;
    if (buffer && CVPixelBufferLockBaseAddress(buffer, 0) == platform::kCVReturnSuccess) {
        if (CVPixelBufferGetBaseAddress(buffer)) {
            const auto W = static_cast<int32_t>(buffer->width()), H = static_cast<int32_t>(buffer->height());
            const bool upOrDown = assetOrientation == 0 || assetOrientation == 2;
            const int64_t orientation = W >= H ? (upOrDown ? 2 : 3) : (upOrDown ? 0 : 1);
            if (graphicsController_) {
                engine()->SetInputPixelBuffer(sampleBuffer.presentationTime, sInputGeometry::Whole(W, H), 3,
                                              kPixelFormatBGRA, buffer);
            }
            currentImageSize_ = CGSizeMake(W, H);
            currentImageOrientation_ = orientation;
        }
        CVPixelBufferUnlockBaseAddress(buffer, 0);
    }
    if (!assetActive) drawView();
}

// ---- Rendering to images ------------------------------------------------------------------------

// A full-resolution render holds the main thread for seconds: between its passes the window
// shows the busy logo where its motion has come to. The pass just drawn is sent on first, so
// the driver's threads draw it while this thread composes.
static ScopedPassObserver WindowShownBetweenPasses(QV::Graphics::IDevice* device) {
    return ScopedPassObserver([device](int32_t, int32_t, int32_t) {
        if (!UIHostWindow::busyFrameDue()) return;
        if (device) device->Flush();
        UIHostWindow::presentWhileBusy();
    });
}

UIImagePtr GraphicsView::renderToImage(int64_t width, int64_t height, int64_t orientation, int32_t format,
                                       const void* pixels) {
    if (!graphicsController_) return nullptr;
    const ScopedPassObserver shown = WindowShownBetweenPasses(device());
    const auto w = static_cast<int32_t>(width), h = static_cast<int32_t>(height);
    return UIImageData::imageWithBitmap(engine()->RenderToImage(w, h, w, h, 0, 0, w, h, orientation, format, pixels));
}

UIImagePtr GraphicsView::drawCurrentImageToImage() {
    UIImagePtr image;
    if (!graphicsController_) return image;
    const ScopedPassObserver shown = WindowShownBetweenPasses(device());
    useCache([&] { image = UIImageData::imageWithBitmap(engine()->RenderCurrentImageToImage()); });
    return image;
}

UIImagePtr GraphicsView::drawImageDataToImageWithFilterScale(const ImageData* imageData, double filterScale) {
    if (!graphicsController_) return nullptr;
    const double saved = engine()->baseFilterScale.requestedScale;
    engine()->SetFilterScale(filterScale);
    UIImagePtr image = processImageData(
        imageData, [this](int64_t w, int64_t h, int64_t orientation, int32_t format, const void* pixels, bool) {
            return renderToImage(w, h, orientation, format, pixels);
        });
    engine()->SetFilterScale(saved);
    return image;
}

UIImagePtr GraphicsView::drawImageDataToImageWithReferenceSize(const ImageData* imageData, CGSize) {
    // The scale follows the picture's own size; the reference size does not enter the render.
    const CGSize size = imageData ? imageData->size() : CGSizeZero;
    return drawImageDataToImageWithFilterScale(imageData, filterScaleForPicture(size.width, size.height));
}

UIImagePtr GraphicsView::drawImageDataToImageWithReferenceImage(const ImageData* imageData,
                                                                const UIImagePtr& reference) {
    UIImagePtr image = drawImageDataToImageWithReferenceSize(imageData, reference ? reference->size() : CGSizeZero);
    setImageWithImage(reference);  // the preview shows the reference picture again
    return image;
}

UIImagePtr GraphicsView::drawImageDataToImageUsingCameraViewport(const ImageData* imageData) {
    const auto scale = static_cast<float>(contentScaleFactor());
    const CGSize b = bounds().size;
    return drawImageDataToImageWithReferenceSize(
        imageData, CGSizeMake(static_cast<float>(b.width) * scale, static_cast<float>(b.height) * scale));
}

UIImagePtr GraphicsView::drawImageToImageWithReferenceImage(const UIImagePtr& image, const UIImagePtr& reference) {
    return drawImageDataToImageWithReferenceImage(UIImageData::imageDataWithUIImage(image).get(), reference);
}

UIImagePtr GraphicsView::drawImageToImageWithReferenceSize(const UIImagePtr& image, CGSize referenceSize) {
    return drawImageDataToImageWithReferenceSize(UIImageData::imageDataWithUIImage(image).get(), referenceSize);
}

UIImagePtr GraphicsView::drawImageToImageWithFilterScale(const UIImagePtr& image, double filterScale) {
    return drawImageDataToImageWithFilterScale(UIImageData::imageDataWithUIImage(image).get(), filterScale);
}

UIImagePtr GraphicsView::drawImageToImageUsingCameraViewport(const UIImagePtr& image) {
    return drawImageDataToImageUsingCameraViewport(UIImageData::imageDataWithUIImage(image).get());
}

// ---- Display controls -------------------------------------------------------------------------

void GraphicsView::setShowOriginal(bool show) {
    if (graphicsController_) {
        // Remember the style in use when the original is first shown, and bring it back after
        // (unless another style was chosen in the meantime: that one stays).
        AmbrelGraphicsController* e = engine();
        if (show && !showOriginal_) styleBeforeShowOriginal_ = e->luminanceStyle;
        if (show) e->SetShowOriginal(eLuminanceStyle::None);
        else if (showOriginal_ && e->luminanceStyle == eLuminanceStyle::None)
            e->SetShowOriginal(styleBeforeShowOriginal_);
    }
    showOriginal_ = show;
    drawView();
}

void GraphicsView::setZoom(double zoom) {
    if (graphicsController_) engine()->SetZoom(static_cast<float>(zoom));
}

void GraphicsView::setLandscape(bool landscape) {
    if (graphicsController_) engine()->SetLandscape(landscape);
}

void GraphicsView::setFrontFacing(bool frontFacing) {
    // The engine's flag is true for the back camera.
    if (graphicsController_) engine()->SetFrontFacing(!frontFacing);
}

GraphicsView::CompareSplit GraphicsView::compareSplit(int o, CGSize bounds, CGPoint p, double angle) {
    CGPoint point;
    float base;
    switch (o) {
    case 4:  // landscape right
        point = CGPointMake(p.y, p.x);
        base = 4.71238899230957f;
        break;
    case 2:  // upside down
        point = CGPointMake(bounds.width - p.x, p.y);
        base = -0.0f;
        break;
    case 1:  // portrait
        point = CGPointMake(p.x, bounds.height - p.y);
        base = 3.1415927410125732f;
        break;
    default:
        point = CGPointMake(bounds.width - p.y, bounds.height - p.x);
        base = 1.5707963705062866f;
        break;
    }
    return {point, static_cast<float>(base - angle)};
}

void GraphicsView::setCompareShowing(bool showing, double angle, CGPoint point) {
    if (!graphicsController_) return;
    if (!showing) {
        engine()->SetCompareShowing(false);
        return;
    }
    const int orientation = static_cast<int>(UIApplication::sharedApplication().statusBarOrientation());
    const CompareSplit split = compareSplit(orientation, bounds().size, point, angle);
    const auto scale = static_cast<float>(contentScaleFactor());
    const float pixels[2] = {static_cast<float>(split.point.x) * scale, static_cast<float>(split.point.y) * scale};
    engine()->SetCompareShowing(true);
    engine()->SetComparePoint(pixels);
    engine()->SetCompareAngle(split.angle);
}

CGRect GraphicsView::currentDisplayFrame() const {
    if (!graphicsController_) return CGRectZero;
    const auto [w, h] = engine()->OutputFrameSize();
    return CGRectMake(0, 0, w, h);
}

bool GraphicsView::imageOrientationIsLandscape(int64_t orientation) {
    return orientation == 2 || orientation == 3 || orientation == 6 || orientation == 7;
}

// ---- Average colour ---------------------------------------------------------------------------

void GraphicsView::setAverageColor(const UIColor& color) {
    averageColor_ = color;
    if (delegate_) delegate_->graphicsViewAverageColorChanged(*this, color);
}

namespace {

// Mean of the colour channels of packed 32-bit pixels; `redOffset` and `blueOffset` are the
// byte positions of red and blue in a pixel.
UIColor MeanColor(const uint8_t* pixels, uint64_t width, uint64_t height, uint64_t bytesPerRow, int redOffset,
                  int blueOffset) {
    if (!pixels || width == 0 || height == 0) return UIColor::blackColor();
    double sum[3] = {0, 0, 0};
    for (uint64_t y = 0; y < height; ++y) {
        const uint8_t* row = pixels + y * bytesPerRow;
        for (uint64_t x = 0; x < width; ++x) {
            sum[0] += row[x * 4 + redOffset];
            sum[1] += row[x * 4 + 1];
            sum[2] += row[x * 4 + blueOffset];
        }
    }
    const double n = 255.0 * static_cast<double>(width) * static_cast<double>(height);
    return UIColor::colorWithRed(sum[0] / n, sum[1] / n, sum[2] / n, 1);
}

}  // namespace

void GraphicsView::setAverageColorFromImage(const UIImage& image) {
    std::optional<UIColor> color;
    UIImageData::dataForImage(
        [&](uint64_t w, uint64_t h, int64_t, int32_t format, const void* pixels) {
            const auto* bytes = static_cast<const uint8_t*>(pixels);
            color = format == ImageData::kFormatRGBA ? MeanColor(bytes, w, h, w * 4, 0, 2)
                                                     : MeanColor(bytes, w, h, w * 4, 2, 0);
        },
        image);
    setAverageColor(color.value_or(UIColor::blackColor()));
}

void GraphicsView::setAverageColorFromImage(const void* pixels, int64_t width, int64_t height, int64_t bytesPerRow) {
    // B, G, R, X in memory: 32-bit little-endian with the first (most significant) byte skipped.
    if (width <= 0 || height <= 0 || bytesPerRow < width * 4) return;
    setAverageColor(MeanColor(static_cast<const uint8_t*>(pixels), static_cast<uint64_t>(width),
                              static_cast<uint64_t>(height), static_cast<uint64_t>(bytesPerRow), 2, 0));
}
