#pragma once
// The application's audio session. There is no sound system to negotiate with here: the session
// records what the application asks for (category, options, active state) so that it can be
// read back, and never fails. Main thread only.
#include <string>

#include "platform/foundation/NSError.h"

using AVAudioSessionCategory = std::string;
inline const AVAudioSessionCategory AVAudioSessionCategoryAmbient = "AVAudioSessionCategoryAmbient";
inline const AVAudioSessionCategory AVAudioSessionCategorySoloAmbient = "AVAudioSessionCategorySoloAmbient";
inline const AVAudioSessionCategory AVAudioSessionCategoryPlayback = "AVAudioSessionCategoryPlayback";
inline const AVAudioSessionCategory AVAudioSessionCategoryPlayAndRecord = "AVAudioSessionCategoryPlayAndRecord";

using AVAudioSessionCategoryOptions = unsigned;
inline constexpr AVAudioSessionCategoryOptions AVAudioSessionCategoryOptionMixWithOthers = 0x1;
inline constexpr AVAudioSessionCategoryOptions AVAudioSessionCategoryOptionDuckOthers = 0x2;

class AVAudioSession {
public:
    static AVAudioSession& sharedInstance();

    // Always true; `error` (when given) is cleared.
    bool setCategory(const AVAudioSessionCategory& category, NSErrorPtr* error = nullptr);
    bool setCategory(const AVAudioSessionCategory& category, AVAudioSessionCategoryOptions options,
                     NSErrorPtr* error = nullptr);
    bool setActive(bool active, NSErrorPtr* error = nullptr);

    const AVAudioSessionCategory& category() const { return category_; }
    AVAudioSessionCategoryOptions categoryOptions() const { return options_; }
    bool isActive() const { return active_; }

private:
    AVAudioSession() = default;
    AVAudioSessionCategory category_ = AVAudioSessionCategorySoloAmbient;
    AVAudioSessionCategoryOptions options_ = 0;
    bool active_ = false;
};
