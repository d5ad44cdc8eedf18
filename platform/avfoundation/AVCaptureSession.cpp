#include "platform/avfoundation/AVCaptureSession.h"

#include <algorithm>
#include <cmath>

#include "platform/avfoundation/CaptureSource.h"

namespace platform {

namespace {

CMVideoDimensions presetSize(const AVCaptureSessionPreset& preset) {
    if (preset == AVCaptureSessionPresetPhoto) return {1280, 960};
    if (preset == AVCaptureSessionPreset640x480) return {640, 480};
    if (preset == AVCaptureSessionPreset1920x1080 || preset == AVCaptureSessionPresetHigh) return {1920, 1080};
    return {};
}

}  // namespace

AVCaptureSession::~AVCaptureSession() {
    if (activeCamera_) activeCamera_->source()->stop();
    if (activeMicrophone_) activeMicrophone_->source()->stop();
    for (const AVCaptureOutputRef& output : outputs_) output->setSession(nullptr);
}

CMVideoDimensions AVCaptureSession::videoDimensionsForPreset(const AVCaptureSessionPreset& preset,
                                                             CMVideoDimensions sensor) {
    CMVideoDimensions size = presetSize(preset);
    if (size.width == 0 || sensor.width <= 0 || sensor.height <= 0) return size;
    const double scale = std::min(
        {1.0, static_cast<double>(sensor.width) / size.width, static_cast<double>(sensor.height) / size.height});
    // Even sizes, as video sizes are.
    size.width = std::max(2, static_cast<int32_t>(std::floor(size.width * scale / 2)) * 2);
    size.height = std::max(2, static_cast<int32_t>(std::floor(size.height * scale / 2)) * 2);
    return size;
}

bool AVCaptureSession::canSetSessionPreset(const AVCaptureSessionPreset& preset) const {
    return presetSize(preset).width > 0;
}

void AVCaptureSession::setSessionPreset(const AVCaptureSessionPreset& preset) {
    if (!canSetSessionPreset(preset) || preset == preset_) return;
    preset_ = preset;
    changed();
}

void AVCaptureSession::commitConfiguration() {
    if (configurationDepth_ == 0) return;
    if (--configurationDepth_ == 0 && pending_) apply();
}

AVCaptureDeviceInputRef AVCaptureSession::inputWithMediaType(const AVMediaType& type) const {
    for (const AVCaptureDeviceInputRef& input : inputs_)
        if (input->device()->hasMediaType(type)) return input;
    return nullptr;
}

bool AVCaptureSession::canAddInput(const AVCaptureDeviceInputRef& input) const {
    if (!input || std::find(inputs_.begin(), inputs_.end(), input) != inputs_.end()) return false;
    // One camera and one microphone at a time.
    return !inputWithMediaType(input->device()->hasMediaType(AVMediaTypeAudio) ? AVMediaTypeAudio : AVMediaTypeVideo);
}

void AVCaptureSession::addInput(const AVCaptureDeviceInputRef& input) {
    if (!canAddInput(input)) return;
    inputs_.push_back(input);
    changed();
}

void AVCaptureSession::removeInput(const AVCaptureDeviceInputRef& input) {
    if (std::erase(inputs_, input) > 0) changed();
}

bool AVCaptureSession::canAddOutput(const AVCaptureOutputRef& output) const {
    return output && !output->session() && std::find(outputs_.begin(), outputs_.end(), output) == outputs_.end();
}

void AVCaptureSession::addOutput(const AVCaptureOutputRef& output) {
    if (!canAddOutput(output)) return;
    output->setSession(this);
    outputs_.push_back(output);
    changed();
}

void AVCaptureSession::removeOutput(const AVCaptureOutputRef& output) {
    if (!output || std::erase(outputs_, output) == 0) return;
    output->setSession(nullptr);
    changed();
}

void AVCaptureSession::startRunning() {
    if (running_) return;
    running_ = true;
    apply();
}

void AVCaptureSession::stopRunning() {
    if (!running_) return;
    running_ = false;
    apply();
}

void AVCaptureSession::changed() {
    if (configurationDepth_ > 0) pending_ = true;
    else apply();
}

void AVCaptureSession::apply() {
    pending_ = false;
    // The camera runs while the session runs with a camera input; the microphone while it
    // also has an audio data output.
    const AVCaptureDeviceInputRef cameraInput = inputWithMediaType(AVMediaTypeVideo);
    const AVCaptureDeviceRef camera = running_ && cameraInput ? cameraInput->device() : nullptr;
    if (activeCamera_ && activeCamera_ != camera) activeCamera_->source()->stop();
    if (camera && camera->source()) {
        const CMVideoDimensions size = videoDimensionsForPreset(preset_, camera->source()->sensorSize());
        const CMTime duration = camera->activeVideoMinFrameDuration();
        if (camera != activeCamera_ || !(size == activeSize_) || preset_ != activePreset_ ||
            !camera->source()->isRunning()) {
            camera->source()->start({preset_, size, duration},
                                    [this](const CMSampleBufferRef& b) { deliver(AVMediaTypeVideo, b); });
            activeSize_ = size;
            activePreset_ = preset_;
        }
        activeCamera_ = camera;
    } else {
        activeCamera_ = nullptr;
        activeSize_ = {};
        activePreset_.clear();
    }

    const AVCaptureDeviceInputRef micInput = inputWithMediaType(AVMediaTypeAudio);
    const bool audioOut = std::any_of(outputs_.begin(), outputs_.end(),
                                      [](const AVCaptureOutputRef& o) { return o->mediaType() == AVMediaTypeAudio; });
    const AVCaptureDeviceRef microphone = running_ && micInput && audioOut ? micInput->device() : nullptr;
    if (activeMicrophone_ && activeMicrophone_ != microphone) activeMicrophone_->source()->stop();
    if (microphone && microphone->source() && microphone != activeMicrophone_)
        microphone->source()->start({}, [this](const CMSampleBufferRef& b) { deliver(AVMediaTypeAudio, b); });
    activeMicrophone_ = microphone;
}

void AVCaptureSession::deliver(const AVMediaType& type, const CMSampleBufferRef& buffer) {
    // A copy: a receiver may change the outputs.
    const std::vector<AVCaptureOutputRef> outputs = outputs_;
    for (const AVCaptureOutputRef& output : outputs)
        if (output->mediaType() == type && output->session() == this) output->deliver(buffer);
}

}  // namespace platform
