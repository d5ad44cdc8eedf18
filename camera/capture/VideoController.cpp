#include "camera/capture/VideoController.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "model/DeviceUtility.h"
#include "platform/coregraphics/CGImage.h"

using namespace platform;

// ---- Session presets ----------------------------------------------------------------------------

bool VideoController::photoPresetCaptureSessionAvailable() { return !DeviceUtility::is3GS(); }

const VideoController::Preset& VideoController::defaultFrontFacingSnapSessionPreset() {
    return photoPresetCaptureSessionAvailable() ? AVCaptureSessionPresetPhoto : AVCaptureSessionPreset640x480;
}

const VideoController::Preset& VideoController::defaultBackFacingSnapSessionPreset() {
    return defaultFrontFacingSnapSessionPreset();
}

const VideoController::Preset& VideoController::defaultSnapSessionPreset(int64_t position) {
    return position == AVCaptureDevicePositionFront ? defaultFrontFacingSnapSessionPreset()
                                                    : defaultBackFacingSnapSessionPreset();
}

const VideoController::Preset& VideoController::defaultBackFacingVideoSessionPreset() {
    return AVCaptureSessionPreset1920x1080;
}

const VideoController::Preset& VideoController::defaultFrontFacingVideoSessionPreset() {
    return AVCaptureSessionPreset640x480;
}

const VideoController::Preset& VideoController::defaultVideoSessionPreset(int64_t position) {
    return position == AVCaptureDevicePositionFront ? defaultFrontFacingVideoSessionPreset()
                                                    : defaultBackFacingVideoSessionPreset();
}

bool VideoController::useStillImageCaptureOutput() {
    return defaultBackFacingSnapSessionPreset() == AVCaptureSessionPresetPhoto;
}

// ---- Life ---------------------------------------------------------------------------------------

namespace {

int64_t initialPosition() {
    for (const AVCaptureDeviceRef& d : AVCaptureDevice::devicesWithMediaType(AVMediaTypeVideo))
        if (d->position() == AVCaptureDevicePositionBack) return AVCaptureDevicePositionBack;
    return AVCaptureDevicePositionFront;
}

}  // namespace

VideoController::VideoController() : VideoController(initialPosition()) {}

VideoController::VideoController(int64_t position) {
    sessionPreset_ = position == AVCaptureDevicePositionBack ? defaultBackFacingSnapSessionPreset()
                                                             : defaultFrontFacingSnapSessionPreset();
    videoDevicePosition_ = position;
    session_ = std::make_shared<AVCaptureSession>();
    session_->beginConfiguration();
    session_->setSessionPreset(sessionPreset_);
    frontInput_ = AVCaptureDeviceInput::deviceInputWithDevice(cameraWithPosition(AVCaptureDevicePositionFront));
    backInput_ = AVCaptureDeviceInput::deviceInputWithDevice(cameraWithPosition(AVCaptureDevicePositionBack));
    const AVCaptureDeviceInputRef input = position == AVCaptureDevicePositionBack ? backInput_ : frontInput_;
    if (!input) {
        // Never committed: every later call talks to no session and does nothing.
        session_ = nullptr;
        DeviceUtility::setHasCameraConnection(false);
        return;
    }
    session_->addInput(input);
    currentInput_ = input;

    videoOutput_ = std::make_shared<AVCaptureVideoDataOutput>();
    videoOutput_->setAlwaysDiscardsLateVideoFrames(true);
    videoOutput_->setPixelFormatType(kCVPixelFormatType_32BGRA);
    videoOutput_->setSampleBufferDelegate(this, dispatch_get_main_queue());
    session_->addOutput(videoOutput_);

    if (useStillImageCaptureOutput()) {
        stillImageOutput_ = std::make_shared<AVCaptureStillImageOutput>();
        stillImageOutput_->setPixelFormatType(kCVPixelFormatType_32BGRA);
        session_->addOutput(stillImageOutput_);
    }
    setLowLightBoost(false);
    setFlashMode(0);
    const double rate = AppConstants::defaultRealtimeFramerate();
    setFramerate(rate, cameraWithPosition(AVCaptureDevicePositionFront));
    setFramerate(rate, cameraWithPosition(AVCaptureDevicePositionBack));
    session_->commitConfiguration();
}

