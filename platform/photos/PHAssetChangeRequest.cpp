#include "platform/photos/PHAssetChangeRequest.h"

#include "platform/photos/PHContentEditingOutput.h"

namespace {

class DeleteAssetsRequest : public PHChangeRequest {
public:
    explicit DeleteAssetsRequest(std::vector<std::string> uuids) : uuids_(std::move(uuids)) {}
    void record(photos::ChangeSet& changes) const override {
        changes.deletions.insert(changes.deletions.end(), uuids_.begin(), uuids_.end());
    }
    using PHChangeRequest::enlist;

private:
    std::vector<std::string> uuids_;
};

}  // namespace

std::shared_ptr<PHAssetChangeRequest> PHAssetChangeRequest::creationRequestForAssetFromImageAtFileURL(
    const std::string& path) {
    std::shared_ptr<PHAssetChangeRequest> request(new PHAssetChangeRequest);
    request->creates_ = true;
    request->uuid_ = photos::MakeUUID();
    request->creation_.uuid = request->uuid_;
    request->creation_.sourcePath = path;
    request->placeholder_ = std::make_shared<PHObjectPlaceholder>(request->uuid_);
    return enlist(request) ? request : nullptr;
}

std::shared_ptr<PHAssetChangeRequest> PHAssetChangeRequest::creationRequestForAssetFromVideoAtFileURL(
    const std::string& path) {
    auto request = creationRequestForAssetFromImageAtFileURL(path);
    if (request) request->creation_.movie = true;
    return request;
}

std::shared_ptr<PHAssetChangeRequest> PHAssetChangeRequest::changeRequestForAsset(const PHAsset& asset) {
    std::shared_ptr<PHAssetChangeRequest> request(new PHAssetChangeRequest);
    request->uuid_ = asset.localIdentifier();
    return enlist(request) ? request : nullptr;
}

void PHAssetChangeRequest::deleteAssets(const std::vector<PHAssetPtr>& assets) {
    std::vector<std::string> uuids;
    for (auto& a : assets)
        if (a) uuids.push_back(a->localIdentifier());
    DeleteAssetsRequest::enlist(std::make_shared<DeleteAssetsRequest>(std::move(uuids)));
}

void PHAssetChangeRequest::setContentEditingOutput(const PHContentEditingOutput& output) {
    photos::AssetEdit edit;
    edit.kind = photos::AssetEdit::Kind::Save;
    edit.uuid = uuid_;
    edit.outputAssetUUID = output.assetLocalIdentifier();
    edit.renderSource = output.renderedContentURL();
    if (auto& data = output.adjustmentData())
        edit.edit = photos::EditRecord{"", data->formatIdentifier, data->formatVersion, data->data, 0};
    edits_.push_back(std::move(edit));
}

void PHAssetChangeRequest::revertAssetToOriginal() {
    photos::AssetEdit edit;
    edit.kind = photos::AssetEdit::Kind::Revert;
    edit.uuid = uuid_;
    edits_.push_back(std::move(edit));
}

void PHAssetChangeRequest::setFavorite(bool favorite) {
    if (creates_) {
        creation_.favorite = favorite;
        return;
    }
    photos::AssetEdit edit;
    edit.kind = photos::AssetEdit::Kind::Favorite;
    edit.uuid = uuid_;
    edit.favorite = favorite;
    edits_.push_back(std::move(edit));
}

void PHAssetChangeRequest::record(photos::ChangeSet& changes) const {
    if (creates_) changes.creations.push_back(creation_);
    changes.edits.insert(changes.edits.end(), edits_.begin(), edits_.end());
}
