#include "platform/avfoundation/AVAssetWriterInput.h"

#include <algorithm>
#include <vector>

#include "platform/avfoundation/AVAssetWriter.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/display.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace platform {

namespace {

constexpr int kVideoTimescale = 90000;
constexpr int kAudioRate = 44100;
constexpr int kAudioBitRate = 64000;

int RoundDownToEven(int32_t v) { return std::max(0, v - (v & 1)); }

// Video times in the encoder's timescale, exact for every usual frame rate.
int64_t Rescale(CMTime t, int timescale) {
    return av_rescale_q(t.value, AVRational{1, t.timescale}, AVRational{1, timescale});
}

}  // namespace

struct AVAssetWriterInput::Encoder {
    AVCodecContext* context = nullptr;
    AVStream* stream = nullptr;
    SwsContext* scaler = nullptr;
    SwrContext* resampler = nullptr;
    int resamplerRate = 0, resamplerChannels = 0;
    std::vector<float> pendingAudio;
    int64_t nextAudioPts = -1;
    int64_t lastPts = -1;
    // Every video sample needs a duration, or the movie's edit list leaves the last one out:
    // the latest interval between frames, a thirtieth of a second before there is one.
    int64_t frameDuration = kVideoTimescale / 30;
    int64_t encodedPts = -1;
    CMTime lastTime = kCMTimeInvalid;
    AVAssetWriterInput* owner = nullptr;

    ~Encoder() {
        avcodec_free_context(&context);
        sws_freeContext(scaler);
        swr_free(&resampler);
    }

    // Moves every packet the encoder has ready into the movie.
    bool drain(AVAssetWriter& writer) {
        AVPacket* packet = av_packet_alloc();
        bool ok = packet != nullptr;
        while (ok) {
            const int r = avcodec_receive_packet(context, packet);
            if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) break;
            if (r < 0) {
                ok = false;
                break;
            }
            if (packet->duration <= 0 && context->codec_type == AVMEDIA_TYPE_VIDEO) packet->duration = frameDuration;
            av_packet_rescale_ts(packet, context->time_base, stream->time_base);
            packet->stream_index = stream->index;
            ok = writer.writePacket(packet);
        }
        av_packet_free(&packet);
        return ok;
    }

    // Runs on the writer's encoding thread when there is one (frameDuration and encodedPts
    // belong to it).
    bool encode(AVAssetWriter& writer, AVFrame* frame) {
        if (frame && context->codec_type == AVMEDIA_TYPE_VIDEO) {
            if (encodedPts >= 0) frameDuration = frame->pts - encodedPts;
            encodedPts = frame->pts;
        }
        return avcodec_send_frame(context, frame) >= 0 && drain(writer);
    }

    bool encodeAudioFrame(AVAssetWriter& writer, size_t samples) {
        AVFrame* frame = av_frame_alloc();
        bool ok = frame != nullptr;
        if (ok) {
            frame->format = AV_SAMPLE_FMT_FLTP;
            frame->nb_samples = context->frame_size;
            av_channel_layout_copy(&frame->ch_layout, &context->ch_layout);
            ok = av_frame_get_buffer(frame, 0) >= 0;
        }
        if (ok) {
            auto* out = reinterpret_cast<float*>(frame->data[0]);
            std::fill(out, out + context->frame_size, 0.0f);
            std::copy(pendingAudio.begin(), pendingAudio.begin() + samples, out);
            pendingAudio.erase(pendingAudio.begin(), pendingAudio.begin() + samples);
            frame->pts = nextAudioPts;
            nextAudioPts += context->frame_size;
            return writer.submit(*owner, frame);
        }
        av_frame_free(&frame);
        return ok;
    }
};

AVAssetWriterInput::AVAssetWriterInput(AVMediaKind mediaType, AVWriterInputSettings settings)
    : mediaType_(mediaType), settings_{RoundDownToEven(settings.width), RoundDownToEven(settings.height)} {}

AVAssetWriterInput::~AVAssetWriterInput() = default;

bool AVAssetWriterInput::isReadyForMoreMediaData() const {
    return writer_ && encoder_ && writer_->status() == AVAssetWriterStatus::Writing && writer_->hasRoom();
}

