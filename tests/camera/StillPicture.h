#pragma once
// Reading a still of the simulated camera: which scene marker (0 top left, 1 top right,
// 2 bottom left, 3 bottom right) shows near each corner, and entries of its metadata.
#include <string>
#include <utility>

#include "platform/avfoundation/SimulatedCamera.h"
#include "platform/coregraphics/CGImage.h"
#include "platform/imageio/ImageProperties.h"
#include "platform/uikit/UIImage.h"

// The marker near a corner of a BGRA still, or -1.
inline int StillMarkerAt(const UIImagePtr& image, bool right, bool bottom) {
    const CGImageRef& cg = image->CGImage();
    const size_t w = CGImageGetWidth(cg), h = CGImageGetHeight(cg);
    const auto data = CGImageGetData(cg);
    const size_t x = right ? w * 95 / 100 : w * 5 / 100, y = bottom ? h * 95 / 100 : h * 5 / 100;
    const uint8_t* bgra = data->data() + y * CGImageGetBytesPerRow(cg) + x * 4;
    for (int m = 0; m < 4; ++m) {
        bool match = true;
        for (int c = 0; c < 3; ++c)
            match = match && (platform::SimulatedCamera::kMarkers[m][c] > 128) == (bgra[c] > 128);
        if (match) return m;
    }
    return -1;
}

// The markers at the top left, top right, bottom left and bottom right: "0123" when upright.
inline std::string StillCorners(const UIImagePtr& image) {
    std::string s;
    for (auto [right, bottom] : {std::pair{false, false}, {true, false}, {false, true}, {true, true}})
        s += std::to_string(StillMarkerAt(image, right, bottom));
    return s;
}

// An integer entry, of a group or at the top level (no group); -1 when absent.
inline int64_t StillEntry(const platform::ImageProperties& metadata, const char* group, const char* key) {
    const platform::ImagePropertyValue* v =
        group ? platform::ImagePropertyFind(metadata, group, key) : platform::ImagePropertyFind(metadata, key);
    return v && v->integer() ? *v->integer() : -1;
}
