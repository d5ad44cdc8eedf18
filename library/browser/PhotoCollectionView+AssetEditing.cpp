// PhotoCollectionView: the edit input, the full-size read, the change queue and the changes.
#include <algorithm>
#include <cmath>
#include <filesystem>

#include "engine/view/UIImageData.h"
#include "library/browser/PhotoCollectionView.h"
#include "model/DeviceUtility.h"
#include "platform/foundation/Dispatch.h"
#include "platform/photos/PHAssetChangeRequest.h"
#include "platform/photos/PHContentEditingOutput.h"
#include "platform/photos/PhotoBitmaps.h"
#include "platform/uikit/UIApplication.h"

namespace {

using Bitmap = platform::ImageBitmap;

constexpr const char* kNoEdit = "The photo is no longer open for editing.";
constexpr const char* kNoLibrary = "The photo library is not open.";

std::vector<std::uint8_t> bytesOf(const std::string& data) { return {data.begin(), data.end()}; }

std::string upperExtension(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    if (!ext.empty()) ext.erase(0, 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return ext;
}

// TIFF files are read with their own orientation; the others take the library's.
int fileOrientation(const platform::ImageSource& source, const std::string& path, int libraryOrientation) {
    return upperExtension(path).rfind("TIF", 0) == 0 ? source.exifOrientation(0) : libraryOrientation;
}

std::optional<Bitmap> crop(const Bitmap& bitmap, CGRect r) {
    const auto x0 = static_cast<std::uint32_t>(r.origin.x), y0 = static_cast<std::uint32_t>(r.origin.y);
    const auto w = static_cast<std::uint32_t>(r.size.width), h = static_cast<std::uint32_t>(r.size.height);
    if (x0 == 0 && y0 == 0 && w == bitmap.width && h == bitmap.height) return bitmap;
    auto out = Bitmap::make(w, h, bitmap.format);
    if (!out) return std::nullopt;
    for (std::uint32_t y = 0; y < h; ++y) std::copy_n(bitmap.pixel(x0, y0 + y), std::size_t{w} * 4, out->pixel(0, y));
    return out;
}

}  // namespace

// ---- Edit input ----------------------------------------------------------------------------

bool PhotoCollectionView::canHandleAdjustmentData(const PHAdjustmentData& data) {
    return data.formatIdentifier == kAdjustmentFormatIdentifier && data.formatVersion == kAdjustmentFormatVersion;
}

void PhotoCollectionView::beginEditingAssetAtIndexPath(const NSIndexPath& indexPath, EditingCompletion completion) {
    auto asset = assetAtIndexPath(indexPath);
    if (!asset) {
        onMain({}, [completion](PhotoCollectionView*) {
            if (completion) completion(nullptr, std::nullopt);
        });
        return;
    }
    // A new edit replaces whatever was open or on its way.
    cancelEditingForAssetIndexPath(indexPath);
    const std::uint64_t generation = ++editingGeneration_;
    const std::uint64_t progressRequest = beginProgressRequest();
    std::weak_ptr<UIView> weak = weak_from_this();

    PHContentEditingInputRequestOptions options;
    options.networkAccessAllowed = true;
    options.canHandleAdjustmentData = &canHandleAdjustmentData;
    options.progressHandler = [weak, progressRequest](double progress, bool*) {
        onMain(weak, [progress, progressRequest](PhotoCollectionView* self) {
            if (self) self->applyProgressView(true, progress, progressRequest);
        });
    };
    assetEditingRequestAsset_ = asset;
    assetEditingInputId_ = asset->requestContentEditingInputWithOptions(
        options, [weak, generation, progressRequest, completion](std::shared_ptr<PHContentEditingInput> input,
                                                                 const PHContentEditingInfo&) {
            auto strong = weak.lock();
            auto* self = static_cast<PhotoCollectionView*>(strong.get());
            if (self) {
                self->endProgressRequest(progressRequest);
                self->applyProgressView(false, 1.0, progressRequest);
            }
            // Cancelled or replaced meanwhile: nothing is stored and nothing reported.
            if (!self || generation != self->editingGeneration_ || !input) {
                if (self && generation == self->editingGeneration_) {
                    self->assetEditingInputId_.reset();
                    self->assetEditingRequestAsset_.reset();
                }
                if (completion) completion(nullptr, std::nullopt);
                return;
            }
            self->assetEditingInputId_.reset();
            self->assetEditingRequestAsset_.reset();
            self->assetEditingInput_ = input;
            std::optional<std::string> data;
            if (input->adjustmentData)
                data = std::string(input->adjustmentData->data.begin(), input->adjustmentData->data.end());
            if (completion) completion(input->displaySizeImage, data);
        });
}

void PhotoCollectionView::cancelEditingForAssetIndexPath(const NSIndexPath&) {
    if (assetEditingInputId_ && assetEditingRequestAsset_) {
        assetEditingRequestAsset_->cancelContentEditingInputRequest(*assetEditingInputId_);
        ++editingGeneration_;
    }
    assetEditingInputId_.reset();
    assetEditingRequestAsset_.reset();
    assetEditingInput_.reset();
}

PHAssetPtr PhotoCollectionView::editedAsset(const NSIndexPath& indexPath) const {
    if (!assetEditingInput_) return assetAtIndexPath(indexPath);
    auto library = PHPhotoLibrary::sharedPhotoLibrary();
    if (!library) return nullptr;
    return PHAsset::fetchAssetsWithLocalIdentifiers({assetEditingInput_->assetLocalIdentifier}, {}, library)
        ->firstObject();
}

// ---- Full-size read ------------------------------------------------------------------------

CGSize PhotoCollectionView::fullSizeScaledSize(CGSize size, double maximumSide) {
    const double w = size.width, h = size.height;
    if (!(w * h > maximumSide * maximumSide)) return size;
    const double scale = maximumSide / std::max(w, h);
    return CGSizeMake(std::max(1.0, std::round(w * scale)), std::max(1.0, std::round(h * scale)));
}

CGRect PhotoCollectionView::fullSizeCropRect(CGRect relativeRect, CGSize size) {
    if (relativeRect == CGRectZero) return CGRectMake(0, 0, size.width, size.height);
    const double W = size.width, H = size.height;
    auto clampTo = [](double v, double limit) { return std::clamp(v, 0.0, limit); };
    const double x0 = clampTo(relativeRect.origin.x * W, W), x1 = clampTo(CGRectGetMaxX(relativeRect) * W, W);
    const double y0 = clampTo(relativeRect.origin.y * H, H), y1 = clampTo(CGRectGetMaxY(relativeRect) * H, H);
    const double w = x1 - x0, h = y1 - y0;
    if (!(w > 0 && h > 0)) return CGRectZero;
    // The crop's shape is kept through the rounding: the longer side is rounded and the shorter
    // one follows from the exact ratio, so a square stays square and any ratio holds within
    // half a pixel (rounding each edge on its own let the sides drift apart by two).
    double iw, ih;
    if (w >= h) {
        iw = std::clamp(std::round(w), 1.0, W);
        ih = std::clamp(std::round(iw * h / w), 1.0, H);
    } else {
        ih = std::clamp(std::round(h), 1.0, H);
        iw = std::clamp(std::round(ih * w / h), 1.0, W);
    }
    return CGRectMake(std::clamp(std::round(x0), 0.0, W - iw), std::clamp(std::round(y0), 0.0, H - ih), iw, ih);
}

CGSize PhotoCollectionView::fullSizeImageSize(const std::string& path, int exifOrientation, double maximumSide) {
    auto source = platform::ImageSource::createWithFile(path);
    if (!source) return CGSizeZero;
    exifOrientation = fileOrientation(*source, path, exifOrientation);
    const CGSize scaled = fullSizeScaledSize(CGSizeMake(source->pixelWidth(0), source->pixelHeight(0)), maximumSide);
    const bool turned = exifOrientation >= 5 && exifOrientation <= 8;
    return turned ? CGSizeMake(scaled.height, scaled.width) : scaled;
}

CGSize PhotoCollectionView::fullSizeImageSizeForEditing() const {
    if (!assetEditingInput_) return CGSizeZero;
    return fullSizeImageSize(assetEditingInput_->fullSizeImageURL, assetEditingInput_->fullSizeImageOrientation,
                             AppConstants::maximumHighResolutionImageSize());
}

std::optional<platform::ImageBitmap> PhotoCollectionView::fullSizeBitmap(const std::string& path, int exifOrientation,
                                                                         CGRect relativeRect, double maximumSide,
                                                                         NSErrorPtr* error) {
    auto unread = [error](const std::string& reason) {
        if (error)
            *error = photos::PhotosError(photos::kPhotosErrorInvalidResource, "The photo could not be read.",
                                         reason.empty() ? "Its file could not be decoded." : reason);
        return std::nullopt;
    };
    platform::ImageIOError failure;
    auto source = platform::ImageSource::createWithFile(path, &failure);
    if (!source) return unread(failure.message);
    exifOrientation = fileOrientation(*source, path, exifOrientation);
    auto bitmap = source->createImageAtIndex(0, platform::ImagePixelFormat::RGBA, &failure);
    if (!bitmap) return unread(failure.message);
    const CGSize scaled = fullSizeScaledSize(CGSizeMake(bitmap->width, bitmap->height), maximumSide);
    if (scaled.width != bitmap->width || scaled.height != bitmap->height) {
        bitmap = platform::ResizeImageBitmap(*bitmap, static_cast<std::uint32_t>(scaled.width),
                                             static_cast<std::uint32_t>(scaled.height));
        if (!bitmap) return unread("There is not enough memory to scale it.");
    }
    if (exifOrientation != 1) {
        bitmap = platform::ApplyEXIFOrientation(*bitmap, exifOrientation);
        if (!bitmap) return unread("There is not enough memory to turn it upright.");
    }
    const CGRect r = fullSizeCropRect(relativeRect, CGSizeMake(bitmap->width, bitmap->height));
    if (CGRectIsEmpty(r)) return unread("Its crop leaves nothing of it.");
    auto cropped = crop(*bitmap, r);
    if (!cropped) return unread("There is not enough memory to crop it.");
    return cropped;
}

std::shared_ptr<ImageData> PhotoCollectionView::imageDataForEditingAssetAtIndexPath(const NSIndexPath&,
                                                                                    CGRect relativeRect,
                                                                                    NSErrorPtr* error) const {
    if (!assetEditingInput_) {
        if (error) *error = saveError(kNoEdit);
        return nullptr;
    }
    auto bitmap = fullSizeBitmap(assetEditingInput_->fullSizeImageURL, assetEditingInput_->fullSizeImageOrientation,
                                 relativeRect, AppConstants::maximumHighResolutionImageSize(), error);
    if (!bitmap) return nullptr;
    return UIImageData::imageDataWithUIImage(photos::ImageFromBitmap(std::move(*bitmap)));
}

// ---- The change queue ----------------------------------------------------------------------

void PhotoCollectionView::performAssetChanges(AssetChanges changes, SavedCompletion completion) {
    auto change = std::make_shared<PendingChange>();
    change->completion = std::move(completion);
    pendingChanges_.push_back(change);
    std::weak_ptr<UIView> weak = weak_from_this();
    // Whoever calls `done`, and however soon, the caller hears on a later turn of the main
    // queue: a completion never runs inside the call that started its change. A failure
    // always comes with its reason.
    auto done = [weak, change](bool result, NSErrorPtr error) {
        if (result) error = nullptr;
        else if (!error) error = saveError("The photo library did not take the change.");
        onMain(weak, [change, result, error](PhotoCollectionView* self) {
            if (self) {
                self->finishAssetChange(change, result, error);
            } else if (!change->reported) {
                change->reported = true;
                if (change->completion) change->completion(result, error);
            }
        });
    };
    if (changes) changes(done);
    else done(false, nullptr);
}

void PhotoCollectionView::finishAssetChange(const std::shared_ptr<PendingChange>& change, bool result,
                                            const NSErrorPtr& error) {
    // The library notifies its observers before it answers, and both reach the main queue in
    // that order; so the notification has been taken in, unless its update is still running.
    if (!result || batchUpdatesInFlight_ == 0) reportAssetChange(change, result, error);
    else finishedChanges_.push_back(change);
}

void PhotoCollectionView::flushAssetChanges() {
    if (batchUpdatesInFlight_ > 0) return;
    auto finished = std::move(finishedChanges_);
    finishedChanges_.clear();
    for (auto& change : finished) reportAssetChange(change, true, nullptr);
}

void PhotoCollectionView::reportAssetChange(const std::shared_ptr<PendingChange>& change, bool result,
                                            const NSErrorPtr& error) {
    if (change->reported) return;
    change->reported = true;
    std::erase(pendingChanges_, change);
    if (change->completion) change->completion(result, error);
}

// ---- Saves ---------------------------------------------------------------------------------

namespace {

// Fails the change at once with the reason.
void failChange(const PhotoCollectionView::ChangeDone& done, const std::string& reason) {
    done(false, PhotoCollectionView::saveError(reason));
}

}  // namespace

void PhotoCollectionView::finishEditingAssetAtIndexPath(const NSIndexPath& indexPath, UIImagePtr image,
                                                        const std::string& data, const Metadata& metadata, bool copy,
                                                        FinishCompletion completion) {
    auto finish = [completion, copy](bool saved, const NSErrorPtr& error) {
        if (completion) completion(saved, !copy, error);
    };
    auto input = assetEditingInput_;
    auto asset = editedAsset(indexPath);
    if (copy) {
        if (!input || !image)
            return performAssetChanges([input](ChangeDone done) { failChange(done, input ? kNoPicture : kNoEdit); },
                                       finish);
        return saveNewAsset(image, input->fullSizeImageURL, true, data, metadata, finish);
    }
    std::weak_ptr<UIView> weak = weak_from_this();
    performAssetChanges(
        [weak, input, asset, image, data, metadata](ChangeDone done) {
            auto library = asset ? asset->photoLibrary() : nullptr;
            if (!input || !asset) return failChange(done, kNoEdit);
            if (!library) return failChange(done, kNoLibrary);
            auto dataChanged = std::make_shared<bool>(false);
            auto renderError = std::make_shared<NSErrorPtr>();
            library->performChanges(
                [library, input, asset, image, data, metadata, dataChanged, renderError] {
                    auto request = PHAssetChangeRequest::changeRequestForAsset(*asset);
                    PHContentEditingOutput output(*input, *library);
                    output.setAdjustmentData(std::make_shared<PHAdjustmentData>(
                        PHAdjustmentData{kAdjustmentFormatIdentifier, kAdjustmentFormatVersion, bytesOf(data)}));
                    *dataChanged = !input->adjustmentData || input->adjustmentData->data != bytesOf(data);
                    // The render is written every time; one that could not be written is
                    // never handed to the library.
                    const bool written = writeImageForRenderedContent(image, metadata, output.renderedContentURL(),
                                                                      true, renderError.get());
                    if (request && written) request->setContentEditingOutput(output);
                },
                [weak, done, dataChanged, renderError](bool success, NSErrorPtr error) {
                    if (*renderError) error = *renderError;
                    else if (success && !*dataChanged)
                        error = photos::PhotosError(photos::kPhotosErrorInvalidAdjustment, "The photo was not saved.",
                                                    "It already carries this edit.");
                    const bool saved = success && !error;
                    onMain(weak, [saved, error, done](PhotoCollectionView* self) {
                        if (self && saved) self->assetEditingInput_.reset();
                        done(saved, error);
                    });
                });
        },
        finish);
}

void PhotoCollectionView::saveNewAssetWithImage(UIImagePtr image, const std::string& originalImageURL,
                                                const std::string& data, const Metadata& metadata,
                                                SavedCompletion completion) {
    saveNewAsset(std::move(image), originalImageURL, true, data, metadata, std::move(completion));
}

namespace {

// The completion of a new photo made from a temporary file: the file goes first.
PhotoCollectionView::SavedCompletion removingFile(std::string path, PhotoCollectionView::SavedCompletion completion) {
    return [path = std::move(path), completion = std::move(completion)](bool saved, const NSErrorPtr& error) {
        std::error_code ec;
        std::filesystem::remove(path, ec);
        if (completion) completion(saved, error);
    };
}

}  // namespace

void PhotoCollectionView::saveNewAssetWithImage(UIImagePtr image, UIImagePtr originalImage, const std::string& data,
                                                const Metadata& metadata, SavedCompletion completion) {
    // The original's file is encoded on the library's queue, in the order the photos came, so
    // that a photo just taken does not hold the screen; the change follows on the main queue.
    auto save = [image, data, metadata](PhotoCollectionView& self, const std::optional<std::string>& file,
                                        const NSErrorPtr& error, SavedCompletion completion) {
        if (!file) return self.performAssetChanges([error](ChangeDone done) { done(false, error); }, completion);
        self.saveNewAsset(image, *file, false, data, metadata, removingFile(*file, std::move(completion)));
    };
    auto library = PHPhotoLibrary::sharedPhotoLibrary();
    if (!library) {
        NSErrorPtr error;
        const auto file = writeImage(originalImage, metadata, false, false, false, &error);
        return save(*this, file, error, std::move(completion));
    }
    // A save under way is carried through also when the album goes meanwhile: the view is kept
    // until its change has begun, and let go on the main queue.
    std::shared_ptr<UIView> kept = shared_from_this();
    dispatch_async(library->queue(), [kept, originalImage, metadata, save, completion]() mutable {
        NSErrorPtr error;
        const auto file = writeImage(originalImage, metadata, false, false, false, &error);
        dispatch_async(dispatch_get_main_queue(), [kept = std::move(kept), file, error, save, completion] {
            save(static_cast<PhotoCollectionView&>(*kept), file, error, completion);
        });
    });
}

void PhotoCollectionView::saveNewAssetWithImage(UIImagePtr image, const Metadata& metadata,
                                                SavedCompletion completion) {
    saveNewAssetWithImage(nullptr, std::move(image), std::string(), metadata, std::move(completion));
}

void PhotoCollectionView::exportNewAssetWithImage(UIImagePtr image, const Metadata& metadata,
                                                  SavedCompletion completion) {
    NSErrorPtr error;
    const auto file = writeImage(image, metadata, true, true, true, &error);
    if (!file) return performAssetChanges([error](ChangeDone done) { done(false, error); }, std::move(completion));
    saveNewAsset(nullptr, *file, true, std::string(), metadata, removingFile(*file, std::move(completion)));
}

void PhotoCollectionView::saveNewAsset(UIImagePtr image, const std::string& originalImageURL, bool originalImageExisted,
                                       const std::string& data, const Metadata& metadata, SavedCompletion completion) {
    std::weak_ptr<UIView> weak = weak_from_this();
    NSErrorPtr unopened;
    auto library = PHPhotoLibrary::sharedPhotoLibrary(&unopened);
    performAssetChanges(
        [this, weak, library, unopened, image, originalImageURL, originalImageExisted, data,
         metadata](ChangeDone done) {
            setPhotoCollectionAssetsSavedPhotosGroup();
            resetScrollPosition();
            if (!library) return done(false, unopened);
            // Each attempt commits whole or not at all, so trying again never makes two.
            auto attempt = std::make_shared<std::function<void(int)>>();
            *attempt = [weak, library, image, originalImageURL, originalImageExisted, data, metadata, done,
                        attempt](int tryCount) {
                auto renderError = std::make_shared<NSErrorPtr>();
                library->performChanges(
                    [library, image, originalImageURL, originalImageExisted, data, metadata, renderError] {
                        auto request =
                            PHAssetChangeRequest::creationRequestForAssetFromImageAtFileURL(originalImageURL);
                        if (!request || !image) return;
                        PHContentEditingOutput output(*request->placeholderForCreatedAsset(), *library);
                        output.setAdjustmentData(std::make_shared<PHAdjustmentData>(
                            PHAdjustmentData{kAdjustmentFormatIdentifier, kAdjustmentFormatVersion, bytesOf(data)}));
                        // A render that could not be written makes the library refuse the
                        // whole change; its own reason is the one worth telling.
                        writeImageForRenderedContent(image, metadata, output.renderedContentURL(), originalImageExisted,
                                                     renderError.get());
                        request->setContentEditingOutput(output);
                    },
                    [weak, originalImageExisted, done, attempt, tryCount, renderError](bool success, NSErrorPtr error) {
                        if (!success && tryCount + 1 < kCreationAttempts) return (*attempt)(tryCount + 1);
                        if (!success && *renderError) error = *renderError;
                        onMain(weak, [success, error, originalImageExisted, done, attempt](PhotoCollectionView* self) {
                            if (self && success && originalImageExisted) self->assetEditingInput_.reset();
                            *attempt = nullptr;  // ends the cycle through the capture
                            done(success, error);
                        });
                    });
            };
            (*attempt)(0);
        },
        std::move(completion));
}

// ---- Revert and delete ---------------------------------------------------------------------

void PhotoCollectionView::revertEditingForAssetIndexPath(const NSIndexPath& indexPath, SavedCompletion completion) {
    auto asset = editedAsset(indexPath);
    std::weak_ptr<UIView> weak = weak_from_this();
    performAssetChanges(
        [weak, asset](ChangeDone done) {
            auto library = asset ? asset->photoLibrary() : nullptr;
            if (!asset) return failChange(done, "The photo is no longer in the library.");
            if (!library) return failChange(done, kNoLibrary);
            library->performChanges(
                [asset] {
                    if (auto request = PHAssetChangeRequest::changeRequestForAsset(*asset))
                        request->revertAssetToOriginal();
                },
                [weak, done](bool success, NSErrorPtr error) {
                    onMain(weak, [success, error, done](PhotoCollectionView* self) {
                        if (self && success) self->assetEditingInput_.reset();
                        done(success, error);
                    });
                });
        },
        std::move(completion));
}

void PhotoCollectionView::deleteItemAtIndexPath(const NSIndexPath& indexPath, SavedCompletion completion) {
    auto asset = assetAtIndexPath(indexPath);
    auto library = asset ? asset->photoLibrary() : nullptr;
    if (!library || !asset->canPerformEditOperation(PHAssetEditOperation::Delete)) return;
    UIApplication::sharedApplication().beginIgnoringInteractionEvents();
    library->performChanges([asset] { PHAssetChangeRequest::deleteAssets({asset}); },
                            [completion](bool success, NSErrorPtr error) {
                                dispatch_async(dispatch_get_main_queue(), [completion, success, error] {
                                    UIApplication::sharedApplication().endIgnoringInteractionEvents();
                                    if (completion) completion(success, error);
                                });
                            });
}
