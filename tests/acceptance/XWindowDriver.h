#pragma once
// A person's mouse and keyboard at the program's shown window on the X display: the window
// found by its title, clicks and keys made through the X server's test extension (so they come
// to the program as a real pointer's and keyboard's do), what the window shows read back from
// the server, and the window closed as a window manager closes it.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <sys/types.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "Screenshot.h"

namespace acceptance {

class XWindowDriver {
public:
    XWindowDriver() : display_(XOpenDisplay(nullptr)) {}
    ~XWindowDriver() {
        if (display_) XCloseDisplay(display_);
    }
    XWindowDriver(const XWindowDriver&) = delete;
    XWindowDriver& operator=(const XWindowDriver&) = delete;

    bool connected() const { return display_ != nullptr; }

    // Waits up to `seconds` for a shown window with the title, of the process `pid`; whether
    // it came.
    bool waitForWindow(const std::string& title, pid_t pid, double seconds) {
        return waitUntil(seconds, [&] {
            window_ = find(DefaultRootWindow(display_), title, pid);
            return window_ != 0;
        });
    }
    // The shown windows of the display with their titles and processes, for a failure's message.
    std::string windows() { return list(DefaultRootWindow(display_)); }
    // The window's pixels a point of the phone's screen.
    double scale() {
        XWindowAttributes a{};
        XGetWindowAttributes(display_, window_, &a);
        return a.width / kScreenWidth;
    }

    // A left click at the point of the screen (points).
    void tap(double x, double y) {
        moveTo(x, y);
        XTestFakeButtonEvent(display_, 1, True, CurrentTime);
        XFlush(display_);
        std::this_thread::sleep_for(std::chrono::milliseconds(80));
        XTestFakeButtonEvent(display_, 1, False, CurrentTime);
        XFlush(display_);
    }
    // A key pressed and let go, by its X name ("F12", "Escape").
    void key(const char* name) {
        const KeyCode code = XKeysymToKeycode(display_, XStringToKeysym(name));
        XTestFakeKeyEvent(display_, code, True, CurrentTime);
        XFlush(display_);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        XTestFakeKeyEvent(display_, code, False, CurrentTime);
        XFlush(display_);
    }

    // What the window shows now, as the X server holds it.
    Screenshot capture() {
        XWindowAttributes a{};
        XGetWindowAttributes(display_, window_, &a);
        XImage* image = XGetImage(display_, window_, 0, 0, a.width, a.height, AllPlanes, ZPixmap);
        auto bitmap = platform::ImageBitmap::make(a.width, a.height);
        if (!image || !bitmap) {
            if (image) XDestroyImage(image);
            return Screenshot(platform::ImageBitmap{}, 1);
        }
        for (int y = 0; y < a.height; ++y)
            for (int x = 0; x < a.width; ++x) {
                const unsigned long pixel = XGetPixel(image, x, y);
                std::uint8_t* p = bitmap->pixel(x, y);
                p[0] = channel(pixel, image->red_mask), p[1] = channel(pixel, image->green_mask);
                p[2] = channel(pixel, image->blue_mask), p[3] = 255;
            }
        XDestroyImage(image);
        return Screenshot(std::move(*bitmap), a.width / kScreenWidth);
    }

    // A region of what the window shows (points), each pixel as 0xRRGGBB: quick enough to be
    // read many times a second. Empty when the server gave nothing.
    std::vector<std::uint32_t> pixels(Region r) {
        const double s = scale();
        XImage* image =
            XGetImage(display_, window_, static_cast<int>(r.x * s), static_cast<int>(r.y * s),
                      static_cast<unsigned>(r.width * s), static_cast<unsigned>(r.height * s), AllPlanes, ZPixmap);
        std::vector<std::uint32_t> out;
        if (!image) return out;
        out.reserve(static_cast<std::size_t>(image->width) * static_cast<std::size_t>(image->height));
        for (int y = 0; y < image->height; ++y)
            for (int x = 0; x < image->width; ++x) {
                const unsigned long pixel = XGetPixel(image, x, y);
                out.push_back(std::uint32_t(channel(pixel, image->red_mask)) << 16 |
                              std::uint32_t(channel(pixel, image->green_mask)) << 8 | channel(pixel, image->blue_mask));
            }
        XDestroyImage(image);
        return out;
    }

