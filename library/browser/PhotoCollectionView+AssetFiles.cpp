// PhotoCollectionView: the temporary photo files and the rendered content of edits.
#include "library/browser/PhotoCollectionView.h"
#include "library/metadata/UIImage+ImageMetadataUtility.h"
#include "platform/photos/PhotoStore.h"
#include "ui/images/UIImage+ImageUtility.h"

namespace {

// The file's modification date and the software entry with the program's keyword.
constexpr int kEditMetadataOptions = ImageMetadataOptionDateDigitized | ImageMetadataOptionSoftware;

void markAsEdit(PhotoCollectionView::Metadata& metadata) {
    ImageMetadataUtility::autoPopulateMetadata(metadata, kEditMetadataOptions);
    ImageMetadataUtility::appendKeyword(metadata, std::string(PhotoCollectionView::kEditKeyword));
}

}  // namespace

NSErrorPtr PhotoCollectionView::saveError(const std::string& reason) {
    return photos::PhotosError(photos::kPhotosErrorInvalidResource, "The photo could not be saved.", reason);
}

std::optional<std::string> PhotoCollectionView::writeImage(const UIImagePtr& image, const Metadata& metadata,
                                                           bool autoPopulateMetadata, bool copyData,
                                                           bool useAlternateFormats, NSErrorPtr* error) {
    if (!image) {
        if (error) *error = saveError(kNoPicture);
        return std::nullopt;
    }
    Metadata properties = metadata;
    ImageMetadataUtility::setImageOrientation(properties, static_cast<int>(image->imageOrientation()));
    if (autoPopulateMetadata) markAsEdit(properties);
    const int type = useAlternateFormats ? saveTypeSetting() : SaveTypeJPEG;
    return ImageMetadataUtility::writeImage(*image, photos::MakeUUID(), type, properties, copyData, error);
}

bool PhotoCollectionView::writeImageForRenderedContent(const UIImagePtr& image, const Metadata& metadata,
                                                       const std::string& url, bool copyData, NSErrorPtr* error) {
    auto upright = ImageUtility::normalizeOrientation(image);
    if (!upright) {
        if (error) *error = saveError(image ? "The edited picture could not be turned upright." : kNoPicture);
        return false;
    }
    Metadata properties = metadata;
    markAsEdit(properties);
    ImageMetadataUtility::setImageOrientation(properties, static_cast<int>(UIImageOrientation::Up));
    return ImageMetadataUtility::writeJpegRepresentation(*upright, ImageMetadataUtility::kJPEGQuality, properties, url,
                                                         copyData, error);
}
