#pragma once
// The live camera's focus and exposure under the user's fingers, switched on while the camera
// runs:
// - a tap focuses and exposes once at the tapped point (the landscape sensor's coordinates,
//   mirrored for the front camera, undone from the zoom) and shows the point-focus square
//   there; the square dims half a second after the device has settled (or the wait gave up);
// - a vertical drag (turned with the device) while the square shows sets a custom exposure:
//   the duration up to 1/15 s, beyond that the ISO up to the format's maximum;
// - 6 s after the last tap or exposure change the device goes back to continuous focus and
//   exposure, keeping its point; a swap or reset returns it to the centre;
// - while the device refocuses by itself, the automatic square shows at the centre.
// The wait after a tap (for focus and exposure to settle) gives up after 2 s; a shutter
// pressed during it is kept and released when it ends.
// Main thread only.
#include <functional>
#include <memory>

#include "platform/avfoundation/AVCaptureDevice.h"
#include "platform/coregraphics/CGGeometry.h"
#include "platform/uikit/UIPanGestureRecognizer.h"
#include "platform/uikit/UITapGestureRecognizer.h"

class FocusViewController;
class GraphicsView;
class VideoController;

class CameraFocusController {
public:
    using BoolBlock = std::function<void(bool finished)>;

    static constexpr double kUnlockAfterSeconds = 6.0;
    static constexpr double kPointWaitGiveUpSeconds = 2.0;
    static constexpr double kDimPointAfterSeconds = 0.5;
    // The share of the exposure range one whole view's drag moves (at the normal frame rate).
    static constexpr double kPanStepPerExtent = 0.025;
    // Longer exposures blur a hand-held picture: past this the ISO rises instead.
    static constexpr double kLongestExposureSeconds = 1.0 / 15.0;

    // The view's touches and overlay, the controller's camera device.
    CameraFocusController(GraphicsView& view, VideoController& controller) : view_(view), controller_(controller) {}
    ~CameraFocusController();
    CameraFocusController(const CameraFocusController&) = delete;
    CameraFocusController& operator=(const CameraFocusController&) = delete;

    void enableFocus();
    // Also ends a point wait (NO) and a kept shutter (NO), so neither outlives the camera.
    void disableFocus();
    // Continuous focus and exposure at the centre, the squares gone, waits ended (NO).
    void resetFocusView();
    // The squares' overlay hidden or shown again (the camera keeps focusing).
    void showFocusView(bool show);
    const std::shared_ptr<FocusViewController>& cameraFocusViewController() const { return focusViewController_; }
    const std::shared_ptr<UITapGestureRecognizer>& focusTapRecognizer() const { return tap_; }
    const std::shared_ptr<UIPanGestureRecognizer>& focusPanRecognizer() const { return pan_; }

    // Within [0, 1] on both axes; the centre (0.5, 0.5) until a frame has given the sizes.
    CGPoint viewPointToDevicePointOfInterest(CGPoint point) const;
    // Mode 1 (once, then hold) when locking, else 2 (continuous), where the device allows.
    static void focusAndExposureAtPoint(const platform::AVCaptureDeviceRef& device, CGPoint devicePoint, bool lock);
    // The square at the view point, the device point of interest, then the wait.
    void focusAtPoint(CGPoint viewPoint, bool lock);

    // ---- Exposure ---------------------------------------------------------------------------
    // A duration in seconds as a value in [0, 1] (fifth root, so short exposures get most of
    // the range), and back. 0 when the format gives no range.
    static double normalizedExposureDuration(double seconds, double minimum, double maximum);
    static double normalizeExposureDuration(double value, double minimum, double maximum);
    // The pan's step for a translation along an extent; a frame rate that is not a positive
    // number counts as the normal one.
    static double panStep(double translation, double extent, double frameRate);
    double currentExposureDuration() const;
    // The custom exposure for a value in [0, 1]; restarts the 6 s unlock.
    void setExposureDuration(double value);
    // The value the pan has set (0 before any).
    double exposureValue() const { return exposureValue_; }

    // ---- Waits and the unlock -----------------------------------------------------------
    void waitForPendingFocusAndExposure(BoolBlock block);
    bool isPointWaitPending() const { return pointWait_; }
    // A shutter pressed during a point wait: runs (YES) when the wait ends, settled or not.
    void queueShutter(BoolBlock block);
    // Ends a point wait (its block NO); a kept shutter stays for the next wait.
    void cancelWaitForPendingFocusAndExposure();
    void delayUnlockFocusAndExposureMode();
    void cancelUnlockFocusAndExposureMode();
    void unlockFocusAndExposureMode();
    void restoreFocusAndExposureToDefault();

private:
    platform::AVCaptureDeviceRef currentDevice() const;
    void presentFocusView();
    void dismissFocusView();
    void handleFocusPan(UIPanGestureRecognizer& pan);
    void addFocusObserver();
    void removeFocusObserver();
    void focusChanged();
    void exposureChanged();
    void stopObservingExposure();
    void giveUpPointWait();
    // The point wait is over: its block, then a kept shutter (YES).
    void endPointWait(bool finished);
    void releaseQueuedShutter(bool finished);
    // Continuous focus and exposure where supported, optionally back at the centre.
    void unlock(bool centre);

    GraphicsView& view_;
    VideoController& controller_;
    std::shared_ptr<FocusViewController> focusViewController_;
    std::shared_ptr<UITapGestureRecognizer> tap_;
    std::shared_ptr<UIPanGestureRecognizer> pan_;

    // The device whose "adjustingFocus" drives the automatic square and the point wait.
    platform::AVCaptureDeviceRef focusDevice_;
    int focusObserver_ = 0;

    bool pointWait_ = false;
    bool focusWait_ = false;
    bool exposureWait_ = false;
    platform::AVCaptureDeviceRef exposureDevice_;
    int exposureObserver_ = 0;
    BoolBlock pendingBlock_;
    BoolBlock queuedShutter_;

    bool reread_ = false;
    double exposureValue_ = 0;
    bool boost_ = false;
    double boostBaseISO_ = 0;
    double boostMaximumISO_ = 0;
    double boostBaseValue_ = 0;
};
