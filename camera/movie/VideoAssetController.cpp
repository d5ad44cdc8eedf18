#include "camera/movie/VideoAssetController.h"

#include "camera/movie/QVImageOrientation.h"
#include "platform/avfoundation/AVAudioSession.h"

using namespace platform;

namespace {

// Frames closer than this to the last one handed over are dropped (a 60 Hz movie plays at
// about 30 frames a second), and so are frames later than the lateness bound.
constexpr double kMinimumFrameSpacing = 1.0 / 31;
constexpr double kLatenessBound = 0.1;
// Where the last frame time stands at the start: far past any first frame, so that the first
// one counts as a step back and is shown.
constexpr int64_t kStartLastTimeSeconds = 60;

}  // namespace

VideoAssetController::~VideoAssetController() { stopDisplayLink(); }

void VideoAssetController::setUrl(const std::string& url) {
    url_ = url;
    prepareForPlayback();
}

void VideoAssetController::stopDisplayLink() {
    if (videoDisplayLink_) videoDisplayLink_->invalidate();
    videoDisplayLink_.reset();
}

void VideoAssetController::prepareForPlayback() {
    stopDisplayLink();
    if (videoTrackOutput_) {
        audioTrackPlayer_.reset();
        assetReader_.reset();  // before the output it reads through
        videoTrackOutput_.reset();
        urlAsset_.reset();
    }
    lastSampleBuffer_.reset();
    initAssets();
    if (url_.empty() || !videoTrackOutput_ || !assetReader_->startReading()) return;
    videoDimensions_ = urlAsset_->videoTrack()->naturalSize;
    // The first frame shows as a still until playing starts.
    if (const CMSampleBufferRef first = videoTrackOutput_->copyNextSampleBuffer()) {
        if (const CVPixelBufferRef& pixels = first->imageBuffer())
            bufferDimensions_ =
                CGSizeMake(static_cast<CGFloat>(pixels->width()), static_cast<CGFloat>(pixels->height()));
        if (target_) target_(first);
    }
}

void VideoAssetController::initAssets() {
    if (url_.empty()) return;
    urlAsset_ = AVURLAsset::URLAssetWithURL(url_);
    const AVAssetTrackInfo* video = urlAsset_->videoTrack();
    if (!video) return;
    frameRate_ = video->nominalFrameRate;
    QVImageOrientation::fromTransform(video->preferredTransform, &imageOrientation_);
    assetReader_ = std::make_unique<AVAssetReader>(urlAsset_);
    videoTrackOutput_ = std::make_unique<AVAssetReaderTrackOutput>(AVMediaKind::Video);
    if (assetReader_->canAddOutput(*videoTrackOutput_)) assetReader_->addOutput(*videoTrackOutput_);
}

void VideoAssetController::start() {
    if (!url_.empty()) prepareForPlayback();
    if (url_.empty() || !assetReader_ || assetReader_->status() != AVAssetReaderStatus::Reading) {
        active_ = false;
        return;
    }
    lastVideoTime_ = CMTimeMake(kStartLastTimeSeconds, 1);
    NSRunLoop& runLoop = NSRunLoop::currentRunLoop();
    videoPlayStartTime_ = runLoop.now();
    videoDisplayLink_ = CADisplayLink::displayLinkWithTarget([this](CADisplayLink&) { nextSampleBuffer(); });
    videoDisplayLink_->setFrameInterval(1);
    videoDisplayLink_->addToRunLoop(runLoop, NSDefaultRunLoopMode);
    active_ = true;
}

void VideoAssetController::stop() {
    if (!active_) return;
    active_ = false;
    prepareForPlayback();
    if (delegate_) delegate_->videoAssetControllerDidFinish(*this, true);
}

void VideoAssetController::nextSampleBuffer() {
    if (!assetReader_ || assetReader_->status() != AVAssetReaderStatus::Reading) {
        stopDisplayLink();
        if (delegate_) delegate_->videoAssetControllerDidFinish(*this, false);
        return;
    }
    CMSampleBufferRef sample = std::move(lastSampleBuffer_);
    lastSampleBuffer_.reset();
    if (!sample) sample = videoTrackOutput_->copyNextSampleBuffer();
    if (!sample) return;
    const double t = CMTimeGetSeconds(sample->presentationTimeStamp());
    const double elapsed = NSRunLoop::currentRunLoop().now() - videoPlayStartTime_;
    if (t > elapsed) {
        lastSampleBuffer_ = std::move(sample);  // not yet due
        return;
    }
    const double d = t - CMTimeGetSeconds(lastVideoTime_);
    if (elapsed - t <= kLatenessBound && (d > kMinimumFrameSpacing || d < 0)) deliver(sample);
}

void VideoAssetController::deliver(const CMSampleBufferRef& sampleBuffer) {
    lastVideoTime_ = sampleBuffer->presentationTimeStamp();
    if (target_) target_(sampleBuffer);
    startAudio();
}

void VideoAssetController::startAudio() {
    if (audioTrackPlayer_ || !urlAsset_ || !urlAsset_->audioTrack()) return;
    AVAudioSession& session = AVAudioSession::sharedInstance();
    session.setCategory(AVAudioSessionCategoryPlayback);
    session.setCategory(AVAudioSessionCategoryPlayback, AVAudioSessionCategoryOptionMixWithOthers);
    session.setActive(true);
    audioTrackPlayer_ = AVPlayer::playerWithPlayerItem(AVPlayerItem::playerItemWithAsset(urlAsset_));
    audioTrackPlayer_->play();
}

bool VideoAssetController::isLandscape() const {
    const auto o = imageOrientation_;
    const bool base = o == UIImageOrientation::Up || o == UIImageOrientation::Down ||
                      o == UIImageOrientation::UpMirrored || o == UIImageOrientation::DownMirrored;
    return bufferDimensions_.width < bufferDimensions_.height ? !base : base;
}
