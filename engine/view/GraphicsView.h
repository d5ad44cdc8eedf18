#pragma once
// The one on-screen surface of the image-processing engine: a view backed by the GL layer that
// owns the graphics device made on that layer and the engine drawing into it. It keeps the
// engine's view rectangle in step with its size and content scale, runs a display link while
// the camera runs (and draws on demand otherwise), takes photos and camera frames as input,
// renders the current picture to images at full resolution, and sets the engine's parameters
// by name, with their defaults, a cache of what a parameter set changed and the master values.
//
// It is the editing model's engine (EditingEngine), handed to the model by the application;
// `sharedInstance` answers the view of the process. Main thread only; the device's context is
// current on it.
//
// The source files: GraphicsView.cpp (layer, engine, frame loop, sizing, life cycle),
// GraphicsViewImage.cpp (inputs, renders to images, display controls),
// GraphicsViewAdjustments.cpp (named parameters, and the editing model's engine),
// GraphicsView+Camera.cpp (the live camera: start, stop, swap,
// flash and the frame entry), GraphicsView+SquareOverlay.cpp (the square crop overlay and the
// grid), GraphicsView+Recording.cpp (movies through the engine), GraphicsView+TestAdjustments.cpp
// (the developers' tuning panel). The camera's side of the view (its capture controller, focus,
// snaps and movie player) is the camera layer's CameraController, which the view drives
// through GraphicsViewCamera.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "engine/EngineRecords.h"
#include "engine/view/ImageData.h"
#include "model/EditingEngine.h"
#include "modes/AdjustmentDictionary.h"
#include "modes/ModeSelection.h"
#include "platform/coremedia/CMSampleBuffer.h"
#include "platform/opengles/CAEAGLLayer.h"
#include "platform/quartzcore/CADisplayLink.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UITouch.h"
#include "platform/uikit/UIView.h"

class AmbrelGraphicsController;
class GraphicsView;
namespace platform {
class CVPixelBuffer;
}
namespace QV::Graphics {
class IDevice;
}

using AdjustmentRange = Modes::AdjustmentRange;

// A camera or video frame as the engine takes it: the pixel buffer (BGRA) and its
// presentation time in the engine's time record.
struct CameraSampleBuffer {
    std::shared_ptr<platform::CVPixelBuffer> pixelBuffer;
    sFrameTime presentationTime;

    // The view of a capture sample buffer (the time converted at this boundary).
    static CameraSampleBuffer of(const platform::CMSampleBufferRef& sampleBuffer);
};

// The live camera as the view drives it. The camera layer gives it (its capture controller)
// through the maker it installs with GraphicsView::setCameraMaker; a view made while none is
// installed has no camera, and its camera steps do nothing. The camera controls that attach to
// the view (focus, zoom, the square overlay, the volume shutter) come through it too; until the
// camera layer has them they do nothing.
class GraphicsViewCamera {
public:
    virtual ~GraphicsViewCamera() = default;
    virtual bool isFrontFacing() const = 0;
    virtual void start() = 0;
    virtual void stop() = 0;
    virtual void swapFrontAndBackCameras(bool video) = 0;
    // -1 when the active camera has none.
    virtual int64_t flashMode() const = 0;
    virtual void setFlashMode(int64_t mode) = 0;
    virtual void enableFocus() {}
    virtual void disableFocus() {}
    virtual void enableZoom() {}
    virtual void disableZoom() {}
    virtual void resetFocusView() {}
    virtual void setSquareAspectRatioHidden(bool hidden) {}
    // The views over the preview (the focus squares) shown or hidden.
    virtual void showSupplementaryViews(bool show) {}
    virtual void cameraSnapRequestsEnabled(bool enabled) {}
    // The shutter action the camera's own triggers (the volume buttons) run.
    virtual void setSnapRequestBlock(std::function<void()> block) {}
};

// What the view tells its delegate. Every message has an empty default.
class GraphicsViewDelegate {
public:
    virtual ~GraphicsViewDelegate() = default;
    virtual void graphicsViewAverageColorChanged(GraphicsView& view, const UIColor& color) {}
    // The first camera frame ever accepted.
    virtual void graphicsViewDidGetImage(GraphicsView& view) {}
    // The first camera frame after the camera was started.
    virtual void graphicsViewDidGetNextImage(GraphicsView& view) {}
    virtual void graphicsViewTouchesBegan(GraphicsView& view, const UITouchSet& touches) {}
    virtual void graphicsViewTouchesEnded(GraphicsView& view, const UITouchSet& touches) {}
    // A parameter was changed on the developers' tuning panel (while the render loop is idle).
    virtual void graphicsViewTestAdjustmentFinished(GraphicsView& view) {}
};

