#include "platform/photos/PHCachingImageManager.h"

#include "platform/foundation/Dispatch.h"
#include "platform/photos/PHPhotoLibrary.h"

void PHCachingImageManager::startCachingImagesForAssets(const std::vector<PHAssetPtr>& assets, CGSize targetSize,
                                                        int contentMode, const PHImageRequestOptions&) {
    const std::uint64_t generation = generation_->load();
    for (auto& asset : assets) {
        if (!asset) continue;
        auto library = asset->photoLibrary();
        const std::string uuid = asset->localIdentifier();
        auto current = generation_;
        auto stopped = stopped_;
        {
            std::lock_guard lock(stopped->mutex);
            stopped->uuids.erase(uuid);
        }
        dispatch_async(dispatch_get_global_queue(DISPATCH_QUEUE_PRIORITY_LOW, 0), [=] {
            if (current->load() != generation) return;
            {
                std::lock_guard lock(stopped->mutex);
                if (stopped->uuids.count(uuid)) return;
            }
            NSErrorPtr ignored;
            picture(*library, uuid, targetSize, contentMode, &ignored);
        });
    }
}

void PHCachingImageManager::stopCachingImagesForAssets(const std::vector<PHAssetPtr>& assets, CGSize, int,
                                                       const PHImageRequestOptions&) {
    std::lock_guard lock(stopped_->mutex);
    for (auto& asset : assets)
        if (asset) stopped_->uuids.insert(asset->localIdentifier());
}

void PHCachingImageManager::stopCachingImagesForAllAssets() { ++*generation_; }
