#pragma once
// The screens the start-up chain passes through before the camera and photos are set up: the
// splash (held until its animation ends when `wait` is YES), the introduction (until it has
// been shown once) and the camera-and-photos access screen. Until the introduction exists,
// its entry point completes at once. Tests put recorders in their place.
#include <functional>
#include <memory>

#include "platform/uikit/UIView.h"

struct StartupScreens {
    using Completion = std::function<void()>;
    std::function<void(const std::shared_ptr<UIView>& host, bool wait, Completion)> presentSplash;
    std::function<bool()> shouldShowIntroduction;
    std::function<void(const std::shared_ptr<UIView>& host, Completion)> presentIntroduction;
    std::function<bool()> hasCameraAndPhotoAccess;
    std::function<void(const std::shared_ptr<UIView>& host, Completion)> requestCameraAndPhotoAccess;

    // The program's own.
    static StartupScreens defaults();
    // What the chain uses (the defaults until replaced).
    static StartupScreens& current();
};
