// TIFF through libtiff, reading from and writing to memory. Errors and warnings go to
// handlers of each opened file (never to stderr); the first error becomes the message.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>

#include <tiffio.h>
#include <zlib.h>

#include "platform/imageio/Codecs.h"

namespace platform::imageio_detail {
namespace {

// A file with more images than this is taken as malformed (directory chains can loop).
constexpr int kMaxDirectories = 4096;

struct Memory {
    const std::uint8_t* data = nullptr;        // reading
    std::vector<std::uint8_t>* out = nullptr;  // writing
    std::uint64_t size = 0;
    std::uint64_t pos = 0;
    char message[256] = {};
    char lostPixels[256] = {};  // a warning that the JPEG codec filled in pixels it could not read
};

tmsize_t onRead(thandle_t h, void* buf, tmsize_t n) {
    auto* m = static_cast<Memory*>(h);
    if (n < 0 || m->pos >= m->size) return 0;
    const std::uint64_t count = std::min<std::uint64_t>(static_cast<std::uint64_t>(n), m->size - m->pos);
    const std::uint8_t* src = m->out ? m->out->data() : m->data;
    std::memcpy(buf, src + m->pos, count);
    m->pos += count;
    return static_cast<tmsize_t>(count);
}

tmsize_t onWrite(thandle_t h, void* buf, tmsize_t n) {
    auto* m = static_cast<Memory*>(h);
    if (!m->out || n < 0) return -1;
    const std::uint64_t end = m->pos + static_cast<std::uint64_t>(n);
    try {
        if (end > m->out->size()) m->out->resize(end);
    } catch (const std::bad_alloc&) {
        return -1;
    }
    std::memcpy(m->out->data() + m->pos, buf, static_cast<std::size_t>(n));
    m->pos = end;
    m->size = std::max<std::uint64_t>(m->size, end);
    return n;
}

toff_t onSeek(thandle_t h, toff_t off, int whence) {
    auto* m = static_cast<Memory*>(h);
    std::uint64_t base = whence == SEEK_CUR ? m->pos : whence == SEEK_END ? m->size : 0;
    const std::uint64_t target = base + off;
    if (!m->out && target > m->size) return static_cast<toff_t>(-1);
    m->pos = target;
    return target;
}

int onClose(thandle_t) { return 0; }
toff_t onSize(thandle_t h) { return static_cast<Memory*>(h)->size; }
// Reading maps the caller's bytes directly (libtiff only reads through a mapping).
int onMap(thandle_t h, void** base, toff_t* size) {
    auto* m = static_cast<Memory*>(h);
    if (m->out || !m->data) return 0;
    *base = const_cast<std::uint8_t*>(m->data);
    *size = m->size;
    return 1;
}
void onUnmap(thandle_t, void*, toff_t) {}

int onError(TIFF*, void* user, const char* module, const char* fmt, va_list ap) {
    auto* m = static_cast<Memory*>(user);
    if (m->message[0] == 0) std::vsnprintf(m->message, sizeof m->message, fmt, ap);
    return 1;  // handled: the process-wide handler must not print it
}
// The JPEG codec's warnings that mean pixels were lost (it goes on with grey in their place);
// its other warnings, and libtiff's own, leave the pixels whole. Only the text reaches here.
bool losesPixels(const char* text) {
    static const char* const kLosses[] = {"Premature end of JPEG file",      "Corrupt JPEG data: premature end",
                                          "Corrupt JPEG data: bad Huffman",  "Corrupt JPEG data: bad arithmetic",
                                          "Corrupt JPEG data: found marker", "Inconsistent progression"};
    for (const char* loss : kLosses)
        if (std::strncmp(text, loss, std::strlen(loss)) == 0) return true;
    // Bytes skipped before any marker but the end of the image's stream.
    return std::strstr(text, "extraneous bytes before marker") && !std::strstr(text, "marker 0xd9");
}

int onWarning(TIFF*, void* user, const char* module, const char* fmt, va_list ap) {
    auto* m = static_cast<Memory*>(user);
    if (m->lostPixels[0] != 0 || !module || std::strcmp(module, "JPEGLib") != 0) return 1;
    char text[sizeof m->lostPixels];
    std::vsnprintf(text, sizeof text, fmt, ap);
    if (losesPixels(text)) std::snprintf(m->lostPixels, sizeof m->lostPixels, "%s", text);
    return 1;
}

struct File {
    Memory memory;
    TIFF* tif = nullptr;
    ~File() {
        if (tif) TIFFClose(tif);
    }
    bool open(const char* mode) {
        TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
        if (!options) return false;
        TIFFOpenOptionsSetErrorHandlerExtR(options, onError, &memory);
        TIFFOpenOptionsSetWarningHandlerExtR(options, onWarning, &memory);
        TIFFOpenOptionsSetMaxSingleMemAlloc(options, tmsize_t{1} << 31);
        tif = TIFFClientOpenExt("memory", mode, &memory, onRead, onWrite, onSeek, onClose, onSize, onMap, onUnmap,
                                options);
        TIFFOpenOptionsFree(options);
        return tif != nullptr;
    }
    ImageIOError error(ImageIOErrorCode code, const char* fallback) const {
        return makeError(code, std::string("TIFF: ") + (memory.message[0] ? memory.message : fallback));
    }
    // A strip or tile that could not be read, with libtiff's words for why.
    ImageIOError damaged() const {
        return makeError(ImageIOErrorCode::Corrupt, std::string("TIFF: the image data is damaged (") +
                                                        (memory.message[0] ? memory.message : "unreadable") + ")");
    }
    // False (with the reason) when the decoder filled in pixels it could not read.
    bool pixelsWhole(ImageIOError* error) const {
        if (memory.lostPixels[0] == 0) return true;
        setError(error, ImageIOErrorCode::Corrupt,
                 std::string("TIFF: the image data is damaged (") + memory.lostPixels + ")");
        return false;
    }
};

bool openForReading(File* f, const std::vector<std::uint8_t>& data, ImageIOError* error) {
    f->memory.data = data.data();
    f->memory.size = data.size();
    if (!f->open("r")) {
        if (error)
            *error = f->error(data.size() < 8 ? ImageIOErrorCode::Truncated : ImageIOErrorCode::Corrupt,
                              "unreadable header");
        return false;
    }
    return true;
}

// The kind of the first extra sample when it is alpha, else 0. Without the tag, a fourth
// sample of RGB (or a second of grey) is taken as associated alpha, as libtiff takes it.
int alphaSampleKind(TIFF* tif) {
    std::uint16_t count = 0, spp = 1, photometric = 0xFFFF;
    std::uint16_t* kinds = nullptr;
    if (TIFFGetField(tif, TIFFTAG_EXTRASAMPLES, &count, &kinds) && count > 0 && kinds)
        return kinds[0] == EXTRASAMPLE_ASSOCALPHA || kinds[0] == EXTRASAMPLE_UNASSALPHA ? kinds[0] : 0;
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &spp);
    TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric);
    if ((photometric == PHOTOMETRIC_RGB && spp == 4) || (photometric == PHOTOMETRIC_MINISBLACK && spp == 2))
        return EXTRASAMPLE_ASSOCALPHA;
    return 0;
}

