#include "camera/capture/StillImageCapture.h"

#include "library/metadata/NSMutableDictionary+ImageMetadataUtility.h"
#include "platform/avfoundation/AVCaptureStillImageOutput.h"
#include "platform/coregraphics/CGImage.h"
#include "platform/corevideo/CVPixelBuffer.h"
#include "platform/imageio/ImageIO.h"

using namespace platform;

namespace {

// The Exif orientation the metadata states; absent, 0 or out of range reads as 1 (upright).
int exifOrientation(const std::optional<ImageProperties>& metadata) {
    const ImagePropertyValue* value = metadata ? ImagePropertyFind(*metadata, kCGImagePropertyOrientation) : nullptr;
    const int64_t orientation = value && value->integer() ? *value->integer() : 1;
    return orientation >= 1 && orientation <= 8 ? static_cast<int>(orientation) : 1;
}

// The metadata of the upright picture: Orientation 1, the Exif pixel dimensions exchanged
// when the turn exchanged width and height.
void markUpright(ImageProperties& metadata, bool quarterTurn) {
    metadata[kCGImagePropertyOrientation] = 1;
    auto exif = metadata.find(kCGImagePropertyExifDictionary);
    if (!quarterTurn || exif == metadata.end() || !exif->second.dictionary()) return;
    ImageProperties& group = *exif->second.dictionary();
    auto x = group.find("PixelXDimension"), y = group.find("PixelYDimension");
    if (x != group.end() && y != group.end()) std::swap(x->second, y->second);
}

}  // namespace

std::optional<ImageProperties> StillImageCapture::metadataOfSampleBuffer(const CMSampleBufferRef& sampleBuffer) {
    if (!sampleBuffer || sampleBuffer->attachments().empty()) return std::nullopt;
    ImageProperties metadata = sampleBuffer->attachments();
    // The place (while geotagging is on), the moment taken and the program that took it.
    ImageMetadataUtility::autoPopulateMetadata(metadata, kMetadataOptions);
    return metadata;
}

std::unique_ptr<StillImageCapture> StillImageCapture::withJPEGSampleBuffer(const CMSampleBufferRef& sampleBuffer) {
    auto capture = std::make_unique<StillImageCapture>();
    if (!sampleBuffer) return capture;
    capture->metadata_ = metadataOfSampleBuffer(sampleBuffer);
    std::vector<uint8_t> jpeg = AVCaptureStillImageOutput::jpegStillImageNSDataRepresentation(sampleBuffer);
    if (!jpeg.empty()) capture->image_ = UIImage::imageWithData(std::move(jpeg));
    return capture;
}

StillImageCapture::StillImageCapture(const CMSampleBufferRef& sampleBuffer) {
    if (!sampleBuffer) return;
    metadata_ = metadataOfSampleBuffer(sampleBuffer);
    const CVPixelBufferRef buffer = CMSampleBufferGetImageBuffer(sampleBuffer);
    if (!buffer || CVPixelBufferLockBaseAddress(buffer, kCVPixelBufferLock_ReadOnly) != kCVReturnSuccess) return;
    const auto width = static_cast<uint32_t>(CVPixelBufferGetWidth(buffer));
    const auto height = static_cast<uint32_t>(CVPixelBufferGetHeight(buffer));
    const size_t bytesPerRow = CVPixelBufferGetBytesPerRow(buffer);
    const auto* base = static_cast<const uint8_t*>(CVPixelBufferGetBaseAddress(buffer));
    // Packed rows for the turn (the buffer's rows may be padded).
    ImageBitmap stored;
    stored.width = width, stored.height = height, stored.format = ImagePixelFormat::BGRA;
    stored.pixels.resize(size_t{width} * height * 4);
    for (uint32_t y = 0; y < height; ++y)
        std::copy_n(base + y * bytesPerRow, size_t{width} * 4, stored.pixels.data() + size_t{y} * width * 4);
    CVPixelBufferUnlockBaseAddress(buffer, kCVPixelBufferLock_ReadOnly);

    const int orientation = exifOrientation(metadata_);
    std::optional<ImageBitmap> upright = ApplyEXIFOrientation(stored, orientation);
    if (!upright) return;
    if (metadata_) markUpright(*metadata_, ImageOrientationSwapsSize(ImageOrientationFromEXIF(orientation)));
    const size_t rowBytes = upright->bytesPerRow();
    // 32-bit little-endian, first byte skipped: BGRA in memory.
    auto image = CGImageCreate(upright->width, upright->height, 8, 32, rowBytes, CGColorSpaceCreateDeviceRGB(),
                               kCGBitmapByteOrder32Little | kCGImageAlphaNoneSkipFirst, std::move(upright->pixels));
    if (image) image_ = UIImage::imageWithCGImage(image);
}
