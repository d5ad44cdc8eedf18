// The shown window under SDL's offscreen driver (no display needed): it shows the pixels the
// headless window composes, its clicks tap the buttons at the window pixels they fall on, a
// window the window manager resizes keeps the picture's shape and maps its clicks through it,
// its keys and window events reach the driver, the loop composes after work ran, an animation's
// frames follow a refresh apart, long work on the main thread still shows the animations'
// motion, and closing it ends the loop.
#include <gtest/gtest.h>

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>

#include "platform/mediaplayer/MPMusicPlayerController.h"
#include "platform/quartzcore/CADisplayLink.h"
#include "platform/uikit/UIHostWindow.h"
#include "support/TouchHarness.h"
#include "support/TouchRecorder.h"

namespace {

class HostWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("SDL_VIDEODRIVER", "offscreen", 1);
        std::string error;
        host = UIHostWindow::open(*ui.driver, "Tavorin test", &error);
        ASSERT_TRUE(host) << error;
        red = std::make_shared<TouchRecorder>(CGRectMake(50, 100, 150, 200));
        red->setBackgroundColor(UIColor::colorWithRed(1, 0, 0, 1));
        ui.window->addSubview(red);
    }
    // Where a point of the picture shows in the SDL window.
    CGPoint shownAt(CGPoint point) const {
        const UIHostWindow::Placement p = host->placement();
        const double k = UIScreen::mainScreen().scale() * host->displayScale();
        return {p.x + point.x * k, p.y + point.y * k};
    }
    // Mean colour of a rectangle of the SDL window, as shown (read back at the display's size).
    CGColor shownInWindow(CGRect rect) {
        auto bitmap = host->readBack();
        EXPECT_TRUE(bitmap);
        if (!bitmap) return {};
        double sum[4] = {0, 0, 0, 0}, n = 0;
        for (auto y = std::uint32_t(rect.origin.y); y < std::uint32_t(CGRectGetMaxY(rect)); ++y)
            for (auto x = std::uint32_t(rect.origin.x); x < std::uint32_t(CGRectGetMaxX(rect)); ++x) {
                for (int i = 0; i < 4; ++i) sum[i] += bitmap->pixel(x, y)[i] / 255.0;
                n += 1;
            }
        return {sum[0] / n, sum[1] / n, sum[2] / n, sum[3] / n};
    }
    // The same for a rectangle given in window points.
    CGColor shown(CGRect points) {
        const CGPoint from = shownAt(points.origin), to = shownAt({CGRectGetMaxX(points), CGRectGetMaxY(points)});
        return shownInWindow(CGRectMake(from.x, from.y, to.x - from.x, to.y - from.y));
    }
    void pushAt(Uint32 type, CGPoint inWindow) {
        SDL_Event e{};
        e.type = type;
        e.button.windowID = host->windowID();
        e.button.button = SDL_BUTTON_LEFT;
        e.button.clicks = 1;
        e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
        e.button.x = static_cast<Sint32>(std::lround(inWindow.x));
        e.button.y = static_cast<Sint32>(std::lround(inWindow.y));
        SDL_PushEvent(&e);
    }
    void push(Uint32 type, CGPoint windowPixel) {
        const double scale = UIScreen::mainScreen().scale();
        pushAt(type, shownAt({windowPixel.x / scale, windowPixel.y / scale}));
    }

    TouchHarness ui;
    std::unique_ptr<UIHostWindow> host;
    std::shared_ptr<TouchRecorder> red;
};

}  // namespace

TEST_F(HostWindowTest, ShownAndHeadlessWindowsComposeTheSamePixels) {
    auto green = std::make_shared<UIView>(CGRectMake(200, 400, 100, 100));
    green->setBackgroundColor(UIColor::colorWithRed(0, 0.5, 0, 0.5));  // blended over the black window
    ui.window->addSubview(green);
    host->present();
    for (CGRect region : {CGRectMake(60, 110, 130, 180), CGRectMake(210, 410, 80, 80), CGRectMake(10, 600, 300, 50),
                          CGRectMake(40, 90, 170, 220)}) {
        const CGColor headless = ui.meanColor(region);
        expectColor(shown(region), {headless.r * headless.a, headless.g * headless.a, headless.b * headless.a, 1},
                    "region at " + std::to_string(region.origin.x) + "," + std::to_string(region.origin.y), 0.02);
    }
}

