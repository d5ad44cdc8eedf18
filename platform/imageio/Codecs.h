#pragma once
// The decoders and encoders behind ImageSource and ImageDestination, one per file type, and
// the metadata layer over Exiv2. Internal to the image I/O stand-in.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/imageio/ImageIO.h"

namespace platform::imageio_detail {

inline ImageIOError makeError(ImageIOErrorCode code, std::string message) {
    return ImageIOError{code, std::move(message)};
}
inline void setError(ImageIOError* out, ImageIOErrorCode code, std::string message) {
    if (out) *out = makeError(code, std::move(message));
}

// Refuses sizes beyond the limits (and zero sizes) before anything is allocated.
bool checkDimensions(std::uint64_t width, std::uint64_t height, const ImageDecodeLimits& limits, const char* what,
                     ImageIOError* error);
// The most pixels of `bitsPerPixel` bits that `bytes` of compressed data can encode when no
// byte of it expands to more than `ratio` bytes (0: no ratio is known, any number).
std::uint64_t pixelsHeld(std::uint64_t bytes, double ratio, double bitsPerPixel);
// True when every alpha byte is 255.
bool isOpaque(const ImageBitmap& bitmap);

// Header reading: fills the infos of every image of the data (one for JPEG and PNG).
// A JPEG whose declared size is within the limits may have its scans read through already
// (arithmetic coding, whose bytes bound no count of pixels).
bool jpegReadInfo(const std::vector<std::uint8_t>& data, const ImageDecodeLimits& limits, ImageSource::ImageInfo* info,
                  ImageIOError* error);
bool pngReadInfo(const std::vector<std::uint8_t>& data, ImageSource::ImageInfo* info, ImageIOError* error);
bool tiffReadInfo(const std::vector<std::uint8_t>& data, std::vector<ImageSource::ImageInfo>* infos,
                  ImageIOError* error);

// Decoding into a bitmap already sized from the header. JPEG may decode at 1/2, 1/4 or 1/8
// of the size (scaleDenominator 2, 4, 8), allocating the bitmap itself in out's format.
bool jpegDecode(const std::vector<std::uint8_t>& data, int scaleDenominator, ImageBitmap* out, ImageIOError* error);
// A JPEG's full-size pixels as packed R,G,B (refused for CMYK).
bool jpegDecodeRGB(const std::vector<std::uint8_t>& data, PackedRGB* out, ImageIOError* error);
bool pngDecode(const std::vector<std::uint8_t>& data, ImageBitmap* out, ImageIOError* error);
bool tiffDecode(const std::vector<std::uint8_t>& data, std::size_t index, ImageBitmap* out, ImageIOError* error);

// A TIFF's resolution: tags of the file's own layout, which the metadata layer cannot set in a
// TIFF, so the encoder writes them.
struct TIFFResolution {
    float x = 72, y = 72;
    std::uint16_t unit = 2;  // inches
};

// Encoding (quality 0-1 for JPEG only).
bool jpegEncode(const ImageBitmap& bitmap, double quality, std::vector<std::uint8_t>* out, ImageIOError* error);
bool pngEncode(const ImageBitmap& bitmap, std::vector<std::uint8_t>* out, ImageIOError* error);
bool tiffEncode(const ImageBitmap& bitmap, std::vector<std::uint8_t>* out, ImageIOError* error,
                const std::optional<TIFFResolution>& resolution = std::nullopt);

// JPEG a band of rows at a time: begin with the size, write the rows top first as they come,
// finish once all are written.
// (JPEGRowCompressor and its deleter are declared in ImageIO.h.)
using JPEGRowCompressorPointer = std::unique_ptr<JPEGRowCompressor, JPEGRowCompressorDeleter>;
JPEGRowCompressorPointer jpegBeginRows(std::uint32_t width, std::uint32_t height, ImagePixelFormat format,
                                       double quality, ImageIOError* error);
bool jpegWriteRows(JPEGRowCompressor* c, const std::uint8_t* rows, std::size_t bytesPerRow, std::uint32_t count,
                   ImageIOError* error);
std::uint32_t jpegRowsWritten(const JPEGRowCompressor* c);
bool jpegFinishRows(JPEGRowCompressor* c, std::vector<std::uint8_t>* out, ImageIOError* error);

// Metadata: reads the Orientation entry and the Exif, TIFF, GPS and IPTC groups of encoded
// data into `properties` (leaving what it cannot read out); never fails.
void metadataRead(const std::vector<std::uint8_t>& data, ImageProperties* properties);
// The resolution the properties' TIFF group states (XResolution, YResolution, ResolutionUnit);
// none when it states no positive one.
std::optional<TIFFResolution> tiffResolution(const ImageProperties& properties);
// Whether the properties hold anything the metadata writer would store.
bool metadataPresent(const ImageProperties& properties);
// Merges the properties' metadata into the encoded data in place.
bool metadataWrite(std::vector<std::uint8_t>* data, const ImageProperties& properties, ImageIOError* error);

}  // namespace platform::imageio_detail