void unpremultiply(std::uint8_t* p, std::size_t pixels) {
    for (std::size_t i = 0; i < pixels; ++i, p += 4) {
        const unsigned a = p[3];
        if (a == 0 || a == 255) continue;
        for (int c = 0; c < 3; ++c) p[c] = static_cast<std::uint8_t>(std::min(255u, (p[c] * 255u + a / 2) / a));
    }
}

inline std::uint8_t to8(std::uint16_t v) { return static_cast<std::uint8_t>((v * 255u + 32767u) / 65535u); }

// Chunky 8- or 16-bit RGB or grey in strips: read row by row, keeping alpha straight.
bool readScanlines(File* f, ImageBitmap* out, std::uint16_t bits, std::uint16_t spp, bool grey, bool minIsWhite,
                   int alphaKind, ImageIOError* error) {
    TIFF* tif = f->tif;
    std::vector<std::uint8_t> row(static_cast<std::size_t>(TIFFScanlineSize64(tif)));
    const std::size_t needed = std::size_t{out->width} * spp * (bits / 8);
    if (row.size() < needed) {
        if (error) *error = f->error(ImageIOErrorCode::Corrupt, "short scanlines");
        return false;
    }
    const unsigned colours = grey ? 1 : 3;
    const bool hasAlpha = alphaKind != 0 && spp > colours;
    const bool bgra = out->format == ImagePixelFormat::BGRA;
    for (std::uint32_t y = 0; y < out->height; ++y) {
        if (TIFFReadScanline(tif, row.data(), y, 0) < 0) {
            if (error) *error = f->damaged();
            return false;
        }
        std::uint8_t* dst = out->pixel(0, y);
        for (std::uint32_t x = 0; x < out->width; ++x, dst += 4) {
            std::uint8_t s[4];
            for (unsigned c = 0; c < colours + (hasAlpha ? 1 : 0); ++c) {
                const std::size_t at = std::size_t{x} * spp + c;
                std::uint16_t v16;
                s[c] = bits == 16 ? (std::memcpy(&v16, row.data() + at * 2, 2), to8(v16)) : row[at];
            }
            if (grey) {
                if (minIsWhite) s[0] = 255 - s[0];
                if (hasAlpha) s[3] = s[1];
                s[1] = s[2] = s[0];
            }
            dst[0] = bgra ? s[2] : s[0];
            dst[1] = s[1];
            dst[2] = bgra ? s[0] : s[2];
            dst[3] = hasAlpha ? s[3] : 255;
        }
    }
    if (hasAlpha && alphaKind == EXTRASAMPLE_ASSOCALPHA) unpremultiply(out->pixels.data(), out->pixels.size() / 4);
    return true;
}

