#pragma once
// One piece of a full-resolution render. The output is cut into overlapping tiles; each tile
// is rendered as a picture of its own and only its interior (the tile less a border that
// absorbs the reach of the filters) is written to the result.

#include <cstdint>

#include "gpu/Math.h"

struct sTile {
    // The exact source window inside the source rectangle, in texture units (0-1); (0, 0)
    // when the output is not rescaled.
    QV::Math::CVector2<float> textureOffset{0.0f, 0.0f};
    QV::Math::CVector2<float> textureScale{0.0f, 0.0f};
    // Pixels read from the input for this tile.
    int32_t sourceX = 0, sourceY = 0, sourceWidth = 0, sourceHeight = 0;
    // The tile in output pixels, border included.
    int32_t x = 0, y = 0, width = 0, height = 0;
    // The part written to the result, in output pixels.
    int32_t interiorX = 0, interiorY = 0, interiorWidth = 0, interiorHeight = 0;

    bool operator==(const sTile&) const = default;
};
static_assert(sizeof(sTile) == 64);
