// The application in its shown window on a virtual X display (Xvfb), on the real clock: a
// click pushed into the window's event queue over the shutter takes one photo.
#include <gtest/gtest.h>

#include <SDL.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/uikit/UIHostWindow.h"
#include "support/AppHarness.h"
#include "support/VirtualDisplay.h"

namespace {

TEST(AppWindow, APushedClickOnTheShutterTakesOnePhoto) {
    ::unsetenv("SDL_VIDEODRIVER");
    VirtualDisplay display;
    ASSERT_TRUE(display.ready()) << "Xvfb did not start";

    AppLaunch launch;
    launch.launch = false;
    AppHarness app(launch);
    NSRunLoop::mainRunLoop().useRealClock();
    app.launch();
    std::string error;
    auto shown = UIHostWindow::open(*app.driver, "Tavorin", &error);
    ASSERT_TRUE(shown) << error;
    for (int i = 0; i < 10; ++i) shown->runTurn(0.01);

    const CGFloat pixels = UIScreen::mainScreen().scale() * shown->displayScale();
    const CGPoint shutter = AppHarness::phoneShutter();
    for (Uint32 type : {SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP}) {
        SDL_Event event{};
        event.button.type = type;
        event.button.windowID = shown->windowID();
        event.button.button = SDL_BUTTON_LEFT;
        event.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
        event.button.clicks = 1;
        event.button.x = static_cast<int>(shutter.x * pixels);
        event.button.y = static_cast<int>(shutter.y * pixels);
        ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
    }
    // Until the photo is in and the shutter free again (the real clock: focus wait, capture,
    // indicator, render and save).
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    do {
        shown->runTurn(0.01);
        app.settle();
    } while ((app.photos().empty() || AmbrelViewController::shutterBusy()) &&
             std::chrono::steady_clock::now() < giveUp);
    EXPECT_EQ(app.photos().size(), 1u);
    EXPECT_FALSE(AmbrelViewController::shutterBusy());
    shown.reset();
}

}  // namespace
