#include "platform/photos/PHImageManager.h"

#include <fstream>
#include <iterator>

#include "platform/foundation/Dispatch.h"
#include "platform/photos/PhotoBitmaps.h"
#include "platform/photos/PHPhotoLibrary.h"
#include "platform/photos/PhotoRequests.h"

namespace {

NSErrorPtr goneError(const std::string& uuid) {
    return photos::PhotosError(photos::kPhotosErrorIdentifierNotFound, "The photo is no longer in the library.", uuid);
}

// Progress of a simulated remote asset, on the library's queue. False when the request must
// end here (`info` says why).
bool download(PHPhotoLibrary& library, const std::string& uuid, const PHImageRequestOptions& options,
              const photos::PhotoRequests::Ticket& ticket, PHImageInfo* info) {
    const auto steps = library.remoteProgressSteps(uuid);
    if (steps.empty()) return true;
    info->inCloud = true;
    if (!options.networkAccessAllowed) {
        info->error =
            photos::PhotosError(photos::kPhotosErrorInvalidResource, "The photo must be downloaded first.", uuid);
        return false;
    }
    for (double step : steps) {
        if (ticket.claimed()) return false;
        bool stop = false;
        if (options.progressHandler) options.progressHandler(step, &stop);
        if (stop) {
            info->cancelled = true;
            return false;
        }
    }
    library.finishRemoteDownload(uuid);
    return true;
}

// Runs `work` as the request asks: on the caller's thread (synchronous, progress still on the
// library's queue) or on the library's queue for progress and a worker for the rest, and
// hands its answer to `answer` on the main queue unless a cancel answered first.
template <class Answer>
void run(const std::shared_ptr<PHPhotoLibrary>& library, const std::string& uuid, const PHImageRequestOptions& options,
         const photos::PhotoRequests::Ticket& ticket, std::function<Answer(PHImageInfo*)> work,
         std::function<void(Answer, PHImageInfo)> answer) {
    if (options.synchronous) {
        PHImageInfo info;
        bool go = false;
        dispatch_sync(library->queue(), [&] { go = download(*library, uuid, options, ticket, &info); });
        Answer a{};
        if (go) a = work(&info);
        if (photos::PhotoRequests::shared().finish(ticket)) answer(std::move(a), info);
        return;
    }
    dispatch_async(library->queue(), [=] {
        auto info = std::make_shared<PHImageInfo>();
        if (!download(*library, uuid, options, ticket, info.get())) {
            if (photos::PhotoRequests::shared().finish(ticket))
                dispatch_async(dispatch_get_main_queue(), [=] { answer(Answer{}, *info); });
            return;
        }
        dispatch_async(dispatch_get_global_queue(DISPATCH_QUEUE_PRIORITY_DEFAULT, 0), [=] {
            if (ticket.claimed()) return;
            auto a = std::make_shared<Answer>(work(info.get()));
            if (photos::PhotoRequests::shared().finish(ticket))
                dispatch_async(dispatch_get_main_queue(), [=] { answer(std::move(*a), *info); });
        });
    });
}

}  // namespace

PHImageManager& PHImageManager::defaultManager() {
    static PHImageManager manager;
    return manager;
}

ThumbnailCache::Picture PHImageManager::picture(PHPhotoLibrary& library, const std::string& uuid, CGSize target,
                                                int contentMode, NSErrorPtr* error) {
    auto record = library.hasAccess() ? library.store().asset(uuid) : std::nullopt;
    if (!record || record->trashedDate) return *error = goneError(uuid), nullptr;
    const std::string path = library.store().contentPath(*record);
    platform::ImageIOError decodeError;
    ThumbnailCache::Picture p;
    if (target.width < 0 || target.height < 0) {
        if (auto full = photos::DecodeUpright(path, 0, &decodeError))
            p = std::make_shared<const platform::ImageBitmap>(std::move(*full));
    } else {
        ThumbnailCache::Key key{uuid, record->revision, static_cast<std::uint32_t>(std::lround(target.width)),
                                static_cast<std::uint32_t>(std::lround(target.height)),
                                contentMode == PHImageContentModeAspectFill ? ThumbnailCache::Mode::AspectFill
                                                                            : ThumbnailCache::Mode::AspectFit};
        p = library.thumbnails().thumbnail(key, path, &decodeError);
    }
    if (!p)
        *error = photos::PhotosError(photos::kPhotosErrorInvalidResource, "The photo's file could not be read.",
                                     decodeError.message);
    return p;
}

