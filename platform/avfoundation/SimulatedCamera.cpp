#include "platform/avfoundation/SimulatedCamera.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/avfoundation/AVCaptureDevice.h"
#include "platform/avfoundation/CaptureRig.h"
#include "platform/imageio/ImageProperties.h"
#include "platform/uikit/UIScreen.h"

namespace platform {

namespace {

// Frames are stamped in 1/600 s: exact for 24, 25, 30 and 60 frames per second.
constexpr CMTimeScale kFrameTimescale = 600;

int currentDeviceOrientation() { return static_cast<int>(UIDeviceProfile::current().orientation); }

// A scene byte as the sensor sees it under the exposure gain (1 = normal) and extra light.
uint8_t Lit(int value, double gain, double extraLight) {
    return static_cast<uint8_t>(std::clamp(std::lround(value * gain + extraLight * 255.0), 0L, 255L));
}

}  // namespace

SimulatedCamera::SimulatedCamera(int64_t position, CMVideoDimensions sensor, std::shared_ptr<const ImageBitmap> photo)
    : position_(position), sensor_(sensor), photo_(std::move(photo)) {}

SimulatedCamera::~SimulatedCamera() { stop(); }

void SimulatedCamera::renderScene(uint8_t* bgra, size_t bytesPerRow, int32_t W, int32_t H, int orientation,
                                  int64_t frameNumber, double gain, double extraLight, double crop,
                                  const ImageBitmap* photo, std::vector<StripePixel>* stripe) {
    const bool turned = orientation >= 5;
    const int32_t Wu = turned ? H : W, Hu = turned ? W : H;  // the upright scene's size
    const double zoom = std::max(1.0, crop);
    const int32_t marker = std::max(1, std::min(Wu, Hu) / 6);
    constexpr int kBits = 16;
    const int32_t cell = std::max(1, Wu / (2 * kBits));
    const int32_t stripeX = Wu / 4, stripeTop = Hu - 2 * marker, stripeBottom = stripeTop + std::max(1, marker / 2);
    // The lighting of every byte value, once a frame.
    uint8_t light[256];
    for (int value = 0; value < 256; ++value) light[value] = Lit(value, gain, extraLight);
    // A photo fills the upright frame (scaled to cover it, centred).
    const bool hasPhoto = photo && !photo->empty();
    const double fill =
        hasPhoto ? std::max(static_cast<double>(Wu) / photo->width, static_cast<double>(Hu) / photo->height) : 1;
    const bool photoBGRA = hasPhoto && photo->format == ImagePixelFormat::BGRA;
    for (int32_t y = 0; y < H; ++y) {
        uint8_t* row = bgra + static_cast<size_t>(y) * bytesPerRow;
        for (int32_t x = 0; x < W; ++x) {
            int32_t u0, v0;
            CaptureRig::uprightPoint(orientation, x, y, W, H, &u0, &v0);
            // The centre 1/zoom of the scene, scaled back to the whole frame.
            const auto u = static_cast<int32_t>(Wu / 2.0 + (u0 + 0.5 - Wu / 2.0) / zoom);
            const auto v = static_cast<int32_t>(Hu / 2.0 + (v0 + 0.5 - Hu / 2.0) / zoom);
            uint8_t b, g, r;
            if (hasPhoto) {
                const auto px = static_cast<int64_t>(std::floor((u + 0.5 - Wu / 2.0) / fill + photo->width / 2.0));
                const auto py = static_cast<int64_t>(std::floor((v + 0.5 - Hu / 2.0) / fill + photo->height / 2.0));
                const uint8_t* s = photo->pixel(static_cast<uint32_t>(std::clamp<int64_t>(px, 0, photo->width - 1)),
                                                static_cast<uint32_t>(std::clamp<int64_t>(py, 0, photo->height - 1)));
                b = s[photoBGRA ? 0 : 2], g = s[1], r = s[photoBGRA ? 2 : 0];
                uint8_t* p = row + static_cast<size_t>(x) * 4;
                p[0] = light[b], p[1] = light[g], p[2] = light[r], p[3] = 255;
                continue;
            }
            const bool left = u < marker, right = u >= Wu - marker, top = v < marker, bottom = v >= Hu - marker;
            if ((left || right) && (top || bottom)) {
                const uint8_t* c = kMarkers[(top ? 0 : 2) + (left ? 0 : 1)];
                b = c[0], g = c[1], r = c[2];
            } else if (v >= stripeTop && v < stripeBottom && u >= stripeX && u < stripeX + kBits * cell) {
                const int bit = kBits - 1 - (u - stripeX) / cell;
                b = g = r = ((frameNumber >> bit) & 1) ? 255 : 0;
                if (stripe) stripe->push_back({static_cast<size_t>(y) * bytesPerRow + static_cast<size_t>(x) * 4, bit});
            } else {
                b = g = r = static_cast<uint8_t>(40 + 160 * u / std::max(1, Wu - 1));
            }
            uint8_t* p = row + static_cast<size_t>(x) * 4;
            p[0] = light[b], p[1] = light[g], p[2] = light[r], p[3] = 255;
        }
    }
}

CMSampleBufferRef SimulatedCamera::render(CMVideoDimensions size, const CVPixelBufferPoolRef& pool, double crop,
                                          int* orientationOut, bool live) {
    CVPixelBufferRef buffer;
    if (CVPixelBufferPoolCreatePixelBuffer(pool, &buffer) != kCVReturnSuccess) return nullptr;  // dropped
    const auto device = device_.lock();
    const double gain = device ? device->exposureGain() : 1.0;
    const double torch = device && device->isTorchActive() ? 0.25 : 0.0;
    const int orientation = CaptureRig::sensorOrientation(position_, currentDeviceOrientation());
    CVPixelBufferLockBaseAddress(buffer, 0);
    auto* bytes = static_cast<uint8_t*>(CVPixelBufferGetBaseAddress(buffer));
    const size_t bytesPerRow = CVPixelBufferGetBytesPerRow(buffer);
    const size_t length = bytesPerRow * static_cast<size_t>(size.height);
    if (live && scene_.size == size && scene_.bytesPerRow == bytesPerRow && scene_.orientation == orientation &&
        scene_.gain == gain && scene_.extraLight == torch && scene_.bytes.size() == length) {
        std::memcpy(bytes, scene_.bytes.data(), length);
        const uint8_t set = Lit(255, gain, torch), clear = Lit(0, gain, torch);
        for (const StripePixel& p : scene_.stripe) {
            const uint8_t value = ((frameNumber_ >> p.bit) & 1) ? set : clear;
            bytes[p.offset] = bytes[p.offset + 1] = bytes[p.offset + 2] = value;
        }
    } else {
        std::vector<StripePixel> stripe;
        renderScene(bytes, bytesPerRow, size.width, size.height, orientation, frameNumber_, gain, torch, crop,
                    photo_.get(), live ? &stripe : nullptr);
        if (live)
            scene_ = Scene{size,
                           bytesPerRow,
                           orientation,
                           gain,
                           torch,
                           std::vector<uint8_t>(bytes, bytes + length),
                           std::move(stripe)};
    }
    CVPixelBufferUnlockBaseAddress(buffer, 0);
    ++frameNumber_;
    if (orientationOut) *orientationOut = orientation;
    const CMTime now = CMTimeMakeWithSeconds(NSRunLoop::mainRunLoop().now(), kFrameTimescale);
    return CMSampleBuffer::videoFrame(std::move(buffer), now, frameDuration_);
}

void SimulatedCamera::start(const CaptureRequest& request, Handler handler) {
    const CMVideoDimensions size = request.size;
    handler_ = std::move(handler);
    if (!(size == size_) || !pool_) {
        size_ = size;
        CVPixelBufferPoolAttributes attributes;
        attributes.width = static_cast<size_t>(size.width);
        attributes.height = static_cast<size_t>(size.height);
        // A consumer holding more frames than this is stalled; later frames are dropped.
        attributes.maximumBuffersOut = 6;
        pool_ = nullptr;
        if (CVPixelBufferPoolCreate(attributes, &pool_) != kCVReturnSuccess) return;
    }
    schedule(request.frameDuration);
}

void SimulatedCamera::schedule(CMTime frameDuration) {
    if (timer_) timer_->invalidate();
    frameDuration_ = frameDuration;
    double seconds = CMTimeGetSeconds(frameDuration);
    if (!std::isfinite(seconds) || seconds <= 0) seconds = 1.0 / 30;
    timer_ = NSTimer::scheduledTimerWithTimeInterval(seconds, true, [this](NSTimer&) {
        if (CMSampleBufferRef frame = render(size_, pool_, 1.0, nullptr, true); frame && handler_) {
            const Handler handler = handler_;  // the handler may stop the camera
            handler(frame);
        }
    });
}

void SimulatedCamera::setFrameDuration(CMTime frameDuration) {
    if (timer_) schedule(frameDuration);
    else frameDuration_ = frameDuration;
}

void SimulatedCamera::stop() {
    if (timer_) timer_->invalidate();
    timer_ = nullptr;
    handler_ = nullptr;
}

CMSampleBufferRef SimulatedCamera::stillFrame(double cropFactor) {
    CVPixelBufferPoolAttributes attributes;
    attributes.width = static_cast<size_t>(sensor_.width);
    attributes.height = static_cast<size_t>(sensor_.height);
    CVPixelBufferPoolRef pool;
    if (CVPixelBufferPoolCreate(attributes, &pool) != kCVReturnSuccess) return nullptr;
    int orientation = 1;
    CMSampleBufferRef still = render(sensor_, pool, cropFactor, &orientation, false);
    if (!still) return nullptr;
    const auto device = device_.lock();
    still->setAttachments(stillAttachments(device.get(), orientation, sensor_, cropFactor, kModel));
    return still;
}

ImageProperties CaptureSource::stillAttachments(const AVCaptureDevice* device, int orientation, CMVideoDimensions size,
                                                double cropFactor, const std::string& model) {
    ImageProperties exif;
    exif["ExposureTime"] = device ? CMTimeGetSeconds(device->exposureDuration()) : 1.0 / 60;
    exif["ISOSpeedRatings"] = ImagePropertyValue::Strings{std::to_string(device ? std::lround(device->ISO()) : 100)};
    // Exif's flash word: bit 0 fired. The flash fires when on (auto never finds it needed).
    exif["Flash"] = device && device->hasFlash() && device->flashMode() == 1 ? 1 : 0;
    exif["PixelXDimension"] = size.width;
    exif["PixelYDimension"] = size.height;
    exif[kCGImagePropertyExifDigitalZoomRatio] = std::max(1.0, cropFactor);
    ImageProperties attachments;
    attachments[kCGImagePropertyOrientation] = orientation;
    attachments[kCGImagePropertyExifDictionary] = std::move(exif);
    if (!model.empty())
        attachments[kCGImagePropertyTIFFDictionary] = ImageProperties{{kCGImagePropertyTIFFModel, model}};
    return attachments;
}

}  // namespace platform
