#pragma once
// Requests to create assets (from an image or movie file, copied in), to save or revert an
// edit, to mark a favourite, and to delete assets. Made inside a change block; outside one
// the factories give null.
#include <memory>
#include <string>
#include <vector>

#include "platform/photos/PHAsset.h"
#include "platform/photos/PHChangeRequest.h"
#include "platform/photos/PHObjectPlaceholder.h"

class PHContentEditingOutput;

class PHAssetChangeRequest : public PHChangeRequest {
public:
    static std::shared_ptr<PHAssetChangeRequest> creationRequestForAssetFromImageAtFileURL(const std::string& path);
    static std::shared_ptr<PHAssetChangeRequest> creationRequestForAssetFromVideoAtFileURL(const std::string& path);
    static std::shared_ptr<PHAssetChangeRequest> changeRequestForAsset(const PHAsset& asset);
    static void deleteAssets(const std::vector<PHAssetPtr>& assets);

    // The created asset's identifier (creation requests only).
    std::shared_ptr<PHObjectPlaceholder> placeholderForCreatedAsset() const { return placeholder_; }
    void setContentEditingOutput(const PHContentEditingOutput& output);
    void revertAssetToOriginal();
    void setFavorite(bool favorite);
    // A creation option: the photo is a self-portrait.
    void setSelfPortrait(bool selfPortrait) { creation_.selfPortrait = selfPortrait; }
    // A creation option: the change fails (kPhotosErrorDuplicate) when the library already
    // holds a file of the same bytes.
    void setOnlyIfNew(bool onlyIfNew) { creation_.onlyIfNew = onlyIfNew; }

    void record(photos::ChangeSet& changes) const override;

    struct DeleteRequest;

private:
    PHAssetChangeRequest() = default;
    bool creates_ = false;
    photos::AssetCreation creation_;
    std::shared_ptr<PHObjectPlaceholder> placeholder_;
    std::string uuid_;
    std::vector<photos::AssetEdit> edits_;
};
