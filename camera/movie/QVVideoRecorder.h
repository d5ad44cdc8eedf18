#pragma once
// The pull-model movie recorder: after start, a video pump and (with sound) an audio pump take
// turns on a serial queue of the recorder's own, each asking the delegate on the main thread
// for one more frame or sound buffer and appending it, until the delegate has none or cancel is
// called; then the movie is finished and the delegate told its name. Files are named as for
// the real-time recorder (QVFileUtility::nextMovieFilename).
#include <atomic>
#include <memory>
#include <string>

#include "camera/movie/QVVideoRecorderDelegate.h"
#include "platform/avfoundation/AVAssetWriter.h"
#include "platform/avfoundation/AVAssetWriterInputPixelBufferAdaptor.h"
#include "platform/corevideo/CVPixelBufferPool.h"
#include "platform/foundation/Dispatch.h"

class QVVideoRecorder {
public:
    // The delegate is not owned and must outlive the recording.
    explicit QVVideoRecorder(QVVideoRecorderDelegate* delegate, std::string filename = {});
    // Cancels a running recording and waits for it to finish (turning the main run loop, which
    // answers the pumps).
    ~QVVideoRecorder();
    QVVideoRecorder(const QVVideoRecorder&) = delete;
    QVVideoRecorder& operator=(const QVVideoRecorder&) = delete;

    // False when a recording runs, the file cannot be made or the delegate has no first frame.
    bool start(int32_t width, int32_t height, const CGAffineTransform* transform);
    // The pumps stop at their next answer; the movie is still finished.
    void cancel() { cancel_ = true; }
    // Releases the writer; for the teardown after finishing (a running recording is cancelled).
    void stop();
    const std::string& filename() const { return filename_; }
    // One pump is done (main thread); the last one finishes the movie.
    void finishedWithSamples();

private:
    void videoPump();
    void audioPump();
    void finishVideo();
    void finishAudio();

    QVVideoRecorderDelegate* delegate_;
    bool callerNamed_;
    std::string filename_;
    std::unique_ptr<platform::AVAssetWriterInput> videoInput_;
    std::unique_ptr<platform::AVAssetWriterInput> audioInput_;
    std::unique_ptr<platform::AVAssetWriter> writer_;
    std::unique_ptr<platform::AVAssetWriterInputPixelBufferAdaptor> adaptor_;
    platform::CVPixelBufferPoolRef pool_;
    platform::CVPixelBufferRef pending_;  // a skipped frame's buffer, kept locked for the next ask
    dispatch_queue_t queue_;
    int numToFinish_ = 0;  // changed on the main thread only
    std::atomic<bool> cancel_{false};
};
