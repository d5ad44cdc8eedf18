#include "platform/avfoundation/AVPlayer.h"

#include <algorithm>

#include "platform/avfoundation/AVAssetReader.h"
#include "platform/foundation/NSRunLoop.h"

namespace platform {

namespace {
constexpr NSTimeInterval kPumpInterval = 0.05;
}

std::shared_ptr<AVPlayerItem> AVPlayerItem::playerItemWithAsset(AVURLAssetRef asset) {
    return std::make_shared<AVPlayerItem>(std::move(asset));
}

std::shared_ptr<AVPlayer> AVPlayer::playerWithPlayerItem(std::shared_ptr<AVPlayerItem> item) {
    return std::make_shared<AVPlayer>(std::move(item));
}

AVPlayer::AVPlayer(std::shared_ptr<AVPlayerItem> item) : item_(std::move(item)) {}

AVPlayer::~AVPlayer() {
    if (timer_) timer_->invalidate();
}

bool AVPlayer::open() {
    if (status_ != AVPlayerStatus::Unknown) return status_ == AVPlayerStatus::ReadyToPlay;
    status_ = AVPlayerStatus::Failed;
    if (!item_ || !item_->asset() || !item_->asset()->audioTrack()) return false;
    reader_ = std::make_unique<AVAssetReader>(item_->asset());
    output_ = std::make_unique<AVAssetReaderTrackOutput>(AVMediaKind::Audio);
    if (!reader_->canAddOutput(*output_)) return false;
    reader_->addOutput(*output_);
    if (!reader_->startReading()) return false;
    status_ = AVPlayerStatus::ReadyToPlay;
    return true;
}

void AVPlayer::play() {
    if (rate_ != 0 || !open() || reader_->status() != AVAssetReaderStatus::Reading) return;
    rate_ = 1;
    playedFrom_ = NSRunLoop::mainRunLoop().now() - position_;
    std::weak_ptr<AVPlayer> weak = weak_from_this();
    timer_ = NSTimer::scheduledTimerWithTimeInterval(kPumpInterval, true, [weak](NSTimer&) {
        if (auto player = weak.lock()) player->pump();
    });
    pump();  // the first sound goes out with the call
}

void AVPlayer::pause() { halt(); }

void AVPlayer::halt() {
    rate_ = 0;
    if (timer_) timer_->invalidate();
    timer_.reset();
}

void AVPlayer::pump() {
    const double due = NSRunLoop::mainRunLoop().now() - playedFrom_;
    // At least one buffer per pump, so the sound starts at once.
    do {
        const CMSampleBufferRef sample = output_->copyNextSampleBuffer();
        if (!sample) {
            if (reader_->status() == AVAssetReaderStatus::Failed) status_ = AVPlayerStatus::Failed;
            halt();
            return;
        }
        const double rate = sample->formatDescription().sampleRate;
        samplesPlayed_ += sample->numSamples();
        const double end = CMTimeGetSeconds(sample->presentationTimeStamp()) +
                           (rate > 0 ? static_cast<double>(sample->numSamples()) / rate : 0);
        position_ = std::max(position_, end);
    } while (position_ < due);
}

CMTime AVPlayer::currentTime() const { return CMTimeMakeWithSeconds(position_, 44100); }

}  // namespace platform
