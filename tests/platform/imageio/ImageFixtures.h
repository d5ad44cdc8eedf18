#pragma once
// Small images made at test time: bitmaps with known content, and files of the kinds the
// writers never produce (16-bit, grey, palette, CMYK...) written straight through the codec
// libraries.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <exiv2/exiv2.hpp>
#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>
#include <unistd.h>

#include "platform/imageio/ImageIO.h"

namespace imageio_test {

using platform::ImageBitmap;
using platform::ImagePixelFormat;
using Bytes = std::vector<std::uint8_t>;

// A smooth colour ramp (JPEG-friendly) with an alpha ramp when asked.
inline ImageBitmap gradient(std::uint32_t w, std::uint32_t h, ImagePixelFormat format = ImagePixelFormat::RGBA,
                            bool alpha = false) {
    ImageBitmap b = *ImageBitmap::make(w, h, ImagePixelFormat::RGBA);
    for (std::uint32_t y = 0; y < h; ++y)
        for (std::uint32_t x = 0; x < w; ++x) {
            std::uint8_t* p = b.pixel(x, y);
            p[0] = static_cast<std::uint8_t>(40 + 180 * x / std::max(1u, w - 1));
            p[1] = static_cast<std::uint8_t>(30 + 200 * y / std::max(1u, h - 1));
            p[2] = static_cast<std::uint8_t>(200 - 150 * (x + y) / std::max(1u, w + h - 2));
            p[3] = alpha ? static_cast<std::uint8_t>((x * 37 + y * 11) % 256) : 255;
        }
    return b.converted(format);
}

// Largest and mean absolute difference of the colour channels (and alpha when asked).
struct Difference {
    int max = 0;
    double mean = 0;
};
inline Difference difference(const ImageBitmap& a, const ImageBitmap& b, bool alpha = true) {
    Difference d;
    EXPECT_EQ(a.width, b.width);
    EXPECT_EQ(a.height, b.height);
    if (a.pixels.size() != b.pixels.size()) return {255, 255};
    const ImageBitmap bb = b.converted(a.format);
    long sum = 0, n = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) {
        if (!alpha && i % 4 == 3) continue;
        const int diff = std::abs(int(a.pixels[i]) - int(bb.pixels[i]));
        d.max = std::max(d.max, diff);
        sum += diff;
        ++n;
    }
    d.mean = n ? double(sum) / n : 0;
    return d;
}

// A fresh empty directory for the test's files, apart for each process so that test runs side
// by side never clear each other's files. The process's folder goes when the process ends.
inline std::filesystem::path tempDir() {
    static const struct ProcessFolder {
        std::filesystem::path path;
        ~ProcessFolder() {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    } folder{std::filesystem::temp_directory_path() / ("tavorin-imageio-" + std::to_string(::getpid()))};
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "_" + info->name();
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    auto dir = folder.path / name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

// ---- Files written directly through the libraries ---------------------------------------

inline void pngWriteCallback(png_structp png, png_bytep data, png_size_t n) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + n);
}

// A PNG of any colour type and depth; `rows` holds the raw samples, big-endian for 16 bits.
inline Bytes writePNG(std::uint32_t w, std::uint32_t h, int colorType, int depth, const Bytes& rows,
                      const std::vector<png_color>& palette = {}, const Bytes& trns = {}) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, pngWriteCallback, nullptr);
    png_set_IHDR(png, info, w, h, depth, colorType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!palette.empty()) png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
    if (!trns.empty()) png_set_tRNS(png, info, trns.data(), static_cast<int>(trns.size()), nullptr);
    png_write_info(png, info);
    const std::size_t stride = rows.size() / h;
    for (std::uint32_t y = 0; y < h; ++y) png_write_row(png, rows.data() + y * stride);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

// A TIFF of the given layout through libtiff into a file, returned as bytes.
struct TIFFLayout {
    std::uint16_t bits = 8, spp = 3, photometric = PHOTOMETRIC_RGB, extra = 0xFFFF, sampleFormat = SAMPLEFORMAT_UINT;
    std::uint32_t tile = 0;                    // tile side, 0 for strips
    std::vector<std::uint16_t> colormap = {};  // 3 x 2^bits entries for palette images
};
inline Bytes writeTIFF(const std::filesystem::path& path, std::uint32_t w, std::uint32_t h, const TIFFLayout& l,
                       const Bytes& samples) {
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, w);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, h);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, l.bits);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, l.spp);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, l.photometric);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_SAMPLEFORMAT, l.sampleFormat);
    if (l.photometric == PHOTOMETRIC_SEPARATED) TIFFSetField(tif, TIFFTAG_INKSET, INKSET_CMYK);
    if (l.extra != 0xFFFF) TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &l.extra);
    if (!l.colormap.empty()) {
        const std::size_t n = l.colormap.size() / 3;
        TIFFSetField(tif, TIFFTAG_COLORMAP, l.colormap.data(), l.colormap.data() + n, l.colormap.data() + 2 * n);
    }
    const std::size_t pixelBytes = std::size_t{l.spp} * l.bits / 8;
    if (l.tile) {
        TIFFSetField(tif, TIFFTAG_TILEWIDTH, l.tile);
        TIFFSetField(tif, TIFFTAG_TILELENGTH, l.tile);
        Bytes tileBuf(static_cast<std::size_t>(TIFFTileSize(tif)));
        for (std::uint32_t ty = 0; ty < h; ty += l.tile)
            for (std::uint32_t tx = 0; tx < w; tx += l.tile) {
                std::fill(tileBuf.begin(), tileBuf.end(), 0);
                for (std::uint32_t y = ty; y < std::min(h, ty + l.tile); ++y)
                    for (std::uint32_t x = tx; x < std::min(w, tx + l.tile); ++x)
                        std::memcpy(tileBuf.data() + ((y - ty) * l.tile + (x - tx)) * pixelBytes,
                                    samples.data() + (std::size_t{y} * w + x) * pixelBytes, pixelBytes);
                TIFFWriteTile(tif, tileBuf.data(), tx, ty, 0, 0);
            }
    } else {
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 2);
        const std::size_t stride = samples.size() / h;
        for (std::uint32_t y = 0; y < h; ++y)
            TIFFWriteScanline(tif, const_cast<std::uint8_t*>(samples.data() + y * stride), y, 0);
    }
    TIFFClose(tif);
    FILE* f = std::fopen(path.c_str(), "rb");
    Bytes out;
    int c;
    while ((c = std::fgetc(f)) != EOF) out.push_back(static_cast<std::uint8_t>(c));
    std::fclose(f);
    return out;
}

