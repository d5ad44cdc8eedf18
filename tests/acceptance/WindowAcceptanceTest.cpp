// The built program in a real window on a virtual X display (Xvfb), on the real clock, used
// with the X server's pointer and keyboard as a person uses it: a click on the shutter takes a
// photo, a click on the album button shows the grid, F12 keeps a screenshot of what the window
// shows, and closing the window ends the program. Judged by what the X server shows of the
// window, the screenshot file and the library's rows.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "PhoneScreen.h"
#include "Screenshot.h"
#include "Sentence.h"
#include "TavorinProfile.h"
#include "XWindowDriver.h"
#include "support/VirtualDisplay.h"

namespace acceptance {
namespace {

namespace fs = std::filesystem;

TEST(Window, ClicksTakeAPhotoAndOpenTheAlbumF12KeepsWhatTheWindowShowsAndClosingEndsTheProgram) {
    VirtualDisplay display;
    ASSERT_TRUE(display.ready()) << "Xvfb did not start";
    TavorinProfile profile("window");
    profile.returningUser();
    const fs::path photo =
        profile.scaledPhotograph("/usr/share/backgrounds/picosdeeuropa_by_Aitzol_Berasategi.jpg", 512);
    ASSERT_EQ(profile.import({photo}).status, 0);

    // The camera looks at a sunset.
    const fs::path seen = profile.scaledPhotograph("/usr/share/backgrounds/sunset_by_Aitzol_Berasategi.jpg", 640);
    const pid_t pid = profile.start({"--camera", TavorinProfile::CameraSeeing(seen)}, /*display=*/true);
    TavorinProfile::Started program(profile, pid);
    XWindowDriver x;
    ASSERT_TRUE(x.connected());
    const bool shown = x.waitForWindow("Tavorin", pid, 60);
    if (!shown) std::printf("the display shows: %s\n", x.windows().c_str());
    ASSERT_SENTENCE(shown, "the program shows its window, titled Tavorin");
    // The camera screen once the splash has gone: the live shutter's blue disc.
    const Region disc{phone::kShutter.x - 15, phone::kShutter.y - 15, 30, 30};
    double took = 0;
    const bool cameraShown = XWindowDriver::waitUntil(
        300, [&] { return x.capture().meanSaturation(disc) > 0.5; }, &took);
    if (!cameraShown) {
        x.capture().write(profile.folder() / "window.png");
        std::printf("the display shows: %s\n", x.windows().c_str());
    }
    ASSERT_SENTENCE(cameraShown, Said("the window shows the camera screen with its shutter (after ", took, " s)"));

    x.tap(phone::kShutter.x, phone::kShutter.y);
    const bool taken = XWindowDriver::waitUntil(
        120, [&] { return profile.photos().size() == 2u; }, &took);
    EXPECT_SENTENCE(taken, Said("a click on the shutter put a photo into the library (it holds ",
                                profile.photos().size(), " after ", took, " s)"));

    // The album: the grid of both photos, the newest first. Until the busy logo has gone the
    // application takes no touch, and on a loaded machine the window may look at rest before
    // it has: as a person would, the test clicks again when a click was not taken.
    const bool idle =
        XWindowDriver::waitUntil(60, [&] { return x.capture().meanSaturation(disc) > 0.5; }) && x.waitUntilStill(60);
    EXPECT_TRUE(idle) << "the shutter came back and the busy logo went";
    int clicks = 0;
    auto clicked = std::chrono::steady_clock::now();
    x.tap(phone::kAlbumButton.x, phone::kAlbumButton.y);
    ++clicks;
    const bool grid = XWindowDriver::waitUntil(60, [&] {
        const Screenshot shown = x.capture();
        if (shown.brightnessSpread(phone::GridCellRegion(0)) > 0.05 &&
            shown.brightnessSpread(phone::GridCellRegion(1)) > 0.05 &&
            shown.brightnessSpread(phone::GridCellRegion(2)) < 0.02)
            return true;
        // Still the camera (its blue shutter) well after the click: the click was not taken.
        if (std::chrono::steady_clock::now() - clicked > std::chrono::seconds(5) && shown.meanSaturation(disc) > 0.5) {
            x.tap(phone::kAlbumButton.x, phone::kAlbumButton.y);
            ++clicks;
            clicked = std::chrono::steady_clock::now();
        }
        return false;
    });
    if (clicks > 1) std::printf("the album button took %d clicks\n", clicks);
    if (!grid) x.capture().write(profile.folder() / "window.png");
    EXPECT_SENTENCE(grid, "a click on the album button shows the grid with the two photos");

    // What the window shows when F12 is pressed (a notice may follow over it, naming the file).
    EXPECT_TRUE(x.waitUntilStill(20)) << "the grid came to rest";
    const Screenshot window = x.capture();
    x.key("F12");
    const fs::path kept = profile.folder() / "screenshot-1.png";
    const bool written = XWindowDriver::waitUntil(30, [&] { return fs::exists(kept) && fs::file_size(kept) > 0; });
    ASSERT_SENTENCE(written, "F12 wrote screenshot-1.png into the program's folder");
    const Screenshot file(kept);
    const double apart = file.meanDifference(window, window.whole());
    EXPECT_SENTENCE(apart < 0.02, Said("the screenshot holds what the window shows (", apart, " apart)"));

    x.close();
    const Outcome end = program.finish(60);
    EXPECT_SENTENCE(end.status == 0, Said("closing the window ends the program with status ", end.status));
    if (end.status != 0) std::printf("%s", end.err.c_str());
}

}  // namespace
}  // namespace acceptance
