#include "platform/uikit/UIInputDriver.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <utility>

#include "platform/uikit/UIAlertPresentation.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UINoticePresentation.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UITextField.h"

namespace {

constexpr CGFloat kRotationRadius = 60;  // points from the press point to each finger
constexpr CGFloat kPinchSpread = 60;     // points from the pointer to each finger before a pinch
constexpr CGFloat kPinchStep = 1.1;      // spread factor per wheel notch
constexpr CGFloat kWheelPoints = 40;     // points scrolled per wheel notch
constexpr NSTimeInterval kMoveInterval = 1.0 / 60;
const char* const kFullForceKey = "fullForce";

std::map<int, UIInputDriver::KeyHandler>& keyHandlers() {
    static std::map<int, UIInputDriver::KeyHandler> handlers;
    return handlers;
}

UIInputDriver::VolumeButtonAction& volumeButtonAction() {
    static UIInputDriver::VolumeButtonAction action;
    return action;
}

void pressVolumeButton(bool up) {
    if (const auto& action = volumeButtonAction()) action(up);
}

}  // namespace

std::optional<UIKeyPress> UIKeyPress::named(const std::string& name) {
    static const std::map<std::string, UIKeyCode> codes = {
        {"Escape", UIKeyCode::Escape},
        {"Esc", UIKeyCode::Escape},
        {"PageUp", UIKeyCode::PageUp},
        {"PageDown", UIKeyCode::PageDown},
        {"VolumeUp", UIKeyCode::VolumeUp},
        {"VolumeDown", UIKeyCode::VolumeDown},
        {"Left", UIKeyCode::Left},
        {"Right", UIKeyCode::Right},
        {"Up", UIKeyCode::Up},
        {"Down", UIKeyCode::Down},
        {"F1", UIKeyCode::F1},
        {"F2", UIKeyCode::F2},
        {"F3", UIKeyCode::F3},
        {"F4", UIKeyCode::F4},
        {"F12", UIKeyCode::F12},
        {"Return", UIKeyCode::Return},
        {"Backspace", UIKeyCode::Backspace},
    };
    const std::string prefix = "Ctrl+";
    const bool control = name.starts_with(prefix);
    auto found = codes.find(control ? name.substr(prefix.size()) : name);
    if (found == codes.end()) return std::nullopt;
    return UIKeyPress{found->second, control};
}

UIInputDriver::UIInputDriver(std::shared_ptr<UIWindow> window) : window_(std::move(window)) {}

UIInputDriver::~UIInputDriver() { NSRunLoop::mainRunLoop().cancelPreviousPerformRequests(this); }

// ---- Clock ---------------------------------------------------------------------------------

NSTimeInterval UIInputDriver::now() const { return NSRunLoop::mainRunLoop().now(); }

void UIInputDriver::wait(NSTimeInterval seconds) {
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    const NSRunLoopMode mode = UIApplication::sharedApplication().inputRunLoopMode();
    if (loop.hasManualClock()) loop.advance(std::max(seconds, 0.0), mode);
    else loop.runUntilDate(loop.now() + std::max(seconds, 0.0), mode);
}

// ---- Touches -------------------------------------------------------------------------------

void UIInputDriver::inputArrived() {
    UIApplication& app = UIApplication::sharedApplication();
    if (!app.isTerminating() && app.applicationState() == UIApplicationState::Inactive)
        app.transitionToState(UIApplicationState::Active);
}

void UIInputDriver::sendTouches(const std::vector<UITouchReport>& reports) {
    if (std::any_of(reports.begin(), reports.end(),
                    [](const UITouchReport& r) { return r.phase == UITouchPhase::Began; }))
        inputArrived();
    window_->sendTouches(reports, now());
}

