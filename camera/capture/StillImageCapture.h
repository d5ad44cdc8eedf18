#pragma once
// One still photograph from the camera: the image, already upright, and the metadata the
// camera attached to it; or, when none was taken, the error saying why. A BGRA still is turned by its Exif orientation into upright pixels,
// so its metadata then says Orientation 1 and, after a quarter turn, carries the exchanged
// Exif pixel dimensions: nothing downstream turns the picture a second time.
#include <memory>
#include <optional>

#include "platform/coremedia/CMSampleBuffer.h"
#include "platform/foundation/NSError.h"
#include "platform/imageio/ImageProperties.h"
#include "platform/uikit/UIImage.h"

class StillImageCapture {
public:
    // The entries filled in beside the camera's own: location, original date and software.
    static constexpr int kMetadataOptions = 11;

    // A buffer without a BGRA image gives a null image; one without attachments, no metadata.
    explicit StillImageCapture(const platform::CMSampleBufferRef& sampleBuffer);
    StillImageCapture() = default;
    // A still as JPEG data: the picture decoded as the data has it (its orientation kept as
    // the image's), the metadata as for a BGRA still but left as the camera stated it.
    static std::unique_ptr<StillImageCapture> withJPEGSampleBuffer(const platform::CMSampleBufferRef& sampleBuffer);
    // The buffer's attachments filled with `kMetadataOptions`; none without attachments.
    static std::optional<platform::ImageProperties> metadataOfSampleBuffer(
        const platform::CMSampleBufferRef& sampleBuffer);

    const UIImagePtr& image() const { return image_; }
    void setImage(UIImagePtr image) { image_ = std::move(image); }
    const std::optional<platform::ImageProperties>& metadata() const { return metadata_; }
    void setMetadata(std::optional<platform::ImageProperties> metadata) { metadata_ = std::move(metadata); }
    // Why no still was taken; null when one was.
    const NSErrorPtr& error() const { return error_; }
    void setError(NSErrorPtr error) { error_ = std::move(error); }

private:
    UIImagePtr image_;
    std::optional<platform::ImageProperties> metadata_;
    NSErrorPtr error_;
};

using StillImageCapturePtr = std::unique_ptr<StillImageCapture>;
