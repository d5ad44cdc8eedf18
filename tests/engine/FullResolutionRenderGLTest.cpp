// The full-resolution render on a real device: strips, tiles and a single tile agree, the
// picture keeps its place whatever orientation it carries, the compare split stays out of the
// export, progress runs from 0 to 1, and the preview state is put back.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/AmbrelGraphicsController.h"
#include "engine/TileLayout.h"
#include "gpu/Device.h"
#include "platform/opengles/CAEAGLLayer.h"

namespace {

// A photo-like test picture: smooth gradients with some texture, opaque, R,G,B,A or B,G,R,A.
std::vector<uint8_t> Picture(int32_t width, int32_t height, int32_t bytesPerPixel = 4) {
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * bytesPerPixel);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            uint8_t* p = &pixels[(static_cast<size_t>(y) * width + x) * bytesPerPixel];
            const double texture = 18.0 * std::sin(x * 0.21) * std::cos(y * 0.17);
            p[0] = static_cast<uint8_t>(std::clamp(40.0 + 170.0 * x / width + texture, 0.0, 255.0));
            p[1] = static_cast<uint8_t>(std::clamp(60.0 + 140.0 * y / height - texture, 0.0, 255.0));
            p[2] = static_cast<uint8_t>(std::clamp(120.0 + 60.0 * std::sin((x + y) * 0.01), 0.0, 255.0));
            if (bytesPerPixel == 4) p[3] = 255;
        }
    return pixels;
}

struct Difference {
    double mean = 0;
    int max = 0;
};

// Colour channels of two B,G,R,A images of one size.
Difference Compare(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    Difference d;
    if (a.size() != b.size()) return {1e9, 255};
    double sum = 0;
    size_t n = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        if (i % 4 == 3) continue;
        const int delta = std::abs(int(a[i]) - int(b[i]));
        sum += delta;
        d.max = std::max(d.max, delta);
        ++n;
    }
    d.mean = sum / static_cast<double>(n);
    return d;
}

// R,G,B,A to B,G,R,A.
std::vector<uint8_t> Swapped(std::vector<uint8_t> pixels) {
    for (size_t i = 0; i + 3 < pixels.size(); i += 4) std::swap(pixels[i], pixels[i + 2]);
    return pixels;
}

std::vector<uint8_t> Bytes(const std::shared_ptr<sBitmap>& image) {
    return image ? image->bytes : std::vector<uint8_t>{};
}

class FullResolutionRenderTest : public ::testing::Test {
protected:
    static constexpr int32_t kWidth = 600, kHeight = 400;

    void SetUp() override {
        // The preview draws to a screen layer, as in the view.
        device = QV::Graphics::CDevice::Create(&layer, true, false, false);
        ASSERT_NE(device, nullptr) << "no OpenGL ES 2 device";
        engine = std::make_unique<AmbrelGraphicsController>(TAVORIN_RESOURCE_DIR);
        engine->SetViewRect(0, 0, 384, 384);
        picture = Picture(kWidth, kHeight);
    }
    void TearDown() override {
        EXPECT_EQ(engine->ProgramVariant(), 0);
        EXPECT_EQ(engine->FilterScaleVariant(), 0);
        engine.reset();
        EXPECT_FALSE(device->CheckError());
        device.reset();
    }

    void Choose(const char* parameter, const char* value) {
        engine->SetAdjustment(parameter, true, AmbrelGraphicsController::AdjustmentValueFromString(parameter, value));
    }

    // One preview frame of the picture, as the view renders before an export.
    void Preview() {
        engine->SetInputPixels(sFrameTime::Make(0, 60), sInputGeometry::Whole(kWidth, kHeight), 0, kPixelFormatRGBA,
                               picture.data());
        engine->RenderFrame();
    }

