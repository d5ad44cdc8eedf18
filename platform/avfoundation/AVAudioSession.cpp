#include "platform/avfoundation/AVAudioSession.h"

AVAudioSession& AVAudioSession::sharedInstance() {
    static AVAudioSession session;
    return session;
}

bool AVAudioSession::setCategory(const AVAudioSessionCategory& category, NSErrorPtr* error) {
    return setCategory(category, 0, error);
}

bool AVAudioSession::setCategory(const AVAudioSessionCategory& category, AVAudioSessionCategoryOptions options,
                                 NSErrorPtr* error) {
    category_ = category;
    options_ = options;
    if (error) error->reset();
    return true;
}

bool AVAudioSession::setActive(bool active, NSErrorPtr* error) {
    active_ = active;
    if (error) error->reset();
    return true;
}
