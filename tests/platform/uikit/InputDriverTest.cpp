// The input driver on the manual clock: the mouse mapped to touches (clicks, force presses,
// two-finger rotation and pinch, the wheel), keys mapped to device events, window events to
// the life cycle, and screenshots (named in a notice, a failed one said in an alert).
#include <gtest/gtest.h>

#include <any>
#include <cmath>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/imageio/ImageIO.h"
#include "platform/mediaplayer/MPMusicPlayerController.h"
#include "platform/uikit/UIAlertPresentation.h"
#include "platform/uikit/UINoticePresentation.h"
#include "support/TouchHarness.h"
#include "support/TouchRecorder.h"

namespace {

class InputDriverTest : public ::testing::Test {
protected:
    void SetUp() override {
        view = std::make_shared<TouchRecorder>(CGRectMake(100, 100, 150, 150));
        view->setMultipleTouchEnabled(true);
        view->setBackgroundColor(UIColor::colorWithRed(1, 0, 0, 1));
        ui.window->addSubview(view);
    }
    // The notifications of these names, in order.
    void observe(const std::vector<NSNotificationName>& names) {
        for (const auto& name : names)
            NSNotificationCenter::defaultCenter().addObserver(this, name,
                                                              [this](const NSNotification& n) { posted.push_back(n); });
    }
    void TearDown() override { NSNotificationCenter::defaultCenter().removeObserver(this); }

    TouchHarness ui;
    std::shared_ptr<TouchRecorder> view;
    std::vector<NSNotification> posted;
};

std::string names(const std::vector<NSNotification>& posted) {
    std::string s;
    for (const auto& n : posted) s += n.name + " ";
    return s;
}

class ScrollSink : public UIView {
public:
    using UIView::UIView;
    bool scrollWheel(CGPoint location, CGSize delta) override {
        scrolls.emplace_back(location, delta);
        return true;
    }
    std::vector<std::pair<CGPoint, CGSize>> scrolls;
};

}  // namespace

TEST_F(InputDriverTest, AClickAtWindowPixelsTouchesAtHalfThosePointsWithItsClickCount) {
    ui.driver->mouseDown(UIMouseButton::Left, {300, 320}, 2);
    ui.driver->mouseMove({310, 320});
    ui.driver->mouseUp(UIMouseButton::Left, {310, 320});
    ui.driver->mouseMove({320, 320});  // no button down: nothing
    ASSERT_EQ(view->phases(), "bme");
    EXPECT_EQ(view->records[0].location, (CGPoint{50, 60}));
    EXPECT_EQ(view->records[0].tapCount, 2);
    EXPECT_EQ(view->records[2].location, (CGPoint{55, 60}));
}

TEST_F(InputDriverTest, ARightButtonHoldPeeksAtOnceAndReachesFullForceAfter08Seconds) {
    ui.advance(2);
    ui.driver->mouseDown(UIMouseButton::Right, {300, 300});
    ui.advance(0.79);
    ASSERT_EQ(view->phases(), "b");
    EXPECT_EQ(view->records[0].force, UIInputDriver::kPeekForce);
    EXPECT_LT(UIInputDriver::kPeekForce, UIInputDriver::kFullForce);
    ui.advance(0.01);
    ASSERT_EQ(view->phases(), "bm");
    EXPECT_EQ(view->records[1].force, UITouchMaximumPossibleForce);
    EXPECT_DOUBLE_EQ(view->records[1].timestamp, 2.8);
    ui.driver->mouseUp(UIMouseButton::Left, {300, 300});  // the other button: still pressing
    ui.driver->mouseUp(UIMouseButton::Right, {300, 300});
    EXPECT_EQ(view->phases(), "bme");

    ui.driver->mouseDown(UIMouseButton::Right, {300, 300});  // released early: never full
    ui.advance(0.5);
    ui.driver->mouseUp(UIMouseButton::Right, {300, 300});
    ui.advance(1);
    EXPECT_EQ(view->phases(), "bmebe");
}

TEST_F(InputDriverTest, CtrlDragTurnsTwoFingersAboutThePressPointAndCtrlWheelSpreadsThem) {
    auto fingerGap = [&](std::size_t first) {
        const CGPoint a = view->records[first].location, b = view->records[first + 1].location;
        return std::pair{std::hypot(a.x - b.x, a.y - b.y), std::atan2(a.y - b.y, a.x - b.x)};
    };
    ui.driver->mouseDown(UIMouseButton::Left, {350, 350}, 1, true);  // press at (75, 75) in the view
    ui.driver->mouseMove({470, 350});                                // 60 points sideways: one radian
    ui.driver->mouseUp(UIMouseButton::Left, {470, 350});
    ASSERT_EQ(view->phases(), "bbmmee");
    EXPECT_NEAR(fingerGap(0).second, 0, 1e-9);
    EXPECT_NEAR(fingerGap(2).second, 1, 1e-9);
    EXPECT_NEAR(fingerGap(2).first, fingerGap(0).first, 1e-9);
    const CGPoint mid{(view->records[2].location.x + view->records[3].location.x) / 2,
                      (view->records[2].location.y + view->records[3].location.y) / 2};
    EXPECT_NEAR(mid.x, 75, 1e-9);
    EXPECT_NEAR(mid.y, 75, 1e-9);

    view->records.clear();
    ui.driver->wheel({350, 350}, 0, 2, true);
    ASSERT_EQ(view->phases(), "bbmmee");
    EXPECT_NEAR(fingerGap(2).first / fingerGap(0).first, 1.21, 1e-9);
}