class UIButton;
class UILabel;
class UIScrollView;
class UISlider;
class UITextField;

// The developers' tuning panel's parts (one panel per process, see toggleTestAdjustments).
struct TestAdjustmentsPanel {
    std::weak_ptr<UIView> host;
    std::shared_ptr<UIScrollView> scrollView;
    std::shared_ptr<UIButton> toggleButton, actionButton;
    std::shared_ptr<UITextField> filterField;
    // Every parameter's row, in the defaults' order; each holds its value label (tag 1), name
    // label (tag 2) and slider (tag 3).
    std::vector<std::shared_ptr<UIView>> rows;
    // Save, Load, Undo, Defaults, Store, Apply, Apply/Replace; made when the menu first opens.
    std::vector<std::shared_ptr<UIButton>> menuButtons;
    std::weak_ptr<UISlider> undoSlider;
    float undoValue = 0;
    std::optional<std::string> storedSet;
};

class GraphicsView : public UIView, public EditingEngine {
public:
    // The engine's styleStageMode around a redraw: render and keep the intermediate result,
    // render from the kept result, or neither.
    enum CachedTextureState : int32_t {
        kCacheTexture = ModeIndex(eStyleStageMode::RenderAndKeep),
        kUseCachedTexture = ModeIndex(eStyleStageMode::RenderFromKept),
        kNoCachedTexture = ModeIndex(eStyleStageMode::Neither),
    };

    // Image-data block of processImageData: (width, height, orientation, engine pixel format
    // 1 BGRA / 2 RGBA, pixels valid during the call, real picture) → the render result or null.
    using ImageDataBlock = std::function<UIImagePtr(int64_t width, int64_t height, int64_t orientation, int32_t format,
                                                    const void* pixels, bool realImage)>;
    using Block = std::function<void()>;

    static LayerClass layerClass();
    // Views are owned by shared pointers: std::make_shared<GraphicsView>(frame).
    explicit GraphicsView(CGRect frame);
    ~GraphicsView() override;

    // The last view made (null before the first, and after it went away).
    static GraphicsView* sharedInstance();
    // The GL maximum texture size of the current device (0 without one).
    static int32_t maxTextureSize();

    platform::CAEAGLLayer& eaglLayer() const;
    // Null when no GL context could be made for the layer.
    QV::Graphics::IDevice* device() const { return device_.get(); }
    AmbrelGraphicsController* graphicsController() const { return graphicsController_.get(); }

    GraphicsViewDelegate* delegate() const { return delegate_; }
    void setDelegate(GraphicsViewDelegate* delegate) { delegate_ = delegate; }  // not owned

    // ---- Frame loop ----------------------------------------------------------------------
    void startAnimation();
    void stopAnimation();
    bool isAnimating() const override { return animating_; }
    int64_t animationFrameInterval() const { return animationFrameInterval_; }
    // Below 1 is ignored; a running link restarts with the new interval.
    void setAnimationFrameInterval(int64_t interval);
    bool useCommonModesRunLoop() const { return useCommonModesRunLoop_; }
    void setUseCommonModesRunLoop(bool common);
    const std::shared_ptr<CADisplayLink>& displayLink() const { return displayLink_; }
    // The engine's frame: it draws only when an input or a change is waiting.
    void drawView();
    // Draws in the given cached-texture state, then calls the graphics-changed block.
    void reconstructAndDrawView(int32_t state);
    double frameRate() const;

    // ---- Sizing --------------------------------------------------------------------------
    void layoutSubviews() override;
    void setFrame(CGRect frame) override;
    void setFrameWithContentScale(CGRect frame, CGFloat scale);
    void resetContentScaleFactor(CGFloat scale);

    // ---- Application events (forwarded by the container and the application delegate) ----
    void applicationWillResignActive();
    void applicationDidEnterBackground();
    void applicationWillEnterForeground() {}
    void applicationDidBecomeActive();

    // ---- Touches (told to the delegate, not passed on) -------------------------------------
    void touchesBegan(const UITouchSet& touches, const UIEvent* event) override;
    void touchesEnded(const UITouchSet& touches, const UIEvent* event) override;

