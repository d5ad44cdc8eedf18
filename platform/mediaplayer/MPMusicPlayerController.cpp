#include "platform/mediaplayer/MPMusicPlayerController.h"

#include <algorithm>

#include "platform/foundation/NSRunLoop.h"
#include "platform/uikit/UIInputDriver.h"

namespace {
constexpr float kButtonStep = 1.0f / 16;

// The hardware volume buttons move the system volume this player keeps, from the program's
// start: the toolkit's input driver hands their presses here.
const bool kVolumeButtonsInstalled = (UIInputDriver::setVolumeButtonAction([](bool up) {
                                          MPMusicPlayerController::applicationMusicPlayer().pressVolumeButton(up);
                                      }),
                                      true);
}  // namespace

MPMusicPlayerController& MPMusicPlayerController::applicationMusicPlayer() {
    static MPMusicPlayerController player;
    return player;
}

void MPMusicPlayerController::setVolume(float volume) {
    volume = std::clamp(volume, 0.0f, 1.0f);
    if (volume == volume_) return;
    volume_ = volume;
    post();
}

void MPMusicPlayerController::pressVolumeButton(bool up) {
    volume_ = std::clamp(volume_ + (up ? kButtonStep : -kButtonStep), 0.0f, 1.0f);
    post();  // also at the end of the range, where the press cannot move the volume
}

void MPMusicPlayerController::post() {
    NSRunLoop::mainRunLoop().performBlock([this, volume = volume_, reason = reason_] {
        NSNotificationCenter::defaultCenter().postNotificationName(
            AVSystemControllerSystemVolumeDidChangeNotification, this,
            {{AVSystemControllerAudioVolumeNotificationParameter, volume},
             {AVSystemControllerAudioVolumeChangeReasonNotificationParameter, reason}});
    });
}
