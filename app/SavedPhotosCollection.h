#pragma once
// The photo library as the camera screen needs it before the album browser takes over: the
// user-library album's newest picture for the album button, and the three ways a photo taken
// goes in (a plain photo; a photo whose original is the capture with the rendering and the
// editing state as its edit; a flattened export in the file type of the settings). Saves run in
// turn; each completion runs once, on the main queue.
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/imageio/ImageProperties.h"
#include "platform/uikit/UIImage.h"

class PHPhotoLibrary;

class SavedPhotosCollection {
public:
    using Metadata = std::optional<platform::ImageProperties>;
    using SaveCompletion = std::function<void(bool saved)>;
    static constexpr CGFloat kGroupImageSide = 256;

    // The shared library when none is given.
    explicit SavedPhotosCollection(std::shared_ptr<PHPhotoLibrary> library = nullptr);
    ~SavedPhotosCollection();

    // The newest picture of the user-library album, read afresh (null for an empty album).
    UIImagePtr savedPhotoGroupImage();
    // The same, from the last read when there was one.
    UIImagePtr cachedSavedPhotoGroupImage();

    void saveNewAssetWithImage(const UIImagePtr& image, const UIImagePtr& originalImage, const std::string& data,
                               const Metadata& metadata, SaveCompletion completion);
    void saveNewAssetWithImage(const UIImagePtr& image, const Metadata& metadata, SaveCompletion completion);
    // In the file type of the save type (0 JPEG, 1 PNG, 2 TIFF), with the edit keyword.
    void exportNewAssetWithImage(const UIImagePtr& image, int saveType, const Metadata& metadata,
                                 SaveCompletion completion);

private:
    // A new asset from a file written into the temporary folder; the new asset's identifier
    // (empty on failure) to `then`, on the main queue.
    void createAsset(const UIImagePtr& image, int saveType, const Metadata& metadata,
                     std::function<void(const std::string& identifier)> then);

    std::shared_ptr<PHPhotoLibrary> library_;
    UIImagePtr cachedGroupImage_;
};
