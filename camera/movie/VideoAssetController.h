#pragma once
// Plays a movie file's frames into a frame target as if they came from the camera: the video
// track is decoded as BGRA sample buffers, paced against the run loop's clock by a display link
// and handed, when due, to the target on the thread that started playing; the movie's sound
// plays through a platform player from the first frame handed over.
//
// Pacing drops rather than queues: at most one frame per display refresh, none closer than
// 1/31 s to the previous one and none more than 0.1 s late; a frame decoded early waits.
//
// Setting the URL prepares the movie and shows its first frame as a still; `start` plays from
// the first frame; `stop` shows the first frame again and tells the delegate YES; the end of
// the movie tells it NO (the controller stays active until stopped). A URL that does not open
// (only local files do), a movie without video or a damaged file leaves the controller without
// output: `start` then leaves it inactive. Main thread only.
#include <functional>
#include <memory>
#include <string>

#include "camera/movie/VideoAssetControllerDelegate.h"
#include "platform/avfoundation/AVAssetReader.h"
#include "platform/avfoundation/AVPlayer.h"
#include "platform/avfoundation/AVURLAsset.h"
#include "platform/coregraphics/CGGeometry.h"
#include "platform/coremedia/CMSampleBuffer.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/quartzcore/CADisplayLink.h"
#include "platform/uikit/UIImage.h"

class VideoAssetController {
public:
    // A frame: valid during the call only.
    using Target = std::function<void(const platform::CMSampleBufferRef& sampleBuffer)>;

    VideoAssetController() = default;
    ~VideoAssetController();
    VideoAssetController(const VideoAssetController&) = delete;
    VideoAssetController& operator=(const VideoAssetController&) = delete;

    // Stores the URL (a file:// URL or a path) and prepares for playback.
    void setUrl(const std::string& url);
    const std::string& url() const { return url_; }
    void setTarget(Target target) { target_ = std::move(target); }
    // Kept for whoever wants the sound's buffers; playback sends its sound to the player.
    void setAudioTarget(Target target) { audioTarget_ = std::move(target); }
    const Target& audioTarget() const { return audioTarget_; }
    VideoAssetControllerDelegate* delegate() const { return delegate_; }
    void setDelegate(VideoAssetControllerDelegate* delegate) { delegate_ = delegate; }  // not owned

    // Back to the first frame, shown to the target.
    void prepareForPlayback();
    void initAssets();
    void start();
    void stop();
    // One display refresh.
    void nextSampleBuffer();
    // The sound, once per playback.
    void startAudio();

    bool active() const { return active_; }
    const platform::AVURLAssetRef& urlAsset() const { return urlAsset_; }
    platform::AVAssetReader* assetReader() const { return assetReader_.get(); }
    platform::AVAssetReaderTrackOutput* videoTrackOutput() const { return videoTrackOutput_.get(); }
    const platform::AVPlayerRef& audioTrackPlayer() const { return audioTrackPlayer_; }
    const std::shared_ptr<CADisplayLink>& videoDisplayLink() const { return videoDisplayLink_; }
    CGSize videoDimensions() const { return videoDimensions_; }
    CGSize bufferDimensions() const { return bufferDimensions_; }
    double frameRate() const { return frameRate_; }
    UIImageOrientation imageOrientation() const { return imageOrientation_; }
    // The orientation's own answer (turned by a quarter or not), inverted for a buffer taller
    // than wide.
    bool isLandscape() const;
    NSTimeInterval videoPlayStartTime() const { return videoPlayStartTime_; }
    platform::CMTime lastVideoTime() const { return lastVideoTime_; }

private:
    void stopDisplayLink();
    void deliver(const platform::CMSampleBufferRef& sampleBuffer);

    std::string url_;
    platform::AVURLAssetRef urlAsset_;
    // The output is declared first: the reader refers to it and goes before it.
    std::unique_ptr<platform::AVAssetReaderTrackOutput> videoTrackOutput_;
    std::unique_ptr<platform::AVAssetReader> assetReader_;
    platform::AVPlayerRef audioTrackPlayer_;
    CGSize videoDimensions_ = CGSizeZero;
    CGSize bufferDimensions_ = CGSizeZero;
    platform::CMTime lastVideoTime_ = platform::kCMTimeInvalid;
    double frameRate_ = 0;
    UIImageOrientation imageOrientation_ = UIImageOrientation::Up;
    bool active_ = false;
    std::shared_ptr<CADisplayLink> videoDisplayLink_;
    NSTimeInterval videoPlayStartTime_ = 0;
    platform::CMSampleBufferRef lastSampleBuffer_;
    Target target_;
    Target audioTarget_;
    VideoAssetControllerDelegate* delegate_ = nullptr;
};
