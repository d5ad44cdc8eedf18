#pragma once
// Capture devices: the cameras and the microphone of the capture rig (CaptureRig), with what
// the camera controls use of them: the active format's frame-rate ranges and limits, frame
// durations, flash, torch, focus and exposure modes and points with their settling, custom
// exposure, low-light boost and zoom. Every setter needs the configuration lock, as on the
// platform; without it a setter changes nothing. Key-value notifications ("adjustingFocus",
// "adjustingExposure", "flashMode", "torchMode") come synchronously on the main thread.
//
// Values keep the platform's meanings: position 1 back, 2 front; flash and torch 0 off, 1 on,
// 2 auto; focus and exposure 0 locked, 1 once, 2 continuous (exposure 3 custom).
#include <cstdint>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/coregraphics/CGGeometry.h"
#include "platform/coremedia/CMTime.h"

namespace platform {

using AVMediaType = std::string;
inline const AVMediaType AVMediaTypeVideo = "vide";
inline const AVMediaType AVMediaTypeAudio = "soun";

enum AVCaptureDevicePosition : int64_t {
    AVCaptureDevicePositionUnspecified = 0,
    AVCaptureDevicePositionBack = 1,
    AVCaptureDevicePositionFront = 2,
};

struct AVFrameRateRange {
    double minFrameRate = 0;
    double maxFrameRate = 0;
};

// What a device can do, as the rig describes it.
struct AVCaptureDeviceCapabilities {
    std::vector<AVFrameRateRange> frameRateRanges{{2, 30}};
    bool hasFlash = false;
    bool hasTorch = false;
    std::set<int64_t> focusModes;     // empty: fixed focus
    std::set<int64_t> exposureModes;  // empty: no exposure control
    bool focusPointOfInterestSupported = false;
    bool exposurePointOfInterestSupported = false;
    bool lowLightBoostSupported = false;
    double minExposureSeconds = 1.0 / 8000, maxExposureSeconds = 0.5;
    float minISO = 32, maxISO = 1600;
    double videoMaxZoomFactor = 1;
};

class CaptureSource;

class AVCaptureDevice : public std::enable_shared_from_this<AVCaptureDevice> {
public:
    using Observer = std::function<void(const std::string& keyPath)>;

    AVCaptureDevice(std::string uniqueID, std::string name, AVMediaType mediaType, int64_t position,
                    AVCaptureDeviceCapabilities capabilities, std::shared_ptr<CaptureSource> source);
    ~AVCaptureDevice();

    // The rig's devices of the media type, in rig order.
    static std::vector<std::shared_ptr<AVCaptureDevice>> devicesWithMediaType(const AVMediaType& mediaType);
    static std::shared_ptr<AVCaptureDevice> defaultDeviceWithMediaType(const AVMediaType& mediaType);
    // Access to cameras (video) and the microphone (audio): 0 not determined, 1 restricted,
    // 2 denied, 3 authorised. Requests answer on a background queue.
    static int64_t authorizationStatusForMediaType(const AVMediaType& mediaType);
    static void requestAccessForMediaType(const AVMediaType& mediaType, std::function<void(bool granted)> handler);

    const std::string& uniqueID() const { return uniqueID_; }
    const std::string& localizedName() const { return name_; }
    bool hasMediaType(const AVMediaType& type) const { return type == mediaType_; }
    int64_t position() const { return position_; }
    const std::shared_ptr<CaptureSource>& source() const { return source_; }
    const AVCaptureDeviceCapabilities& capabilities() const { return caps_; }

    // ---- Configuration lock ------------------------------------------------------------
    bool lockForConfiguration();
    void unlockForConfiguration();
    bool isLockedForConfiguration() const { return locked_; }

    // ---- Frame rate --------------------------------------------------------------------
    const std::vector<AVFrameRateRange>& videoSupportedFrameRateRanges() const { return caps_.frameRateRanges; }
    CMTime activeVideoMinFrameDuration() const { return minFrameDuration_; }
    CMTime activeVideoMaxFrameDuration() const { return maxFrameDuration_; }
    void setActiveVideoMinFrameDuration(CMTime duration);
    void setActiveVideoMaxFrameDuration(CMTime duration);