    // ---- Camera feed ---------------------------------------------------------------------
    using CameraMaker = std::function<std::unique_ptr<GraphicsViewCamera>(GraphicsView& view)>;
    // Installed by the camera layer (CameraController::installInGraphicsViews).
    static void setCameraMaker(CameraMaker maker);
    // Made on first use by the installed maker (null without one).
    GraphicsViewCamera* camera();
    // Live noise reduction, the next-frame notification, the mirror, focus, zoom, the square
    // overlay and the volume shutter, the controller, and last the render loop; stopping
    // undoes them in the opposite order, ending with full-quality noise reduction.
    void startVideoController();
    void stopVideoController();
    void swapFrontAndBackFacing();
    int64_t flashMode();
    void setFlashMode(int64_t mode);
    // The camera told of a swap with the first frame after it.
    void videoControllerWillSwapFrontAndBack(bool towardsFront) {}
    void videoControllerDidSwapFrontAndBack(bool nowFront);
    void setImage(const platform::CMSampleBufferRef& sampleBuffer);
    // Audio for a movie recording (none is switched on).
    void setAudio(const platform::CMSampleBufferRef& sampleBuffer);

    // --- Movie recording (GraphicsView+Recording.cpp) -------------------------------------
    // The movie's pixel size from the next recording on.
    void setVideoOutputSize(CGSize size);
    // Records the rendered frames from now on, with sound; only once the engine has an input.
    void beginVideoRecordingWithOrientation(int64_t orientation);
    // The finished movie's file; empty when it failed or none was recording.
    std::string finishVideoRecording();
    bool beginVideoAssetRecording();
    bool endVideoAssetRecording();
    void restoreVideoAssetOrientation();
    // A movie frame through the engine: the sub-width × height middle of width × height pixels
    // in the engine byte order `format` (a player's frames are BGRA, others' often RGBA); true
    // when `buffer` and `bufferTime` received a processed frame with a new time.
    bool renderForVideoAssetRecording(int32_t width, int32_t height, int32_t subWidth, int32_t outputWidth,
                                      int32_t outputHeight, int64_t orientation, int64_t cameraViewportImageOrientation,
                                      const void* pixels, sFrameTime pixelsTime, uint64_t bufferBytesPerRow,
                                      void* buffer, sFrameTime* bufferTime, int32_t format = kPixelFormatRGBA);
    void enableFocus();
    void disableFocus();
    void enableZoom();
    void disableZoom();
    void resetFocusView();
    void cameraSnapRequestsEnabled(bool enabled);
    bool hdrEnabled() const { return hdrEnabled_; }
    void toggleHDR() { hdrEnabled_ = !hdrEnabled_; }

    // ---- Square crop overlay and grid (GraphicsView+SquareOverlay.cpp) --------------------
    // The square is the view's mask: a clear view of the bounds holding one black square,
    // which springs between the whole bounds and the centred square of the shorter side.
    static constexpr NSTimeInterval kSquareAnimationDuration = 0.4;
    static constexpr CGFloat kSquareSpringDamping = 0.6;
    static constexpr CGFloat kGridAlpha = 0.4;
    bool squareAspectRatio() const { return squareAspectRatio_; }
    void setSquareAspectRatio(bool square, bool animated = true);
    // Hiding (the camera stops) turns the overlay off and remembers it; showing brings a
    // remembered overlay back at once.
    void setSquareAspectRatioHidden(bool hidden);
    bool restoreSquareAspectRatio() const { return restoreSquareAspectRatio_; }
    void setRestoreSquareAspectRatio(bool restore) { restoreSquareAspectRatio_ = restore; }
    // The composition grid over the visible square (or the whole view), only while the
    // settings ask for one; at most one.
    void showGridView(bool show);
    const std::shared_ptr<UIView>& gridView() const { return gridView_; }
    void setGridView(std::shared_ptr<UIView> grid) { gridView_ = std::move(grid); }
    // The focus squares and the grid, e.g. hidden while a picture is compared.
    void showSupplementaryViews(bool show);
    // The overlay and the grid kept to the view's size when it changes.
    void layoutSquareOverlay();
    const Block& cameraStartedBlock() const { return cameraStartedBlock_; }
    void setCameraStartedBlock(Block block) { cameraStartedBlock_ = std::move(block); }
    const Block& cameraSwappedBlock() const { return cameraSwappedBlock_; }
    void setCameraSwappedBlock(Block block) { cameraSwappedBlock_ = std::move(block); }
    const Block& cameraSnapRequestBlock() const { return cameraSnapRequestBlock_; }
    // Also the action of the camera's own shutter triggers.
    void setCameraSnapRequestBlock(Block block);
    // The camera's zoom (1 when not zoomed); stills are taken with it as their crop factor.
    double cameraZoomScale() const { return cameraZoomScale_; }
    void setCameraZoomScale(double scale) { cameraZoomScale_ = scale; }

