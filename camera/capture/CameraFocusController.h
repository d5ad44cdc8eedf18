#pragma once
// Tap to focus and expose: the tapped view point becomes the device's point of interest (the
// landscape sensor's coordinates, mirrored for the front camera, undone from the zoom), and
// the device focuses and exposes there once, then holds. Switched on while the camera runs.
// Main thread only.
#include <memory>

#include "platform/avfoundation/AVCaptureDevice.h"
#include "platform/coregraphics/CGGeometry.h"
#include "platform/uikit/UITapGestureRecognizer.h"

class GraphicsView;

class CameraFocusController {
public:
    explicit CameraFocusController(GraphicsView& view) : view_(view) {}
    ~CameraFocusController();
    CameraFocusController(const CameraFocusController&) = delete;
    CameraFocusController& operator=(const CameraFocusController&) = delete;

    void enableFocus();
    void disableFocus();
    const std::shared_ptr<UITapGestureRecognizer>& focusTapRecognizer() const { return tap_; }

    // Within [0, 1] on both axes; the centre (0.5, 0.5) until a frame has given the sizes.
    CGPoint viewPointToDevicePointOfInterest(CGPoint point) const;
    // Mode 1 (once, then hold) when locking, else 2 (continuous), where the device allows.
    static void focusAndExposureAtPoint(const platform::AVCaptureDeviceRef& device, CGPoint devicePoint, bool lock);

private:
    GraphicsView& view_;
    std::shared_ptr<UITapGestureRecognizer> tap_;
};