TEST_F(HostWindowTest, APushedClickAtWindowPixelsTapsTheButtonAtHalfThosePoints) {
    // A small button about (100, 200) points: only the click's own place, mapped back from the
    // shown window's scale and divided by the screen's, falls on it.
    auto button = addButton(*ui.window, CGRectMake(96, 196, 8, 8));
    std::vector<UIControlEvents> events;
    recordControlEvents(*button, {UIControlEventTouchDown, UIControlEventTouchUpInside}, events);
    push(SDL_MOUSEBUTTONDOWN, {200, 400});
    push(SDL_MOUSEBUTTONUP, {200, 400});
    EXPECT_TRUE(host->handleEvents());
    EXPECT_EQ(events, (std::vector<UIControlEvents>{UIControlEventTouchDown, UIControlEventTouchUpInside}));
    EXPECT_EQ(red->phases(), "");
}

TEST_F(HostWindowTest, AResizedWindowKeepsThePicturesShapeAndItsClicksLandWhereTheyShow) {
    auto button = addButton(*ui.window, CGRectMake(96, 196, 8, 8));
    std::vector<UIControlEvents> events;
    recordControlEvents(*button, {UIControlEventTouchUpInside}, events);
    struct Case {
        int width, height;
        const char* what;
    } cases[] = {{1000, 600, "wider than the device: bars left and right"}, {300, 900, "taller: bars above and below"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // As a window manager would: the window gets another size.
        SDL_SetWindowSize(SDL_GetWindowFromID(host->windowID()), c.width, c.height);
        host->handleEvents();
        host->present();
        const UIHostWindow::Placement p = host->placement();
        EXPECT_NEAR(p.width / p.height, 375.0 / 667, 0.005) << "the device's shape";
        EXPECT_NEAR(std::max(p.width / c.width, p.height / c.height), 1, 1e-9) << "as large as the window allows";
        expectColor(shown(CGRectMake(60, 110, 130, 180)), {1, 0, 0, 1}, "the red view where the fit puts it");
        const bool wide = c.width > p.width;
        const CGRect bar = wide ? CGRectMake(0, 0, p.x - 1, c.height) : CGRectMake(0, 0, c.width, p.y - 1);
        expectColor(shownInWindow(bar), {0, 0, 0, 1}, "a bar");

        // A click where the button shows taps it; a press on a bar, beside or above the red
        // view, touches nothing.
        events.clear();
        push(SDL_MOUSEBUTTONDOWN, {200, 400});
        push(SDL_MOUSEBUTTONUP, {200, 400});
        const CGPoint redShown = shownAt({100, 200});
        const CGPoint onBar = wide ? CGPoint{CGRectGetMidX(bar), redShown.y} : CGPoint{redShown.x, CGRectGetMidY(bar)};
        pushAt(SDL_MOUSEBUTTONDOWN, onBar);
        pushAt(SDL_MOUSEBUTTONUP, onBar);
        host->handleEvents();
        EXPECT_EQ(events, std::vector<UIControlEvents>{UIControlEventTouchUpInside});
        EXPECT_EQ(red->phases(), "");
    }
}

TEST_F(HostWindowTest, FingerPressureIsForceOnlyOnScreensThatMeasureIt) {
    // The red view spans window points (50, 100)–(200, 300) of the 375 × 667 window.
    auto finger = [&](Uint32 type, SDL_FingerID id, float pressure) {
        SDL_Event e{};
        e.type = type;
        e.tfinger.fingerId = id;
        e.tfinger.x = 100.0f / 375;
        e.tfinger.y = 200.0f / 667;
        e.tfinger.pressure = pressure;
        SDL_PushEvent(&e);
    };
    // A screen that reports full pressure for every touch measures none: no firm presses.
    finger(SDL_FINGERDOWN, 1, 1.0f);
    finger(SDL_FINGERMOTION, 1, 1.0f);
    finger(SDL_FINGERUP, 1, 1.0f);
    // One that measures it starts light and presses harder.
    finger(SDL_FINGERDOWN, 2, 0.3f);
    finger(SDL_FINGERMOTION, 2, 0.9f);
    finger(SDL_FINGERUP, 2, 0.9f);
    EXPECT_TRUE(host->handleEvents());
    ASSERT_EQ(red->phases(), "bmebme");
    EXPECT_EQ(red->records[0].force, 0);
    EXPECT_EQ(red->records[1].force, 0);
    EXPECT_NEAR(red->records[3].force, 0.3 * UITouchMaximumPossibleForce, 1e-5);
    EXPECT_NEAR(red->records[4].force, 0.9 * UITouchMaximumPossibleForce, 1e-5);
}

TEST_F(HostWindowTest, KeysAndWindowEventsReachTheDriver) {
    std::vector<NSNotificationName> posted;
    for (const NSNotificationName& name :
         {AVSystemControllerSystemVolumeDidChangeNotification, UIDeviceOrientationDidChangeNotification,
          UIApplicationWillResignActiveNotification, UIApplicationDidEnterBackgroundNotification})
        NSNotificationCenter::defaultCenter().addObserver(this, name,
                                                          [&](const NSNotification& n) { posted.push_back(n.name); });
    // The program has the media player, which keeps the system volume the volume keys move.
    MPMusicPlayerController::applicationMusicPlayer();
    std::vector<UIKeyPress> unhandled;
    const int handler = UIInputDriver::addKeyHandler([&](const UIKeyPress& press) {
        if (press.code == UIKeyCode::Escape || press.code == UIKeyCode::Left) unhandled.push_back(press);
        return press.code == UIKeyCode::Escape;
    });
    UIDevice::currentDevice().beginGeneratingDeviceOrientationNotifications();
    UIApplication::sharedApplication().transitionToState(UIApplicationState::Active);
    for (auto [key, mod] : {std::pair{SDLK_PAGEUP, KMOD_NONE}, std::pair{SDLK_LEFT, KMOD_LCTRL},
                            std::pair{SDLK_ESCAPE, KMOD_NONE}, std::pair{SDLK_a, KMOD_NONE}}) {
        SDL_Event e{};
        e.type = SDL_KEYDOWN;
        e.key.windowID = host->windowID();
        e.key.keysym.sym = key;
        e.key.keysym.mod = static_cast<Uint16>(mod);
        SDL_PushEvent(&e);
    }
    for (Uint8 event : {SDL_WINDOWEVENT_FOCUS_LOST, SDL_WINDOWEVENT_MINIMIZED}) {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.windowID = host->windowID();
        e.window.event = event;
        SDL_PushEvent(&e);
    }
    host->handleEvents();
    NSRunLoop::mainRunLoop().runUntilIdle();  // volume changes are posted on the run loop, as the system's are
    UIInputDriver::removeKeyHandler(handler);
    UIDevice::currentDevice().endGeneratingDeviceOrientationNotifications();
    NSNotificationCenter::defaultCenter().removeObserver(this);
    EXPECT_EQ(posted,
              (std::vector<NSNotificationName>{
                  UIDeviceOrientationDidChangeNotification, UIApplicationWillResignActiveNotification,
                  UIApplicationDidEnterBackgroundNotification, AVSystemControllerSystemVolumeDidChangeNotification}));
    EXPECT_EQ(unhandled, (std::vector<UIKeyPress>{{UIKeyCode::Left, true}, {UIKeyCode::Escape, false}}));
}

// A display link whose frames take longer than a refresh is due again as soon as one ends:
// each frame is shown before the next is drawn, not drawn over unseen.
TEST_F(HostWindowTest, ASlowDisplayLinksFrameIsShownBeforeTheNextIsDrawn) {
    NSRunLoop::mainRunLoop().useRealClock();
    int frames = 0;
    auto link = CADisplayLink::displayLinkWithTarget([&](CADisplayLink&) {
        ++frames;
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
        red->setBackgroundColor(frames % 2 ? UIColor::colorWithRed(0, 0, 1, 1) : UIColor::colorWithRed(0, 1, 0, 1));
    });
    link->addToRunLoop(NSRunLoop::mainRunLoop(), NSDefaultRunLoopMode);
    // A turn waits for the first refresh, so the frames start a turn late.
    for (int turn = 0, before = 0; turn < 6; ++turn, before = frames) {
        host->runTurn(0.1);
        EXPECT_LE(frames - before, 1) << "turn " << turn;
        if (frames > 0)
            expectColor(shown(CGRectMake(60, 110, 130, 180)), frames % 2 ? CGColor{0, 0, 1, 1} : CGColor{0, 1, 0, 1},
                        "frame " + std::to_string(frames));
    }
    EXPECT_GE(frames, 4);
    link->invalidate();
    NSRunLoop::mainRunLoop().useManualClock(0);
}

TEST(HostWindowPacing, AnAnimationsFramesFollowARefreshApartHoweverLongComposingTakes) {
    struct Case {
        double spent, maxWait, wait;
    };
    for (const Case& c :
         {Case{0, 0.05, 1 / 60.0}, Case{0.010, 0.05, 1 / 60.0 - 0.010}, Case{0.016, 0.05, 1 / 60.0 - 0.016},
          Case{0.025, 0.05, 0}, Case{0.004, 0.005, 0.005}, Case{0.004, 0, 0}})
        EXPECT_NEAR(UIHostWindow::animationWait(c.spent, c.maxWait), c.wait, 1e-12) << c.spent << " " << c.maxWait;
}

// Work that holds the main thread (a photo's render) calls for busy frames between its steps:
// the window then shows an animation where its clock has it, not where the last turn left it;
// calls closer together than a busy frame, or while a view waits to be laid out, compose
// nothing.
TEST_F(HostWindowTest, LongWorkOnTheMainThreadStillShowsTheAnimationsMotion) {
    NSRunLoop::mainRunLoop().useRealClock();
    host->runTurn(0);
    const CGRect inside = CGRectMake(60, 110, 130, 180);
    expectColor(shown(inside), {1, 0, 0, 1}, "red before the animation");
    // Long enough that a loaded machine (the whole suite under the sanitizers) cannot finish it
    // before the busy work has ended.
    UIView::animateWithDuration(3, [&] { red->setAlpha(0); });
    host->runTurn(0);

    // Busy for 0.9 s without a turn of the loop.
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(900)) {
        UIHostWindow::presentWhileBusy();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    const CGColor halfway = shown(inside), behind = shown(CGRectMake(260, 110, 40, 40));
    auto apart = [](CGColor a, CGColor b) {
        return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
    };
    EXPECT_GT(apart(halfway, {1, 0, 0, 1}), 0.15) << "the fade is shown moving while the main thread is busy";
    EXPECT_GT(apart(halfway, behind), 0.15) << "not yet faded out";

    // A call right after a frame composes nothing new.
    red->layer()->removeAllAnimations();
    red->setAlpha(1);
    const auto shownAt = std::chrono::steady_clock::now();
    host->present();
    red->setBackgroundColor(UIColor::colorWithRed(0, 0, 1, 1));
    UIHostWindow::presentWhileBusy();
    if (std::chrono::steady_clock::now() - shownAt < std::chrono::milliseconds(40))
        expectColor(shown(inside), {1, 0, 0, 1}, "no second frame within a busy frame's interval");

    // Nor while a view waits to be laid out: its code would run in the middle of the work.
    host->present();
    const CGColor before = shown(inside);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    red->setBackgroundColor(UIColor::colorWithRed(0, 1, 0, 1));
    red->setNeedsLayout();
    UIHostWindow::presentWhileBusy();
    expectColor(shown(inside), before, "a tree with a layout due is not composed");
    host->runTurn(0);
    expectColor(shown(inside), {0, 1, 0, 1}, "shown at the next turn");
    NSRunLoop::mainRunLoop().useManualClock(0);
}

TEST_F(HostWindowTest, TheLoopComposesAfterWorkRanAndEndsWhenTheWindowCloses) {
    NSRunLoop::mainRunLoop().useRealClock();
    host->runTurn(0);
    expectColor(shown(CGRectMake(60, 110, 130, 180)), {1, 0, 0, 1}, "first turn shows the window");
    NSRunLoop::mainRunLoop().performBlock([&] { red->setBackgroundColor(UIColor::colorWithRed(0, 0, 1, 1)); });
    host->runTurn(0);
    expectColor(shown(CGRectMake(60, 110, 130, 180)), {0, 0, 1, 1}, "the change is shown");

    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = host->windowID();
    e.window.event = SDL_WINDOWEVENT_CLOSE;
    SDL_PushEvent(&e);
    host->run();  // returns: the application terminates
    EXPECT_TRUE(UIApplication::sharedApplication().isTerminating());
    NSRunLoop::mainRunLoop().useManualClock(0);
}
