#pragma once
// Sample buffers as capture outputs deliver them: either one video frame (a pixel buffer with
// its format's dimensions and media subtype) or a run of interleaved 16-bit PCM audio frames,
// each with its presentation time and duration, and attachments (an image I/O properties
// dictionary: orientation, Exif). Buffers are shared by reference (CMSampleBufferRef).
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/corevideo/CVPixelBuffer.h"
#include "platform/coremedia/CMTime.h"
#include "platform/imageio/ImageProperties.h"

namespace platform {

using FourCharCode = uint32_t;
using CMMediaType = FourCharCode;
constexpr CMMediaType kCMMediaType_Video = 0x76696465;      // 'vide'
constexpr CMMediaType kCMMediaType_Audio = 0x736f756e;      // 'soun'
constexpr FourCharCode kAudioFormatLinearPCM = 0x6c70636d;  // 'lpcm'

struct CMVideoDimensions {
    int32_t width = 0;
    int32_t height = 0;
    bool operator==(const CMVideoDimensions&) const = default;
};

struct CMFormatDescription {
    CMMediaType mediaType = 0;
    FourCharCode mediaSubType = 0;
    CMVideoDimensions dimensions;  // video
    double sampleRate = 0;         // audio
    int32_t channelsPerFrame = 0;  // audio
};

class CMSampleBuffer {
public:
    // A video frame of the pixel buffer's size and format.
    static std::shared_ptr<CMSampleBuffer> videoFrame(CVPixelBufferRef pixelBuffer, CMTime presentationTime,
                                                      CMTime duration);
    // Interleaved 16-bit PCM: `samples` holds frames × channels values.
    static std::shared_ptr<CMSampleBuffer> audioPCM(std::vector<int16_t> samples, int32_t channels, double sampleRate,
                                                    CMTime presentationTime);

    const CMFormatDescription& formatDescription() const { return format_; }
    const CVPixelBufferRef& imageBuffer() const { return imageBuffer_; }
    const std::vector<int16_t>& pcm() const { return pcm_; }
    CMTime presentationTimeStamp() const { return presentationTime_; }
    CMTime duration() const { return duration_; }
    // Video: 1; audio: frames in the buffer.
    int64_t numSamples() const;
    const ImageProperties& attachments() const { return attachments_; }
    void setAttachments(ImageProperties attachments) { attachments_ = std::move(attachments); }

private:
    CMFormatDescription format_;
    CVPixelBufferRef imageBuffer_;
    std::vector<int16_t> pcm_;
    CMTime presentationTime_ = kCMTimeInvalid;
    CMTime duration_ = kCMTimeInvalid;
    ImageProperties attachments_;
};

using CMSampleBufferRef = std::shared_ptr<CMSampleBuffer>;

CMTime CMSampleBufferGetPresentationTimeStamp(const CMSampleBufferRef& buffer);
CMTime CMSampleBufferGetDuration(const CMSampleBufferRef& buffer);
// Null for an audio buffer.
CVPixelBufferRef CMSampleBufferGetImageBuffer(const CMSampleBufferRef& buffer);
const CMFormatDescription* CMSampleBufferGetFormatDescription(const CMSampleBufferRef& buffer);
int64_t CMSampleBufferGetNumSamples(const CMSampleBufferRef& buffer);
CMVideoDimensions CMVideoFormatDescriptionGetDimensions(const CMFormatDescription* description);
FourCharCode CMFormatDescriptionGetMediaSubType(const CMFormatDescription* description);
// A copy of the buffer's attachments: the caller's changes leave the buffer's alone.
ImageProperties CMCopyDictionaryOfAttachments(const CMSampleBufferRef& buffer);

}  // namespace platform
