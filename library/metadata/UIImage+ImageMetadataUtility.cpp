#include "library/metadata/UIImage+ImageMetadataUtility.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/imageio/ImageIO.h"
#include "platform/photos/PhotoBitmaps.h"

namespace ImageMetadataUtility {

namespace {

// Said on stderr and handed to the caller. A failure without words of its own is named by its
// kind, so no one is ever told only that something failed.
bool failed(NSErrorPtr* out, platform::ImageIOErrorCode code, const std::string& what, std::string why) {
    if (why.empty())
        why = code == platform::ImageIOErrorCode::Metadata ? "its metadata could not be written"
                                                           : "the file could not be written";
    std::fprintf(stderr, "tavorin: could not write %s: %s\n", what.c_str(), why.c_str());
    // The file is named once, where the words do not name it already.
    if (out)
        *out =
            NSError::errorWithDomain(kImageWriteErrorDomain, static_cast<long>(code), "The photo could not be written.",
                                     why.find(what) == std::string::npos ? what + ": " + why : why);
    return false;
}
bool failed(NSErrorPtr* out, const std::string& what, const platform::ImageIOError& error) {
    return failed(out, error.code, what, error.message);
}

// Straight into the file through an image destination (quality for JPEG and TIFF).
bool writeDirect(const UIImage& image, platform::ImageFileType type, std::optional<double> quality,
                 const Metadata& metadata, const std::string& path, NSErrorPtr* out) {
    platform::ImageIOError error;
    auto destination = platform::ImageDestination::createWithFile(path, type, &error);
    if (!destination) return failed(out, path, error);
    Metadata properties = metadata;
    if (quality) properties[platform::kCGImageDestinationLossyCompressionQuality] = *quality;
    destination->addImage(photos::BitmapFromImage(image.CGImage()), properties);
    if (!destination->finalize(&error)) return failed(out, path, error);
    return true;
}

// Encoded by the codec first, then the metadata merged into the encoded picture.
std::optional<std::vector<std::uint8_t>> encodeThenMerge(const UIImage& image, platform::ImageFileType type,
                                                         std::optional<double> quality, const Metadata& metadata,
                                                         NSErrorPtr* out) {
    const std::string what = "the encoded image";
    platform::ImageIOError error;
    std::vector<std::uint8_t> encoded;
    Metadata settings;
    if (quality) settings[platform::kCGImageDestinationLossyCompressionQuality] = *quality;
    if (!platform::EncodeImage(photos::BitmapFromImage(image.CGImage()), type, settings, &encoded, &error))
        return failed(out, what, error), std::nullopt;
    auto source = platform::ImageSource::createWithData(std::move(encoded), &error);
    if (!source) return failed(out, what, error), std::nullopt;
    std::vector<std::uint8_t> merged;
    auto destination = platform::ImageDestination::createWithData(&merged, source->type(), &error);
    if (!destination) return failed(out, what, error), std::nullopt;
    destination->addImageFromSource(*source, 0, metadata);
    if (!destination->finalize(&error)) return failed(out, what, error), std::nullopt;
    return merged;
}

bool writeData(const std::optional<std::vector<std::uint8_t>>& data, const std::string& path, NSErrorPtr* out) {
    if (!data) return false;
    platform::ImageIOError error;
    if (!platform::WriteDataAtomically(*data, path, &error)) return failed(out, path, error);
    return true;
}

}  // namespace

std::optional<std::string> temporaryDirectory(NSErrorPtr* error) {
    const char* tmp = std::getenv("TMPDIR");
    const std::string base = tmp && tmp[0] == '/' ? tmp : "/tmp";
    const std::string folder = base + "/tavorin-" + std::to_string(::getuid());
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return failed(error, platform::ImageIOErrorCode::WriteFailed, folder, std::strerror(errno)), std::nullopt;
    struct stat st {};
    // Another user's folder, a link, or one others may enter is not ours to write in.
    if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid() || (st.st_mode & 077) != 0)
        return failed(error, platform::ImageIOErrorCode::WriteFailed, folder,
                      "the folder is not this user's private folder"),
               std::nullopt;
    return folder;
}

std::optional<std::string> writeImage(const UIImage& image, const std::string& name, int type, const Metadata& metadata,
                                      bool copyData, NSErrorPtr* error) {
    if (type != SaveTypeJPEG && type != SaveTypePNG && type != SaveTypeTIFF)
        return failed(error, platform::ImageIOErrorCode::InvalidArgument, name,
                      "file type " + std::to_string(type) + " is not JPEG, PNG or TIFF"),
               std::nullopt;
    auto folder = temporaryDirectory(error);
    if (!folder) return std::nullopt;
    const std::string path =
        *folder + "/" + name + platform::ImageFileTypeExtension(platform::ImageFileTypeFromSaveType(type));
    bool ok = false;
    if (type == SaveTypeTIFF) ok = writeTiffRepresentation(image, 1.0, metadata, path, error);
    else if (type == SaveTypePNG) ok = writePngRepresentationWithMetadata(image, metadata, path, copyData, error);
    else ok = writeJpegRepresentation(image, kJPEGQuality, metadata, path, copyData, error);
    return ok ? std::optional(path) : std::nullopt;
}

std::optional<std::vector<std::uint8_t>> jpegRepresentation(const UIImage& image, double quality,
                                                            const Metadata& metadata) {
    return encodeThenMerge(image, platform::ImageFileType::JPEG, quality, metadata, nullptr);
}

std::optional<std::vector<std::uint8_t>> pngRepresentationWithMetadata(const UIImage& image, const Metadata& metadata) {
    return encodeThenMerge(image, platform::ImageFileType::PNG, std::nullopt, metadata, nullptr);
}

bool writeJpegRepresentation(const UIImage& image, double quality, const Metadata& metadata, const std::string& path,
                             bool copyData, NSErrorPtr* error) {
    if (copyData)
        return writeData(encodeThenMerge(image, platform::ImageFileType::JPEG, quality, metadata, error), path, error);
    return writeDirect(image, platform::ImageFileType::JPEG, quality, metadata, path, error);
}

bool writePngRepresentationWithMetadata(const UIImage& image, const Metadata& metadata, const std::string& path,
                                        bool copyData, NSErrorPtr* error) {
    if (copyData)
        return writeData(encodeThenMerge(image, platform::ImageFileType::PNG, std::nullopt, metadata, error), path,
                         error);
    return writeDirect(image, platform::ImageFileType::PNG, std::nullopt, metadata, path, error);
}

bool writeTiffRepresentation(const UIImage& image, double quality, const Metadata& metadata, const std::string& path,
                             NSErrorPtr* error) {
    return writeDirect(image, platform::ImageFileType::TIFF, quality, metadata, path, error);
}

}  // namespace ImageMetadataUtility
