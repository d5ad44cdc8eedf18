// Decoding and encoding: round trips per format, the kinds of file the decoders expand,
// the error for every kind of bad input (damaged image data above all), size limits, what is
// not a file, and file writing.
#include "DamagedImages.h"

#include <chrono>
#include <fstream>

using namespace platform;
using namespace imageio_test;

namespace {

const ImageFileType kTypes[] = {ImageFileType::JPEG, ImageFileType::PNG, ImageFileType::TIFF};

Bytes encoded(const ImageBitmap& b, ImageFileType type, const ImageProperties& p = {}) {
    Bytes out;
    ImageIOError error;
    EXPECT_TRUE(EncodeImage(b, type, p, &out, &error)) << error.message;
    return out;
}

ImageBitmap decoded(Bytes data, ImagePixelFormat format = ImagePixelFormat::RGBA) {
    ImageIOError error;
    auto d = DecodeImageData(std::move(data), format, &error);
    EXPECT_TRUE(d.has_value()) << error.message;
    return d ? d->bitmap : ImageBitmap{};
}

// The error of creating a source and decoding its first image (None when both succeed).
ImageIOError decodeError(Bytes data, ImageDecodeLimits limits = {}) {
    ImageIOError error;
    auto source = ImageSource::createWithData(std::move(data), &error, limits);
    if (source) source->createImageAtIndex(0, ImagePixelFormat::RGBA, &error);
    return error;
}

}  // namespace

TEST(ImageIORoundTrip, EveryFormatInBothByteOrders) {
    for (ImageFileType type : kTypes)
        for (ImagePixelFormat format : {ImagePixelFormat::RGBA, ImagePixelFormat::BGRA}) {
            SCOPED_TRACE(std::string(ImageFileTypeIdentifier(type)) +
                         (format == ImagePixelFormat::BGRA ? " BGRA" : " RGBA"));
            const ImageBitmap original = gradient(37, 23, format);
            Bytes data = encoded(original, type);
            EXPECT_EQ(ImageFileTypeOfData(data.data(), data.size()), type);
            const ImageBitmap back = decoded(data, format);
            EXPECT_EQ(back.format, format);
            const Difference d = difference(original, back);
            if (type == ImageFileType::JPEG) {
                EXPECT_LT(d.mean, 2.0);  // quality 0.9 on a smooth ramp
                EXPECT_LE(d.max, 16);
            } else {
                EXPECT_EQ(d.max, 0);
            }
        }
}

TEST(ImageIORoundTrip, PNGAndTIFFKeepStraightAlphaAndJPEGDropsIt) {
    const ImageBitmap original = gradient(19, 17, ImagePixelFormat::RGBA, true);
    for (ImageFileType type : {ImageFileType::PNG, ImageFileType::TIFF}) {
        auto source = ImageSource::createWithData(encoded(original, type));
        ASSERT_TRUE(source);
        EXPECT_EQ(*ImagePropertyFind(source->propertiesAtIndex(0), kCGImagePropertyHasAlpha)->integer(), 1);
        EXPECT_EQ(difference(original, *source->createImageAtIndex(0)).max, 0) << ImageFileTypeIdentifier(type);
    }
    const ImageBitmap jpeg = decoded(encoded(original, ImageFileType::JPEG));
    for (std::size_t i = 3; i < jpeg.pixels.size(); i += 4) ASSERT_EQ(jpeg.pixels[i], 255);
}

TEST(ImageIORoundTrip, JPEGQualityTradesSizeForFidelity) {
    const ImageBitmap original = gradient(64, 64);
    const Bytes low = encoded(original, ImageFileType::JPEG, {{kCGImageDestinationLossyCompressionQuality, 0.1}});
    const Bytes high = encoded(original, ImageFileType::JPEG, {{kCGImageDestinationLossyCompressionQuality, 1.0}});
    EXPECT_LT(low.size(), high.size());
    EXPECT_GT(difference(original, decoded(low)).mean, difference(original, decoded(high)).mean);
}

