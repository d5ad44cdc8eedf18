#include "platform/photos/ALAssetsLibrary.h"

#include <unistd.h>

#include "platform/foundation/Dispatch.h"
#include "platform/imageio/ImageIO.h"
#include "platform/photos/PHAssetChangeRequest.h"
#include "platform/photos/PHPhotoLibrary.h"

namespace {

NSErrorPtr assetsError(long code, const std::string& description, const std::string& reason = "") {
    return NSError::errorWithDomain(ALAssetsLibraryErrorDomain, code, description, reason);
}

NSErrorPtr translate(const NSErrorPtr& error) {
    if (error->code() == photos::kPhotosErrorAccessUserDenied)
        return assetsError(ALAssetsLibraryAccessUserDeniedError, error->localizedDescription());
    if (error->code() == photos::kPhotosErrorNotEnoughSpace)
        return assetsError(ALAssetsLibraryWriteDiskSpaceError, error->localizedDescription(),
                           error->localizedFailureReason());
    return assetsError(ALAssetsLibraryWriteFailedError, error->localizedDescription(), error->localizedFailureReason());
}

// The image's pixels as straight 8-bit RGBA.
platform::ImageBitmap rgbaOf(const CGImageRef& image) {
    const std::uint32_t w = static_cast<std::uint32_t>(CGImageGetWidth(image));
    const std::uint32_t h = static_cast<std::uint32_t>(CGImageGetHeight(image));
    platform::ImageBitmap out{w, h, platform::ImagePixelFormat::RGBA, std::vector<std::uint8_t>(std::size_t{w} * h * 4)};
    const CGBitmapInfo info = CGImageGetBitmapInfo(image);
    const auto alpha = info & kCGBitmapAlphaInfoMask;
    const auto data = CGImageGetData(image);
    if (data && CGImageGetBitsPerPixel(image) == 32 && CGImageGetBitsPerComponent(image) == 8 &&
        (info & kCGBitmapByteOrderMask) == kCGBitmapByteOrderDefault &&
        (alpha == kCGImageAlphaLast || alpha == kCGImageAlphaNoneSkipLast) &&
        CGImageGetColorSpaceModel(image) == CGColorSpaceModel::RGB) {
        const std::size_t stride = CGImageGetBytesPerRow(image);
        for (std::uint32_t y = 0; y < h; ++y) std::copy_n(data->data() + y * stride, std::size_t{w} * 4, out.pixel(0, y));
        if (alpha == kCGImageAlphaNoneSkipLast)
            for (std::size_t i = 3; i < out.pixels.size(); i += 4) out.pixels[i] = 255;
        return out;
    }
    for (std::uint32_t y = 0; y < h; ++y)
        for (std::uint32_t x = 0; x < w; ++x) {
            const CGColor c = CGImageGetPixel(image, x, y);
            std::uint8_t* p = out.pixel(x, y);
            p[0] = static_cast<std::uint8_t>(std::lround(c.r * 255)), p[1] = static_cast<std::uint8_t>(std::lround(c.g * 255));
            p[2] = static_cast<std::uint8_t>(std::lround(c.b * 255)), p[3] = static_cast<std::uint8_t>(std::lround(c.a * 255));
        }
    return out;
}

}  // namespace

ALAssetsLibrary::ALAssetsLibrary(std::shared_ptr<PHPhotoLibrary> library) : library_(std::move(library)) {
    if (!library_) library_ = PHPhotoLibrary::sharedPhotoLibrary();
}

void ALAssetsLibrary::writeImageToSavedPhotosAlbum(const CGImageRef& image, const platform::ImageProperties& metadata,
                                                   Completion completion) {
    auto finish = [completion](NSErrorPtr error) {
        dispatch_async(dispatch_get_main_queue(), [completion, error] {
            if (completion) completion("", error);
        });
    };
    if (!library_) return finish(assetsError(ALAssetsLibraryWriteFailedError, "The photo library could not be opened."));
    if (!image) return finish(assetsError(ALAssetsLibraryWriteFailedError, "There is no image to save."));
    platform::ImageProperties properties = metadata;
    properties["kCGImageDestinationLossyCompressionQuality"] = 0.9;
    const std::string staged = library_->store().stagingPath("jpg");
    platform::ImageIOError error;
    if (!platform::WriteImageFile(rgbaOf(image), platform::ImageFileType::JPEG, properties, staged, &error)) {
        ::unlink(staged.c_str());
        return finish(assetsError(error.code == platform::ImageIOErrorCode::WriteFailed &&
                                          error.message.find("space") != std::string::npos
                                      ? ALAssetsLibraryWriteDiskSpaceError
                                      : ALAssetsLibraryWriteFailedError,
                                  "The photo could not be saved.", error.message));
    }
    write(staged, false, true, std::move(completion));
}

void ALAssetsLibrary::writeVideoAtPathToSavedPhotosAlbum(const std::string& path, Completion completion) {
    if (!library_) {
        dispatch_async(dispatch_get_main_queue(), [completion] {
            if (completion)
                completion("", assetsError(ALAssetsLibraryWriteFailedError, "The photo library could not be opened."));
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
