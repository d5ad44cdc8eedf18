// The launch splash on the manual clock: the caller's completion runs once, at 0.6 s without
// waiting or when the logo has come to rest (2.6 s) while waiting, before a 1 s fade; then
// the splash is gone, its controller freed and its background's long spring stopped. The
// name sits at its device's height.
#include <gtest/gtest.h>

#include <cmath>

#include "model/DeviceUtility.h"
#include "screens/splash/SplashViewController.h"
#include "support/TouchHarness.h"
#include "ui/appearance/GradientView.h"

namespace {

class SplashTest : public ::testing::Test {
protected:
    void TearDown() override { UIDeviceProfile::setCurrent(UIDeviceProfile::phone()); }
    // The splash among the host's subviews, or null.
    static SplashViewController* SplashIn(UIView& host) {
        for (const auto& v : host.subviews())
            if (auto* splash = dynamic_cast<SplashViewController*>(v->nextResponder())) return splash;
        return nullptr;
    }
};

TEST_F(SplashTest, TheCompletionRunsOnceBeforeTheFadeAndTheSplashThenFreesItself) {
    struct Case {
        const char* name;
        bool wait, completion;
        double completesAt, goneBy;
    } cases[] = {
        {"no wait", false, true, 0.6, 1.6}, {"wait", true, true, 2.6, 3.6}, {"no completion", false, false, 0.6, 1.6}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TouchHarness ui;
        const double start = ui.loop().now();
        std::vector<double> completions;
        SplashViewController::presentSplashIfNeeded(
            *ui.window, c.wait,
            c.completion ? SplashViewController::Completion([&] { completions.push_back(ui.loop().now() - start); })
                         : nullptr);
        SplashViewController* splash = SplashIn(*ui.window);
        ASSERT_NE(splash, nullptr);
        EXPECT_EQ(ui.window->subviews().back(), splash->view()) << "on top";
        const std::weak_ptr<UIViewController> controller = splash->shared_from_this();
        const std::shared_ptr<GradientView> background = splash->backgroundView();
        EXPECT_GT(ui.meanColor(CGRectMake(0, 0, 375, 100)).a, 0.99) << "the splash covers the screen";
        for (double t = 0.05; t < c.goneBy + 0.5; t += 0.05) {
            ui.advance(0.05);
            if (t < c.completesAt - 0.06) {
                EXPECT_TRUE(completions.empty()) << t;
            }
            if (t < c.completesAt + 0.06) {
                EXPECT_FALSE(controller.expired()) << t;
            }
        }
        if (c.completion) {
            ASSERT_EQ(completions.size(), 1u);
            EXPECT_NEAR(completions[0], c.completesAt, 0.06);
        }
        EXPECT_EQ(SplashIn(*ui.window), nullptr) << "removed";
        EXPECT_TRUE(controller.expired()) << "freed";
        EXPECT_TRUE(background->layer()->animationKeys().empty()) << "its background spring stopped";
    }
}

TEST_F(SplashTest, TheNameSitsAtItsDevicesHeightUnderTheLogo) {
    struct Case {
        const char* name;
        UIDeviceProfile profile;
        double relativeY;
    } cases[] = {
        {"pad, landscape",
         [] {
             auto p = UIDeviceProfile::pad();
             p.orientation = UIDeviceOrientation::LandscapeLeft;
             return p;
         }(),
         0.45},
        {"pad, portrait", UIDeviceProfile::pad(), 0.48},
        {"320 x 568",
         [] {
             auto p = UIDeviceProfile::phone();
             p.portraitSize = {320, 568};
             return p;
         }(),
         0.42},
        {"320 x 480",
         [] {
             auto p = UIDeviceProfile::phone();
             p.portraitSize = {320, 480};
             return p;
         }(),
         0.39},
        {"375 x 667", UIDeviceProfile::phone(), 0.44},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TouchHarness ui(c.profile);
        auto splash = std::make_shared<SplashViewController>();
        splash->view()->setFrame(ui.window->bounds());
        ui.window->addSubview(splash->view());
        splash->view()->layoutIfNeeded();
        const CGFloat height = ui.window->bounds().size.height;
        EXPECT_NEAR(splash->label()->center().y, (1 - c.relativeY) * height, 1e-6);
        EXPECT_NEAR(splash->insideView()->center().y, (1 - SplashViewController::kLogoRelativeCenterY) * height, 1e-6);
        EXPECT_NEAR(splash->label()->center().x, ui.window->bounds().size.width / 2, 1e-6);
        splash->view()->removeFromSuperview();
    }
}

}  // namespace
