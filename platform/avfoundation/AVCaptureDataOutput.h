#pragma once
// What the video and audio data outputs share: every buffer to a delegate on a queue.
#include "platform/avfoundation/AVCaptureOutput.h"
#include "platform/foundation/Dispatch.h"

namespace platform {

class AVCaptureDataOutput : public AVCaptureOutput {
public:
    using AVCaptureOutput::AVCaptureOutput;
    // Not retained. On the main queue (from the main thread) each buffer is handed over at
    // once; on another queue asynchronously, the buffer kept alive until then.
    void setSampleBufferDelegate(AVCaptureSampleBufferDelegate* delegate, dispatch_queue_t queue);
    AVCaptureSampleBufferDelegate* sampleBufferDelegate() const { return delegate_; }
    void deliver(const CMSampleBufferRef& buffer) override;

private:
    AVCaptureSampleBufferDelegate* delegate_ = nullptr;
    dispatch_queue_t queue_;
};

}  // namespace platform