    // ---- Flash, torch, low light -------------------------------------------------------
    bool hasFlash() const { return caps_.hasFlash; }
    bool isFlashModeSupported(int64_t mode) const { return caps_.hasFlash && mode >= 0 && mode <= 2; }
    int64_t flashMode() const { return flashMode_; }
    void setFlashMode(int64_t mode);
    bool hasTorch() const { return caps_.hasTorch; }
    bool isTorchModeSupported(int64_t mode) const { return caps_.hasTorch && mode >= 0 && mode <= 2; }
    int64_t torchMode() const { return torchMode_; }
    void setTorchMode(int64_t mode);
    bool isTorchActive() const { return caps_.hasTorch && torchMode_ == 1; }
    bool isLowLightBoostSupported() const { return caps_.lowLightBoostSupported; }
    bool automaticallyEnablesLowLightBoostWhenAvailable() const { return lowLightBoost_; }
    void setAutomaticallyEnablesLowLightBoostWhenAvailable(bool enabled);

    // ---- Focus and exposure ------------------------------------------------------------
    bool isFocusModeSupported(int64_t mode) const { return caps_.focusModes.count(mode) > 0; }
    int64_t focusMode() const { return focusMode_; }
    void setFocusMode(int64_t mode);
    bool isFocusPointOfInterestSupported() const { return caps_.focusPointOfInterestSupported; }
    CGPoint focusPointOfInterest() const { return focusPoint_; }
    void setFocusPointOfInterest(CGPoint point);
    bool isAdjustingFocus() const { return adjustingFocus_; }
    bool isExposureModeSupported(int64_t mode) const { return caps_.exposureModes.count(mode) > 0; }
    int64_t exposureMode() const { return exposureMode_; }
    void setExposureMode(int64_t mode);
    bool isExposurePointOfInterestSupported() const { return caps_.exposurePointOfInterestSupported; }
    CGPoint exposurePointOfInterest() const { return exposurePoint_; }
    void setExposurePointOfInterest(CGPoint point);
    bool isAdjustingExposure() const { return adjustingExposure_; }
    CMTime exposureDuration() const { return exposureDuration_; }
    float ISO() const { return iso_; }
    CMTime minExposureDuration() const { return CMTimeMakeWithSeconds(caps_.minExposureSeconds, 1000000); }
    CMTime maxExposureDuration() const { return CMTimeMakeWithSeconds(caps_.maxExposureSeconds, 1000000); }
    float minISO() const { return caps_.minISO; }
    float maxISO() const { return caps_.maxISO; }
    // Custom exposure (mode 3): duration and ISO clamped to the format; the handler gets the
    // time of the first frame that has them (here: at once, on the main thread).
    void setExposureModeCustomWithDurationAndISO(CMTime duration, float iso, std::function<void(CMTime)> handler);
    // The light the settings let in, relative to 1/60 s at ISO 100.
    double exposureGain() const;

    // ---- Zoom --------------------------------------------------------------------------
    double videoZoomFactor() const { return zoom_; }
    void setVideoZoomFactor(double factor);
    double videoMaxZoomFactor() const { return caps_.videoMaxZoomFactor; }

    // ---- Key-value observation ---------------------------------------------------------
    int addObserver(const std::string& keyPath, Observer observer);
    void removeObserver(int token);

    // ---- For tests ---------------------------------------------------------------------
    void setFrameRateRangesForTesting(std::vector<AVFrameRateRange> ranges) {
        caps_.frameRateRanges = std::move(ranges);
    }
    void setLockFailsForTesting(bool fails) { lockFails_ = fails; }
    // Seconds a focus or exposure change takes to settle; infinity never settles.
    void setSettleTimeForTesting(double seconds) { settleSeconds_ = seconds; }

private:
    void notify(const std::string& keyPath);
    void beginAdjusting(bool focus);

    std::string uniqueID_, name_;
    AVMediaType mediaType_;
    int64_t position_;
    AVCaptureDeviceCapabilities caps_;
    std::shared_ptr<CaptureSource> source_;

    bool locked_ = false;
    bool lockFails_ = false;
    CMTime minFrameDuration_ = CMTimeMake(1, 30);
    CMTime maxFrameDuration_ = CMTimeMake(1, 30);
    int64_t flashMode_ = 0, torchMode_ = 0;
    bool lowLightBoost_ = false;
    int64_t focusMode_ = 2, exposureMode_ = 2;
    CGPoint focusPoint_{0.5, 0.5}, exposurePoint_{0.5, 0.5};
    bool adjustingFocus_ = false, adjustingExposure_ = false;
    CMTime exposureDuration_ = CMTimeMake(1, 60);
    float iso_ = 100;
    double zoom_ = 1;
    double settleSeconds_ = 0.2;
    uint64_t settleGeneration_[2] = {0, 0};
    std::map<int, std::pair<std::string, Observer>> observers_;
    int nextObserver_ = 1;
};

using AVCaptureDeviceRef = std::shared_ptr<AVCaptureDevice>;

}  // namespace platform
