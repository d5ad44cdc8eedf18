#include "platform/avfoundation/CaptureRig.h"

#include <algorithm>

#include <fcntl.h>
#include <linux/videodev2.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "platform/avfoundation/LibavCamera.h"
#include "platform/avfoundation/SimulatedCamera.h"
#include "platform/avfoundation/SimulatedMicrophone.h"
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
    if (devices.empty() || devices.front()->uniqueID().rfind("simulated", 0) == 0 ||
        !devices.front()->hasMediaType(AVMediaTypeVideo))
        accessDenied_ = false;
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

AVCaptureDeviceRef makeCamera(int64_t position, CMVideoDimensions sensor, std::shared_ptr<const ImageBitmap> photo) {
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
    auto source = std::make_shared<SimulatedCamera>(position, sensor, std::move(photo));
    const bool back = position == AVCaptureDevicePositionBack;
    auto device = std::make_shared<AVCaptureDevice>(back ? "simulated:back" : "simulated:front",
                                                    back ? "Back Camera" : "Front Camera", AVMediaTypeVideo, position,
                                                    caps, source);
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
    if (options.back) devices.push_back(makeCamera(AVCaptureDevicePositionBack, options.backSensor, options.photo));
    if (options.front) devices.push_back(makeCamera(AVCaptureDevicePositionFront, options.frontSensor, options.photo));
    devices.push_back(makeMicrophone());
    setDevices(std::move(devices));
}

std::string CaptureRig::firstCaptureNode() {
    for (int n = 0; n < 64; ++n) {
        const std::string node = "/dev/video" + std::to_string(n);
        const int fd = ::open(node.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        v4l2_capability cap{};
        const bool capture =
            ::ioctl(fd, VIDIOC_QUERYCAP, &cap) == 0 &&
            ((cap.capabilities & V4L2_CAP_DEVICE_CAPS ? cap.device_caps : cap.capabilities) & V4L2_CAP_VIDEO_CAPTURE);
        ::close(fd);
        if (capture) return node;
    }
    return {};
}

std::string CaptureRig::defaultSources() {
    const std::string node = firstCaptureNode();
    if (!node.empty() && LibavCamera::probe("video4linux2", node).ok) return "v4l2:" + node;
    return "simulated";
}

bool CaptureRig::configure(const std::string& sources, std::string* error) {
    auto fail = [&](const std::string& message) {
        if (error) *error = message;
        return false;
    };
    if (sources == "simulated") {
        configureSimulated({});
        return true;
    }
    if (sources == "none") {
        setDevices({makeMicrophone()});
        return true;
    }
    std::string format, url;
    int64_t position = AVCaptureDevicePositionBack;
    if (sources.rfind("lavfi:", 0) == 0) {
        format = "lavfi";
        url = sources.substr(6);
        if (url.empty()) return fail("the lavfi camera source needs a filter graph (lavfi:GRAPH)");
    } else if (sources == "v4l2" || sources.rfind("v4l2:", 0) == 0 || sources.rfind("v4l2@", 0) == 0) {
        format = "video4linux2";
        std::string rest = sources.substr(4);
        position = AVCaptureDevicePositionFront;  // a webcam faces the user
        if (const size_t at = rest.rfind('@'); at != std::string::npos) {
            const std::string mount = rest.substr(at + 1);
            if (mount == "front") position = AVCaptureDevicePositionFront;
            else if (mount == "back") position = AVCaptureDevicePositionBack;
            else return fail("unknown camera mount \"" + mount + "\" (use @front or @back)");
            rest = rest.substr(0, at);
        }
        url = rest.empty() ? firstCaptureNode() : (rest[0] == ':' ? rest.substr(1) : rest);
        if (url.empty()) return fail("no V4L2 capture device was found");
    } else {
        return fail("unknown camera source \"" + sources +
                    "\" (use simulated, none, v4l2[:NODE][@front|@back] or lavfi:GRAPH)");
    }
    LibavCamera::Probe probe = LibavCamera::probe(format, url);
    if (!probe.ok && !probe.accessDenied) return fail("camera " + url + " could not be opened: " + probe.error);
    accessDenied_ = probe.accessDenied;
    if (!probe.ok) probe.size = {640, 480};  // listed, so that the refusal shows as denied access
    const V4L2ControlSet controls = format == "video4linux2" ? V4L2ProbeControls(url) : V4L2ControlSet{};
    auto source = std::make_shared<LibavCamera>(format, url, position, probe, controls);
    auto device =
        std::make_shared<AVCaptureDevice>(format + ":" + url, format == "lavfi" ? "Test Source" : url, AVMediaTypeVideo,
                                          position, V4L2Mapping::capabilities(controls), source);
    source->attach(device);
    setDevices({device, makeMicrophone()});
    return true;
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
