#pragma once
// An image encoded with its metadata dictionary into data or into a file (JPEG, PNG or TIFF).
// The pixels are encoded in their stored position; the metadata's Orientation tells viewers
// how to turn them, so callers make the two agree first.
//
// Files go to the program's private temporary folder, $TMPDIR/tavorin-<uid> (made with mode
// 0700 and used only when it is a folder of this user that no one else may enter). Every
// failure (no folder, encoding, finalizing, writing) is reported on stderr and in the result:
// no path from `writeImage`, false from the `write…Representation` calls; given `error`, it
// also gets the failure as an error whose reason names the file and what went wrong.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "library/metadata/NSMutableDictionary+ImageMetadataUtility.h"
#include "model/AmbrelAppSettings.h"  // the writer's file types are the save-type setting's
#include "platform/foundation/NSError.h"
#include "platform/uikit/UIImage.h"

namespace ImageMetadataUtility {

// The JPEG quality of saves: the single-precision 0.9.
inline constexpr double kJPEGQuality = static_cast<double>(0.9f);

// The domain of the writers' errors; their codes are the image files' (platform::ImageIOErrorCode).
inline constexpr const char* kImageWriteErrorDomain = "TavorinImageWriteErrorDomain";

// The private temporary folder, or nullopt when it cannot be had safely.
std::optional<std::string> temporaryDirectory(NSErrorPtr* error = nullptr);

// Writes name + extension into the temporary folder, replacing an older file; the path, or
// nullopt for another type or any failure.
std::optional<std::string> writeImage(const UIImage& image, const std::string& name, int type, const Metadata& metadata,
                                      bool copyData, NSErrorPtr* error = nullptr);

// Encoded bytes carrying the metadata (the picture is encoded once; only the properties are
// merged in); nullopt on failure.
std::optional<std::vector<std::uint8_t>> jpegRepresentation(const UIImage& image, double quality,
                                                            const Metadata& metadata);
std::optional<std::vector<std::uint8_t>> pngRepresentationWithMetadata(const UIImage& image, const Metadata& metadata);

bool writeJpegRepresentation(const UIImage& image, double quality, const Metadata& metadata, const std::string& path,
                             bool copyData = true, NSErrorPtr* error = nullptr);
bool writePngRepresentationWithMetadata(const UIImage& image, const Metadata& metadata, const std::string& path,
                                        bool copyData, NSErrorPtr* error = nullptr);
// Always encoded straight into the file.
bool writeTiffRepresentation(const UIImage& image, double quality, const Metadata& metadata, const std::string& path,
                             NSErrorPtr* error = nullptr);

}  // namespace ImageMetadataUtility
