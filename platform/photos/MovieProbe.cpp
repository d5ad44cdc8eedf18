#include "platform/photos/MovieProbe.h"

extern "C" {
#include <libavformat/avformat.h>
}

namespace photos {

std::optional<MovieInfo> ProbeMovie(const std::string& path) {
    AVFormatContext* context = nullptr;
    if (avformat_open_input(&context, path.c_str(), nullptr, nullptr) != 0) return std::nullopt;
    std::optional<MovieInfo> info;
    if (avformat_find_stream_info(context, nullptr) >= 0) {
        const int index = av_find_best_stream(context, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
        if (index >= 0) {
            const AVCodecParameters* p = context->streams[index]->codecpar;
            if (p->width > 0 && p->height > 0) {
                info = MovieInfo{p->width, p->height,
                                 context->duration > 0 ? double(context->duration) / AV_TIME_BASE : 0.0};
            }
        }
    }
    avformat_close_input(&context);
    return info;
}

}  // namespace photos
