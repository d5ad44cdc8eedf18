#pragma once
// The live camera: one capture session with the front or the back camera's input, a video
// data output handing every frame (BGRA) to a target on the main thread, a still-image
// output for snaps, and an audio data output that can be switched on. It chooses the preset
// and the frame rate, swaps cameras, and drives flash, torch and low-light boost.
//
// Made by the camera view on first use; main thread only. Frames and audio buffers come
// synchronously on the main queue and are valid only during the target's call.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "platform/avfoundation/AVCaptureSession.h"
#include "platform/coremedia/CMTime.h"
#include "camera/capture/StillImageCapture.h"
#include "platform/uikit/UIImage.h"

class VideoController;

class VideoControllerDelegate {
public:
    virtual ~VideoControllerDelegate() = default;
    virtual void videoControllerWillSwapFrontAndBack(VideoController& controller, bool towardsFront) {}
    virtual void videoControllerDidSwapFrontAndBack(VideoController& controller, bool nowFront) {}
};

class VideoController : public platform::AVCaptureSampleBufferDelegate {
public:
    // The receiver of frames or audio buffers; the buffer is valid only during the call.
    using SampleBufferTarget = std::function<void(const platform::CMSampleBufferRef& sampleBuffer)>;
    using Preset = platform::AVCaptureSessionPreset;

    // ---- Session presets ---------------------------------------------------------------
    static bool photoPresetCaptureSessionAvailable();
    static const Preset& defaultFrontFacingSnapSessionPreset();
    static const Preset& defaultBackFacingSnapSessionPreset();
    static const Preset& defaultSnapSessionPreset(int64_t position);
    static const Preset& defaultBackFacingVideoSessionPreset();
    static const Preset& defaultFrontFacingVideoSessionPreset();
    static const Preset& defaultVideoSessionPreset(int64_t position);
    static bool useStillImageCaptureOutput();

    // The back camera when there is one, else the front.
    VideoController();
    explicit VideoController(int64_t position);
    ~VideoController() override;
    VideoController(const VideoController&) = delete;
    VideoController& operator=(const VideoController&) = delete;

    // Null when no camera input could be made.
    const platform::AVCaptureSessionRef& session() const { return session_; }
    void start();
    void stop();
    void setTarget(SampleBufferTarget target) { target_ = std::move(target); }
    void setAudioTarget(SampleBufferTarget target) { audioTarget_ = std::move(target); }
    VideoControllerDelegate* delegate() const { return delegate_; }
    void setDelegate(VideoControllerDelegate* delegate) { delegate_ = delegate; }  // not owned

    // `video`: the video presets rather than the snap ones. Nothing happens when the other
    // camera is missing.
    void swapFrontAndBackCameras(bool video);
    const Preset& sessionPreset() const { return sessionPreset_; }
    void setSessionPreset(const Preset& preset);
    void setSessionPresetAndEnableAudio(const Preset& preset, bool enableAudio);
    // The nearest rate the device's ranges allow, as both frame durations; an empty range
    // list, a failed lock, a rate below 1 or a missing device change nothing.
    void setFramerate(double rate, const platform::AVCaptureDeviceRef& device);

    platform::AVCaptureDeviceRef cameraWithPosition(int64_t position) const;
    platform::AVCaptureDeviceRef audioWithPosition(int64_t position) const;
    bool hasBackFacingCamera() const { return cameraWithPosition(platform::AVCaptureDevicePositionBack) != nullptr; }
    bool hasFrontFacingCamera() const { return cameraWithPosition(platform::AVCaptureDevicePositionFront) != nullptr; }
    bool hasFlash() const;
    bool hasTorch() const;

    // -1 when the active camera has none.
    int64_t flashMode() const;
    void setFlashMode(int64_t mode);
    void toggleFlashMode();
    int64_t torchMode() const;
    void setTorchMode(int64_t mode);
    void toggleTorchMode();
    void lockFocusAndSetTorchMode(int64_t mode);
    void restoreFocusAndSetTorchMode(int64_t mode);
    void setLowLightBoost(bool enabled);

    void enableAudioInput();
    void enableAudio(bool enable);

    const platform::AVCaptureConnectionRef& stillImageCaptureVideoConnection();
    void resetStillImageCaptureVideoConnection();
    const std::shared_ptr<platform::AVCaptureStillImageOutput>& stillImageCaptureOutput() const {
        return stillImageOutput_;
    }