// Grey, palette, transparency and 16-bit files all come out as 8-bit RGBA.
TEST(ImageIODecode, PNGKindsExpandToRGBA) {
    struct Case {
        const char* name;
        Bytes file;
        std::uint8_t rgba[4];  // expected first pixel
    };
    const Bytes grey16 = {0x12, 0x34, 0xFF, 0xFF};  // two pixels, big-endian
    const std::vector<png_color> palette = {{10, 20, 30}, {200, 100, 50}};
    const Case cases[] = {
        {"grey", writePNG(2, 1, PNG_COLOR_TYPE_GRAY, 8, {77, 200}), {77, 77, 77, 255}},
        {"grey 1-bit", writePNG(8, 1, PNG_COLOR_TYPE_GRAY, 1, {0x80}), {255, 255, 255, 255}},
        {"grey alpha", writePNG(1, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, {90, 128}), {90, 90, 90, 128}},
        {"grey 16-bit", writePNG(2, 1, PNG_COLOR_TYPE_GRAY, 16, grey16), {0x12, 0x12, 0x12, 255}},
        {"RGB 16-bit", writePNG(1, 1, PNG_COLOR_TYPE_RGB, 16, {0xC8, 0xC8, 0x00, 0x80, 0x32, 0x32}), {200, 0, 50, 255}},
        {"RGBA 16-bit",
         writePNG(1, 1, PNG_COLOR_TYPE_RGB_ALPHA, 16, {0, 0, 0xFF, 0xFF, 0, 0, 0x80, 0x80}),
         {0, 255, 0, 128}},
        {"palette", writePNG(2, 1, PNG_COLOR_TYPE_PALETTE, 8, {1, 0}, palette), {200, 100, 50, 255}},
        {"palette tRNS", writePNG(2, 1, PNG_COLOR_TYPE_PALETTE, 8, {1, 0}, palette, {255, 60}), {200, 100, 50, 60}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ImageBitmap b = decoded(c.file);
        ASSERT_FALSE(b.empty());
        EXPECT_EQ(std::vector<std::uint8_t>(b.pixels.begin(), b.pixels.begin() + 4),
                  std::vector<std::uint8_t>(c.rgba, c.rgba + 4));
        ImageBitmap bgra = decoded(c.file, ImagePixelFormat::BGRA);
        EXPECT_EQ(bgra.pixels[0], c.rgba[2]);
        EXPECT_EQ(bgra.pixels[2], c.rgba[0]);
    }
}

TEST(ImageIODecode, TIFFKindsExpandToRGBA) {
    const auto dir = tempDir();
    struct Case {
        const char* name;
        TIFFLayout layout;
        Bytes samples;  // for a 4 x 2 image
        std::uint8_t rgba[4];
    };
    auto repeat = [](Bytes px, int n) {
        Bytes out;
        for (int i = 0; i < n; ++i) out.insert(out.end(), px.begin(), px.end());
        return out;
    };
    auto u16 = [](std::initializer_list<std::uint16_t> v) {
        Bytes out;
        for (std::uint16_t s : v) {  // host order
            out.push_back(std::uint8_t(s));
            out.push_back(std::uint8_t(s >> 8));
        }
        return out;
    };
    std::vector<std::uint16_t> colormap(3 * 256, 0);
    colormap[5] = 0xFFFF;        // red of entry 5
    colormap[256 + 5] = 0x8080;  // green
    colormap[512 + 5] = 0x0000;  // blue
    const std::vector<Case> cases = {
        {"RGB", {}, repeat({10, 20, 30}, 8), {10, 20, 30, 255}},
        {"RGB 16-bit", {.bits = 16}, repeat(u16({0xFFFF, 0x8080, 0x0101}), 8), {255, 128, 1, 255}},
        {"grey", {.spp = 1, .photometric = PHOTOMETRIC_MINISBLACK}, repeat({99}, 8), {99, 99, 99, 255}},
        {"grey min-is-white", {.spp = 1, .photometric = PHOTOMETRIC_MINISWHITE}, repeat({55}, 8), {200, 200, 200, 255}},
        {"grey alpha",
         {.spp = 2, .photometric = PHOTOMETRIC_MINISBLACK, .extra = EXTRASAMPLE_UNASSALPHA},
         repeat({99, 128}, 8),
         {99, 99, 99, 128}},
        {"RGBA associated",
         {.spp = 4, .extra = EXTRASAMPLE_ASSOCALPHA},
         repeat({50, 25, 0, 128}, 8),
         {100, 50, 0, 128}},
        {"RGBA unassociated",
         {.spp = 4, .extra = EXTRASAMPLE_UNASSALPHA},
         repeat({50, 25, 0, 128}, 8),
         {50, 25, 0, 128}},
        {"palette",
         {.spp = 1, .photometric = PHOTOMETRIC_PALETTE, .colormap = colormap},
         repeat({5}, 8),
         {255, 128, 0, 255}},
        {"tiled", {.tile = 16}, repeat({10, 20, 30}, 8), {10, 20, 30, 255}},
        {"tiled unassociated alpha",
         {.spp = 4, .extra = EXTRASAMPLE_UNASSALPHA, .tile = 16},
         repeat({200, 100, 50, 100}, 8),
         {200, 100, 50, 100}},
        {"CMYK", {.spp = 4, .photometric = PHOTOMETRIC_SEPARATED}, repeat({0, 255, 255, 0}, 8), {255, 0, 0, 255}},
    };
    int i = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ImageBitmap b = decoded(writeTIFF(dir / (std::to_string(i++) + ".tiff"), 4, 2, c.layout, c.samples));
        ASSERT_EQ(b.width, 4u);
        for (int k = 0; k < 4; ++k) EXPECT_NEAR(b.pixels[k], c.rgba[k], 1) << "channel " << k;
        EXPECT_EQ(std::vector<std::uint8_t>(b.pixels.begin(), b.pixels.begin() + 4),
                  std::vector<std::uint8_t>(b.pixels.end() - 4, b.pixels.end()));
    }
}

