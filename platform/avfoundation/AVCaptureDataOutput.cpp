#include "platform/avfoundation/AVCaptureDataOutput.h"

#include "platform/foundation/NSRunLoop.h"

namespace platform {

void AVCaptureDataOutput::setSampleBufferDelegate(AVCaptureSampleBufferDelegate* delegate, dispatch_queue_t queue) {
    delegate_ = delegate;
    queue_ = delegate ? (queue ? std::move(queue) : dispatch_get_main_queue()) : nullptr;
}

void AVCaptureDataOutput::deliver(const CMSampleBufferRef& buffer) {
    if (!delegate_ || !connection_->isEnabled()) return;
    if (queue_ == dispatch_get_main_queue() && NSThread::isMainThread()) {
        delegate_->captureOutputDidOutputSampleBuffer(*this, buffer, *connection_);
        return;
    }
    // Another queue: the delegate must outlive its registration, as on the platform.
    dispatch_async(queue_, [this, buffer, delegate = delegate_] {
        delegate->captureOutputDidOutputSampleBuffer(*this, buffer, *connection_);
    });
}

}  // namespace platform
