#pragma once
// One still photograph from the camera: the image, already upright, and the metadata the
// camera attached to it. A BGRA still is turned by its Exif orientation into upright pixels,
// so its metadata then says Orientation 1 and, after a quarter turn, carries the exchanged
// Exif pixel dimensions: nothing downstream turns the picture a second time.
#include <memory>
#include <optional>

#include "platform/coremedia/CMSampleBuffer.h"
#include "platform/imageio/ImageProperties.h"
#include "platform/uikit/UIImage.h"

class StillImageCapture {
public:
    // The entries filled in beside the camera's own: location, original date and software.
    static constexpr int kMetadataOptions = 11;

    // A buffer without a BGRA image gives a null image; one without attachments, no metadata.
    explicit StillImageCapture(const platform::CMSampleBufferRef& sampleBuffer);
    StillImageCapture() = default;

    const UIImagePtr& image() const { return image_; }
    void setImage(UIImagePtr image) { image_ = std::move(image); }
    const std::optional<platform::ImageProperties>& metadata() const { return metadata_; }
    void setMetadata(std::optional<platform::ImageProperties> metadata) { metadata_ = std::move(metadata); }

private:
    UIImagePtr image_;
    std::optional<platform::ImageProperties> metadata_;
};

using StillImageCapturePtr = std::unique_ptr<StillImageCapture>;