TEST(ImageIODecode, GreyAndCMYKJPEG) {
    ImageBitmap grey = decoded(writeJPEG(8, 8, JCS_GRAYSCALE, 1, Bytes(64, 120)));
    EXPECT_NEAR(grey.pixels[0], 120, 1);
    EXPECT_EQ(grey.pixels[0], grey.pixels[1]);
    EXPECT_EQ(grey.pixels[3], 255);
    // libjpeg marks CMYK files as Adobe's, whose inks are stored inverted: (255, 0, 0, 255) is red.
    Bytes cmyk;
    for (int i = 0; i < 64; ++i) cmyk.insert(cmyk.end(), {255, 0, 0, 255});
    auto source = ImageSource::createWithData(writeJPEG(8, 8, JCS_CMYK, 4, cmyk));
    ASSERT_TRUE(source);
    EXPECT_EQ(*ImagePropertyFind(source->propertiesAtIndex(0), kCGImagePropertyColorModel)->string(), "CMYK");
    ImageIOError error;
    auto rgb = source->createImageAtIndex(0, ImagePixelFormat::BGRA, &error);
    ASSERT_TRUE(rgb) << error.message;
    EXPECT_NEAR(rgb->pixels[2], 255, 2);  // red, in BGRA
    EXPECT_NEAR(rgb->pixels[1], 0, 2);
    EXPECT_NEAR(rgb->pixels[0], 0, 2);
}

// A JPEG decoded as packed R,G,B holds the R,G,B,A decode's colours, three bytes a pixel,
// odd widths included; the types and kinds without such a decode say so.
TEST(ImageIODecode, JPEGAsPackedRGB) {
    for (const Bytes& jpeg :
         {encoded(gradient(37, 21), ImageFileType::JPEG), writeJPEG(9, 5, JCS_GRAYSCALE, 1, Bytes(45, 120))}) {
        auto source = ImageSource::createWithData(jpeg);
        ASSERT_TRUE(source);
        ImageIOError error;
        const auto packed = source->createPackedRGBAtIndex(0, &error);
        const auto rgba = source->createImageAtIndex(0);
        ASSERT_TRUE(packed && rgba) << error.message;
        ASSERT_EQ(packed->width, rgba->width);
        ASSERT_EQ(packed->height, rgba->height);
        ASSERT_EQ(packed->pixels.size(), std::size_t{rgba->width} * rgba->height * 3);
        std::size_t differing = 0;
        for (std::size_t i = 0; i < std::size_t{rgba->width} * rgba->height; ++i)
            for (int c = 0; c < 3; ++c) differing += packed->pixels[i * 3 + c] != rgba->pixels[i * 4 + c];
        EXPECT_EQ(differing, 0u);
    }
    Bytes cmyk;
    for (int i = 0; i < 64; ++i) cmyk.insert(cmyk.end(), {255, 0, 0, 255});
    const Bytes png = encoded(gradient(8, 8), ImageFileType::PNG);
    for (const Bytes& other : {writeJPEG(8, 8, JCS_CMYK, 4, cmyk), png}) {
        auto source = ImageSource::createWithData(other);
        ASSERT_TRUE(source);
        ImageIOError error;
        EXPECT_FALSE(source->createPackedRGBAtIndex(0, &error));
        EXPECT_EQ(error.code, ImageIOErrorCode::Unsupported);
    }
}

TEST(ImageIOErrors, BadInputGivesAClearError) {
    const auto dir = tempDir();
    const ImageBitmap image = gradient(32, 24);
    const Bytes jpeg = encoded(image, ImageFileType::JPEG);
    const Bytes png = encoded(image, ImageFileType::PNG);
    const Bytes tiff = encoded(image, ImageFileType::TIFF);
    auto half = [](const Bytes& b) { return Bytes(b.begin(), b.begin() + b.size() / 2); };
    auto flipped = [](Bytes b, std::size_t from) {
        for (std::size_t i = from; i < b.size() - 12; i += 7) b[i] ^= 0x5A;
        return b;
    };
    // A frame header announcing no components.
    Bytes garbageJPEG = {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x08, 0x08, 0x00, 0x10, 0x00, 0x10, 0x00};
    for (int i = 0; i < 64; ++i) garbageJPEG.push_back(static_cast<std::uint8_t>(i * 37));
    Bytes pngBadCRC = png;
    pngBadCRC[29] ^= 0xFF;  // the IHDR checksum
    Bytes tiffBadOffset = {'I', 'I', 42, 0, 0xF0, 0xFF, 0xFF, 0x7F};
    Bytes floatTIFF =
        writeTIFF(dir / "float.tiff", 2, 2,
                  {.bits = 32, .spp = 1, .photometric = PHOTOMETRIC_MINISBLACK, .sampleFormat = SAMPLEFORMAT_IEEEFP},
                  Bytes(16, 0));
    const Bytes gif = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0};

    struct Case {
        const char* name;
        Bytes data;
        ImageIOErrorCode code;
    };
    const Case cases[] = {
        {"empty", {}, ImageIOErrorCode::Empty},
        {"text", Bytes{'h', 'e', 'l', 'l', 'o'}, ImageIOErrorCode::Unsupported},
        {"GIF", gif, ImageIOErrorCode::Unsupported},
        {"JPEG signature only", Bytes(jpeg.begin(), jpeg.begin() + 3), ImageIOErrorCode::Truncated},
        {"JPEG cut in half", half(jpeg), ImageIOErrorCode::Truncated},
        {"JPEG garbage after the signature", garbageJPEG, ImageIOErrorCode::Corrupt},
        {"PNG signature only", Bytes(png.begin(), png.begin() + 8), ImageIOErrorCode::Truncated},
        {"PNG cut in half", half(png), ImageIOErrorCode::Truncated},
        {"PNG header checksum", pngBadCRC, ImageIOErrorCode::Corrupt},
        {"PNG damaged image data", flipped(png, 45), ImageIOErrorCode::Corrupt},
        {"TIFF header only", Bytes(tiff.begin(), tiff.begin() + 4), ImageIOErrorCode::Truncated},
        {"TIFF directory out of the file", tiffBadOffset, ImageIOErrorCode::Corrupt},
        {"TIFF cut in half", half(tiff), ImageIOErrorCode::Corrupt},
        {"TIFF float samples", floatTIFF, ImageIOErrorCode::Unsupported},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ImageIOError error = decodeError(c.data);
        EXPECT_EQ(error.code, c.code) << error.message;
        EXPECT_FALSE(error.message.empty());
    }
}

