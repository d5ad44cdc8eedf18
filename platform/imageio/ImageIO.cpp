// Image sources and destinations over the per-format codecs.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/imageio/Codecs.h"
#include "platform/imageio/TemporaryFile.h"

namespace platform {

using namespace imageio_detail;

// ---- Types and bitmaps -----------------------------------------------------------------

const char* ImageFileTypeIdentifier(ImageFileType type) {
    switch (type) {
    case ImageFileType::JPEG: return "public.jpeg";
    case ImageFileType::PNG: return "public.png";
    case ImageFileType::TIFF: return "public.tiff";
    default: return "";
    }
}

const char* ImageFileTypeExtension(ImageFileType type) {
    switch (type) {
    case ImageFileType::JPEG: return ".jpg";
    case ImageFileType::PNG: return ".png";
    case ImageFileType::TIFF: return ".tiff";
    default: return "";
    }
}

ImageFileType ImageFileTypeFromSaveType(int saveType) {
    return saveType >= 0 && saveType <= 2 ? static_cast<ImageFileType>(saveType) : ImageFileType::Unknown;
}

ImageFileType ImageFileTypeOfData(const std::uint8_t* d, std::size_t n) {
    if (n >= 3 && d[0] == 0xFF && d[1] == 0xD8 && d[2] == 0xFF) return ImageFileType::JPEG;
    if (n >= 8 && std::memcmp(d, "\x89PNG\r\n\x1a\n", 8) == 0) return ImageFileType::PNG;
    if (n >= 4 && (std::memcmp(d, "II*\0", 4) == 0 || std::memcmp(d, "MM\0*", 4) == 0 ||
                   std::memcmp(d, "II+\0", 4) == 0 || std::memcmp(d, "MM\0+", 4) == 0))
        return ImageFileType::TIFF;
    return ImageFileType::Unknown;
}

std::optional<ImageBitmap> ImageBitmap::make(std::uint32_t width, std::uint32_t height, ImagePixelFormat format) {
    ImageBitmap b;
    b.width = width;
    b.height = height;
    b.format = format;
    try {
        b.pixels.resize(std::size_t{width} * height * 4);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    } catch (const std::length_error&) {
        return std::nullopt;
    }
    return b;
}

ImageBitmap ImageBitmap::converted(ImagePixelFormat to) const {
    ImageBitmap b = *this;
    if (to != format) {
        for (std::size_t i = 0; i + 3 < b.pixels.size(); i += 4) std::swap(b.pixels[i], b.pixels[i + 2]);
        b.format = to;
    }
    return b;
}

namespace imageio_detail {

bool checkDimensions(std::uint64_t width, std::uint64_t height, const ImageDecodeLimits& limits, const char* what,
                     ImageIOError* error) {
    if (width == 0 || height == 0) {
        setError(error, ImageIOErrorCode::Corrupt, std::string(what) + ": the image has no pixels");
        return false;
    }
    if (width > limits.maxDimension || height > limits.maxDimension) {
        setError(error, ImageIOErrorCode::TooLarge,
                 std::string(what) + ": the image is too large (" + std::to_string(width) + " x " +
                     std::to_string(height) + " pixels; at most " + std::to_string(limits.maxDimension) +
                     " a side are read)");
        return false;
    }
    if (width * height > limits.maxPixels) {
        const auto count = [](std::uint64_t pixels) {
            return pixels < 1'000'000 ? std::to_string(pixels) + " pixels"
                                      : std::to_string((pixels + 500'000) / 1'000'000) + " megapixels";
        };
        setError(error, ImageIOErrorCode::TooLarge,
                 std::string(what) + ": the image is too large (" + std::to_string(width) + " x " +
                     std::to_string(height) + " pixels, " + count(width * height) + "; at most " +
                     count(limits.maxPixels) + " are read)");
        return false;
    }
    return true;
}

std::uint64_t pixelsHeld(std::uint64_t bytes, double ratio, double bitsPerPixel) {
    if (ratio <= 0 || bitsPerPixel <= 0) return UINT64_MAX;
    const double pixels = std::floor(static_cast<double>(bytes) * ratio * 8 / bitsPerPixel);
    return pixels >= 1.8e19 ? UINT64_MAX : static_cast<std::uint64_t>(pixels);
}

bool isOpaque(const ImageBitmap& bitmap) {
    for (std::size_t i = 3; i < bitmap.pixels.size(); i += 4)
        if (bitmap.pixels[i] != 255) return false;
    return true;
}

}  // namespace imageio_detail

const char* NonRegularFileKind(unsigned mode) {
    if (S_ISREG(mode)) return nullptr;
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a regular file";
}

namespace {

const char* typeName(ImageFileType type) {
    switch (type) {
    case ImageFileType::JPEG: return "JPEG";
    case ImageFileType::PNG: return "PNG";
    case ImageFileType::TIFF: return "TIFF";
    default: return "image";
    }
}

bool readFile(const std::string& path, std::vector<std::uint8_t>* out, ImageIOError* error) {
    // Looked at before it is opened, and opened without waiting: a FIFO's open waits for a
    // writer, a device's reads never end.
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && NonRegularFileKind(st.st_mode)) {
        setError(error, ImageIOErrorCode::FileUnreadable,
                 "\"" + path + "\" is " + NonRegularFileKind(st.st_mode) + ", not an image file");
        return false;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        setError(error, ImageIOErrorCode::FileUnreadable, "cannot open \"" + path + "\": " + std::strerror(errno));
        return false;
    }
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (!ok) {
        const char* kind = NonRegularFileKind(st.st_mode);
        setError(error, ImageIOErrorCode::FileUnreadable,
                 "\"" + path + "\" is " + (kind ? kind : "not a regular file") + ", not an image file");
    } else {
        try {
            out->resize(static_cast<std::size_t>(st.st_size));
        } catch (const std::bad_alloc&) {
            setError(error, ImageIOErrorCode::OutOfMemory, "\"" + path + "\" is too large to read");
            ok = false;
        }
        std::size_t done = 0;
        while (ok && done < out->size()) {
            const ssize_t n = ::read(fd, out->data() + done, out->size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                setError(error, ImageIOErrorCode::FileUnreadable,
                         "cannot read \"" + path + "\": " + (n < 0 ? std::strerror(errno) : "file shrank"));
                ok = false;
            } else {
                done += static_cast<std::size_t>(n);
            }
        }
    }
    ::close(fd);
    return ok;
}

}  // namespace

// ---- ImageSource -----------------------------------------------------------------------

ImageSource::~ImageSource() = default;

std::unique_ptr<ImageSource> ImageSource::createWithData(std::vector<std::uint8_t> data, ImageIOError* error,
                                                         ImageDecodeLimits limits) {
    if (data.empty()) {
        setError(error, ImageIOErrorCode::Empty, "the image data is empty");
        return nullptr;
    }
    const ImageFileType type = ImageFileTypeOfData(data.data(), data.size());
    std::vector<ImageInfo> infos;
    bool ok = false;
    switch (type) {
    case ImageFileType::JPEG:
    case ImageFileType::PNG: {
        ImageInfo info;
        ok = type == ImageFileType::JPEG ? jpegReadInfo(data, limits, &info, error) : pngReadInfo(data, &info, error);
        infos.push_back(info);
        break;
    }
    case ImageFileType::TIFF: ok = tiffReadInfo(data, &infos, error); break;
    default: setError(error, ImageIOErrorCode::Unsupported, "not a JPEG, PNG or TIFF image"); return nullptr;
    }
    if (!ok) return nullptr;
    if (type == ImageFileType::PNG && infos[0].exifOrientation == 1) {
        // PNG carries Exif either in its own chunk (read with the header) or as a text
        // profile, which only the metadata reader finds.
        ImageProperties metadata;
        metadataRead(data, &metadata);
        if (const ImagePropertyValue* o = ImagePropertyFind(metadata, kCGImagePropertyOrientation))
            infos[0].exifOrientation = static_cast<int>(o->integer().value_or(1));
    }
    for (const ImageInfo& info : infos) {
        if (!checkDimensions(info.width, info.height, limits, typeName(type), error)) return nullptr;
        if (std::uint64_t{info.width} * info.height > info.pixelsHeld) {
            setError(error, ImageIOErrorCode::Truncated,
                     std::string(typeName(type)) + ": the file is too small to hold the " + std::to_string(info.width) +
                         " x " + std::to_string(info.height) + " image it declares: it is damaged or cut short");
            return nullptr;
        }
    }
    std::unique_ptr<ImageSource> source(new ImageSource());
    source->type_ = type;
    source->data_ = std::move(data);
    source->images_ = std::move(infos);
    source->limits_ = limits;
    return source;
}

std::unique_ptr<ImageSource> ImageSource::createWithFile(const std::string& path, ImageIOError* error,
                                                         ImageDecodeLimits limits) {
    std::vector<std::uint8_t> data;
    if (!readFile(path, &data, error)) return nullptr;
    return createWithData(std::move(data), error, limits);
}

std::uint32_t ImageSource::pixelWidth(std::size_t index) const {
    return index < images_.size() ? images_[index].width : 0;
}

std::uint32_t ImageSource::pixelHeight(std::size_t index) const {
    return index < images_.size() ? images_[index].height : 0;
}

int ImageSource::exifOrientation(std::size_t index) const {
    return index < images_.size() ? images_[index].exifOrientation : 1;
}

ImageProperties ImageSource::propertiesAtIndex(std::size_t index) const {
    ImageProperties p;
    if (index >= images_.size()) return p;
    const ImageInfo& info = images_[index];
    // The metadata groups belong to the first image of a file.
    if (index == 0) metadataRead(data_, &p);
    p[kCGImagePropertyPixelWidth] = std::int64_t{info.width};
    p[kCGImagePropertyPixelHeight] = std::int64_t{info.height};
    p[kCGImagePropertyDepth] = info.bitsPerComponent;
    p[kCGImagePropertyHasAlpha] = info.hasAlpha ? 1 : 0;
    p[kCGImagePropertyColorModel] = info.colorModel;
    if (info.exifOrientation != 1 || p.count(kCGImagePropertyOrientation))
        p[kCGImagePropertyOrientation] = info.exifOrientation;
    return p;
}

std::optional<ImageBitmap> ImageSource::createImageAtIndex(std::size_t index, ImagePixelFormat format,
                                                           ImageIOError* error) const {
    if (index >= images_.size()) {
        setError(error, ImageIOErrorCode::IndexOutOfRange,
                 "no image " + std::to_string(index) + " (the file holds " + std::to_string(images_.size()) + ")");
        return std::nullopt;
    }
    const ImageInfo& info = images_[index];
    if (!checkDimensions(info.width, info.height, limits_, typeName(type_), error)) return std::nullopt;
    auto bitmap = ImageBitmap::make(info.width, info.height, format);
    if (!bitmap) {
        setError(error, ImageIOErrorCode::OutOfMemory, "not enough memory for the image's pixels");
        return std::nullopt;
    }
    bool ok = false;
    switch (type_) {
    case ImageFileType::JPEG: ok = jpegDecode(data_, 1, &*bitmap, error); break;
    case ImageFileType::PNG: ok = pngDecode(data_, &*bitmap, error); break;
    case ImageFileType::TIFF: ok = tiffDecode(data_, index, &*bitmap, error); break;
    default: break;
    }
    if (!ok) return std::nullopt;
    return bitmap;
}

std::optional<PackedRGB> ImageSource::createPackedRGBAtIndex(std::size_t index, ImageIOError* error) const {
    if (index >= images_.size()) {
        createImageAtIndex(index, ImagePixelFormat::RGBA, error);  // reports the index
        return std::nullopt;
    }
    if (type_ != ImageFileType::JPEG) {
        setError(error, ImageIOErrorCode::Unsupported, "only a JPEG decodes to packed R,G,B");
        return std::nullopt;
    }
    const ImageInfo& info = images_[index];
    if (!checkDimensions(info.width, info.height, limits_, typeName(type_), error)) return std::nullopt;
    PackedRGB pixels;
    if (!jpegDecodeRGB(data_, &pixels, error)) return std::nullopt;
    return pixels;
}

std::optional<ImageBitmap> ImageSource::createThumbnailAtIndex(std::size_t index, std::uint32_t maxPixelSize,
                                                               ImagePixelFormat format, bool applyOrientation,
                                                               ImageIOError* error) const {
    if (maxPixelSize == 0) {
        setError(error, ImageIOErrorCode::InvalidArgument, "a thumbnail needs a size");
        return std::nullopt;
    }
    if (index >= images_.size()) return createImageAtIndex(index, format, error);  // reports the index
    const ImageInfo& info = images_[index];
    const std::uint32_t longer = std::max(info.width, info.height);
    std::optional<ImageBitmap> bitmap;
    if (type_ == ImageFileType::JPEG) {
        // The largest reduction that still leaves the longer side at least maxPixelSize.
        int denominator = 8;
        while (denominator > 1 && (longer + denominator - 1) / denominator < maxPixelSize) denominator /= 2;
        if (!checkDimensions(info.width, info.height, limits_, "JPEG", error)) return std::nullopt;
        ImageBitmap scaled;
        scaled.format = format;
        if (!jpegDecode(data_, denominator, &scaled, error)) return std::nullopt;
        bitmap = std::move(scaled);
    } else {
        bitmap = createImageAtIndex(index, format, error);
        if (!bitmap) return std::nullopt;
    }
    const std::uint32_t w = bitmap->width, h = bitmap->height;
    if (std::max(w, h) > maxPixelSize) {
        const double s = double(maxPixelSize) / std::max(w, h);
        const auto nw = std::max<std::uint32_t>(1, static_cast<std::uint32_t>(std::lround(w * s)));
        const auto nh = std::max<std::uint32_t>(1, static_cast<std::uint32_t>(std::lround(h * s)));
        bitmap = ResizeImageBitmap(*bitmap, std::min(nw, maxPixelSize), std::min(nh, maxPixelSize));
    }
    if (bitmap && applyOrientation && info.exifOrientation != 1)
        bitmap = ApplyEXIFOrientation(*bitmap, info.exifOrientation);
    if (!bitmap) setError(error, ImageIOErrorCode::OutOfMemory, "not enough memory for the thumbnail");
    return bitmap;
}

std::optional<DecodedImage> DecodeImageData(std::vector<std::uint8_t> data, ImagePixelFormat format,
                                            ImageIOError* error, ImageDecodeLimits limits) {
    auto source = ImageSource::createWithData(std::move(data), error, limits);
    if (!source) return std::nullopt;
    auto bitmap = source->createImageAtIndex(0, format, error);
    if (!bitmap) return std::nullopt;
    DecodedImage decoded;
    decoded.bitmap = std::move(*bitmap);
    decoded.exifOrientation = source->exifOrientation(0);
    decoded.properties = source->propertiesAtIndex(0);
    return decoded;
}

std::optional<DecodedImage> DecodeImageFile(const std::string& path, ImagePixelFormat format, ImageIOError* error,
                                            ImageDecodeLimits limits) {
    std::vector<std::uint8_t> data;
    if (!readFile(path, &data, error)) return std::nullopt;
    return DecodeImageData(std::move(data), format, error, limits);
}

// ---- ImageDestination ------------------------------------------------------------------

namespace {

bool validType(ImageFileType type, ImageIOError* error) {
    if (type == ImageFileType::JPEG || type == ImageFileType::PNG || type == ImageFileType::TIFF) return true;
    setError(error, ImageIOErrorCode::InvalidArgument, "unknown image file type");
    return false;
}

double jpegQuality(const ImageProperties& properties) {
    double quality = 0.9;
    if (const ImagePropertyValue* q = ImagePropertyFind(properties, kCGImageDestinationLossyCompressionQuality))
        quality = q->number().value_or(quality);
    return quality;
}

bool encode(const ImageBitmap& bitmap, ImageFileType type, const ImageProperties& properties,
            std::vector<std::uint8_t>* out, ImageIOError* error) {
    if (bitmap.empty() || bitmap.pixels.size() != std::size_t{bitmap.width} * bitmap.height * 4) {
        setError(error, ImageIOErrorCode::InvalidArgument, "the bitmap is empty or its pixels do not match its size");
        return false;
    }
    switch (type) {
    case ImageFileType::JPEG: return jpegEncode(bitmap, jpegQuality(properties), out, error);
    case ImageFileType::PNG: return pngEncode(bitmap, out, error);
    case ImageFileType::TIFF: return tiffEncode(bitmap, out, error, tiffResolution(properties));
    default: return validType(type, error);
    }
}

// The source's metadata with the given entries laid over it, group by group.
ImageProperties mergeProperties(ImageProperties base, const ImageProperties& over) {
    for (const auto& [key, value] : over) {
        auto it = base.find(key);
        if (it != base.end() && it->second.dictionary() && value.dictionary()) {
            for (const auto& [k, v] : *value.dictionary()) (*it->second.dictionary())[k] = v;
        } else {
            base[key] = value;
        }
    }
    return base;
}

}  // namespace

ImageDestination::~ImageDestination() = default;

std::unique_ptr<ImageDestination> ImageDestination::createWithFile(const std::string& path, ImageFileType type,
                                                                   ImageIOError* error) {
    if (!validType(type, error)) return nullptr;
    if (path.empty()) {
        setError(error, ImageIOErrorCode::InvalidArgument, "no file path");
        return nullptr;
    }
    std::unique_ptr<ImageDestination> d(new ImageDestination());
    d->type_ = type;
    d->path_ = path;
    return d;
}

std::unique_ptr<ImageDestination> ImageDestination::createWithData(std::vector<std::uint8_t>* data, ImageFileType type,
                                                                   ImageIOError* error) {
    if (!validType(type, error)) return nullptr;
    if (!data) {
        setError(error, ImageIOErrorCode::InvalidArgument, "no data to write into");
        return nullptr;
    }
    std::unique_ptr<ImageDestination> d(new ImageDestination());
    d->type_ = type;
    d->data_ = data;
    return d;
}

void ImageDestination::addImage(const ImageBitmap& bitmap, const ImageProperties& properties) {
    if (added_++ > 0) {
        addError_ = makeError(ImageIOErrorCode::InvalidArgument, "a destination holds one image");
        return;
    }
    properties_ = properties;
    encode(bitmap, type_, properties, &encoded_, &addError_);
}

void ImageDestination::addImageFromSource(const ImageSource& source, std::size_t index,
                                          const ImageProperties& properties) {
    if (added_++ > 0) {
        addError_ = makeError(ImageIOErrorCode::InvalidArgument, "a destination holds one image");
        return;
    }
    if (source.type() == type_ && source.count() == 1 && index == 0) {
        // Carried over as encoded: its own metadata stays, the given entries are merged in.
        encoded_ = source.data();
        properties_ = properties;
        return;
    }
    auto bitmap = source.createImageAtIndex(index, ImagePixelFormat::RGBA, &addError_);
    if (!bitmap) return;
    ImageProperties merged = mergeProperties(source.propertiesAtIndex(index), properties);
    properties_ = merged;
    encode(*bitmap, type_, merged, &encoded_, &addError_);
}

void ImageDestination::beginImage(std::uint32_t width, std::uint32_t height, ImagePixelFormat format,
                                  const ImageProperties& properties) {
    if (added_++ > 0) {
        addError_ = makeError(ImageIOErrorCode::InvalidArgument, "a destination holds one image");
        return;
    }
    properties_ = properties;
    if (type_ != ImageFileType::JPEG) {
        addError_ = makeError(ImageIOErrorCode::InvalidArgument, "only JPEG is written a band of rows at a time");
        return;
    }
    if (width == 0 || height == 0) {
        addError_ = makeError(ImageIOErrorCode::InvalidArgument, "the image is empty");
        return;
    }
    width_ = width;
    height_ = height;
    rows_ = jpegBeginRows(width, height, format, jpegQuality(properties), &addError_);
}

bool ImageDestination::addRows(const std::uint8_t* rows, std::size_t bytesPerRow, std::uint32_t count) {
    if (addError_) return false;
    if (!rows_ || finalized_) {
        addError_ = makeError(ImageIOErrorCode::InvalidArgument, "rows given without an image begun for them");
        return false;
    }
    if (!rows || bytesPerRow < std::size_t{width_} * 4 || count > height_ - jpegRowsWritten(rows_.get())) {
        addError_ = makeError(ImageIOErrorCode::InvalidArgument, "the rows do not fit the image begun");
        return false;
    }
    return jpegWriteRows(rows_.get(), rows, bytesPerRow, count, &addError_);
}

bool ImageDestination::finalize(ImageIOError* error) {
    if (finalized_) {
        setError(error, ImageIOErrorCode::InvalidArgument, "the destination was already finalized");
        return false;
    }
    finalized_ = true;
    if (added_ == 0) {
        setError(error, ImageIOErrorCode::InvalidArgument, "no image was added");
        return false;
    }
    if (addError_) {
        if (error) *error = addError_;
        return false;
    }
    if (rows_) {
        if (jpegRowsWritten(rows_.get()) != height_) {
            setError(error, ImageIOErrorCode::InvalidArgument, "the image's rows were not all given");
            return false;
        }
        const bool finished = jpegFinishRows(rows_.get(), &encoded_, error);
        rows_.reset();
        if (!finished) return false;
    }
    if (metadataPresent(properties_) && !metadataWrite(&encoded_, properties_, error)) return false;
    if (data_) {
        *data_ = std::move(encoded_);
        return true;
    }
    return writeFileAtomically(path_, encoded_, error);
}

bool EncodeImage(const ImageBitmap& bitmap, ImageFileType type, const ImageProperties& properties,
                 std::vector<std::uint8_t>* out, ImageIOError* error) {
    auto d = ImageDestination::createWithData(out, type, error);
    if (!d) return false;
    d->addImage(bitmap, properties);
    return d->finalize(error);
}

bool WriteImageFile(const ImageBitmap& bitmap, ImageFileType type, const ImageProperties& properties,
                    const std::string& path, ImageIOError* error) {
    auto d = ImageDestination::createWithFile(path, type, error);
    if (!d) return false;
    d->addImage(bitmap, properties);
    return d->finalize(error);
}

bool CheckImageFileWritable(const std::string& path, ImageIOError* error) {
    return imageio_detail::checkWritable(path, error);
}

bool WriteDataAtomically(const std::vector<std::uint8_t>& bytes, const std::string& path, ImageIOError* error) {
    imageio_detail::TemporaryFile file(path, error);
    return file.ok() && file.commit(bytes, error);
}

}  // namespace platform
