#pragma once
// What a movie file holds, read by libavformat: its picture size and length. Nullopt when the
// file does not open as a movie with a video stream.
#include <optional>
#include <string>

namespace photos {

struct MovieInfo {
    int width = 0, height = 0;
    double duration = 0;  // seconds
};

std::optional<MovieInfo> ProbeMovie(const std::string& path);

}  // namespace photos
