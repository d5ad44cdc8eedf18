#include "platform/avfoundation/V4L2Controls.h"

#include <fcntl.h>
#include <linux/videodev2.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>

namespace platform {

namespace V4L2Mapping {

int32_t clampToRange(double value, const V4L2ControlRange& range) {
    if (!std::isfinite(value)) value = range.defaultValue;
    const double step = std::max(1, range.step);
    const double onStep = range.minimum + std::round((value - range.minimum) / step) * step;
    return static_cast<int32_t>(
        std::clamp(onStep, static_cast<double>(range.minimum), static_cast<double>(range.maximum)));
}

int32_t exposureValue(double seconds, const V4L2ControlRange& range) { return clampToRange(seconds * 10000.0, range); }

double exposureSeconds(int32_t value) { return value / 10000.0; }

int32_t gainValue(float iso, const V4L2ControlRange& range) {
    const double t = std::log(std::clamp(iso, kMinISO, kMaxISO) / kMinISO) / std::log(kMaxISO / kMinISO);
    return clampToRange(range.minimum + t * (range.maximum - range.minimum), range);
}

float isoForGain(int32_t gain, const V4L2ControlRange& range) {
    if (range.maximum <= range.minimum) return kMinISO;
    const double t = std::clamp(static_cast<double>(gain - range.minimum) / (range.maximum - range.minimum), 0.0, 1.0);
    return static_cast<float>(kMinISO * std::pow(kMaxISO / kMinISO, t));
}

int32_t zoomValue(double factor, const V4L2ControlRange& range) {
    const double t = (std::clamp(factor, 1.0, kMaxZoomFactor) - 1) / (kMaxZoomFactor - 1);
    return clampToRange(range.minimum + t * (range.maximum - range.minimum), range);
}

int32_t focusAutoValue(int64_t focusMode) { return focusMode == 1 || focusMode == 2 ? 1 : 0; }

int32_t exposureAutoValue(int64_t exposureMode) {
    return exposureMode == 1 || exposureMode == 2 ? V4L2_EXPOSURE_APERTURE_PRIORITY : V4L2_EXPOSURE_MANUAL;
}

AVCaptureDeviceCapabilities capabilities(const V4L2ControlSet& controls) {
    AVCaptureDeviceCapabilities caps;
    caps.frameRateRanges = {{1, 30}};
    if (controls.focusAuto) caps.focusModes = {0, 2};
    if (controls.exposureAuto) caps.exposureModes = {0, 2};
    if (controls.exposureAuto && controls.exposureAbsolute) {
        caps.exposureModes.insert(3);
        caps.minExposureSeconds = std::max(exposureSeconds(controls.exposureAbsolute->minimum), 1e-4);
        caps.maxExposureSeconds =
            std::max(exposureSeconds(controls.exposureAbsolute->maximum), caps.minExposureSeconds);
    }
    caps.minISO = kMinISO;
    caps.maxISO = controls.gain ? kMaxISO : kMinISO;
    caps.videoMaxZoomFactor = controls.zoomAbsolute ? kMaxZoomFactor : 1;
    return caps;
}

}  // namespace V4L2Mapping

namespace {

std::optional<V4L2ControlRange> query(int fd, uint32_t id) {
    v4l2_queryctrl q{};
    q.id = id;
    if (::ioctl(fd, VIDIOC_QUERYCTRL, &q) != 0 || (q.flags & V4L2_CTRL_FLAG_DISABLED)) return std::nullopt;
    return V4L2ControlRange{q.minimum, q.maximum, std::max(1, q.step), q.default_value};
}

void set(int fd, uint32_t id, int32_t value) {
    v4l2_control c{};
    c.id = id;
    c.value = value;
    ::ioctl(fd, VIDIOC_S_CTRL, &c);  // a control the node refuses stays as it was
}

}  // namespace

V4L2ControlSet V4L2ProbeControls(const std::string& node) {
    V4L2ControlSet set;
    const int fd = ::open(node.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return set;
    set.focusAuto = query(fd, V4L2_CID_FOCUS_AUTO);
    set.exposureAuto = query(fd, V4L2_CID_EXPOSURE_AUTO);
    set.exposureAbsolute = query(fd, V4L2_CID_EXPOSURE_ABSOLUTE);
    set.gain = query(fd, V4L2_CID_GAIN);
    set.zoomAbsolute = query(fd, V4L2_CID_ZOOM_ABSOLUTE);
    ::close(fd);
    return set;
}

bool V4L2ApplyControls(const std::string& node, const V4L2ControlSet& controls, const AVCaptureDevice& device) {
    const int fd = ::open(node.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    using namespace V4L2Mapping;
    if (controls.focusAuto) set(fd, V4L2_CID_FOCUS_AUTO, focusAutoValue(device.focusMode()));
    if (controls.exposureAuto) set(fd, V4L2_CID_EXPOSURE_AUTO, exposureAutoValue(device.exposureMode()));
    if (controls.exposureAbsolute && device.exposureMode() == 3)
        set(fd, V4L2_CID_EXPOSURE_ABSOLUTE,
            exposureValue(CMTimeGetSeconds(device.exposureDuration()), *controls.exposureAbsolute));
    if (controls.gain && device.exposureMode() == 3) set(fd, V4L2_CID_GAIN, gainValue(device.ISO(), *controls.gain));
    if (controls.zoomAbsolute)
        set(fd, V4L2_CID_ZOOM_ABSOLUTE, zoomValue(device.videoZoomFactor(), *controls.zoomAbsolute));
    ::close(fd);
    return true;
}

}  // namespace platform
