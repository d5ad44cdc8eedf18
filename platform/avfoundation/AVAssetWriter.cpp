#include "platform/avfoundation/AVAssetWriter.h"

#include <cstdio>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
}

#include "platform/avfoundation/LibavLog.h"

namespace platform {

AVAssetWriter::AVAssetWriter(std::string path) : path_(std::move(path)), partialPath_(path_ + ".partial") {}

AVAssetWriter::~AVAssetWriter() {
    stopEncoder(false);
    if (status_ == AVAssetWriterStatus::Writing) cancelWriting();
    closeAndRemove();
    for (AVAssetWriterInput* input : inputs_) input->closeEncoder();
}

bool AVAssetWriter::canAddInput(const AVAssetWriterInput& input) const {
    if (status_ != AVAssetWriterStatus::Unknown || input.writer_ != nullptr) return false;
    for (const AVAssetWriterInput* existing : inputs_)
        if (existing->mediaType() == input.mediaType()) return false;
    return input.mediaType() == AVMediaKind::Audio || (input.width() > 0 && input.height() > 0);
}

void AVAssetWriter::addInput(AVAssetWriterInput& input) {
    if (!canAddInput(input)) return;
    input.writer_ = this;
    inputs_.push_back(&input);
}

bool AVAssetWriter::startWriting() {
    if (status_ != AVAssetWriterStatus::Unknown) return false;
    if (inputs_.empty()) {
        fail("no inputs");
        return false;
    }
    UseLibavLog();
    if (avformat_alloc_output_context2(&format_, nullptr, "mov", partialPath_.c_str()) < 0 || !format_) {
        fail("the QuickTime muxer is missing");
        return false;
    }
    for (AVAssetWriterInput* input : inputs_) {
        std::string reason;
        if (!input->openEncoder(format_, &reason)) {
            fail(reason);
            return false;
        }
    }
    if (avio_open(&format_->pb, partialPath_.c_str(), AVIO_FLAG_WRITE) < 0) {
        fail("cannot create " + partialPath_);
        return false;
    }
    if (avformat_write_header(format_, nullptr) < 0) {
        fail("cannot write the movie header");
        return false;
    }
    status_ = AVAssetWriterStatus::Writing;
    for (AVAssetWriterInput* input : inputs_)
        if (input->expectsMediaDataInRealTime() && !encoder_.joinable())
            encoder_ = std::thread([this] { runEncoder(); });
    return true;
}

bool AVAssetWriter::hasRoom() const {
    if (encoderFailed_) return false;
    std::lock_guard<std::mutex> lock(mutex_);
    return !encoder_.joinable() || queue_.size() < kRealTimeQueueLength;
}

bool AVAssetWriter::submit(AVAssetWriterInput& input, AVFrame* frame) {
    if (!encoder_.joinable()) {
        const bool ok = input.encodeFrame(frame);
        av_frame_free(&frame);
        return ok;
    }
    if (encoderFailed_) {
        av_frame_free(&frame);
        stopEncoder(false);
        return false;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.push_back({&input, frame});
    }
    wake_.notify_one();
    return true;
}

void AVAssetWriter::runEncoder() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (queue_.empty() || (stopping_ && !draining_)) break;
        EncodeJob job = queue_.front();
        lock.unlock();
        const bool ok = !encoderFailed_ && job.input->encodeFrame(job.frame);
        av_frame_free(&job.frame);
        lock.lock();
        queue_.pop_front();
        if (!ok && !encoderFailed_) {
            encoderError_ = "cannot encode the movie";
            encoderFailed_ = true;
        }
    }
}

void AVAssetWriter::stopEncoder(bool drain) {
    if (encoder_.joinable()) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
            draining_ = drain;
        }
        wake_.notify_one();
        encoder_.join();
        for (EncodeJob& job : queue_) av_frame_free(&job.frame);
        queue_.clear();
    }
    if (encoderFailed_ && status_ == AVAssetWriterStatus::Writing) fail(encoderError_);
}

void AVAssetWriter::startSessionAtSourceTime(CMTime startTime) {
    if (status_ == AVAssetWriterStatus::Writing && !CMTIME_IS_VALID(sessionStart_)) sessionStart_ = startTime;
}

bool AVAssetWriter::writePacket(AVPacket* packet) {
    if (av_interleaved_write_frame(format_, packet) < 0) {
        // On the encoding thread the failure is picked up by the appending thread.
        if (encoder_.joinable() && std::this_thread::get_id() == encoder_.get_id()) return false;
        fail("cannot write to " + partialPath_);
        return false;
    }
    return true;
}

bool AVAssetWriter::finishWriting() {
    if (status_ != AVAssetWriterStatus::Writing) return false;
    stopEncoder(true);
    if (status_ != AVAssetWriterStatus::Writing) return false;
    for (AVAssetWriterInput* input : inputs_) {
        if (!input->flush()) {
            fail("cannot flush the encoders");
            return false;
        }
    }
    if (av_write_trailer(format_) < 0) {
        fail("cannot write the movie index");
        return false;
    }
    const bool closed = avio_closep(&format_->pb) >= 0;
    avformat_free_context(format_);
    format_ = nullptr;
    if (!closed || std::rename(partialPath_.c_str(), path_.c_str()) != 0) {
        fail("cannot finish " + path_);
        return false;
    }
    status_ = AVAssetWriterStatus::Completed;
    return true;
}

void AVAssetWriter::cancelWriting() {
    if (status_ == AVAssetWriterStatus::Completed) return;
    stopEncoder(false);
    closeAndRemove();
    status_ = AVAssetWriterStatus::Cancelled;
}

void AVAssetWriter::fail(const std::string& reason) {
    if (status_ == AVAssetWriterStatus::Failed) return;
    error_ = reason;
    status_ = AVAssetWriterStatus::Failed;
    stopEncoder(false);
    closeAndRemove();
}

// Leaves the encoders alone: a failure may be reported from inside one of them.
void AVAssetWriter::closeAndRemove() {
    if (!format_) return;
    if (format_->pb) avio_closep(&format_->pb);
    avformat_free_context(format_);
    format_ = nullptr;
    std::remove(partialPath_.c_str());
}

}  // namespace platform
