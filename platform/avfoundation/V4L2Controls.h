#pragma once
// A V4L2 node's camera controls and how the capture device's settings map onto them: focus
// (automatic on or off), exposure (automatic, or a manual time in 100 µs units), gain (as
// ISO), zoom. What a node lacks is left out of the capabilities, so callers that check
// support first skip it. The mappings are pure; `probe` and `apply` talk to the node.
#include <cstdint>
#include <optional>
#include <string>

#include "platform/avfoundation/AVCaptureDevice.h"

namespace platform {

struct V4L2ControlRange {
    int32_t minimum = 0, maximum = 0, step = 1, defaultValue = 0;
};

struct V4L2ControlSet {
    std::optional<V4L2ControlRange> focusAuto, exposureAuto, exposureAbsolute, gain, zoomAbsolute;
};

namespace V4L2Mapping {

constexpr float kMinISO = 32, kMaxISO = 1600;
constexpr double kMaxZoomFactor = 5;

// A value clamped to the range and put on its step.
int32_t clampToRange(double value, const V4L2ControlRange& range);
// Seconds to the exposure control's 100 µs units, and back.
int32_t exposureValue(double seconds, const V4L2ControlRange& range);
double exposureSeconds(int32_t value);
// ISO over the gain control's range (logarithmically, as ISO steps are stops).
int32_t gainValue(float iso, const V4L2ControlRange& range);
float isoForGain(int32_t gain, const V4L2ControlRange& range);
// Zoom factor 1 … kMaxZoomFactor over the zoom control's range.
int32_t zoomValue(double factor, const V4L2ControlRange& range);
// Focus modes 1 and 2 run the automatic focus; 0 holds it.
int32_t focusAutoValue(int64_t focusMode);
// Exposure modes 1 and 2 are the automatic exposure (aperture priority, 3); 0 and 3 manual (1).
int32_t exposureAutoValue(int64_t exposureMode);
// What a device with these controls can do (never flash, torch or points of interest).
AVCaptureDeviceCapabilities capabilities(const V4L2ControlSet& controls);

}  // namespace V4L2Mapping

// The node's controls (none that cannot be queried).
V4L2ControlSet V4L2ProbeControls(const std::string& node);
// Sets the device's focus, exposure, ISO and zoom on the node, each only where it has the
// control. False when the node could not be opened.
bool V4L2ApplyControls(const std::string& node, const V4L2ControlSet& controls, const AVCaptureDevice& device);

}  // namespace platform