// Everything else (palette, bilevel, YCbCr, CMYK, Lab, tiles, planar...) through libtiff's
// RGBA reader, which hands back premultiplied alpha.
bool readRGBA(File* f, ImageBitmap* out, ImageIOError* error) {
    TIFF* tif = f->tif;
    char emsg[1024] = {};
    if (!TIFFRGBAImageOK(tif, emsg)) {
        if (error) *error = makeError(ImageIOErrorCode::Unsupported, std::string("TIFF: ") + emsg);
        return false;
    }
    TIFFRGBAImage img{};
    if (!TIFFRGBAImageBegin(&img, tif, 0, emsg)) {
        if (error) *error = makeError(ImageIOErrorCode::Unsupported, std::string("TIFF: ") + emsg);
        return false;
    }
    img.req_orientation = img.orientation;  // stored order: the orientation is reported, not applied
    img.stoponerr = 1;                      // a strip or tile that cannot be read fails the image, not left blank
    auto* raster = reinterpret_cast<std::uint32_t*>(out->pixels.data());
    const int ok = TIFFRGBAImageGet(&img, raster, out->width, out->height);
    const bool alpha = img.alpha != 0;
    TIFFRGBAImageEnd(&img);
    if (!ok) {
        if (error) *error = f->damaged();
        return false;
    }
    const bool bgra = out->format == ImagePixelFormat::BGRA;
    std::uint8_t* p = out->pixels.data();
    const std::size_t n = out->pixels.size() / 4;
    for (std::size_t i = 0; i < n; ++i, p += 4) {
        std::uint32_t v;
        std::memcpy(&v, p, 4);
        const std::uint8_t r = TIFFGetR(v), g = TIFFGetG(v), b = TIFFGetB(v), a = TIFFGetA(v);
        p[0] = bgra ? b : r;
        p[1] = g;
        p[2] = bgra ? r : b;
        p[3] = alpha ? a : 255;
    }
    if (alpha) unpremultiply(out->pixels.data(), n);
    return true;
}

