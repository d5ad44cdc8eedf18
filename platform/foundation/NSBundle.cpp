#include "platform/foundation/NSBundle.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::string fileName(const std::string& name, const std::string& type) {
    if (type.empty()) return name;
    std::string dotted = type.front() == '.' ? type : "." + type;
    if (name.size() >= dotted.size() && name.compare(name.size() - dotted.size(), dotted.size(), dotted) == 0)
        return name;
    return name + dotted;
}

bool isFile(const fs::path& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

// Depth first, sub-folders in name order, so the answer does not depend on the file system.
std::string findBelow(const fs::path& dir, const std::string& file, int depth) {
    if (depth > 8) return {};
    std::error_code ec;
    std::vector<fs::path> subdirs;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_directory(ec)) subdirs.push_back(it->path());
    std::sort(subdirs.begin(), subdirs.end());
    for (const fs::path& sub : subdirs) {
        if (isFile(sub / file)) return (sub / file).string();
        std::string found = findBelow(sub, file, depth + 1);
        if (!found.empty()) return found;
    }
    return {};
}

}  // namespace

NSBundle& NSBundle::mainBundle() {
    static NSBundle bundle;
    return bundle;
}

std::vector<std::string> NSBundle::resourceDirectories() const {
    std::vector<std::string> candidates;
    if (const char* env = std::getenv("TAVORIN_RESOURCES")) {
        std::string list = env;
        std::size_t start = 0;
        while (start <= list.size()) {
            std::size_t end = list.find(':', start);
            if (end == std::string::npos) end = list.size();
            if (end > start) candidates.push_back(list.substr(start, end - start));
            start = end + 1;
        }
    }
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) candidates.push_back((exe.parent_path().parent_path() / "share" / "tavorin").string());
#ifdef TAVORIN_RESOURCE_DIR
    candidates.push_back(TAVORIN_RESOURCE_DIR);
#endif
    std::vector<std::string> dirs;
    for (const std::string& dir : candidates)
        if (fs::is_directory(dir, ec) && std::find(dirs.begin(), dirs.end(), dir) == dirs.end()) dirs.push_back(dir);
    return dirs;
}

std::string NSBundle::shortVersionString() const { return TAVORIN_VERSION; }

std::string NSBundle::resourcePath() const {
    auto dirs = resourceDirectories();
    return dirs.empty() ? std::string() : dirs.front();
}

std::string NSBundle::resourcePathHolding(const std::string& entry) const {
    const std::vector<std::string> dirs = resourceDirectories();
    std::error_code ec;
    for (const std::string& dir : dirs)
        if (fs::exists(fs::path(dir) / entry, ec)) return dir;
    return dirs.empty() ? std::string() : dirs.front();
}

std::string NSBundle::pathForResource(const std::string& name, const std::string& type,
                                      const std::string& subdirectory) const {
    if (name.empty()) return {};
    std::string file = fileName(name, type);
    // A name may not climb out of the resource folders.
    if (fs::path(file).is_absolute() || file.find("..") != std::string::npos) return {};
    for (const std::string& dir : resourceDirectories()) {
        fs::path base = subdirectory.empty() ? fs::path(dir) : fs::path(dir) / subdirectory;
        if (isFile(base / file)) return (base / file).string();
        if (subdirectory.empty() && file.find('/') == std::string::npos) {
            std::string found = findBelow(base, file, 0);
            if (!found.empty()) return found;
        }
    }
    return {};
}
