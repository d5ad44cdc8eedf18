#pragma once
// The camera view the camera benchmarks run: the simulated back camera of a phone at 30 frames
// a second on the manual clock, started and warmed up (programs built, the first frames drawn).
#include <benchmark/benchmark.h>

#include <memory>

#include "camera/capture/CameraController.h"
#include "engine/view/GraphicsView.h"
#include "model/DeviceUtility.h"
#include "platform/avfoundation/CaptureRig.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/uikit/UIScreen.h"

inline void UsePhoneAt30() {
    UIDeviceProfile profile = UIDeviceProfile::current();
    profile.machine = "iPhone7,2";
    UIDeviceProfile::setCurrent(profile);
    NSRunLoop::mainRunLoop().useManualClock(0);
    platform::CaptureRig::shared().configureSimulated({});
    CameraController::installInGraphicsViews();
}

// Null, with the benchmark marked skipped, without an OpenGL ES 2 context. The view has the
// camera screen's frame (between the top bar and the toolbar), so it draws what the
// application draws.
inline std::shared_ptr<GraphicsView> StartedCameraView(benchmark::State& state) {
    UsePhoneAt30();
    auto view = std::make_shared<GraphicsView>(AppConstants::defaultCameraViewFrame());
    if (!view->graphicsController()) {
        state.SkipWithError("no OpenGL ES 2 context");
        return nullptr;
    }
    view->startVideoController();
    NSRunLoop::mainRunLoop().advance(0.5);
    return view;
}