void UIInputDriver::touchDown(int finger, CGPoint point, CGFloat force, int tapCount) {
    sendTouches({{finger, UITouchPhase::Began, point, force, tapCount}});
}
void UIInputDriver::touchMove(int finger, CGPoint point, CGFloat force) {
    sendTouches({{finger, UITouchPhase::Moved, point, force, 1}});
}
void UIInputDriver::touchUp(int finger, CGPoint point) { sendTouches({{finger, UITouchPhase::Ended, point, 0, 1}}); }
void UIInputDriver::touchCancel(int finger, CGPoint point) {
    sendTouches({{finger, UITouchPhase::Cancelled, point, 0, 1}});
}

void UIInputDriver::tap(CGPoint point, int tapCount, NSTimeInterval hold) {
    touchDown(kMouseFinger, point, kTouchForce, tapCount);
    wait(hold);
    touchUp(kMouseFinger, point);
}

void UIInputDriver::drag(CGPoint from, CGPoint to, NSTimeInterval seconds) {
    touchDown(kMouseFinger, from);
    const int steps = std::max(1, static_cast<int>(std::ceil(seconds / kMoveInterval - 1e-9)));
    for (int i = 1; i <= steps; ++i) {
        wait(seconds / steps);
        const CGFloat t = CGFloat(i) / steps;
        touchMove(kMouseFinger, {from.x + (to.x - from.x) * t, from.y + (to.y - from.y) * t});
    }
    touchUp(kMouseFinger, to);
}

void UIInputDriver::forcePress(CGPoint point, NSTimeInterval seconds) {
    const CGFloat scale = UIScreen::mainScreen().scale();
    const CGPoint pixel{point.x * scale, point.y * scale};
    mouseDown(UIMouseButton::Right, pixel);
    wait(seconds);
    mouseUp(UIMouseButton::Right, pixel);
}

// ---- Mouse ---------------------------------------------------------------------------------

CGPoint UIInputDriver::pointOf(CGPoint pixel) const {
    const CGFloat scale = UIScreen::mainScreen().scale();
    return {pixel.x / scale, pixel.y / scale};
}

std::vector<UITouchReport> UIInputDriver::rotationFingers(UITouchPhase phase, CGPoint pointer) const {
    const CGFloat angle = (pointer.x - pressPoint_.x) / kRotationRadius;
    const CGFloat dx = std::cos(angle) * kRotationRadius, dy = std::sin(angle) * kRotationRadius;
    return {{kMouseFinger, phase, {pressPoint_.x + dx, pressPoint_.y + dy}, kTouchForce, 1},
            {kSecondMouseFinger, phase, {pressPoint_.x - dx, pressPoint_.y - dy}, kTouchForce, 1}};
}

void UIInputDriver::mouseDown(UIMouseButton button, CGPoint pixel, int clicks, bool control) {
    if (press_ != Press::None) return;  // one button at a time
    pressPoint_ = pointOf(pixel);
    if (button == UIMouseButton::Right) {
        press_ = Press::Force;
        pressForce_ = kPeekForce;
        touchDown(kMouseFinger, pressPoint_, pressForce_);
        NSRunLoop::mainRunLoop().performAfterDelay(this, kFullForceKey, kFullForceDelay, [this] {
            if (press_ != Press::Force) return;
            pressForce_ = kFullForce;
            touchMove(kMouseFinger, pressPoint_, pressForce_);
        });
    } else if (control) {
        press_ = Press::Rotation;
        sendTouches(rotationFingers(UITouchPhase::Began, pressPoint_));
    } else {
        press_ = Press::Touch;
        touchDown(kMouseFinger, pressPoint_, kTouchForce, clicks);
    }
}

void UIInputDriver::mouseMove(CGPoint pixel) {
    const CGPoint point = pointOf(pixel);
    switch (press_) {
    case Press::None: return;
    case Press::Rotation: sendTouches(rotationFingers(UITouchPhase::Moved, point)); return;
    case Press::Force:
        pressPoint_ = point;
        touchMove(kMouseFinger, point, pressForce_);
        return;
    case Press::Touch: touchMove(kMouseFinger, point); return;
    }
}