// A JPEG of the given input colour space (grey, RGB or CMYK with the Adobe marker), sequential
// or progressive, Huffman or arithmetic coded.
inline Bytes writeJPEG(std::uint32_t w, std::uint32_t h, J_COLOR_SPACE space, int components, const Bytes& samples,
                       int quality = 100, bool progressive = false, bool arithmetic = false) {
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &buffer, &size);
    c.image_width = w;
    c.image_height = h;
    c.input_components = components;
    c.in_color_space = space;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, quality, TRUE);
    if (progressive) jpeg_simple_progression(&c);
    c.arith_code = arithmetic ? TRUE : FALSE;
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < h) {
        JSAMPROW row = const_cast<JSAMPROW>(samples.data() + std::size_t{c.next_scanline} * w * components);
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    Bytes out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

inline std::uint32_t crc32(const std::uint8_t* p, std::size_t n) {
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < n; ++i) {
        c ^= p[i];
        for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
    }
    return ~c;
}

inline void putBE32(std::uint8_t* p, std::uint32_t v) {
    p[0] = std::uint8_t(v >> 24);
    p[1] = std::uint8_t(v >> 16);
    p[2] = std::uint8_t(v >> 8);
    p[3] = std::uint8_t(v);
}

// ---- Colour profiles and XMP ----------------------------------------------------------------

// A small ICC profile of the colour space ("RGB ", "CMYK", "GRAY"): a well-formed header with
// no tags, and a marker pattern in its reserved bytes to tell copies apart.
inline std::string iccProfile(const char* space, std::uint8_t marker = 0x5A) {
    std::string p(132, '\0');
    auto* b = reinterpret_cast<std::uint8_t*>(p.data());
    putBE32(b, static_cast<std::uint32_t>(p.size()));
    putBE32(b + 8, 0x02100000);  // version 2.1
    std::memcpy(b + 12, "mntr", 4);
    std::memcpy(b + 16, space, 4);
    std::memcpy(b + 20, "XYZ ", 4);
    std::memcpy(b + 36, "acsp", 4);
    putBE32(b + 68, 0x0000F6D6);  // the D50 illuminant every profile's connection space uses
    putBE32(b + 72, 0x00010000);
    putBE32(b + 76, 0x0000D32D);
    for (int i = 100; i < 128; ++i) b[i] = static_cast<std::uint8_t>(marker + i);
    return p;
}

// An XMP packet with a rating, a creator, two keywords, an orientation and a modification
// date (2001-02-03T04:05:06).
inline std::string xmpPacket(int orientation) {
    return "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>"
           "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">"
           "<rdf:Description rdf:about=\"\" xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\" "
           "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" xmlns:tiff=\"http://ns.adobe.com/tiff/1.0/\" "
           "xmp:Rating=\"4\" xmp:ModifyDate=\"2001-02-03T04:05:06\" tiff:Orientation=\"" +
           std::to_string(orientation) +
           "\"><dc:creator><rdf:Seq><rdf:li>Ana Example</rdf:li></rdf:Seq></dc:creator>"
           "<dc:subject><rdf:Bag><rdf:li>harbour</rdf:li><rdf:li>dusk</rdf:li></rdf:Bag></dc:subject>"
           "</rdf:Description></rdf:RDF></x:xmpmeta><?xpacket end=\"w\"?>";
}

// The profile and the XMP of xmpPacket() found again in a file's properties, the packet's
// orientation as the pixels were written and its modification date as given.
inline void expectProfileAndSampleXMP(const platform::ImageProperties& p, const std::string& profile, int orientation,
                                      const std::string& modifyDate = "2001-02-03T04:05:06") {
    const platform::ImagePropertyValue* icc = platform::ImagePropertyFind(p, platform::kImagePropertyICCProfile);
    ASSERT_TRUE(icc && icc->string());
    EXPECT_EQ(*icc->string(), profile);
    const platform::ImagePropertyValue* packet = platform::ImagePropertyFind(p, platform::kImagePropertyXMPPacket);
    ASSERT_TRUE(packet && packet->string());
    Exiv2::XmpData xmp;
    ASSERT_EQ(Exiv2::XmpParser::decode(xmp, *packet->string()), 0);
    EXPECT_EQ(xmp["Xmp.xmp.Rating"].toString(), "4");
    EXPECT_EQ(xmp["Xmp.dc.creator"].toString(), "Ana Example");
    EXPECT_EQ(xmp["Xmp.dc.subject"].toString(), "harbour, dusk");
    EXPECT_EQ(xmp["Xmp.tiff.Orientation"].toString(), std::to_string(orientation));
    EXPECT_EQ(xmp["Xmp.xmp.ModifyDate"].toString(), modifyDate);
}

}  // namespace imageio_test
