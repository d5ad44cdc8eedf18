#pragma once
// An input of a capture session: one capture device.
#include <memory>
#include <string>

#include "platform/avfoundation/AVCaptureDevice.h"

namespace platform {

class AVCaptureDeviceInput {
public:
    // Null (with the error) for a missing device or when the user refused access to it.
    static std::shared_ptr<AVCaptureDeviceInput> deviceInputWithDevice(const AVCaptureDeviceRef& device,
                                                                       std::string* error = nullptr);
    explicit AVCaptureDeviceInput(AVCaptureDeviceRef device) : device_(std::move(device)) {}
    const AVCaptureDeviceRef& device() const { return device_; }

private:
    AVCaptureDeviceRef device_;
};

using AVCaptureDeviceInputRef = std::shared_ptr<AVCaptureDeviceInput>;

}  // namespace platform
