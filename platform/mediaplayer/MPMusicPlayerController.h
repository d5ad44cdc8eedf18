#pragma once
// The application's music player, for its one use here: the one system volume (0 to 1).
// Every change of the volume, the application's own too, and every press of a hardware volume
// button (which moves it one sixteenth, or not at all at the end of the range), posts the
// system volume notification with the new volume (a float) and the change reason
// ("ExplicitVolumeChange" unless a test sets another). The notification is posted
// asynchronously, on the main run loop, as the system's would be. Setting the volume it
// already has posts nothing. Nothing audible changes. Main thread only.
#include <string>

#include "platform/foundation/NSNotificationCenter.h"

inline const NSNotificationName AVSystemControllerSystemVolumeDidChangeNotification =
    "AVSystemController_SystemVolumeDidChangeNotification";
inline const std::string AVSystemControllerAudioVolumeNotificationParameter =
    "AVSystemController_AudioVolumeNotificationParameter";
inline const std::string AVSystemControllerAudioVolumeChangeReasonNotificationParameter =
    "AVSystemController_AudioVolumeChangeReasonNotificationParameter";
inline const std::string AVSystemControllerExplicitVolumeChange = "ExplicitVolumeChange";

class MPMusicPlayerController {
public:
    static MPMusicPlayerController& applicationMusicPlayer();

    float volume() const { return volume_; }
    // Clamped to 0...1.
    void setVolume(float volume);
    // A press of the volume-up or volume-down button (the window's keys stand in for them).
    void pressVolumeButton(bool up);
    // The reason the notifications carry (tests post other reasons).
    void setChangeReason(std::string reason) { reason_ = std::move(reason); }

private:
    MPMusicPlayerController() = default;
    void post();
    float volume_ = 0.5f;
    std::string reason_ = AVSystemControllerExplicitVolumeChange;
};
