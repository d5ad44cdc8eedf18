// The program's figures as a person meets them, measured from outside: the built program with a
// returning user's profile and the simulated camera, started in a real window on a virtual X
// display (Xvfb) and clicked through the X server, or run headless on a script.
//
//   cmake --build build/release --target tavorin_app_figures
//   build/release/tools/measure/tavorin_app_figures window|headless
//
// One line a figure, its name and what was measured (several values where it was measured
// several times). `window`:
//   camera-shown S        from the program's start to the camera screen's live shutter
//   viewfinder F          camera frames the window shows a second (the simulated camera's test
//                         pattern numbers its frames in a stripe, so each frame shown differs)
//   tap MS...             from a focus tap's release to the first change at its focus square
//   shutter S...          from a click on the shutter to the photo's row in the library
//   controls F            camera frames shown a second with the editing controls out
// `headless`:
//   headless S...         the whole run of a script that waits 10 s on the camera screen: the
//                         manual clock's 10 s, every camera frame drawn, in so many real seconds
// Each part first runs the program once, so that the GL driver's shader cache is warm as on a
// person's machine. The window runs on the real clock and the headless run as fast as it can:
// on software GL every figure falls with the machine's load, so read them with the load average.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "PhoneScreen.h"
#include "TavorinProfile.h"
#include "XWindowDriver.h"
#include "support/VirtualDisplay.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace phone = acceptance::phone;

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// The live shutter's blue disc: most of its pixels clearly blue (greyed while the camera is busy
// or absent).
bool ShutterLive(acceptance::XWindowDriver& x) {
    const std::vector<std::uint32_t> disc = x.pixels({phone::kShutter.x - 15, phone::kShutter.y - 15, 30, 30});
    const auto blue =
        std::count_if(disc.begin(), disc.end(), [](std::uint32_t p) { return int(p & 0xff) - int(p >> 16) > 80; });
    return !disc.empty() && blue * 2 > static_cast<long>(disc.size());
}

// The test pattern's frame-number stripe as the camera screen shows it, its five lowest bits (the
// right end): every frame shown differs from the one shown before unless 32 frames in a row went
// unshown. It stays there with the editing controls out.
constexpr acceptance::Region kStripe{226, 442, 58, 22};

