#include "platform/uikit/UIHostWindow.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>

#include "platform/quartzcore/CADisplayLink.h"
#include "platform/quartzcore/CATransaction.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIScreen.h"

namespace {

constexpr double kFrameInterval = 1.0 / 60;
constexpr int kFirstScreenFinger = 100;
constexpr int kPassesPerTurn = 16;  // below are the mouse's fingers
// Often enough for the busy logo's motion to look smooth, seldom enough that composing costs
// the work it interrupts a few per cent.
constexpr double kBusyFrameInterval = 1.0 / 20;

// The one open window (`open` allows one at a time).
UIHostWindow* gOpenWindow = nullptr;

double steadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

bool animates(const CALayer& layer) {
    if (!layer.animationKeys().empty()) return true;
    return std::any_of(layer.sublayers().begin(), layer.sublayers().end(),
                       [](const auto& sublayer) { return animates(*sublayer); });
}

std::optional<UIKeyCode> keyCodeOf(SDL_Keycode key) {
    switch (key) {
    case SDLK_ESCAPE: return UIKeyCode::Escape;
    case SDLK_PAGEUP: return UIKeyCode::PageUp;
    case SDLK_PAGEDOWN: return UIKeyCode::PageDown;
    case SDLK_VOLUMEUP: return UIKeyCode::VolumeUp;
    case SDLK_VOLUMEDOWN: return UIKeyCode::VolumeDown;
    case SDLK_LEFT: return UIKeyCode::Left;
    case SDLK_RIGHT: return UIKeyCode::Right;
    case SDLK_UP: return UIKeyCode::Up;
    case SDLK_DOWN: return UIKeyCode::Down;
    case SDLK_F1: return UIKeyCode::F1;
    case SDLK_F2: return UIKeyCode::F2;
    case SDLK_F3: return UIKeyCode::F3;
    case SDLK_F4: return UIKeyCode::F4;
    case SDLK_F12: return UIKeyCode::F12;
    case SDLK_RETURN: return UIKeyCode::Return;
    case SDLK_BACKSPACE: return UIKeyCode::Backspace;
    default: return std::nullopt;
    }
}

}  // namespace

struct UIHostWindow::SDLState {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    int pixelWidth = 0, pixelHeight = 0;
    std::map<SDL_FingerID, int> fingers;
    // Fingers whose screen reports pressure: many screens report a constant full pressure,
    // which would make every touch a firm press.
    std::set<SDL_FingerID> pressureFingers;
    int nextFinger = kFirstScreenFinger;

    ~SDLState() {
        if (texture) SDL_DestroyTexture(texture);
        if (renderer) SDL_DestroyRenderer(renderer);
        if (window) SDL_DestroyWindow(window);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
};

std::unique_ptr<UIHostWindow> UIHostWindow::open(UIInputDriver& driver, const std::string& title, std::string* error) {
    auto fail = [&](const std::string& what) {
        if (error) *error = what + ": " + SDL_GetError();
        return nullptr;
    };
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return fail("no display for the window");
    // Without a display SDL falls back to a driver that shows nothing; only one asked for by
    // name (the window's own tests) is taken.
    const std::string driverName = SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "";
    const char* requested = std::getenv("SDL_VIDEODRIVER");
    if ((driverName == "offscreen" || driverName == "dummy") && (!requested || driverName != requested)) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        if (error) *error = "no display for the window";
        return nullptr;
    }
    auto sdl = std::make_unique<SDLState>();
    const CGRect native = UIScreen::mainScreen().nativeBounds();
    const CGRect points = driver.window().bounds();
    const CGFloat scale = UIScreen::mainScreen().scale();
    sdl->pixelWidth = static_cast<int>(std::lround(points.size.width * scale));
    sdl->pixelHeight = static_cast<int>(std::lround(points.size.height * scale));
    if (sdl->pixelWidth <= 0 || sdl->pixelHeight <= 0) {
        sdl->pixelWidth = static_cast<int>(native.size.width);
        sdl->pixelHeight = static_cast<int>(native.size.height);
    }
    double factor = 1;
    SDL_Rect usable;
    if (SDL_GetDisplayUsableBounds(0, &usable) == 0 && usable.w > 0 && usable.h > 0)
        factor = std::min({1.0, double(usable.w) / sdl->pixelWidth, double(usable.h) / sdl->pixelHeight});
    const int width = std::max(1, static_cast<int>(std::lround(sdl->pixelWidth * factor)));
    const int height = std::max(1, static_cast<int>(std::lround(sdl->pixelHeight * factor)));
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
    // The picture is drawn in software; the window surface needs no GL (nor its driver loaded).
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    sdl->window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height, 0);
    if (!sdl->window) return fail("cannot open the window");
    sdl->renderer = SDL_CreateRenderer(sdl->window, -1, SDL_RENDERER_SOFTWARE);
    if (!sdl->renderer) return fail("cannot draw into the window");
    // Without alpha, as the window's own surface is: the picture is copied, not blended.
    sdl->texture = SDL_CreateTexture(sdl->renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                     sdl->pixelWidth, sdl->pixelHeight);
    if (!sdl->texture) return fail("cannot hold the window's picture");
    SDL_SetTextureBlendMode(sdl->texture, SDL_BLENDMODE_NONE);
    return std::unique_ptr<UIHostWindow>(new UIHostWindow(driver, std::move(sdl)));
}

