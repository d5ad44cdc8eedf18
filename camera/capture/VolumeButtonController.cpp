#include "camera/capture/VolumeButtonController.h"

#include <cmath>

#include "platform/avfoundation/AVAudioSession.h"
#include "platform/foundation/NSBundle.h"
#include "platform/mediaplayer/MPMusicPlayerController.h"
#include "platform/mediaplayer/MPVolumeView.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIWindow.h"

namespace {

// Where the volume view lies: above the window's top edge, out of sight.
constexpr CGRect kVolumeViewFrame{{0, -100}, {10, 0}};

float volumeOf(const NSNotification& notification) {
    const auto found = notification.userInfo.find(AVSystemControllerAudioVolumeNotificationParameter);
    if (found == notification.userInfo.end()) return NAN;
    if (const float* f = std::any_cast<float>(&found->second)) return *f;
    if (const double* d = std::any_cast<double>(&found->second)) return static_cast<float>(*d);
    return NAN;
}

bool isPress(const NSNotification& notification) {
    const auto found = notification.userInfo.find(AVSystemControllerAudioVolumeChangeReasonNotificationParameter);
    if (found == notification.userInfo.end()) return false;
    const std::string* reason = std::any_cast<std::string>(&found->second);
    return reason && *reason == AVSystemControllerExplicitVolumeChange;
}

}  // namespace

VolumeButtonController& VolumeButtonController::sharedInstance() {
    static VolumeButtonController controller;
    return controller;
}

VolumeButtonController::VolumeButtonController() = default;

VolumeButtonController::~VolumeButtonController() {
    disable();
    for (const auto& observer : lifeCycleObservers_)
        NSNotificationCenter::defaultCenter().removeObserver(observer.get());
    delayTime_.reset();
    action_ = nullptr;
}

void VolumeButtonController::enable() {
    if (enabled_) return;
    currentVolume_ = MPMusicPlayerController::applicationMusicPlayer().volume();
    pendingEchoes_ = 0;
    AVAudioSession::sharedInstance().setCategory(AVAudioSessionCategoryAmbient);
    // A missing sound leaves no player; the shutter works all the same.
    volumeController_ =
        AVAudioPlayer::initWithContentsOfFile(NSBundle::mainBundle().pathForResource("volumeButtonController", "m4a"));
    if (volumeController_) {
        volumeController_->prepareToPlay();
        volumeController_->stop();
    }
    delayTime_.reset();
    delayDuration_ = 0;
    if (!volumeView_) {
        auto view = std::make_shared<MPVolumeView>(kVolumeViewFrame);
        view->sizeToFit();
        volumeView_ = view;
    }
    if (UIWindow* window = UIWindow::keyWindow()) window->addSubview(volumeView_);
    observeLifeCycle();
    volumeObserver_ = NSNotificationCenter::defaultCenter().addObserverForName(
        AVSystemControllerSystemVolumeDidChangeNotification, nullptr, dispatch_get_main_queue(),
        guarded([this](const NSNotification& n) { volumeChanged(n); }));
    enabled_ = true;
}

NSNotificationCenter::Handler VolumeButtonController::guarded(NSNotificationCenter::Handler handler) const {
    // Handlers run later on the main queue: one queued before the controller went runs nothing.
    return [alive = std::weak_ptr<int>(alive_), handler = std::move(handler)](const NSNotification& n) {
        if (alive.lock()) handler(n);
    };
}

void VolumeButtonController::observeLifeCycle() {
    // Once per controller, and kept while disabled: they are what brings it back after the
    // application returns from the background.
    if (!lifeCycleObservers_.empty()) return;
    auto& center = NSNotificationCenter::defaultCenter();
    const auto main = dispatch_get_main_queue();
    lifeCycleObservers_.push_back(
        center.addObserverForName(UIApplicationWillResignActiveNotification, nullptr, main,
                                  guarded([this](const NSNotification&) { willResignActive(); })));
    for (const NSNotificationName& name :
         {UIApplicationDidBecomeActiveNotification, UIApplicationWillEnterForegroundNotification})
        lifeCycleObservers_.push_back(center.addObserverForName(
            name, nullptr, main, guarded([this](const NSNotification&) { didBecomeActive(); })));
}

void VolumeButtonController::disable() {
    if (!enabled_) return;
    if (volumeObserver_) NSNotificationCenter::defaultCenter().removeObserver(volumeObserver_.get());
    volumeObserver_.reset();
    if (volumeView_) volumeView_->removeFromSuperview();
    volumeController_.reset();
    enabled_ = false;
}

void VolumeButtonController::delayEventsForDuration(NSTimeInterval duration) {
    if (!enabled_) return;
    delayDuration_ = duration;
    delayTime_ = NSRunLoop::mainRunLoop().now();
}

void VolumeButtonController::volumeChanged(const NSNotification& notification) {
    if (!enabled_ || notificationIsActive_) return;
    if (delayTime_ && std::fabs(NSRunLoop::mainRunLoop().now() - *delayTime_) <= delayDuration_) return;
    notificationIsActive_ = true;
    delayTime_.reset();
    delayDuration_ = 0;
    const float volume = volumeOf(notification);
    if (static_cast<double>(volume) != currentVolume_) {
        MPMusicPlayerController& player = MPMusicPlayerController::applicationMusicPlayer();
        // Only a restore that moves the volume is reported back.
        if (player.volume() != static_cast<float>(currentVolume_)) ++pendingEchoes_;
        player.setVolume(static_cast<float>(currentVolume_));
    } else if (pendingEchoes_ > 0) {
        --pendingEchoes_;  // our restore reported back
        notificationIsActive_ = false;
        return;
    } else if (volume != 1.0f && volume != 0.0f) {
        notificationIsActive_ = false;  // a report of the stored volume that no press caused
        return;
    }
    // A press: one that moved the volume, or one at the end of the range that could not.
    if (isPress(notification) && action_) action_();
    notificationIsActive_ = false;
}

void VolumeButtonController::willResignActive() {
    if (!enabled_) return;
    disable();
    disabledBecauseOfBackground_ = true;
}

void VolumeButtonController::didBecomeActive() {
    if (!disabledBecauseOfBackground_) return;
    enable();
    disabledBecauseOfBackground_ = false;
}