    // ---- Still capture (VideoController+VideoImageCaptureController.cpp) -----------------
    // Receives every started capture exactly once: a capture with a null image, no metadata
    // and the error saying why when the still output is not in use or the capture failed.
    using StillImageCaptureBlock = std::function<void(StillImageCapturePtr capture)>;
    // The still output's connection with the orientation (device orientations 0, 5 and 6 take
    // the stored upright one) and the crop factor clamped to [1, its maximum]; null when the
    // still output is not in use.
    platform::AVCaptureConnectionRef configureStillImageCaptureConnection(int64_t orientation, double factor);
    void captureStillImage(StillImageCaptureBlock completion, int64_t orientation, double scaleAndCropFactor = 1.0);
    // The still as the camera encodes it (JPEG, its orientation in its metadata, the pixels
    // not turned); answered exactly once as above.
    void captureStillImageJPEG(StillImageCaptureBlock completion, int64_t orientation, double scaleAndCropFactor = 1.0);
    // The JPEG still written straight into the saved-photos album with its metadata filled;
    // `saved` (may be empty) hears once whether it landed.
    void captureAndSaveStillImage(int64_t orientation, double scaleAndCropFactor = 1.0,
                                  std::function<void(bool saved)> saved = nullptr);

    // Of the last frame.
    int32_t sessionPresetWidth() const { return videoDimensions().width; }
    int32_t sessionPresetHeight() const { return videoDimensions().height; }
    static UIImagePtr imageFromSampleBuffer(const platform::CMSampleBufferRef& sampleBuffer);
    // Logs a capture session's runtime error.
    static void onVideoError(const std::string& description, const std::string& failureReason);

    platform::CMTime previousTimestamp() const {
        std::lock_guard lock(frameMutex_);
        return previousTimestamp_;
    }
    double videoFrameRate() const { return videoFrameRate_.load(); }
    platform::CMVideoDimensions videoDimensions() const {
        std::lock_guard lock(frameMutex_);
        return videoDimensions_;
    }
    uint32_t videoType() const { return videoType_.load(); }
    int64_t videoDevicePosition() const { return videoDevicePosition_; }
    bool isFrontFacing() const { return videoDevicePosition_ == platform::AVCaptureDevicePositionFront; }
    const platform::AVCaptureDeviceInputRef& frontCameraDeviceInput() const { return frontInput_; }
    const platform::AVCaptureDeviceInputRef& backCameraDeviceInput() const { return backInput_; }
    const platform::AVCaptureDeviceInputRef& currentCameraInput() const { return currentInput_; }
    const platform::AVCaptureDeviceInputRef& audioInput() const { return audioInput_; }
    const std::shared_ptr<platform::AVCaptureAudioDataOutput>& audioCaptureOutput() const { return audioOutput_; }

    void captureOutputDidOutputSampleBuffer(platform::AVCaptureOutput& output,
                                            const platform::CMSampleBufferRef& sampleBuffer,
                                            platform::AVCaptureConnection& connection) override;

private:
    platform::AVCaptureDeviceRef activeCamera() const { return cameraWithPosition(videoDevicePosition_); }
    void setFocusAndTorch(int64_t focusMode, int64_t torch);

    platform::AVCaptureSessionRef session_;
    // Read from any thread, as the frame's properties are.
    mutable std::mutex frameMutex_;
    platform::CMTime previousTimestamp_ = platform::kCMTimeInvalid;
    std::atomic<double> videoFrameRate_{0};
    platform::CMVideoDimensions videoDimensions_;
    std::atomic<uint32_t> videoType_{0};
    int64_t videoDevicePosition_ = platform::AVCaptureDevicePositionBack;
    bool videoDevicePositionSwapPending_ = false;
    int64_t lastTorchMode_ = 0;
    platform::AVCaptureDeviceInputRef frontInput_, backInput_, currentInput_, audioInput_;
    Preset sessionPreset_;
    SampleBufferTarget target_, audioTarget_;
    VideoControllerDelegate* delegate_ = nullptr;
    std::shared_ptr<platform::AVCaptureVideoDataOutput> videoOutput_;
    std::shared_ptr<platform::AVCaptureAudioDataOutput> audioOutput_;
    std::shared_ptr<platform::AVCaptureStillImageOutput> stillImageOutput_;
    platform::AVCaptureConnectionRef stillImageConnection_;
};
