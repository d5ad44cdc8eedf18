#pragma once

class VideoAssetController;

// Told when playback ends: `finished` YES for a stop, NO when the movie ran out (or its reading
// failed).
class VideoAssetControllerDelegate {
public:
    virtual ~VideoAssetControllerDelegate() = default;
    virtual void videoAssetControllerDidFinish(VideoAssetController& controller, bool finished) = 0;
};