    // Waits up to `seconds` until what the window shows stays the same for half a second
    // (nothing moving); whether it came to rest.
    bool waitUntilStill(double seconds) {
        Screenshot last = capture();
        return waitUntil(seconds, [&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(400));
            Screenshot now = capture();
            const bool still = now.meanDifference(last, now.whole()) == 0;
            last = std::move(now);
            return still;
        });
    }

    // The window manager's close: the window is asked to delete itself.
    void close() {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window_;
        event.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display_, window_, False, NoEventMask, &event);
        XFlush(display_);
    }

    // Polls the condition in real time for up to `seconds`; whether it came true, and the
    // seconds it took in `took`.
    static bool waitUntil(double seconds, const std::function<bool()>& done, double* took = nullptr) {
        const auto start = std::chrono::steady_clock::now();
        const auto giveUp = start + std::chrono::duration<double>(seconds);
        bool came = true;
        while (!done()) {
            if (std::chrono::steady_clock::now() > giveUp) {
                came = false;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        if (took) *took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        return came;
    }

private:
    void moveTo(double x, double y) {
        int rootX = 0, rootY = 0;
        Window child = 0;
        const double s = scale();
        XTranslateCoordinates(display_, window_, DefaultRootWindow(display_), static_cast<int>(x * s),
                              static_cast<int>(y * s), &rootX, &rootY, &child);
        XTestFakeMotionEvent(display_, DefaultScreen(display_), rootX, rootY, CurrentTime);
        XFlush(display_);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    static std::uint8_t channel(unsigned long pixel, unsigned long mask) {
        if (mask == 0) return 0;
        int shift = 0;
        while (!((mask >> shift) & 1)) ++shift;
        const unsigned long top = mask >> shift;
        return static_cast<std::uint8_t>(((pixel & mask) >> shift) * 255 / top);
    }
    // The window's title, or "".
    std::string title(Window w) {
        char* name = nullptr;
        std::string text;
        if (XFetchName(display_, w, &name) && name) text = name;
        if (name) XFree(name);
        return text;
    }
    // The process that says it owns the window (_NET_WM_PID), or 0.
    pid_t owner(Window w) {
        Atom type = 0;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        pid_t pid = 0;
        if (XGetWindowProperty(display_, w, XInternAtom(display_, "_NET_WM_PID", False), 0, 1, False, XA_CARDINAL,
                               &type, &format, &items, &after, &data) == Success &&
            data && items == 1 && format == 32)
            pid = static_cast<pid_t>(*reinterpret_cast<unsigned long*>(data));
        if (data) XFree(data);
        return pid;
    }
    bool viewable(Window w) {
        XWindowAttributes a{};
        return XGetWindowAttributes(display_, w, &a) && a.map_state == IsViewable;
    }
    std::vector<Window> children(Window parent) {
        Window root = 0, up = 0, *list = nullptr;
        unsigned int count = 0;
        std::vector<Window> out;
        if (XQueryTree(display_, parent, &root, &up, &list, &count) && list) out.assign(list, list + count);
        if (list) XFree(list);
        return out;
    }
    // A viewable window with the title and owner under `parent`, searched depth first.
    Window find(Window parent, const std::string& name, pid_t pid) {
        for (Window w : children(parent)) {
            if (title(w) == name && owner(w) == pid && viewable(w)) return w;
            if (const Window below = find(w, name, pid)) return below;
        }
        return 0;
    }
    std::string list(Window parent) {
        std::string out;
        for (Window w : children(parent)) {
            if (viewable(w) && !title(w).empty())
                out += "\"" + title(w) + "\" of process " + std::to_string(owner(w)) + "; ";
            out += list(w);
        }
        return out;
    }

    Display* display_ = nullptr;
    Window window_ = 0;
};

}  // namespace acceptance