UIHostWindow::UIHostWindow(UIInputDriver& driver, std::unique_ptr<SDLState> sdl)
    : driver_(driver), sdl_(std::move(sdl)) {
    gOpenWindow = this;
}

UIHostWindow::~UIHostWindow() {
    if (gOpenWindow == this) gOpenWindow = nullptr;
}

std::uint32_t UIHostWindow::windowID() const { return SDL_GetWindowID(sdl_->window); }

// ---- Placement -----------------------------------------------------------------------------

UIHostWindow::Placement UIHostWindow::fit(double pictureWidth, double pictureHeight, double areaWidth,
                                          double areaHeight) {
    if (!(pictureWidth > 0 && pictureHeight > 0 && areaWidth > 0 && areaHeight > 0)) return {};
    const double scale = std::min(areaWidth / pictureWidth, areaHeight / pictureHeight);
    const double width = pictureWidth * scale, height = pictureHeight * scale;
    return {(areaWidth - width) / 2, (areaHeight - height) / 2, width, height};
}

UIHostWindow::Placement UIHostWindow::placement() const {
    int width = 0, height = 0;
    SDL_GetWindowSize(sdl_->window, &width, &height);
    return fit(sdl_->pixelWidth, sdl_->pixelHeight, width, height);
}

double UIHostWindow::displayScale() const { return placement().width / sdl_->pixelWidth; }

// ---- Events --------------------------------------------------------------------------------

bool UIHostWindow::handleEvents() {
    SDL_Event event;
    bool any = false;
    while (SDL_PollEvent(&event)) {
        handle(&event);
        any = true;
    }
    return any;
}