    // The preview frame, read back.
    std::vector<uint8_t> PreviewFrame() {
        Preview();
        const auto [w, h] = engine->OutputFrameSize();
        std::vector<uint8_t> pixels(static_cast<size_t>(w) * h * 4);
        EXPECT_TRUE(engine->ReadOutputFrame(pixels.data(), static_cast<uint64_t>(w) * 4));
        return pixels;
    }

    enum class Renderer { Strips, Tiles };
    std::shared_ptr<sBitmap> Render(Renderer renderer, int64_t orientation = 0, int32_t format = kPixelFormatRGBA,
                                    const void* pixels = nullptr) {
        Preview();
        EXPECT_FALSE(device->CheckError()) << "preview";
        const void* source = pixels ? pixels : picture.data();
        const auto block = [source] { return source; };
        return renderer == Renderer::Strips ? engine->RenderToImageStrips(kWidth, kHeight, kWidth, kHeight, 0, 0,
                                                                          kWidth, kHeight, orientation, format, block)
                                            : engine->RenderToImageTiles(kWidth, kHeight, kWidth, kHeight, 0, 0, kWidth,
                                                                         kHeight, orientation, format, block);
    }

    platform::CAEAGLLayer layer{CGRectMake(0, 0, 384, 384)};
    std::unique_ptr<QV::Graphics::IDevice> device;
    std::unique_ptr<AmbrelGraphicsController> engine;
    std::vector<uint8_t> picture;
};

TEST_F(FullResolutionRenderTest, StyleNoneReturnsThePictureOpaque) {
    Choose("Luminance Style", "None");
    std::vector<uint8_t> expected(picture.size());
    for (size_t i = 0; i < picture.size(); i += 4) {  // R,G,B,A in, B,G,R,A out
        expected[i] = picture[i + 2];
        expected[i + 1] = picture[i + 1];
        expected[i + 2] = picture[i];
        expected[i + 3] = 255;
    }
    for (const bool noiseFilter : {false, true})
        for (const Renderer renderer : {Renderer::Strips, Renderer::Tiles}) {
            SCOPED_TRACE(std::string(renderer == Renderer::Strips ? "strips" : "tiles") +
                         (noiseFilter ? ", noise filter" : ""));
            engine->SetAdjustment("NR On/Off", true, noiseFilter ? 1.0f : 0.0f);
            const std::shared_ptr<sBitmap> image = Render(renderer);
            ASSERT_NE(image, nullptr);
            EXPECT_EQ(image->width, kWidth);
            EXPECT_EQ(image->height, kHeight);
            if (!noiseFilter) {
                const Difference d = Compare(Bytes(image), expected);
                EXPECT_LT(d.mean, 1.0);
                EXPECT_LE(d.max, 3);
            }
            // The working picture's alpha holds its luminance: none of it may reach the result.
            size_t translucent = 0;
            for (size_t i = 3; i < image->bytes.size(); i += 4) translucent += image->bytes[i] != 255;
            EXPECT_EQ(translucent, 0u) << "every pixel opaque";
        }
}

TEST_F(FullResolutionRenderTest, TileBorderFollowsTheLevelCount) {
    const struct {
        int32_t levels, tileIn, tileOut, border;
    } cases[] = {{4, 384, 384, 64}, {5, 384, 384, 64},   {6, 768, 768, 128},  {6, 256, 512, 128},
                 {4, 100, 256, 64}, {7, 384, 1024, 256}, {7, 2048, 2048, 256}};
    for (const auto& c : cases) {
        engine->levelCount = c.levels;
        int32_t tile = c.tileIn, border = 0;
        engine->ComputeTileBorder(tile, border);
        EXPECT_EQ(tile, c.tileOut) << c.levels << " levels, " << c.tileIn;
        EXPECT_EQ(border, c.border) << c.levels << " levels";
    }
}

