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

bool failed(const std::string& what, const std::string& why) {
    std::fprintf(stderr, "tavorin: could not write %s: %s\n", what.c_str(), why.c_str());
    return false;
}

// Straight into the file through an image destination (quality for JPEG and TIFF).
bool writeDirect(const UIImage& image, platform::ImageFileType type, std::optional<double> quality,
                 const Metadata& metadata, const std::string& path) {
    platform::ImageIOError error;
    auto destination = platform::ImageDestination::createWithFile(path, type, &error);
    if (!destination) return failed(path, error.message);
    Metadata properties = metadata;
    if (quality) properties[platform::kCGImageDestinationLossyCompressionQuality] = *quality;
    destination->addImage(photos::BitmapFromImage(image.CGImage()), properties);
    if (!destination->finalize(&error)) return failed(path, error.message);
    return true;
}

// Encoded by the codec first, then the metadata merged into the encoded picture.
std::optional<std::vector<std::uint8_t>> encodeThenMerge(const UIImage& image, platform::ImageFileType type,
                                                         std::optional<double> quality, const Metadata& metadata) {
    platform::ImageIOError error;
    std::vector<std::uint8_t> encoded;
    Metadata settings;
    if (quality) settings[platform::kCGImageDestinationLossyCompressionQuality] = *quality;
    if (!platform::EncodeImage(photos::BitmapFromImage(image.CGImage()), type, settings, &encoded, &error))
        return failed("the encoded image", error.message), std::nullopt;
    auto source = platform::ImageSource::createWithData(std::move(encoded), &error);
    if (!source) return failed("the encoded image", error.message), std::nullopt;
    std::vector<std::uint8_t> merged;
    auto destination = platform::ImageDestination::createWithData(&merged, source->type(), &error);
    if (!destination) return failed("the encoded image", error.message), std::nullopt;
    destination->addImageFromSource(*source, 0, metadata);
    if (!destination->finalize(&error)) return failed("the encoded image", error.message), std::nullopt;
    return merged;
}

bool writeData(const std::optional<std::vector<std::uint8_t>>& data, const std::string& path) {
    if (!data) return false;
    platform::ImageIOError error;
    if (!platform::WriteDataAtomically(*data, path, &error)) return failed(path, error.message);
    return true;
}

}  // namespace

std::optional<std::string> temporaryDirectory() {
    const char* tmp = std::getenv("TMPDIR");
    const std::string base = tmp && tmp[0] == '/' ? tmp : "/tmp";
    const std::string folder = base + "/tavorin-" + std::to_string(::getuid());
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return failed(folder, std::strerror(errno)), std::nullopt;
    struct stat st{};
    // Another user's folder, a link, or one others may enter is not ours to write in.
    if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid() ||
        (st.st_mode & 077) != 0)
        return failed(folder, "the folder is not this user's private folder"), std::nullopt;
    return folder;
}

std::optional<std::string> writeImage(const UIImage& image, const std::string& name, int type,
                                      const Metadata& metadata, bool copyData) {
    if (type != SaveTypeJPEG && type != SaveTypePNG && type != SaveTypeTIFF) return std::nullopt;
    auto folder = temporaryDirectory();
    if (!folder) return std::nullopt;
    const std::string path =
        *folder + "/" + name + platform::ImageFileTypeExtension(platform::ImageFileTypeFromSaveType(type));
    bool ok = false;
    if (type == SaveTypeTIFF) ok = writeTiffRepresentation(image, 1.0, metadata, path);
    else if (type == SaveTypePNG) ok = writePngRepresentationWithMetadata(image, metadata, path, copyData);
    else ok = writeJpegRepresentation(image, kJPEGQuality, metadata, path, copyData);
    return ok ? std::optional(path) : std::nullopt;
}

std::optional<std::vector<std::uint8_t>> jpegRepresentation(const UIImage& image, double quality,
                                                            const Metadata& metadata) {
    return encodeThenMerge(image, platform::ImageFileType::JPEG, quality, metadata);
}

std::optional<std::vector<std::uint8_t>> pngRepresentationWithMetadata(const UIImage& image, const Metadata& metadata) {
    return encodeThenMerge(image, platform::ImageFileType::PNG, std::nullopt, metadata);
}

bool writeJpegRepresentation(const UIImage& image, double quality, const Metadata& metadata, const std::string& path,
                             bool copyData) {
    if (copyData) return writeData(jpegRepresentation(image, quality, metadata), path);
    return writeDirect(image, platform::ImageFileType::JPEG, quality, metadata, path);
}

bool writePngRepresentationWithMetadata(const UIImage& image, const Metadata& metadata, const std::string& path,
                                        bool copyData) {
    if (copyData) return writeData(pngRepresentationWithMetadata(image, metadata), path);
    return writeDirect(image, platform::ImageFileType::PNG, std::nullopt, metadata, path);
}

bool writeTiffRepresentation(const UIImage& image, double quality, const Metadata& metadata, const std::string& path) {
    return writeDirect(image, platform::ImageFileType::TIFF, quality, metadata, path);
}

}  // namespace ImageMetadataUtility
