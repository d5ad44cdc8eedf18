// Writes a short silent AAC clip in an MPEG-4 audio file (the volume-button shutter's sound):
//
//     build/asan/tools/sounds/tavorin_silent_clip resources/sounds/volumeButtonController.m4a
//
// Optional second argument: the length in seconds (0.1 by default). The file is written beside
// its target and renamed over it only when complete. Commit the clip it writes.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
}

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

constexpr int kSampleRate = 44100;

struct Writer {
    AVFormatContext* format = nullptr;
    AVCodecContext* encoder = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    ~Writer() {
        av_packet_free(&packet);
        av_frame_free(&frame);
        avcodec_free_context(&encoder);
        if (format && format->pb) avio_closep(&format->pb);
        avformat_free_context(format);
    }
};

bool drain(Writer& w, AVStream* stream) {
    for (;;) {
        const int r = avcodec_receive_packet(w.encoder, w.packet);
        if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) return true;
        if (r < 0) return false;
        av_packet_rescale_ts(w.packet, w.encoder->time_base, stream->time_base);
        w.packet->stream_index = stream->index;
        if (av_interleaved_write_frame(w.format, w.packet) < 0) return false;
    }
}

bool write(const std::string& path, double seconds) {
    Writer w;
    if (avformat_alloc_output_context2(&w.format, nullptr, "ipod", path.c_str()) < 0) return false;
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
    if (!codec) return false;
    AVStream* stream = avformat_new_stream(w.format, nullptr);
    w.encoder = avcodec_alloc_context3(codec);
    if (!stream || !w.encoder) return false;
    w.encoder->sample_fmt = AV_SAMPLE_FMT_FLTP;
    w.encoder->sample_rate = kSampleRate;
    w.encoder->bit_rate = 32000;
    av_channel_layout_default(&w.encoder->ch_layout, 1);
    w.encoder->time_base = {1, kSampleRate};
    if (w.format->oformat->flags & AVFMT_GLOBALHEADER) w.encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(w.encoder, codec, nullptr) < 0) return false;
    if (avcodec_parameters_from_context(stream->codecpar, w.encoder) < 0) return false;
    stream->time_base = w.encoder->time_base;
    if (avio_open(&w.format->pb, path.c_str(), AVIO_FLAG_WRITE) < 0) return false;
    if (avformat_write_header(w.format, nullptr) < 0) return false;

    w.frame = av_frame_alloc();
    w.packet = av_packet_alloc();
    if (!w.frame || !w.packet) return false;
    const long total = static_cast<long>(seconds * kSampleRate);
    for (long done = 0; done < total; done += w.encoder->frame_size) {
        av_frame_unref(w.frame);
        w.frame->format = w.encoder->sample_fmt;
        w.frame->sample_rate = kSampleRate;
        w.frame->nb_samples = w.encoder->frame_size;
        av_channel_layout_copy(&w.frame->ch_layout, &w.encoder->ch_layout);
        if (av_frame_get_buffer(w.frame, 0) < 0) return false;
        av_samples_set_silence(w.frame->extended_data, 0, w.frame->nb_samples, 1, w.encoder->sample_fmt);
        w.frame->pts = done;
        if (avcodec_send_frame(w.encoder, w.frame) < 0 || !drain(w, stream)) return false;
    }
    if (avcodec_send_frame(w.encoder, nullptr) < 0 || !drain(w, stream)) return false;
    return av_write_trailer(w.format) >= 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s OUTPUT.m4a [SECONDS]\n", argv[0]);
        return 2;
    }
    const std::filesystem::path target = argv[1];
    const double seconds = argc == 3 ? std::atof(argv[2]) : 0.1;
    if (!(seconds > 0 && seconds <= 60)) {
        std::fprintf(stderr, "the length must be more than 0 and at most 60 seconds\n");
        return 2;
    }
    const std::filesystem::path partial = target.string() + ".partial.m4a";
    if (!write(partial.string(), seconds)) {
        std::filesystem::remove(partial);
        std::fprintf(stderr, "could not write %s\n", target.c_str());
        return 1;
    }
    std::error_code error;
    std::filesystem::rename(partial, target, error);
    if (error) {
        std::filesystem::remove(partial);
        std::fprintf(stderr, "could not write %s: %s\n", target.c_str(), error.message().c_str());
        return 1;
    }
    return 0;
}
