#pragma once
// A key window of the device profile's screen on the manual clock, driven by synthetic input
// through the application's own input driver: taps, drags, long and force presses, keys, the
// clock, and screenshots read by region. UI tests of every folder share it.
//
//     TouchHarness ui;
//     auto button = ...; ui.window->addSubview(button);
//     ui.tap(100, 200);
//     expectColor(ui.meanColor(CGRectMake(90, 190, 20, 20)), {1, 0, 0, 1}, "pressed");
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/NSRunLoop.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIInputDriver.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIWindow.h"
#include "support/ImageRegions.h"

// A button of the custom type at the frame, placed in `parent`.
inline std::shared_ptr<UIButton> addButton(UIView& parent, CGRect frame) {
    auto button = UIButton::buttonWithType(UIButtonType::Custom);
    button->setFrame(frame);
    parent.addSubview(button);
    return button;
}

// Notes which of the listed events a control sends, in order.
inline void recordControlEvents(UIControl& control, std::initializer_list<UIControlEvents> kinds,
                                std::vector<UIControlEvents>& sent) {
    for (UIControlEvents kind : kinds)
        control.addTarget(
            &sent, [&sent, kind](UIControl&, const UIEvent*) { sent.push_back(kind); }, kind);
}

class TouchHarness {
public:
    explicit TouchHarness(UIDeviceProfile profile = UIDeviceProfile::phone()) {
        UIDeviceProfile::setCurrent(std::move(profile));
        loop().useManualClock(0);
        window = std::make_shared<UIWindow>(UIScreen::mainScreen().bounds());
        window->setBackgroundColor(UIColor::blackColor());
        window->makeKeyAndVisible();
        driver = std::make_unique<UIInputDriver>(window);
    }
    ~TouchHarness() {
        driver.reset();
        loop().runUntilIdle();
    }

    static NSRunLoop& loop() { return NSRunLoop::mainRunLoop(); }

    // Points of the window.
    void tap(CGFloat x, CGFloat y, int tapCount = 1) { driver->tap({x, y}, tapCount); }
    // Taps the middle of the view's bounds, putting the view on the window first.
    void tap(UIView& view) {
        if (!view.window()) window->addSubview(view.shared_from_this());
        const CGPoint p =
            view.convertPointToView({CGRectGetMidX(view.bounds()), CGRectGetMidY(view.bounds())}, nullptr);
        tap(p.x, p.y);
    }
    void drag(CGFloat x0, CGFloat y0, CGFloat x1, CGFloat y1, NSTimeInterval seconds = 0.3) {
        driver->drag({x0, y0}, {x1, y1}, seconds);
    }
    void longPress(CGFloat x, CGFloat y, NSTimeInterval seconds = 1) { driver->longPress({x, y}, seconds); }
    void forcePress(CGFloat x, CGFloat y, NSTimeInterval seconds = 1) { driver->forcePress({x, y}, seconds); }
    // A key by its script name ("Escape", "Ctrl+Left", ...); an unknown name fails the test.
    void key(const std::string& name) {
        auto press = UIKeyPress::named(name);
        ASSERT_TRUE(press) << name;
        driver->key(*press);
    }
    void advance(NSTimeInterval seconds) { driver->wait(seconds); }

    CGImageRef screenshot() const { return driver->screenshot(); }
    // The mean colour of a rectangle of the composed screen, in points.
    CGColor meanColor(CGRect points) const {
        return meanColorInPoints(screenshot(), points, UIScreen::mainScreen().scale());
    }

    std::shared_ptr<UIWindow> window;
    std::unique_ptr<UIInputDriver> driver;
};
