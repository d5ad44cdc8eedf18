#include "platform/avfoundation/AVAssetReader.h"

#include <climits>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace platform {

struct AVAssetReader::Track {
    AVMediaKind mediaType;
    int streamIndex = -1;
    AVRational timeBase{1, 1};
    AVCodecContext* decoder = nullptr;
    SwsContext* scaler = nullptr;
    SwrContext* resampler = nullptr;
    std::deque<CMSampleBufferRef> ready;
    bool drained = false;

    ~Track() {
        avcodec_free_context(&decoder);
        sws_freeContext(scaler);
        swr_free(&resampler);
    }

    CMTime timeOf(int64_t pts) const {
        if (pts == AV_NOPTS_VALUE) return kCMTimeInvalid;
        if (timeBase.den <= INT_MAX && pts <= INT64_MAX / std::max(1, timeBase.num))
            return CMTimeMake(pts * timeBase.num, timeBase.den);
        return CMTimeMakeWithSeconds(static_cast<double>(pts) * av_q2d(timeBase), 600);
    }

    bool convertVideo(const AVFrame* frame) {
        scaler =
            sws_getCachedContext(scaler, frame->width, frame->height, static_cast<AVPixelFormat>(frame->format),
                                 frame->width, frame->height, AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr, nullptr, nullptr);
        CVPixelBufferRef pixels;
        if (!scaler || CVPixelBufferCreate(static_cast<size_t>(frame->width), static_cast<size_t>(frame->height),
                                           kCVPixelFormatType_32BGRA, &pixels) != kCVReturnSuccess)
            return false;
        CVPixelBufferLockBaseAddress(pixels, 0);
        uint8_t* base = static_cast<uint8_t*>(CVPixelBufferGetBaseAddress(pixels));
        const int stride = static_cast<int>(CVPixelBufferGetBytesPerRow(pixels));
        sws_scale(scaler, frame->data, frame->linesize, 0, frame->height, &base, &stride);
        CVPixelBufferUnlockBaseAddress(pixels, 0);
        const CMTime duration = frame->pkt_duration > 0 ? timeOf(frame->pkt_duration) : kCMTimeInvalid;
        ready.push_back(CMSampleBuffer::videoFrame(pixels, timeOf(frame->best_effort_timestamp), duration));
        return true;
    }

    bool convertAudio(const AVFrame* frame) {
        const int channels = frame->ch_layout.nb_channels;
        if (channels <= 0 || frame->sample_rate <= 0) return false;
        if (!resampler) {
            AVChannelLayout layout{};
            if (av_channel_layout_copy(&layout, &frame->ch_layout) < 0) return false;
            const int made =
                swr_alloc_set_opts2(&resampler, &layout, AV_SAMPLE_FMT_S16, frame->sample_rate, &layout,
                                    static_cast<AVSampleFormat>(frame->format), frame->sample_rate, 0, nullptr);
            av_channel_layout_uninit(&layout);
            if (made < 0 || swr_init(resampler) < 0) return false;
        }
        std::vector<int16_t> pcm(static_cast<size_t>(frame->nb_samples + 32) * static_cast<size_t>(channels));
        auto* out = reinterpret_cast<uint8_t*>(pcm.data());
        const int got = swr_convert(resampler, &out, frame->nb_samples + 32,
                                    const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples);
        if (got < 0) return false;
        pcm.resize(static_cast<size_t>(got) * static_cast<size_t>(channels));
        ready.push_back(CMSampleBuffer::audioPCM(std::move(pcm), channels, frame->sample_rate,
                                                 timeOf(frame->best_effort_timestamp)));
        return true;
    }

    // Moves every frame the decoder has ready into `ready`; false on a decoding error.
    bool receive() {
        AVFrame* frame = av_frame_alloc();
        bool ok = frame != nullptr;
        while (ok) {
            const int r = avcodec_receive_frame(decoder, frame);
            if (r == AVERROR_EOF) {
                drained = true;
                break;
            }
            if (r == AVERROR(EAGAIN)) break;
            if (r < 0) {
                ok = false;
                break;
            }
            ok = mediaType == AVMediaKind::Video ? convertVideo(frame) : convertAudio(frame);
            av_frame_unref(frame);
        }
        av_frame_free(&frame);
        return ok;
    }
};

AVAssetReader::AVAssetReader(AVURLAssetRef asset) : asset_(std::move(asset)) {}