void UIInputDriver::mouseUp(UIMouseButton button, CGPoint pixel) {
    const CGPoint point = pointOf(pixel);
    const Press press = std::exchange(press_, Press::None);
    if ((button == UIMouseButton::Right) != (press == Press::Force)) {
        press_ = press;  // the other button's release
        return;
    }
    NSRunLoop::mainRunLoop().cancelPreviousPerformRequests(this, kFullForceKey);
    if (press == Press::Rotation) sendTouches(rotationFingers(UITouchPhase::Ended, point));
    else if (press != Press::None) touchUp(kMouseFinger, point);
}

void UIInputDriver::wheel(CGPoint pixel, CGFloat notchesX, CGFloat notchesY, bool control) {
    inputArrived();
    const CGPoint point = pointOf(pixel);
    if (control) {
        if (press_ != Press::None || notchesY == 0) return;
        const CGFloat spread = kPinchSpread * std::pow(kPinchStep, notchesY);
        auto fingers = [&](UITouchPhase phase, CGFloat d) {
            return std::vector<UITouchReport>{{kMouseFinger, phase, {point.x - d, point.y}, kTouchForce, 1},
                                              {kSecondMouseFinger, phase, {point.x + d, point.y}, kTouchForce, 1}};
        };
        sendTouches(fingers(UITouchPhase::Began, kPinchSpread));
        sendTouches(fingers(UITouchPhase::Moved, spread));
        sendTouches(fingers(UITouchPhase::Ended, spread));
        return;
    }
    const CGSize delta{notchesX * kWheelPoints, notchesY * kWheelPoints};
    for (UIView* view = window_->hitTest(point); view; view = view->superview())
        if (view->scrollWheel(view->convertPointFromView(point, nullptr), delta)) return;
}

// ---- Keys ----------------------------------------------------------------------------------

int UIInputDriver::addKeyHandler(KeyHandler handler) {
    static int next = 1;
    keyHandlers().emplace(next, std::move(handler));
    return next++;
}

void UIInputDriver::removeKeyHandler(int id) { keyHandlers().erase(id); }

void UIInputDriver::setVolumeButtonAction(VolumeButtonAction action) { volumeButtonAction() = std::move(action); }

void UIInputDriver::text(const std::string& typed) {
    if (UITextField* field = UITextField::firstResponder()) field->insertText(typed);
}

void UIInputDriver::key(UIKeyPress press) {
    inputArrived();
    // Newest first; a handler may add or remove handlers while it runs.
    std::vector<int> ids;
    for (const auto& [id, handler] : keyHandlers()) ids.insert(ids.begin(), id);
    for (int id : ids) {
        auto found = keyHandlers().find(id);
        if (found == keyHandlers().end()) continue;
        KeyHandler handler = found->second;
        if (handler(press)) return;
    }
    UIDevice& device = UIDevice::currentDevice();
    switch (press.code) {
    case UIKeyCode::PageUp:
    case UIKeyCode::VolumeUp: pressVolumeButton(true); break;
    case UIKeyCode::PageDown:
    case UIKeyCode::VolumeDown: pressVolumeButton(false); break;
    case UIKeyCode::Up:
        if (press.control) device.setOrientation(UIDeviceOrientation::Portrait);
        break;
    case UIKeyCode::Down:
        if (press.control) device.setOrientation(UIDeviceOrientation::PortraitUpsideDown);
        break;
    case UIKeyCode::Left:
        if (press.control) device.setOrientation(UIDeviceOrientation::LandscapeLeft);
        break;
    case UIKeyCode::Right:
        if (press.control) device.setOrientation(UIDeviceOrientation::LandscapeRight);
        break;
    case UIKeyCode::F1: UIApplication::sharedApplication().performShortcutItemAtIndex(0); break;
    case UIKeyCode::F2: UIApplication::sharedApplication().performShortcutItemAtIndex(1); break;
    case UIKeyCode::F3: UIApplication::sharedApplication().performShortcutItemAtIndex(2); break;
    case UIKeyCode::F4: UIApplication::sharedApplication().performShortcutItemAtIndex(3); break;
    case UIKeyCode::F12: writeNumberedScreenshot(); break;
    case UIKeyCode::Escape:
    case UIKeyCode::Return:
    case UIKeyCode::Backspace: break;
    }
}