// Strips, small tiles and one tile give the same picture: each piece's border absorbs the
// reach of the filters.
TEST_F(FullResolutionRenderTest, StripsTilesAndASingleTileAgree) {
    struct Setting {
        const char* name;
        const char* choice;  // an enumeration value by name, or null for `value`
        float value;
    };
    const struct {
        const char* name;
        std::vector<Setting> settings;
    } styles[] = {
        {"CIE defaults", {}},
        {"CIE, strong contrast, noise reduction, halo",
         {{"NR On/Off", nullptr, 1.0f},
          {"CIE Contrast K Strength", nullptr, 0.9f},
          {"CIE Halo Strength", nullptr, 0.6f},
          {"Alg CIE Brightness Strength", nullptr, 0.7f}}},
        // The tone mapping's passes reach furthest of those that only lead to a strip's interior.
        {"CIE with the tone mapping",
         {{"Tone Mapping P", nullptr, 0.25f},
          {"Tone Mapping Dimension", "7", 0},
          {"CIE Contrast K Strength", nullptr, 0.9f}}},
        {"colour adjustments, look and vignette",
         {{"Luminance Style", "None with Color Adjustments", 0},
          {"CA Tone Map", "Amaro", 0},
          {"CA Vignette On/Off", nullptr, 1.0f},
          {"CA Saturation Strength", nullptr, 0.7f}}},
    };
    for (const auto& style : styles) {
        SCOPED_TRACE(style.name);
        engine = std::make_unique<AmbrelGraphicsController>(TAVORIN_RESOURCE_DIR);
        engine->SetViewRect(0, 0, 384, 384);
        for (const Setting& setting : style.settings)
            if (setting.choice) Choose(setting.name, setting.choice);
            else engine->SetAdjustment(setting.name, true, setting.value);

        engine->maxTextureSize = 256;  // three strips, twelve tiles
        const std::vector<uint8_t> strips = Bytes(Render(Renderer::Strips));
        const std::vector<uint8_t> tiles = Bytes(Render(Renderer::Tiles));
        engine->maxTextureSize = INT32_MAX;
        const std::vector<uint8_t> single = Bytes(Render(Renderer::Tiles));
        ASSERT_EQ(single.size(), picture.size());
        bool opaque = true;
        for (size_t i = 3; i < single.size(); i += 4) opaque = opaque && single[i] == 255;
        EXPECT_TRUE(opaque);  // a photo exported as PNG or TIFF keeps no stray transparency
        // The style does change the picture.
        EXPECT_GT(Compare(single, Swapped(picture)).mean, 2.0);

        for (const auto* other : {&strips, &tiles}) {
            const Difference d = Compare(single, *other);
            // Measured: mean 0.22, largest 5 levels at the strongest setting (the coarsest
            // pyramid levels see a little less of the picture from inside a tile).
            EXPECT_LE(d.mean, 0.5) << (other == &strips ? "strips" : "tiles");
            EXPECT_LE(d.max, 8) << (other == &strips ? "strips" : "tiles");
        }
    }
}

// A photo large enough for its filter scale to deepen the pyramid: the strips' borders grow
// with the reach of its coarsest level, and the joins stay within the same agreement.
TEST_F(FullResolutionRenderTest, StripsOfADeepPyramidAgreeWithASingleTile) {
    constexpr int32_t width = 256, height = 1280;
    // Light and dark patches a few hundred pixels across, which the coarse levels lift.
    std::vector<uint8_t> tall = Picture(width, height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            uint8_t* p = &tall[(static_cast<size_t>(y) * width + x) * 4];
            const bool light = (x / 96 + y / 160) % 2 == 0;
            for (int32_t c = 0; c < 3; ++c) p[c] = static_cast<uint8_t>(light ? 155 + p[c] / 3 : p[c] / 3);
        }
    engine->SetAdjustment("CIE Contrast K Strength", true, 0.9f);
    engine->SetAdjustment("CIE Halo Strength", true, 0.6f);
    engine->SetInputPixels(sFrameTime::Make(0, 60), sInputGeometry::Whole(width, height), 0, kPixelFormatRGBA,
                           tall.data());
    engine->RenderFrame();
    engine->SetFilterScale(4.1);  // six levels
    ASSERT_EQ(engine->levelCount, 6);
    const auto block = [&tall] { return static_cast<const void*>(tall.data()); };
    engine->maxTextureSize = 256;  // raised to four borders: a few strips over the height
    const std::vector<uint8_t> strips = Bytes(
        engine->RenderToImageStrips(width, height, width, height, 0, 0, width, height, 0, kPixelFormatRGBA, block));
    engine->maxTextureSize = INT32_MAX;
    const std::vector<uint8_t> single = Bytes(
        engine->RenderToImageTiles(width, height, width, height, 0, 0, width, height, 0, kPixelFormatRGBA, block));
    engine->SetFilterScale(1.0);
    ASSERT_EQ(single.size(), tall.size());
    EXPECT_GT(Compare(single, Swapped(tall)).mean, 2.0);
    const Difference d = Compare(single, strips);
    // Measured: mean 0.006, largest 5 levels; with the shallow pyramids' 64 rows of border,
    // largest 18 levels along the joins.
    EXPECT_LE(d.mean, 0.5);
    EXPECT_LE(d.max, 8);
}

