#include "platform/avfoundation/AVURLAsset.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/display.h>
}

#include "platform/avfoundation/LibavLog.h"

namespace platform {

namespace {

// Other schemes than file: are refused before libavformat sees them.
bool PathOfURL(const std::string& url, std::string* path) {
    static const std::string kFileScheme = "file://";
    if (url.rfind(kFileScheme, 0) == 0) {
        *path = url.substr(kFileScheme.size());
        return !path->empty() && (*path)[0] == '/';
    }
    if (url.find("://") != std::string::npos || url.rfind("file:", 0) == 0 || url.empty()) return false;
    *path = url;
    return true;
}

}  // namespace

AVFormatContext* AVURLAsset::openFile(const std::string& path) {
    UseLibavLog();
    const AVInputFormat* mov = av_find_input_format("mov");
    if (!mov) return nullptr;
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    av_dict_set(&options, "format_whitelist", "mov,mp4,m4a,3gp,3g2,mj2", 0);
    av_dict_set(&options, "enable_drefs", "0", 0);  // external data references would reach other files
    AVFormatContext* format = nullptr;
    const int opened = avformat_open_input(&format, ("file:" + path).c_str(), mov, &options);
    av_dict_free(&options);
    if (opened < 0) return nullptr;
    if (avformat_find_stream_info(format, nullptr) < 0) {
        avformat_close_input(&format);
        return nullptr;
    }
    return format;
}

std::shared_ptr<AVURLAsset> AVURLAsset::URLAssetWithURL(const std::string& url) {
    auto asset = std::shared_ptr<AVURLAsset>(new AVURLAsset);
    if (!PathOfURL(url, &asset->path_)) return asset;
    AVFormatContext* format = openFile(asset->path_);
    if (!format) return asset;
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        const AVStream* stream = format->streams[i];
        const AVCodecParameters* p = stream->codecpar;
        if (p->codec_type == AVMEDIA_TYPE_VIDEO && asset->video_.streamIndex < 0 && p->width > 0 && p->height > 0) {
            AVAssetTrackInfo& t = asset->video_;
            t.streamIndex = static_cast<int>(i);
            t.naturalSize = CGSizeMake(p->width, p->height);
            if (stream->avg_frame_rate.num > 0 && stream->avg_frame_rate.den > 0)
                t.nominalFrameRate = av_q2d(stream->avg_frame_rate);
            size_t size = 0;
            const auto* m =
                reinterpret_cast<const int32_t*>(av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, &size));
            if (m && size >= sizeof(int32_t) * 9) {
                const double f = 1.0 / (1 << 16);
                t.preferredTransform = CGAffineTransform{m[0] * f, m[1] * f, m[3] * f, m[4] * f, m[6] * f, m[7] * f};
            }
        } else if (p->codec_type == AVMEDIA_TYPE_AUDIO && asset->audio_.streamIndex < 0 && p->sample_rate > 0) {
            asset->audio_.streamIndex = static_cast<int>(i);
            asset->audio_.sampleRate = p->sample_rate;
            asset->audio_.channels = p->ch_layout.nb_channels;
        }
    }
    if (format->duration > 0) asset->duration_ = static_cast<double>(format->duration) / AV_TIME_BASE;
    asset->readable_ = asset->video_.streamIndex >= 0 || asset->audio_.streamIndex >= 0;
    avformat_close_input(&format);
    return asset;
}

}  // namespace platform
