#pragma once
// Turns the hardware volume buttons into a camera shutter. While enabled, a press of either
// button runs the action once and the system volume is put back, so the press changes nothing
// audible. A volume view of the application's own lies in the key window, above its top edge,
// which keeps the system's volume overlay away. The camera view enables it while the camera
// runs.
//
// The restore is itself a volume change that the system reports: that echo carries the stored
// volume and is swallowed, also at 1.0 and 0.0, where a press cannot move the volume and so
// reports the stored value itself (restores still unreported are counted to tell the two
// apart). `disable` removes the volume observer that `enable` added and the life-cycle
// observers are added once, so one press gives one action after any number of camera starts.
// Main thread only.
#include <functional>
#include <memory>
#include <optional>

#include "platform/avfoundation/AVAudioPlayer.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSRunLoop.h"

class UIView;

class VolumeButtonController {
public:
    static VolumeButtonController& sharedInstance();

    VolumeButtonController();
    ~VolumeButtonController();
    VolumeButtonController(const VolumeButtonController&) = delete;
    VolumeButtonController& operator=(const VolumeButtonController&) = delete;

    void enable();
    void disable();
    // Presses within the duration from now are ignored (while enabled).
    void delayEventsForDuration(NSTimeInterval duration);

    const std::function<void()>& action() const { return action_; }
    void setAction(std::function<void()> action) { action_ = std::move(action); }
    bool enabled() const { return enabled_; }
    bool disabledBecauseOfBackground() const { return disabledBecauseOfBackground_; }
    void setDisabledBecauseOfBackground(bool flag) { disabledBecauseOfBackground_ = flag; }
    std::optional<NSTimeInterval> delayTime() const { return delayTime_; }
    void setDelayTime(std::optional<NSTimeInterval> time) { delayTime_ = time; }
    double currentVolume() const { return currentVolume_; }
    const std::shared_ptr<UIView>& volumeView() const { return volumeView_; }
    void setVolumeView(std::shared_ptr<UIView> view) { volumeView_ = std::move(view); }
    const std::shared_ptr<AVAudioPlayer>& volumeController() const { return volumeController_; }
    void setVolumeController(std::shared_ptr<AVAudioPlayer> player) { volumeController_ = std::move(player); }

private:
    void volumeChanged(const NSNotification& notification);
    void willResignActive();
    void didBecomeActive();
    void observeLifeCycle();
    NSNotificationCenter::Handler guarded(NSNotificationCenter::Handler handler) const;

    double currentVolume_ = 0;
    bool enabled_ = false;
    bool disabledBecauseOfBackground_ = false;
    bool notificationIsActive_ = false;
    // Restores not yet reported back: the next reports carrying the stored volume are their echoes.
    int pendingEchoes_ = 0;
    std::optional<NSTimeInterval> delayTime_;
    NSTimeInterval delayDuration_ = 0;
    std::shared_ptr<UIView> volumeView_;
    std::function<void()> action_;
    std::shared_ptr<AVAudioPlayer> volumeController_;
    std::shared_ptr<void> volumeObserver_;
    std::vector<std::shared_ptr<void>> lifeCycleObservers_;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};
