#pragma once
// The shipped resources of the source tree, read by tests straight from their folder.
#include <filesystem>
#include <string>

namespace testsupport {

inline std::string LookImagePath(const std::string& name) {
    return (std::filesystem::path(TAVORIN_RESOURCE_DIR) / "looks" / name).string();
}

}  // namespace testsupport
