#pragma once
// Writes a QuickTime movie: the muxer writes "<path>.partial" beside the target, which is
// renamed to the target only when finishing succeeds, so a failed movie never appears under
// its name. startWriting checks for the encoders (libx264, else any H.264 encoder; FFmpeg's
// aac) and writes the header; times are taken relative to startSessionAtSourceTime.
#include <memory>
#include <string>
#include <vector>

#include "platform/avfoundation/AVAssetWriterInput.h"

struct AVFormatContext;
struct AVPacket;

namespace platform {

enum class AVAssetWriterStatus { Unknown, Writing, Completed, Failed, Cancelled };

class AVAssetWriter {
public:
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
    bool writePacket(AVPacket* packet);
    void fail(const std::string& reason);
    void closeAndRemove();

    std::string path_;
    std::string partialPath_;
    AVAssetWriterStatus status_ = AVAssetWriterStatus::Unknown;
    std::string error_;
    std::vector<AVAssetWriterInput*> inputs_;
    AVFormatContext* format_ = nullptr;
    CMTime sessionStart_ = kCMTimeInvalid;
};

}  // namespace platform
