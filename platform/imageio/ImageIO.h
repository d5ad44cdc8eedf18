#pragma once
// Image files in and out: JPEG, PNG and TIFF decoded into 8-bit RGBA or BGRA pixels and
// encoded from them, with the file's orientation and metadata carried as a properties
// dictionary (see ImageProperties.h).
//
// Decoded pixels are the file's stored pixels, top row first, not turned upright: the
// orientation is reported beside them and ApplyImageOrientation turns them when a caller
// needs upright pixels. Alpha is straight (not premultiplied); grey, palette and 16-bit
// files come out as 8-bit RGBA; CMYK JPEG and TIFF are converted to RGB.
//
// Every failure (missing file, empty, truncated or corrupt data, an unsupported kind of
// file, dimensions beyond the limits) is reported as an ImageIOError with a message a user
// can read; no input makes the decoders crash, print, or allocate for absurd sizes.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/imageio/ImageProperties.h"

namespace platform {

// The file types, numbered as the save-type setting numbers them.
enum class ImageFileType { Unknown = -1, JPEG = 0, PNG = 1, TIFF = 2 };

// "public.jpeg", "public.png", "public.tiff"; "" for Unknown.
const char* ImageFileTypeIdentifier(ImageFileType type);
// ".jpg", ".png", ".tiff"; "" for Unknown.
const char* ImageFileTypeExtension(ImageFileType type);
// The type of a save-type setting value (0 JPEG, 1 PNG, 2 TIFF; Unknown otherwise).
ImageFileType ImageFileTypeFromSaveType(int saveType);
// The type a file's first bytes announce (Unknown when none of the three).
ImageFileType ImageFileTypeOfData(const std::uint8_t* data, std::size_t size);

// Byte order of 32-bit pixels; the codes are those of the engine's image data (0 B,G,R,A;
// 1 R,G,B,A).
enum class ImagePixelFormat { BGRA = 0, RGBA = 1 };

// Packed 8-bit pixels, 4 bytes each, rows of width x 4 bytes, top row first, straight alpha.
struct ImageBitmap {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    ImagePixelFormat format = ImagePixelFormat::RGBA;
    std::vector<std::uint8_t> pixels;

    std::size_t bytesPerRow() const { return std::size_t{width} * 4; }
    bool empty() const { return width == 0 || height == 0; }
    std::uint8_t* pixel(std::uint32_t x, std::uint32_t y) { return pixels.data() + (std::size_t{y} * width + x) * 4; }
    const std::uint8_t* pixel(std::uint32_t x, std::uint32_t y) const {
        return pixels.data() + (std::size_t{y} * width + x) * 4;
    }
    // A bitmap of the size with every byte zero; nullopt when it cannot be allocated.
    static std::optional<ImageBitmap> make(std::uint32_t width, std::uint32_t height,
                                           ImagePixelFormat format = ImagePixelFormat::RGBA);
    // The same pixels in the other byte order (a copy when already in that order).
    ImageBitmap converted(ImagePixelFormat to) const;
};

// Packed 8-bit R,G,B pixels, 3 bytes each, rows of width x 3 bytes, top row first: an opaque
// picture in three quarters of an ImageBitmap's memory, for pixels that are only read.
struct PackedRGB {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> pixels;
};

enum class ImageIOErrorCode {
    None = 0,
    FileUnreadable,  // missing, unreadable or a directory
    Empty,           // no bytes at all
    Unsupported,     // not JPEG, PNG or TIFF, or a kind of those the decoders do not handle
    Corrupt,         // malformed data
    Truncated,       // data ends before the image does
    TooLarge,        // dimensions beyond the limits
    OutOfMemory,
    IndexOutOfRange,  // no image at that index
    InvalidArgument,  // an empty bitmap, an unknown type, a second image for one destination
    WriteFailed,      // the file could not be written
    Metadata,         // the metadata could not be written into the file
};

struct ImageIOError {
    ImageIOErrorCode code = ImageIOErrorCode::None;
    std::string message;
    explicit operator bool() const { return code != ImageIOErrorCode::None; }
};

// Limits checked before any pixel memory is allocated. The pixels cover the largest camera
// sensors (a 200-megapixel phone's 16320 x 12240); a render's memory grows with them (see
// the README), so a file declaring more is refused rather than read.
struct ImageDecodeLimits {
    std::uint32_t maxDimension = 65535;     // either side, in pixels
    std::uint64_t maxPixels = 200'000'000;  // width x height (800 MB of RGBA)
};

// ---- Orientation ----------------------------------------------------------------------
// Image orientation codes (the engine's and the image class's): 0 up, 1 down, 2 left,
// 3 right, 4 up mirrored, 5 down mirrored, 6 left mirrored, 7 right mirrored.
// EXIF orientation 1-8 as the file stores it.

// EXIF 1-8 to the image orientation; anything else reads as up (0).
int ImageOrientationFromEXIF(int exifOrientation);
// Image orientation 0-7 to EXIF; anything else writes as 1.
int EXIFOrientationFromImageOrientation(int imageOrientation);
// True for 2, 3, 6 and 7: the upright picture has width and height swapped.
bool ImageOrientationSwapsSize(int imageOrientation);
// The stored pixels turned upright as a viewer shows them under that orientation (a copy;
// width and height swap for the turned orientations). A code outside 0-7 gives nullopt,
// as does a failed allocation.
std::optional<ImageBitmap> ApplyImageOrientation(const ImageBitmap& stored, int imageOrientation);
std::optional<ImageBitmap> ApplyEXIFOrientation(const ImageBitmap& stored, int exifOrientation);
// The same from packed pixels held elsewhere (width x 4 bytes a row), read in place: the
// turned bitmap is the only copy made (orientation 0 gives a plain copy).
std::optional<ImageBitmap> ApplyImageOrientation(const std::uint8_t* pixels, std::uint32_t width, std::uint32_t height,
                                                 ImagePixelFormat format, int imageOrientation);

// The bitmap scaled to width x height by averaging the pixels each new pixel covers
// (alpha-weighted, so transparent pixels lend no colour). Meant for reductions; nullopt for
// a zero size or a failed allocation.
std::optional<ImageBitmap> ResizeImageBitmap(const ImageBitmap& bitmap, std::uint32_t width, std::uint32_t height);

// ---- Reading ---------------------------------------------------------------------------

// Only a regular file is read as an image: anything else is refused at once, unopened (a
// FIFO's open would wait for a writer forever, a device's reads never end). The kind of the
// file of that st_mode as a message names it ("a folder", "a FIFO", "a device", "a socket"),
// or nullptr for a regular file.
const char* NonRegularFileKind(unsigned mode);

// An image file read into memory: its type, its images (TIFF may hold several; JPEG and PNG
// one), their properties and their pixels. Creation reads the headers only; pixels are
// decoded on request.
class ImageSource {
public:
    static std::unique_ptr<ImageSource> createWithData(std::vector<std::uint8_t> data, ImageIOError* error = nullptr,
                                                       ImageDecodeLimits limits = {});
    static std::unique_ptr<ImageSource> createWithFile(const std::string& path, ImageIOError* error = nullptr,
                                                       ImageDecodeLimits limits = {});
    ~ImageSource();
    ImageSource(const ImageSource&) = delete;
    ImageSource& operator=(const ImageSource&) = delete;

