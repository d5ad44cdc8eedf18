#pragma once
// Reads a movie's tracks through their outputs: reading after startReading, completed once every
// output has reached its end (each output answers null from its own end on), failed on a
// damaged file (never a crash). A reader belongs to one thread.
// AVAssetReaderTrackOutput::copyNextSampleBuffer lives in AVAssetReader.cpp.
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/avfoundation/AVAssetReaderTrackOutput.h"
#include "platform/avfoundation/AVURLAsset.h"

struct AVFormatContext;

namespace platform {

enum class AVAssetReaderStatus { Unknown, Reading, Completed, Failed, Cancelled };

class AVAssetReader {
public:
    explicit AVAssetReader(AVURLAssetRef asset);
    ~AVAssetReader();
    AVAssetReader(const AVAssetReader&) = delete;
    AVAssetReader& operator=(const AVAssetReader&) = delete;

    AVAssetReaderStatus status() const { return status_; }
    // False when the asset has no track of the output's kind or reading has begun. The output
    // must outlive the reader.
    bool canAddOutput(const AVAssetReaderTrackOutput& output) const;
    void addOutput(AVAssetReaderTrackOutput& output);
    bool startReading();
    void cancelReading();

private:
    friend class AVAssetReaderTrackOutput;
    struct Track;
    CMSampleBufferRef next(AVMediaKind mediaType);
    bool readPacket();
    void fail();

    AVURLAssetRef asset_;
    AVAssetReaderStatus status_ = AVAssetReaderStatus::Unknown;
    std::vector<AVAssetReaderTrackOutput*> outputs_;
    std::vector<std::unique_ptr<Track>> tracks_;
    AVFormatContext* format_ = nullptr;
    bool endOfFile_ = false;
};

}  // namespace platform