TEST(ImageIOErrors, FilesThatCannotBeRead) {
    const auto dir = tempDir();
    ImageIOError error;
    EXPECT_FALSE(DecodeImageFile((dir / "missing.png").string(), ImagePixelFormat::RGBA, &error));
    EXPECT_EQ(error.code, ImageIOErrorCode::FileUnreadable);
    EXPECT_NE(error.message.find("missing.png"), std::string::npos);
    EXPECT_FALSE(DecodeImageFile(dir.string(), ImagePixelFormat::RGBA, &error));
    EXPECT_EQ(error.code, ImageIOErrorCode::FileUnreadable);
    std::ofstream(dir / "empty.jpg").close();
    EXPECT_FALSE(DecodeImageFile((dir / "empty.jpg").string(), ImagePixelFormat::RGBA, &error));
    EXPECT_EQ(error.code, ImageIOErrorCode::Empty);
}

// Anything but a regular file is refused at once and never opened: a FIFO's open would wait
// for a writer that never comes, a device's reads never end.
TEST(ImageIOErrors, WhatIsNotAFileIsRefusedAtOnce) {
    const auto dir = tempDir();
    const int sock = makeNonFiles(dir, "pipe.jpg", "socket.png", "folder.tiff");
    const struct {
        std::string path;
        const char* kind;
    } cases[] = {{(dir / "pipe.jpg").string(), "a FIFO"},
                 {(dir / "socket.png").string(), "a socket"},
                 {(dir / "folder.tiff").string(), "a folder"},
                 {"/dev/zero", "a device"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const auto started = std::chrono::steady_clock::now();
        ImageIOError error;
        EXPECT_FALSE(ImageSource::createWithFile(c.path, &error));
        EXPECT_EQ(error.code, ImageIOErrorCode::FileUnreadable);
        EXPECT_NE(error.message.find(std::string("is ") + c.kind), std::string::npos) << error.message;
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    }
    ::close(sock);
}

// Damaged image data never passes as a picture: each lost scan, bad code, short strip and
// failed checksum fails the decode with its reason, in full and reduced; a header declaring
// more pixels than its file can hold, or more than are ever read, is refused by the source
// itself, before any pixel memory is taken.
TEST(ImageIOErrors, DamagedImageDataIsRefusedWithItsReason) {
    for (const DamagedImage& damaged : damagedImages()) {
        SCOPED_TRACE(damaged.name);
        const ImageIOError error = decodeError(damaged.data);
        EXPECT_EQ(error.code, damaged.code) << error.message;
        EXPECT_NE(error.message.find(damaged.says), std::string::npos) << error.message;
        auto source = ImageSource::createWithData(damaged.data);
        const bool declaresTooMuch =
            error.code == ImageIOErrorCode::TooLarge || error.message.find("too small to hold") != std::string::npos;
        EXPECT_EQ(source == nullptr, declaresTooMuch || damaged.refusedAtOpen);
        if (source) {
            EXPECT_FALSE(source->createThumbnailAtIndex(0, 60));
        }
    }
}

// What decoders warn about without losing a pixel still decodes: bytes before the end marker
// (some cameras pad there), an application segment no reader knows, a PNG without its end
// chunk after complete image data.
TEST(ImageIODecode, HarmlessOdditiesStillDecode) {
    const ImageBitmap photo = samplePhotograph();
    const Bytes jpeg = encoded(photo, ImageFileType::JPEG);
    Bytes padded(jpeg.begin(), jpeg.end() - 2);
    padded.insert(padded.end(), {0x00, 0x00, 0x00, 0xFF, 0xD9});
    Bytes unknownSegment(jpeg.begin(), jpeg.begin() + 2);
    unknownSegment.insert(unknownSegment.end(), {0xFF, 0xEB, 0x00, 0x06, 'j', 'u', 'n', 'k'});
    unknownSegment.insert(unknownSegment.end(), jpeg.begin() + 2, jpeg.end());
    const Bytes png = encoded(photo, ImageFileType::PNG);
    const Bytes withoutEnd(png.begin(), png.end() - 12);
    for (const Bytes& data : {padded, unknownSegment, withoutEnd}) {
        const ImageBitmap back = decoded(data);
        EXPECT_EQ(back.width, photo.width);
        EXPECT_LT(difference(photo, back).mean, 3.0);
    }
}

// Arithmetic coding ends a scan's data early wherever the picture turns plain, so its files are
// judged by where their scans' data ends, never by their bytes: real photographs re-encoded at
// the lowest quality (whose flat stretches code to nothing), sequential and progressive, colour
// and grey, and a smooth sky enlarged, all decode.
TEST(ImageIODecode, ArithmeticCodedPhotographsDecodeAtEveryQuality) {
    struct Photo {
        const char* path;
        bool sky;  // its top fifth, enlarged twice over: smoother than any photographed sky
    };
    for (const Photo& p : {Photo{"/usr/share/backgrounds/greentock_by_Peter_Nerlich.jpg", false},
                           Photo{"/usr/share/backgrounds/umang_by_Abhishek_Mudgal.jpg", false},
                           Photo{"/usr/share/backgrounds/sunset_by_Aitzol_Berasategi.jpg", true}}) {
        ImageIOError error;
        auto source = ImageSource::createWithFile(p.path, &error);
        ASSERT_TRUE(source) << p.path << ": " << error.message;
        auto photo = source->createImageAtIndex(0, ImagePixelFormat::RGBA, &error);
        ASSERT_TRUE(photo) << error.message;
        if (p.sky) {
            ImageBitmap sky = *ImageBitmap::make(photo->width * 2, photo->height / 5 * 2);
            for (std::uint32_t y = 0; y < sky.height; ++y)
                for (std::uint32_t x = 0; x < sky.width; ++x) {
                    const std::uint32_t x0 = x / 2, y0 = y / 2, x1 = std::min(x0 + x % 2, photo->width - 1),
                                        y1 = y0 + y % 2;
                    for (int c = 0; c < 4; ++c)
                        sky.pixel(x, y)[c] =
                            static_cast<std::uint8_t>((photo->pixel(x0, y0)[c] + photo->pixel(x1, y0)[c] +
                                                       photo->pixel(x0, y1)[c] + photo->pixel(x1, y1)[c] + 2) /
                                                      4);
                }
            photo = std::move(sky);
        }
        Bytes grey(std::size_t{photo->width} * photo->height);
        for (std::size_t i = 0; i < grey.size(); ++i) grey[i] = photo->pixels[i * 4 + 1];
        for (const int quality : {1, 75})
            for (const bool progressive : {false, true})
                for (const bool colour : {true, false}) {
                    SCOPED_TRACE(std::string(p.path) + " at quality " + std::to_string(quality) +
                                 (progressive ? ", progressive" : "") + (colour ? "" : ", grey"));
                    const Bytes jpeg = colour ? writeJPEG(photo->width, photo->height, JCS_EXT_RGBX, 4, photo->pixels,
                                                          quality, progressive, true)
                                              : writeJPEG(photo->width, photo->height, JCS_GRAYSCALE, 1, grey, quality,
                                                          progressive, true);
                    const ImageBitmap back = decoded(jpeg);
                    EXPECT_EQ(back.width, photo->width);
                    EXPECT_EQ(back.height, photo->height);
                }
    }
}

// Headers claiming huge images are refused before any pixel memory is taken.
TEST(ImageIOErrors, AbsurdDimensionsAreRefused) {
    const ImageBitmap small = gradient(16, 8);
    Bytes png = encoded(small, ImageFileType::PNG);
    putBE32(&png[16], 60000);  // IHDR width and height, then its checksum
    putBE32(&png[20], 60000);
    putBE32(&png[29], crc32(&png[12], 17));

    Bytes jpeg = encoded(small, ImageFileType::JPEG);
    for (std::size_t i = 2; i + 9 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2)) {
            jpeg[i + 5] = jpeg[i + 7] = 0xFD;  // height and width 65000
            jpeg[i + 6] = jpeg[i + 8] = 0xE8;
            break;
        }

    Bytes tiff = encoded(small, ImageFileType::TIFF);
    const std::uint32_t ifd = tiff[4] | tiff[5] << 8 | tiff[6] << 16 | tiff[7] << 24;
    const unsigned entries = tiff[ifd] | tiff[ifd + 1] << 8;
    for (unsigned e = 0; e < entries; ++e) {
        std::uint8_t* entry = &tiff[ifd + 2 + e * 12];
        const unsigned tag = entry[0] | entry[1] << 8;
        if (tag == 256 || tag == 257) entry[8] = entry[9] = 0xFF;  // width, height: 65535 (SHORT)
    }

    for (const Bytes* data : {&png, &jpeg, &tiff}) {
        const ImageIOError error = decodeError(*data);
        EXPECT_EQ(error.code, ImageIOErrorCode::TooLarge) << error.message;
    }
    // The limits are the caller's to lower.
    ImageIOError error = decodeError(encoded(gradient(300, 10), ImageFileType::PNG), {.maxDimension = 256});
    EXPECT_EQ(error.code, ImageIOErrorCode::TooLarge);
    error = decodeError(encoded(gradient(100, 100), ImageFileType::TIFF), {.maxPixels = 9999});
    EXPECT_EQ(error.code, ImageIOErrorCode::TooLarge);
    EXPECT_FALSE(decodeError(encoded(gradient(100, 100), ImageFileType::TIFF), {.maxPixels = 10000}));
}

