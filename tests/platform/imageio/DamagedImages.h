#pragma once
// Damaged image files made from a real photograph, as disks, downloads and crafted files damage
// them: scans cut short (with and without their end marker), bad Huffman data, PNG image data
// cut short or failing its checksum, TIFF strips cut off by the end of the file or failing
// their checksum, and headers declaring far more pixels than their files hold. Each comes with
// the error the decoders must give.
#include "ImageFixtures.h"

#include <zlib.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace imageio_test {

using platform::ImageIOErrorCode;

inline constexpr const char* kSamplePhotograph = "/usr/share/backgrounds/Wine_by_Jakkub_Mede.jpg";

// The photograph at an eighth of its size (320 x 480), R,G,B,A.
inline ImageBitmap samplePhotograph() {
    platform::ImageIOError error;
    auto source = platform::ImageSource::createWithFile(kSamplePhotograph, &error);
    EXPECT_TRUE(source) << error.message;
    if (!source) return *ImageBitmap::make(8, 8);
    auto reduced = source->createThumbnailAtIndex(0, 480, ImagePixelFormat::RGBA, false, &error);
    EXPECT_TRUE(reduced) << error.message;
    return reduced ? *reduced : *ImageBitmap::make(8, 8);
}

// A file of this process for libtiff to write and read, gone once read.
inline std::filesystem::path scratchFile(const char* name) {
    return std::filesystem::temp_directory_path() / ("tavorin-damaged-" + std::to_string(::getpid()) + "-" + name);
}
inline Bytes readAndRemove(const std::filesystem::path& path) {
    Bytes bytes;
    {
        std::ifstream in(path, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::filesystem::remove(path);
    return bytes;
}

inline Bytes rgbSamples(const ImageBitmap& b) {
    Bytes rgb;
    rgb.reserve(std::size_t{b.width} * b.height * 3);
    for (std::size_t i = 0; i < b.pixels.size(); i += 4) rgb.insert(rgb.end(), &b.pixels[i], &b.pixels[i] + 3);
    return rgb;
}

inline std::uint32_t getBE(const Bytes& b, std::size_t at, int n) {
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i) v = v << 8 | b[at + i];
    return v;
}

// ---- JPEG ---------------------------------------------------------------------------------

inline Bytes progressiveJPEG(const ImageBitmap& photo) {
    return writeJPEG(photo.width, photo.height, JCS_EXT_RGBX, 4, photo.pixels, 90, true);
}
inline Bytes arithmeticJPEG(const ImageBitmap& photo, int quality, bool progressive) {
    return writeJPEG(photo.width, photo.height, JCS_EXT_RGBX, 4, photo.pixels, quality, progressive, true);
}

// Where the first scan's entropy-coded data begins and ends.
inline std::pair<std::size_t, std::size_t> firstScan(const Bytes& jpeg) {
    std::size_t at = 2;
    while (at + 4 < jpeg.size() && jpeg[at + 1] != 0xDA) at += 2 + getBE(jpeg, at + 2, 2);
    const std::size_t begin = at + 2 + getBE(jpeg, at + 2, 2);
    std::size_t end = begin;
    while (end + 1 < jpeg.size() &&
           !(jpeg[end] == 0xFF && jpeg[end + 1] != 0 && (jpeg[end + 1] < 0xD0 || jpeg[end + 1] > 0xD7)))
        ++end;
    return {begin, end};
}

inline Bytes cutAt(const Bytes& b, double fraction) {
    return Bytes(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(b.size() * fraction));
}
inline Bytes withEndMarker(Bytes b) {
    b.push_back(0xFF);
    b.push_back(0xD9);
    return b;
}

// 128 one bits in the middle of the first scan: no Huffman code is sixteen ones, so whatever
// code the decoder is in, it meets a code that is none.
inline Bytes badHuffmanData(Bytes jpeg) {
    const auto [begin, end] = firstScan(jpeg);
    std::size_t at = (begin + end) / 2;
    while (jpeg[at - 1] == 0xFF) ++at;
    for (int i = 0; i < 16; ++i) jpeg[at + 2 * i] = 0xFF, jpeg[at + 2 * i + 1] = 0x00;
    return jpeg;
}

inline Bytes jpegDeclaring(Bytes jpeg, std::uint16_t width, std::uint16_t height) {
    for (std::size_t at = 2; at + 9 < jpeg.size(); at += 2 + getBE(jpeg, at + 2, 2))
        if (jpeg[at + 1] == 0xC0 || jpeg[at + 1] == 0xC2 || jpeg[at + 1] == 0xC9 || jpeg[at + 1] == 0xCA) {
            jpeg[at + 5] = std::uint8_t(height >> 8), jpeg[at + 6] = std::uint8_t(height);
            jpeg[at + 7] = std::uint8_t(width >> 8), jpeg[at + 8] = std::uint8_t(width);
            break;
        }
    return jpeg;
}

// ---- PNG ----------------------------------------------------------------------------------

inline Bytes pngChunk(const char* type, const Bytes& data) {
    Bytes chunk(8);
    putBE32(chunk.data(), static_cast<std::uint32_t>(data.size()));
    std::memcpy(&chunk[4], type, 4);
    chunk.insert(chunk.end(), data.begin(), data.end());
    chunk.resize(chunk.size() + 4);
    putBE32(&chunk[chunk.size() - 4], crc32(&chunk[4], data.size() + 4));
    return chunk;
}

// The signature and IHDR, and the image data of all IDAT chunks.
inline std::pair<Bytes, Bytes> pngParts(const Bytes& png) {
    Bytes head(png.begin(), png.begin() + 33), data;
    for (std::size_t at = 33; at + 8 <= png.size(); at += 12 + getBE(png, at, 4))
        if (std::memcmp(&png[at + 4], "IDAT", 4) == 0)
            data.insert(data.end(), png.begin() + at + 8, png.begin() + at + 8 + getBE(png, at, 4));
    return {head, data};
}

// Well-formed chunks around image data that stops halfway: the file ends properly.
inline Bytes pngImageDataCutShort(const Bytes& png) {
    auto [out, data] = pngParts(png);
    const Bytes idat = pngChunk("IDAT", Bytes(data.begin(), data.begin() + data.size() / 2));
    const Bytes iend = pngChunk("IEND", {});
    out.insert(out.end(), idat.begin(), idat.end());
    out.insert(out.end(), iend.begin(), iend.end());
    return out;
}

// A byte of the first IDAT's data changed, its checksum left as it was.
inline Bytes pngImageDataChecksumWrong(Bytes png) {
    std::size_t at = 33;
    while (std::memcmp(&png[at + 4], "IDAT", 4) != 0) at += 12 + getBE(png, at, 4);
    png[at + 8 + getBE(png, at, 4) / 2] ^= 0x10;
    return png;
}

inline Bytes pngDeclaring(Bytes png, std::uint32_t width, std::uint32_t height) {
    putBE32(&png[16], width);
    putBE32(&png[20], height);
    putBE32(&png[29], crc32(&png[12], 17));
    return png;
}

// ---- TIFF ---------------------------------------------------------------------------------

// The photograph as 8-bit RGB in strips of 16 rows (or tiles of 64), compressed as asked.
inline Bytes tiffOf(const ImageBitmap& photo, std::uint16_t compression, std::uint32_t tile = 0) {
    const auto path = scratchFile("written.tiff");
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, photo.width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, photo.height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, compression);
    const Bytes rgb = rgbSamples(photo);
    if (tile) {
        TIFFSetField(tif, TIFFTAG_TILEWIDTH, tile);
        TIFFSetField(tif, TIFFTAG_TILELENGTH, tile);
        Bytes piece(std::size_t{tile} * tile * 3);
        for (std::uint32_t ty = 0; ty < photo.height; ty += tile)
            for (std::uint32_t tx = 0; tx < photo.width; tx += tile) {
                std::fill(piece.begin(), piece.end(), 0);
                for (std::uint32_t y = ty; y < std::min(photo.height, ty + tile); ++y)
                    std::memcpy(&piece[std::size_t{y - ty} * tile * 3], &rgb[(std::size_t{y} * photo.width + tx) * 3],
                                std::size_t{std::min(tile, photo.width - tx)} * 3);
                TIFFWriteTile(tif, piece.data(), tx, ty, 0, 0);
            }
    } else {
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 16);
        for (std::uint32_t y = 0; y < photo.height; ++y)
            TIFFWriteScanline(tif, const_cast<std::uint8_t*>(&rgb[std::size_t{y} * photo.width * 3]), y, 0);
    }
    TIFFClose(tif);
    return readAndRemove(path);
}