bool AVAssetWriterInput::openEncoder(AVFormatContext* format, std::string* reason) {
    encoder_ = std::make_unique<Encoder>();
    encoder_->owner = this;
    const AVCodec* codec = nullptr;
    if (mediaType_ == AVMediaKind::Video) {
        codec = avcodec_find_encoder_by_name("libx264");
        if (!codec) codec = avcodec_find_encoder(AV_CODEC_ID_H264);
        if (!codec) return *reason = "no H.264 encoder", false;
    } else {
        codec = avcodec_find_encoder_by_name("aac");
        if (!codec) return *reason = "no AAC encoder", false;
    }
    AVCodecContext* c = encoder_->context = avcodec_alloc_context3(codec);
    if (!c) return *reason = "out of memory", false;
    if (mediaType_ == AVMediaKind::Video) {
        c->width = settings_.width;
        c->height = settings_.height;
        c->pix_fmt = AV_PIX_FMT_YUV420P;
        c->time_base = AVRational{1, kVideoTimescale};
        c->max_b_frames = 0;  // frames leave the encoder in the order they came, as a live recorder expects
        if (std::string(codec->name) == "libx264") {
            av_opt_set(c->priv_data, "preset", "veryfast", 0);
            av_opt_set(c->priv_data, "crf", "20", 0);
        }
    } else {
        c->sample_fmt = AV_SAMPLE_FMT_FLTP;
        c->sample_rate = kAudioRate;
        av_channel_layout_default(&c->ch_layout, 1);
        c->bit_rate = kAudioBitRate;
        c->time_base = AVRational{1, kAudioRate};
    }
    if (format->oformat->flags & AVFMT_GLOBALHEADER) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(c, codec, nullptr) < 0) return *reason = std::string("cannot open ") + codec->name, false;
    AVStream* stream = encoder_->stream = avformat_new_stream(format, nullptr);
    if (!stream || avcodec_parameters_from_context(stream->codecpar, c) < 0)
        return *reason = "cannot add a track", false;
    stream->time_base = c->time_base;
    if (mediaType_ == AVMediaKind::Video && !(transform_ == CGAffineTransformIdentity)) {
        auto* matrix =
            reinterpret_cast<int32_t*>(av_stream_new_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, sizeof(int32_t) * 9));
        if (!matrix) return *reason = "out of memory", false;
        // The track header's matrix: a b u / c d v / tx ty w, 16.16 fixed point but u v w 2.30.
        const double m[9] = {transform_.a,  transform_.b,  0, transform_.c, transform_.d, 0,
                             transform_.tx, transform_.ty, 1};
        for (int i = 0; i < 9; ++i) matrix[i] = static_cast<int32_t>(m[i] * (i % 3 == 2 ? (1 << 30) : (1 << 16)));
    }
    return true;
}

void AVAssetWriterInput::closeEncoder() { encoder_.reset(); }

bool AVAssetWriterInput::encodeFrame(AVFrame* frame) { return encoder_ && encoder_->encode(*writer_, frame); }

bool AVAssetWriterInput::fail(const std::string& reason) {
    if (writer_) writer_->fail(reason);
    return false;
}

bool AVAssetWriterInput::appendSampleBuffer(const CMSampleBufferRef& sampleBuffer) {
    if (!sampleBuffer) return false;
    if (mediaType_ == AVMediaKind::Video)
        return appendPixelBuffer(sampleBuffer->imageBuffer(), sampleBuffer->presentationTimeStamp());
    return appendAudio(sampleBuffer);
}

bool AVAssetWriterInput::appendPixelBuffer(const CVPixelBufferRef& pixelBuffer, CMTime time) {
    if (!isReadyForMoreMediaData() || !pixelBuffer || mediaType_ != AVMediaKind::Video) return false;
    const CMTime start = writer_->sessionStart_;
    if (!CMTIME_IS_VALID(start) || !CMTIME_IS_VALID(time) || CMTimeCompare(time, start) < 0) return false;
    Encoder& e = *encoder_;
    const int64_t pts = Rescale(CMTimeSubtract(time, start), kVideoTimescale);
    if ((CMTIME_IS_VALID(e.lastTime) && CMTimeCompare(time, e.lastTime) <= 0) || pts <= e.lastPts)
        return fail("a video frame's time is not later than the previous one");
    const OSType type = pixelBuffer->pixelFormatType();
    if (type != kCVPixelFormatType_32BGRA && type != kCVPixelFormatType_32RGBA) return fail("unsupported pixel format");
    const AVPixelFormat sourceFormat = type == kCVPixelFormatType_32BGRA ? AV_PIX_FMT_BGRA : AV_PIX_FMT_RGBA;

    // Fill the track: crop the source's centre to the track's aspect, then scale.
    const int64_t sw = static_cast<int64_t>(pixelBuffer->width()), sh = static_cast<int64_t>(pixelBuffer->height());
    const int64_t dw = settings_.width, dh = settings_.height;
    int64_t cw = sw, ch = sh;
    if (sw * dh > dw * sh) cw = std::max<int64_t>(1, sh * dw / dh);
    else ch = std::max<int64_t>(1, sw * dh / dw);
    const size_t x0 = static_cast<size_t>((sw - cw) / 2), y0 = static_cast<size_t>((sh - ch) / 2);
    e.scaler = sws_getCachedContext(e.scaler, static_cast<int>(cw), static_cast<int>(ch), sourceFormat, settings_.width,
                                    settings_.height, AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr, nullptr, nullptr);
    AVFrame* frame = av_frame_alloc();
    bool ok = e.scaler && frame;
    if (ok) {
        frame->format = AV_PIX_FMT_YUV420P;
        frame->width = settings_.width;
        frame->height = settings_.height;
        ok = av_frame_get_buffer(frame, 0) >= 0;
    }
    if (ok) {
        const uint8_t* source = pixelBuffer->data() + y0 * pixelBuffer->bytesPerRow() + x0 * 4;
        const int stride = static_cast<int>(pixelBuffer->bytesPerRow());
        sws_scale(e.scaler, &source, &stride, 0, static_cast<int>(ch), frame->data, frame->linesize);
        frame->pts = pts;
        ok = writer_->submit(*this, frame);
        frame = nullptr;
    }
    av_frame_free(&frame);
    if (!ok) return fail("cannot encode a video frame");
    e.lastTime = time;
    e.lastPts = pts;
    return true;
}

