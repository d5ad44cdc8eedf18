#include "platform/avfoundation/AVCaptureDevice.h"

#include <algorithm>
#include <cmath>

#include "platform/authorization/AuthorizationStore.h"
#include "platform/avfoundation/CaptureRig.h"
#include "platform/avfoundation/CaptureSource.h"
#include "platform/foundation/NSRunLoop.h"

namespace platform {

namespace {

AuthorizationService serviceFor(const AVMediaType& type) {
    return type == AVMediaTypeAudio ? AuthorizationService::Microphone : AuthorizationService::Camera;
}

}  // namespace

AVCaptureDevice::AVCaptureDevice(std::string uniqueID, std::string name, AVMediaType mediaType, int64_t position,
                                 AVCaptureDeviceCapabilities capabilities, std::shared_ptr<CaptureSource> source)
    : uniqueID_(std::move(uniqueID)),
      name_(std::move(name)),
      mediaType_(std::move(mediaType)),
      position_(position),
      caps_(std::move(capabilities)),
      source_(std::move(source)) {}

AVCaptureDevice::~AVCaptureDevice() { NSRunLoop::mainRunLoop().cancelPreviousPerformRequests(this); }

std::vector<AVCaptureDeviceRef> AVCaptureDevice::devicesWithMediaType(const AVMediaType& mediaType) {
    std::vector<AVCaptureDeviceRef> out;
    for (const AVCaptureDeviceRef& d : CaptureRig::shared().devices())
        if (d->hasMediaType(mediaType)) out.push_back(d);
    return out;
}

AVCaptureDeviceRef AVCaptureDevice::defaultDeviceWithMediaType(const AVMediaType& mediaType) {
    auto devices = devicesWithMediaType(mediaType);
    return devices.empty() ? nullptr : devices.front();
}

int64_t AVCaptureDevice::authorizationStatusForMediaType(const AVMediaType& mediaType) {
    if (mediaType == AVMediaTypeVideo && CaptureRig::shared().cameraAccessDenied()) return 2;  // the system refused
    return AuthorizationStore::shared().status(serviceFor(mediaType));
}

void AVCaptureDevice::requestAccessForMediaType(const AVMediaType& mediaType, std::function<void(bool)> handler) {
    const AuthorizationService service = serviceFor(mediaType);
    AuthorizationStore::shared().requestAccessAsync(service, [service, handler = std::move(handler)](int state) {
        if (handler) handler(AuthorizationStore::isAuthorized(service, state));
    });
}

bool AVCaptureDevice::lockForConfiguration() {
    if (lockFails_) return false;
    locked_ = true;
    return true;
}

void AVCaptureDevice::unlockForConfiguration() {
    if (!locked_) return;
    locked_ = false;
    if (source_) source_->controlsChanged(*this);
}

void AVCaptureDevice::setActiveVideoMinFrameDuration(CMTime duration) {
    if (!locked_ || !CMTIME_IS_VALID(duration) || duration.value <= 0) return;
    minFrameDuration_ = duration;
    if (source_) source_->setFrameDuration(duration);
}

void AVCaptureDevice::setActiveVideoMaxFrameDuration(CMTime duration) {
    if (!locked_ || !CMTIME_IS_VALID(duration) || duration.value <= 0) return;
    maxFrameDuration_ = duration;
}

void AVCaptureDevice::setFlashMode(int64_t mode) {
    if (!locked_ || !isFlashModeSupported(mode) || mode == flashMode_) return;
    flashMode_ = mode;
    notify("flashMode");
}

void AVCaptureDevice::setTorchMode(int64_t mode) {
    if (!locked_ || !isTorchModeSupported(mode) || mode == torchMode_) return;
    torchMode_ = mode;
    notify("torchMode");
}

void AVCaptureDevice::setAutomaticallyEnablesLowLightBoostWhenAvailable(bool enabled) {
    if (locked_ && caps_.lowLightBoostSupported) lowLightBoost_ = enabled;
}

void AVCaptureDevice::setFocusMode(int64_t mode) {
    if (!locked_ || !isFocusModeSupported(mode)) return;
    focusMode_ = mode;
    if (mode != 0) beginAdjusting(true);
}

void AVCaptureDevice::setFocusPointOfInterest(CGPoint point) {
    if (!locked_ || !caps_.focusPointOfInterestSupported) return;
    focusPoint_ = CGPointMake(std::clamp(point.x, 0.0, 1.0), std::clamp(point.y, 0.0, 1.0));
}

void AVCaptureDevice::setExposureMode(int64_t mode) {
    if (!locked_ || !isExposureModeSupported(mode)) return;
    exposureMode_ = mode;
    if (mode == 1 || mode == 2) {
        // The automatic exposure of the simulated scene: 1/60 s at ISO 100.
        exposureDuration_ = CMTimeMake(1, 60);
        iso_ = std::clamp(100.0f, caps_.minISO, caps_.maxISO);
        beginAdjusting(false);
    }
}

void AVCaptureDevice::setExposurePointOfInterest(CGPoint point) {
    if (!locked_ || !caps_.exposurePointOfInterestSupported) return;
    exposurePoint_ = CGPointMake(std::clamp(point.x, 0.0, 1.0), std::clamp(point.y, 0.0, 1.0));
}

void AVCaptureDevice::setExposureModeCustomWithDurationAndISO(CMTime duration, float iso,
                                                              std::function<void(CMTime)> handler) {
    if (!locked_ || !isExposureModeSupported(3)) return;
    exposureMode_ = 3;
    if (CMTIME_IS_VALID(duration)) {
        const double s = std::clamp(CMTimeGetSeconds(duration), caps_.minExposureSeconds, caps_.maxExposureSeconds);
        exposureDuration_ = CMTimeMakeWithSeconds(s, 1000000000);
    }
    if (iso > 0) iso_ = std::clamp(iso, caps_.minISO, caps_.maxISO);
    if (handler) handler(CMTimeMakeWithSeconds(NSRunLoop::mainRunLoop().now(), 600));
}

double AVCaptureDevice::exposureGain() const {
    const double seconds = CMTimeGetSeconds(exposureDuration_);
    return std::isfinite(seconds) ? seconds * iso_ / (100.0 / 60.0) : 1.0;
}

void AVCaptureDevice::setVideoZoomFactor(double factor) {
    if (!locked_ || !std::isfinite(factor)) return;
    zoom_ = std::clamp(factor, 1.0, caps_.videoMaxZoomFactor);
}

int AVCaptureDevice::addObserver(const std::string& keyPath, Observer observer) {
    const int token = nextObserver_++;
    observers_[token] = {keyPath, std::move(observer)};
    return token;
}

void AVCaptureDevice::removeObserver(int token) { observers_.erase(token); }

void AVCaptureDevice::notify(const std::string& keyPath) {
    // A copy: an observer may remove itself or others.
    const auto observers = observers_;
    for (const auto& [token, entry] : observers)
        if (entry.first == keyPath && observers_.count(token)) entry.second(keyPath);
}

void AVCaptureDevice::beginAdjusting(bool focus) {
    bool& adjusting = focus ? adjustingFocus_ : adjustingExposure_;
    const std::string key = focus ? "adjustingFocus" : "adjustingExposure";
    const uint64_t generation = ++settleGeneration_[focus ? 0 : 1];
    if (!adjusting) {
        adjusting = true;
        notify(key);
    }
    if (!std::isfinite(settleSeconds_)) return;  // never settles
    // The device outlives its delayed performs: the destructor cancels them.
    NSRunLoop::mainRunLoop().performAfterDelay(this, key, settleSeconds_, [this, focus, key, generation] {
        if (settleGeneration_[focus ? 0 : 1] != generation) return;  // a newer change settles later
        bool& flag = focus ? adjustingFocus_ : adjustingExposure_;
        if (!flag) return;
        flag = false;
        notify(key);
    });
}

}  // namespace platform
