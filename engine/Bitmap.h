#pragma once
// A picture the engine hands back: plain memory, no toolkit image. Rows are top first,
// `bytesPerRow` apart; 4 bytes a pixel in `format`'s byte order with straight alpha. The
// orientation travels with it (the pixels are not turned): 0 up, 1 down, 2 left, 3 right,
// 4-7 their mirrored forms.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "engine/EngineRecords.h"

struct sBitmap {
    int32_t width = 0;
    int32_t height = 0;
    size_t bytesPerRow = 0;
    ePixelFormat format = kPixelFormatBGRA;
    int64_t orientation = 0;
    std::vector<uint8_t> bytes;
};

// A picture handed over a band at a time instead: `count` packed B,G,R,A rows starting at row
// `first`, top first, valid only during the call. False stops whoever is handing them over.
using BitmapRowSink = std::function<bool(const uint8_t* rows, int32_t first, int32_t count)>;
