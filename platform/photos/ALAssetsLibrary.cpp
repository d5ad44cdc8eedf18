#include "platform/photos/ALAssetsLibrary.h"

#include <unistd.h>

#include "platform/foundation/Dispatch.h"
#include "platform/imageio/ImageIO.h"
#include "platform/photos/PHAssetChangeRequest.h"
#include "platform/photos/PhotoBitmaps.h"
#include "platform/photos/PHPhotoLibrary.h"

namespace {

NSErrorPtr assetsError(long code, const std::string& description, const std::string& reason = "") {
    return NSError::errorWithDomain(ALAssetsLibraryErrorDomain, code, description, reason);
}

NSErrorPtr translate(const NSErrorPtr& error) {
    if (!error) return assetsError(ALAssetsLibraryWriteFailedError, "The photo library could not be opened.");
    if (error->code() == photos::kPhotosErrorAccessUserDenied)
        return assetsError(ALAssetsLibraryAccessUserDeniedError, error->localizedDescription());
    if (error->code() == photos::kPhotosErrorNotEnoughSpace)
        return assetsError(ALAssetsLibraryWriteDiskSpaceError, error->localizedDescription(),
                           error->localizedFailureReason());
    return assetsError(ALAssetsLibraryWriteFailedError, error->localizedDescription(), error->localizedFailureReason());
}

}  // namespace

ALAssetsLibrary::ALAssetsLibrary(std::shared_ptr<PHPhotoLibrary> library) : library_(std::move(library)) {
    if (!library_) library_ = PHPhotoLibrary::sharedPhotoLibrary(&unopened_);
}

void ALAssetsLibrary::writeImageToSavedPhotosAlbum(const CGImageRef& image, const platform::ImageProperties& metadata,
                                                   Completion completion) {
    auto finish = [completion](NSErrorPtr error) {
        dispatch_async(dispatch_get_main_queue(), [completion, error] {
            if (completion) completion("", error);
        });
    };
    if (!library_) return finish(translate(unopened_));
    if (!image) return finish(assetsError(ALAssetsLibraryWriteFailedError, "There is no image to save."));
    platform::ImageProperties properties = metadata;
    properties["kCGImageDestinationLossyCompressionQuality"] = 0.9;
    const std::string staged = library_->store().stagingPath("jpg");
    platform::ImageIOError error;
    if (!platform::WriteImageFile(photos::BitmapFromImage(image), platform::ImageFileType::JPEG, properties, staged,
                                  &error)) {
        ::unlink(staged.c_str());
        return finish(assetsError(
            error.code == platform::ImageIOErrorCode::WriteFailed && error.message.find("space") != std::string::npos
                ? ALAssetsLibraryWriteDiskSpaceError
                : ALAssetsLibraryWriteFailedError,
            "The photo could not be saved.", error.message));
    }
    write(staged, false, true, std::move(completion));
}

void ALAssetsLibrary::writeImageDataToSavedPhotosAlbum(std::vector<std::uint8_t> data,
                                                       const platform::ImageProperties& metadata,
                                                       Completion completion) {
    auto finish = [completion](NSErrorPtr error) {
        dispatch_async(dispatch_get_main_queue(), [completion, error] {
            if (completion) completion("", error);
        });
    };
    if (!library_) return finish(translate(unopened_));
    platform::ImageIOError error;
    const auto source = platform::ImageSource::createWithData(std::move(data), &error);
    if (!source || source->count() == 0)
        return finish(assetsError(ALAssetsLibraryWriteFailedError, "The photo could not be saved.", error.message));
    const std::string staged =
        library_->store().stagingPath(std::string(platform::ImageFileTypeExtension(source->type())).substr(1));
    auto destination = platform::ImageDestination::createWithFile(staged, source->type(), &error);
    if (destination) destination->addImageFromSource(*source, 0, metadata);
    if (!destination || !destination->finalize(&error)) {
        ::unlink(staged.c_str());
        return finish(assetsError(ALAssetsLibraryWriteFailedError, "The photo could not be saved.", error.message));
    }
    write(staged, false, true, std::move(completion));
}

void ALAssetsLibrary::writeVideoAtPathToSavedPhotosAlbum(const std::string& path, Completion completion) {
    if (!library_) {
        dispatch_async(dispatch_get_main_queue(), [completion, error = translate(unopened_)] {
            if (completion) completion("", error);
        });
        return;
    }
    write(path, true, false, std::move(completion));
}

void ALAssetsLibrary::write(const std::string& path, bool movie, bool ownsFile, Completion completion) {
    auto identifier = std::make_shared<std::string>();
    library_->performChanges(
        [path, movie, identifier] {
            auto request = movie ? PHAssetChangeRequest::creationRequestForAssetFromVideoAtFileURL(path)
                                 : PHAssetChangeRequest::creationRequestForAssetFromImageAtFileURL(path);
            if (request) *identifier = request->placeholderForCreatedAsset()->localIdentifier();
        },
        [path, ownsFile, identifier, completion](bool ok, NSErrorPtr error) {
            if (ownsFile) ::unlink(path.c_str());
            const NSErrorPtr reported = ok ? nullptr : translate(error);
            const std::string url = ok ? "assets-library://asset/" + *identifier : "";
            dispatch_async(dispatch_get_main_queue(), [completion, reported, url] {
                if (completion) completion(url, reported);
            });
        });
}
