// JPEG through libjpeg-turbo. libjpeg reports errors by calling a handler that must not
// return, so each call that may fail runs inside a setjmp frame of its own; everything it
// allocates belongs to a state object of the caller, which releases it on either path.
#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include <jpeglib.h>
#include <jerror.h>

#include "platform/imageio/Codecs.h"
#include "platform/imageio/ExifOrientation.h"

namespace platform::imageio_detail {
namespace {

// More scans than any real progressive file has; a crafted file can otherwise keep the
// decoder busy for minutes.
constexpr int kMaxScans = 1000;

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    ImageIOErrorCode code = ImageIOErrorCode::Corrupt;
    char message[JMSG_LENGTH_MAX + 64] = {};  // room for a libjpeg message and our words around it
    bool inScans = false;                     // past the header: reading the entropy-coded scans
};

ImageIOErrorCode classify(int msgCode) {
    switch (msgCode) {
    case JERR_INPUT_EMPTY:
    case JERR_INPUT_EOF: return ImageIOErrorCode::Truncated;
    case JERR_BAD_PRECISION:
    case JERR_CONVERSION_NOTIMPL:
    case JERR_ARITH_NOTIMPL:
    case JERR_NO_ARITH_TABLE: return ImageIOErrorCode::Unsupported;
    case JERR_OUT_OF_MEMORY: return ImageIOErrorCode::OutOfMemory;
    case JERR_IMAGE_TOO_BIG:
    case JERR_WIDTH_OVERFLOW: return ImageIOErrorCode::TooLarge;
    default: return ImageIOErrorCode::Corrupt;
    }
}

[[noreturn]] void onError(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    err->code = classify(err->pub.msg_code);
    (*err->pub.format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

// Whether a warning means pixels were lost: the decoder goes on after these, filling what it
// could not read with grey (or with whatever a damaged code decodes to). Bytes between
// segments are lost pixels only once the scans have begun and before any marker but the
// end of the image: garbage before EOI (some cameras pad there) or between header segments
// costs no pixel.
bool losesPixels(const ErrorManager& err) {
    switch (err.pub.msg_code) {
    case JWRN_JPEG_EOF:    // the data ends
    case JWRN_HIT_MARKER:  // a scan's data ends before its blocks do
    case JWRN_HUFF_BAD_CODE:
    case JWRN_ARITH_BAD_CODE:
    case JWRN_MUST_RESYNC:  // a restart marker missing or out of order
    case JWRN_BOGUS_PROGRESSION: return true;
    case JWRN_EXTRANEOUS_DATA: return err.inScans && err.pub.msg_parm.i[1] != JPEG_EOI;
    default:           // an unknown JFIF revision or Adobe transform, a bad ICC
        return false;  // marker, a sequential scan with odd but harmless parameters
    }
}

// Warnings are silent unless they mean lost pixels; those fail the decode.
void onMessage(j_common_ptr cinfo, int level) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    if (level != -1) return;
    if (losesPixels(*err)) {
        const int msgCode = err->pub.msg_code;
        err->code = msgCode == JWRN_JPEG_EOF || msgCode == JWRN_HIT_MARKER ? ImageIOErrorCode::Truncated
                                                                           : ImageIOErrorCode::Corrupt;
        if (msgCode == JWRN_JPEG_EOF) {
            std::snprintf(err->message, sizeof err->message, "the data ends before the image does");
        } else {
            char detail[JMSG_LENGTH_MAX];
            (*err->pub.format_message)(cinfo, detail);
            const char* prefix = "Corrupt JPEG data: ";
            const char* reason =
                std::strncmp(detail, prefix, std::strlen(prefix)) == 0 ? detail + std::strlen(prefix) : detail;
            std::snprintf(err->message, sizeof err->message, "the image data is damaged (%s)", reason);
        }
        std::longjmp(err->jump, 1);
    }
    err->pub.num_warnings++;
}

void onOutput(j_common_ptr) {}

// Whether an arithmetic-coded scan's data has ended far before its picture does. Arithmetic
// coding leaves out the zeros that end a scan (the decoder reads zeros past the data), and a
// flat stretch of picture codes to nothing but zeros, so a plain picture of any size takes a few
// bytes: unlike Huffman coding, the bytes bound no count of pixels. What a photograph never
// shows is a scan that codes every block afresh (a sequential scan, a progressive one's first
// pass over the DC) running out of data with most of the picture to come: among the wallpapers
// re-encoded at every quality down to 1, sequential and progressive, at most a third of the rows
// were left. A header whose size was made larger, or data cut off by a marker, leaves nearly all.
bool scanDataEndedEarly(const jpeg_decompress_struct& c) {
    constexpr JDIMENSION kMinRowsLeftPixels = 4'000'000;  // a small plain picture is no cost, whatever it is
    const int marker = c.unread_marker;
    if (!c.arith_code || marker == 0 || (marker >= JPEG_RST0 && marker <= JPEG_RST0 + 7)) return false;
    if ((c.progressive_mode && c.Ss != 0) || c.Ah != 0) return false;
    if (c.input_iMCU_row >= c.total_iMCU_rows) return false;
    const JDIMENSION rowsLeft = c.total_iMCU_rows - c.input_iMCU_row;
    const double pixelsLeft = static_cast<double>(c.image_width) * c.image_height * rowsLeft / c.total_iMCU_rows;
    return rowsLeft * 4 > c.total_iMCU_rows * 3 && pixelsLeft > kMinRowsLeftPixels;
}

void onProgress(j_common_ptr cinfo) {
    if (!cinfo->is_decompressor) return;
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    if (d->input_scan_number > kMaxScans) {
        err->code = ImageIOErrorCode::Corrupt;
        std::snprintf(err->message, sizeof err->message, "more than %d progressive scans", kMaxScans);
        std::longjmp(err->jump, 1);
    }
    if (scanDataEndedEarly(*d)) {
        err->code = ImageIOErrorCode::Truncated;
        std::snprintf(err->message, sizeof err->message,
                      "the image data ends at row %u of the %u x %u image it declares: it is damaged or cut short",
                      static_cast<unsigned>(std::min<std::uint64_t>(
                          std::uint64_t{d->input_iMCU_row} * d->image_height / d->total_iMCU_rows, d->image_height)),
                      static_cast<unsigned>(d->image_width), static_cast<unsigned>(d->image_height));
        std::longjmp(err->jump, 1);
    }
}

void installErrors(ErrorManager* err, j_common_ptr cinfo) {
    cinfo->err = jpeg_std_error(&err->pub);
    err->pub.error_exit = onError;
    err->pub.emit_message = onMessage;
    err->pub.output_message = onOutput;
}

ImageIOError errorFrom(const ErrorManager& err) { return makeError(err.code, std::string("JPEG: ") + err.message); }

// The encoded bytes handed to the decoder a few hundred at a time. libjpeg-turbo decodes
// Huffman data on a fast path while a whole MCU's worth of bytes lies in its buffer, and that
// path reads a bad code as zero without a word; in pieces this small it always takes the
// careful path, which warns (about as fast on real photos). Past the end it warns that the
// data ended and gives an end marker, as libjpeg's own memory source does.
struct PieceSource {
    static constexpr std::size_t kPiece = 256;  // under the fast path's 512 bytes a block
    jpeg_source_mgr pub{};
    const std::uint8_t* data = nullptr;
    std::size_t size = 0, pos = 0;

    static void init(j_decompress_ptr) {}
    static boolean fill(j_decompress_ptr cinfo) {
        static const JOCTET kEnd[2] = {0xFF, JPEG_EOI};
        auto* s = reinterpret_cast<PieceSource*>(cinfo->src);
        if (s->pos >= s->size) {
            WARNMS(cinfo, JWRN_JPEG_EOF);
            s->pub.next_input_byte = kEnd;
            s->pub.bytes_in_buffer = 2;
            return TRUE;
        }
        const std::size_t n = std::min(kPiece, s->size - s->pos);
        s->pub.next_input_byte = s->data + s->pos;
        s->pub.bytes_in_buffer = n;
        s->pos += n;
        return TRUE;
    }
    static void skip(j_decompress_ptr cinfo, long count) {
        auto* s = reinterpret_cast<PieceSource*>(cinfo->src);
        while (count > static_cast<long>(s->pub.bytes_in_buffer)) {
            count -= static_cast<long>(s->pub.bytes_in_buffer);
            fill(cinfo);
        }
        if (count > 0) {
            s->pub.next_input_byte += count;
            s->pub.bytes_in_buffer -= static_cast<std::size_t>(count);
        }
    }
    static void term(j_decompress_ptr) {}

    PieceSource() {
        pub.init_source = init;
        pub.fill_input_buffer = fill;
        pub.skip_input_data = skip;
        pub.resync_to_restart = jpeg_resync_to_restart;
        pub.term_source = term;
    }
};

struct Decoder {
    jpeg_decompress_struct cinfo{};
    ErrorManager err;
    jpeg_progress_mgr progress{};
    PieceSource source;
    Decoder() { installErrors(&err, reinterpret_cast<j_common_ptr>(&cinfo)); }
    ~Decoder() { jpeg_destroy_decompress(&cinfo); }
};

// Header only. No C++ object lives in this frame, so the jump leaves nothing behind.
bool readHeader(Decoder* d, const std::vector<std::uint8_t>* data, bool keepExif) {
    if (setjmp(d->err.jump)) return false;
    jpeg_create_decompress(&d->cinfo);
    d->progress.progress_monitor = onProgress;
    d->cinfo.progress = &d->progress;
    if (keepExif) jpeg_save_markers(&d->cinfo, JPEG_APP0 + 1, 0xFFFF);
    d->source.data = data->data();
    d->source.size = data->size();
    d->cinfo.src = &d->source.pub;
    jpeg_read_header(&d->cinfo, TRUE);
    return true;
}

bool isCMYK(const jpeg_decompress_struct& cinfo) {
    return cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
}

// Chooses the output colour space and scale; the output size is known after this.
bool prepareOutput(Decoder* d, ImagePixelFormat format, int scaleDenominator) {
    if (setjmp(d->err.jump)) return false;
    jpeg_decompress_struct& c = d->cinfo;
    if (isCMYK(c)) c.out_color_space = JCS_CMYK;
    else c.out_color_space = format == ImagePixelFormat::BGRA ? JCS_EXT_BGRA : JCS_EXT_RGBA;
    c.scale_num = 1;
    c.scale_denom = static_cast<unsigned>(scaleDenominator);
    jpeg_calc_output_dimensions(&c);
    return true;
}

// Rows of `components` bytes a pixel into `pixels`, sized for width x height of them.
bool readPixels(Decoder* d, std::uint8_t* pixels, std::uint32_t width, std::uint32_t height, int components) {
    if (setjmp(d->err.jump)) return false;
    jpeg_decompress_struct& c = d->cinfo;
    d->err.inScans = true;
    jpeg_start_decompress(&c);
    if (c.output_width != width || c.output_height != height || c.output_components != components) {
        d->err.code = ImageIOErrorCode::Corrupt;
        std::snprintf(d->err.message, sizeof d->err.message, "unexpected output geometry");
        return false;
    }
    const std::size_t rowBytes = std::size_t{width} * static_cast<std::size_t>(components);
    while (c.output_scanline < c.output_height) {
        JSAMPROW row = pixels + std::size_t{c.output_scanline} * rowBytes;
        jpeg_read_scanlines(&c, &row, 1);
    }
    jpeg_finish_decompress(&c);
    return true;
}

// Decodes the scans at the smallest scale a row at a time, into no picture, for the checks
// made while they decode (scanDataEndedEarly, lost pixels); false with the reason.
bool scansCoverImage(Decoder* d) {
    if (setjmp(d->err.jump)) return false;
    jpeg_decompress_struct& c = d->cinfo;
    c.scale_num = 1;
    c.scale_denom = 8;
    c.dct_method = JDCT_IFAST;
    c.do_fancy_upsampling = FALSE;
    d->err.inScans = true;
    jpeg_start_decompress(&c);
    JSAMPARRAY row = (*c.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&c), JPOOL_IMAGE,
                                            c.output_width * static_cast<JDIMENSION>(c.output_components), 1);
    while (c.output_scanline < c.output_height) jpeg_read_scanlines(&c, row, 1);
    jpeg_abort_decompress(&c);
    return true;
}

bool readPixels(Decoder* d, ImageBitmap* out) { return readPixels(d, out->pixels.data(), out->width, out->height, 4); }

// CMYK to RGB in place. Files written by Adobe's software store the inks inverted.
void convertCMYK(ImageBitmap* bitmap, bool inverted) {
    const bool bgra = bitmap->format == ImagePixelFormat::BGRA;
    std::uint8_t* p = bitmap->pixels.data();
    const std::size_t n = std::size_t{bitmap->width} * bitmap->height;
    for (std::size_t i = 0; i < n; ++i, p += 4) {
        unsigned c = p[0], m = p[1], y = p[2], k = p[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        const auto r = static_cast<std::uint8_t>((c * k + 127) / 255);
        const auto g = static_cast<std::uint8_t>((m * k + 127) / 255);
        const auto b = static_cast<std::uint8_t>((y * k + 127) / 255);
        p[0] = bgra ? b : r;
        p[1] = g;
        p[2] = bgra ? r : b;
        p[3] = 255;
    }
}

int qualityPercent(double quality) {
    if (!std::isfinite(quality)) quality = 0.9;
    return std::clamp(static_cast<int>(std::lround(std::clamp(quality, 0.0, 1.0) * 100)), 1, 100);
}

}  // namespace

struct JPEGRowCompressor {
    jpeg_compress_struct cinfo{};
    ErrorManager err;
    unsigned char* buffer = nullptr;  // grown by libjpeg with malloc
    unsigned long size = 0;
    bool started = false;
    JPEGRowCompressor() { installErrors(&err, reinterpret_cast<j_common_ptr>(&cinfo)); }
    ~JPEGRowCompressor() {
        jpeg_destroy_compress(&cinfo);
        std::free(buffer);
    }
};

void JPEGRowCompressorDeleter::operator()(JPEGRowCompressor* c) const { delete c; }

namespace {

bool startCompress(JPEGRowCompressor* e, std::uint32_t width, std::uint32_t height, ImagePixelFormat format,
                   int quality, bool optimizeCoding) {
    if (setjmp(e->err.jump)) return false;
    jpeg_compress_struct& c = e->cinfo;
    jpeg_create_compress(&c);
    jpeg_mem_dest(&c, &e->buffer, &e->size);
    c.image_width = width;
    c.image_height = height;
    c.input_components = 4;
    c.in_color_space = format == ImagePixelFormat::BGRA ? JCS_EXT_BGRX : JCS_EXT_RGBX;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, quality, TRUE);
    c.optimize_coding = optimizeCoding ? TRUE : FALSE;
    jpeg_start_compress(&c, TRUE);
    e->started = true;
    return true;
}

bool compressRows(JPEGRowCompressor* e, const std::uint8_t* rows, std::size_t bytesPerRow, std::uint32_t count) {
    if (setjmp(e->err.jump)) return false;
    jpeg_compress_struct& c = e->cinfo;
    for (std::uint32_t r = 0; r < count && c.next_scanline < c.image_height; ++r) {
        JSAMPROW row = const_cast<JSAMPROW>(rows + std::size_t{r} * bytesPerRow);
        jpeg_write_scanlines(&c, &row, 1);
    }
    return true;
}

bool finishCompress(JPEGRowCompressor* e) {
    if (setjmp(e->err.jump)) return false;
    jpeg_finish_compress(&e->cinfo);
    return true;
}

}  // namespace

