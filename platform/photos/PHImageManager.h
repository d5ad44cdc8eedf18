#pragma once
// Pictures and data of assets. Asynchronous answers arrive on the main queue; progress of a
// remote asset comes on the library's queue, in order, and all of it before the answer is
// posted. A synchronous request answers on the caller's thread. Every request's handler runs
// exactly once with its final answer (an opportunistic request may get a degraded picture
// from the cache first); a cancelled request gets a cancelled info and no picture; a
// trashed, deleted or unreadable asset gives no picture and an error.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/coregraphics/CGGeometry.h"
#include "platform/foundation/NSError.h"
#include "platform/photos/PHAsset.h"
#include "platform/photos/ThumbnailCache.h"
#include "platform/uikit/UIImage.h"

using PHImageRequestID = std::uint64_t;

enum PHImageContentMode : int { PHImageContentModeAspectFit = 0, PHImageContentModeAspectFill = 1 };
enum PHImageRequestOptionsDeliveryMode : int {
    PHImageRequestOptionsDeliveryModeOpportunistic = 0,
    PHImageRequestOptionsDeliveryModeHighQualityFormat = 1,
    PHImageRequestOptionsDeliveryModeFastFormat = 2,
};
// A target size that asks for the full picture.
inline constexpr CGSize PHImageManagerMaximumSize{-1, -1};

struct PHImageRequestOptions {
    int deliveryMode = PHImageRequestOptionsDeliveryModeOpportunistic;
    bool synchronous = false;
    bool networkAccessAllowed = false;
    std::function<void(double progress, bool* stop)> progressHandler;
};

struct PHImageInfo {
    bool degraded = false;
    bool cancelled = false;
    bool inCloud = false;
    NSErrorPtr error;
};

class PHImageManager {
public:
    using ImageHandler = std::function<void(UIImagePtr image, const PHImageInfo& info)>;
    using DataHandler = std::function<void(std::shared_ptr<const std::vector<std::uint8_t>> data,
                                           const std::string& dataUTI, int exifOrientation, const PHImageInfo& info)>;

    static PHImageManager& defaultManager();
    virtual ~PHImageManager() = default;

    PHImageRequestID requestImageForAsset(const PHAsset& asset, CGSize targetSize, int contentMode,
                                          const PHImageRequestOptions& options, ImageHandler handler);
    PHImageRequestID requestImageDataForAsset(const PHAsset& asset, const PHImageRequestOptions& options,
                                              DataHandler handler);
    void cancelImageRequest(PHImageRequestID requestID);

protected:
    // The picture for the request (null with the error when it cannot be made).
    static ThumbnailCache::Picture picture(PHPhotoLibrary& library, const std::string& uuid, CGSize targetSize,
                                           int contentMode, NSErrorPtr* error);
};