VideoController::~VideoController() {
    if (videoOutput_) videoOutput_->setSampleBufferDelegate(nullptr, nullptr);
    if (audioOutput_) audioOutput_->setSampleBufferDelegate(nullptr, nullptr);
    if (session_) session_->stopRunning();
}

void VideoController::start() {
    if (!session_ || session_->isRunning()) return;
    session_->startRunning();
    resetStillImageCaptureVideoConnection();
}

void VideoController::stop() {
    if (session_ && session_->isRunning()) session_->stopRunning();
}

// ---- Devices ------------------------------------------------------------------------------------

AVCaptureDeviceRef VideoController::cameraWithPosition(int64_t position) const {
    for (const AVCaptureDeviceRef& d : AVCaptureDevice::devicesWithMediaType(AVMediaTypeVideo))
        if (d->position() == position) return d;
    return nullptr;
}

AVCaptureDeviceRef VideoController::audioWithPosition(int64_t position) const {
    for (const AVCaptureDeviceRef& d : AVCaptureDevice::devicesWithMediaType(AVMediaTypeAudio))
        if (d->position() == position) return d;
    return nullptr;
}

bool VideoController::hasFlash() const {
    const AVCaptureDeviceRef back = cameraWithPosition(AVCaptureDevicePositionBack);
    return back && back->hasFlash();
}

bool VideoController::hasTorch() const {
    const AVCaptureDeviceRef back = cameraWithPosition(AVCaptureDevicePositionBack);
    return back && back->hasTorch();
}

// ---- Presets and frame rate ---------------------------------------------------------------------

void VideoController::setSessionPreset(const Preset& preset) {
    if (preset == sessionPreset_ || !session_) return;
    session_->beginConfiguration();
    session_->setSessionPreset(preset);
    const double rate = AppConstants::defaultRealtimeFramerate();
    setFramerate(rate, cameraWithPosition(AVCaptureDevicePositionFront));
    setFramerate(rate, cameraWithPosition(AVCaptureDevicePositionBack));
    session_->commitConfiguration();
    sessionPreset_ = preset;
    resetStillImageCaptureVideoConnection();
}

void VideoController::setSessionPresetAndEnableAudio(const Preset& preset, bool enable) {
    if (!session_) return;
    session_->beginConfiguration();
    setSessionPreset(preset);
    enableAudio(enable);
    session_->commitConfiguration();
    resetStillImageCaptureVideoConnection();
}

void VideoController::setFramerate(double rate, const AVCaptureDeviceRef& device) {
    // Below one frame a second the duration would be 1/0: nothing a device can take.
    if (!device || !(rate >= 1)) return;
    const auto& ranges = device->videoSupportedFrameRateRanges();
    if (ranges.empty()) return;
    double highestMax = -1, lowestMin = std::numeric_limits<float>::max();
    bool held = false;
    for (const AVFrameRateRange& range : ranges) {
        highestMax = std::max(highestMax, range.maxFrameRate);
        lowestMin = std::min(lowestMin, range.minFrameRate);
        if (range.minFrameRate <= rate && range.maxFrameRate >= rate) {
            held = true;
            break;
        }
    }
    if (!held) rate = highestMax < rate ? highestMax : std::max(rate, lowestMin);
    if (!(rate >= 1)) return;
    if (!device->lockForConfiguration()) return;
    const CMTime duration = CMTimeMake(1, static_cast<int32_t>(rate));
    device->setActiveVideoMinFrameDuration(duration);
    device->setActiveVideoMaxFrameDuration(duration);
    device->unlockForConfiguration();
}

// ---- Swap ---------------------------------------------------------------------------------------

void VideoController::swapFrontAndBackCameras(bool video) {
    if (!session_) return;
    const int64_t old = videoDevicePosition_;
    const AVCaptureDeviceInputRef next = old == AVCaptureDevicePositionBack ? frontInput_ : backInput_;
    if (!next) return;  // the other camera is missing: stay on this one, tell nobody
    if (delegate_) delegate_->videoControllerWillSwapFrontAndBack(*this, old == AVCaptureDevicePositionBack);
    session_->beginConfiguration();
    videoDevicePosition_ =
        old == AVCaptureDevicePositionBack ? AVCaptureDevicePositionFront : AVCaptureDevicePositionBack;
    const Preset& preset =
        video ? defaultVideoSessionPreset(videoDevicePosition_) : defaultSnapSessionPreset(videoDevicePosition_);
    const bool presetFirst = session_->canSetSessionPreset(preset);
    if (presetFirst) setSessionPreset(preset);
    session_->removeInput(currentInput_);
    session_->addInput(next);
    currentInput_ = next;
    if (!presetFirst) setSessionPreset(preset);
    session_->commitConfiguration();
    videoDevicePositionSwapPending_ = true;
    resetStillImageCaptureVideoConnection();
}

