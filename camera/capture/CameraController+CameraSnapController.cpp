// The camera's snaps: one still in the device's orientation at the view's zoom, cut to a square
// while the view's square crop is on, optionally saved to the album; the shutter with its wait
// for the focus; and the volume buttons as a shutter.
#include <algorithm>
#include <memory>

#include "camera/capture/CameraController.h"
#include "camera/capture/VolumeButtonController.h"
#include "engine/view/GraphicsView.h"
#include "library/saving/UIImage+CameraUtility.h"
#include "model/AmbrelAppSettings.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIScreen.h"
#include "ui/animation/PositioningUtility.h"
#include "ui/images/UIImage+ImageUtility.h"

UIImagePtr CameraController::croppedImage(const UIImagePtr& image) const {
    if (!view_.squareAspectRatio() || !image) return image;
    const CGSize size = image->size();
    const CGFloat side = std::min(size.width, size.height);
    return ImageUtility::croppedImage(image,
                                      PositioningUtility::rectWithSizeCenteredInRectSize(CGSizeMake(side, side), size));
}

void CameraController::snap(SnapCompletion completion) {
    const auto orientation = static_cast<int64_t>(UIDevice::currentDevice().orientation());
    controller_.captureStillImage(
        [this, completion](StillImageCapturePtr capture) {
            const UIImagePtr image = croppedImage(capture->image());
            if (completion) completion(image, image ? capture->metadata() : std::nullopt, capture->error());
        },
        orientation, view_.cameraZoomScale());
}

void CameraController::captureSnap(Block block, SnapCompletion completion) {
    UIApplication::sharedApplication().beginIgnoringInteractionEvents();
    waitForFocus([this, block, completion](bool) {
        UIApplication::sharedApplication().endIgnoringInteractionEvents();
        if (block) block();
        snap([this, completion](const UIImagePtr& image, const std::optional<platform::ImageProperties>& metadata,
                                const NSErrorPtr& error) {
            // The still is worked on at full quality; the live preview goes back to its own.
            view_.setAdjustment("NR On/Off", GraphicsView::useNonRealtimeNoiseReduction() ? 1.0f : 0.0f, false);
            if (completion) completion(image, metadata, error);
            view_.setAdjustment("NR On/Off", GraphicsView::useRealtimeNoiseReduction() ? 1.0f : 0.0f, false);
        });
    });
}

void CameraController::snapAndSave(BoolBlock snapCompletion, BoolBlock saveCompletion) {
    snap([this, snapCompletion, saveCompletion](
             const UIImagePtr& image, const std::optional<platform::ImageProperties>& metadata, const NSErrorPtr&) {
        const auto tellSnap = [&snapCompletion](bool taken) {
            if (snapCompletion) snapCompletion(taken);
        };
        if (!image) {  // nothing was taken, so nothing is saved
            tellSnap(false);
            if (saveCompletion) saveCompletion(false);
            return;
        }
        // The saves run one after the other; the last one's end answers for all of them.
        const auto save = [metadata](const UIImagePtr& picture, std::function<void(bool)> then) {
            CameraUtility::saveToAlbumWithMetadata(picture, metadata, [then](NSErrorPtr error) { then(!error); });
        };
        const auto done = [saveCompletion](bool saved) {
            if (saveCompletion) saveCompletion(saved);
        };
        if (!view_.hdrEnabled()) {
            tellSnap(true);
            save(image, done);
            return;
        }
        const UIImagePtr processed = view_.drawImageToImageWithReferenceSize(image, view_.currentImageSize());
        tellSnap(true);
        const auto saveProcessed = [save, processed, done](bool originalSaved) {
            if (!processed) return done(false);
            save(processed, [originalSaved, done](bool saved) { done(originalSaved && saved); });
        };
        if (AmbrelAppSettings::sharedInstance().saveOriginal()) save(image, saveProcessed);
        else saveProcessed(true);
    });
}

void CameraController::setVolumeSnapEnabled(bool enabled) {
    if (enabled) VolumeButtonController::sharedInstance().enable();
    else VolumeButtonController::sharedInstance().disable();
}

void CameraController::setVolumeSnapBlock(Block block) {
    VolumeButtonController::sharedInstance().setAction(std::move(block));
}
