#include "engine/VideoRecorder.h"

namespace {
VideoRecorder::Factory& RegisteredFactory() {
    static VideoRecorder::Factory factory;
    return factory;
}
}  // namespace

void VideoRecorder::SetFactory(Factory factory) { RegisteredFactory() = std::move(factory); }

std::unique_ptr<VideoRecorder> VideoRecorder::Create() {
    const Factory& factory = RegisteredFactory();
    return factory ? factory() : nullptr;
}
