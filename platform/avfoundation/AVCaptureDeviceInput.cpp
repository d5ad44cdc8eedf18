#include "platform/avfoundation/AVCaptureDeviceInput.h"

namespace platform {

std::shared_ptr<AVCaptureDeviceInput> AVCaptureDeviceInput::deviceInputWithDevice(const AVCaptureDeviceRef& device,
                                                                                  std::string* error) {
    if (!device) {
        if (error) *error = "no device";
        return nullptr;
    }
    const int64_t status = AVCaptureDevice::authorizationStatusForMediaType(
        device->hasMediaType(AVMediaTypeAudio) ? AVMediaTypeAudio : AVMediaTypeVideo);
    if (status == 1 || status == 2) {
        if (error) *error = "access to " + device->localizedName() + " is not allowed";
        return nullptr;
    }
    return std::make_shared<AVCaptureDeviceInput>(device);
}

}  // namespace platform
