#include "platform/avfoundation/LibavCamera.h"

#include <fcntl.h>
#include <linux/videodev2.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavdevice/avdevice.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include "platform/avfoundation/AVCaptureDevice.h"
#include "platform/avfoundation/CaptureRig.h"
#include "platform/avfoundation/LibavLog.h"
#include "platform/corevideo/CVPixelBufferPool.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/uikit/UIScreen.h"

namespace platform {

struct LibavCamera::Mailbox {
    std::mutex mutex;
    CVPixelBufferRef slot;
    bool posted = false;
    std::atomic<bool> stop{false};
    std::atomic<int> orientation{6};
    int64_t position = 0;
    // Main thread only.
    CaptureSource::Handler handler;
    std::function<void(const CMSampleBufferRef&)> keepLast;
    std::function<void(const std::string& reason)> ended;
};

namespace {

std::once_flag registered;

void registerDevices() {
    std::call_once(registered, [] {
        UseLibavLog();
        avdevice_register_all();
    });
}

int currentDeviceOrientation() { return static_cast<int>(UIDeviceProfile::current().orientation); }

std::string errorText(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

// Why an input gave no more frames, in words that follow "The camera stopped: ".
std::string endReason(int code) {
    if (code == AVERROR_EOF) return "the stream ended";
    std::string text = errorText(code);
    if (!text.empty()) text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    return text;
}

// The reader ended of its own accord (not stopped): said on standard error, and handed to
// the camera on the main queue after any frame posted before it.
void readerEnded(const std::shared_ptr<LibavCamera::Mailbox>& mailbox, const std::string& url, const char* how,
                 int code) {
    if (mailbox->stop) return;
    const std::string reason = endReason(code);
    std::fprintf(stderr, "tavorin: camera %s %s: %s\n", url.c_str(), how, reason.c_str());
    NSRunLoop::mainRunLoop().performBlock([mailbox, reason] {
        if (mailbox->ended) mailbox->ended(reason);
    });
}

struct Input {
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    int stream = -1;
    ~Input() {
        avcodec_free_context(&codec);
        avformat_close_input(&format);
    }
};

// Whether the input's video stream already says what a decoder needs: its size, and its pixel
// format when it is raw.
bool statesItsFrames(const AVFormatContext* format) {
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        const AVCodecParameters* par = format->streams[i]->codecpar;
        if (par->codec_type != AVMEDIA_TYPE_VIDEO) continue;
        return par->width > 0 && par->height > 0 && par->codec_id != AV_CODEC_ID_NONE &&
               (par->codec_id != AV_CODEC_ID_RAWVIDEO || par->format >= 0);
    }
    return false;
}

// Opens and prepares the decoder; 0 or the libav error.
int openInput(Input& in, const std::string& formatName, const std::string& url, CMVideoDimensions size, double rate,
              const std::atomic<bool>* stop) {
    registerDevices();
    const AVInputFormat* format = av_find_input_format(formatName.c_str());
    if (!format) return AVERROR_DEMUXER_NOT_FOUND;
    AVDictionary* options = nullptr;
    if (formatName == "video4linux2") {
        if (size.width > 0)
            av_dict_set(&options, "video_size",
                        (std::to_string(size.width) + "x" + std::to_string(size.height)).c_str(), 0);
        if (rate >= 1) av_dict_set(&options, "framerate", std::to_string(static_cast<int>(rate)).c_str(), 0);
    }
    in.format = avformat_alloc_context();
    if (stop) {
        in.format->interrupt_callback.callback = [](void* flag) {
            return static_cast<std::atomic<bool>*>(flag)->load() ? 1 : 0;
        };
        in.format->interrupt_callback.opaque = const_cast<std::atomic<bool>*>(stop);
    }
    int rc = avformat_open_input(&in.format, url.c_str(), format, &options);
    av_dict_free(&options);
    if (rc < 0) return rc;  // the context is freed on failure
    // A graph or a V4L2 node states its frames' size and format when opened. Reading frames
    // ahead to learn them would, for a graph showing a photo, decode the photo once more
    // before the first frame (a few tenths of a second for a large one).
    if (!statesItsFrames(in.format) && (rc = avformat_find_stream_info(in.format, nullptr)) < 0) return rc;
    in.stream = av_find_best_stream(in.format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (in.stream < 0) return in.stream;
    const AVCodecParameters* par = in.format->streams[in.stream]->codecpar;
    const AVCodec* decoder = avcodec_find_decoder(par->codec_id);
    if (!decoder) return AVERROR_DECODER_NOT_FOUND;
    in.codec = avcodec_alloc_context3(decoder);
    if (!in.codec) return AVERROR(ENOMEM);
    if ((rc = avcodec_parameters_to_context(in.codec, par)) < 0) return rc;
    return avcodec_open2(in.codec, decoder, nullptr);
}

std::vector<CMVideoDimensions> v4l2Sizes(const std::string& node) {
    std::vector<CMVideoDimensions> sizes;
    const int fd = ::open(node.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return sizes;
    v4l2_fmtdesc fmt{};
    fmt.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    for (fmt.index = 0; ::ioctl(fd, VIDIOC_ENUM_FMT, &fmt) == 0; ++fmt.index) {
        v4l2_frmsizeenum size{};
        size.pixel_format = fmt.pixelformat;
        for (size.index = 0; ::ioctl(fd, VIDIOC_ENUM_FRAMESIZES, &size) == 0; ++size.index) {
            if (size.type != V4L2_FRMSIZE_TYPE_DISCRETE) break;
            const CMVideoDimensions d{static_cast<int32_t>(size.discrete.width),
                                      static_cast<int32_t>(size.discrete.height)};
            if (std::find(sizes.begin(), sizes.end(), d) == sizes.end()) sizes.push_back(d);
        }
    }
    ::close(fd);
    return sizes;
}

// The name the node's driver gives its camera ("card"); empty when it says none.
std::string v4l2Card(const std::string& node) {
    const int fd = ::open(node.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return {};
    v4l2_capability cap{};
    std::string card;
    if (::ioctl(fd, VIDIOC_QUERYCAP, &cap) == 0)
        card.assign(reinterpret_cast<const char*>(cap.card),
                    strnlen(reinterpret_cast<const char*>(cap.card), sizeof cap.card));
    ::close(fd);
    return card;
}

// A full-range YUV format of the old kind ("J") as the plain format it stands for, or none.
AVPixelFormat plainOfFullRange(AVPixelFormat format) {
    switch (format) {
    case AV_PIX_FMT_YUVJ420P: return AV_PIX_FMT_YUV420P;
    case AV_PIX_FMT_YUVJ422P: return AV_PIX_FMT_YUV422P;
    case AV_PIX_FMT_YUVJ444P: return AV_PIX_FMT_YUV444P;
    case AV_PIX_FMT_YUVJ440P: return AV_PIX_FMT_YUV440P;
    case AV_PIX_FMT_YUVJ411P: return AV_PIX_FMT_YUV411P;
    default: return AV_PIX_FMT_NONE;
    }
}

// The matrix of the frame's colour space where libswscale knows it, else its default (BT.601,
// as JPEG and most cameras use).
int swsColorspace(AVColorSpace space) {
    switch (space) {
    case AVCOL_SPC_BT709: return SWS_CS_ITU709;
    case AVCOL_SPC_FCC: return SWS_CS_FCC;
    case AVCOL_SPC_SMPTE240M: return SWS_CS_SMPTE240M;
    case AVCOL_SPC_BT2020_NCL:
    case AVCOL_SPC_BT2020_CL: return SWS_CS_BT2020;
    default: return SWS_CS_DEFAULT;
    }
}

// The upright picture of `frame`, filling W × H sensor pixels turned by `orientation`.
class Converter {
public:
    Converter() : scaled_(av_frame_alloc()) {}
    ~Converter() {
        sws_freeContext(sws_);
        av_frame_free(&scaled_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool convert(const AVFrame* frame, uint8_t* out, size_t outBytesPerRow, int32_t W, int32_t H, int orientation) {
        const bool turned = orientation >= 5;
        const int32_t Wu = turned ? H : W, Hu = turned ? W : H;
        // Scale to cover the upright size, then take its centre.
        const double s = std::max(static_cast<double>(Wu) / frame->width, static_cast<double>(Hu) / frame->height);
        const int fw = std::max(Wu, static_cast<int>(std::ceil(frame->width * s)));
        const int fh = std::max(Hu, static_cast<int>(std::ceil(frame->height * s)));
        if (!prepare(frame, fw, fh)) return false;
        // A graph showing a photo gives the same picture every frame: it is scaled once.
        if (!samePicture(frame, scaled_)) {
            av_frame_unref(scaled_);
            upright_.resize(static_cast<size_t>(fw) * fh * 4);
            uint8_t* dst[4] = {upright_.data(), nullptr, nullptr, nullptr};
            const int dstStride[4] = {fw * 4, 0, 0, 0};
            if (sws_scale(sws_, frame->data, frame->linesize, 0, frame->height, dst, dstStride) <= 0) return false;
            if (av_frame_ref(scaled_, frame) < 0) av_frame_unref(scaled_);
        }
        const int ox = (fw - Wu) / 2, oy = (fh - Hu) / 2;
        for (int32_t y = 0; y < H; ++y) {
            uint32_t* row = reinterpret_cast<uint32_t*>(out + static_cast<size_t>(y) * outBytesPerRow);
            for (int32_t x = 0; x < W; ++x) {
                int32_t u, v;
                CaptureRig::uprightPoint(orientation, x, y, W, H, &u, &v);
                std::memcpy(&row[x], &upright_[(static_cast<size_t>(v + oy) * fw + (u + ox)) * 4], 4);
            }
        }
        return true;
    }

private:
    // A scaler for the frame's kind, made anew only when it changes. A JPEG decodes to the
    // old full-range formats, which libswscale takes only with a warning: such a frame is
    // read as its plain format with the full range said explicitly, as is any YUV frame that
    // says it is full range, so its colours stay right.
    bool prepare(const AVFrame* frame, int fw, int fh) {
        auto format = static_cast<AVPixelFormat>(frame->format);
        bool fullRange = frame->color_range == AVCOL_RANGE_JPEG;
        if (const AVPixelFormat plain = plainOfFullRange(format); plain != AV_PIX_FMT_NONE) {
            format = plain;
            fullRange = true;
        }
        const int matrix = swsColorspace(frame->colorspace);
        const std::array<int, 7> kind{frame->width, frame->height, format, fullRange, matrix, fw, fh};
        if (sws_ && kind == kind_) return true;
        av_frame_unref(scaled_);
        sws_freeContext(sws_);
        sws_ = sws_getContext(frame->width, frame->height, format, fw, fh, AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr,
                              nullptr, nullptr);
        if (!sws_) return false;
        const AVPixFmtDescriptor* description = av_pix_fmt_desc_get(format);
        if (description && !(description->flags & AV_PIX_FMT_FLAG_RGB) && description->nb_components >= 3) {
            // RGB out is full range; brightness, contrast and saturation as they are.
            const int* coefficients = sws_getCoefficients(matrix);
            sws_setColorspaceDetails(sws_, coefficients, fullRange ? 1 : 0, coefficients, 1, 0, 1 << 16, 1 << 16);
        }
        kind_ = kind;
        return true;
    }

    // Whether the frame holds the same pixels as `last` (of the same kind; empty: no). A
    // camera's frames differ within their first rows, so this costs them next to nothing.
    static bool samePicture(const AVFrame* frame, const AVFrame* last) {
        if (!last || !last->data[0] || last->format != frame->format || last->width != frame->width ||
            last->height != frame->height)
            return false;
        const auto format = static_cast<AVPixelFormat>(frame->format);
        const AVPixFmtDescriptor* description = av_pix_fmt_desc_get(format);
        if (!description || (description->flags & (AV_PIX_FMT_FLAG_PAL | AV_PIX_FMT_FLAG_HWACCEL))) return false;
        for (int plane = 0; plane < av_pix_fmt_count_planes(format); ++plane) {
            const int bytes = av_image_get_linesize(format, frame->width, plane);
            const bool chroma = plane == 1 || plane == 2;
            const int rows = chroma ? AV_CEIL_RSHIFT(frame->height, description->log2_chroma_h) : frame->height;
            if (bytes <= 0) return false;
            for (int row = 0; row < rows; ++row)
                if (std::memcmp(frame->data[plane] + static_cast<ptrdiff_t>(row) * frame->linesize[plane],
                                last->data[plane] + static_cast<ptrdiff_t>(row) * last->linesize[plane], bytes))
                    return false;
        }
        return true;
    }

    SwsContext* sws_ = nullptr;
    std::array<int, 7> kind_{};
    AVFrame* scaled_;  // the frame `upright_` was scaled from (a reference, no copy)
    std::vector<uint8_t> upright_;
};

void readFrames(std::shared_ptr<LibavCamera::Mailbox> mailbox, std::string formatName, std::string url,
                CMVideoDimensions captureSize, CMVideoDimensions outSize, double rate) {
    Input in;
    int rc = openInput(in, formatName, url, captureSize, rate, &mailbox->stop);
    if (rc < 0) return readerEnded(mailbox, url, "could not be opened", rc);
    CVPixelBufferPoolRef pool;
    CVPixelBufferPoolAttributes attributes;
    attributes.width = static_cast<size_t>(outSize.width);
    attributes.height = static_cast<size_t>(outSize.height);
    attributes.maximumBuffersOut = 4;
    if (CVPixelBufferPoolCreate(attributes, &pool) != kCVReturnSuccess)
        return readerEnded(mailbox, url, "stopped", AVERROR(ENOMEM));
    Converter converter;
    // A filter graph makes frames as fast as they are read; a camera gives them at its rate.
    const bool pace = formatName == "lavfi";
    const AVRational timeBase = in.format->streams[in.stream]->time_base;
    std::optional<std::chrono::steady_clock::time_point> start;
    int64_t firstTimestamp = 0;
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    if (!packet || !frame) rc = AVERROR(ENOMEM);
    while (!mailbox->stop && rc >= 0 && (rc = av_read_frame(in.format, packet)) >= 0) {
        if (packet->stream_index == in.stream && avcodec_send_packet(in.codec, packet) >= 0) {
            while (avcodec_receive_frame(in.codec, frame) >= 0) {
                if (pace && frame->best_effort_timestamp != AV_NOPTS_VALUE) {
                    const auto now = std::chrono::steady_clock::now();
                    if (!start) start = now, firstTimestamp = frame->best_effort_timestamp;
                    const double seconds = (frame->best_effort_timestamp - firstTimestamp) * av_q2d(timeBase);
                    const auto due = *start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                                  std::chrono::duration<double>(seconds));
                    // In short steps, so that a stop is not kept waiting.
                    while (!mailbox->stop && std::chrono::steady_clock::now() < due)
                        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
                            due - std::chrono::steady_clock::now(), std::chrono::milliseconds(20)));
                    if (mailbox->stop) break;
                }
                CVPixelBufferRef buffer;
                if (CVPixelBufferPoolCreatePixelBuffer(pool, &buffer) != kCVReturnSuccess)
                    continue;  // consumer stalled
                if (!converter.convert(frame, const_cast<uint8_t*>(buffer->data()), buffer->bytesPerRow(),
                                       outSize.width, outSize.height, mailbox->orientation))
                    continue;
                bool post = false;
                {
                    std::lock_guard lock(mailbox->mutex);
                    mailbox->slot = std::move(buffer);  // an older frame not yet taken is dropped
                    post = !mailbox->posted;
                    mailbox->posted = true;
                }
                if (post)
                    NSRunLoop::mainRunLoop().performBlock([mailbox] {
                        CVPixelBufferRef taken;
                        {
                            std::lock_guard lock(mailbox->mutex);
                            taken = std::move(mailbox->slot);
                            mailbox->posted = false;
                        }
                        mailbox->orientation =
                            CaptureRig::sensorOrientation(mailbox->position, currentDeviceOrientation());
                        if (!taken || !mailbox->handler) return;
                        const CMTime now = CMTimeMakeWithSeconds(NSRunLoop::mainRunLoop().now(), 600);
                        const CMSampleBufferRef sample =
                            CMSampleBuffer::videoFrame(std::move(taken), now, kCMTimeInvalid);
                        if (mailbox->keepLast) mailbox->keepLast(sample);
                        const CaptureSource::Handler handler = mailbox->handler;
                        handler(sample);
                    });
            }
        }
        av_packet_unref(packet);
    }
    if (rc < 0) readerEnded(mailbox, url, "stopped", rc);
    av_frame_free(&frame);
    av_packet_free(&packet);
}

}  // namespace

LibavCamera::Probe LibavCamera::probe(const std::string& formatName, const std::string& url) {
    Probe result;
    Input in;
    const int rc = openInput(in, formatName, url, {}, 0, nullptr);
    if (rc < 0) {
        result.error = errorText(rc);
        result.accessDenied = rc == AVERROR(EACCES) || rc == AVERROR(EPERM);
        return result;
    }
    result.ok = true;
    result.size = {in.codec->width, in.codec->height};
    if (formatName == "video4linux2") {
        result.sizes = v4l2Sizes(url);
        result.card = v4l2Card(url);
    }
    return result;
}

CMVideoDimensions LibavCamera::captureSizeForPreset(const std::string& preset,
                                                    const std::vector<CMVideoDimensions>& sizes,
                                                    CMVideoDimensions fallback) {
    if (sizes.empty()) return fallback;
    auto area = [](CMVideoDimensions d) { return static_cast<int64_t>(d.width) * d.height; };
    std::optional<CMVideoDimensions> best;
    auto consider = [&](CMVideoDimensions d) {
        if (!best || area(d) > area(*best)) best = d;
    };
    if (preset == "AVCaptureSessionPresetPhoto") {
        for (CMVideoDimensions d : sizes)
            if (static_cast<int64_t>(d.width) * 3 == static_cast<int64_t>(d.height) * 4) consider(d);
    } else if (preset == "AVCaptureSessionPreset640x480" || preset == "AVCaptureSessionPreset1920x1080") {
        const CMVideoDimensions named =
            preset == "AVCaptureSessionPreset640x480" ? CMVideoDimensions{640, 480} : CMVideoDimensions{1920, 1080};
        if (std::find(sizes.begin(), sizes.end(), named) != sizes.end()) return named;
    }
    if (!best)
        for (CMVideoDimensions d : sizes) consider(d);
    return *best;
}

LibavCamera::LibavCamera(std::string format, std::string url, int64_t position, Probe probe, V4L2ControlSet controls)
    : format_(std::move(format)),
      url_(std::move(url)),
      position_(position),
      probe_(std::move(probe)),
      controls_(controls) {}

LibavCamera::~LibavCamera() { stop(); }

CMVideoDimensions LibavCamera::sensorSize() const {
    CMVideoDimensions largest = probe_.size;
    for (CMVideoDimensions d : probe_.sizes)
        if (static_cast<int64_t>(d.width) * d.height > static_cast<int64_t>(largest.width) * largest.height)
            largest = d;
    return largest;
}

void LibavCamera::start(const CaptureRequest& request, Handler handler) {
    close();
    request_ = request;
    running_ = true;
    mailbox_ = std::make_shared<Mailbox>();
    mailbox_->handler = std::move(handler);
    mailbox_->keepLast = [this](const CMSampleBufferRef& sample) { last_ = sample; };
    failure_.clear();
    mailbox_->ended = [this](const std::string& reason) {
        failure_ = reason;
        last_ = nullptr;  // the last frame is no picture of now
    };
    mailbox_->position = position_;
    mailbox_->orientation = CaptureRig::sensorOrientation(position_, currentDeviceOrientation());
    open();
}

void LibavCamera::open() {
    const CMVideoDimensions capture = captureSizeForPreset(request_.preset, probe_.sizes, probe_.size);
    const double seconds = CMTimeGetSeconds(request_.frameDuration);
    const double rate = std::isfinite(seconds) && seconds > 0 ? 1 / seconds : 30;
    CMVideoDimensions out = request_.size;
    if (out.width <= 0 || out.height <= 0) out = capture;
    reader_ = std::thread(readFrames, mailbox_, format_, url_, capture, out, rate);
}

void LibavCamera::close() {
    if (!mailbox_) return;
    mailbox_->stop = true;
    if (reader_.joinable()) reader_.join();
    // A frame already posted finds no handler.
    mailbox_->handler = nullptr;
    mailbox_->keepLast = nullptr;
    mailbox_->ended = nullptr;
    mailbox_ = nullptr;
}

void LibavCamera::stop() {
    close();
    running_ = false;
    last_ = nullptr;
    failure_.clear();
}

void LibavCamera::setFrameDuration(CMTime frameDuration) {
    if (CMTimeCompare(frameDuration, request_.frameDuration) == 0) return;
    request_.frameDuration = frameDuration;
    if (!running_) return;
    Handler handler = mailbox_ ? mailbox_->handler : nullptr;
    start(request_, std::move(handler));  // a new rate reopens the input
}

CMSampleBufferRef LibavCamera::stillFrame(double cropFactor) {
    if (!last_) return nullptr;
    const CVPixelBufferRef source = last_->imageBuffer();
    const auto W = static_cast<int32_t>(source->width()), H = static_cast<int32_t>(source->height());
    CVPixelBufferRef still;
    if (CVPixelBufferCreate(source->width(), source->height(), kCVPixelFormatType_32BGRA, &still) != kCVReturnSuccess)
        return nullptr;
    // The centre 1/crop of the frame scaled back to its size (nearest pixel).
    const double zoom = std::max(1.0, cropFactor);
    uint8_t* out = const_cast<uint8_t*>(still->data());
    for (int32_t y = 0; y < H; ++y) {
        const auto sy = static_cast<int32_t>(H / 2.0 + (y + 0.5 - H / 2.0) / zoom);
        for (int32_t x = 0; x < W; ++x) {
            const auto sx = static_cast<int32_t>(W / 2.0 + (x + 0.5 - W / 2.0) / zoom);
            std::memcpy(out + y * still->bytesPerRow() + x * 4, source->data() + sy * source->bytesPerRow() + sx * 4,
                        4);
        }
    }
    auto sample = CMSampleBuffer::videoFrame(still, last_->presentationTimeStamp(), kCMTimeInvalid);
    const auto device = device_.lock();
    sample->setAttachments(
        stillAttachments(device.get(), mailbox_ ? mailbox_->orientation.load() : 6, {W, H}, cropFactor, probe_.card));
    return sample;
}

void LibavCamera::controlsChanged(const AVCaptureDevice& device) {
    if (format_ == "video4linux2") V4L2ApplyControls(url_, controls_, device);
}

}  // namespace platform
