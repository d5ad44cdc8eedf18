#pragma once
// The tags a person's tools show of a file's metadata (Exif, IPTC), read by key.
#include <filesystem>
#include <optional>
#include <string>

#include "support/CameraPhoto.h"

namespace acceptance {

// A tag of the file's metadata ("Exif.Image.Software"), or nothing.
inline std::optional<std::string> TagOf(const std::filesystem::path& file, const std::string& key) {
    const camera_photo::FileMetadata metadata = camera_photo::ReadFileMetadata(camera_photo::ReadBytes(file.string()));
    const auto it = metadata.tags.find(key);
    return it == metadata.tags.end() ? std::nullopt : std::optional<std::string>(it->second.value);
}

}  // namespace acceptance
