#pragma once
// What one render is for. The preview renders with the default request; a render to an image
// passes its own, so the preview's zoom, compare split, target and program variant are read
// through the request instead of being switched and put back around the render.
#include <cstdint>

struct sRenderRequest {
    // Which program of each pair, and which filter-scale record: 0 the preview's, 1 the
    // full-resolution render's.
    int32_t programVariant = 0;
    int32_t filterScaleVariant = 0;
    // Drawn offscreen for read-back, whatever the engine's standing target is.
    bool offscreen = false;
    // The preview's zoom and before/after split apply.
    bool zoomAndSplit = true;
    // The preview's quality shortcuts are allowed.
    bool previewQuality = true;
    // The read-back makes the result opaque itself, so a frame with nothing after the input
    // may be read back from the working picture, whose alpha holds its luminance.
    bool opaqueReadBack = false;

    static constexpr sRenderRequest Preview() { return {}; }
    static constexpr sRenderRequest Snapshot() { return {0, 0, true, true, true, false}; }
    static constexpr sRenderRequest FullResolution() { return {1, 1, true, false, false, true}; }
};
