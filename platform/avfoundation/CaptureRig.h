#pragma once
// The process's capture devices, made from a sources string (the program's `--camera`):
//
//   simulated   a back camera (flash, torch, focus and exposure points, zoom to 5) and a
//               front camera (exposure point only), and a microphone
//   none        no camera (a microphone remains)
//   v4l2[:/dev/videoN][@front|@back]
//               a V4L2 node (the first capture node without a path), mounted at the front
//               unless told
//   lavfi:GRAPH a libavfilter source graph, such as testsrc2=size=320x240:rate=30, mounted
//               at the back
//
// The microphone is always simulated. Until configured the rig is the simulated one; the
// program's default (`defaultSources`) is the first V4L2 capture node that opens, else the
// simulated rig. A node that refuses us (EACCES, EPERM) makes camera access read as denied. Cameras are mounted as a phone's are: a
// source gives its scene upright, and the frames are the landscape sensor's, turned by the
// device orientation (see `sensorOrientation`). Configuring also tells the device profile
// whether a camera is available. Main thread only.
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "platform/avfoundation/AVCaptureDevice.h"
#include "platform/coremedia/CMSampleBuffer.h"
#include "platform/imageio/ImageIO.h"

namespace platform {

struct SimulatedRigOptions {
    bool back = true;
    bool front = true;
    CMVideoDimensions backSensor{3264, 2448};
    CMVideoDimensions frontSensor{1280, 960};
    // The scene both cameras see, upright (null: the test pattern).
    std::shared_ptr<const ImageBitmap> photo;
};

class CaptureRig {
public:
    static CaptureRig& shared();
    static std::string defaultSources();
    // The first /dev/video node that is a capture device (empty when none).
    static std::string firstCaptureNode();

    // False (with a message) for a string it does not know; the devices are then unchanged.
    bool configure(const std::string& sources, std::string* error = nullptr);
    void configureSimulated(const SimulatedRigOptions& options);
    const std::vector<AVCaptureDeviceRef>& devices();
    // Takes a camera away (as unplugging it would).
    void removeDevice(int64_t position);
    // A camera refused us at the system's level.
    bool cameraAccessDenied() const { return accessDenied_; }

    // The Exif orientation that shows a frame of the camera at `position` upright when the
    // device is held in `deviceOrientation` (1 portrait, 2 upside down, 3 landscape left,
    // 4 landscape right; others count as portrait). The sensor frame is the upright scene
    // turned the other way.
    static int sensorOrientation(int64_t position, int deviceOrientation);
    // The point (u, v) of the upright scene that pixel (x, y) of a W × H frame stored in that
    // Exif orientation shows.
    static void uprightPoint(int orientation, int32_t x, int32_t y, int32_t W, int32_t H, int32_t* u, int32_t* v) {
        switch (orientation) {
        case 2: *u = W - 1 - x, *v = y; break;
        case 3: *u = W - 1 - x, *v = H - 1 - y; break;
        case 4: *u = x, *v = H - 1 - y; break;
        case 5: *u = y, *v = x; break;
        case 6: *u = H - 1 - y, *v = x; break;
        case 7: *u = H - 1 - y, *v = W - 1 - x; break;
        case 8: *u = y, *v = W - 1 - x; break;
        default: *u = x, *v = y; break;
        }
    }

private:
    void setDevices(std::vector<AVCaptureDeviceRef> devices);
    bool configured_ = false;
    std::atomic<bool> accessDenied_{false};
    std::vector<AVCaptureDeviceRef> devices_;
};

}  // namespace platform