TEST(ImageIOSource, MultiImageTIFFAndIndexes) {
    const auto dir = tempDir();
    const auto path = dir / "two.tiff";
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    for (std::uint32_t page = 0; page < 2; ++page) {
        const std::uint32_t w = 3 + page, h = 2;
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, w);
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, h);
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
        TIFFSetField(tif, TIFFTAG_ORIENTATION, page == 0 ? ORIENTATION_TOPLEFT : ORIENTATION_RIGHTTOP);
        Bytes row(w, static_cast<std::uint8_t>(100 + page));
        for (std::uint32_t y = 0; y < h; ++y) TIFFWriteScanline(tif, row.data(), y, 0);
        TIFFWriteDirectory(tif);
    }
    TIFFClose(tif);
    ImageIOError error;
    auto source = ImageSource::createWithFile(path.string(), &error);
    ASSERT_TRUE(source) << error.message;
    EXPECT_EQ(source->type(), ImageFileType::TIFF);
    EXPECT_EQ(source->typeIdentifier(), "public.tiff");
    ASSERT_EQ(source->count(), 2u);
    EXPECT_EQ(source->pixelWidth(1), 4u);
    EXPECT_EQ(source->exifOrientation(1), 6);
    EXPECT_EQ(source->imageOrientation(1), 3);
    EXPECT_EQ(source->createImageAtIndex(1)->pixels[0], 101);
    EXPECT_FALSE(source->createImageAtIndex(2, ImagePixelFormat::RGBA, &error));
    EXPECT_EQ(error.code, ImageIOErrorCode::IndexOutOfRange);
    EXPECT_TRUE(source->propertiesAtIndex(2).empty());
}