bool jpegReadInfo(const std::vector<std::uint8_t>& data, const ImageDecodeLimits& limits, ImageSource::ImageInfo* info,
                  ImageIOError* error) {
    Decoder d;
    if (!readHeader(&d, &data, true)) {
        if (error) *error = errorFrom(d.err);
        return false;
    }
    info->width = d.cinfo.image_width;
    info->height = d.cinfo.image_height;
    info->bitsPerComponent = d.cinfo.data_precision;
    info->hasAlpha = false;
    info->colorModel = isCMYK(d.cinfo) ? "CMYK" : d.cinfo.jpeg_color_space == JCS_GRAYSCALE ? "Gray" : "RGB";
    // Huffman coding spends at least one bit on each 8 x 8 block of the fullest component (its
    // DC difference), so a byte holds at most 8 blocks of 64 one-byte samples; progressive
    // files likewise in their first DC scan, and lossless ones spend a bit on each sample.
    // Arithmetic coding has no such floor: its scans are checked as they decode instead
    // (scanDataEndedEarly).
    const std::uint64_t huffmanHeld = pixelsHeld(data.size(), 8 * 64, 8);
    if (!d.cinfo.arith_code) {
        info->pixelsHeld = huffmanHeld;
    } else if (std::uint64_t{info->width} * info->height > huffmanHeld &&
               checkDimensions(info->width, info->height, limits, "JPEG", nullptr) && !scansCoverImage(&d)) {
        // Fewer bytes than even Huffman coding would need: the scans are read through before a
        // pixel's memory is taken, so that a damaged header costs no more than its file.
        if (error) *error = errorFrom(d.err);
        return false;
    }
    info->exifOrientation = 1;
    for (jpeg_saved_marker_ptr m = d.cinfo.marker_list; m; m = m->next) {
        if (m->marker == JPEG_APP0 + 1 && m->data_length > 6 && std::memcmp(m->data, "Exif\0\0", 6) == 0) {
            info->exifOrientation = exifOrientationFromTIFFBlock(m->data + 6, m->data_length - 6);
            break;
        }
    }
    return true;
}