    // ---- Cached-texture state ------------------------------------------------------------
    void useCachedTextureState(int32_t state, const Block& block);
    void cache(const Block& block) { useCachedTextureState(kCacheTexture, block); }
    void useCache(const Block& block) { useCachedTextureState(kUseCachedTexture, block); }

    // ---- Photo input ---------------------------------------------------------------------
    void setImageWithImage(const UIImagePtr& image);
    // Null (or a source without data) gives a 2 × 2 black input.
    void setImageWithImageData(const ImageData* imageData);
    UIImagePtr processImageData(const ImageData* imageData, const ImageDataBlock& block);
    void drawBlackImage();

    // ---- Camera and asset frames ---------------------------------------------------------
    // A live camera frame (main thread). Dropped while the engine still has a frame to draw,
    // and while the loop is stopped once a frame was accepted.
    void setImage(const CameraSampleBuffer& sampleBuffer);
    // A video-asset frame, taken only while imageFromAsset is set. `assetActive`: the asset is
    // playing; `assetOrientation`: the asset's image orientation.
    void setImageForAsset(const CameraSampleBuffer& sampleBuffer, bool assetActive, int64_t assetOrientation);
    // The part of a W × H camera frame the view shows: the largest rectangle of the view's
    // aspect turned by a quarter, centred (integral origin and size).
    static CGRect cameraCropRect(CGSize frameSize, CGSize viewBounds);

    // ---- Rendering to images (null on failure) -------------------------------------------
    UIImagePtr drawCurrentImageToImage();
    UIImagePtr drawImageDataToImageWithFilterScale(const ImageData* imageData, double filterScale);
    UIImagePtr drawImageDataToImageWithReferenceSize(const ImageData* imageData, CGSize referenceSize);
    UIImagePtr drawImageDataToImageWithReferenceImage(const ImageData* imageData, const UIImagePtr& reference);
    UIImagePtr drawImageDataToImageUsingCameraViewport(const ImageData* imageData);
    UIImagePtr drawImageToImageWithReferenceImage(const UIImagePtr& image, const UIImagePtr& reference);
    UIImagePtr drawImageToImageWithReferenceSize(const UIImagePtr& image, CGSize referenceSize);
    UIImagePtr drawImageToImageWithFilterScale(const UIImagePtr& image, double filterScale);
    UIImagePtr drawImageToImageUsingCameraViewport(const UIImagePtr& image);

    // ---- Display controls ----------------------------------------------------------------
    // On shows the unprocessed input; off brings back the style that was set before.
    void setShowOriginal(bool show);
    bool showOriginal() const { return showOriginal_; }
    void setZoom(double zoom);
    void setLandscape(bool landscape);
    void setFrontFacing(bool frontFacing);
    // The before/after split through `point` (view points) at `angle` radians, turned with the
    // interface orientation.
    void setCompareShowing(bool showing, double angle, CGPoint point);
    struct CompareSplit {
        CGPoint point;  // view points
        float angle;    // radians
    };
    // The split point and angle the engine gets for a touch, before the content scale.
    static CompareSplit compareSplit(int statusBarOrientation, CGSize bounds, CGPoint point, double angle);

    CGSize currentImageSize() const { return currentImageSize_; }
    int64_t currentImageOrientation() const { return currentImageOrientation_; }
    void setCurrentImageOrientation(int64_t orientation) { currentImageOrientation_ = orientation; }
    CGSize nativeVideoDimensions() const { return nativeVideoDimensions_; }
    void setNativeVideoDimensions(CGSize size) { nativeVideoDimensions_ = size; }
    double normalizedFilterScaleDimension() const { return normalizedFilterScaleDimension_; }
    void setNormalizedFilterScaleDimension(double d) { normalizedFilterScaleDimension_ = d; }
    bool notifyNextImage() const { return notifyNextImage_; }
    void setNotifyNextImage(bool notify) { notifyNextImage_ = notify; }
    bool imageFromAsset() const { return imageFromAsset_; }
    void setImageFromAsset(bool fromAsset) { imageFromAsset_ = fromAsset; }
    // (0, 0, engine output width, height) in pixels.
    CGRect currentDisplayFrame() const;
    static bool imageOrientationIsLandscape(int64_t orientation);
    bool currentImageOrientationIsLandscape() const { return imageOrientationIsLandscape(currentImageOrientation_); }
    const Block& graphicsChanged() const { return graphicsChanged_; }
    void setGraphicsChanged(Block block) { graphicsChanged_ = std::move(block); }