TEST(ImageIODestination, FilesAreReplacedWholeAndFailuresReported) {
    const auto dir = tempDir();
    const std::string path = (dir / "Tavorin.jpg").string();
    ASSERT_TRUE(WriteImageFile(gradient(8, 8), ImageFileType::JPEG, {}, path));
    ImageIOError error;
    ASSERT_TRUE(WriteImageFile(gradient(20, 10), ImageFileType::JPEG, {}, path, &error)) << error.message;
    auto decodedFile = DecodeImageFile(path);
    ASSERT_TRUE(decodedFile);
    EXPECT_EQ(decodedFile->bitmap.width, 20u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1);  // no temporary left

    EXPECT_FALSE(WriteImageFile(gradient(8, 8), ImageFileType::PNG, {}, (dir / "no/such/dir.png").string(), &error));
    EXPECT_EQ(error.code, ImageIOErrorCode::WriteFailed);

    EXPECT_FALSE(ImageDestination::createWithFile(path, ImageFileType::Unknown, &error));
    EXPECT_EQ(error.code, ImageIOErrorCode::InvalidArgument);

    Bytes out;
    EXPECT_FALSE(EncodeImage(ImageBitmap{}, ImageFileType::PNG, {}, &out, &error));
    EXPECT_EQ(error.code, ImageIOErrorCode::InvalidArgument);

    auto destination = ImageDestination::createWithData(&out, ImageFileType::PNG);
    EXPECT_FALSE(destination->finalize(&error));  // nothing added
    destination = ImageDestination::createWithData(&out, ImageFileType::PNG);
    destination->addImage(gradient(4, 4));
    destination->addImage(gradient(4, 4));
    EXPECT_FALSE(destination->finalize(&error));
    EXPECT_EQ(error.code, ImageIOErrorCode::InvalidArgument);
}

