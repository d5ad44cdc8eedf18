#pragma once
// One track of a movie being written: H.264 video from BGRA or RGBA pixel buffers (scaled to
// fill the track's size, cropped to its aspect, sizes rounded down to even for 4:2:0) or AAC
// audio (44.1 kHz mono, 64 kbit/s) from 16-bit PCM sample buffers of any rate and channel count.
// Times must increase strictly; a time that does not fails the input and its writer, as a
// muxer cannot take it. Pixels and sound are converted on the appending thread; a real-time
// input's frames are encoded on the writer's encoding thread (see AVAssetWriter).
#include <cstdint>
#include <memory>
#include <string>

#include "platform/coregraphics/CGGeometry.h"
#include "platform/coremedia/CMSampleBuffer.h"

struct AVCodecContext;
struct AVStream;
struct AVFormatContext;
struct AVFrame;

namespace platform {

class AVAssetWriter;

enum class AVMediaKind { Video, Audio };

// What the input encodes: a video track's size, or nothing for audio (the format is fixed).
struct AVWriterInputSettings {
    int32_t width = 0;
    int32_t height = 0;
};

class AVAssetWriterInput {
public:
    AVAssetWriterInput(AVMediaKind mediaType, AVWriterInputSettings settings);
    ~AVAssetWriterInput();
    AVAssetWriterInput(const AVAssetWriterInput&) = delete;
    AVAssetWriterInput& operator=(const AVAssetWriterInput&) = delete;

    AVMediaKind mediaType() const { return mediaType_; }
    // The encoded size (rounded down to even).
    int32_t width() const { return settings_.width; }
    int32_t height() const { return settings_.height; }
    // Becomes the track's display matrix; set before the writer starts.
    CGAffineTransform transform() const { return transform_; }
    void setTransform(CGAffineTransform transform) { transform_ = transform; }
    bool expectsMediaDataInRealTime() const { return realTime_; }
    void setExpectsMediaDataInRealTime(bool realTime) { realTime_ = realTime; }
    bool isReadyForMoreMediaData() const;

    // Video: the buffer's pixel buffer at its presentation time; audio: its PCM. False when the
    // writer is not writing, the time is not later than the last one, or encoding fails.
    bool appendSampleBuffer(const CMSampleBufferRef& sampleBuffer);

private:
    friend class AVAssetWriter;
    friend class AVAssetWriterInputPixelBufferAdaptor;
    struct Encoder;

    bool appendPixelBuffer(const CVPixelBufferRef& pixelBuffer, CMTime presentationTime);
    bool appendAudio(const CMSampleBufferRef& sampleBuffer);
    bool fail(const std::string& reason);
    // Opens the encoder and adds the track to `format`; false with a reason when no encoder fits.
    bool openEncoder(::AVFormatContext* format, std::string* reason);
    // Drains the encoder into the movie (audio: pads the last partial frame).
    bool flush();
    void closeEncoder();
    // Encodes one converted frame (null flushes) into the movie.
    bool encodeFrame(::AVFrame* frame);

    AVMediaKind mediaType_;
    AVWriterInputSettings settings_;
    CGAffineTransform transform_ = CGAffineTransformIdentity;
    bool realTime_ = false;
    AVAssetWriter* writer_ = nullptr;
    std::unique_ptr<Encoder> encoder_;
};

}  // namespace platform
