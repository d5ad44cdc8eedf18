// The camera side of the screen: the live preview on and off (or the notice that there is no
// camera), the shutter and the saving of each photo taken, the square aspect, the flash and
// the front and back cameras.
#include <atomic>
#include <utility>

#include "app/AmbrelViewController.h"
#include "camera/buttons/FlashButtonView.h"
#include "camera/capture/CameraController.h"
#include "library/browser/PhotoCollectionView.h"
#include "model/AmbrelAppSettings.h"
#include "model/DeviceUtility.h"
#include "platform/foundation/Dispatch.h"
#include "ui/animation/AnimationUtility.h"
#include "ui/appearance/AppAppearance.h"
#include "ui/foundation/DispatchUtility.h"
#include "ui/images/UIImage+ImageUtility.h"
#include "ui/widgets/AmbrelActivityView.h"

namespace {

// One shutter for the process: from an accepted press until that photo's indicator has gone.
bool gShutterBusy = false;
std::atomic<int> gThumbnailsInFlight{0};

// The failures of one photo's saves, said once its indicator has gone (so the alert takes the
// next touch); the alert shows the first, and takes no other while it is up. Main thread.
class CaptureFailures {
public:
    void fail(const NSErrorPtr& error) {
        if (indicatorGone_) AmbrelViewController::reportSaveFailure(error);
        else if (!pending_) pending_ = error;
    }
    void indicatorGone() {
        indicatorGone_ = true;
        if (pending_) AmbrelViewController::reportSaveFailure(std::exchange(pending_, nullptr));
    }

private:
    bool indicatorGone_ = false;
    NSErrorPtr pending_;
};

}  // namespace

bool AmbrelViewController::shutterBusy() { return gShutterBusy; }
int AmbrelViewController::thumbnailsInFlight() { return gThumbnailsInFlight.load(); }

FlashButtonView* AmbrelViewController::flashButtonView() const {
    return dynamic_cast<FlashButtonView*>(leftItemView_.get());
}

void AmbrelViewController::animateCameraShowing(bool show) {
    graphicsView_->graphicsView()->showSupplementaryViews(show);
}

void AmbrelViewController::animateCameraEnabled(bool enabled) {
    if (!graphicsView_->cameraChanged()) {
        graphicsView_->setCameraChanged([this] {
            if (FlashButtonView* flash = flashButtonView())
                flash->setFlashMode(graphicsView_->graphicsView()->flashMode());
        });
    }
    if (!graphicsView_->cameraSnapRequested())
        graphicsView_->setCameraSnapRequested([this] { animateCameraButtonAction(); });
    // Without a camera no frame ever comes to fade the picture in: the viewfinder says so at
    // once, and the shutter cannot be pressed.
    const bool camera = cameraAvailable();
    showNoCameraNotice(enabled && !camera);
    if (enabled) cameraButtonView_->setEnabled(camera);
    if (enabled && camera) graphicsView_->setAlpha(0);
    std::weak_ptr<UIView> weak = graphicsView_;
    graphicsView_->animateCameraEnabled(enabled, enabled ? GraphicsContentView::Block([weak] {
                                            if (auto view = weak.lock())
                                                UIView::animateWithDuration(kCameraFadeIn,
                                                                            [view] { view->setAlpha(1); });
                                        })
                                                         : nullptr);
}

bool AmbrelViewController::cameraAvailable() const {
    return graphicsView_ && CameraController::of(*graphicsView_->graphicsView()).videoController().session() != nullptr;
}

void AmbrelViewController::showNoCameraNotice(bool show) {
    noCameraNoticeWanted_ = show;
    if (!show || viewfinderCovered_) {
        if (noCameraNotice_) noCameraNotice_->setHidden(true);
        return;
    }
    if (!noCameraNotice_) {
        noCameraNotice_ = std::make_shared<UILabel>(CGRectZero);
        noCameraNotice_->setText(kNoCameraNotice);
        noCameraNotice_->setFont(AppAppearance::defaultFontOfSize(kNoCameraNoticeFontSize));
        noCameraNotice_->setTextColor(AppAppearance::defaultLightColor());
        noCameraNotice_->setTextAlignment(NSTextAlignment::Center);
        noCameraNotice_->setUserInteractionEnabled(false);
        noCameraNotice_->sizeToFit();
        // Over the picture, under everything else.
        view()->insertSubviewAbove(noCameraNotice_, graphicsView_.get());
    }
    const CGRect viewfinder = AppConstants::defaultCameraViewFrame();
    noCameraNotice_->setCenter({CGRectGetMidX(viewfinder), CGRectGetMidY(viewfinder)});
    noCameraNotice_->setHidden(false);
}

