// Orientation codes, turning stored pixels upright, and orientation through the files.
#include "ImageFixtures.h"

using namespace platform;
using namespace imageio_test;

namespace {

// A 5 x 3 stored image, grey except two markers on its first row: red at the first pixel,
// green at the last.
ImageBitmap markedImage(std::uint32_t w = 5, std::uint32_t h = 3, std::uint32_t marker = 1) {
    ImageBitmap b = *ImageBitmap::make(w, h);
    for (std::size_t i = 0; i < b.pixels.size(); i += 4)
        b.pixels[i] = b.pixels[i + 1] = b.pixels[i + 2] = 128, b.pixels[i + 3] = 255;
    for (std::uint32_t y = 0; y < marker; ++y)
        for (std::uint32_t x = 0; x < marker; ++x) {
            std::uint8_t* red = b.pixel(x, y);
            red[0] = 255, red[1] = red[2] = 0;
            std::uint8_t* green = b.pixel(w - 1 - x, y);
            green[1] = 255, green[0] = green[2] = 0;
        }
    return b;
}

struct Placement {
    int exif;
    int imageOrientation;
    // Where a viewer shows the stored first row's first and last pixels, in the upright
    // picture of width W and height H: 0 left/top, 1 right/bottom.
    int redX, redY, greenX, greenY;
};
// From the EXIF meaning of each value: where the stored first row and first column appear.
const Placement kPlacements[] = {
    {1, 0, 0, 0, 1, 0},  // row 0 at the top, column 0 on the left
    {2, 4, 1, 0, 0, 0},  // row 0 at the top, column 0 on the right
    {3, 1, 1, 1, 0, 1},  // row 0 at the bottom, column 0 on the right
    {4, 5, 0, 1, 1, 1},  // row 0 at the bottom, column 0 on the left
    {5, 6, 0, 0, 0, 1},  // row 0 on the left, column 0 at the top
    {6, 3, 1, 0, 1, 1},  // row 0 on the right, column 0 at the top
    {7, 7, 1, 1, 1, 0},  // row 0 on the right, column 0 at the bottom
    {8, 2, 0, 1, 0, 0},  // row 0 on the left, column 0 at the bottom
};

void expectMarkers(const ImageBitmap& upright, const Placement& p, std::uint32_t inset = 0) {
    const std::uint32_t W = upright.width, H = upright.height;
    auto at = [&](int fx, int fy) { return upright.pixel(fx ? W - 1 - inset : inset, fy ? H - 1 - inset : inset); };
    const std::uint8_t* red = at(p.redX, p.redY);
    const std::uint8_t* green = at(p.greenX, p.greenY);
    EXPECT_GT(red[0], 200);
    EXPECT_LT(red[1], 60);
    EXPECT_GT(green[1], 200);
    EXPECT_LT(green[0], 60);
}

}  // namespace

TEST(ImageOrientation, CodesMapBothWays) {
    for (const Placement& p : kPlacements) {
        EXPECT_EQ(ImageOrientationFromEXIF(p.exif), p.imageOrientation);
        EXPECT_EQ(EXIFOrientationFromImageOrientation(p.imageOrientation), p.exif);
    }
    for (int bad : {-1, 0, 9, 100}) EXPECT_EQ(ImageOrientationFromEXIF(bad), 0) << bad;
    for (int bad : {-1, 8, 100}) EXPECT_EQ(EXIFOrientationFromImageOrientation(bad), 1) << bad;
    for (int o = 0; o < 8; ++o) EXPECT_EQ(ImageOrientationSwapsSize(o), o == 2 || o == 3 || o == 6 || o == 7);
}

TEST(ImageOrientation, ApplyingPutsTheCornerMarkersWhereAViewerShowsThem) {
    const ImageBitmap stored = markedImage();
    for (const Placement& p : kPlacements) {
        SCOPED_TRACE("EXIF " + std::to_string(p.exif));
        auto upright = ApplyEXIFOrientation(stored, p.exif);
        ASSERT_TRUE(upright);
        const bool swapped = p.exif >= 5;
        EXPECT_EQ(upright->width, swapped ? 3u : 5u);
        EXPECT_EQ(upright->height, swapped ? 5u : 3u);
        expectMarkers(*upright, p);
        EXPECT_EQ(ApplyImageOrientation(stored, p.imageOrientation)->pixels, upright->pixels);
        EXPECT_EQ(ApplyImageOrientation(stored.converted(ImagePixelFormat::BGRA), p.imageOrientation)->format,
                  ImagePixelFormat::BGRA);
    }
    EXPECT_FALSE(ApplyEXIFOrientation(stored, 0));
    EXPECT_FALSE(ApplyImageOrientation(stored, 8));
}

// The orientation written with an image comes back from the file; the pixels stay as
// stored, and applying the orientation read back gives the upright picture.
TEST(ImageOrientation, TravelsThroughEveryFormat) {
    const ImageBitmap stored = markedImage(48, 32, 8);  // markers of 8 x 8 survive JPEG
    for (ImageFileType type : {ImageFileType::JPEG, ImageFileType::PNG, ImageFileType::TIFF})
        for (const Placement& p : kPlacements) {
            SCOPED_TRACE(std::string(ImageFileTypeIdentifier(type)) + " EXIF " + std::to_string(p.exif));
            Bytes data;
            ImageIOError error;
            ASSERT_TRUE(EncodeImage(stored, type, {{kCGImagePropertyOrientation, p.exif}}, &data, &error))
                << error.message;
            auto decoded = DecodeImageData(data, ImagePixelFormat::RGBA, &error);
            ASSERT_TRUE(decoded) << error.message;
            EXPECT_EQ(decoded->exifOrientation, p.exif);
            EXPECT_EQ(decoded->imageOrientation(), p.imageOrientation);
            EXPECT_EQ(ImagePropertyFind(decoded->properties, kCGImagePropertyOrientation)->integer(), p.exif);
            EXPECT_EQ(decoded->bitmap.width, 48u);
            expectMarkers(*ApplyEXIFOrientation(decoded->bitmap, decoded->exifOrientation), p, 3);
        }
}

TEST(ImageOrientation, InvalidOrientationIsWrittenAsUp) {
    for (int bad : {0, 9, -3}) {
        Bytes data;
        ASSERT_TRUE(EncodeImage(markedImage(), ImageFileType::JPEG, {{kCGImagePropertyOrientation, bad}}, &data));
        EXPECT_EQ(ImageSource::createWithData(data)->exifOrientation(), 1) << bad;
    }
}