// A TIFF in strips (8-bit RGB, as tiffOf writes it) laid out again with its directory first and
// its strips after it, as many cameras and scanners write: a file cut short then keeps its
// directory and loses image data. With a size given, the directory declares that size, and
// the strips there are are followed by empty ones.
inline Bytes directoryFirst(const Bytes& tiff, std::uint32_t width = 0, std::uint32_t height = 0) {
    const auto path = scratchFile("relaid.tiff");
    { std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(tiff.data()), tiff.size()); }
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    std::uint32_t w = 0, h = 0, rows = 0;
    std::uint16_t compression = 1;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
    TIFFGetField(tif, TIFFTAG_ROWSPERSTRIP, &rows);
    TIFFGetField(tif, TIFFTAG_COMPRESSION, &compression);
    std::vector<Bytes> strips(TIFFNumberOfStrips(tif));
    for (std::uint32_t i = 0; i < strips.size(); ++i) {
        strips[i].resize(TIFFGetStrileByteCount(tif, i));
        TIFFReadRawStrip(tif, i, strips[i].data(), static_cast<tmsize_t>(strips[i].size()));
    }
    TIFFClose(tif);
    std::filesystem::remove(path);
    if (width) w = width, h = height;
    strips.resize((h + rows - 1) / rows);

    struct Entry {
        std::uint16_t tag, type;
        std::vector<std::uint32_t> values;
    };
    const std::uint32_t count = static_cast<std::uint32_t>(strips.size());
    std::vector<Entry> entries = {{256, 4, {w}}, {257, 4, {h}}, {258, 3, {8, 8, 8}}, {259, 3, {compression}},
                                  {262, 3, {2}}, {273, 4, {}},  {277, 3, {3}},       {278, 4, {rows}},
                                  {279, 4, {}},  {284, 3, {1}}};
    const std::size_t directorySize = 2 + entries.size() * 12 + 4;
    std::size_t extra = 8 + directorySize;  // where values that do not fit an entry go
    std::size_t data = extra + 6 + 2 * 4 * std::size_t{count};
    for (const Bytes& strip : strips) {
        entries[5].values.push_back(static_cast<std::uint32_t>(strip.empty() ? 0 : data));
        entries[8].values.push_back(static_cast<std::uint32_t>(strip.size()));
        data += strip.size();
    }
    Bytes out = {'I', 'I', 42, 0, 8, 0, 0, 0};
    Bytes values;
    const auto le = [](Bytes& to, std::uint32_t v, int n) {
        for (int i = 0; i < n; ++i) to.push_back(std::uint8_t(v >> (8 * i)));
    };
    le(out, static_cast<std::uint32_t>(entries.size()), 2);
    for (const Entry& e : entries) {
        const int size = e.type == 3 ? 2 : 4;
        le(out, e.tag, 2);
        le(out, e.type, 2);
        le(out, static_cast<std::uint32_t>(e.values.size()), 4);
        if (e.values.size() * size <= 4) {
            Bytes inline_;
            for (std::uint32_t v : e.values) le(inline_, v, size);
            inline_.resize(4);
            out.insert(out.end(), inline_.begin(), inline_.end());
        } else {
            le(out, static_cast<std::uint32_t>(extra + values.size()), 4);
            for (std::uint32_t v : e.values) le(values, v, size);
        }
    }
    le(out, 0, 4);
    out.insert(out.end(), values.begin(), values.end());
    for (const Bytes& strip : strips) out.insert(out.end(), strip.begin(), strip.end());
    return out;
}

