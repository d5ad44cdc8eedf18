#pragma once
// A player of a movie's sound. Nothing is heard on this platform: `play` decodes the asset's
// audio track into a silent sink, paced by the main run loop's clock (a timer decodes, every
// twentieth of a second, whatever has fallen due since playing began), so the position follows
// the clock and playing stops at the end of the track. A movie without sound, or one whose
// sound cannot be read, leaves the player failed; it never plays. Main thread only.
#include <memory>

#include "platform/avfoundation/AVURLAsset.h"
#include "platform/coremedia/CMTime.h"

class NSTimer;

namespace platform {

class AVAssetReader;
class AVAssetReaderTrackOutput;

// What a player plays: an asset.
class AVPlayerItem {
public:
    static std::shared_ptr<AVPlayerItem> playerItemWithAsset(AVURLAssetRef asset);
    explicit AVPlayerItem(AVURLAssetRef asset) : asset_(std::move(asset)) {}
    const AVURLAssetRef& asset() const { return asset_; }

private:
    AVURLAssetRef asset_;
};

enum class AVPlayerStatus { Unknown, ReadyToPlay, Failed };

class AVPlayer : public std::enable_shared_from_this<AVPlayer> {
public:
    static std::shared_ptr<AVPlayer> playerWithPlayerItem(std::shared_ptr<AVPlayerItem> item);
    explicit AVPlayer(std::shared_ptr<AVPlayerItem> item);
    ~AVPlayer();
    AVPlayer(const AVPlayer&) = delete;
    AVPlayer& operator=(const AVPlayer&) = delete;

    void play();
    void pause();
    // 1 while playing, 0 when paused, at the end or failed.
    float rate() const { return rate_; }
    AVPlayerStatus status() const { return status_; }
    // The end of the sound played so far.
    CMTime currentTime() const;
    // Sample frames that went to the sink.
    int64_t samplesPlayed() const { return samplesPlayed_; }
    const std::shared_ptr<AVPlayerItem>& currentItem() const { return item_; }

private:
    bool open();
    // Decodes what is due on the clock; stops at the end of the track.
    void pump();
    void halt();

    std::shared_ptr<AVPlayerItem> item_;
    std::unique_ptr<AVAssetReaderTrackOutput> output_;
    std::unique_ptr<AVAssetReader> reader_;
    std::shared_ptr<NSTimer> timer_;
    AVPlayerStatus status_ = AVPlayerStatus::Unknown;
    float rate_ = 0;
    double position_ = 0;    // seconds of sound played
    double playedFrom_ = 0;  // the clock's time at which position 0 would have played
    int64_t samplesPlayed_ = 0;
};

using AVPlayerRef = std::shared_ptr<AVPlayer>;

}  // namespace platform
