#pragma once
// Saving a photo straight into the saved-photos album, its metadata filled as for any save:
// with metadata given, a copy without its burst entry, filled by the options (4 unless
// given); with none, a new dictionary filled by 30 (orientation, the dates of a picture made
// now, keyword, software; no location). The Orientation written is the image's own, since the
// pixels go in their stored position. A failure shows the share-error alert; the completion
// gets the error (null on success). The end of a save runs on the main queue.
#include <functional>
#include <memory>
#include <optional>

#include "library/metadata/NSMutableDictionary+ImageMetadataUtility.h"
#include "platform/foundation/NSError.h"
#include "platform/photos/ALAssetsLibrary.h"
#include "platform/uikit/UIImage.h"

namespace CameraUtility {

using Completion = std::function<void(NSErrorPtr error)>;
using Metadata = ImageMetadataUtility::Metadata;

inline constexpr int kDefaultSaveOptions = ImageMetadataOptionDateDigitized;
inline constexpr int kBareSaveOptions = ImageMetadataOptionDateOriginal | ImageMetadataOptionDateDigitized |
                                        ImageMetadataOptionSoftware | ImageMetadataOptionOrientation;

// The metadata a save writes for the image.
Metadata albumSaveMetadata(const UIImage& image, const std::optional<Metadata>& metadata, int options);

void saveToAlbum(const UIImagePtr& image, Completion completion, std::shared_ptr<ALAssetsLibrary> library = nullptr);
void saveToAlbumWithMetadata(const UIImagePtr& image, const std::optional<Metadata>& metadata, Completion completion,
                             std::shared_ptr<ALAssetsLibrary> library = nullptr);
// The save itself (a new assets library when none is given).
void saveToAlbumWithMetadata(const UIImagePtr& image, const std::optional<Metadata>& metadata, int options,
                             Completion completion, std::shared_ptr<ALAssetsLibrary> library = nullptr);

// The end of a write: the alert on failure, then the completion, on the main queue; `keep`
// holds what must live until then.
ALAssetsLibrary::Completion saveEnding(std::shared_ptr<const void> keep, Completion completion);

}  // namespace CameraUtility
