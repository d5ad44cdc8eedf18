#pragma once
// Writes a QuickTime movie: the muxer writes "<path>.partial" beside the target, which is
// renamed to the target only when finishing succeeds, so a failed movie never appears under
// its name. startWriting checks for the encoders (libx264, else any H.264 encoder; FFmpeg's
// aac) and writes the header; times are taken relative to startSessionAtSourceTime.
//
// A writer with a real-time input encodes on one thread of its own behind a queue of
// kRealTimeQueueLength frames: its inputs are ready for more while the queue has room, so a
// live recorder drops frames rather than blocking the thread that draws them. Other writers
// encode on the appending thread. Finishing drains the queue first.
#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/avfoundation/AVAssetWriterInput.h"

struct AVFormatContext;
struct AVPacket;
struct AVFrame;

namespace platform {

enum class AVAssetWriterStatus { Unknown, Writing, Completed, Failed, Cancelled };

class AVAssetWriter {
public:
    static constexpr size_t kRealTimeQueueLength = 8;

    // `path` is the movie's final name; nothing is created before startWriting.
    explicit AVAssetWriter(std::string path);
    ~AVAssetWriter();
    AVAssetWriter(const AVAssetWriter&) = delete;
    AVAssetWriter& operator=(const AVAssetWriter&) = delete;

    const std::string& outputPath() const { return path_; }
    AVAssetWriterStatus status() const { return status_; }
    // Why the writer failed; empty otherwise.
    const std::string& error() const { return error_; }

    bool canAddInput(const AVAssetWriterInput& input) const;
    // The writer keeps a reference to the input, which must outlive it.
    void addInput(AVAssetWriterInput& input);
    bool startWriting();
    void startSessionAtSourceTime(CMTime startTime);
    // Flushes the encoders, writes the trailer, closes and renames; completed or failed.
    bool finishWriting();
    // Stops and removes the partial file.
    void cancelWriting();

private:
    friend class AVAssetWriterInput;
    struct EncodeJob {
        AVAssetWriterInput* input;
        ::AVFrame* frame;
    };
    bool writePacket(AVPacket* packet);
    // Encodes `frame` (taking it) now, or queues it for the encoding thread.
    bool submit(AVAssetWriterInput& input, ::AVFrame* frame);
    bool hasRoom() const;
    void runEncoder();
    // Ends the encoding thread, after encoding what is queued when `drain`; picks up its failure.
    void stopEncoder(bool drain);
    void fail(const std::string& reason);
    void closeAndRemove();

    std::string path_;
    std::string partialPath_;
    AVAssetWriterStatus status_ = AVAssetWriterStatus::Unknown;
    std::string error_;
    std::vector<AVAssetWriterInput*> inputs_;
    AVFormatContext* format_ = nullptr;
    CMTime sessionStart_ = kCMTimeInvalid;

    std::thread encoder_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<EncodeJob> queue_;
    bool stopping_ = false, draining_ = false;
    std::atomic<bool> encoderFailed_{false};
    std::string encoderError_;
};

}  // namespace platform
