#include "platform/coremedia/CMSampleBuffer.h"

namespace platform {

std::shared_ptr<CMSampleBuffer> CMSampleBuffer::videoFrame(CVPixelBufferRef pixelBuffer, CMTime presentationTime,
                                                           CMTime duration) {
    if (!pixelBuffer) return nullptr;
    auto buffer = std::make_shared<CMSampleBuffer>();
    buffer->format_.mediaType = kCMMediaType_Video;
    buffer->format_.mediaSubType = pixelBuffer->pixelFormatType();
    buffer->format_.dimensions = {static_cast<int32_t>(pixelBuffer->width()),
                                  static_cast<int32_t>(pixelBuffer->height())};
    buffer->imageBuffer_ = std::move(pixelBuffer);
    buffer->presentationTime_ = presentationTime;
    buffer->duration_ = duration;
    return buffer;
}

std::shared_ptr<CMSampleBuffer> CMSampleBuffer::audioPCM(std::vector<int16_t> samples, int32_t channels,
                                                         double sampleRate, CMTime presentationTime) {
    if (channels <= 0 || sampleRate <= 0 || samples.size() % static_cast<size_t>(channels) != 0) return nullptr;
    auto buffer = std::make_shared<CMSampleBuffer>();
    buffer->format_.mediaType = kCMMediaType_Audio;
    buffer->format_.mediaSubType = kAudioFormatLinearPCM;
    buffer->format_.sampleRate = sampleRate;
    buffer->format_.channelsPerFrame = channels;
    const auto frames = static_cast<int64_t>(samples.size() / static_cast<size_t>(channels));
    buffer->pcm_ = std::move(samples);
    buffer->presentationTime_ = presentationTime;
    buffer->duration_ = CMTimeMake(frames, static_cast<CMTimeScale>(sampleRate));
    return buffer;
}

int64_t CMSampleBuffer::numSamples() const {
    if (format_.mediaType == kCMMediaType_Video) return 1;
    return format_.channelsPerFrame > 0 ? static_cast<int64_t>(pcm_.size()) / format_.channelsPerFrame : 0;
}

CMTime CMSampleBufferGetPresentationTimeStamp(const CMSampleBufferRef& b) {
    return b ? b->presentationTimeStamp() : kCMTimeInvalid;
}
CMTime CMSampleBufferGetDuration(const CMSampleBufferRef& b) { return b ? b->duration() : kCMTimeInvalid; }
CVPixelBufferRef CMSampleBufferGetImageBuffer(const CMSampleBufferRef& b) { return b ? b->imageBuffer() : nullptr; }
const CMFormatDescription* CMSampleBufferGetFormatDescription(const CMSampleBufferRef& b) {
    return b ? &b->formatDescription() : nullptr;
}
int64_t CMSampleBufferGetNumSamples(const CMSampleBufferRef& b) { return b ? b->numSamples() : 0; }
CMVideoDimensions CMVideoFormatDescriptionGetDimensions(const CMFormatDescription* d) {
    return d ? d->dimensions : CMVideoDimensions{};
}
FourCharCode CMFormatDescriptionGetMediaSubType(const CMFormatDescription* d) { return d ? d->mediaSubType : 0; }
ImageProperties CMCopyDictionaryOfAttachments(const CMSampleBufferRef& b) {
    return b ? b->attachments() : ImageProperties{};
}

}  // namespace platform
