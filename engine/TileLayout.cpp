// Layout of the full-resolution render: overlapping tiles over the output, their interiors,
// and the input rectangle each reads when the output is rescaled.

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/AmbrelGraphicsController.h"
#include "engine/TileLayout.h"
#include "engine/EnginePrograms.h"

using QV::Math::CVector2;

// --- Layout --------------------------------------------------------------------------------

void AmbrelGraphicsController::ComputeTileBorder(int32_t& tileSize, int32_t& border) const {
    // The chain's reach grows with its coarsest level, whose texels are 2^(levels - 1) pixels
    // of the tile: the pyramid's blurs, the bands' upsampling and the box means there read a
    // few of them. Their full support is wider, but past four coarsest texels the Gaussian
    // tails no longer show in 8 bits: on a 13-megapixel photo (six levels) the joins differ
    // by up to 22 levels with 64 rows of border, not beyond the scattered single pixels away
    // from the joins with 128, and no less with 192. Never under 64 for the shallow pyramids.
    border = std::max(64, 4 * CoarsestLevelTexel());
    if (tileSize < 4 * border) tileSize = 4 * border;
}

int32_t AmbrelGraphicsController::CoarsestLevelTexel() const { return 1 << (std::clamp(levelCount, 1, 7) - 1); }

int32_t AmbrelGraphicsController::KeptRowsMargin() const {
    if (!keptRows.limited || smoothing.type != eGaussianType::None || smoothing.lineIntegral) return 0;
    const sFilterScale& record = shaderSets.filterScales[FilterScaleVariant()];
    const int32_t boxReach = BoxMeanTapCount(record) / 2;
    // The bands' and reconstruction's blurs read the coarser level: two texels of this one each.
    const int32_t blurReach = 2 * (record.KernelByScale(5) / 2);
    const int32_t toneReach = toneMapping.Runs() ? ToneMappingTapCount(toneMapping, record) / 2 : 0;
    // A few rows more for the rounding of each level's rows.
    return 2 * (boxReach + 2 * blurReach + toneReach) + 8;
}

void AmbrelGraphicsController::RenderTiled(int32_t inW, int32_t inH, int32_t cropW, int32_t cropH, int32_t cropX,
                                           int32_t cropY, int32_t outW, int32_t outH, int32_t tileW, int32_t tileH,
                                           int32_t border, bool sort, std::vector<sTile>& tiles) {
    tiles.clear();
    const int32_t stepX = tileW - 2 * border, stepY = tileH - 2 * border;
    // Tiles that advance by nothing would never reach the edge.
    if (outW < 1 || outH < 1 || stepX < 1 || stepY < 1) return;

    std::vector<sTile> lists[4];  // inner, last row, last column, corner
    for (int32_t x = 0;; x += stepX) {
        const bool lastColumn = x + tileW >= outW;
        const bool firstColumn = x == 0;
        for (int32_t y = 0;; y += stepY) {
            const bool lastRow = y + tileH >= outH;
            const bool firstRow = y == 0;
            sTile tile;
            tile.x = x;
            tile.y = y;
            tile.width = lastColumn ? outW - x : tileW;
            tile.height = lastRow ? outH - y : tileH;
            tile.interiorX = firstColumn ? 0 : x + border;
            tile.interiorY = firstRow ? 0 : y + border;
            tile.interiorWidth = lastColumn ? outW - tile.interiorX : firstColumn ? tileW - border : stepX;
            tile.interiorHeight = lastRow ? outH - tile.interiorY : firstRow ? tileH - border : stepY;
            tile.sourceX = tile.x;
            tile.sourceY = tile.y;
            tile.sourceWidth = tile.width;
            tile.sourceHeight = tile.height;
            lists[(lastColumn ? 2 : 0) + (lastRow ? 1 : 0)].push_back(tile);
            if (lastRow) break;
        }
        if (lastColumn) break;
    }

    // Anything but the whole input at its own size reads source rectangles of its own.
    const bool rescaled = inW != outW || inH != outH || cropW != inW || cropH != inH || cropX != 0 || cropY != 0;
    if (rescaled) {
        const CVector2<float> scale(static_cast<float>(cropW) / static_cast<float>(outW),
                                    static_cast<float>(cropH) / static_cast<float>(outH));
        for (std::vector<sTile>& list : lists) {
            if (list.empty()) continue;
            const CVector2<float> size(scale.x * static_cast<float>(list.front().width),
                                       scale.y * static_cast<float>(list.front().height));
            // The rectangles stay inside the input image.
            for (sTile& tile : list) ComputeTileRect(tile, scale, size, inW, inH, cropX, cropY);
        }
    }

    tiles.reserve(lists[0].size() + lists[1].size() + lists[2].size() + lists[3].size());
    for (const std::vector<sTile>& list : lists) tiles.insert(tiles.end(), list.begin(), list.end());
    if (sort)
        std::stable_sort(tiles.begin(), tiles.end(), [](const sTile& a, const sTile& b) {
            return a.y != b.y ? a.y < b.y : a.x < b.x;  // row by row, left to right
        });
}

void AmbrelGraphicsController::ComputeTileRect(sTile& tile, const CVector2<float>& scale, CVector2<float> size,
                                               int32_t limitX, int32_t limitY, int32_t originX, int32_t originY) {
    const float fx = static_cast<float>(originX) + scale.x * static_cast<float>(tile.x);
    const float fy = static_cast<float>(originY) + scale.y * static_cast<float>(tile.y);
    tile.sourceX = static_cast<int32_t>(std::floor(fx));
    tile.sourceY = static_cast<int32_t>(std::floor(fy));
    tile.sourceWidth = static_cast<int32_t>(std::ceil(fx + size.x) - static_cast<float>(tile.sourceX));
    tile.sourceHeight = static_cast<int32_t>(std::ceil(fy + size.y) - static_cast<float>(tile.sourceY));
    if (tile.sourceX + tile.sourceWidth > limitX) tile.sourceWidth = limitX - tile.sourceX;
    if (tile.sourceY + tile.sourceHeight > limitY) tile.sourceHeight = limitY - tile.sourceY;
    tile.sourceWidth = std::max(tile.sourceWidth, 1);
    tile.sourceHeight = std::max(tile.sourceHeight, 1);
    const float w = static_cast<float>(tile.sourceWidth), h = static_cast<float>(tile.sourceHeight);
    tile.textureScale = CVector2<float>(size.x / w, size.y / h);
    tile.textureOffset =
        CVector2<float>((fx - static_cast<float>(tile.sourceX)) / w, (fy - static_cast<float>(tile.sourceY)) / h);
}