PHImageRequestID PHImageManager::requestImageForAsset(const PHAsset& asset, CGSize targetSize, int contentMode,
                                                      const PHImageRequestOptions& options, ImageHandler handler) {
    auto library = asset.photoLibrary();
    const std::string uuid = asset.localIdentifier();
    const bool sync = options.synchronous;
    auto deliver = [handler, sync](UIImagePtr image, PHImageInfo info) {
        if (!handler) return;
        if (sync) handler(image, info);
        else dispatch_async(dispatch_get_main_queue(), [=] { handler(image, info); });
    };
    const auto ticket = photos::PhotoRequests::shared().add([deliver] {
        PHImageInfo info;
        info.cancelled = true;
        deliver(nullptr, info);
    });
    // A degraded picture from memory first, while the exact one is made.
    if (!sync && options.deliveryMode == PHImageRequestOptionsDeliveryModeOpportunistic && targetSize.width > 0) {
        auto record = asset.record();
        ThumbnailCache::Key key{uuid, record.revision, static_cast<std::uint32_t>(std::lround(targetSize.width)),
                                static_cast<std::uint32_t>(std::lround(targetSize.height)),
                                contentMode == PHImageContentModeAspectFill ? ThumbnailCache::Mode::AspectFill
                                                                            : ThumbnailCache::Mode::AspectFit};
        if (!library->thumbnails().cached(key))
            if (auto quick = library->thumbnails().anyCached(uuid, record.revision)) {
                PHImageInfo info;
                info.degraded = true;
                deliver(photos::ImageFromBitmap(*quick), info);
            }
    }
    run<UIImagePtr>(
        library, uuid, options, ticket,
        [library, uuid, targetSize, contentMode](PHImageInfo* info) -> UIImagePtr {
            NSErrorPtr error;
            auto p = picture(*library, uuid, targetSize, contentMode, &error);
            info->error = error;
            return p ? photos::ImageFromBitmap(*p) : nullptr;
        },
        [handler](UIImagePtr image, PHImageInfo info) {
            if (handler) handler(image, info);
        });
    return ticket.id;
}

PHImageRequestID PHImageManager::requestImageDataForAsset(const PHAsset& asset, const PHImageRequestOptions& options,
                                                          DataHandler handler) {
    struct Answer {
        std::shared_ptr<const std::vector<std::uint8_t>> data;
        std::string uti;
        int orientation = 1;
    };
    auto library = asset.photoLibrary();
    const std::string uuid = asset.localIdentifier();
    const bool sync = options.synchronous;
    const auto ticket = photos::PhotoRequests::shared().add([handler, sync] {
        PHImageInfo info;
        info.cancelled = true;
        if (!handler) return;
        if (sync) handler(nullptr, "", 1, info);
        else dispatch_async(dispatch_get_main_queue(), [=] { handler(nullptr, "", 1, info); });
    });
    run<Answer>(
        library, uuid, options, ticket,
        [library, uuid](PHImageInfo* info) {
            Answer a;
            auto record = library->hasAccess() ? library->store().asset(uuid) : std::nullopt;
            if (!record || record->trashedDate) return info->error = goneError(uuid), a;
            std::ifstream in(library->store().contentPath(*record), std::ios::binary);
            if (!in) {
                info->error = photos::PhotosError(photos::kPhotosErrorInvalidResource,
                                                  "The photo's file could not be read.", uuid);
                return a;
            }
            a.data = std::make_shared<const std::vector<std::uint8_t>>(std::istreambuf_iterator<char>(in),
                                                                       std::istreambuf_iterator<char>());
            a.uti = record->edit ? "public.jpeg" : record->originalType;
            a.orientation = record->edit ? 1 : record->orientation;
            return a;
        },
        [handler](Answer a, PHImageInfo info) {
            if (handler) handler(a.data, a.uti, a.orientation, info);
        });
    return ticket.id;
}

void PHImageManager::cancelImageRequest(PHImageRequestID requestID) {
    photos::PhotoRequests::shared().cancel(requestID);
}