void UIHostWindow::handle(const void* raw) {
    const SDL_Event& e = *static_cast<const SDL_Event*>(raw);
    // Window positions back to picture pixels through the picture's placement: a press must
    // fall on the picture, later positions of the same press are held to its edges.
    const Placement shown = placement();
    auto onPicture = [&](double x, double y) {
        return x >= shown.x && x < shown.x + shown.width && y >= shown.y && y < shown.y + shown.height;
    };
    auto pixel = [&](double x, double y) {
        if (!(shown.width > 0 && shown.height > 0)) return CGPoint{0, 0};
        x = std::clamp(x, shown.x, shown.x + shown.width);
        y = std::clamp(y, shown.y, shown.y + shown.height);
        return CGPoint{(x - shown.x) * sdl_->pixelWidth / shown.width,
                       (y - shown.y) * sdl_->pixelHeight / shown.height};
    };
    const bool control = (SDL_GetModState() & KMOD_CTRL) != 0;
    switch (e.type) {
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        if (e.button.which == SDL_TOUCH_MOUSEID) break;  // a touch screen's copy: the finger events serve
        if (e.button.button != SDL_BUTTON_LEFT && e.button.button != SDL_BUTTON_RIGHT) break;
        const auto button = e.button.button == SDL_BUTTON_LEFT ? UIMouseButton::Left : UIMouseButton::Right;
        if (e.type == SDL_MOUSEBUTTONDOWN) {
            if (onPicture(e.button.x, e.button.y))
                driver_.mouseDown(button, pixel(e.button.x, e.button.y), e.button.clicks, control);
        } else {
            driver_.mouseUp(button, pixel(e.button.x, e.button.y));
        }
        break;
    }
    case SDL_MOUSEMOTION:
        if (e.motion.which != SDL_TOUCH_MOUSEID) driver_.mouseMove(pixel(e.motion.x, e.motion.y));
        break;
    case SDL_MOUSEWHEEL: {
        int x = 0, y = 0;
        SDL_GetMouseState(&x, &y);
        const int sign = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -1 : 1;
        if (onPicture(x, y)) driver_.wheel(pixel(x, y), sign * e.wheel.preciseX, sign * e.wheel.preciseY, control);
        break;
    }
    case SDL_FINGERDOWN:
    case SDL_FINGERMOTION:
    case SDL_FINGERUP: {
        // Finger positions come normalised to the window.
        int width = 0, height = 0;
        SDL_GetWindowSize(sdl_->window, &width, &height);
        const double x = e.tfinger.x * width, y = e.tfinger.y * height;
        if (e.type == SDL_FINGERDOWN && !onPicture(x, y)) break;
        const CGRect bounds = driver_.window().bounds();
        const CGPoint at = pixel(x, y);
        const CGPoint point{at.x * bounds.size.width / sdl_->pixelWidth, at.y * bounds.size.height / sdl_->pixelHeight};
        if (e.type == SDL_FINGERDOWN) sdl_->fingers[e.tfinger.fingerId] = sdl_->nextFinger++;
        auto finger = sdl_->fingers.find(e.tfinger.fingerId);
        if (finger == sdl_->fingers.end()) break;
        // A touch counts its pressure as force only once the screen has shown that it measures
        // one (a touch that begins below full pressure).
        if (e.type == SDL_FINGERDOWN && e.tfinger.pressure > 0 && e.tfinger.pressure < 1)
            sdl_->pressureFingers.insert(e.tfinger.fingerId);
        const bool measured = sdl_->pressureFingers.count(e.tfinger.fingerId) != 0;
        const CGFloat force = measured ? e.tfinger.pressure * UITouchMaximumPossibleForce : 0;
        if (e.type == SDL_FINGERDOWN) driver_.touchDown(finger->second, point, force);
        else if (e.type == SDL_FINGERMOTION) driver_.touchMove(finger->second, point, force);
        else {
            driver_.touchUp(finger->second, point);
            sdl_->fingers.erase(finger);
            sdl_->pressureFingers.erase(e.tfinger.fingerId);
        }
        break;
    }
    case SDL_KEYDOWN:
        if (e.key.repeat) break;
        if (auto code = keyCodeOf(e.key.keysym.sym)) driver_.key({*code, (e.key.keysym.mod & KMOD_CTRL) != 0});
        break;
    case SDL_TEXTINPUT: driver_.text(e.text.text); break;
    case SDL_WINDOWEVENT:
        switch (e.window.event) {
        case SDL_WINDOWEVENT_FOCUS_GAINED: driver_.focusChanged(true); break;
        case SDL_WINDOWEVENT_FOCUS_LOST: driver_.focusChanged(false); break;
        case SDL_WINDOWEVENT_MINIMIZED: driver_.minimised(); break;
        case SDL_WINDOWEVENT_RESTORED: driver_.restored(); break;
        case SDL_WINDOWEVENT_CLOSE: driver_.closed(); break;
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SIZE_CHANGED: presented_ = false; break;
        default: break;
        }
        break;
    case SDL_QUIT: driver_.closed(); break;
    default: break;
    }
}

// ---- Picture -------------------------------------------------------------------------------

