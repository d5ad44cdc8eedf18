#pragma once
// One photo or movie of the library as it was when fetched (a value: a later change shows in
// a new fetch). Fetches run on the caller's thread; without photo access they are empty.
//
// Methods, by file: PHAsset.cpp (fetches, properties), PHAssetEditing.cpp (edit input requests).
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/NSError.h"
#include "platform/photos/PHAdjustmentData.h"
#include "platform/photos/PHFetchOptions.h"
#include "platform/photos/PHFetchResult.h"
#include "platform/photos/PhotoStore.h"

class PHPhotoLibrary;
class PHAssetCollection;
class PHContentEditingInput;

enum PHAssetMediaType : int { PHAssetMediaTypeUnknown = 0, PHAssetMediaTypeImage = 1, PHAssetMediaTypeVideo = 2 };
enum PHAssetMediaSubtype : unsigned { PHAssetMediaSubtypeNone = 0, PHAssetMediaSubtypePhotoPanorama = 1 };
enum class PHAssetEditOperation { Delete = 1, Content = 2, Properties = 3 };

using PHContentEditingInputRequestID = std::uint64_t;

struct PHContentEditingInputRequestOptions {
    // Whether the caller understands an edit's data: then the input is the original with the
    // data, otherwise the current content with none.
    std::function<bool(const PHAdjustmentData&)> canHandleAdjustmentData;
    bool networkAccessAllowed = false;
    // Called on the library's queue, in order, before the input is posted.
    std::function<void(double progress, bool* stop)> progressHandler;
};

struct PHContentEditingInfo {
    bool cancelled = false;
    bool inCloud = false;
    NSErrorPtr error;
};

class PHAsset {
public:
    using FetchResult = PHFetchResult<PHAsset>;

    PHAsset(std::shared_ptr<PHPhotoLibrary> library, photos::AssetRecord record);

    static std::shared_ptr<FetchResult> fetchAssetsWithOptions(const PHFetchOptions& options = {},
                                                               std::shared_ptr<PHPhotoLibrary> library = nullptr);
    static std::shared_ptr<FetchResult> fetchAssetsWithMediaType(int mediaType, const PHFetchOptions& options = {},
                                                                 std::shared_ptr<PHPhotoLibrary> library = nullptr);
    static std::shared_ptr<FetchResult> fetchAssetsWithLocalIdentifiers(
        const std::vector<std::string>& identifiers, const PHFetchOptions& options = {},
        std::shared_ptr<PHPhotoLibrary> library = nullptr);
    static std::shared_ptr<FetchResult> fetchAssetsInAssetCollection(const PHAssetCollection& collection,
                                                                     const PHFetchOptions& options = {});

    const std::string& localIdentifier() const { return record_.uuid; }
    int mediaType() const { return record_.mediaType; }
    unsigned mediaSubtypes() const { return record_.panorama ? unsigned{PHAssetMediaSubtypePhotoPanorama} : 0u; }
    int pixelWidth() const { return record_.width; }
    int pixelHeight() const { return record_.height; }
    double creationDate() const { return record_.creationDate; }
    double modificationDate() const { return record_.modificationDate; }
    std::optional<double> latitude() const { return record_.latitude; }
    std::optional<double> longitude() const { return record_.longitude; }
    double duration() const { return record_.duration; }
    bool isFavorite() const { return record_.favorite; }
    bool isSelfPortrait() const { return record_.selfPortrait; }
    bool hasAdjustments() const { return record_.edit.has_value(); }
    bool canPerformEditOperation(PHAssetEditOperation operation) const;

    const photos::AssetRecord& record() const { return record_; }
    const std::shared_ptr<PHPhotoLibrary>& photoLibrary() const { return library_; }
    std::int64_t fetchIdentity() const { return record_.id; }
    std::uint64_t fetchRevision() const { return static_cast<std::uint64_t>(record_.revision); }

    // The input for editing, posted to the main queue (or, when cancelled first, a cancelled
    // info and no input). A trashed, deleted or unreadable asset gives no input and an error.
    PHContentEditingInputRequestID requestContentEditingInputWithOptions(
        const PHContentEditingInputRequestOptions& options,
        std::function<void(std::shared_ptr<PHContentEditingInput>, const PHContentEditingInfo&)> handler) const;
    void cancelContentEditingInputRequest(PHContentEditingInputRequestID requestID) const;

private:
    std::shared_ptr<PHPhotoLibrary> library_;
    photos::AssetRecord record_;
};

using PHAssetPtr = std::shared_ptr<PHAsset>;

// The records sorted and limited as the options ask (a stable sort over the given order).
void PHApplyFetchOptions(std::vector<photos::AssetRecord>& records, const PHFetchOptions& options);
