#include "app/SavedPhotosCollection.h"

#include <filesystem>

#include <unistd.h>

#include "library/metadata/UIImage+ImageMetadataUtility.h"
#include "library/saving/UIImage+CameraUtility.h"
#include "model/State.h"
#include "platform/foundation/Dispatch.h"
#include "platform/photos/PHAsset.h"
#include "platform/photos/PHAssetChangeRequest.h"
#include "platform/photos/PHAssetCollection.h"
#include "platform/photos/PHContentEditingInput.h"
#include "platform/photos/PHContentEditingOutput.h"
#include "platform/photos/PHImageManager.h"
#include "platform/photos/PHPhotoLibrary.h"
#include "platform/uikit/UIView.h"

namespace {

// Runs the completion once on the main queue.
void finish(const SavedPhotosCollection::SaveCompletion& completion, bool saved) {
    if (!completion) return;
    dispatch_async(dispatch_get_main_queue(), [completion, saved] { completion(saved); });
}

}  // namespace

SavedPhotosCollection::SavedPhotosCollection(std::shared_ptr<PHPhotoLibrary> library)
    : library_(library ? std::move(library) : PHPhotoLibrary::sharedPhotoLibrary()) {}

SavedPhotosCollection::~SavedPhotosCollection() = default;

UIImagePtr SavedPhotosCollection::savedPhotoGroupImage() {
    cachedGroupImage_ = nullptr;
    if (!library_) return nullptr;
    auto albums = PHAssetCollection::fetchAssetCollectionsWithType(
        PHAssetCollectionTypeSmartAlbum, PHAssetCollectionSubtypeSmartAlbumUserLibrary, {}, library_);
    if (!albums || !albums->firstObject()) return nullptr;
    auto assets = PHAsset::fetchAssetsInAssetCollection(*albums->firstObject());
    if (!assets || !assets->lastObject()) return nullptr;
    PHImageRequestOptions options;
    options.synchronous = true;
    options.deliveryMode = PHImageRequestOptionsDeliveryModeHighQualityFormat;
    PHImageManager::defaultManager().requestImageForAsset(
        *assets->lastObject(), {kGroupImageSide, kGroupImageSide}, static_cast<int>(UIViewContentMode::ScaleAspectFill),
        options, [this](UIImagePtr image, const PHImageInfo&) {
            if (image) cachedGroupImage_ = std::move(image);
        });
    return cachedGroupImage_;
}

UIImagePtr SavedPhotosCollection::cachedSavedPhotoGroupImage() {
    return cachedGroupImage_ ? cachedGroupImage_ : savedPhotoGroupImage();
}

void SavedPhotosCollection::createAsset(const UIImagePtr& image, int saveType, const Metadata& metadata,
                                        std::function<void(const std::string&)> then) {
    auto fail = [then] { dispatch_async(dispatch_get_main_queue(), [then] { then(""); }); };
    if (!library_ || !image) return fail();
    const auto properties = CameraUtility::albumSaveMetadata(*image, metadata, CameraUtility::kDefaultSaveOptions);
    const auto path = ImageMetadataUtility::writeImage(*image, "capture", saveType, properties, true);
    if (!path) return fail();
    // A later capture writes the same name: the library has its own copy once the change is in.
    static int serial = 0;
    const std::filesystem::path written(*path);
    const std::string file = (written.parent_path() / ("capture-" + std::to_string(::getpid()) + "-" + std::to_string(++serial) + written.extension().string())).string();
    std::error_code error;
    std::filesystem::rename(*path, file, error);
    if (error) return fail();
    auto identifier = std::make_shared<std::string>();
    library_->performChanges(
        [file, identifier] {
            if (auto request = PHAssetChangeRequest::creationRequestForAssetFromImageAtFileURL(file))
                *identifier = request->placeholderForCreatedAsset()->localIdentifier();
        },
        [file, identifier, then](bool success, NSErrorPtr) {
            std::error_code ignored;
            std::filesystem::remove(file, ignored);
            const std::string created = success ? *identifier : "";
            dispatch_async(dispatch_get_main_queue(), [then, created] { then(created); });
        });
}

void SavedPhotosCollection::saveNewAssetWithImage(const UIImagePtr& image, const Metadata& metadata,
                                                  SaveCompletion completion) {
    CameraUtility::saveToAlbumWithMetadata(image, metadata, [completion](NSErrorPtr error) { finish(completion, !error); });
}

void SavedPhotosCollection::exportNewAssetWithImage(const UIImagePtr& image, int saveType, const Metadata& metadata,
                                                    SaveCompletion completion) {
    createAsset(image, saveType, metadata,
                [completion](const std::string& identifier) { finish(completion, !identifier.empty()); });
}

void SavedPhotosCollection::saveNewAssetWithImage(const UIImagePtr& image, const UIImagePtr& originalImage,
                                                  const std::string& data, const Metadata& metadata,
                                                  SaveCompletion completion) {
    auto library = library_;
    createAsset(originalImage, 0, metadata, [library, image, data, completion](const std::string& identifier) {
        auto assets = identifier.empty() ? nullptr : PHAsset::fetchAssetsWithLocalIdentifiers({identifier}, {}, library);
        PHAssetPtr asset = assets ? assets->firstObject() : nullptr;
        if (!asset || !image) return finish(completion, false);
        PHContentEditingInput input;
        input.assetLocalIdentifier = identifier;
        auto output = std::make_shared<PHContentEditingOutput>(input, *library);
        if (!ImageMetadataUtility::writeJpegRepresentation(*image, ImageMetadataUtility::kJPEGQuality, {},
                                                           output->renderedContentURL()))
            return finish(completion, false);
        output->setAdjustmentData(std::make_shared<PHAdjustmentData>(
            PHAdjustmentData{State::kFormatIdentifier, State::kFormatVersion, {data.begin(), data.end()}}));
        library->performChanges(
            [asset, output] { PHAssetChangeRequest::changeRequestForAsset(*asset)->setContentEditingOutput(*output); },
            [completion](bool success, NSErrorPtr) { finish(completion, success); });
    });
}
