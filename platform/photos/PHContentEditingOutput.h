#pragma once
// The result of an edit: the editor writes a JPEG to `renderedContentURL` (a fresh file in
// the library's staging folder, removed when the change that saves it ends) and sets the
// adjustment data, then saves it with an asset change request of the same asset. An output made for a creation's placeholder gives the new
// asset its edit in the same change.
#include <memory>
#include <string>

#include "platform/photos/PHAdjustmentData.h"
#include "platform/photos/PHContentEditingInput.h"
#include "platform/photos/PHObjectPlaceholder.h"

class PHPhotoLibrary;

class PHContentEditingOutput {
public:
    PHContentEditingOutput(const PHContentEditingInput& input, PHPhotoLibrary& library);
    PHContentEditingOutput(const PHObjectPlaceholder& placeholder, PHPhotoLibrary& library);

    const std::string& renderedContentURL() const { return renderedContentURL_; }
    const std::shared_ptr<PHAdjustmentData>& adjustmentData() const { return adjustmentData_; }
    void setAdjustmentData(std::shared_ptr<PHAdjustmentData> data) { adjustmentData_ = std::move(data); }
    const std::string& assetLocalIdentifier() const { return assetLocalIdentifier_; }

private:
    std::string renderedContentURL_;
    std::shared_ptr<PHAdjustmentData> adjustmentData_;
    std::string assetLocalIdentifier_;
};