AVAssetReader::~AVAssetReader() {
    tracks_.clear();
    avformat_close_input(&format_);
}

bool AVAssetReader::canAddOutput(const AVAssetReaderTrackOutput& output) const {
    if (status_ != AVAssetReaderStatus::Unknown || output.reader_ || !asset_ || !asset_->isReadable()) return false;
    for (const AVAssetReaderTrackOutput* o : outputs_)
        if (o->mediaType() == output.mediaType()) return false;
    return output.mediaType() == AVMediaKind::Video ? asset_->videoTrack() != nullptr : asset_->audioTrack() != nullptr;
}

void AVAssetReader::addOutput(AVAssetReaderTrackOutput& output) {
    if (!canAddOutput(output)) return;
    output.reader_ = this;
    outputs_.push_back(&output);
}

bool AVAssetReader::startReading() {
    if (status_ != AVAssetReaderStatus::Unknown || outputs_.empty()) return false;
    format_ = AVURLAsset::openFile(asset_->path());
    if (!format_) {
        fail();
        return false;
    }
    for (AVAssetReaderTrackOutput* output : outputs_) {
        const AVAssetTrackInfo* info =
            output->mediaType() == AVMediaKind::Video ? asset_->videoTrack() : asset_->audioTrack();
        if (!info || info->streamIndex >= static_cast<int>(format_->nb_streams)) {
            fail();
            return false;
        }
        auto track = std::make_unique<Track>();
        track->mediaType = output->mediaType();
        track->streamIndex = info->streamIndex;
        const AVStream* stream = format_->streams[info->streamIndex];
        track->timeBase = stream->time_base;
        const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
        track->decoder = codec ? avcodec_alloc_context3(codec) : nullptr;
        if (!track->decoder || avcodec_parameters_to_context(track->decoder, stream->codecpar) < 0 ||
            avcodec_open2(track->decoder, codec, nullptr) < 0) {
            fail();
            return false;
        }
        tracks_.push_back(std::move(track));
    }
    status_ = AVAssetReaderStatus::Reading;
    return true;
}

void AVAssetReader::cancelReading() {
    if (status_ == AVAssetReaderStatus::Reading || status_ == AVAssetReaderStatus::Unknown)
        status_ = AVAssetReaderStatus::Cancelled;
}

void AVAssetReader::fail() { status_ = AVAssetReaderStatus::Failed; }

bool AVAssetReader::readPacket() {
    AVPacket* packet = av_packet_alloc();
    if (!packet) return false;
    const int r = av_read_frame(format_, packet);
    bool ok = true;
    if (r == AVERROR_EOF) {
        endOfFile_ = true;
        for (auto& track : tracks_) ok = ok && avcodec_send_packet(track->decoder, nullptr) >= 0 && track->receive();
    } else if (r < 0) {
        ok = false;
    } else {
        for (auto& track : tracks_) {
            if (track->streamIndex != packet->stream_index) continue;
            const int sent = avcodec_send_packet(track->decoder, packet);
            // A damaged packet is skipped, as a player would; a broken decoder fails the read.
            ok = (sent >= 0 || sent == AVERROR_INVALIDDATA) && track->receive();
        }
    }
    av_packet_free(&packet);
    return ok;
}

CMSampleBufferRef AVAssetReader::next(AVMediaKind mediaType) {
    if (status_ != AVAssetReaderStatus::Reading) return nullptr;
    Track* track = nullptr;
    for (auto& t : tracks_)
        if (t->mediaType == mediaType) track = t.get();
    if (!track) return nullptr;
    while (track->ready.empty() && !track->drained) {
        if (endOfFile_ || !readPacket()) {
            fail();
            return nullptr;
        }
    }
    if (track->ready.empty()) {
        // The reading is complete once every output has had all of its samples; until then the
        // other tracks' samples stay readable.
        bool allDone = true;
        for (const auto& t : tracks_) allDone = allDone && t->drained && t->ready.empty();
        if (allDone) status_ = AVAssetReaderStatus::Completed;
        return nullptr;
    }
    CMSampleBufferRef sample = track->ready.front();
    track->ready.pop_front();
    return sample;
}

CMSampleBufferRef AVAssetReaderTrackOutput::copyNextSampleBuffer() {
    return reader_ ? reader_->next(mediaType_) : nullptr;
}

}  // namespace platform