// The orientation only travels with the image: the pixels come out where they went in.
TEST_F(FullResolutionRenderTest, CornerMarkerKeepsItsPlaceInEveryOrientation) {
    Choose("Luminance Style", "None");
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 8; ++x) {
            uint8_t* p = &picture[(static_cast<size_t>(y) * kWidth + x) * 4];
            p[0] = 255, p[1] = 0, p[2] = 0;
        }
    const auto isMarker = [](const uint8_t* bgra) { return bgra[2] > 200 && bgra[1] < 60 && bgra[0] < 60; };
    engine->maxTextureSize = 256;
    for (Renderer renderer : {Renderer::Strips, Renderer::Tiles})
        for (int64_t orientation = 0; orientation < 8; ++orientation) {
            SCOPED_TRACE(testing::Message()
                         << (renderer == Renderer::Strips ? "strips" : "tiles") << ", orientation " << orientation);
            const std::shared_ptr<sBitmap> image = Render(renderer, orientation);
            ASSERT_NE(image, nullptr);
            EXPECT_EQ(image->orientation, orientation);
            const std::vector<uint8_t> out = Bytes(image);
            const auto at = [&](int32_t x, int32_t y) { return &out[(static_cast<size_t>(y) * kWidth + x) * 4]; };
            EXPECT_TRUE(isMarker(at(2, 2)));
            EXPECT_FALSE(isMarker(at(kWidth - 3, 2)));
            EXPECT_FALSE(isMarker(at(2, kHeight - 3)));
            EXPECT_FALSE(isMarker(at(kWidth - 3, kHeight - 3)));
        }
}

TEST_F(FullResolutionRenderTest, CompareSplitIsLeftOutOfTheExport) {
    Choose("Luminance Style", "None with Color Adjustments");
    Choose("CA Tone Map", "Amaro");
    engine->maxTextureSize = 256;
    const std::vector<uint8_t> plain = Bytes(Render(Renderer::Tiles));

    engine->SetCompareShowing(true);
    const float point[2] = {192.0f, 192.0f};
    engine->SetComparePoint(point);
    engine->SetCompareAngle(0.3f);
    const std::vector<uint8_t> split = Bytes(Render(Renderer::Tiles));
    const Difference d = Compare(plain, split);
    EXPECT_LE(d.max, 1);

    // The preview's program, split and all, was never touched.
    EXPECT_TRUE(engine->colorAdjustment.split.on);
    EXPECT_NE(engine->shaderSets[kPairColorAdjustment][0], nullptr);
    EXPECT_FALSE(engine->shaderSets.stale[0]);
}

