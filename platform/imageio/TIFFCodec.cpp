// TIFF through libtiff, reading from and writing to memory. Errors and warnings go to
// handlers of each opened file (never to stderr); the first error becomes the message.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>

#include <tiffio.h>

#include "platform/imageio/Codecs.h"

namespace platform::imageio_detail {
namespace {

// A file with more images than this is taken as malformed (directory chains can loop).
constexpr int kMaxDirectories = 4096;

struct Memory {
    const std::uint8_t* data = nullptr;  // reading
    std::vector<std::uint8_t>* out = nullptr;  // writing
    std::uint64_t size = 0;
    std::uint64_t pos = 0;
    char message[256] = {};
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
int onWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

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
        tif = TIFFClientOpenExt("memory", mode, &memory, onRead, onWrite, onSeek, onClose, onSize, onMap,
                                onUnmap, options);
        TIFFOpenOptionsFree(options);
        return tif != nullptr;
    }
    ImageIOError error(ImageIOErrorCode code, const char* fallback) const {
        return makeError(code, std::string("TIFF: ") + (memory.message[0] ? memory.message : fallback));
    }
};

bool openForReading(File* f, const std::vector<std::uint8_t>& data, ImageIOError* error) {
    f->memory.data = data.data();
    f->memory.size = data.size();
    if (!f->open("r")) {
        if (error) *error = f->error(data.size() < 8 ? ImageIOErrorCode::Truncated : ImageIOErrorCode::Corrupt,
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
            if (error) *error = f->error(ImageIOErrorCode::Corrupt, "unreadable image data");
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
    auto* raster = reinterpret_cast<std::uint32_t*>(out->pixels.data());
    const int ok = TIFFRGBAImageGet(&img, raster, out->width, out->height);
    const bool alpha = img.alpha != 0;
    TIFFRGBAImageEnd(&img);
    if (!ok) {
        if (error) *error = f->error(ImageIOErrorCode::Corrupt, "unreadable image data");
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
                          : photometric == PHOTOMETRIC_SEPARATED                                        ? "CMYK"
                                                                                                        : "RGB";
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
    std::uint16_t bits = 1, spp = 1, photometric = 0xFFFF, planar = PLANARCONFIG_CONTIG, sampleFormat = SAMPLEFORMAT_UINT;
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
    if (direct)
        return readScanlines(&f, out, bits, spp, grey, photometric == PHOTOMETRIC_MINISWHITE, alphaSampleKind(f.tif),
                             error);
    return readRGBA(&f, out, error);
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
