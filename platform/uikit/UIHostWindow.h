#pragma once
// The application's window on the Linux desktop: one SDL2 window showing the composed
// picture of a `UIWindow` at the device profile's pixels (750 x 1334 for the phone), scaled
// down to fit a smaller display, with its events mapped back to window pixels and handed to
// the input driver (UIInputDriver says what each becomes). SDL finger events are touches
// with the pressure as force.
//
// Whatever size the window manager gives the window, the picture keeps the device's shape:
// scaled to fit and centred, with black bars on the two other sides. Pointer and finger
// positions go back through the same fit; a press on a bar touches nothing, and a drag that
// leaves the picture stays on its edge.
//
// The loop (`run`) follows the real clock: each turn handles the window's events, runs what
// the main run loop has due, composes and shows the picture when something ran or an
// animation is under way, and then waits in SDL for the next event until the next timer
// (a display frame while animating). It ends when the window is closed.
//
// Long work on the main thread (a photo's full-resolution render) holds the loop; it calls
// `presentWhileBusy` between its steps, and the open window shows its picture as it is then,
// animations where their clock has them, so the busy logo keeps moving. On a device the
// compositor runs animations beside the application; here the main thread composes.
//
// Without SDL (headless: tests, scripts) the window composes on request through the driver;
// both show the same pixels.
#include <memory>
#include <optional>
#include <string>

#include "platform/imageio/ImageIO.h"
#include "platform/uikit/UIInputDriver.h"

class UIHostWindow {
public:
    // Opens the window for the driver's window; null, with the reason, when SDL has no
    // display (the headless mode then serves). One at a time.
    static std::unique_ptr<UIHostWindow> open(UIInputDriver& driver, const std::string& title, std::string* error);
    ~UIHostWindow();
    UIHostWindow(const UIHostWindow&) = delete;
    UIHostWindow& operator=(const UIHostWindow&) = delete;

    // Where the picture is shown in the SDL window, in its coordinates (those of its mouse
    // events): the window's size fitted to the picture's shape, centred.
    struct Placement {
        double x = 0, y = 0, width = 0, height = 0;
    };
    Placement placement() const;
    // The placement of a picture of `picture` pixels in an area of `area` (any unit).
    static Placement fit(double pictureWidth, double pictureHeight, double areaWidth, double areaHeight);
    // Shown size per picture pixel (1 when the window is at the device's pixels, less on a
    // smaller display, and whatever the window manager's size makes it).
    double displayScale() const;
    // The SDL window's identifier (events carry it).
    std::uint32_t windowID() const;

    // Hands the pending SDL events to the driver; true when any arrived.
    bool handleEvents();
    // Composes the window and shows the picture.
    void present();
    // Whether a window is open and a busy frame's interval has passed since it last showed a
    // picture: the caller may first set going what it has queued.
    static bool busyFrameDue();
    // Composes and shows the open window's picture when a busy frame is due and no view waits
    // to be laid out or drawn; events wait for the next turn and nothing of the loop runs.
    // Does nothing without an open window.
    static void presentWhileBusy();
    // One turn of the loop, waiting at most `maxWait` seconds at its end.
    void runTurn(double maxWait = 0.05);
    // How long a turn that shows an animation waits at its end, `spent` seconds after it
    // began: the rest of a refresh, so that frames follow each other a refresh apart however
    // much of it the turn took (none when it took all), and never more than `maxWait`.
    static double animationWait(double spent, double maxWait);
    // Turns until the window closes (the application terminates).
    void run();
    // What the window shows, read back from the renderer: straight RGBA at the shown size.
    std::optional<platform::ImageBitmap> readBack() const;

private:
    struct SDLState;
    UIHostWindow(UIInputDriver& driver, std::unique_ptr<SDLState> sdl);
    void handle(const void* event);

    UIInputDriver& driver_;
    std::unique_ptr<SDLState> sdl_;
    bool presented_ = false;
    double presentedAt_ = 0;  // steady seconds
};
