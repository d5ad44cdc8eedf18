#include "camera/capture/PlaceholderContentView.h"

#include "engine/view/UIImageData.h"
#include "ui/images/UIImage+ImageUtility.h"

void PlaceholderContentView::setImage(UIImagePtr image) {
    placeholderImage_ = image;
    ImageContentView::setImage(image ? ImageUtility::autoAdjust(image) : nullptr);
}

UIImagePtr PlaceholderContentView::processedImageForImage(const UIImagePtr& image) const {
    const auto data = UIImageData::imageDataWithUIImage(image);
    return processedImageForImageData(data.get());
}

UIImagePtr PlaceholderContentView::processedImageForImageData(const ImageData* imageData) const {
    const UIImagePtr image = imageData ? imageData->uiImage() : nullptr;
    return image ? ImageUtility::autoAdjust(image) : nullptr;
}

void PlaceholderContentView::animateCameraEnabled(bool enabled, const Block& completion) {
    setZoomEnabled(!enabled);
    if (enabled) {
        const UIImagePtr sample = UIImage::imageNamed(kSampleImageName);
        setImage(sample ? ImageUtility::resizedImage(sample, bounds().size, kCGInterpolationDefault) : nullptr);
    } else {
        setImage(nullptr);
    }
    if (completion) completion();
}

void PlaceholderContentView::animateCameraSnap(const Block& block, const SnapCompletion& completion) const {
    if (block) block();
    if (completion) completion(placeholderImage_, std::nullopt, nullptr);
}
