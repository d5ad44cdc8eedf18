#pragma once
// The process's capture devices, made from a sources string (the program's `--camera`):
//
//   simulated   a back camera (flash, torch, focus and exposure points, zoom to 5) and a
//               front camera (exposure point only), and a microphone
//   none        no camera (a microphone remains)
//
// Until configured the rig is the simulated one. Cameras are mounted as a phone's are: a
// source gives its scene upright, and the frames are the landscape sensor's, turned by the
// device orientation (see `sensorOrientation`). Configuring also tells the device profile
// whether a camera is available. Main thread only.
#include <memory>
#include <string>
#include <vector>

#include "platform/avfoundation/AVCaptureDevice.h"
#include "platform/coremedia/CMSampleBuffer.h"

namespace platform {

struct SimulatedRigOptions {
    bool back = true;
    bool front = true;
    CMVideoDimensions backSensor{3264, 2448};
    CMVideoDimensions frontSensor{1280, 960};
};

class CaptureRig {
public:
    static CaptureRig& shared();

    // False (with a message) for a string it does not know; the devices are then unchanged.
    bool configure(const std::string& sources, std::string* error = nullptr);
    void configureSimulated(const SimulatedRigOptions& options);
    const std::vector<AVCaptureDeviceRef>& devices();
    // Takes a camera away (as unplugging it would).
    void removeDevice(int64_t position);

    // The Exif orientation that shows a frame of the camera at `position` upright when the
    // device is held in `deviceOrientation` (1 portrait, 2 upside down, 3 landscape left,
    // 4 landscape right; others count as portrait). The sensor frame is the upright scene
    // turned the other way.
    static int sensorOrientation(int64_t position, int deviceOrientation);

private:
    void setDevices(std::vector<AVCaptureDeviceRef> devices);
    bool configured_ = false;
    std::vector<AVCaptureDeviceRef> devices_;
};

}  // namespace platform
