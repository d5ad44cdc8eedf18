#pragma once
// The application's music player, for its one use here: the system volume (0 to 1). Every
// change of the volume, and every press of a hardware volume button (which moves it one
// sixteenth, or not at all at the end of the range), posts the system volume notification
// with the new volume (a float) and the reason "ExplicitVolumeChange". Setting the volume it
// already has posts nothing. Main thread only.
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

private:
    MPMusicPlayerController() = default;
    void post();
    float volume_ = 0.5f;
};
