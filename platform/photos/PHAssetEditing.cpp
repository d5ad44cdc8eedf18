// PHAsset: the edit input requests.
#include <unistd.h>

#include <algorithm>

#include "platform/foundation/Dispatch.h"
#include "platform/photos/PHAsset.h"
#include "platform/photos/PHContentEditingInput.h"
#include "platform/photos/PhotoBitmaps.h"
#include "platform/photos/PHPhotoLibrary.h"
#include "platform/photos/PhotoRequests.h"
#include "platform/uikit/UIScreen.h"

namespace {

using Handler = std::function<void(std::shared_ptr<PHContentEditingInput>, const PHContentEditingInfo&)>;

std::string extensionOf(const std::string& path) {
    const auto dot = path.rfind('.');
    return dot == std::string::npos ? "dat" : path.substr(dot + 1);
}

// Builds the input; null with the reason when the asset cannot give one.
std::shared_ptr<PHContentEditingInput> makeInput(PHPhotoLibrary& library, const std::string& uuid,
                                                 const PHContentEditingInputRequestOptions& options,
                                                 NSErrorPtr* error) {
    auto record = library.store().asset(uuid);
    if (!record || record->trashedDate) {
        *error =
            photos::PhotosError(photos::kPhotosErrorIdentifierNotFound, "The photo is no longer in the library.", uuid);
        return nullptr;
    }
    std::shared_ptr<PHAdjustmentData> data;
    if (record->edit && options.canHandleAdjustmentData) {
        PHAdjustmentData d{record->edit->formatIdentifier, record->edit->formatVersion, record->edit->data};
        if (options.canHandleAdjustmentData(d)) data = std::make_shared<PHAdjustmentData>(std::move(d));
    }
    const bool original = data || !record->edit;
    const std::string relative = original ? record->originalPath : record->edit->renderPath;
    auto input = std::make_shared<PHContentEditingInput>();
    input->mediaType = record->mediaType;
    input->adjustmentData = data;
    input->creationDate = record->creationDate;
    input->assetLocalIdentifier = uuid;
    input->fullSizeImageOrientation = original ? record->orientation : 1;
    input->fullSizeImageURL = library.store().linkInput(relative, extensionOf(relative));
    if (!input->fullSizeImageURL.empty())
        input->linkRelease = std::shared_ptr<const void>(
            nullptr, [link = input->fullSizeImageURL](const void*) { ::unlink(link.c_str()); });
    platform::ImageIOError decodeError;
    std::optional<platform::ImageBitmap> display;
    if (!input->fullSizeImageURL.empty() && record->mediaType == PHAssetMediaTypeImage) {
        const CGRect screen = UIScreen::mainScreen().nativeBounds();
        const auto side = static_cast<std::uint32_t>(std::max(screen.size.width, screen.size.height));
        display = photos::DecodeUpright(input->fullSizeImageURL, side, &decodeError);
    }
    if (input->fullSizeImageURL.empty() || (record->mediaType == PHAssetMediaTypeImage && !display)) {
        *error = photos::PhotosError(photos::kPhotosErrorInvalidResource, "The photo's file could not be read.",
                                     uuid + " " + decodeError.message);
        return nullptr;
    }
    if (display) input->displaySizeImage = photos::ImageFromBitmap(std::move(*display));
    return input;
}

}  // namespace

PHContentEditingInputRequestID PHAsset::requestContentEditingInputWithOptions(
    const PHContentEditingInputRequestOptions& options, Handler handler) const {
    auto post = [handler](std::shared_ptr<PHContentEditingInput> input, PHContentEditingInfo info) {
        dispatch_async(dispatch_get_main_queue(), [handler, input, info] {
            if (handler) handler(input, info);
        });
    };
    const auto ticket = photos::PhotoRequests::shared().add([post] {
        PHContentEditingInfo info;
        info.cancelled = true;
        post(nullptr, info);
    });
    auto library = library_;
    const std::string uuid = record_.uuid;
    dispatch_async(library->queue(), [library, uuid, options, ticket, post] {
        PHContentEditingInfo info;
        const auto steps = library->remoteProgressSteps(uuid);
        if (!steps.empty()) {
            info.inCloud = true;
            if (!options.networkAccessAllowed) {
                info.error = photos::PhotosError(photos::kPhotosErrorInvalidResource,
                                                 "The photo must be downloaded first.", uuid);
                if (photos::PhotoRequests::shared().finish(ticket)) post(nullptr, info);
                return;
            }
            for (double step : steps) {
                if (ticket.claimed()) return;  // cancelled: the cancel has answered
                bool stop = false;
                if (options.progressHandler) options.progressHandler(step, &stop);
                if (stop) {
                    info.cancelled = true;
                    if (photos::PhotoRequests::shared().finish(ticket)) post(nullptr, info);
                    return;
                }
            }
            library->finishRemoteDownload(uuid);
        }
        if (ticket.claimed()) return;
        NSErrorPtr error;
        auto input = library->hasAccess() ? makeInput(*library, uuid, options, &error) : nullptr;
        if (!library->hasAccess())
            error =
                photos::PhotosError(photos::kPhotosErrorAccessUserDenied, "Tavorin may not read the photo library.");
        info.error = error;
        if (photos::PhotoRequests::shared().finish(ticket)) post(input, info);
    });
    return ticket.id;
}

void PHAsset::cancelContentEditingInputRequest(PHContentEditingInputRequestID requestID) const {
    photos::PhotoRequests::shared().cancel(requestID);
}
