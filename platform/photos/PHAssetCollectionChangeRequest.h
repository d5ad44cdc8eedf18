#pragma once
// Requests to create an album and to add assets to it or remove them (by asset or by a
// placeholder's identifier). Made inside a change block; outside one the factories give null.
#include <memory>
#include <string>
#include <vector>

#include "platform/photos/PHAssetCollection.h"
#include "platform/photos/PHChangeRequest.h"
#include "platform/photos/PHObjectPlaceholder.h"

class PHAssetCollectionChangeRequest : public PHChangeRequest {
public:
    static std::shared_ptr<PHAssetCollectionChangeRequest> creationRequestForAssetCollectionWithTitle(
        const std::string& title);
    // Null for a smart album (its members follow from the assets).
    static std::shared_ptr<PHAssetCollectionChangeRequest> changeRequestForAssetCollection(
        const PHAssetCollection& collection);

    std::shared_ptr<PHObjectPlaceholder> placeholderForCreatedAssetCollection() const { return placeholder_; }
    void addAssets(const std::vector<std::string>& localIdentifiers);
    void removeAssets(const std::vector<std::string>& localIdentifiers);

    void record(photos::ChangeSet& changes) const override;

private:
    PHAssetCollectionChangeRequest() = default;
    photos::AlbumChange change_;
    std::shared_ptr<PHObjectPlaceholder> placeholder_;
};