// How many bytes of samples one byte of data can become under the compression at most; 0
// when no bound is known (CCITT fax codes a blank line in a bit, LZMA and the rest have none
// worth stating).
double expansionBound(std::uint16_t compression) {
    switch (compression) {
    case COMPRESSION_NONE: return 1;
    case COMPRESSION_PACKBITS: return 64;         // two bytes repeat one 128 times
    case COMPRESSION_LZW: return 4096.0 * 8 / 9;  // a code of 9 bits or more, a string of 4096 bytes or less
    case COMPRESSION_ADOBE_DEFLATE:
    case COMPRESSION_DEFLATE: return 258 * 4;  // 258 bytes from two bits
    case COMPRESSION_JPEG: return 8 * 64;      // a bit or more for each block of 64 samples
    default: return 0;
    }
}

// The pixels the current image's strips or tiles could hold: each holds no more than its
// own share of the image, nor more than its bytes within the file can encode. A strip cut
// off by the end of the file, or empty, holds nothing.
std::uint64_t imagePixelsHeld(TIFF* tif, std::uint64_t fileSize, std::uint32_t width, std::uint32_t height,
                              std::uint16_t bits, std::uint16_t spp, std::uint16_t photometric) {
    std::uint16_t compression = COMPRESSION_NONE, planar = PLANARCONFIG_CONTIG;
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
    const bool separate = planar == PLANARCONFIG_SEPARATE;
    const double ratio = expansionBound(compression);
    // Planes of subsampled colour hold fewer pixels than the image: no bound is drawn there.
    if (ratio == 0 || width == 0 || height == 0 || (separate && photometric == PHOTOMETRIC_YCBCR)) return UINT64_MAX;
    // A JPEG's blocks and subsampled YCbCr are bounded by their first component alone.
    const double bitsPerPixel = compression == COMPRESSION_JPEG                ? 8
                                : separate || photometric == PHOTOMETRIC_YCBCR ? static_cast<double>(bits)
                                                                               : static_cast<double>(bits) * spp;
    std::uint32_t pieceWidth = width, pieceHeight = height;
    if (TIFFIsTiled(tif)) {
        TIFFGetField(tif, TIFFTAG_TILEWIDTH, &pieceWidth);
        TIFFGetField(tif, TIFFTAG_TILELENGTH, &pieceHeight);
    } else {
        TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &pieceHeight);
    }
    pieceWidth = std::clamp<std::uint32_t>(pieceWidth, 1, width);
    pieceHeight = std::clamp<std::uint32_t>(pieceHeight, 1, height);
    const std::uint64_t across = (std::uint64_t{width} + pieceWidth - 1) / pieceWidth;
    const std::uint64_t perPlane = across * ((std::uint64_t{height} + pieceHeight - 1) / pieceHeight);
    const std::uint64_t count = TIFFIsTiled(tif) ? TIFFNumberOfTiles(tif) : TIFFNumberOfStrips(tif);
    std::uint64_t held = UINT64_MAX;
    for (unsigned plane = 0; plane < (separate ? spp : 1u); ++plane) {
        std::uint64_t sum = 0;
        for (std::uint64_t i = 0; i < perPlane && plane * perPlane + i < count; ++i) {
            const auto strile = static_cast<std::uint32_t>(plane * perPlane + i);
            int failed = 0;
            const std::uint64_t offset = TIFFGetStrileOffsetWithErr(tif, strile, &failed);
            const std::uint64_t size = TIFFGetStrileByteCountWithErr(tif, strile, &failed);
            const std::uint64_t bytes = failed || offset >= fileSize ? 0 : std::min(size, fileSize - offset);
            const std::uint64_t x = i % across * pieceWidth, y = i / across * pieceHeight;
            const std::uint64_t pixels =
                std::min<std::uint64_t>(pieceWidth, width - x) * std::min<std::uint64_t>(pieceHeight, height - y);
            sum += std::min(pixels, pixelsHeld(bytes, ratio, bitsPerPixel));
        }
        held = std::min(held, sum);
    }
    return held;
}

