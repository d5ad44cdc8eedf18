#include "platform/uikit/UIApplication.h"

#include "platform/uikit/UIWindow.h"

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
            if (delegate_) delegate_->applicationWillResignActive(*this);
            center.postNotificationName(UIApplicationWillResignActiveNotification, this);
            break;
        case UIApplicationState::Inactive:
            if (target == UIApplicationState::Background) {
                state_ = UIApplicationState::Background;
                if (delegate_) delegate_->applicationDidEnterBackground(*this);
                center.postNotificationName(UIApplicationDidEnterBackgroundNotification, this);
            } else {
                state_ = UIApplicationState::Active;
                if (delegate_) delegate_->applicationDidBecomeActive(*this);
                center.postNotificationName(UIApplicationDidBecomeActiveNotification, this);
            }
            break;
        case UIApplicationState::Background:
            state_ = UIApplicationState::Inactive;
            if (delegate_) delegate_->applicationWillEnterForeground(*this);
            center.postNotificationName(UIApplicationWillEnterForegroundNotification, this);
            break;
        }
    }
}

bool UIApplication::supportsInterfaceOrientation(UIInterfaceOrientation orientation) {
    if (!delegate_) return true;
    return (delegate_->application(*this, UIWindow::keyWindow()) & UIInterfaceOrientationMaskOf(orientation)) != 0;
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
    if (delegate_) delegate_->applicationWillTerminate(*this);
    NSNotificationCenter::defaultCenter().postNotificationName(UIApplicationWillTerminateNotification, this);
}

bool UIApplication::performShortcutItemAtIndex(std::size_t index) {
    if (index >= shortcutItems_.size() || !delegate_) return false;
    delegate_->application(*this, shortcutItems_[index], nullptr);
    return true;
}