void AmbrelViewController::animateCameraButtonAction() {
    // Busy only once a capture really starts: with the preview stopped, or no camera, nothing
    // is taken.
    if (gShutterBusy || !graphicsView_->graphicsView()->isAnimating() || !cameraAvailable()) return;
    gShutterBusy = true;
    std::weak_ptr<UIViewController> weak = weak_from_this();
    CameraController::of(*graphicsView_->graphicsView())
        .captureSnap(
            [this, weak] {
                if (!weak.expired()) animateShutter(nullptr);
            },
            [this, weak](const UIImagePtr& image, const std::optional<platform::ImageProperties>& metadata,
                         const NSErrorPtr& error) {
                if (weak.expired() || !image) {
                    gShutterBusy = false;
                    // No picture came: said as a failed save is, and nothing was written.
                    if (!weak.expired()) reportSaveFailure(error);
                    return;
                }
                AmbrelActivityView::beginAnimateActivityViewInView(graphicsView_, [this, weak, image, metadata](bool) {
                    if (!weak.expired()) saveCapture(image, metadata);
                    else AmbrelActivityView::finishAnimateActivityView([](bool) { gShutterBusy = false; });
                });
            });
}

void AmbrelViewController::animateShutter(BoolBlock completion) {
    std::shared_ptr<UIView> picture = graphicsView_;
    AnimationUtility::animateView(picture, AnimationUtility::reveal(true, false, kShutterReveal, {1, 1}, {0.01, 0.01}),
                                  [picture, completion](bool) {
                                      AnimationUtility::animateView(
                                          picture,
                                          AnimationUtility::reveal(true, false, kShutterReveal, {0.01, 0.01}, {1, 1}),
                                          [completion](bool finished) {
                                              if (completion) completion(finished);
                                          });
                                  });
}

void AmbrelViewController::saveCapture(const UIImagePtr& image,
                                       const std::optional<platform::ImageProperties>& metadata) {
    AmbrelAppSettings& settings = AmbrelAppSettings::sharedInstance();
    // A photo the library did not take is said, with the reason; nothing pretends otherwise.
    auto failures = std::make_shared<CaptureFailures>();
    auto done = [failures] {
        AmbrelActivityView::finishAnimateActivityView([failures](bool) {
            gShutterBusy = false;
            failures->indicatorGone();
        });
    };
    auto reportFailure = [failures](bool saved, const NSErrorPtr& error) {
        if (!saved) failures->fail(error);
    };
    PhotoCollectionView* photos = photoCollectionView_.get();
    const PhotoCollectionView::Metadata properties = metadata.value_or(PhotoCollectionView::Metadata{});
    if (settings.saveOriginal() && photos) photos->saveNewAssetWithImage(image, properties, reportFailure);

    const UIImagePtr processed = graphicsView_->processedImageForCameraImage(image);
    // A failed render saves nothing more.
    if (!processed || !photos) {
        reportFailure(false, PhotoCollectionView::saveError(processed ? "The photo library is not open yet."
                                                                      : "The engine could not render it."));
        return done();
    }

    // The album button shows the photo once the library has it: its picture is made off the
    // main thread, so a slow resize never holds up the next photo.
    std::weak_ptr<AlbumButtonView> album = albumButtonView_;
    auto showThumbnail = [processed, album] {
        auto worker = std::make_shared<DispatchUtility>();
        ++gThumbnailsInFlight;
        worker->performBlockAsync([worker, processed, album] {
            UIImagePtr thumbnail =
                ImageUtility::resizedImageWithContentMode(processed, UIViewContentMode::ScaleAspectFit,
                                                          {kThumbnailSide, kThumbnailSide}, kCGInterpolationDefault);
            dispatch_async(dispatch_get_main_queue(), [worker, thumbnail, album] {
                if (auto button = album.lock(); button && thumbnail) button->setImage(thumbnail, true);
                --gThumbnailsInFlight;
            });
        });
    };
    auto answer = [showThumbnail, reportFailure](bool saved, const NSErrorPtr& error) {
        if (saved) showThumbnail();
        else reportFailure(saved, error);
    };
    if (settings.cameraSaveMethod() != SaveMethodExport && settings.saveType() == SaveTypeJPEG)
        photos->saveNewAssetWithImage(processed, image, State::currentState().data(), properties, answer);
    else photos->exportNewAssetWithImage(processed, properties, answer);
    done();
}

void AmbrelViewController::animateAspectButtonAction() {
    graphicsView_->setSquareAspectRatio(!graphicsView_->squareAspectRatio());
}

void AmbrelViewController::animateFlashButtonAction() {
    if (FlashButtonView* flash = flashButtonView()) graphicsView_->graphicsView()->setFlashMode(flash->flashMode());
}

void AmbrelViewController::animateFrontBackButtonAction() {
    std::shared_ptr<UIView> picture = graphicsView_;
    std::shared_ptr<GraphicsView> camera = graphicsView_->graphicsView();
    auto fadeIn = [picture] { UIView::animateWithDuration(kSwapFadeIn, [picture] { picture->setAlpha(1); }); };
    UIView::animateWithDuration(
        kSwapFadeOut, [picture] { picture->setAlpha(0); },
        [camera, fadeIn](bool) {
            // A swap that cannot start brings the picture back at once.
            if (!camera->isAnimating() || !camera->camera()) return fadeIn();
            camera->setCameraSwappedBlock([target = camera.get(), fadeIn] {
                const auto then = fadeIn;
                target->setCameraSwappedBlock(nullptr);
                then();
            });
            camera->swapFrontAndBackFacing();
        });
}