// libtiff stops inflating a Deflate strip once its rows are complete, short of the stream's
// checksum, so damage inside one would pass unseen: each strip is inflated here to its end.
bool deflateStripsIntact(TIFF* tif, const Memory& memory, ImageIOError* error) {
    std::uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    if (compression != COMPRESSION_DEFLATE && compression != COMPRESSION_ADOBE_DEFLATE) return true;
    const std::uint32_t count = TIFFIsTiled(tif) ? TIFFNumberOfTiles(tif) : TIFFNumberOfStrips(tif);
    std::vector<std::uint8_t> scratch(1 << 16);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint64_t offset = TIFFGetStrileOffset(tif, i), size = TIFFGetStrileByteCount(tif, i);
        if (offset >= memory.size) continue;  // the decode has already failed for such a strip
        z_stream z{};
        if (inflateInit(&z) != Z_OK) return true;
        z.next_in = const_cast<Bytef*>(memory.data + offset);
        z.avail_in = static_cast<uInt>(std::min<std::uint64_t>({size, memory.size - offset, UINT32_MAX}));
        int state = Z_OK;
        while (state == Z_OK) {
            z.next_out = scratch.data();
            z.avail_out = static_cast<uInt>(scratch.size());
            state = inflate(&z, Z_NO_FLUSH);
        }
        const char* reason = state == Z_STREAM_END ? nullptr : z.msg ? z.msg : "the data ends early";
        inflateEnd(&z);
        if (reason) {
            setError(error, ImageIOErrorCode::Corrupt,
                     "TIFF: the image data is damaged (" + std::string(reason) + " in part " + std::to_string(i + 1) +
                         " of " + std::to_string(count) + ")");
            return false;
        }
    }
    return true;
}

}  // namespace

bool tiffReadInfo(const std::vector<std::uint8_t>& data, std::vector<ImageSource::ImageInfo>* infos,
                  ImageIOError* error) {
    File f;
    if (!openForReading(&f, data, error)) return false;
    infos->clear();
    do {
        ImageSource::ImageInfo info;
        std::uint32_t w = 0, h = 0;
        std::uint16_t bits = 1, spp = 1, photometric = PHOTOMETRIC_MINISBLACK, orientation = ORIENTATION_TOPLEFT;
        TIFFGetField(f.tif, TIFFTAG_IMAGEWIDTH, &w);
        TIFFGetField(f.tif, TIFFTAG_IMAGELENGTH, &h);
        TIFFGetFieldDefaulted(f.tif, TIFFTAG_BITSPERSAMPLE, &bits);
        TIFFGetFieldDefaulted(f.tif, TIFFTAG_SAMPLESPERPIXEL, &spp);
        TIFFGetField(f.tif, TIFFTAG_PHOTOMETRIC, &photometric);
        TIFFGetFieldDefaulted(f.tif, TIFFTAG_ORIENTATION, &orientation);
        info.width = w;
        info.height = h;
        info.bitsPerComponent = bits;
        info.exifOrientation = orientation >= 1 && orientation <= 8 ? orientation : 1;
        info.hasAlpha = alphaSampleKind(f.tif) != 0;
        info.colorModel = photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE ? "Gray"
                          : photometric == PHOTOMETRIC_SEPARATED                                         ? "CMYK"
                                                                                                         : "RGB";
        info.pixelsHeld = imagePixelsHeld(f.tif, data.size(), w, h, bits, spp, photometric);
        infos->push_back(info);
        if (infos->size() > kMaxDirectories) {
            setError(error, ImageIOErrorCode::Corrupt, "TIFF: too many images");
            return false;
        }
    } while (TIFFReadDirectory(f.tif));
    return true;
}

