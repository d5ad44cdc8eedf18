#include "library/saving/UIImage+CameraUtility.h"

#include "library/saving/ErrorUtility.h"
#include "platform/foundation/Dispatch.h"
#include "platform/foundation/NSRunLoop.h"

namespace CameraUtility {

ALAssetsLibrary::Completion saveEnding(std::shared_ptr<const void> keep, Completion completion) {
    return [keep, completion](const std::string&, NSErrorPtr error) {
        auto finish = [keep, completion, error] {
            if (error) ErrorUtility::sharedInstance().showAlertForShareError(error);
            if (completion) completion(error);
        };
        if (NSThread::isMainThread()) finish();
        else dispatch_async(dispatch_get_main_queue(), finish);
    };
}

Metadata albumSaveMetadata(const UIImage& image, const std::optional<Metadata>& metadata, int options) {
    Metadata filled;
    if (metadata) {
        filled = *metadata;
        ImageMetadataUtility::removeBurstMetadata(filled);
    } else {
        options = kBareSaveOptions;
    }
    ImageMetadataUtility::autoPopulateMetadata(filled, options);
    ImageMetadataUtility::setImageOrientation(filled, static_cast<int>(image.imageOrientation()));
    return filled;
}

void saveToAlbum(const UIImagePtr& image, Completion completion, std::shared_ptr<ALAssetsLibrary> library) {
    saveToAlbumWithMetadata(image, std::nullopt, std::move(completion), std::move(library));
}

void saveToAlbumWithMetadata(const UIImagePtr& image, const std::optional<Metadata>& metadata, Completion completion,
                             std::shared_ptr<ALAssetsLibrary> library) {
    saveToAlbumWithMetadata(image, metadata, kDefaultSaveOptions, std::move(completion), std::move(library));
}

void saveToAlbumWithMetadata(const UIImagePtr& image, const std::optional<Metadata>& metadata, int options,
                             Completion completion, std::shared_ptr<ALAssetsLibrary> library) {
    if (!library) library = std::make_shared<ALAssetsLibrary>();
    if (!image) {
        saveEnding(nullptr, std::move(completion))(
            "", NSError::errorWithDomain(ALAssetsLibraryErrorDomain, ALAssetsLibraryWriteFailedError,
                                         "There is no photo to save."));
        return;
    }
    library->writeImageToSavedPhotosAlbum(image->CGImage(), albumSaveMetadata(*image, metadata, options),
                                          saveEnding(image, std::move(completion)));
}

}  // namespace CameraUtility