    // ---- Average colour ------------------------------------------------------------------
    const std::optional<UIColor>& averageColor() const { return averageColor_; }
    void setAverageColor(const UIColor& color);
    void setAverageColorFromImage(const UIImage& image);
    // BGRX pixels (first byte of each 32-bit little-endian pixel skipped).
    void setAverageColorFromImage(const void* pixels, int64_t width, int64_t height, int64_t bytesPerRow);

    // ---- Named parameters ----------------------------------------------------------------
    float getAdjustment(const std::string& name) override;
    std::string getAdjustmentString(const std::string& name) override;
    std::string adjustmentValueDescription(const std::string& name, float value);
    void setAdjustment(const std::string& name, float value) override { setAdjustment(name, value, true); }
    void setAdjustment(const std::string& name, float value, bool reconstructOutput);

    // Defaults: the values the engine holds before the first named change, read once per
    // process.
    void ensureAdjustmentDefaultsAreInitialized();
    const std::map<std::string, float>& defaultAdjustmentsDictionary();
    float getAdjustmentDefault(const std::string& name);
    void setAdjustmentDefault(const std::string& name);
    void setAdjustmentDefaults();
    void setAdjustmentDefaultsExcludingAdjustments(const Modes::AdjustmentNameSet& excluded);

    // A whole parameter set: with `excluded` given, every other parameter not named by the set
    // returns to its default; excluded names are neither set nor reset. With `cache`, every
    // value set is recorded and the master values are cached afterwards.
    void setAdjustments(const Modes::AdjustmentDictionary& adjustments,
                        const Modes::AdjustmentNameSet* excluded) override {
        setAdjustments(adjustments, excluded, false);
    }
    void setAdjustments(const Modes::AdjustmentDictionary& adjustments, const Modes::AdjustmentNameSet* excluded,
                        bool cache);

    void beginCachingAdjustments();
    const std::map<std::string, float>& endCachingAdjustments();
    const std::map<std::string, float>& cachedAdjustmentsDictionary();
    float getCachedAdjustment(const std::string& name) override;
    void cacheMasterAdjustments();
    // One of the three cached masters (the getter itself before the first cache).
    using MasterGetter = float (GraphicsView::*)() const;
    float getCachedMasterAdjustment(MasterGetter getter);

    // Master values (none redraws; the caller does).
    void setBrightness(float value);
    float brightness() const;
    void setContrast(float value);
    float contrast() const;
    void setVignette(float value);
    float vignette() const;
    void setNoise(float value);
    float noise() const;
    float defaultNoise() const;
    void setColorStrength(float value);
    float colorStrength() const;
    float defaultColorStrength() const;
    void setFilmicStrength(float value);
    float filmicStrength() const;
    AdjustmentRange contrastRange() const { return contrastRange_; }
    void setContrastRange(AdjustmentRange range) { contrastRange_ = range; }
    AdjustmentRange brightnessRange() const { return brightnessRange_; }
    void setBrightnessRange(AdjustmentRange range) { brightnessRange_ = range; }
    const std::string& brightnessContrastUniqueId() const { return brightnessContrastUniqueId_; }
    void setBrightnessContrastUniqueId(std::string id) { brightnessContrastUniqueId_ = std::move(id); }

    // ---- The editing model's engine (GraphicsViewAdjustments.cpp) -------------------------
    // A mode: its identifier and ranges, then its set with caching (every parameter outside
    // `excluded` that the set does not name back at its default).
    void setMode(const Modes::AdjustmentDictionary& adjustments, const Modes::ModeSelection& selection,
                 const Modes::AdjustmentNameSet& excluded) override;
    float master(Master which) override;
    void setMaster(Master which, float value) override;
    float masterDefault(Master which) override;
    bool realtimeNoiseReductionAvailable() const override { return useRealtimeNoiseReduction(); }
    // The engine's frame again, in the cached-texture state that useCache selects.
    void redraw(bool useCache) override;