TEST_F(FullResolutionRenderTest, ProgressRunsFromZeroToOne) {
    std::vector<double> progress;
    engine->SetRenderProgressBlock([&progress](double p) { progress.push_back(p); });
    engine->maxTextureSize = 256;
    for (Renderer renderer : {Renderer::Strips, Renderer::Tiles}) {
        progress.clear();
        ASSERT_NE(Render(renderer), nullptr);
        const size_t pieces = renderer == Renderer::Strips ? 3 : 12;
        ASSERT_EQ(progress.size(), pieces + 1);
        EXPECT_EQ(progress.front(), 0.0);
        EXPECT_EQ(progress.back(), 1.0);
        EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    }
}

// Rows handed over strip by strip are the strips' bitmap itself, every row once and top
// first; a sink that says stop ends the render there, and the next render is whole again.
TEST_F(FullResolutionRenderTest, RowsHandedOverAreTheStripsImage) {
    engine->SetAdjustment("CIE Contrast K Strength", true, 0.9f);
    engine->maxTextureSize = 256;
    const std::vector<uint8_t> strips = Bytes(Render(Renderer::Strips));
    ASSERT_EQ(strips.size(), picture.size());
    const size_t rowBytes = size_t(kWidth) * 4;
    const void* source = picture.data();
    for (const int32_t stopAfter : {1, 0}) {
        SCOPED_TRACE(stopAfter ? "stopped after the first strip" : "every strip");
        std::vector<uint8_t> rows;
        int32_t calls = 0;
        Preview();
        const bool done = engine->RenderToRows(
            kWidth, kHeight, kPixelFormatRGBA, [source] { return source; },
            [&](const uint8_t* band, int32_t first, int32_t count) {
                EXPECT_EQ(size_t(first) * rowBytes, rows.size());
                rows.insert(rows.end(), band, band + size_t(count) * rowBytes);
                return ++calls != stopAfter;
            });
        if (stopAfter) {
            EXPECT_FALSE(done);
            EXPECT_EQ(calls, 1);
            EXPECT_LT(rows.size(), strips.size());
        } else {
            EXPECT_TRUE(done);
            EXPECT_EQ(calls, 3);
            EXPECT_EQ(rows, strips);
        }
        EXPECT_EQ(engine->workTextures[0], nullptr);  // released, as after any render
    }
}

// Every strip is as high as the first, no higher than the fewest strips need, the last one
// reaching back into rows already rendered, so the working textures are made once, without
// those no pass of the render draws into; one input texture serves them all. At the
// photo's edges and odd sizes (a photo lower than a strip, one row past a strip), the rows
// handed over are still every row once, in order, and agree with a render in one piece.
TEST_F(FullResolutionRenderTest, StripsShareOneSetOfTexturesAtAnySize) {
    engine->SetAdjustment("CIE Contrast K Strength", true, 0.9f);
    Choose("CA Vignette On/Off", "On");  // placed by each strip's rows
    const struct {
        // No higher than the fewest strips need, each strip starting on a whole coarsest texel
        // (8 rows here: 700 rows in two strips would balance at 414).
        int32_t width, height, limit, strips, stripHeight;
    } sizes[] = {{kWidth, kHeight, 256, 3, 256}, {333, 150, 256, 1, 150}, {333, 257, 256, 2, 256},
                 {301, 401, 256, 3, 256},        {301, 400, 320, 2, 264}, {301, 700, 512, 2, 416}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(std::to_string(size.width) + " x " + std::to_string(size.height));
        const std::vector<uint8_t> pixels = Picture(size.width, size.height);
        const void* source = pixels.data();
        const auto preview = [&] {
            engine->SetInputPixels(sFrameTime::Make(0, 60), sInputGeometry::Whole(size.width, size.height), 0,
                                   kPixelFormatRGBA, source);
            engine->RenderFrame();
        };
        engine->maxTextureSize = INT32_MAX;
        preview();
        const std::vector<uint8_t> whole =
            Bytes(engine->RenderToImageTiles(size.width, size.height, size.width, size.height, 0, 0, size.width,
                                             size.height, 0, kPixelFormatRGBA, [source] { return source; }));
        ASSERT_EQ(whole.size(), size_t(size.width) * size.height * 4);

        engine->maxTextureSize = size.limit;
        preview();
        const size_t rowBytes = size_t(size.width) * 4;
        std::vector<uint8_t> rows;
        std::vector<int32_t> textureHeights;
        const bool done = engine->RenderToRows(
            size.width, size.height, kPixelFormatRGBA, [source] { return source; },
            [&](const uint8_t* band, int32_t first, int32_t count) {
                EXPECT_EQ(size_t(first) * rowBytes, rows.size());
                rows.insert(rows.end(), band, band + size_t(count) * rowBytes);
                textureHeights.push_back(engine->workTextures[0] ? engine->workTextures[0]->GetHeight() : 0);
                EXPECT_EQ(engine->inputTextures[1].texture, nullptr);
                // Nothing of the working set that the render never draws into.
                EXPECT_EQ(engine->workTextures[1], nullptr);
                EXPECT_EQ(engine->workTextures[2], nullptr);
                EXPECT_EQ(engine->levelVectorTextures[0], nullptr);
                EXPECT_EQ(engine->levelMaskTextures[0], nullptr);
                return true;
            });
        EXPECT_TRUE(done);
        EXPECT_EQ(int32_t(textureHeights.size()), size.strips);
        EXPECT_EQ(std::count(textureHeights.begin(), textureHeights.end(), textureHeights.front()),
                  std::ptrdiff_t(textureHeights.size()));
        EXPECT_EQ(textureHeights.front(), size.stripHeight);
        const Difference d = Compare(whole, rows);
        // The bounds of StripsTilesAndASingleTileAgree.
        EXPECT_LE(d.mean, 0.5);
        EXPECT_LE(d.max, 8);
    }
}

