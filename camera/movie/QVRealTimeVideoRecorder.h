#pragma once
// The push-model movie recorder: after start, each recordFrame pulls a frame from the frame
// source into a pooled BGRA buffer and appends it when the writer can take more (else the frame
// is dropped); recordAudio appends the microphone's buffers from the session start on. The first
// frame (or the frame source's start time, for sound that comes first) starts the session.
// stop finishes the file before it returns; filename then names the movie, or is empty when
// the movie failed or holds no frame (its file is removed).
//
// Files: without a name the recorder writes "<bundle name>.mov" in the temporary directory,
// made unique, and removes its previous movie at the next start and at release. A name given
// by the caller is the file recorded into and is never deleted; a start over an existing file
// of that name answers false and keeps it.
#include <memory>
#include <string>

#include "camera/movie/QVRealTimeVideoRecorderFrame.h"
#include "platform/avfoundation/AVAssetWriter.h"
#include "platform/avfoundation/AVAssetWriterInputPixelBufferAdaptor.h"
#include "platform/corevideo/CVPixelBufferPool.h"

class QVRealTimeVideoRecorder {
public:
    explicit QVRealTimeVideoRecorder(std::string filename = {});
    ~QVRealTimeVideoRecorder();
    QVRealTimeVideoRecorder(const QVRealTimeVideoRecorder&) = delete;
    QVRealTimeVideoRecorder& operator=(const QVRealTimeVideoRecorder&) = delete;

    // Frames of width × height from `frameSource`; `transform` (may be null) orients the track.
    bool start(int32_t width, int32_t height, const CGAffineTransform* transform,
               std::unique_ptr<QVRealTimeVideoRecorderFrame> frameSource, bool audio);
    bool recordFrame();
    bool recordAudio(const platform::CMSampleBufferRef& sampleBuffer);
    bool readyForAnotherFrame() const;
    // Frames handed to the writer since the start.
    int framesAppended() const { return framesAppended_; }
    bool readyForMoreAudio() const;
    void stop();

    const std::string& filename() const { return result_; }
    bool started() const { return started_; }
    void setStarted(bool started) { started_ = started; }
    CGSize preferredOutputSize() const { return preferredOutputSize_; }
    void setPreferredOutputSize(CGSize size) { preferredOutputSize_ = size; }
    // The movie's size for frames of width × height: the preferred size turned to their
    // orientation (a square start counts as portrait), or theirs when none is preferred.
    CGSize outputSize(int32_t width, int32_t height) const;

private:
    void startSession(platform::CMTime time);
    void tearDown();

    platform::CMTime startTime_ = platform::kCMTimeInvalid;
    platform::CMTime lastTime_ = platform::kCMTimeInvalid;
    bool started_ = false;
    bool callerNamed_;
    std::string filename_;  // the file being (or last) written
    std::string result_;    // the finished movie, empty when there is none
    int framesAppended_ = 0;
    std::unique_ptr<QVRealTimeVideoRecorderFrame> frameSource_;
    std::unique_ptr<platform::AVAssetWriterInput> videoInput_;
    std::unique_ptr<platform::AVAssetWriterInput> audioInput_;
    std::unique_ptr<platform::AVAssetWriter> writer_;
    std::unique_ptr<platform::AVAssetWriterInputPixelBufferAdaptor> adaptor_;
    platform::CVPixelBufferPoolRef pool_;
    CGSize preferredOutputSize_;
};