bool jpegDecode(const std::vector<std::uint8_t>& data, int scaleDenominator, ImageBitmap* out, ImageIOError* error) {
    Decoder d;
    if (!readHeader(&d, &data, false) || !prepareOutput(&d, out->format, scaleDenominator)) {
        if (error) *error = errorFrom(d.err);
        return false;
    }
    if (out->width != d.cinfo.output_width || out->height != d.cinfo.output_height) {
        auto sized = ImageBitmap::make(d.cinfo.output_width, d.cinfo.output_height, out->format);
        if (!sized) {
            setError(error, ImageIOErrorCode::OutOfMemory, "not enough memory for the image's pixels");
            return false;
        }
        *out = std::move(*sized);
    }
    if (!readPixels(&d, out)) {
        if (error) *error = errorFrom(d.err);
        return false;
    }
    if (isCMYK(d.cinfo)) convertCMYK(out, d.cinfo.saw_Adobe_marker);
    return true;
}

bool jpegDecodeRGB(const std::vector<std::uint8_t>& data, PackedRGB* out, ImageIOError* error) {
    Decoder d;
    if (!readHeader(&d, &data, false)) {
        if (error) *error = errorFrom(d.err);
        return false;
    }
    if (isCMYK(d.cinfo)) {
        setError(error, ImageIOErrorCode::Unsupported, "a CMYK JPEG has no packed R,G,B decode");
        return false;
    }
    d.cinfo.out_color_space = JCS_RGB;
    const std::uint32_t width = d.cinfo.image_width, height = d.cinfo.image_height;
    try {
        out->pixels.assign(std::size_t{width} * height * 3, 0);
    } catch (const std::bad_alloc&) {
        setError(error, ImageIOErrorCode::OutOfMemory, "not enough memory for the image's pixels");
        return false;
    }
    out->width = width;
    out->height = height;
    if (!readPixels(&d, out->pixels.data(), width, height, 3)) {
        if (error) *error = errorFrom(d.err);
        *out = {};
        return false;
    }
    return true;
}