// Releasing what the preview draws with changes neither the full-resolution render nor the
// preview frame drawn after it.
TEST_F(FullResolutionRenderTest, ReleasingThePreviewChangesNoRender) {
    engine->SetAdjustment("CIE Contrast K Strength", true, 0.9f);
    engine->maxTextureSize = 256;
    engine->renderTarget = kRenderTargetOffscreen;  // the frame is read back
    const std::vector<uint8_t> before = PreviewFrame();
    const std::vector<uint8_t> kept = Bytes(Render(Renderer::Strips));
    ASSERT_EQ(kept.size(), picture.size());

    Preview();
    engine->ReleasePreviewResources();
    EXPECT_EQ(engine->shaderSets[kPairColorAdjustment][0], nullptr);
    EXPECT_EQ(engine->workTextures[0], nullptr);
    EXPECT_EQ(engine->inputTextures[0].texture, nullptr);
    const void* source = picture.data();
    const std::vector<uint8_t> released = Bytes(engine->RenderToImageStrips(
        kWidth, kHeight, kWidth, kHeight, 0, 0, kWidth, kHeight, 0, kPixelFormatRGBA, [source] { return source; }));
    EXPECT_TRUE(released == kept);
    EXPECT_TRUE(PreviewFrame() == before);
    EXPECT_FALSE(device->CheckError());
}

TEST_F(FullResolutionRenderTest, PreviewStateIsPutBack) {
    engine->SetZoom(2.0f);
    engine->maxTextureSize = 256;
    ASSERT_NE(Render(Renderer::Tiles), nullptr);
    EXPECT_EQ(engine->zoom, 2.0f);
    EXPECT_EQ(engine->renderTarget, kRenderTargetScreen);
    EXPECT_TRUE(engine->previewQuality);
    EXPECT_TRUE(engine->inputReconfigureRequested);
    EXPECT_EQ(engine->inputTextures[0].texture, nullptr);
    EXPECT_EQ(engine->workTextures[0], nullptr);

    // The next preview frame builds everything again.
    Preview();
    EXPECT_NE(engine->workTextures[0], nullptr);
    EXPECT_FALSE(device->CheckError());
}