bool AVAssetWriterInput::appendAudio(const CMSampleBufferRef& buffer) {
    if (!isReadyForMoreMediaData() || mediaType_ != AVMediaKind::Audio) return false;
    const CMFormatDescription& format = buffer->formatDescription();
    if (format.mediaType != kCMMediaType_Audio || format.channelsPerFrame <= 0 || format.sampleRate <= 0) return false;
    const CMTime start = writer_->sessionStart_;
    const CMTime time = buffer->presentationTimeStamp();
    // Sound from before the session is refused, not an error: the microphone runs ahead of it.
    if (!CMTIME_IS_VALID(start) || !CMTIME_IS_VALID(time) || CMTimeCompare(time, start) < 0) return false;
    Encoder& e = *encoder_;
    if (CMTIME_IS_VALID(e.lastTime) && CMTimeCompare(time, e.lastTime) <= 0)
        return fail("an audio buffer's time is not later than the previous one");
    const int rate = static_cast<int>(format.sampleRate);
    if (!e.resampler || e.resamplerRate != rate || e.resamplerChannels != format.channelsPerFrame) {
        AVChannelLayout in{}, out{};
        av_channel_layout_default(&in, format.channelsPerFrame);
        av_channel_layout_default(&out, 1);
        swr_free(&e.resampler);
        if (swr_alloc_set_opts2(&e.resampler, &out, AV_SAMPLE_FMT_FLTP, kAudioRate, &in, AV_SAMPLE_FMT_S16, rate, 0,
                                nullptr) < 0 ||
            swr_init(e.resampler) < 0)
            return fail("cannot convert the sound");
        e.resamplerRate = rate;
        e.resamplerChannels = format.channelsPerFrame;
    }
    // The track is continuous: its first buffer places it, later ones follow on.
    if (e.nextAudioPts < 0) e.nextAudioPts = Rescale(CMTimeSubtract(time, start), kAudioRate);
    const int inFrames = static_cast<int>(buffer->pcm().size() / static_cast<size_t>(format.channelsPerFrame));
    std::vector<float> converted(static_cast<size_t>(swr_get_out_samples(e.resampler, inFrames)) + 1);
    const auto* in = reinterpret_cast<const uint8_t*>(buffer->pcm().data());
    auto* out = reinterpret_cast<uint8_t*>(converted.data());
    const int got = swr_convert(e.resampler, &out, static_cast<int>(converted.size()), &in, inFrames);
    if (got < 0) return fail("cannot convert the sound");
    e.pendingAudio.insert(e.pendingAudio.end(), converted.begin(), converted.begin() + got);
    e.lastTime = time;
    const size_t frameSize = static_cast<size_t>(e.context->frame_size);
    while (e.pendingAudio.size() >= frameSize)
        if (!e.encodeAudioFrame(*writer_, frameSize)) return fail("cannot encode the sound");
    return true;
}

bool AVAssetWriterInput::flush() {
    if (!encoder_) return false;
    Encoder& e = *encoder_;
    if (mediaType_ == AVMediaKind::Audio && !e.pendingAudio.empty() &&
        !e.encodeAudioFrame(*writer_, e.pendingAudio.size()))
        return false;
    return e.encode(*writer_, nullptr);
}

}  // namespace platform