// ---- Flash, torch, low light --------------------------------------------------------------------

int64_t VideoController::flashMode() const {
    const AVCaptureDeviceRef camera = activeCamera();
    return camera && camera->hasFlash() ? camera->flashMode() : -1;
}

void VideoController::setFlashMode(int64_t mode) {
    const AVCaptureDeviceRef camera = activeCamera();
    if (!camera || !camera->hasFlash()) return;
    camera->lockForConfiguration();
    camera->setFlashMode(mode);
    setLowLightBoost(false);
    camera->unlockForConfiguration();
}

namespace {

// Off → auto → on → off; anything else (no flash or torch) stays.
int64_t nextLightMode(int64_t mode) {
    switch (mode) {
    case 0: return 2;
    case 2: return 1;
    case 1: return 0;
    default: return mode;
    }
}

}  // namespace

void VideoController::toggleFlashMode() {
    const int64_t mode = flashMode();
    if (mode >= 0 && mode <= 2) setFlashMode(nextLightMode(mode));
}

int64_t VideoController::torchMode() const {
    const AVCaptureDeviceRef camera = activeCamera();
    return camera && camera->hasTorch() ? lastTorchMode_ : -1;
}

void VideoController::setTorchMode(int64_t mode) {
    const AVCaptureDeviceRef camera = activeCamera();
    if (!camera || !camera->hasTorch()) return;
    camera->lockForConfiguration();
    camera->setTorchMode(mode);
    lastTorchMode_ = camera->torchMode();
    setLowLightBoost(false);
    camera->unlockForConfiguration();
}

void VideoController::toggleTorchMode() {
    const int64_t mode = torchMode();
    if (mode >= 0 && mode <= 2) setTorchMode(nextLightMode(mode));
}

void VideoController::setFocusAndTorch(int64_t focusMode, int64_t torch) {
    const AVCaptureDeviceRef camera = activeCamera();
    if (!camera) return;
    const bool focus = camera->isFocusModeSupported(0);
    if (!focus && !camera->hasTorch()) return;
    camera->lockForConfiguration();
    if (camera->hasTorch()) {
        camera->setTorchMode(torch);
        lastTorchMode_ = camera->torchMode();
    }
    if (focus) camera->setFocusMode(focusMode);
    setLowLightBoost(false);
    camera->unlockForConfiguration();
}

void VideoController::lockFocusAndSetTorchMode(int64_t mode) { setFocusAndTorch(0, mode); }
void VideoController::restoreFocusAndSetTorchMode(int64_t mode) { setFocusAndTorch(2, mode); }

void VideoController::setLowLightBoost(bool enabled) {
    const AVCaptureDeviceRef camera = activeCamera();
    if (!camera || !camera->isLowLightBoostSupported() || camera->automaticallyEnablesLowLightBoostWhenAvailable())
        return;
    // The caller may hold the lock already; locking again is harmless, unlocking is the
    // outermost caller's.
    const bool wasLocked = camera->isLockedForConfiguration();
    camera->lockForConfiguration();
    camera->setAutomaticallyEnablesLowLightBoostWhenAvailable(enabled);
    if (!wasLocked) camera->unlockForConfiguration();
}

// ---- Audio --------------------------------------------------------------------------------------

void VideoController::enableAudioInput() {
    if (audioInput_ || !session_) return;
    session_->beginConfiguration();
    audioInput_ = AVCaptureDeviceInput::deviceInputWithDevice(audioWithPosition(AVCaptureDevicePositionUnspecified));
    if (audioInput_) session_->addInput(audioInput_);
    session_->commitConfiguration();
    resetStillImageCaptureVideoConnection();
}