    ImageFileType type() const { return type_; }
    std::string typeIdentifier() const { return ImageFileTypeIdentifier(type_); }
    std::size_t count() const { return images_.size(); }
    const std::vector<std::uint8_t>& data() const { return data_; }

    std::uint32_t pixelWidth(std::size_t index = 0) const;
    std::uint32_t pixelHeight(std::size_t index = 0) const;
    // EXIF orientation 1-8 of the image (1 when the file says nothing or something invalid).
    int exifOrientation(std::size_t index = 0) const;
    int imageOrientation(std::size_t index = 0) const { return ImageOrientationFromEXIF(exifOrientation(index)); }

    // PixelWidth, PixelHeight, Depth, HasAlpha, ColorModel, Orientation (when the file has
    // one) and the metadata groups the file carries. Empty for an index out of range.
    ImageProperties propertiesAtIndex(std::size_t index = 0) const;

    // The decoded stored pixels (not turned upright).
    std::optional<ImageBitmap> createImageAtIndex(std::size_t index = 0,
                                                  ImagePixelFormat format = ImagePixelFormat::RGBA,
                                                  ImageIOError* error = nullptr) const;

    // The decoded stored pixels as packed R,G,B, for a JPEG, which has no alpha. Nullopt
    // (Unsupported) for the other types and for a CMYK JPEG.
    std::optional<PackedRGB> createPackedRGBAtIndex(std::size_t index = 0, ImageIOError* error = nullptr) const;

    // A reduced copy whose longer side is at most maxPixelSize (the image itself when it is
    // smaller), turned upright when applyOrientation is set. JPEG is decoded at a reduced
    // scale directly, so a thumbnail of a large photo costs far less than its full pixels.
    std::optional<ImageBitmap> createThumbnailAtIndex(std::size_t index, std::uint32_t maxPixelSize,
                                                      ImagePixelFormat format = ImagePixelFormat::RGBA,
                                                      bool applyOrientation = true,
                                                      ImageIOError* error = nullptr) const;

