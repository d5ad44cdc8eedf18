#pragma once
// An image manager that prepares pictures ahead of need (a grid about to scroll into view):
// they are built on a background queue into the library's thumbnail cache, so the requests
// that follow are answered from memory.
#include <atomic>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/photos/PHImageManager.h"

class PHCachingImageManager : public PHImageManager {
public:
    void startCachingImagesForAssets(const std::vector<PHAssetPtr>& assets, CGSize targetSize, int contentMode,
                                     const PHImageRequestOptions& options);
    // Work not yet started for these assets is dropped (until they are asked for again).
    void stopCachingImagesForAssets(const std::vector<PHAssetPtr>& assets, CGSize targetSize, int contentMode,
                                    const PHImageRequestOptions& options);
    // Work not yet started is dropped; what is cached stays until memory needs it.
    void stopCachingImagesForAllAssets();

private:
    struct Stopped {
        std::mutex mutex;
        std::set<std::string> uuids;
    };
    std::shared_ptr<std::atomic<std::uint64_t>> generation_ = std::make_shared<std::atomic<std::uint64_t>>(0);
    std::shared_ptr<Stopped> stopped_ = std::make_shared<Stopped>();
};