bool tiffDecode(const std::vector<std::uint8_t>& data, std::size_t index, ImageBitmap* out, ImageIOError* error) {
    File f;
    if (!openForReading(&f, data, error)) return false;
    if (!TIFFSetDirectory(f.tif, static_cast<tdir_t>(index))) {
        if (error) *error = f.error(ImageIOErrorCode::Corrupt, "unreadable image directory");
        return false;
    }
    std::uint32_t w = 0, h = 0;
    std::uint16_t bits = 1, spp = 1, photometric = 0xFFFF, planar = PLANARCONFIG_CONTIG,
                  sampleFormat = SAMPLEFORMAT_UINT;
    TIFFGetField(f.tif, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(f.tif, TIFFTAG_IMAGELENGTH, &h);
    if (w != out->width || h != out->height) {
        setError(error, ImageIOErrorCode::Corrupt, "TIFF: the size changed between reads");
        return false;
    }
    TIFFGetFieldDefaulted(f.tif, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(f.tif, TIFFTAG_SAMPLESPERPIXEL, &spp);
    TIFFGetFieldDefaulted(f.tif, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(f.tif, TIFFTAG_SAMPLEFORMAT, &sampleFormat);
    TIFFGetField(f.tif, TIFFTAG_PHOTOMETRIC, &photometric);
    const bool grey = photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE;
    const bool direct = !TIFFIsTiled(f.tif) && planar == PLANARCONFIG_CONTIG && sampleFormat == SAMPLEFORMAT_UINT &&
                        (bits == 8 || bits == 16) &&
                        ((photometric == PHOTOMETRIC_RGB && spp >= 3) || (grey && spp >= 1));
    const bool read = direct ? readScanlines(&f, out, bits, spp, grey, photometric == PHOTOMETRIC_MINISWHITE,
                                             alphaSampleKind(f.tif), error)
                             : readRGBA(&f, out, error);
    return read && f.pixelsWhole(error) && deflateStripsIntact(f.tif, f.memory, error);
}

bool tiffEncode(const ImageBitmap& bitmap, std::vector<std::uint8_t>* out, ImageIOError* error,
                const std::optional<TIFFResolution>& resolution) {
    out->clear();
    File f;
    f.memory.out = out;
    if (!f.open("w")) {
        if (error) *error = f.error(ImageIOErrorCode::WriteFailed, "cannot start the file");
        return false;
    }
    const bool opaque = isOpaque(bitmap);
    const std::uint16_t spp = opaque ? 3 : 4;
    TIFFSetField(f.tif, TIFFTAG_IMAGEWIDTH, bitmap.width);
    TIFFSetField(f.tif, TIFFTAG_IMAGELENGTH, bitmap.height);
    TIFFSetField(f.tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(f.tif, TIFFTAG_SAMPLESPERPIXEL, spp);
    TIFFSetField(f.tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(f.tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(f.tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(f.tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    TIFFSetField(f.tif, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    if (!opaque) {
        const std::uint16_t kind = EXTRASAMPLE_UNASSALPHA;
        TIFFSetField(f.tif, TIFFTAG_EXTRASAMPLES, 1, &kind);
    }
    if (resolution) {
        TIFFSetField(f.tif, TIFFTAG_XRESOLUTION, resolution->x);
        TIFFSetField(f.tif, TIFFTAG_YRESOLUTION, resolution->y);
        TIFFSetField(f.tif, TIFFTAG_RESOLUTIONUNIT, resolution->unit);
    }
    TIFFSetField(f.tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(f.tif, 0));
    std::vector<std::uint8_t> row(std::size_t{bitmap.width} * spp);
    const bool bgra = bitmap.format == ImagePixelFormat::BGRA;
    for (std::uint32_t y = 0; y < bitmap.height; ++y) {
        const std::uint8_t* src = bitmap.pixel(0, y);
        std::uint8_t* dst = row.data();
        for (std::uint32_t x = 0; x < bitmap.width; ++x, src += 4, dst += spp) {
            dst[0] = bgra ? src[2] : src[0];
            dst[1] = src[1];
            dst[2] = bgra ? src[0] : src[2];
            if (!opaque) dst[3] = src[3];
        }
        if (TIFFWriteScanline(f.tif, row.data(), y, 0) < 0) {
            if (error) *error = f.error(ImageIOErrorCode::WriteFailed, "cannot write the image data");
            out->clear();
            return false;
        }
    }
    const bool ok = TIFFWriteDirectory(f.tif) != 0;
    TIFFClose(f.tif);
    f.tif = nullptr;
    if (!ok) {
        if (error) *error = f.error(ImageIOErrorCode::WriteFailed, "cannot finish the file");
        out->clear();
        return false;
    }
    out->resize(f.memory.size);
    return true;
}

}  // namespace platform::imageio_detail
