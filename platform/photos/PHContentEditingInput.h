#pragma once
// What an editor starts from: the full-size image (a link in the library's inputs folder,
// removed when the last copy of the input goes), its orientation, an upright picture at most
// screen-sized, and the adjustment data when the editor said it can continue the edit.
#include <memory>
#include <string>

#include "platform/photos/PHAdjustmentData.h"
#include "platform/uikit/UIImage.h"

class PHContentEditingInput {
public:
    int mediaType = 1;
    std::string fullSizeImageURL;
    int fullSizeImageOrientation = 1;  // EXIF 1-8
    UIImagePtr displaySizeImage;
    std::shared_ptr<PHAdjustmentData> adjustmentData;  // null: the content is the current one
    double creationDate = 0;
    // The asset it belongs to: an output made from this input can only be saved to it.
    std::string assetLocalIdentifier;
    // Unlinks `fullSizeImageURL` when the last copy of the input goes.
    std::shared_ptr<const void> linkRelease;
};
