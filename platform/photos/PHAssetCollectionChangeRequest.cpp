#include "platform/photos/PHAssetCollectionChangeRequest.h"

std::shared_ptr<PHAssetCollectionChangeRequest>
PHAssetCollectionChangeRequest::creationRequestForAssetCollectionWithTitle(const std::string& title) {
    std::shared_ptr<PHAssetCollectionChangeRequest> request(new PHAssetCollectionChangeRequest);
    request->change_.create = true;
    request->change_.uuid = photos::MakeUUID();
    request->change_.title = title;
    request->placeholder_ = std::make_shared<PHObjectPlaceholder>(request->change_.uuid);
    return enlist(request) ? request : nullptr;
}

std::shared_ptr<PHAssetCollectionChangeRequest> PHAssetCollectionChangeRequest::changeRequestForAssetCollection(
    const PHAssetCollection& collection) {
    if (collection.assetCollectionType() != PHAssetCollectionTypeAlbum) return nullptr;
    std::shared_ptr<PHAssetCollectionChangeRequest> request(new PHAssetCollectionChangeRequest);
    request->change_.uuid = collection.localIdentifier();
    return enlist(request) ? request : nullptr;
}

void PHAssetCollectionChangeRequest::addAssets(const std::vector<std::string>& localIdentifiers) {
    change_.add.insert(change_.add.end(), localIdentifiers.begin(), localIdentifiers.end());
}

void PHAssetCollectionChangeRequest::removeAssets(const std::vector<std::string>& localIdentifiers) {
    change_.remove.insert(change_.remove.end(), localIdentifiers.begin(), localIdentifiers.end());
}

void PHAssetCollectionChangeRequest::record(photos::ChangeSet& changes) const { changes.albums.push_back(change_); }