// Bytes changed in the middle of the file (in image data for every layout here).
inline Bytes garbledMiddle(Bytes b) {
    for (std::size_t i = b.size() / 2; i < b.size() / 2 + 64; ++i) b[i] ^= 0x5A;
    return b;
}

// ---- What is not a file --------------------------------------------------------------------

// A FIFO, a listening socket and a folder of those names in the folder; the socket's
// descriptor (to close).
inline int makeNonFiles(const std::filesystem::path& folder, const std::string& fifo, const std::string& socket,
                        const std::string& subfolder) {
    EXPECT_EQ(::mkfifo((folder / fifo).c_str(), 0600), 0);
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", (folder / socket).c_str());
    EXPECT_EQ(::bind(sock, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    std::filesystem::create_directory(folder / subfolder);
    return sock;
}

// ---- The table ------------------------------------------------------------------------------

struct DamagedImage {
    std::string name;
    Bytes data;
    const char* extension;
    ImageIOErrorCode code;
    const char* says;  // a part of the message
    // Refused by the source itself, before any pixel memory is taken, though the header is
    // within every limit (arithmetic-coded scans read through at once).
    bool refusedAtOpen = false;
};

inline std::vector<DamagedImage> damagedImages() {
    const ImageBitmap photo = samplePhotograph();
    Bytes baseline;
    platform::EncodeImage(photo, platform::ImageFileType::JPEG, {}, &baseline);
    const Bytes progressive = progressiveJPEG(photo);
    const Bytes arithmetic = arithmeticJPEG(photo, 75, false), arithmeticProgressive = arithmeticJPEG(photo, 75, true);
    // Bytes enough for the 12 megapixels had it been Huffman coded: read only as it decodes.
    const Bytes arithmeticFine = arithmeticJPEG(photo, 98, false);
    Bytes png;
    platform::EncodeImage(photo, platform::ImageFileType::PNG, {}, &png);
    const Bytes uncompressed = directoryFirst(tiffOf(photo, COMPRESSION_NONE));
    const Bytes lzw = directoryFirst(tiffOf(photo, COMPRESSION_LZW));
    // 225 megapixels of one bit each: a valid file of 28 KB.
    const Bytes blank = writePNG(15000, 15000, PNG_COLOR_TYPE_GRAY, 1, Bytes(std::size_t{15000} * 1875, 0));

    const auto Truncated = ImageIOErrorCode::Truncated, Corrupt = ImageIOErrorCode::Corrupt,
               TooLarge = ImageIOErrorCode::TooLarge;
    return {
        {"baseline JPEG cut at 30%", cutAt(baseline, 0.3), ".jpg", Truncated, "the data ends before the image does"},
        {"baseline JPEG cut at 60% with its end marker", withEndMarker(cutAt(baseline, 0.6)), ".jpg", Truncated,
         "premature end of data segment"},
        {"progressive JPEG cut at 60%", cutAt(progressive, 0.6), ".jpg", Truncated,
         "the data ends before the image does"},
        {"progressive JPEG cut at 95% with its end marker", withEndMarker(cutAt(progressive, 0.95)), ".jpg", Truncated,
         "premature end of data segment"},
        {"baseline JPEG with bad Huffman data", badHuffmanData(baseline), ".jpg", Corrupt, "bad Huffman code"},
        {"progressive JPEG with bad Huffman data", badHuffmanData(progressive), ".jpg", Corrupt, "bad Huffman code"},
        {"JPEG declaring 14000 x 14000", jpegDeclaring(baseline, 14000, 14000), ".jpg", Truncated, "too small to hold"},
        {"JPEG declaring 16000 x 16000", jpegDeclaring(baseline, 16000, 16000), ".jpg", TooLarge, "256 megapixels"},
        {"progressive JPEG declaring 16000 x 12000", jpegDeclaring(progressive, 16000, 12000), ".jpg", Truncated,
         "too small to hold"},
        {"arithmetic JPEG declaring 16000 x 12000", jpegDeclaring(arithmetic, 16000, 12000), ".jpg", Truncated,
         "the image data ends at row 16 of the 16000 x 12000 image", true},
        {"progressive arithmetic JPEG declaring 16000 x 12000", jpegDeclaring(arithmeticProgressive, 16000, 12000),
         ".jpg", Truncated, "the image data ends at row 16 of the 16000 x 12000 image", true},
        {"arithmetic JPEG declaring 4000 x 3000", jpegDeclaring(arithmeticFine, 4000, 3000), ".jpg", Truncated,
         "of the 4000 x 3000 image it declares"},
        {"PNG cut in its image data", cutAt(png, 0.5), ".png", Truncated, "the data ends before the image does"},
        {"PNG whose image data is cut short", pngImageDataCutShort(png), ".png", Truncated, "image data is cut short"},
        {"PNG whose image data fails its checksum", pngImageDataChecksumWrong(png), ".png", Corrupt,
         "image data is damaged"},
        {"PNG declaring 14000 x 14000", pngDeclaring(png, 14000, 14000), ".png", Truncated, "too small to hold"},
        {"blank PNG of 15000 x 15000", blank, ".png", TooLarge, "225 megapixels"},
        {"TIFF cut in its strips", cutAt(uncompressed, 0.6), ".tiff", Truncated, "too small to hold"},
        {"LZW TIFF cut in its strips", cutAt(lzw, 0.6), ".tiff", Truncated, "too small to hold"},
        {"LZW TIFF with damaged strips", garbledMiddle(lzw), ".tiff", Corrupt, "image data is damaged"},
        {"Deflate TIFF with damaged strips", garbledMiddle(tiffOf(photo, COMPRESSION_ADOBE_DEFLATE)), ".tiff", Corrupt,
         "image data is damaged"},
        {"JPEG TIFF with damaged strips", garbledMiddle(tiffOf(photo, COMPRESSION_JPEG)), ".tiff", Corrupt,
         "image data is damaged"},
        {"tiled LZW TIFF with damaged tiles", garbledMiddle(tiffOf(photo, COMPRESSION_LZW, 64)), ".tiff", Corrupt,
         "image data is damaged"},
        {"TIFF declaring 14000 x 14000", directoryFirst(tiffOf(photo, COMPRESSION_LZW), 14000, 14000), ".tiff",
         Truncated, "too small to hold"},
    };
}

}  // namespace imageio_test
