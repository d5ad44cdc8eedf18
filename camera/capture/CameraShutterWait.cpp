#include "camera/capture/CameraShutterWait.h"

#include "platform/foundation/NSRunLoop.h"
#include "platform/uikit/UIApplication.h"

namespace {
const std::string kGiveUpKey = "shutterWaitGiveUp";
}

CameraShutterWait::~CameraShutterWait() { cancel(); }

void CameraShutterWait::waitForFocus(const platform::AVCaptureDeviceRef& device, Block block) {
    cancel();
    if (!block) return;
    if (!device || !device->isAdjustingFocus()) return block(true);
    block_ = std::move(block);
    device_ = device;
    UIApplication::sharedApplication().beginIgnoringInteractionEvents();
    observer_ = device->addObserver("adjustingFocus", [this](const std::string&) {
        if (device_ && !device_->isAdjustingFocus()) finish(true);
    });
    NSRunLoop::mainRunLoop().performAfterDelay(this, kGiveUpKey, kGiveUpSeconds, [this] { finish(true); });
}

void CameraShutterWait::cancel() { finish(false); }

void CameraShutterWait::finish(bool finished) {
    if (!block_) return;
    NSRunLoop::mainRunLoop().cancelPreviousPerformRequests(this, kGiveUpKey);
    if (device_) device_->removeObserver(observer_);
    device_ = nullptr;
    observer_ = 0;
    const Block block = std::move(block_);
    block_ = nullptr;
    UIApplication::sharedApplication().endIgnoringInteractionEvents();
    block(finished);
}