void VideoController::enableAudio(bool enable) {
    if (!session_) return;
    session_->beginConfiguration();
    const auto& outputs = session_->outputs();
    const bool inSession = audioOutput_ && std::find(outputs.begin(), outputs.end(), audioOutput_) != outputs.end();
    if (enable) {
        if (!audioOutput_) {
            audioOutput_ = std::make_shared<AVCaptureAudioDataOutput>();
            audioOutput_->setSampleBufferDelegate(this, dispatch_get_main_queue());
        }
        // Twice on would add it twice; the position-based removal would then take the wrong one.
        if (!inSession) session_->addOutput(audioOutput_);
    } else if (inSession) {
        session_->removeOutput(audioOutput_);
    }
    session_->commitConfiguration();
    resetStillImageCaptureVideoConnection();
}

// ---- Still connection ---------------------------------------------------------------------------

const AVCaptureConnectionRef& VideoController::stillImageCaptureVideoConnection() {
    if (!stillImageConnection_ && stillImageOutput_) {
        for (const AVCaptureConnectionRef& connection : stillImageOutput_->connections()) {
            for (const AVCaptureInputPort& port : connection->inputPorts()) {
                if (port.mediaType == AVMediaTypeVideo) {
                    stillImageConnection_ = connection;
                    return stillImageConnection_;
                }
            }
        }
    }
    return stillImageConnection_;
}

void VideoController::resetStillImageCaptureVideoConnection() {
    stillImageConnection_ = nullptr;
    stillImageCaptureVideoConnection();
}

// ---- Frames -------------------------------------------------------------------------------------

void VideoController::captureOutputDidOutputSampleBuffer(AVCaptureOutput& output, const CMSampleBufferRef& sampleBuffer,
                                                         AVCaptureConnection&) {
    if (audioOutput_ && &output == audioOutput_.get()) {
        if (audioTarget_) audioTarget_(sampleBuffer);
        return;
    }
    const CMTime time = CMSampleBufferGetPresentationTimeStamp(sampleBuffer);
    const CMFormatDescription* format = CMSampleBufferGetFormatDescription(sampleBuffer);
    {
        std::lock_guard lock(frameMutex_);
        if (CMTIME_IS_VALID(previousTimestamp_)) {
            const double seconds = CMTimeGetSeconds(CMTimeSubtract(time, previousTimestamp_));
            // A frame whose time did not advance has no rate; the last one stands.
            if (seconds > 0) videoFrameRate_ = 1.0 / seconds;
        }
        previousTimestamp_ = time;
        videoDimensions_ = CMVideoFormatDescriptionGetDimensions(format);
    }
    const uint32_t subtype = CMFormatDescriptionGetMediaSubType(format);
    videoType_ = __builtin_bswap32(subtype);
    if (target_) target_(sampleBuffer);
    if (videoDevicePositionSwapPending_) {
        videoDevicePositionSwapPending_ = false;
        if (delegate_) delegate_->videoControllerDidSwapFrontAndBack(*this, isFrontFacing());
    }
}

// ---- Helpers nothing calls ----------------------------------------------------------------------

UIImagePtr VideoController::imageFromSampleBuffer(const CMSampleBufferRef& sampleBuffer) {
    const CVPixelBufferRef buffer = CMSampleBufferGetImageBuffer(sampleBuffer);
    if (!buffer || CVPixelBufferLockBaseAddress(buffer, kCVPixelBufferLock_ReadOnly) != kCVReturnSuccess)
        return nullptr;
    const size_t w = CVPixelBufferGetWidth(buffer), h = CVPixelBufferGetHeight(buffer);
    const size_t bpr = CVPixelBufferGetBytesPerRow(buffer);
    const auto* base = static_cast<const uint8_t*>(CVPixelBufferGetBaseAddress(buffer));
    std::vector<uint8_t> bytes(base, base + bpr * h);
    CVPixelBufferUnlockBaseAddress(buffer, kCVPixelBufferLock_ReadOnly);
    // 32-bit little-endian, first byte skipped: BGRA in memory.
    auto image = CGImageCreate(w, h, 8, 32, bpr, CGColorSpaceCreateDeviceRGB(),
                               kCGBitmapByteOrder32Little | kCGImageAlphaNoneSkipFirst, std::move(bytes));
    return image ? UIImage::imageWithCGImage(image) : nullptr;
}

void VideoController::onVideoError(const std::string& description, const std::string& failureReason) {
    std::fprintf(stderr, "onVideoError: %s\n", description.c_str());
    std::fprintf(stderr, "Error: ERROR during capture: %s: %s\n", description.c_str(), failureReason.c_str());
}
