#pragma once
// The shutter's wait for the camera's focus: answers at once when the focus is still, else
// holds the touches and answers when it settles, or gives up after `kGiveUpSeconds` so a
// focus that never settles cannot jam the shutter (both YES). Cancelling (the camera stopped
// or swapped) answers NO. Every wait answers exactly once and frees the touches it held.
// Main thread only.
#include <functional>
#include <memory>

#include "platform/avfoundation/AVCaptureDevice.h"

class CameraShutterWait {
public:
    static constexpr double kGiveUpSeconds = 2.0;
    using Block = std::function<void(bool finished)>;

    CameraShutterWait() = default;
    ~CameraShutterWait();
    CameraShutterWait(const CameraShutterWait&) = delete;
    CameraShutterWait& operator=(const CameraShutterWait&) = delete;

    // A wait already running is cancelled first.
    void waitForFocus(const platform::AVCaptureDeviceRef& device, Block block);
    void cancel();
    bool isWaiting() const { return block_ != nullptr; }

private:
    void finish(bool finished);

    Block block_;
    platform::AVCaptureDeviceRef device_;
    int observer_ = 0;
};
