#include "platform/avfoundation/AVCaptureStillImageOutput.h"

#include <algorithm>
#include <cstdio>

#include "platform/avfoundation/AVCaptureSession.h"
#include "platform/avfoundation/CaptureSource.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/imageio/ImageIO.h"

namespace platform {

NSErrorPtr AVCaptureStillImageOutput::stillImageError(long code, const std::string& cause) {
    std::string reason;
    switch (code) {
    case AVErrorSessionNotRunning: reason = "The camera is not running."; break;
    case AVErrorDeviceNotConnected: reason = "No camera is connected."; break;
    case AVErrorDeviceWasDisconnected: reason = "The camera stopped: " + cause + "."; break;
    default:
        reason = "The camera gave no picture within " + std::to_string(static_cast<int>(kFirstFrameWait)) + " seconds.";
        code = AVErrorNoDataCaptured;
    }
    return NSError::errorWithDomain(AVFoundationErrorDomain, code, "The photo could not be taken.", reason);
}

bool AVCaptureStillImageOutput::setPixelFormatType(OSType format) { return format == kCVPixelFormatType_32BGRA; }

void AVCaptureStillImageOutput::captureStillImageAsynchronouslyFromConnection(const AVCaptureConnectionRef& connection,
                                                                              Handler handler) {
    ++pending_;
    const double crop = connection ? connection->videoScaleAndCropFactor() : 1.0;
    const double now = NSRunLoop::mainRunLoop().now();
    answerAtDate(now + kLatency, now + kFirstFrameWait, crop, std::move(handler));
}

void AVCaptureStillImageOutput::answerAtDate(double date, double giveUp, double crop, Handler handler) {
    std::weak_ptr<bool> alive = alive_;
    NSRunLoop::mainRunLoop().performAtDate(date, [this, alive, giveUp, crop, handler] {
        if (alive.expired()) return;
        CMSampleBufferRef still;
        NSErrorPtr error;
        AVCaptureSession* session = session_;
        const AVCaptureDeviceInputRef input = session ? session->inputWithMediaType(AVMediaTypeVideo) : nullptr;
        const std::shared_ptr<CaptureSource> source = input ? input->device()->source() : nullptr;
        std::string stopped;
        if (!session || !session->isRunning()) error = stillImageError(AVErrorSessionNotRunning);
        else if (!source) error = stillImageError(AVErrorDeviceNotConnected);
        // A camera that ended holds only its last frame, which is no new picture.
        else if (!(stopped = source->failureReason()).empty())
            error = stillImageError(AVErrorDeviceWasDisconnected, stopped);
        else if (!(still = source->stillFrame(crop))) {
            // A camera just started or reopened has no frame until its first one arrives,
            // which on a busy machine can take longer than the shutter's latency.
            const double now = NSRunLoop::mainRunLoop().now();
            if (now < giveUp) return answerAtDate(std::min(now + kLatency, giveUp), giveUp, crop, handler);
            error = stillImageError(AVErrorNoDataCaptured);
        }
        --pending_;
        if (error)
            std::fprintf(stderr, "tavorin: %s %s\n", error->localizedDescription().c_str(),
                         error->localizedFailureReason().c_str());
        if (handler) handler(still, error);
    });
}

std::vector<uint8_t> AVCaptureStillImageOutput::jpegStillImageNSDataRepresentation(const CMSampleBufferRef& buffer) {
    const CVPixelBufferRef pixels = CMSampleBufferGetImageBuffer(buffer);
    if (!pixels) return {};
    ImageBitmap bitmap;
    bitmap.width = static_cast<uint32_t>(pixels->width());
    bitmap.height = static_cast<uint32_t>(pixels->height());
    bitmap.format = ImagePixelFormat::RGBA;
    bitmap.pixels.resize(static_cast<size_t>(bitmap.width) * bitmap.height * 4);
    // BGRA rows with padding into packed RGBA.
    for (uint32_t y = 0; y < bitmap.height; ++y) {
        const uint8_t* src = pixels->data() + y * pixels->bytesPerRow();
        uint8_t* dst = bitmap.pixels.data() + static_cast<size_t>(y) * bitmap.width * 4;
        for (uint32_t x = 0; x < bitmap.width; ++x, src += 4, dst += 4) {
            dst[0] = src[2], dst[1] = src[1], dst[2] = src[0], dst[3] = 255;
        }
    }
    std::vector<uint8_t> jpeg;
    if (!EncodeImage(bitmap, ImageFileType::JPEG, buffer->attachments(), &jpeg)) return {};
    return jpeg;
}

}  // namespace platform
