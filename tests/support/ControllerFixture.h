#pragma once
// Controllers in the touch harness's key window (a phone unless a test makes another), on the
// manual clock from a start far from zero, with taps through the input driver.
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
#include "support/TouchHarness.h"

class ControllerFixture : public ::testing::Test {
protected:
    static constexpr double kStart = 1000;
    void SetUp() override {
        ui = std::make_unique<TouchHarness>();
        loop.useManualClock(kStart);
        window = ui->window;
        window->setBackgroundColor(UIColor::whiteColor());
    }
    void TearDown() override {
        loop.runUntilIdle();
        window.reset();
        ui.reset();
        UIDeviceProfile::setCurrent(UIDeviceProfile::phone());
    }

    void advance(double seconds) { loop.advanceTo(loop.now() + seconds); }
    // A tap through the window's input driver, then the run loop's due work.
    void tap(CGPoint point) {
        ui->tap(point.x, point.y);
        loop.runUntilIdle();
    }
    CGImageRef screenshot() { return ui->screenshot(); }
    CGColor meanAt(const CGImageRef& shot, CGRect points) {
        return meanColorInPoints(shot, points, UIScreen::mainScreen().scale());
    }

    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    std::unique_ptr<TouchHarness> ui;
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
