#include "platform/uikit/UIApplication.h"

UIApplication::UIApplication() { NSRunLoop::mainRunLoop().addCommonMode(UITrackingRunLoopMode); }

UIApplication& UIApplication::sharedApplication() {
    static UIApplication application;
    return application;
}

void UIApplication::transitionToState(UIApplicationState target) {
    auto& center = NSNotificationCenter::defaultCenter();
    while (state_ != target) {
        switch (state_) {
        case UIApplicationState::Active:
            state_ = UIApplicationState::Inactive;
            center.postNotificationName(UIApplicationWillResignActiveNotification, this);
            break;
        case UIApplicationState::Inactive:
            if (target == UIApplicationState::Background) {
                state_ = UIApplicationState::Background;
                center.postNotificationName(UIApplicationDidEnterBackgroundNotification, this);
            } else {
                state_ = UIApplicationState::Active;
                center.postNotificationName(UIApplicationDidBecomeActiveNotification, this);
            }
            break;
        case UIApplicationState::Background:
            state_ = UIApplicationState::Inactive;
            center.postNotificationName(UIApplicationWillEnterForegroundNotification, this);
            break;
        }
    }
}

void UIApplication::setStatusBarOrientation(UIInterfaceOrientation orientation) {
    if (orientation == orientation_) return;
    orientation_ = orientation;
    NSNotificationCenter::defaultCenter().postNotificationName(UIApplicationDidChangeStatusBarOrientationNotification,
                                                               this);
}

void UIApplication::terminate() {
    if (terminating_) return;
    terminating_ = true;
    transitionToState(UIApplicationState::Background);
    NSNotificationCenter::defaultCenter().postNotificationName(UIApplicationWillTerminateNotification, this);
}

bool UIApplication::performShortcutItemAtIndex(std::size_t index) {
    if (index >= shortcutItems_.size() || !delegate_) return false;
    delegate_->application(*this, shortcutItems_[index], nullptr);
    return true;
}
