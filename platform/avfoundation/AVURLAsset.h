#pragma once
// A movie file opened for its tracks: the video track's natural size, nominal frame rate and
// preferred transform (from the track's display matrix), and whether it has sound. Only local
// files open, and only as QuickTime/MPEG-4 movies: libavformat is held to the file protocol and
// the mov demuxer, so no URL reaches the network and no playlist reaches other files. A file
// that cannot be read leaves the asset not `isReadable`.
#include <memory>
#include <string>

#include "platform/coregraphics/CGGeometry.h"

struct AVFormatContext;

namespace platform {

struct AVAssetTrackInfo {
    int streamIndex = -1;
    CGSize naturalSize;
    double nominalFrameRate = 0;
    CGAffineTransform preferredTransform = CGAffineTransformIdentity;
    int sampleRate = 0;  // audio
    int channels = 0;    // audio
};

class AVURLAsset {
public:
    // `url` is a file:// URL or a plain path.
    static std::shared_ptr<AVURLAsset> URLAssetWithURL(const std::string& url);

    bool isReadable() const { return readable_; }
    const std::string& path() const { return path_; }
    // Null when the movie has no such track.
    const AVAssetTrackInfo* videoTrack() const { return video_.streamIndex >= 0 ? &video_ : nullptr; }
    const AVAssetTrackInfo* audioTrack() const { return audio_.streamIndex >= 0 ? &audio_ : nullptr; }
    double durationSeconds() const { return duration_; }

    // The demuxer settings every opening of a movie goes through.
    static AVFormatContext* openFile(const std::string& path);

private:
    std::string path_;
    bool readable_ = false;
    AVAssetTrackInfo video_, audio_;
    double duration_ = 0;
};

using AVURLAssetRef = std::shared_ptr<AVURLAsset>;

}  // namespace platform