    // ---- Developers' tuning panel (GraphicsView+TestAdjustments.cpp) -----------------------
    // No control of the program opens it. The first call builds the panel into `host` (its
    // list, menu and filter hidden, only the toggle button showing); later calls show or hide
    // it. A panel whose host has gone is built afresh.
    void toggleTestAdjustments(UIView& host);
    // The panel, once built (null before).
    static TestAdjustmentsPanel* testAdjustmentsPanel();
    void testAdjustmentWillChange(UISlider& slider);
    void testAdjustmentChanged(UISlider& slider);
    void testAdjustmentFinished(UISlider& slider);
    void applyAdjustment(UISlider& slider);
    void finishApplyAdjustment();
    void adjustmentNameTapGesture(UILabel& nameLabel);
    void testAdjustmentsAction();
    // Every row's value, one line each, on the general pasteboard.
    void testAdjustmentsSave();
    void testAdjustmentsLoad();
    // Lines in the save format, or "name: value"; others are skipped.
    void testAdjustmentsLoadWithString(const std::string& text);
    void testAdjustmentsUndo();
    void testAdjustmentsDefaults();
    void testAdjustmentsStore();
    void testAdjustmentsApply();
    void testAdjustmentsApplyReplace();
    void testAdjustmentsFilter();
    void testAdjustmentsFilterClear();
    void testAdjustmentFilterViews(const std::vector<std::shared_ptr<UIView>>& rows);
    // The parameter's row (when the panel has one) shows the value the engine now holds.
    void testAdjustmentShowValue(const std::string& name);
    // The save format over the rows, with the values the engine holds.
    std::string testAdjustmentsText(const std::vector<std::shared_ptr<UIView>>& rows);

    // Live changes: cheaper noise reduction while a slider is dragged in photo editing.
    static bool useRealtimeNoiseReduction();
    static bool useNonRealtimeNoiseReduction() { return true; }
    void adjustmentWillBeginChange() override;
    void adjustmentWillFinishChange() override;
    bool automaticAlpha() const { return false; }

private:
    void initialize();
    // The engine with the view's device current (null without an engine).
    AmbrelGraphicsController* engine() const;
    void setViewRectFromBounds(CGFloat scale);
    UIImagePtr renderToImage(int64_t width, int64_t height, int64_t orientation, int32_t format, const void* pixels);
    // Frame waiting for the display link (a camera frame is not queued behind it).
    bool engineHasPendingFrame() const;
    double filterScaleForPicture(double width, double height) const;

    // Frame loop and life cycle.
    bool animating_ = false;
    bool useCommonModesRunLoop_ = false;
    int64_t animationFrameInterval_ = 1;
    std::shared_ptr<CADisplayLink> displayLink_;
    std::unique_ptr<QV::Graphics::IDevice> device_;
    bool imageSetFromSampleBuffer_ = false;
    bool initialImageSetFromSampleBuffer_ = false;
    bool imageFromAsset_ = false;
    bool notifyNextImage_ = false;
    bool hdrEnabled_ = false;
    GraphicsViewDelegate* delegate_ = nullptr;
    std::unique_ptr<AmbrelGraphicsController> graphicsController_;
    std::unique_ptr<GraphicsViewCamera> camera_;
    bool squareAspectRatio_ = false;
    bool restoreSquareAspectRatio_ = false;
    std::shared_ptr<UIView> gridView_;
    double cameraZoomScale_ = 1.0;
    bool showOriginal_ = false;
    eLuminanceStyle styleBeforeShowOriginal_ = eLuminanceStyle::CIE;
    bool wasAnimatingWhenResigningActive_ = false;
    std::optional<CGRect> lastBounds_;

    // Inputs.
    std::optional<UIColor> averageColor_;
    CGSize currentImageSize_ = CGSizeZero;
    int64_t currentImageOrientation_ = 0;
    double normalizedFilterScaleDimension_ = 0;
    CGSize nativeVideoDimensions_ = CGSizeZero;
    Block graphicsChanged_;
    Block cameraStartedBlock_;
    Block cameraSwappedBlock_;
    Block cameraSnapRequestBlock_;

    // Master ranges.
    AdjustmentRange contrastRange_;
    AdjustmentRange brightnessRange_;
    std::string brightnessContrastUniqueId_;
};
