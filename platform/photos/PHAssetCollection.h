#pragma once
// An album: a regular one the user made (assets in their own order) or a smart album, which
// is a query (all photos, favourites, self-portraits, panoramas, in order of addition).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/photos/PHFetchOptions.h"
#include "platform/photos/PHFetchResult.h"
#include "platform/photos/PhotoStore.h"

class PHPhotoLibrary;

enum PHAssetCollectionType : int { PHAssetCollectionTypeAlbum = 1, PHAssetCollectionTypeSmartAlbum = 2 };
enum PHAssetCollectionSubtype : int {
    PHAssetCollectionSubtypeAlbumRegular = 2,
    PHAssetCollectionSubtypeSmartAlbumPanoramas = 201,
    PHAssetCollectionSubtypeSmartAlbumFavorites = 203,
    PHAssetCollectionSubtypeSmartAlbumUserLibrary = 209,
    PHAssetCollectionSubtypeSmartAlbumSelfPortraits = 210,
    PHAssetCollectionSubtypeAny = 0x7fffffff,
};

class PHAssetCollection {
public:
    using FetchResult = PHFetchResult<PHAssetCollection>;

    static std::shared_ptr<FetchResult> fetchAssetCollectionsWithType(
        int type, int subtype, const PHFetchOptions& options = {}, std::shared_ptr<PHPhotoLibrary> library = nullptr);
    static std::shared_ptr<FetchResult> fetchAssetCollectionsWithLocalIdentifiers(
        const std::vector<std::string>& identifiers, const PHFetchOptions& options = {},
        std::shared_ptr<PHPhotoLibrary> library = nullptr);

    const std::string& localIdentifier() const { return identifier_; }
    const std::string& localizedTitle() const { return title_; }
    int assetCollectionType() const { return type_; }
    int assetCollectionSubtype() const { return subtype_; }
    std::size_t estimatedAssetCount() const { return members_.size(); }
    const std::shared_ptr<PHPhotoLibrary>& photoLibrary() const { return library_; }

    // The member records in the collection's own order (untrashed).
    std::vector<photos::AssetRecord> memberRecords() const;
    std::int64_t fetchIdentity() const { return identity_; }
    // Moves with the title and with any change of membership or order.
    std::uint64_t fetchRevision() const;

    static std::shared_ptr<PHAssetCollection> smartAlbum(std::shared_ptr<PHPhotoLibrary> library, int subtype,
                                                         const std::vector<photos::AssetRecord>& all);
    static std::shared_ptr<PHAssetCollection> album(std::shared_ptr<PHPhotoLibrary> library,
                                                    const photos::AlbumRecord& record);
    // Whether a smart album of the subtype holds the asset.
    static bool smartAlbumContains(int subtype, const photos::AssetRecord& asset);

private:
    std::shared_ptr<PHPhotoLibrary> library_;
    std::string identifier_, title_;
    int type_ = PHAssetCollectionTypeAlbum, subtype_ = PHAssetCollectionSubtypeAlbumRegular;
    std::int64_t identity_ = 0;
    std::vector<std::int64_t> members_;
};