// ---- Window events -------------------------------------------------------------------------

void UIInputDriver::focusChanged(bool focused) {
    UIApplication& app = UIApplication::sharedApplication();
    if (app.isTerminating()) return;
    if (focused) app.transitionToState(UIApplicationState::Active);
    else if (app.applicationState() == UIApplicationState::Active) app.transitionToState(UIApplicationState::Inactive);
}

void UIInputDriver::minimised() {
    UIApplication& app = UIApplication::sharedApplication();
    if (!app.isTerminating()) app.transitionToState(UIApplicationState::Background);
}

void UIInputDriver::restored() {
    UIApplication& app = UIApplication::sharedApplication();
    if (!app.isTerminating() && app.applicationState() == UIApplicationState::Background)
        app.transitionToState(UIApplicationState::Inactive);
}

void UIInputDriver::closed() {
    window_->cancelAllTouches(now());
    UIApplication::sharedApplication().terminate();
    NSRunLoop::mainRunLoop().stop();
}

// ---- Screenshots ---------------------------------------------------------------------------

CGImageRef UIInputDriver::screenshot() const { return window_->compose(); }

std::optional<platform::ImageBitmap> UIInputDriver::screenshotRGBA() const {
    const CGImageRef image = screenshot();
    if (!image) return std::nullopt;
    auto bitmap = platform::ImageBitmap::make(static_cast<std::uint32_t>(CGImageGetWidth(image)),
                                              static_cast<std::uint32_t>(CGImageGetHeight(image)));
    if (!bitmap) return std::nullopt;
    for (std::uint32_t y = 0; y < bitmap->height; ++y)
        for (std::uint32_t x = 0; x < bitmap->width; ++x) {
            const CGColor c = CGImageGetPixel(image, x, y);
            const CGFloat channels[4] = {c.r, c.g, c.b, c.a};
            std::uint8_t* p = bitmap->pixel(x, y);
            for (int i = 0; i < 4; ++i)
                p[i] = static_cast<std::uint8_t>(std::lround(std::clamp(channels[i], 0.0, 1.0) * 255));
        }
    return bitmap;
}

bool UIInputDriver::writeScreenshot(const std::string& path, std::string* error) const {
    auto bitmap = screenshotRGBA();
    if (!bitmap) {
        if (error) *error = "the window shows nothing to save";
        return false;
    }
    platform::ImageIOError failure;
    if (platform::WriteImageFile(*bitmap, platform::ImageFileType::PNG, {}, path, &failure)) return true;
    if (error) *error = failure.message.empty() ? "cannot write " + path : failure.message;
    return false;
}

void UIInputDriver::writeNumberedScreenshot() {
    namespace fs = std::filesystem;
    lastScreenshot_.clear();
    std::error_code ignored;
    for (int n = 1; n < 100000; ++n) {
        const fs::path path = fs::path(screenshotsFolder_) / ("screenshot-" + std::to_string(n) + ".png");
        if (fs::exists(path, ignored)) continue;
        std::string error;
        if (!writeScreenshot(path.string(), &error)) {
            UIAlertPresentation::showFailure("Screenshot Not Saved", error);
            return;
        }
        lastScreenshot_ = path.string();
        // Taken after the picture, so the screenshot does not show it.
        const fs::path absolute = fs::absolute(path, ignored);
        UINoticePresentation::show("Screenshot saved to " +
                                   UINoticePresentation::displayPath(absolute.empty() ? path : absolute));
        return;
    }
    UIAlertPresentation::showFailure("Screenshot Not Saved",
                                     "every name from screenshot-1.png on is taken in " + screenshotsFolder_);
}