// A file is written under any name its folder takes (the temporary name beside it is kept
// within the folder's limit), a name too long is refused before a byte is written, and no
// FIFO, device or socket in the target's place is replaced. Nothing is left behind.
TEST(ImageIODestination, AnyNameTheFolderTakesAndNothingButAFileReplaced) {
    const auto dir = tempDir();
    const ImageBitmap image = gradient(16, 8);
    // 255 bytes, in two-byte letters that must not be cut in half.
    std::string longest;
    while (longest.size() < 250) longest += "\xC3\xA9";
    longest += "x.jpg";
    ASSERT_EQ(longest.size(), 255u);
    ImageIOError error;
    const std::pair<std::string, ImageFileType> names[] = {{longest, ImageFileType::JPEG},
                                                           {std::string(251, 'a') + ".png", ImageFileType::PNG}};
    for (const auto& [name, type] : names) {
        EXPECT_TRUE(CheckImageFileWritable((dir / name).string(), &error)) << error.message;
        EXPECT_TRUE(WriteImageFile(image, type, {}, (dir / name).string(), &error)) << error.message;
        EXPECT_TRUE(DecodeImageFile((dir / name).string()));
    }
    const std::string tooLong = (dir / (std::string(252, 'b') + ".jpg")).string();
    EXPECT_FALSE(CheckImageFileWritable(tooLong, &error));
    EXPECT_FALSE(WriteImageFile(image, ImageFileType::JPEG, {}, tooLong, &error));
    EXPECT_EQ(error.code, ImageIOErrorCode::WriteFailed);
    EXPECT_NE(error.message.find(std::strerror(ENAMETOOLONG)), std::string::npos) << error.message;

    ASSERT_EQ(::mkfifo((dir / "pipe.jpg").c_str(), 0600), 0);
    EXPECT_FALSE(WriteImageFile(image, ImageFileType::JPEG, {}, (dir / "pipe.jpg").string(), &error));
    EXPECT_NE(error.message.find("is a FIFO"), std::string::npos) << error.message;
    EXPECT_TRUE(std::filesystem::is_fifo(dir / "pipe.jpg"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 3);  // two images and the FIFO
}

// A JPEG given in bands of rows decodes to exactly the pixels of the same picture given
// whole (the bands change only how the file is written, not what it holds), with its
// metadata; whatever band sizes come.
TEST(ImageIODestination, JPEGInBandsOfRowsHoldsThePictureGivenWhole) {
    const auto dir = tempDir();
    const ImageBitmap original = gradient(45, 37, ImagePixelFormat::BGRA);
    const ImageBitmap whole = decoded(encoded(original, ImageFileType::JPEG), ImagePixelFormat::BGRA);
    for (std::uint32_t band : {1u, 8u, 13u, 37u}) {
        SCOPED_TRACE("bands of " + std::to_string(band));
        const std::string path = (dir / ("bands" + std::to_string(band) + ".jpg")).string();
        auto destination = ImageDestination::createWithFile(path, ImageFileType::JPEG);
        destination->beginImage(original.width, original.height, original.format, {{kCGImagePropertyOrientation, 6}});
        for (std::uint32_t y = 0; y < original.height; y += band)
            ASSERT_TRUE(destination->addRows(original.pixel(0, y), original.bytesPerRow(),
                                             std::min(band, original.height - y)));
        ImageIOError error;
        ASSERT_TRUE(destination->finalize(&error)) << error.message;
        auto source = ImageSource::createWithFile(path);
        ASSERT_TRUE(source);
        EXPECT_EQ(source->exifOrientation(), 6);
        EXPECT_EQ(difference(whole, *source->createImageAtIndex(0, ImagePixelFormat::BGRA)).max, 0);
    }
}

// Bands that do not add up to the picture write nothing; bands for another type, or more rows
// than the picture has, are refused.
TEST(ImageIODestination, JPEGBandsThatDoNotMakeThePictureWriteNothing) {
    const auto dir = tempDir();
    const std::string path = (dir / "short.jpg").string();
    const ImageBitmap picture = gradient(16, 16);
    ImageIOError error;
    auto destination = ImageDestination::createWithFile(path, ImageFileType::JPEG);
    destination->beginImage(16, 16, picture.format);
    ASSERT_TRUE(destination->addRows(picture.pixel(0, 0), picture.bytesPerRow(), 10));
    EXPECT_FALSE(destination->finalize(&error));
    EXPECT_EQ(error.code, ImageIOErrorCode::InvalidArgument);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 0);

    destination = ImageDestination::createWithFile(path, ImageFileType::JPEG);
    destination->beginImage(16, 16, picture.format);
    ASSERT_TRUE(destination->addRows(picture.pixel(0, 0), picture.bytesPerRow(), 10));
    EXPECT_FALSE(destination->addRows(picture.pixel(0, 10), picture.bytesPerRow(), 7));
    EXPECT_FALSE(destination->finalize(&error));
    EXPECT_FALSE(std::filesystem::exists(path));

    Bytes out;
    destination = ImageDestination::createWithData(&out, ImageFileType::PNG);
    destination->beginImage(16, 16, picture.format);
    EXPECT_FALSE(destination->addRows(picture.pixel(0, 0), picture.bytesPerRow(), 16));
    EXPECT_FALSE(destination->finalize(&error));
    EXPECT_EQ(error.code, ImageIOErrorCode::InvalidArgument);
}

TEST(ImageIODestination, SourceOfAnotherTypeIsReencoded) {
    const ImageBitmap original = gradient(12, 9);
    auto source =
        ImageSource::createWithData(encoded(original, ImageFileType::PNG, {{kCGImagePropertyOrientation, 8}}));
    ASSERT_TRUE(source);
    Bytes tiff;
    auto destination = ImageDestination::createWithData(&tiff, ImageFileType::TIFF);
    destination->addImageFromSource(*source, 0);
    ImageIOError error;
    ASSERT_TRUE(destination->finalize(&error)) << error.message;
    auto back = ImageSource::createWithData(tiff);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->type(), ImageFileType::TIFF);
    EXPECT_EQ(back->exifOrientation(), 8);
    EXPECT_EQ(difference(original, *back->createImageAtIndex(0)).max, 0);
}

