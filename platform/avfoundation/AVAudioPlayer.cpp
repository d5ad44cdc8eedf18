#include "platform/avfoundation/AVAudioPlayer.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include "platform/avfoundation/LibavLog.h"

struct AVAudioPlayer::Media {
    AVFormatContext* format = nullptr;
    AVCodecContext* decoder = nullptr;
    int stream = -1;
    ~Media() {
        avcodec_free_context(&decoder);
        avformat_close_input(&format);
    }
};

namespace {

NSErrorPtr failure(const std::string& path, const std::string& reason) {
    return NSError::errorWithDomain(AVAudioPlayerErrorDomain, 1, "The sound could not be opened.",
                                    path + ": " + reason);
}

}  // namespace

std::shared_ptr<AVAudioPlayer> AVAudioPlayer::initWithContentsOfFile(const std::string& path, NSErrorPtr* error) {
    platform::UseLibavLog();
    auto media = std::make_unique<Media>();
    std::string reason;
    if (avformat_open_input(&media->format, path.c_str(), nullptr, nullptr) < 0) {
        reason = "not a readable media file";
    } else if (avformat_find_stream_info(media->format, nullptr) < 0) {
        reason = "its streams cannot be read";
    } else {
        media->stream = av_find_best_stream(media->format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
        if (media->stream < 0) reason = "it holds no sound";
    }
    if (!reason.empty()) {
        if (error) *error = failure(path, reason);
        return nullptr;
    }
    if (error) error->reset();
    const double duration =
        media->format->duration > 0 ? static_cast<double>(media->format->duration) / AV_TIME_BASE : 0;
    return std::shared_ptr<AVAudioPlayer>(new AVAudioPlayer(std::move(media), duration));
}

AVAudioPlayer::AVAudioPlayer(std::unique_ptr<Media> media, double duration)
    : media_(std::move(media)), duration_(duration) {}

AVAudioPlayer::~AVAudioPlayer() = default;

bool AVAudioPlayer::prepareToPlay() {
    if (media_->decoder) return true;
    const AVCodecParameters* parameters = media_->format->streams[media_->stream]->codecpar;
    const AVCodec* codec = avcodec_find_decoder(parameters->codec_id);
    if (!codec) return false;
    AVCodecContext* decoder = avcodec_alloc_context3(codec);
    if (!decoder) return false;
    if (avcodec_parameters_to_context(decoder, parameters) < 0 || avcodec_open2(decoder, codec, nullptr) < 0) {
        avcodec_free_context(&decoder);
        return false;
    }
    media_->decoder = decoder;
    return true;
}

bool AVAudioPlayer::isPrepared() const { return media_->decoder != nullptr; }

bool AVAudioPlayer::play() {
    if (!prepareToPlay()) return false;
    playing_ = true;
    return true;
}

void AVAudioPlayer::stop() { playing_ = false; }
