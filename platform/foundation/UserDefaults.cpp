#include "platform/foundation/UserDefaults.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <memory>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::mutex gStandardMutex;
std::unique_ptr<UserDefaults> gStandard;

std::string errnoText(int error) { return std::strerror(error); }

// Reads the whole file. Answers the errno of the failure, 0 on success.
int readFile(const fs::path& path, std::string& contents, std::uintmax_t limit, bool& tooLarge) {
    tooLarge = false;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno;
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        int error = errno;
        ::close(fd);
        return error;
    }
    if (static_cast<std::uintmax_t>(info.st_size) > limit) {
        tooLarge = true;
        ::close(fd);
        return 0;
    }
    contents.clear();
    char buffer[16384];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            int error = errno;
            ::close(fd);
            return error;
        }
        if (n == 0) break;
        contents.append(buffer, static_cast<size_t>(n));
        if (contents.size() > limit) {
            tooLarge = true;
            break;
        }
    }
    ::close(fd);
    return 0;
}

bool writeAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

fs::path UserDefaults::unusedSetAsidePath(const fs::path& file) {
    std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", &utc);
    fs::path base = file;
    base += std::string(".corrupt-") + stamp;
    fs::path candidate = base;
    std::error_code ec;
    for (int n = 2; fs::exists(candidate, ec); ++n) {
        candidate = base;
        candidate += "-" + std::to_string(n);
    }
    return candidate;
}

fs::path UserDefaults::standardStorePath() {
    fs::path config;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg && fs::path(xdg).is_absolute()) {
        config = xdg;
    } else {
        const char* home = std::getenv("HOME");
        if (!home || !*home) {
            const passwd* entry = ::getpwuid(::getuid());
            home = entry ? entry->pw_dir : "/tmp";
        }
        config = fs::path(home) / ".config";
    }
    return config / "tavorin" / "defaults.json";
}

UserDefaults& UserDefaults::standardUserDefaults() {
    std::lock_guard lock(gStandardMutex);
    if (!gStandard) gStandard = std::make_unique<UserDefaults>(standardStorePath());
    return *gStandard;
}

void UserDefaults::resetStandardUserDefaults() {
    std::lock_guard lock(gStandardMutex);
    if (gStandard) gStandard->synchronize();
    gStandard.reset();
}

UserDefaults::UserDefaults(fs::path file) : file_(std::move(file)) {}

UserDefaults::~UserDefaults() = default;

void UserDefaults::report(std::string message) {
    std::fprintf(stderr, "Tavorin: user defaults %s: %s\n", file_.c_str(), message.c_str());
    problems_.push_back(std::move(message));
}

void UserDefaults::loadIfNeeded() {
    if (loaded_) return;
    loaded_ = true;
    values_ = PropertyListObject::object();

    std::string text;
    bool tooLarge = false;
    int error = readFile(file_, text, kMaximumDocumentSize, tooLarge);
    if (error == ENOENT || error == ENOTDIR) return;  // nothing stored yet
    if (error != 0) {
        writable_ = false;
        report("cannot be read (" + errnoText(error) + "); changes will not be saved");
        return;
    }

    std::string fault;
    if (tooLarge) {
        fault = "is larger than " + std::to_string(kMaximumDocumentSize) + " bytes";
    } else {
        try {
            PropertyListObject parsed = PropertyListObject::parse(text);
            if (parsed.is_object()) {
                values_ = std::move(parsed);
                return;
            }
            fault = "does not hold a dictionary";
        } catch (const PropertyListObject::exception& e) {
            fault = std::string("is not valid JSON (") + e.what() + ")";
        }
    }

    // Keep the user's file for inspection instead of writing over it later.
    fs::path aside = unusedSetAsidePath(file_);
    if (::rename(file_.c_str(), aside.c_str()) == 0) {
        setAside_ = aside;
        report(fault + "; moved aside to " + aside.string() + ", starting from empty defaults");
    } else {
        writable_ = false;
        report(fault + "; could not move it aside (" + errnoText(errno) +
               "); changes will not be saved");
    }
}

PropertyListObject UserDefaults::objectForKey(const std::string& key) {
    std::lock_guard lock(mutex_);
    loadIfNeeded();
    auto it = values_.find(key);
    return it == values_.end() ? PropertyListObject() : *it;
}

void UserDefaults::setObject(const PropertyListObject& value, const std::string& key) {
    if (value.is_null()) {
        removeObject(key);
        return;
    }
    std::lock_guard lock(mutex_);
    loadIfNeeded();
    values_[key] = value;
    dirty_ = true;
}

void UserDefaults::removeObject(const std::string& key) {
    std::lock_guard lock(mutex_);
    loadIfNeeded();
    if (values_.erase(key) > 0) dirty_ = true;
}

PropertyListObject UserDefaults::dictionaryRepresentation() {
    std::lock_guard lock(mutex_);
    loadIfNeeded();
    return values_;
}

std::vector<std::string> UserDefaults::problems() {
    std::lock_guard lock(mutex_);
    loadIfNeeded();
    return problems_;
}

std::optional<fs::path> UserDefaults::setAsidePath() {
    std::lock_guard lock(mutex_);
    loadIfNeeded();
    return setAside_;
}

bool UserDefaults::synchronize() {
    std::lock_guard lock(mutex_);
    loadIfNeeded();
    if (!dirty_) return writable_;
    if (!writable_) {
        report("not written: the stored document could not be read");
        return false;
    }
    if (!writeLocked()) return false;
    dirty_ = false;
    return true;
}

bool UserDefaults::writeLocked() {
    fs::path folder = file_.parent_path();
    std::error_code ec;
    if (!folder.empty()) {
        fs::create_directories(folder, ec);
        if (ec) {
            report("cannot create " + folder.string() + " (" + ec.message() + ")");
            return false;
        }
    }

    std::string name = file_.string() + ".tmp-XXXXXX";
    std::vector<char> tempName(name.begin(), name.end());
    tempName.push_back('\0');
    int fd = ::mkstemp(tempName.data());
    if (fd < 0) {
        report("cannot create a temporary file (" + errnoText(errno) + ")");
        return false;
    }
    // Text that is not UTF-8 is written with replacement characters rather than failing.
    std::string text = values_.dump(2, ' ', false, PropertyListObject::error_handler_t::replace) + "\n";
    bool ok = writeAll(fd, text) && ::fsync(fd) == 0;
    int error = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && ::rename(tempName.data(), file_.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        ::unlink(tempName.data());
        report("could not be written (" + errnoText(error) + ")");
        return false;
    }
    // Make the rename itself durable.
    int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}