    struct ImageInfo {
        std::uint32_t width = 0, height = 0;
        int exifOrientation = 1;
        int bitsPerComponent = 8;
        bool hasAlpha = false;
        const char* colorModel = "RGB";
        // The most pixels the file's compressed data could possibly encode: a header that
        // declares more belongs to a damaged or cut file, refused before any pixel memory is
        // taken.
        std::uint64_t pixelsHeld = UINT64_MAX;
    };

private:
    ImageSource() = default;
    ImageFileType type_ = ImageFileType::Unknown;
    std::vector<std::uint8_t> data_;
    std::vector<ImageInfo> images_;
    ImageDecodeLimits limits_;
};

// A decoded file in one call: the stored pixels, the orientation and the properties.
struct DecodedImage {
    ImageBitmap bitmap;
    int exifOrientation = 1;
    ImageProperties properties;
    int imageOrientation() const { return ImageOrientationFromEXIF(exifOrientation); }
};
std::optional<DecodedImage> DecodeImageFile(const std::string& path, ImagePixelFormat format = ImagePixelFormat::RGBA,
                                            ImageIOError* error = nullptr, ImageDecodeLimits limits = {});
std::optional<DecodedImage> DecodeImageData(std::vector<std::uint8_t> data,
                                            ImagePixelFormat format = ImagePixelFormat::RGBA,
                                            ImageIOError* error = nullptr, ImageDecodeLimits limits = {});

// ---- Writing ---------------------------------------------------------------------------

namespace imageio_detail {
struct JPEGRowCompressor;
struct JPEGRowCompressorDeleter {
    void operator()(JPEGRowCompressor* c) const;
};
}  // namespace imageio_detail

// Writes one image as JPEG, PNG or TIFF into a file or into memory. The properties given
// with the image may hold:
// - kCGImageDestinationLossyCompressionQuality: 0-1, JPEG quality (0.9 when absent);
// - kCGImagePropertyOrientation: EXIF 1-8, stored in the file's metadata (the pixels are
//   written as given, never turned);
// - the "{Exif}", "{TIFF}", "{GPS}" and "{IPTC}" groups, written as the file's metadata;
// - kImagePropertyICCProfile and kImagePropertyXMPPacket, embedded in the file.
// The pixels are encoded as given; alpha is kept by PNG and TIFF when any pixel is not
// opaque, and dropped by JPEG. A file is written whole or not at all: the bytes go to a
// temporary file beside it that replaces the old file only once complete, and that is removed
// if the process is stopped by SIGINT or SIGTERM meanwhile (see TemporaryFile.h).
class ImageDestination {
public:
    static std::unique_ptr<ImageDestination> createWithFile(const std::string& path, ImageFileType type,
                                                            ImageIOError* error = nullptr);
    // The encoded bytes replace *data on a successful finalize.
    static std::unique_ptr<ImageDestination> createWithData(std::vector<std::uint8_t>* data, ImageFileType type,
                                                            ImageIOError* error = nullptr);
    ~ImageDestination();
    ImageDestination(const ImageDestination&) = delete;
    ImageDestination& operator=(const ImageDestination&) = delete;

    ImageFileType type() const { return type_; }

    // The image to write (one per destination; a second is refused at finalize).
    void addImage(const ImageBitmap& bitmap, const ImageProperties& properties = {});
    // Image `index` of a source of the same type, carried over as encoded (not encoded again):
    // only the properties are merged into the metadata it already has. A source of another
    // type is decoded and encoded in this destination's type.
    void addImageFromSource(const ImageSource& source, std::size_t index, const ImageProperties& properties = {});

    // The image given a band of rows at a time as they are made, JPEG only: beginImage with
    // its size, then addRows (top row first) until every row is in, then finalize. The whole
    // picture is never held, and each band is encoded while the next is still being made.
    // addRows is false once anything went wrong (finalize then gives the reason).
    void beginImage(std::uint32_t width, std::uint32_t height, ImagePixelFormat format,
                    const ImageProperties& properties = {});
    bool addRows(const std::uint8_t* rows, std::size_t bytesPerRow, std::uint32_t count);

    // Encodes and writes. False (with the reason) when nothing could be written.
    bool finalize(ImageIOError* error = nullptr);

private:
    ImageDestination() = default;
    ImageFileType type_ = ImageFileType::Unknown;
    std::string path_;
    std::vector<std::uint8_t>* data_ = nullptr;
    int added_ = 0;
    bool finalized_ = false;
    std::vector<std::uint8_t> encoded_;  // the image, encoded in this destination's type
    std::unique_ptr<imageio_detail::JPEGRowCompressor, imageio_detail::JPEGRowCompressorDeleter> rows_;
    std::uint32_t width_ = 0, height_ = 0;  // of the image given by rows
    ImageProperties properties_;
    ImageIOError addError_;
};

// Convenience writers over ImageDestination.
bool EncodeImage(const ImageBitmap& bitmap, ImageFileType type, const ImageProperties& properties,
                 std::vector<std::uint8_t>* out, ImageIOError* error = nullptr);
bool WriteImageFile(const ImageBitmap& bitmap, ImageFileType type, const ImageProperties& properties,
                    const std::string& path, ImageIOError* error = nullptr);
// Whether a file could be written at the path now: its name fits its folder, nothing but a
// regular file stands in its place, and a file can be made beside it (made and removed
// again). For a caller with long work before its write, so that the work is not done in vain.
bool CheckImageFileWritable(const std::string& path, ImageIOError* error = nullptr);
// Bytes already encoded, written whole or not at all as the image files are.
bool WriteDataAtomically(const std::vector<std::uint8_t>& bytes, const std::string& path,
                         ImageIOError* error = nullptr);

}  // namespace platform