// Camera frames shown a second over `seconds`: the stripe read every 5 ms (several times a
// frame), each change one frame.
double FramesShown(acceptance::XWindowDriver& x, double seconds) {
    std::vector<std::uint32_t> last = x.pixels(kStripe);
    int frames = 0;
    const Clock::time_point start = Clock::now();
    while (SecondsSince(start) < seconds) {
        std::vector<std::uint32_t> now = x.pixels(kStripe);
        if (now != last) ++frames, last = std::move(now);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return frames / SecondsSince(start);
}

// Pixels of `now` more than 2 levels off `before` in some channel, as a share of the region.
double ShareChanged(const std::vector<std::uint32_t>& before, const std::vector<std::uint32_t>& now) {
    if (before.size() != now.size() || now.empty()) return 1;
    std::size_t changed = 0;
    for (std::size_t i = 0; i < now.size(); ++i)
        for (int shift : {0, 8, 16})
            if (std::abs(int((before[i] >> shift) & 0xff) - int((now[i] >> shift) & 0xff)) > 2) {
                ++changed;
                break;
            }
    return double(changed) / double(now.size());
}

// Polls every millisecond for up to `seconds` until `done`; the seconds it took, or -1.
template <typename Done>
double SecondsUntil(double seconds, Clock::time_point start, Done done) {
    while (!done()) {
        if (SecondsSince(start) > seconds) return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return SecondsSince(start);
}

void Say(const char* name, const std::vector<double>& values) {
    std::printf("%s", name);
    for (double v : values) std::printf(" %.3f", v);
    std::printf("\n");
    std::fflush(stdout);
}

int InTheWindow() {
    VirtualDisplay display;
    if (!display.ready()) {
        std::fprintf(stderr, "tavorin_app_figures: Xvfb did not start (apt-get install xvfb)\n");
        return 1;
    }
    acceptance::TavorinProfile profile("window-figures");
    profile.returningUser();
    profile.keepShaderCache();
    // A run before, as a person's machine has had one: the driver's shader cache filled.
    if (profile.runScript("wait 4\n").status != 0) {
        std::fprintf(stderr, "tavorin_app_figures: the program did not run headless\n");
        return 1;
    }
    const Clock::time_point started = Clock::now();
    const pid_t pid = profile.start({"--camera", "simulated"}, /*display=*/true);
    acceptance::TavorinProfile::Started program(profile, pid);
    acceptance::XWindowDriver x;
    if (!x.connected() || !x.waitForWindow("Tavorin", pid, 60)) {
        std::fprintf(stderr, "tavorin_app_figures: the program showed no window\n");
        return 1;
    }
    const double shown = SecondsUntil(120, started, [&] { return ShutterLive(x); });
    if (shown < 0) {
        std::fprintf(stderr, "tavorin_app_figures: the camera screen did not come\n");
        return 1;
    }
    Say("camera-shown", {shown});

    std::this_thread::sleep_for(std::chrono::seconds(2));
    Say("viewfinder", {FramesShown(x, 5)});

    // Focus taps, left and right in turn; the change looked for is the left edge of the square
    // the tap brings up around its point, wherever it is as the square shrinks from 92 points
    // wide to 61.
    std::vector<double> taps;
    for (int i = 0; i < 8; ++i) {
        const acceptance::Point at{i % 2 ? 255.0 : 120.0, 300};
        const acceptance::Region edge{at.x - 48, at.y - 46, 20, 92};
        // From a still picture there: the last tap's exposure may still be settling.
        std::vector<std::uint32_t> before = x.pixels(edge);
        for (Clock::time_point still = Clock::now(), giveUp = still + std::chrono::seconds(3);
             SecondsSince(still) < 0.3 && Clock::now() < giveUp;) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            std::vector<std::uint32_t> now = x.pixels(edge);
            if (ShareChanged(before, now) > 0) before = std::move(now), still = Clock::now();
        }
        x.tap(at.x, at.y);
        const Clock::time_point released = Clock::now();
        const double took = SecondsUntil(5, released, [&] { return ShareChanged(before, x.pixels(edge)) > 0.05; });
        if (took >= 0) taps.push_back(took * 1000);
        std::this_thread::sleep_for(std::chrono::milliseconds(2500));  // past the focus's wait
    }
    Say("tap", taps);

    std::vector<double> shutter;
    for (int i = 0; i < 3; ++i) {
        const std::size_t photos = profile.photos().size();
        x.tap(phone::kShutter.x, phone::kShutter.y);
        const Clock::time_point clicked = Clock::now();
        const double took = SecondsUntil(60, clicked, [&] { return profile.photos().size() > photos; });
        if (took >= 0) shutter.push_back(took);
        // The camera back, live, before the next.
        SecondsUntil(60, Clock::now(), [&] { return ShutterLive(x); });
        std::this_thread::sleep_for(std::chrono::seconds(2));
    }
    Say("shutter", shutter);

    x.tap(phone::kChevron.x, phone::kChevron.y);
    std::this_thread::sleep_for(std::chrono::seconds(3));
    Say("controls", {FramesShown(x, 5)});

    x.close();
    program.finish(60);
    return 0;
}

int OnTheScript() {
    acceptance::TavorinProfile profile("headless-figures");
    profile.returningUser();
    profile.keepShaderCache();
    // The first run fills the driver's shader cache, as a person's machine has it; the three
    // after it are timed.
    std::vector<double> runs;
    for (int i = -1; i < 3; ++i) {
        const Clock::time_point start = Clock::now();
        const acceptance::Outcome outcome = profile.runScript("wait 10\n");
        if (outcome.status != 0) {
            std::fprintf(stderr, "tavorin_app_figures: the headless run failed:\n%s", outcome.err.c_str());
            return 1;
        }
        if (i >= 0) runs.push_back(SecondsSince(start));
    }
    Say("headless", runs);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string part = argc == 2 ? argv[1] : "";
    if (part == "window") return InTheWindow();
    if (part == "headless") return OnTheScript();
    std::fprintf(stderr, "usage: tavorin_app_figures window|headless\n");
    return 2;
}
