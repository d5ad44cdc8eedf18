#pragma once
// A player of one sound file. The file is opened with libavformat when the player is made; a
// file that cannot be read or holds no audio gives no player (and the error). `prepareToPlay`
// opens the decoder for the audio stream. Nothing is ever heard on this platform: `play`
// reports success and the player counts as playing until `stop`. Main thread only.
#include <memory>
#include <string>

#include "platform/foundation/NSError.h"

inline const std::string AVAudioPlayerErrorDomain = "AVAudioPlayerErrorDomain";

class AVAudioPlayer {
public:
    // Null when the file cannot be opened or has no audio stream.
    static std::shared_ptr<AVAudioPlayer> initWithContentsOfFile(const std::string& path, NSErrorPtr* error = nullptr);
    ~AVAudioPlayer();
    AVAudioPlayer(const AVAudioPlayer&) = delete;
    AVAudioPlayer& operator=(const AVAudioPlayer&) = delete;

    // Opens the decoder; false when the stream's codec cannot be decoded.
    bool prepareToPlay();
    bool isPrepared() const;
    bool play();
    void stop();
    bool isPlaying() const { return playing_; }
    // Seconds, from the container.
    double duration() const { return duration_; }

private:
    struct Media;
    explicit AVAudioPlayer(std::unique_ptr<Media> media, double duration);

    std::unique_ptr<Media> media_;
    double duration_ = 0;
    bool playing_ = false;
};
