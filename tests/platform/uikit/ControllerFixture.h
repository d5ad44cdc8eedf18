#pragma once
// A phone-sized key window on the manual clock, taps delivered the way the window delivers
// them (hit-tested, then began and ended on the hit view), and composed screenshots.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/NSRunLoop.h"
#include "platform/quartzcore/CACompositor.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIWindow.h"
#include "support/ImageRegions.h"

class ControllerFixture : public ::testing::Test {
protected:
    static constexpr double kStart = 1000;
    void SetUp() override {
        UIDeviceProfile::setCurrent(UIDeviceProfile::phone());
        loop.useManualClock(kStart);
        window = std::make_shared<UIWindow>(UIScreen::mainScreen().bounds());
        window->setBackgroundColor(UIColor::whiteColor());
        window->makeKeyAndVisible();
    }
    void TearDown() override {
        loop.runUntilIdle();
        window.reset();
        UIDeviceProfile::setCurrent(UIDeviceProfile::phone());
    }

    void advance(double seconds) { loop.advanceTo(loop.now() + seconds); }
    // Whether a tap reached a view (nothing under the point, or input ignored: false).
    bool tap(CGPoint point) {
        if (UIApplication::sharedApplication().isIgnoringInteractionEvents()) return false;
        window->layoutIfNeeded();
        auto hit = window->hitTest(point);
        if (!hit) return false;
        UITouch touch;
        touch.windowLocation = touch.previousWindowLocation = point;
        touch.view = hit->weak_from_this();
        touch.timestamp = loop.now();
        UIEvent event;
        event.allTouches = {&touch};
        hit->touchesBegan(event.allTouches, &event);
        touch.phase = UITouchPhase::Ended;
        hit->touchesEnded(event.allTouches, &event);
        loop.runUntilIdle();
        return true;
    }
    CGImageRef screenshot() {
        return CACompositor::compose(*window->layer(), window->bounds().size, UIScreen::mainScreen().scale());
    }
    CGColor meanAt(const CGImageRef& shot, CGRect points) {
        return meanColorInPoints(shot, points, UIScreen::mainScreen().scale());
    }

    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    std::shared_ptr<UIWindow> window;
};

// A controller that logs its appearance callbacks ("name+will", "name+did", "name-will", ...)
// and has a coloured view.
class LoggingController : public UIViewController {
public:
    LoggingController(std::string name, UIColor color, std::vector<std::string>* log)
        : name_(std::move(name)), color_(color), log_(log) {}
    void viewDidLoad() override { view()->setBackgroundColor(color_); }
    void viewWillAppear(bool) override { note("+will"); }
    void viewDidAppear(bool) override { note("+did"); }
    void viewWillDisappear(bool) override { note("-will"); }
    void viewDidDisappear(bool) override { note("-did"); }

private:
    void note(const char* what) {
        if (log_) log_->push_back(name_ + what);
    }
    std::string name_;
    UIColor color_;
    std::vector<std::string>* log_;
};
