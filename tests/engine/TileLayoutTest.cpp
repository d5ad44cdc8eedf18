// Layout of the full-resolution render: where the strips and tiles go, what part of each is
// written, and which input rectangle a rescaled tile reads.

#include <gtest/gtest.h>

#include <vector>

#include "engine/AmbrelGraphicsController.h"
#include "engine/TileLayout.h"

namespace {

std::vector<sTile> Layout(int32_t width, int32_t height, int32_t tileWidth, int32_t tileHeight, int32_t border) {
    std::vector<sTile> tiles;
    AmbrelGraphicsController::RenderTiled(width, height, width, height, 0, 0, width, height, tileWidth, tileHeight,
                                          border, false, tiles);
    return tiles;
}

TEST(TileLayout, TwelveMegapixelStrips) {
    const std::vector<sTile> strips = Layout(4000, 3000, 4096, 384, 64);
    ASSERT_EQ(strips.size(), 12u);
    for (size_t i = 0; i < strips.size(); ++i) {
        const sTile& s = strips[i];
        EXPECT_EQ(s.x, 0);
        EXPECT_EQ(s.width, 4000);
        EXPECT_EQ(s.y, static_cast<int32_t>(256 * i));
        EXPECT_EQ(s.interiorX, 0);
        EXPECT_EQ(s.interiorWidth, 4000);
    }
    EXPECT_EQ(strips[0].interiorY, 0);
    EXPECT_EQ(strips[0].interiorHeight, 320);
    EXPECT_EQ(strips[1].interiorY, 320);
    EXPECT_EQ(strips[1].interiorHeight, 256);
    EXPECT_EQ(strips[10].interiorY + strips[10].interiorHeight, 2880);
    EXPECT_EQ(strips[11].height, 184);
    EXPECT_EQ(strips[11].interiorY, 2880);
    EXPECT_EQ(strips[11].interiorHeight, 120);
    // The whole input at its own size: each strip reads its own rows.
    EXPECT_EQ(strips[5].sourceY, strips[5].y);
    EXPECT_EQ(strips[5].sourceHeight, strips[5].height);
    EXPECT_EQ(strips[5].textureScale.x, 0.0f);
}

TEST(TileLayout, InteriorsCoverTheOutputExactlyOnce) {
    const struct {
        int32_t width, height, tileWidth, tileHeight, border;
    } cases[] = {
        {1, 1, 256, 256, 64},       {256, 256, 256, 256, 64},      {257, 130, 256, 256, 64},  {1000, 700, 256, 256, 64},
        {600, 400, 16384, 256, 64}, {5000, 1100, 1024, 1024, 256}, {300, 2000, 256, 256, 64},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height << " in " << c.tileWidth << " x "
                                        << c.tileHeight);
        const std::vector<sTile> tiles = Layout(c.width, c.height, c.tileWidth, c.tileHeight, c.border);
        ASSERT_FALSE(tiles.empty());
        std::vector<int> covered(static_cast<size_t>(c.width) * c.height, 0);
        int kind = 0;  // inner, last row, last column, corner: never going back
        for (const sTile& t : tiles) {
            ASSERT_GE(t.interiorX, t.x);
            ASSERT_GE(t.interiorY, t.y);
            ASSERT_LE(t.interiorX + t.interiorWidth, t.x + t.width);
            ASSERT_LE(t.interiorY + t.interiorHeight, t.y + t.height);
            ASSERT_LE(t.x + t.width, c.width);
            ASSERT_LE(t.y + t.height, c.height);
            ASSERT_LE(t.width, c.tileWidth);
            ASSERT_LE(t.height, c.tileHeight);
            const bool lastColumn = t.x + t.width == c.width, lastRow = t.y + t.height == c.height;
            const int tileKind = (lastColumn ? 2 : 0) + (lastRow ? 1 : 0);
            EXPECT_GE(tileKind, kind);
            kind = tileKind;
            for (int32_t y = t.interiorY; y < t.interiorY + t.interiorHeight; ++y)
                for (int32_t x = t.interiorX; x < t.interiorX + t.interiorWidth; ++x)
                    ++covered[static_cast<size_t>(y) * c.width + x];
        }
        for (size_t i = 0; i < covered.size(); ++i)
            ASSERT_EQ(covered[i], 1) << "pixel " << i % c.width << ", " << i / c.width;
    }
}

TEST(TileLayout, NothingForAnEmptyOutputOrABorderAsWideAsTheTile) {
    EXPECT_TRUE(Layout(0, 100, 256, 256, 64).empty());
    EXPECT_TRUE(Layout(100, 0, 256, 256, 64).empty());
    EXPECT_TRUE(Layout(1000, 1000, 128, 128, 64).empty());
}

TEST(TileLayout, RescaledTilesReadInsideTheInput) {
    // A 1000 x 800 crop of a 1200 x 900 input at (100, 50), rendered at 500 x 400.
    std::vector<sTile> tiles;
    AmbrelGraphicsController::RenderTiled(1200, 900, 1000, 800, 100, 50, 500, 400, 256, 256, 64, false, tiles);
    ASSERT_FALSE(tiles.empty());
    for (const sTile& t : tiles) {
        EXPECT_GE(t.sourceX, 100);
        EXPECT_GE(t.sourceY, 50);
        EXPECT_LE(t.sourceX + t.sourceWidth, 1200);
        EXPECT_LE(t.sourceY + t.sourceHeight, 900);
        EXPECT_EQ(t.sourceX, 100 + 2 * t.x);
        EXPECT_NEAR(t.textureScale.x * t.sourceWidth, 2.0f * t.width, 1e-3f * t.sourceWidth);
    }

    // A fractional start: the window begins inside the first source pixel.
    sTile tile;
    tile.x = 3;
    tile.y = 0;
    AmbrelGraphicsController::ComputeTileRect(tile, {1.5f, 1.5f}, {15.0f, 6.0f}, 100, 100, 0, 0);
    EXPECT_EQ(tile.sourceX, 4);
    EXPECT_EQ(tile.sourceWidth, 16);  // ceil(4.5 + 15) - 4
    EXPECT_FLOAT_EQ(tile.textureOffset.x, 0.5f / 16.0f);
    EXPECT_FLOAT_EQ(tile.textureScale.x, 15.0f / 16.0f);
    EXPECT_EQ(tile.sourceHeight, 6);

    // Held at the input's edge.
    tile.x = 60;
    AmbrelGraphicsController::ComputeTileRect(tile, {1.5f, 1.5f}, {15.0f, 6.0f}, 100, 100, 0, 0);
    EXPECT_EQ(tile.sourceX, 90);
    EXPECT_EQ(tile.sourceWidth, 10);
}

}  // namespace