void UIHostWindow::present() {
    const CGImageRef image = driver_.screenshot();
    const int width = sdl_->pixelWidth, height = sdl_->pixelHeight;
    void* locked = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(sdl_->texture, nullptr, &locked, &pitch) != 0) return;
    auto* bytes = static_cast<std::uint8_t*>(locked);
    // The texture ignores alpha: premultiplied colour is the picture over black, so transparent
    // parts show black and composed rows go in as they are.
    const bool native = image && CGImageGetBitsPerPixel(image) == 32 &&
                        CGImageGetAlphaInfo(image) == kCGImageAlphaPremultipliedFirst &&
                        (CGImageGetBitmapInfo(image) & kCGBitmapByteOrderMask) == kCGBitmapByteOrder32Little;
    const auto data = image ? CGImageGetData(image) : nullptr;
    const int w = image ? std::min<int>(width, static_cast<int>(CGImageGetWidth(image))) : 0;
    const int h = image ? std::min<int>(height, static_cast<int>(CGImageGetHeight(image))) : 0;
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(bytes + std::size_t(y) * pitch);
        int x = 0;
        if (y < h && native && data) {
            std::memcpy(row, data->data() + std::size_t(y) * CGImageGetBytesPerRow(image), std::size_t(w) * 4);
            x = w;
        } else if (y < h) {
            // Other layouts go pixel by pixel.
            for (; x < w; ++x) {
                const CGColor c = CGImageGetPixel(image, x, y);
                auto byte = [&](CGFloat v) {
                    return static_cast<std::uint32_t>(std::lround(std::clamp(v * c.a, 0.0, 1.0) * 255));
                };
                row[x] = byte(c.r) << 16 | byte(c.g) << 8 | byte(c.b);
            }
        }
        std::fill(row + x, row + width, 0u);
    }
    SDL_UnlockTexture(sdl_->texture);
    // The window's own size may differ from the picture's shape: the bars are black.
    int outputWidth = 0, outputHeight = 0;
    SDL_GetRendererOutputSize(sdl_->renderer, &outputWidth, &outputHeight);
    const Placement shown = fit(width, height, outputWidth, outputHeight);
    const int shownWidth = static_cast<int>(std::lround(shown.width));
    const int shownHeight = static_cast<int>(std::lround(shown.height));
    const SDL_Rect target{(outputWidth - shownWidth) / 2, (outputHeight - shownHeight) / 2, shownWidth, shownHeight};
    if (shownWidth < outputWidth || shownHeight < outputHeight) {
        SDL_SetRenderDrawColor(sdl_->renderer, 0, 0, 0, 255);
        SDL_RenderClear(sdl_->renderer);
    }
    SDL_RenderCopy(sdl_->renderer, sdl_->texture, nullptr, &target);
    SDL_RenderPresent(sdl_->renderer);
    presented_ = true;
    presentedAt_ = steadySeconds();
}

bool UIHostWindow::busyFrameDue() {
    return gOpenWindow && steadySeconds() - gOpenWindow->presentedAt_ >= kBusyFrameInterval;
}

void UIHostWindow::presentWhileBusy() {
    // Laying out or drawing views would run their code in the middle of the work: a tree with
    // changes waiting is shown once the work has ended.
    if (!busyFrameDue() || CATransaction::hasPendingWork()) return;
    // The display server's events are taken in (the window keeps answering it) and wait in
    // SDL's queue for the next turn.
    SDL_PumpEvents();
    gOpenWindow->present();
}

std::optional<platform::ImageBitmap> UIHostWindow::readBack() const {
    int width = 0, height = 0;
    if (SDL_GetRendererOutputSize(sdl_->renderer, &width, &height) != 0 || width <= 0 || height <= 0)
        return std::nullopt;
    auto bitmap = platform::ImageBitmap::make(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height));
    if (!bitmap) return std::nullopt;
    if (SDL_RenderReadPixels(sdl_->renderer, nullptr, SDL_PIXELFORMAT_ABGR8888, bitmap->pixels.data(), width * 4) != 0)
        return std::nullopt;
    return bitmap;
}

// ---- Loop ----------------------------------------------------------------------------------

// An animation's next frame is due a refresh after this one began, not a refresh after it was
// shown: composing takes a good part of the interval, and waiting the whole interval on top of
// it showed animations at two thirds of the refresh rate or less.
double UIHostWindow::animationWait(double spent, double maxWait) {
    return std::min(maxWait, std::max(0.0, kFrameInterval - spent));
}

void UIHostWindow::runTurn(double maxWait) {
    const double began = steadySeconds();
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    bool changed = handleEvents();
    // What is ready now, but not without end (timers due again at once must not starve the screen).
    const NSRunLoopMode mode = UIApplication::sharedApplication().inputRunLoopMode();
    // A display link's frame is shown before the next one runs: with frames that take longer
    // than a refresh, the link is due again at once, and the turn would draw frame after frame
    // that nobody sees.
    const uint64_t refreshes = CADisplayLink::fireCount();
    for (int pass = 0; pass < kPassesPerTurn && loop.runOnce(mode); ++pass) {
        changed = true;
        if (CADisplayLink::fireCount() != refreshes) break;
    }
    const bool animating = animates(*driver_.window().layer());
    if (changed || animating || !presented_) present();
    if (UIApplication::sharedApplication().isTerminating()) return;
    double wait = animating ? animationWait(steadySeconds() - began, maxWait) : maxWait;
    NSTimeInterval next = 0;
    if (loop.nextEventDate(&next, mode)) wait = std::min(wait, std::max(0.0, next - loop.now()));
    SDL_WaitEventTimeout(nullptr, static_cast<int>(std::ceil(wait * 1000)));
}

void UIHostWindow::run() {
    while (!UIApplication::sharedApplication().isTerminating()) runTurn();
}
