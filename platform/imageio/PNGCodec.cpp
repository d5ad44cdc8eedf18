// PNG through libpng. As with JPEG, libpng leaves a failing call by longjmp, so each call
// that may fail has its own setjmp frame holding no C++ objects; the libpng structures
// belong to a state object of the caller that destroys them on either path.
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>

#include <png.h>

#include "platform/imageio/Codecs.h"
#include "platform/imageio/ExifOrientation.h"

namespace platform::imageio_detail {
namespace {

struct Reader {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    std::size_t pos = 0;
};

struct State {
    png_structp png = nullptr;
    png_infop info = nullptr;
    bool writing = false;
    ImageIOErrorCode code = ImageIOErrorCode::Corrupt;
    char message[200] = {};
    Reader reader;
    std::vector<std::uint8_t>* output = nullptr;
    std::vector<png_bytep> rows;
    ~State() {
        if (writing) png_destroy_write_struct(&png, &info);
        else png_destroy_read_struct(&png, &info, nullptr);
    }
};

State* stateOf(png_structp png) { return static_cast<State*>(png_get_error_ptr(png)); }

[[noreturn]] void onError(png_structp png, png_const_charp message) {
    State* s = stateOf(png);
    if (s->message[0] == 0) std::snprintf(s->message, sizeof s->message, "%s", message);
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

void onRead(png_structp png, png_bytep out, png_size_t length) {
    auto* r = static_cast<Reader*>(png_get_io_ptr(png));
    if (length > r->size - r->pos) {
        State* s = stateOf(png);
        s->code = ImageIOErrorCode::Truncated;
        png_error(png, "the data ends before the image does");
    }
    std::memcpy(out, r->data + r->pos, length);
    r->pos += length;
}

void onWrite(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    try {
        out->insert(out->end(), data, data + length);
    } catch (const std::bad_alloc&) {
        stateOf(png)->code = ImageIOErrorCode::OutOfMemory;
        png_error(png, "out of memory");
    }
}

void onFlush(png_structp) {}

ImageIOError errorFrom(const State& s) {
    return makeError(s.code, std::string("PNG: ") + (s.message[0] ? s.message : "unreadable data"));
}

bool openReader(State* s, const std::vector<std::uint8_t>& data) {
    s->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, s, onError, onWarning);
    if (s->png) s->info = png_create_info_struct(s->png);
    if (!s->png || !s->info) {
        s->code = ImageIOErrorCode::OutOfMemory;
        std::snprintf(s->message, sizeof s->message, "out of memory");
        return false;
    }
    s->reader = Reader{data.data(), data.size(), 0};
    png_set_read_fn(s->png, &s->reader, onRead);
    return true;
}

bool readHeader(State* s) {
    if (setjmp(png_jmpbuf(s->png))) return false;
    png_read_info(s->png, s->info);
    return true;
}

// Every colour type and depth becomes 8-bit four-channel pixels in the bitmap's order.
bool readPixels(State* s, ImageBitmap* out) {
    if (setjmp(png_jmpbuf(s->png))) return false;
    png_structp png = s->png;
    png_infop info = s->info;
    const int colorType = png_get_color_type(png, info);
    png_set_expand(png);  // palette to RGB, grey below 8 bits to 8, tRNS to alpha
    png_set_scale_16(png);
    png_set_packing(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
    if (!(colorType & PNG_COLOR_MASK_ALPHA) && !png_get_valid(png, info, PNG_INFO_tRNS))
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    if (out->format == ImagePixelFormat::BGRA) png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != out->bytesPerRow()) {
        std::snprintf(s->message, sizeof s->message, "unexpected row layout");
        return false;
    }
    png_read_image(png, s->rows.data());
    return true;
}

bool writeImage(State* s, const ImageBitmap* bitmap, bool opaque) {
    if (setjmp(png_jmpbuf(s->png))) return false;
    png_structp png = s->png;
    png_set_write_fn(png, s->output, onWrite, onFlush);
    png_set_IHDR(png, s->info, bitmap->width, bitmap->height, 8, opaque ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGB_ALPHA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, s->info);
    if (bitmap->format == ImagePixelFormat::BGRA) png_set_bgr(png);
    if (opaque) png_set_filler(png, 0, PNG_FILLER_AFTER);  // drops the fourth byte
    png_write_image(png, s->rows.data());
    png_write_end(png, nullptr);
    return true;
}

// The bytes of image data the file holds: its IDAT chunks, as far as the file reaches.
std::uint64_t imageDataBytes(const std::vector<std::uint8_t>& data) {
    std::uint64_t total = 0;
    for (std::size_t at = 8; at + 8 <= data.size();) {
        const std::uint64_t length =
            std::uint64_t{data[at]} << 24 | data[at + 1] << 16 | data[at + 2] << 8 | data[at + 3];
        const std::uint8_t* type = &data[at + 4];
        const std::uint64_t available = std::min<std::uint64_t>(length, data.size() - (at + 8));
        if (std::memcmp(type, "IDAT", 4) == 0) total += available;
        if (std::memcmp(type, "IEND", 4) == 0 || length > data.size() - (at + 8)) break;
        at += 8 + length + 4;
    }
    return total;
}

}  // namespace

bool pngReadInfo(const std::vector<std::uint8_t>& data, ImageSource::ImageInfo* info, ImageIOError* error) {
    State s;
    if (!openReader(&s, data) || !readHeader(&s)) {
        if (error) *error = errorFrom(s);
        return false;
    }
    const int colorType = png_get_color_type(s.png, s.info);
    info->width = png_get_image_width(s.png, s.info);
    info->height = png_get_image_height(s.png, s.info);
    info->bitsPerComponent = png_get_bit_depth(s.png, s.info);
    info->hasAlpha = (colorType & PNG_COLOR_MASK_ALPHA) || png_get_valid(s.png, s.info, PNG_INFO_tRNS);
    info->colorModel = (colorType & PNG_COLOR_MASK_COLOR) ? "RGB" : "Gray";
    // Deflate turns two bits (the shortest length and distance codes) into at most 258 bytes.
    info->pixelsHeld =
        pixelsHeld(imageDataBytes(data), 258 * 4,
                   static_cast<double>(png_get_channels(s.png, s.info) * png_get_bit_depth(s.png, s.info)));
    info->exifOrientation = 1;
    png_uint_32 exifSize = 0;
    png_bytep exif = nullptr;
    if (png_get_eXIf_1(s.png, s.info, &exifSize, &exif) && exif)
        info->exifOrientation = exifOrientationFromTIFFBlock(exif, exifSize);
    return true;
}

bool pngDecode(const std::vector<std::uint8_t>& data, ImageBitmap* out, ImageIOError* error) {
    State s;
    s.rows.resize(out->height);
    for (std::uint32_t y = 0; y < out->height; ++y) s.rows[y] = out->pixel(0, y);
    if (!openReader(&s, data) || !readHeader(&s)) {
        if (error) *error = errorFrom(s);
        return false;
    }
    if (png_get_image_width(s.png, s.info) != out->width || png_get_image_height(s.png, s.info) != out->height) {
        setError(error, ImageIOErrorCode::Corrupt, "PNG: the size changed between reads");
        return false;
    }
    if (!readPixels(&s, out)) {
        // libpng's own words name what broke in the image data (a checksum, a filter, too
        // few rows); they come after what it means for the picture.
        const bool tooFew = std::strcmp(s.message, "Not enough image data") == 0;
        if (!error) return false;
        if (tooFew)
            *error = makeError(ImageIOErrorCode::Truncated,
                               "PNG: the image data is cut short (" + std::string(s.message) + ")");
        else if (s.code == ImageIOErrorCode::Corrupt)
            *error = makeError(s.code, "PNG: the image data is damaged (" + std::string(s.message) + ")");
        else *error = errorFrom(s);
        return false;
    }
    return true;
}

bool pngEncode(const ImageBitmap& bitmap, std::vector<std::uint8_t>* out, ImageIOError* error) {
    State s;
    s.writing = true;
    out->clear();
    s.output = out;
    s.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &s, onError, onWarning);
    if (s.png) s.info = png_create_info_struct(s.png);
    if (!s.png || !s.info) {
        setError(error, ImageIOErrorCode::OutOfMemory, "PNG: out of memory");
        return false;
    }
    s.rows.resize(bitmap.height);
    for (std::uint32_t y = 0; y < bitmap.height; ++y) s.rows[y] = const_cast<png_bytep>(bitmap.pixel(0, y));
    if (!writeImage(&s, &bitmap, isOpaque(bitmap))) {
        if (error) *error = errorFrom(s);
        out->clear();
        return false;
    }
    return true;
}

}  // namespace platform::imageio_detail
