#pragma once
// The one way input reaches the application, whatever produces it: the shown window (SDL
// events), the tests' harness and the script runner all drive a window through this class.
// It stamps touches with the main run loop's clock, turns mouse, wheel and keys into touches
// and device events, moves the clock, and takes screenshots.
//
// Mouse (locations in window pixels, divided by the screen's scale into points):
// - left button: one touch, the click count its tap count; with Ctrl held, a two-finger
//   rotation about the press point (the fingers 60 points either side, turning one radian
//   for every 60 points the pointer moves sideways);
// - right button held: a force press, at the peek force at once and at full force 0.8 s
//   later while still held;
// - wheel: offered to the view under the pointer and up its superviews (`scrollWheel`);
//   with Ctrl, a pinch about the pointer, each notch spreading or closing two fingers by 10 %.
// Keys (`UIKeyPress`), first offered to the key handlers, the latest added first, and then:
// PageUp/PageDown and the volume keys press the volume buttons; Ctrl+arrows turn the device
// (up portrait, down upside down, left and right landscape); F1-F4 hand the four home-screen
// shortcuts to the application delegate; F12 writes a screenshot into the screenshots folder
// and names it in a short notice (UINoticePresentation), or says in an alert why it could not.
// Esc has no default: the shown alert or sheet handles it.
// Window events: focus lost and gained, minimised and restored, closed drive the life cycle.
// Input itself (a touch or press beginning, the wheel, a key) means a person is using the
// window: an application left inactive by a focus that went elsewhere and has not come back
// (as without a window manager, where a click does not move the focus) becomes active again,
// rather than staying paused under the person's hands.
//
// Waiting: with a manual clock `wait` advances it (firing what falls due on the way); with
// the real clock it runs the loop until that time.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/coregraphics/CGImage.h"
#include "platform/imageio/ImageIO.h"
#include "platform/uikit/UIWindow.h"

enum class UIKeyCode {
    Escape,
    PageUp,
    PageDown,
    VolumeUp,
    VolumeDown,
    Left,
    Right,
    Up,
    Down,
    F1,
    F2,
    F3,
    F4,
    F12,
    Return,
    Backspace
};

struct UIKeyPress {
    UIKeyCode code = UIKeyCode::Escape;
    bool control = false;
    bool operator==(const UIKeyPress&) const = default;
    // Names as scripts write them: "Escape" (or "Esc"), "PageUp", "PageDown", "VolumeUp",
    // "VolumeDown", "Left", "Right", "Up", "Down", "F1"..."F4", "F12", "Return", "Backspace", each optionally after
    // "Ctrl+". Nothing for other names.
    static std::optional<UIKeyPress> named(const std::string& name);
};

enum class UIMouseButton { Left, Right };

class UIInputDriver {
public:
    // Forces of a right-button press: at once, and after `kFullForceDelay` seconds.
    static constexpr CGFloat kPeekForce = UITouchMaximumPossibleForce / 2;
    static constexpr CGFloat kFullForce = UITouchMaximumPossibleForce;
    static constexpr NSTimeInterval kFullForceDelay = 0.8;
    // The force reported for an ordinary touch.
    static constexpr CGFloat kTouchForce = 1;
    // The finger numbers the mouse uses; others are free for touch screens and tests.
    static constexpr int kMouseFinger = 0, kSecondMouseFinger = 1;

    explicit UIInputDriver(std::shared_ptr<UIWindow> window);
    ~UIInputDriver();
    UIInputDriver(const UIInputDriver&) = delete;
    UIInputDriver& operator=(const UIInputDriver&) = delete;

    UIWindow& window() const { return *window_; }

    // ---- Clock ---------------------------------------------------------------------------
    NSTimeInterval now() const;
    void wait(NSTimeInterval seconds);

    // ---- Touches (window points) ---------------------------------------------------------
    void sendTouches(const std::vector<UITouchReport>& reports);
    void touchDown(int finger, CGPoint point, CGFloat force = kTouchForce, int tapCount = 1);
    void touchMove(int finger, CGPoint point, CGFloat force = kTouchForce);
    void touchUp(int finger, CGPoint point);
    void touchCancel(int finger, CGPoint point);
    // Down and, `hold` seconds later, up in place.
    void tap(CGPoint point, int tapCount = 1, NSTimeInterval hold = 0.05);
    // Down, moves at 60 per second along the line for `seconds`, up at the end.
    void drag(CGPoint from, CGPoint to, NSTimeInterval seconds);
    void longPress(CGPoint point, NSTimeInterval seconds) { tap(point, 1, seconds); }
    // A right-button press held for `seconds`.
    void forcePress(CGPoint point, NSTimeInterval seconds);

    // ---- Mouse (window pixels) -----------------------------------------------------------
    void mouseDown(UIMouseButton button, CGPoint pixel, int clicks = 1, bool control = false);
    void mouseMove(CGPoint pixel);
    void mouseUp(UIMouseButton button, CGPoint pixel);
    // Notches of the wheel (positive: up and right).
    void wheel(CGPoint pixel, CGFloat notchesX, CGFloat notchesY, bool control = false);

    // ---- Keys ----------------------------------------------------------------------------
    void key(UIKeyPress press);
    // Typed text for the text field that is the first responder (none: dropped). Return and
    // Backspace reach the field as keys.
    void text(const std::string& typed);
    // Handlers answer true when they took the key. Main thread only.
    using KeyHandler = std::function<bool(const UIKeyPress&)>;
    static int addKeyHandler(KeyHandler handler);
    static void removeKeyHandler(int id);
    // What a press of a hardware volume button does (up or down). The media player, which
    // keeps the system volume above this toolkit, installs it; none installed, a press does
    // nothing. Main thread only.
    using VolumeButtonAction = std::function<void(bool up)>;
    static void setVolumeButtonAction(VolumeButtonAction action);

    // ---- Window events -------------------------------------------------------------------
    void focusChanged(bool focused);
    void minimised();
    void restored();
    // Terminates the application; the shown window's loop then ends.
    void closed();

    // ---- Screenshots ---------------------------------------------------------------------
    CGImageRef screenshot() const;
    // Straight RGBA, top row first; nothing for an empty window.
    std::optional<platform::ImageBitmap> screenshotRGBA() const;
    bool writeScreenshot(const std::string& path, std::string* error = nullptr) const;
    // Where F12 writes ("screenshot-N.png", the first N not taken); default the current folder.
    const std::string& screenshotsFolder() const { return screenshotsFolder_; }
    void setScreenshotsFolder(std::string folder) { screenshotsFolder_ = std::move(folder); }
    // The path of the last screenshot F12 wrote (empty when none or it failed).
    const std::string& lastScreenshotPath() const { return lastScreenshot_; }

private:
    CGPoint pointOf(CGPoint pixel) const;
    static void inputArrived();
    std::vector<UITouchReport> rotationFingers(UITouchPhase phase, CGPoint pointer) const;
    void writeNumberedScreenshot();

    std::shared_ptr<UIWindow> window_;
    std::string screenshotsFolder_ = ".";
    std::string lastScreenshot_;
    enum class Press { None, Touch, Force, Rotation } press_ = Press::None;
    CGPoint pressPoint_;
    CGFloat pressForce_ = 0;
};