// RGB input has 3 bytes a pixel; the result has 4 whatever the input, as the read-back writes.
TEST_F(FullResolutionRenderTest, ThreeByteInputGivesAFullSizedResult) {
    Choose("Luminance Style", "None");
    const std::vector<uint8_t> rgb = Picture(kWidth, kHeight, 3);
    for (Renderer renderer : {Renderer::Strips, Renderer::Tiles}) {
        engine->maxTextureSize = renderer == Renderer::Strips ? 256 : INT32_MAX;
        const std::shared_ptr<sBitmap> image = Render(renderer, 0, kPixelFormatRGB, rgb.data());
        ASSERT_NE(image, nullptr);
        const std::vector<uint8_t> out = Bytes(image);
        ASSERT_EQ(out.size(), static_cast<size_t>(kWidth) * kHeight * 4);
        EXPECT_EQ(image->bytesPerRow, size_t(kWidth) * 4);
        for (size_t i : {size_t(0), size_t(kWidth) * kHeight / 2 + 17, size_t(kWidth) * kHeight - 1}) {
            EXPECT_NEAR(out[i * 4 + 2], rgb[i * 3], 3);
            EXPECT_NEAR(out[i * 4 + 0], rgb[i * 3 + 2], 3);
        }
    }
}

TEST_F(FullResolutionRenderTest, NoImageForRequestsThatCannotBeServed) {
    int calls = 0;
    engine->SetRenderProgressBlock([&calls](double) { ++calls; });
    Preview();
    const auto block = [this] { return static_cast<const void*>(picture.data()); };

    // A result too large for memory: nothing is laid out, rendered or changed.
    EXPECT_EQ(engine->RenderToImageTiles(kWidth, kHeight, kWidth, kHeight, 0, 0, INT32_MAX, INT32_MAX, 0,
                                         kPixelFormatRGBA, block),
              nullptr);
    // A crop outside the input, no sizes, an unknown format, no pixels.
    EXPECT_EQ(engine->RenderToImage(kWidth, kHeight, kWidth, kHeight, 10, 0, kWidth, kHeight, 0, kPixelFormatRGBA,
                                    picture.data()),
              nullptr);
    EXPECT_EQ(engine->RenderToImage(0, 0, 0, 0, 0, 0, 0, 0, 0, kPixelFormatRGBA, picture.data()), nullptr);
    EXPECT_EQ(engine->RenderToImage(kWidth, kHeight, kWidth, kHeight, 0, 0, kWidth, kHeight, 0, 7, picture.data()),
              nullptr);
    EXPECT_EQ(calls, 0);
    EXPECT_NE(engine->workTextures[0], nullptr);  // the preview is untouched

    EXPECT_EQ(
        engine->RenderToImage(kWidth, kHeight, kWidth, kHeight, 0, 0, kWidth, kHeight, 0, kPixelFormatRGBA, nullptr),
        nullptr);
    EXPECT_EQ(engine->renderTarget, kRenderTargetScreen);

    // A recording in progress.
    calls = 0;
    Preview();
    engine->videoRecording.mode = eRecordingMode::RealTime;
    EXPECT_EQ(engine->RenderToImage(kWidth, kHeight, kWidth, kHeight, 0, 0, kWidth, kHeight, 0, kPixelFormatRGBA,
                                    picture.data()),
              nullptr);
    EXPECT_EQ(engine->RenderCurrentImageToImage(), nullptr);
    engine->videoRecording.mode = eRecordingMode::Idle;
    EXPECT_EQ(calls, 0);
}