TEST_F(InputDriverTest, TheWheelScrollsTheNearestScrollingViewUnderThePointer) {
    auto scroller = std::make_shared<ScrollSink>(CGRectMake(0, 300, 200, 200));
    auto inner = std::make_shared<UIView>(CGRectMake(50, 50, 50, 50));
    ui.window->addSubview(scroller);
    scroller->addSubview(inner);
    ui.driver->wheel({120, 720}, 0, -3);  // (60, 360) points: on the inner view
    ui.driver->wheel({10, 10}, 0, 1);     // nothing scrolls there
    ASSERT_EQ(scroller->scrolls.size(), 1u);
    EXPECT_EQ(scroller->scrolls[0].first, (CGPoint{60, 60}));
    EXPECT_EQ(scroller->scrolls[0].second, (CGSize{0, -120})) << "40 points a notch";
}

TEST_F(InputDriverTest, KeysBecomeVolumePressesOrientationsAndShortcuts) {
    struct Delegate : UIApplicationDelegate {
        void application(UIApplication&, const UIApplicationShortcutItem& item, std::function<void(bool)>) override {
            chosen.push_back(item.type);
        }
        std::vector<std::string> chosen;
    } delegate;
    UIApplication& app = UIApplication::sharedApplication();
    app.setDelegate(&delegate);
    app.setShortcutItems({{"Low Light Photo", "Low Light"}, {"Enhance Photo", "Enhance"}});
    UIDevice::currentDevice().beginGeneratingDeviceOrientationNotifications();
    observe({AVSystemControllerSystemVolumeDidChangeNotification, UIDeviceOrientationDidChangeNotification});
    MPMusicPlayerController::applicationMusicPlayer().setVolume(1);
    NSRunLoop::mainRunLoop().runUntilIdle();
    posted.clear();

    for (const char* key : {"PageUp", "VolumeDown", "Left", "Ctrl+Left", "F2", "F3", "Escape"}) ui.key(key);
    NSRunLoop::mainRunLoop().runUntilIdle();  // volume changes are posted on the run loop, as the system's are
    EXPECT_EQ(names(posted), UIDeviceOrientationDidChangeNotification + " " +
                                 AVSystemControllerSystemVolumeDidChangeNotification + " " +
                                 AVSystemControllerSystemVolumeDidChangeNotification + " ");
    ASSERT_EQ(posted.size(), 3u);
    // Up at the top of the range cannot move the volume, and still counts as a press.
    EXPECT_EQ(std::any_cast<float>(posted[1].userInfo.at(AVSystemControllerAudioVolumeNotificationParameter)), 1.0f);
    EXPECT_EQ(std::any_cast<float>(posted[2].userInfo.at(AVSystemControllerAudioVolumeNotificationParameter)), 0.9375f);
    EXPECT_EQ(std::any_cast<std::string>(
                  posted[2].userInfo.at(AVSystemControllerAudioVolumeChangeReasonNotificationParameter)),
              "ExplicitVolumeChange");
    EXPECT_EQ(UIDevice::currentDevice().orientation(), UIDeviceOrientation::LandscapeLeft);
    EXPECT_EQ(delegate.chosen, (std::vector<std::string>{"Enhance Photo"}));

    UIDevice::currentDevice().endGeneratingDeviceOrientationNotifications();
    app.setDelegate(nullptr);
    app.setShortcutItems({});
}

TEST_F(InputDriverTest, KeyHandlersSeeKeysFirstNewestFirst) {
    std::string seen;
    const int older = UIInputDriver::addKeyHandler([&](const UIKeyPress& press) {
        seen += "older ";
        return press.code == UIKeyCode::Escape;
    });
    const int newer = UIInputDriver::addKeyHandler([&](const UIKeyPress& press) {
        seen += "newer ";
        return press == UIKeyPress{UIKeyCode::F1, true};
    });
    ui.key("Esc");
    ui.key("Ctrl+F1");
    UIInputDriver::removeKeyHandler(newer);
    ui.key("Escape");
    UIInputDriver::removeKeyHandler(older);
    EXPECT_EQ(seen, "newer older newer older ");
    for (const char* bad : {"", "Ctrl+", "Tab", "ctrl+Left", "F5"}) EXPECT_FALSE(UIKeyPress::named(bad)) << bad;
}

