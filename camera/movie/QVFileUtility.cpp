#include "camera/movie/QVFileUtility.h"

#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSPathUtilities.h"

#include <cstdio>
#include <filesystem>
#include <set>

namespace {

struct FileSets {
    std::set<std::string> toDelete;
    std::set<std::string> inUse;
};

FileSets& Sets() {
    static FileSets sets;
    return sets;
}

std::string Candidate(const std::string& path, int iteration) {
    if (iteration == 0) return path;
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    if (!hasExtension) return path + std::to_string(iteration);
    return path.substr(0, dot) + std::to_string(iteration) + path.substr(dot);
}

}  // namespace

std::string QVFileUtility::uniqueFilename(const std::string& path) {
    if (path.empty()) return {};
    checkAndValidateFileNames();
    return uniqueFilename(path, 0);
}

std::string QVFileUtility::uniqueFilename(const std::string& path, int iteration) {
    for (;; ++iteration) {
        const std::string candidate = Candidate(path, iteration);
        if (!Sets().toDelete.count(candidate) && !Sets().inUse.count(candidate)) return candidate;
    }
}

void QVFileUtility::markUniqueFilenameForDelete(const std::string& path) {
    if (path.empty()) return;
    Sets().toDelete.insert(path);
    checkAndValidateFileNames();
}

void QVFileUtility::markUniqueFilename(const std::string& path, bool inUse) {
    if (path.empty()) return;
    if (inUse) Sets().inUse.insert(path);
    else Sets().inUse.erase(path);
    checkAndValidateFileNames();
}

void QVFileUtility::checkAndValidateFileNames() {
    FileSets& sets = Sets();
    for (auto it = sets.toDelete.begin(); it != sets.toDelete.end();) {
        if (sets.inUse.count(*it)) {
            ++it;
            continue;
        }
        std::remove(it->c_str());
        it = sets.toDelete.erase(it);
    }
}

std::string QVFileUtility::defaultMovieFilename() {
    return NSTemporaryDirectory() + NSBundle::mainBundle().bundleName() + ".mov";
}

bool QVFileUtility::nextMovieFilename(bool callerNamed, std::string* filename) {
    if (callerNamed) return !std::filesystem::exists(*filename);
    markUniqueFilenameForDelete(*filename);
    *filename = uniqueFilename(defaultMovieFilename());
    return true;
}