bool jpegEncode(const ImageBitmap& bitmap, double quality, std::vector<std::uint8_t>* out, ImageIOError* error) {
    JPEGRowCompressor e;
    if (!startCompress(&e, bitmap.width, bitmap.height, bitmap.format, qualityPercent(quality), true) ||
        !compressRows(&e, bitmap.pixels.data(), bitmap.bytesPerRow(), bitmap.height) || !finishCompress(&e)) {
        if (error) *error = errorFrom(e.err);
        return false;
    }
    out->assign(e.buffer, e.buffer + e.size);
    return true;
}

JPEGRowCompressorPointer jpegBeginRows(std::uint32_t width, std::uint32_t height, ImagePixelFormat format,
                                       double quality, ImageIOError* error) {
    JPEGRowCompressorPointer e(new JPEGRowCompressor);
    // Without the optimised tables: those need the whole picture's coefficients held until
    // the last row, as much memory as the rows themselves.
    if (!startCompress(e.get(), width, height, format, qualityPercent(quality), false)) {
        if (error) *error = errorFrom(e->err);
        return nullptr;
    }
    return e;
}

bool jpegWriteRows(JPEGRowCompressor* e, const std::uint8_t* rows, std::size_t bytesPerRow, std::uint32_t count,
                   ImageIOError* error) {
    if (!compressRows(e, rows, bytesPerRow, count)) {
        if (error) *error = errorFrom(e->err);
        return false;
    }
    return true;
}

std::uint32_t jpegRowsWritten(const JPEGRowCompressor* e) { return e->cinfo.next_scanline; }

bool jpegFinishRows(JPEGRowCompressor* e, std::vector<std::uint8_t>* out, ImageIOError* error) {
    if (!finishCompress(e)) {
        if (error) *error = errorFrom(e->err);
        return false;
    }
    out->assign(e->buffer, e->buffer + e->size);
    return true;
}

}  // namespace platform::imageio_detail
