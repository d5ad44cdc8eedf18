#include "platform/photos/PHAssetCollection.h"

#include <functional>

#include "platform/photos/PHPhotoLibrary.h"

namespace {

struct SmartAlbum {
    int subtype;
    const char* title;
};
// In the order the albums list shows them.
constexpr SmartAlbum kSmartAlbums[] = {
    {PHAssetCollectionSubtypeSmartAlbumUserLibrary, "All Photos"},
    {PHAssetCollectionSubtypeSmartAlbumFavorites, "Favorites"},
    {PHAssetCollectionSubtypeSmartAlbumSelfPortraits, "Selfies"},
    {PHAssetCollectionSubtypeSmartAlbumPanoramas, "Panoramas"},
};

std::string smartIdentifier(int subtype) { return "smartalbum-" + std::to_string(subtype); }

std::shared_ptr<PHPhotoLibrary> resolve(std::shared_ptr<PHPhotoLibrary> library) {
    return library ? library : PHPhotoLibrary::sharedPhotoLibrary();
}

std::shared_ptr<PHAssetCollection::FetchResult> fetch(std::shared_ptr<PHPhotoLibrary> library,
                                                      std::function<bool(const PHAssetCollection&)> keep) {
    return std::make_shared<PHAssetCollection::FetchResult>([library, keep] {
        std::vector<std::shared_ptr<PHAssetCollection>> out;
        if (!library || !library->hasAccess()) return out;
        const auto all = library->store().assets();
        for (auto& s : kSmartAlbums)
            if (auto c = PHAssetCollection::smartAlbum(library, s.subtype, all); keep(*c)) out.push_back(c);
        for (auto& a : library->store().albums())
            if (auto c = PHAssetCollection::album(library, a); keep(*c)) out.push_back(c);
        return out;
    });
}

}  // namespace

bool PHAssetCollection::smartAlbumContains(int subtype, const photos::AssetRecord& a) {
    switch (subtype) {
    case PHAssetCollectionSubtypeSmartAlbumUserLibrary: return true;
    case PHAssetCollectionSubtypeSmartAlbumFavorites: return a.favorite;
    case PHAssetCollectionSubtypeSmartAlbumSelfPortraits: return a.selfPortrait;
    case PHAssetCollectionSubtypeSmartAlbumPanoramas: return a.panorama;
    }
    return false;
}

std::shared_ptr<PHAssetCollection> PHAssetCollection::smartAlbum(std::shared_ptr<PHPhotoLibrary> library, int subtype,
                                                                 const std::vector<photos::AssetRecord>& all) {
    auto c = std::make_shared<PHAssetCollection>();
    c->library_ = std::move(library);
    c->identifier_ = smartIdentifier(subtype);
    for (auto& s : kSmartAlbums)
        if (s.subtype == subtype) c->title_ = s.title;
    c->type_ = PHAssetCollectionTypeSmartAlbum;
    c->subtype_ = subtype;
    c->identity_ = -subtype;
    for (auto& r : all)
        if (smartAlbumContains(subtype, r)) c->members_.push_back(r.id);
    return c;
}

std::shared_ptr<PHAssetCollection> PHAssetCollection::album(std::shared_ptr<PHPhotoLibrary> library,
                                                            const photos::AlbumRecord& record) {
    auto c = std::make_shared<PHAssetCollection>();
    c->library_ = std::move(library);
    c->identifier_ = record.uuid;
    c->title_ = record.title;
    c->identity_ = record.id;
    c->members_ = record.assetIds;
    return c;
}

std::uint64_t PHAssetCollection::fetchRevision() const {
    std::uint64_t h = std::hash<std::string>{}(title_);
    for (auto id : members_) h = (h ^ static_cast<std::uint64_t>(id)) * 1099511628211ull;
    return h ^ members_.size();
}

std::vector<photos::AssetRecord> PHAssetCollection::memberRecords() const {
    std::vector<photos::AssetRecord> out;
    if (!library_) return out;
    const auto all = library_->store().assets();
    for (auto id : members_)
        for (auto& r : all)
            if (r.id == id) out.push_back(r);
    return out;
}

std::shared_ptr<PHAssetCollection::FetchResult> PHAssetCollection::fetchAssetCollectionsWithType(
    int type, int subtype, const PHFetchOptions&, std::shared_ptr<PHPhotoLibrary> library) {
    return fetch(resolve(std::move(library)), [type, subtype](const PHAssetCollection& c) {
        return c.assetCollectionType() == type &&
               (subtype == PHAssetCollectionSubtypeAny || c.assetCollectionSubtype() == subtype);
    });
}

std::shared_ptr<PHAssetCollection::FetchResult> PHAssetCollection::fetchAssetCollectionsWithLocalIdentifiers(
    const std::vector<std::string>& identifiers, const PHFetchOptions&, std::shared_ptr<PHPhotoLibrary> library) {
    return fetch(resolve(std::move(library)), [identifiers](const PHAssetCollection& c) {
        for (auto& id : identifiers)
            if (id == c.localIdentifier()) return true;
        return false;
    });
}
