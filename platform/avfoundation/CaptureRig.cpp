#include "platform/avfoundation/CaptureRig.h"

#include <algorithm>

#include "platform/avfoundation/SimulatedCamera.h"
#include "platform/uikit/UIScreen.h"

namespace platform {

CaptureRig& CaptureRig::shared() {
    static CaptureRig rig;
    return rig;
}

int CaptureRig::sensorOrientation(int64_t position, int deviceOrientation) {
    // The back sensor's top edge is the phone's right edge in portrait; the front sensor faces
    // the other way, so its landscape turns are the back's exchanged.
    const bool front = position == AVCaptureDevicePositionFront;
    switch (deviceOrientation) {
        case 2: return 8;
        case 3: return front ? 3 : 1;
        case 4: return front ? 1 : 3;
        default: return 6;
    }
}

void CaptureRig::setDevices(std::vector<AVCaptureDeviceRef> devices) {
    devices_ = std::move(devices);
    configured_ = true;
    UIDeviceProfile profile = UIDeviceProfile::current();
    const bool camera = std::any_of(devices_.begin(), devices_.end(),
                                    [](const AVCaptureDeviceRef& d) { return d->hasMediaType(AVMediaTypeVideo); });
    if (profile.cameraAvailable != camera) {
        profile.cameraAvailable = camera;
        UIDeviceProfile::setCurrent(profile);
    }
}

namespace {

AVCaptureDeviceRef makeCamera(int64_t position, CMVideoDimensions sensor) {
    AVCaptureDeviceCapabilities caps;
    caps.frameRateRanges = {{2, 30}};
    if (position == AVCaptureDevicePositionBack) {
        caps.hasFlash = caps.hasTorch = true;
        caps.focusModes = {0, 1, 2};
        caps.exposureModes = {0, 1, 2, 3};
        caps.focusPointOfInterestSupported = caps.exposurePointOfInterestSupported = true;
        caps.lowLightBoostSupported = true;
        caps.videoMaxZoomFactor = 5;
    } else {
        caps.exposureModes = {0, 1, 2, 3};
        caps.exposurePointOfInterestSupported = true;
    }
    auto source = std::make_shared<SimulatedCamera>(position, sensor);
    const bool back = position == AVCaptureDevicePositionBack;
    auto device = std::make_shared<AVCaptureDevice>(back ? "simulated:back" : "simulated:front",
                                                    back ? "Back Camera" : "Front Camera", AVMediaTypeVideo,
                                                    position, caps, source);
    source->attach(device);
    return device;
}

AVCaptureDeviceRef makeMicrophone() {
    return std::make_shared<AVCaptureDevice>("simulated:microphone", "Microphone", AVMediaTypeAudio,
                                             AVCaptureDevicePositionUnspecified, AVCaptureDeviceCapabilities{},
                                             std::make_shared<SimulatedMicrophone>());
}

}  // namespace

void CaptureRig::configureSimulated(const SimulatedRigOptions& options) {
    std::vector<AVCaptureDeviceRef> devices;
    if (options.back) devices.push_back(makeCamera(AVCaptureDevicePositionBack, options.backSensor));
    if (options.front) devices.push_back(makeCamera(AVCaptureDevicePositionFront, options.frontSensor));
    devices.push_back(makeMicrophone());
    setDevices(std::move(devices));
}

bool CaptureRig::configure(const std::string& sources, std::string* error) {
    if (sources == "simulated") {
        configureSimulated({});
        return true;
    }
    if (sources == "none") {
        setDevices({makeMicrophone()});
        return true;
    }
    if (error) *error = "unknown camera source \"" + sources + "\" (use simulated or none)";
    return false;
}

const std::vector<AVCaptureDeviceRef>& CaptureRig::devices() {
    if (!configured_) configureSimulated({});
    return devices_;
}

void CaptureRig::removeDevice(int64_t position) {
    std::vector<AVCaptureDeviceRef> devices = this->devices();
    std::erase_if(devices, [&](const AVCaptureDeviceRef& d) {
        return d->hasMediaType(AVMediaTypeVideo) && d->position() == position;
    });
    setDevices(std::move(devices));
}

}  // namespace platform
