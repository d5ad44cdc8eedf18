#include "platform/foundation/NSPathUtilities.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace {

std::string absoluteEnv(const char* name) {
    const char* value = std::getenv(name);
    return value && value[0] == '/' ? std::string(value) : std::string();
}

}  // namespace

std::string NSHomeDirectory() {
    std::string home = absoluteEnv("HOME");
    if (!home.empty()) return home;
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir) return entry->pw_dir;
    return "/";
}

std::string NSSearchPathForDirectory(NSSearchPathDirectory directory) {
    if (directory == NSSearchPathDirectory::Caches) {
        std::string base = absoluteEnv("XDG_CACHE_HOME");
        return (base.empty() ? NSHomeDirectory() + "/.cache" : base) + "/tavorin";
    }
    std::string base = absoluteEnv("XDG_DATA_HOME");
    std::string support = (base.empty() ? NSHomeDirectory() + "/.local/share" : base) + "/tavorin";
    return directory == NSSearchPathDirectory::Documents ? support + "/Documents" : support;
}

std::string NSTemporaryDirectory() {
    std::string dir = absoluteEnv("TMPDIR");
    if (dir.empty()) dir = "/tmp";
    if (dir.back() != '/') dir += '/';
    return dir;
}
