#include "platform/photos/PHAsset.h"

#include <algorithm>
#include <set>

#include "platform/photos/PHAssetCollection.h"
#include "platform/photos/PHPhotoLibrary.h"

namespace {

std::shared_ptr<PHPhotoLibrary> resolve(std::shared_ptr<PHPhotoLibrary> library) {
    return library ? library : PHPhotoLibrary::sharedPhotoLibrary();
}

double sortValue(const photos::AssetRecord& r, const std::string& key) {
    if (key == "creationDate") return r.creationDate;
    if (key == "modificationDate") return r.modificationDate;
    if (key == "pixelWidth") return r.width;
    if (key == "pixelHeight") return r.height;
    if (key == "duration") return r.duration;
    return static_cast<double>(r.id);
}

// Assets fetched through `select` (run on every fetch, so the result can be taken again).
std::shared_ptr<PHAsset::FetchResult> fetch(std::shared_ptr<PHPhotoLibrary> library, PHFetchOptions options,
                                            std::function<std::vector<photos::AssetRecord>(PHPhotoLibrary&)> select) {
    return std::make_shared<PHAsset::FetchResult>([library, options, select] {
        std::vector<PHAssetPtr> out;
        if (!library || !library->hasAccess()) return out;
        auto records = select(*library);
        PHApplyFetchOptions(records, options);
        for (auto& r : records) out.push_back(std::make_shared<PHAsset>(library, std::move(r)));
        return out;
    });
}

}  // namespace

void PHApplyFetchOptions(std::vector<photos::AssetRecord>& records, const PHFetchOptions& options) {
    std::erase_if(records, [&](const photos::AssetRecord& r) {
        return (options.mediaType && r.mediaType != *options.mediaType) ||
               (options.favorite && r.favorite != *options.favorite);
    });
    if (!options.sortDescriptors.empty()) {
        std::stable_sort(records.begin(), records.end(), [&](const auto& a, const auto& b) {
            for (auto& d : options.sortDescriptors) {
                const double x = sortValue(a, d.key), y = sortValue(b, d.key);
                if (x != y) return d.ascending ? x < y : x > y;
            }
            return false;
        });
    }
    if (options.fetchLimit && records.size() > options.fetchLimit) records.resize(options.fetchLimit);
}

PHAsset::PHAsset(std::shared_ptr<PHPhotoLibrary> library, photos::AssetRecord record)
    : library_(std::move(library)), record_(std::move(record)) {}

bool PHAsset::canPerformEditOperation(PHAssetEditOperation operation) const {
    return operation != PHAssetEditOperation::Content || record_.mediaType == PHAssetMediaTypeImage;
}

std::shared_ptr<PHAsset::FetchResult> PHAsset::fetchAssetsWithOptions(const PHFetchOptions& options,
                                                                      std::shared_ptr<PHPhotoLibrary> library) {
    return fetch(resolve(std::move(library)), options, [](PHPhotoLibrary& l) { return l.store().assets(); });
}

std::shared_ptr<PHAsset::FetchResult> PHAsset::fetchAssetsWithMediaType(int mediaType, const PHFetchOptions& options,
                                                                        std::shared_ptr<PHPhotoLibrary> library) {
    PHFetchOptions typed = options;
    typed.mediaType = mediaType;
    return fetchAssetsWithOptions(typed, std::move(library));
}

std::shared_ptr<PHAsset::FetchResult> PHAsset::fetchAssetsWithLocalIdentifiers(
    const std::vector<std::string>& identifiers, const PHFetchOptions& options,
    std::shared_ptr<PHPhotoLibrary> library) {
    return fetch(resolve(std::move(library)), options, [identifiers](PHPhotoLibrary& l) {
        std::vector<photos::AssetRecord> out;
        for (auto& id : identifiers)
            if (auto r = l.store().asset(id); r && !r->trashedDate) out.push_back(std::move(*r));
        return out;
    });
}

std::shared_ptr<PHAsset::FetchResult> PHAsset::fetchAssetsInAssetCollection(const PHAssetCollection& collection,
                                                                            const PHFetchOptions& options) {
    const std::string identifier = collection.localIdentifier();
    const int subtype = collection.assetCollectionSubtype();
    const bool smart = collection.assetCollectionType() == PHAssetCollectionTypeSmartAlbum;
    return fetch(collection.photoLibrary(), options, [identifier, subtype, smart](PHPhotoLibrary& l) {
        auto all = l.store().assets();
        std::vector<photos::AssetRecord> out;
        if (smart) {
            for (auto& r : all)
                if (PHAssetCollection::smartAlbumContains(subtype, r)) out.push_back(r);
            return out;
        }
        auto album = l.store().album(identifier);
        if (!album) return out;
        for (auto id : album->assetIds)
            for (auto& r : all)
                if (r.id == id) out.push_back(r);
        return out;
    });
}
