#include "camera/movie/QVRealTimeVideoRecorder.h"

#include "camera/movie/QVFileUtility.h"

using namespace platform;

QVRealTimeVideoRecorder::QVRealTimeVideoRecorder(std::string filename)
    : callerNamed_(!filename.empty()),
      filename_(callerNamed_ ? std::move(filename) : QVFileUtility::defaultMovieFilename()) {}

QVRealTimeVideoRecorder::~QVRealTimeVideoRecorder() {
    stop();
    if (!callerNamed_) QVFileUtility::markUniqueFilenameForDelete(filename_);
}

CGSize QVRealTimeVideoRecorder::outputSize(int32_t width, int32_t height) const {
    const auto pw = static_cast<int32_t>(preferredOutputSize_.width);
    const auto ph = static_cast<int32_t>(preferredOutputSize_.height);
    if (pw == 0 || ph == 0) return CGSizeMake(width, height);
    const bool sameWay = (width > height && pw > ph) || (height > width && ph > pw);
    return sameWay ? CGSizeMake(pw, ph) : CGSizeMake(ph, pw);
}

bool QVRealTimeVideoRecorder::start(int32_t width, int32_t height, const CGAffineTransform* transform,
                                    std::unique_ptr<QVRealTimeVideoRecorderFrame> frameSource, bool audio) {
    if (writer_ || width <= 0 || height <= 0) return false;
    result_.clear();
    if (!QVFileUtility::nextMovieFilename(callerNamed_, &filename_)) return false;
    const CGSize size = outputSize(width, height);
    writer_ = std::make_unique<AVAssetWriter>(filename_);
    videoInput_ = std::make_unique<AVAssetWriterInput>(
        AVMediaKind::Video, AVWriterInputSettings{static_cast<int32_t>(size.width), static_cast<int32_t>(size.height)});
    videoInput_->setExpectsMediaDataInRealTime(true);
    if (transform) videoInput_->setTransform(*transform);
    writer_->addInput(*videoInput_);
    adaptor_ = std::make_unique<AVAssetWriterInputPixelBufferAdaptor>(*videoInput_);
    // Rows keep the pool's usual alignment; the frame source is told each buffer's stride.
    const CVPixelBufferPoolAttributes attributes{static_cast<size_t>(width), static_cast<size_t>(height),
                                                 kCVPixelFormatType_32BGRA};
    if (audio) {
        audioInput_ = std::make_unique<AVAssetWriterInput>(AVMediaKind::Audio, AVWriterInputSettings{});
        audioInput_->setExpectsMediaDataInRealTime(true);
        writer_->addInput(*audioInput_);
    }
    if (CVPixelBufferPoolCreate(attributes, &pool_) != kCVReturnSuccess || !writer_->startWriting()) {
        tearDown();
        return false;
    }
    frameSource_ = std::move(frameSource);
    started_ = true;
    return true;
}

void QVRealTimeVideoRecorder::startSession(CMTime time) {
    startTime_ = time;
    writer_->startSessionAtSourceTime(time);
}

bool QVRealTimeVideoRecorder::readyForAnotherFrame() const {
    return videoInput_ && videoInput_->isReadyForMoreMediaData();
}

bool QVRealTimeVideoRecorder::readyForMoreAudio() const {
    return audioInput_ && audioInput_->isReadyForMoreMediaData();
}

bool QVRealTimeVideoRecorder::recordFrame() {
    if (!started_ || !readyForAnotherFrame() || !frameSource_) return false;
    CMTime time;
    if (!frameSource_->sampleTime(&time) || !CMTIME_IS_VALID(time)) return false;
    if (!CMTIME_IS_VALID(startTime_)) startSession(time);
    // A redraw without new input repeats the last time (the first frame's included): drop it
    // rather than hand the writer a time it must refuse, which would lose the whole movie.
    if (CMTIME_IS_VALID(lastTime_) && CMTimeCompare(time, lastTime_) <= 0) return true;
    if (CMTimeCompare(time, startTime_) < 0) return true;
    CVPixelBufferRef buffer;
    if (CVPixelBufferPoolCreatePixelBuffer(pool_, &buffer) != kCVReturnSuccess) return false;
    CVPixelBufferLockBaseAddress(buffer, 0);
    auto* base = static_cast<uint8_t*>(CVPixelBufferGetBaseAddress(buffer));
    const bool written = base && frameSource_->sample(base, CVPixelBufferGetBytesPerRow(buffer));
    CVPixelBufferUnlockBaseAddress(buffer, 0);
    if (!written) return false;
    lastTime_ = time;
    if (!adaptor_->appendPixelBuffer(buffer, time)) return false;
    ++framesAppended_;
    return true;
}

bool QVRealTimeVideoRecorder::recordAudio(const CMSampleBufferRef& sampleBuffer) {
    if (!started_ || !readyForMoreAudio() || !sampleBuffer) return false;
    if (!CMTIME_IS_VALID(startTime_)) {
        const CMTime start = frameSource_ ? frameSource_->startTime() : kCMTimeInvalid;
        if (!CMTIME_IS_VALID(start)) return false;
        startSession(start);
    }
    if (CMTimeCompare(sampleBuffer->presentationTimeStamp(), startTime_) < 0) return false;
    return audioInput_->appendSampleBuffer(sampleBuffer);
}

void QVRealTimeVideoRecorder::stop() {
    if (!writer_) return;
    // A movie without frames is no movie: it is cancelled instead of finished.
    const bool finished = framesAppended_ > 0 && writer_->finishWriting();
    if (!finished) writer_->cancelWriting();
    result_ = finished ? filename_ : std::string();
    tearDown();
}

void QVRealTimeVideoRecorder::tearDown() {
    adaptor_.reset();
    writer_.reset();  // before its inputs, which it refers to
    videoInput_.reset();
    audioInput_.reset();
    pool_.reset();
    frameSource_.reset();
    startTime_ = lastTime_ = kCMTimeInvalid;
    framesAppended_ = 0;
    started_ = false;
}
