#include "camera/movie/QVVideoRecorder.h"

#include "camera/movie/QVFileUtility.h"
#include "platform/foundation/NSRunLoop.h"

using namespace platform;

namespace {

// A fresh ask: every field preset, so an answer never carries over from the one before.
QVVideoFrameRecord PresetRecord(const CVPixelBufferRef& buffer) {
    QVVideoFrameRecord record;
    record.presentationTime = CMTimeMake(0, 60);
    record.bytesPerRow = CVPixelBufferGetBytesPerRow(buffer);
    record.pixels = static_cast<uint8_t*>(CVPixelBufferGetBaseAddress(buffer));
    return record;
}

}  // namespace

QVVideoRecorder::QVVideoRecorder(QVVideoRecorderDelegate* delegate, std::string filename)
    : delegate_(delegate),
      callerNamed_(!filename.empty()),
      filename_(callerNamed_ ? std::move(filename) : QVFileUtility::defaultMovieFilename()) {}

QVVideoRecorder::~QVVideoRecorder() {
    cancel_ = true;
    while (numToFinish_ > 0) NSRunLoop::mainRunLoop().runOnce();
    stop();
    if (!callerNamed_) QVFileUtility::markUniqueFilenameForDelete(filename_);
}

bool QVVideoRecorder::start(int32_t width, int32_t height, const CGAffineTransform* transform) {
    if (writer_ || numToFinish_ > 0 || !delegate_ || width <= 0 || height <= 0) return false;
    if (!QVFileUtility::nextMovieFilename(callerNamed_, &filename_)) return false;
    cancel_ = false;
    const bool hasAudio = delegate_->doesHaveAudio();
    writer_ = std::make_unique<AVAssetWriter>(filename_);
    videoInput_ = std::make_unique<AVAssetWriterInput>(AVMediaKind::Video, AVWriterInputSettings{width, height});
    if (transform) videoInput_->setTransform(*transform);
    writer_->addInput(*videoInput_);
    adaptor_ = std::make_unique<AVAssetWriterInputPixelBufferAdaptor>(*videoInput_);
    if (hasAudio) {
        audioInput_ = std::make_unique<AVAssetWriterInput>(AVMediaKind::Audio, AVWriterInputSettings{});
        writer_->addInput(*audioInput_);
    }
    CVPixelBufferRef first;
    if (CVPixelBufferPoolCreate({static_cast<size_t>(width), static_cast<size_t>(height)}, &pool_) !=
            kCVReturnSuccess ||
        !writer_->startWriting() || CVPixelBufferPoolCreatePixelBuffer(pool_, &first) != kCVReturnSuccess) {
        stop();
        return false;
    }
    CVPixelBufferLockBaseAddress(first, 0);
    QVVideoFrameRecord record = PresetRecord(first);
    delegate_->getVideoFrame(&record);
    CVPixelBufferUnlockBaseAddress(first, 0);
    if (!record.frameReady || !CMTIME_IS_VALID(record.presentationTime)) {
        stop();
        return false;
    }
    CMSampleBufferRef sound;
    if (hasAudio) delegate_->getAudioSample(&sound);
    const CMTime audioTime = sound ? sound->presentationTimeStamp() : record.presentationTime;
    writer_->startSessionAtSourceTime(CMTimeCompare(record.presentationTime, audioTime) < 0 ? record.presentationTime
                                                                                            : audioTime);
    if (!adaptor_->appendPixelBuffer(first, record.presentationTime) ||
        (sound && !audioInput_->appendSampleBuffer(sound))) {
        stop();
        return false;
    }
    numToFinish_ = hasAudio ? 2 : 1;
    queue_ = dispatch_queue_create("com.quorvin.videoRecorder");
    dispatch_async(queue_, [this] { videoPump(); });
    if (hasAudio) dispatch_async(queue_, [this] { audioPump(); });
    return true;
}

// One frame per pass; the pass queues the next, so the two pumps take turns on the queue.
void QVVideoRecorder::videoPump() {
    if (cancel_ || !videoInput_->isReadyForMoreMediaData()) return finishVideo();
    if (!pending_) {
        if (CVPixelBufferPoolCreatePixelBuffer(pool_, &pending_) != kCVReturnSuccess) return finishVideo();
        CVPixelBufferLockBaseAddress(pending_, 0);
    }
    QVVideoFrameRecord record = PresetRecord(pending_);
    dispatch_sync(dispatch_get_main_queue(), [&] { delegate_->getVideoFrame(&record); });
    if (cancel_ || !record.frameReady) return finishVideo();
    if (!record.skip) {
        CVPixelBufferUnlockBaseAddress(pending_, 0);
        const CVPixelBufferRef buffer = std::move(pending_);
        pending_.reset();
        if (!adaptor_->appendPixelBuffer(buffer, record.presentationTime)) return finishVideo();
    }
    dispatch_async(queue_, [this] { videoPump(); });
}

void QVVideoRecorder::audioPump() {
    if (cancel_ || !audioInput_->isReadyForMoreMediaData()) return finishAudio();
    CMSampleBufferRef sound;
    dispatch_sync(dispatch_get_main_queue(), [&] { delegate_->getAudioSample(&sound); });
    if (cancel_ || !sound || !audioInput_->appendSampleBuffer(sound)) return finishAudio();
    dispatch_async(queue_, [this] { audioPump(); });
}

void QVVideoRecorder::finishVideo() {
    if (pending_) CVPixelBufferUnlockBaseAddress(pending_, 0);
    pending_.reset();
    dispatch_sync(dispatch_get_main_queue(), [this] { finishedWithSamples(); });
}

void QVVideoRecorder::finishAudio() {
    dispatch_sync(dispatch_get_main_queue(), [this] { finishedWithSamples(); });
}

void QVVideoRecorder::finishedWithSamples() {
    if (--numToFinish_ > 0) return;
    // The writer's status tells whether every append went in: only a complete movie is named.
    const bool complete = writer_->finishWriting();
    const std::string finished = complete ? filename_ : std::string();
    stop();
    delegate_->finishedRecording(finished);
}

void QVVideoRecorder::stop() {
    if (numToFinish_ > 0) {
        cancel_ = true;
        return;
    }
    if (writer_ && writer_->status() == AVAssetWriterStatus::Writing) writer_->cancelWriting();
    adaptor_.reset();
    writer_.reset();
    videoInput_.reset();
    audioInput_.reset();
    pool_.reset();
    cancel_ = false;
}