// A render to an image runs under a request of its own: the preview frame after it is the
// frame before it, zoomed and split as it was, on the target it had.
TEST_F(FullResolutionRenderTest, PreviewFrameIsTheSameAfterARender) {
    engine->maxTextureSize = 256;  // several tiles
    Choose("CA Saturation Strength", "1.6");
    engine->SetZoom(2.0f);
    engine->SetCompareShowing(true);
    const float point[2] = {150.0f, 200.0f};
    engine->SetComparePoint(point);
    engine->SetCompareAngle(0.6f);
    for (const int32_t target : {kRenderTargetScreen, kRenderTargetOffscreen})
        for (const Renderer renderer : {Renderer::Strips, Renderer::Tiles}) {
            engine->renderTarget = target;
            engine->inputReconfigureRequested = true;  // level 0 follows the target
            const std::vector<uint8_t> before = PreviewFrame();
            ASSERT_NE(Render(renderer), nullptr);
            EXPECT_EQ(engine->renderTarget, target);
            EXPECT_EQ(engine->zoom, 2.0f);
            EXPECT_TRUE(engine->colorAdjustment.split.on);
            EXPECT_EQ(engine->ProgramVariant(), 0);
            const std::vector<uint8_t> after = PreviewFrame();
            EXPECT_FALSE(before.empty());
            EXPECT_TRUE(before == after) << "target " << target << ", "
                                         << (renderer == Renderer::Strips ? "strips" : "tiles");
        }
}

TEST_F(FullResolutionRenderTest, CurrentImageSnapshot) {
    EXPECT_EQ(engine->RenderCurrentImageToImage(), nullptr);  // no input yet
    Choose("Luminance Style", "None");
    Preview();
    const std::shared_ptr<sBitmap> image = engine->RenderCurrentImageToImage();
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->orientation, 5) << "down mirrored: the rows come bottom first";
    const auto [w, h] = engine->OutputFrameSize();
    EXPECT_EQ(image->width, w);
    EXPECT_EQ(image->height, h);
    EXPECT_EQ(engine->renderTarget, kRenderTargetScreen);
    EXPECT_TRUE(engine->inputReconfigureRequested);

    // A standing offscreen target is left as it is.
    engine->renderTarget = kRenderTargetOffscreen;
    engine->inputReconfigureRequested = true;
    Preview();
    ASSERT_NE(engine->RenderCurrentImageToImage(), nullptr);
    EXPECT_EQ(engine->renderTarget, kRenderTargetOffscreen);
}

// A request for another output size reads each tile's window of the input.
TEST_F(FullResolutionRenderTest, RescaledOutputFollowsTheInput) {
    Choose("Luminance Style", "None");
    Preview();
    engine->maxTextureSize = 256;
    const auto block = [this] { return static_cast<const void*>(picture.data()); };
    const std::shared_ptr<sBitmap> image = engine->RenderToImageTiles(
        kWidth, kHeight, kWidth, kHeight, 0, 0, kWidth / 2, kHeight / 2, 0, kPixelFormatRGBA, block);
    ASSERT_NE(image, nullptr);
    const std::vector<uint8_t> out = Bytes(image);
    ASSERT_EQ(out.size(), static_cast<size_t>(kWidth / 2) * (kHeight / 2) * 4);
    // Each output pixel against the mean of its 2 x 2 input block.
    double sum = 0;
    int largest = 0;
    for (int32_t y = 0; y < kHeight / 2; ++y)
        for (int32_t x = 0; x < kWidth / 2; ++x)
            for (int c = 0; c < 3; ++c) {
                int mean = 0;
                for (int dy = 0; dy < 2; ++dy)
                    for (int dx = 0; dx < 2; ++dx)
                        mean += picture[(static_cast<size_t>(2 * y + dy) * kWidth + 2 * x + dx) * 4 + c];
                const int delta =
                    std::abs(mean / 4 - int(out[(static_cast<size_t>(y) * (kWidth / 2) + x) * 4 + 2 - c]));
                sum += delta;
                largest = std::max(largest, delta);
            }
    // Linear sampling at each block's centre is its mean; a window off by one input pixel
    // would show the texture's slope (several levels).
    EXPECT_LT(sum / (kWidth / 2 * kHeight / 2 * 3), 1.5);
    EXPECT_LE(largest, 3);
}

}  // namespace