TEST_F(InputDriverTest, F12WritesAPngThatDecodesToTheScreen) {
    const auto folder = std::filesystem::temp_directory_path() / ("tavorin-shots-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    ui.driver->setScreenshotsFolder(folder.string());
    ui.key("F12");
    EXPECT_EQ(UINoticePresentation::shownText(), "Screenshot saved to " + (folder / "screenshot-1.png").string())
        << "where it went";
    ui.key("F12");
    EXPECT_EQ(ui.driver->lastScreenshotPath(), (folder / "screenshot-2.png").string()) << "never overwrites";
    EXPECT_EQ(UINoticePresentation::shownText(), "Screenshot saved to " + (folder / "screenshot-2.png").string());
    auto decoded = platform::DecodeImageFile((folder / "screenshot-1.png").string());
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->bitmap.width, 750u);
    EXPECT_EQ(decoded->bitmap.height, 1334u);
    auto pixel = [&](std::uint32_t x, std::uint32_t y) {
        const std::uint8_t* p = decoded->bitmap.pixel(x, y);
        return std::vector<int>{p[0], p[1], p[2], p[3]};
    };
    EXPECT_EQ(pixel(300, 300), (std::vector<int>{255, 0, 0, 255})) << "the red view";
    EXPECT_EQ(pixel(100, 100), (std::vector<int>{0, 0, 0, 255})) << "the black window";

    ui.driver->setScreenshotsFolder((folder / "missing").string());
    ui.key("F12");
    EXPECT_EQ(ui.driver->lastScreenshotPath(), "") << "a failed write names no file";
    UIAlertPresentation* shown = UIAlertPresentation::shown();
    ASSERT_NE(shown, nullptr) << "a failed write is said";
    EXPECT_EQ(shown->title, "Screenshot Not Saved");
    EXPECT_NE(shown->message.find((folder / "missing" / "screenshot-1.png").string()), std::string::npos)
        << shown->message;
    shown->dismissWithIndex(shown->cancelIndex());
    std::filesystem::remove_all(folder);
}

TEST_F(InputDriverTest, WindowEventsDriveTheLifeCycle) {
    UIApplication& app = UIApplication::sharedApplication();
    app.transitionToState(UIApplicationState::Active);
    observe({UIApplicationWillResignActiveNotification, UIApplicationDidEnterBackgroundNotification,
             UIApplicationWillEnterForegroundNotification, UIApplicationDidBecomeActiveNotification,
             UIApplicationWillTerminateNotification});
    ui.driver->focusChanged(false);
    ui.driver->focusChanged(false);
    ui.driver->minimised();
    ui.driver->restored();
    ui.driver->focusChanged(true);
    ui.driver->touchDown(1, {150, 150});
    ui.driver->closed();
    ui.driver->closed();
    EXPECT_EQ(names(posted),
              "UIApplicationWillResignActiveNotification UIApplicationDidEnterBackgroundNotification "
              "UIApplicationWillEnterForegroundNotification UIApplicationDidBecomeActiveNotification "
              "UIApplicationWillResignActiveNotification UIApplicationDidEnterBackgroundNotification "
              "UIApplicationWillTerminateNotification ");
    EXPECT_EQ(view->phases(), "bc") << "a touch down when the window closes is cancelled";
}

TEST_F(InputDriverTest, InputOnAWindowWhoseFocusWentElsewhereMakesTheApplicationActive) {
    // Without a window manager a click does not bring the focus back: the input itself says
    // that the window is in use. A minimised window stays in the background.
    UIApplication& app = UIApplication::sharedApplication();
    const std::vector<std::pair<const char*, std::function<void()>>> inputs = {
        {"a click",
         [&] {
             ui.driver->tap({150, 150});
         }},
        {"a press of the right button",
         [&] {
             ui.driver->forcePress({150, 150}, 0.1);
         }},
        {"the wheel",
         [&] {
             ui.driver->wheel({300, 300}, 0, 1);
         }},
        {"a key",
         [&] {
             ui.driver->key({UIKeyCode::Escape, false});
         }},
    };
    for (const auto& [what, input] : inputs) {
        SCOPED_TRACE(what);
        app.transitionToState(UIApplicationState::Active);
        ui.driver->focusChanged(false);
        ASSERT_EQ(app.applicationState(), UIApplicationState::Inactive);
        input();
        EXPECT_EQ(app.applicationState(), UIApplicationState::Active);
    }
    ui.driver->minimised();
    ui.driver->tap({150, 150});
    EXPECT_EQ(app.applicationState(), UIApplicationState::Background);
    app.transitionToState(UIApplicationState::Active);
}