// Damaged files of every format, made by overwriting, cutting and splicing bytes of good
// ones (with metadata, so that the metadata reader sees damage too): each must decode or be
// refused, never crash or leak.
TEST(ImageIOErrors, DamagedFilesNeverCrash) {
    ImageProperties metadata = {
        {kCGImagePropertyOrientation, 6},
        {kCGImagePropertyTIFFDictionary, ImageProperties{{kCGImagePropertyTIFFMake, "Apple"}}},
        {kCGImagePropertyIPTCDictionary,
         ImageProperties{{kCGImagePropertyIPTCKeywords, ImagePropertyValue::Strings{"Tavorin"}}}},
    };
    std::uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    int refused = 0, decoded = 0;
    for (ImageFileType type : kTypes) {
        const Bytes good =
            encoded(gradient(33, 17, ImagePixelFormat::RGBA, type != ImageFileType::JPEG), type, metadata);
        for (int round = 0; round < 150; ++round) {
            Bytes bad = good;
            switch (round % 3) {
            case 0:  // overwrite a few bytes
                for (int k = 0; k < 1 + round % 5; ++k) bad[next() % bad.size()] = static_cast<std::uint8_t>(next());
                break;
            case 1:  // cut
                bad.resize(next() % bad.size());
                break;
            default: {  // copy a run of bytes over another place
                const std::size_t from = next() % bad.size(), to = next() % bad.size();
                const std::size_t n = std::min<std::size_t>({next() % 64, bad.size() - from, bad.size() - to});
                std::memmove(bad.data() + to, good.data() + from, n);
            }
            }
            ImageIOError error;
            auto source = ImageSource::createWithData(bad, &error);
            if (source) {
                source->propertiesAtIndex(0);
                auto bitmap = source->createImageAtIndex(0, ImagePixelFormat::BGRA, &error);
                if (bitmap) {
                    EXPECT_EQ(bitmap->pixels.size(), std::size_t{bitmap->width} * bitmap->height * 4);
                    ++decoded;
                    continue;
                }
            }
            EXPECT_NE(error.code, ImageIOErrorCode::None);
            EXPECT_FALSE(error.message.empty());
            ++refused;
        }
    }
    EXPECT_GT(refused, 50);
    EXPECT_GT(decoded, 10);
}

TEST(ImageIOThumbnail, ReducedToTheLongerSideAndTurnedUpright) {
    // A flat colour with a red left half: the reduced copy keeps both, for every format.
    ImageBitmap image = *ImageBitmap::make(400, 300);
    for (std::uint32_t y = 0; y < 300; ++y)
        for (std::uint32_t x = 0; x < 400; ++x) {
            std::uint8_t* p = image.pixel(x, y);
            p[0] = x < 200 ? 220 : 40, p[1] = 90, p[2] = 60, p[3] = 255;
        }
    for (ImageFileType type : kTypes) {
        SCOPED_TRACE(ImageFileTypeIdentifier(type));
        auto source = ImageSource::createWithData(encoded(image, type, {{kCGImagePropertyOrientation, 6}}));
        ASSERT_TRUE(source);
        ImageIOError error;
        auto stored = source->createThumbnailAtIndex(0, 100, ImagePixelFormat::RGBA, false, &error);
        ASSERT_TRUE(stored) << error.message;
        EXPECT_EQ(stored->width, 100u);
        EXPECT_EQ(stored->height, 75u);
        EXPECT_NEAR(stored->pixel(10, 40)[0], 220, 6);
        EXPECT_NEAR(stored->pixel(90, 40)[0], 40, 6);
        EXPECT_NEAR(stored->pixel(90, 40)[1], 90, 6);
        // EXIF 6 shows the stored first column on top: the red half comes out above.
        auto upright = source->createThumbnailAtIndex(0, 100, ImagePixelFormat::BGRA, true, &error);
        ASSERT_TRUE(upright) << error.message;
        EXPECT_EQ(upright->width, 75u);
        EXPECT_EQ(upright->height, 100u);
        EXPECT_NEAR(upright->pixel(40, 10)[2], 220, 6);
        EXPECT_NEAR(upright->pixel(40, 90)[2], 40, 6);
        // Asking for more than the image has gives the image's own size.
        EXPECT_EQ(source->createThumbnailAtIndex(0, 1000, ImagePixelFormat::RGBA, false)->width, 400u);
    }
}

TEST(ImageIOThumbnail, ResizeAveragesAndIgnoresTransparentColour) {
    ImageBitmap b = *ImageBitmap::make(4, 2);
    const std::uint8_t px[8][4] = {{200, 0, 0, 255}, {100, 0, 0, 255}, {0, 255, 0, 0}, {10, 20, 30, 255},
                                   {0, 0, 0, 255},   {100, 0, 0, 255}, {0, 255, 0, 0}, {10, 20, 30, 255}};
    std::memcpy(b.pixels.data(), px, sizeof px);
    auto r = ResizeImageBitmap(b, 2, 1);
    ASSERT_TRUE(r);
    EXPECT_EQ((std::vector<std::uint8_t>(r->pixels.begin(), r->pixels.end())),
              (std::vector<std::uint8_t>{100, 0, 0, 255, 10, 20, 30, 128}));
    EXPECT_FALSE(ResizeImageBitmap(b, 0, 1));
    EXPECT_EQ(ImageFileTypeFromSaveType(2), ImageFileType::TIFF);
    EXPECT_EQ(ImageFileTypeFromSaveType(3), ImageFileType::Unknown);
    EXPECT_STREQ(ImageFileTypeExtension(ImageFileTypeFromSaveType(0)), ".jpg");
}
