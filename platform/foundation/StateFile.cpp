#include "platform/foundation/StateFile.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <random>

namespace fs = std::filesystem;

namespace {

std::string errnoText(int error) { return std::strerror(error); }

// What a name that is not a regular file is, in words.
std::string kindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "is a folder";
    if (S_ISFIFO(mode)) return "is a named pipe";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "is a device";
    if (S_ISSOCK(mode)) return "is a socket";
    return "is not a regular file";
}

std::string tooLarge() { return "is larger than " + std::to_string(StateFile::kMaximumSize) + " bytes"; }

// Whether brackets open deeper than the limit anywhere outside strings. Counted on the text,
// so that nothing deeper is ever built.
bool nestedDeeperThan(const std::string& text, int limit) {
    int depth = 0;
    bool inString = false, escaped = false;
    for (const char c : text) {
        if (inString) {
            if (escaped) escaped = false;
            else if (c == '\\') escaped = true;
            else if (c == '"') inString = false;
            continue;
        }
        if (c == '"') inString = true;
        else if ((c == '[' || c == '{') && ++depth > limit) return true;
        else if ((c == ']' || c == '}') && depth > 0) --depth;
    }
    return false;
}

StateFile::Reading failed(StateFile::Outcome outcome, std::string problem) {
    StateFile::Reading reading;
    reading.outcome = outcome;
    reading.problem = std::move(problem);
    return reading;
}

StateFile::Reading failedToOpen(int error) {
    if (error == ENOENT || error == ENOTDIR) return {};
    if (error == ELOOP) return failed(StateFile::Outcome::Damaged, "is a loop of symbolic links");
    return failed(StateFile::Outcome::Unreadable, "cannot be read (" + errnoText(error) + ")");
}

bool writeAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Six letters or digits, different for each call in and across processes.
std::string uniqueSuffix() {
    static std::atomic<unsigned> calls{0};
    std::seed_seq seed{static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count()),
                       static_cast<unsigned>(::getpid()), calls.fetch_add(1)};
    std::mt19937 random(seed);
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string suffix;
    for (int i = 0; i < 6; ++i) suffix += kLetters[random() % (sizeof kLetters - 1)];
    return suffix;
}

// A new temporary file beside the target, named after it when that fits the name limit.
// Made with 0666 so that the umask (and any default ACL) gives a new document its usual mode.
int createTemporary(const fs::path& target, std::string& name) {
    constexpr std::size_t kNameLimit = 255;
    const std::string base = target.filename().string();
    const std::string stem = base.size() + 11 <= kNameLimit ? base + ".tmp-" : ".tmp-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = (target.parent_path() / (stem + uniqueSuffix())).string();
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

}  // namespace

std::optional<nlohmann::json> StateFile::parse(const std::string& text, std::string* problem) {
    if (nestedDeeperThan(text, kMaximumDepth)) {
        if (problem) *problem = "is nested more than " + std::to_string(kMaximumDepth) + " levels deep";
        return std::nullopt;
    }
    try {
        return nlohmann::json::parse(text);
    } catch (const nlohmann::json::exception& e) {
        if (problem) *problem = std::string("is not valid JSON (") + e.what() + ")";
        return std::nullopt;
    }
}

StateFile::Reading StateFile::read(const fs::path& file) {
    // Looked at before opening: opening a FIFO waits for a writer, a device may do anything.
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0) return failedToOpen(errno);
    if (!S_ISREG(info.st_mode)) return failed(Outcome::Damaged, kindOf(info.st_mode));
    if (static_cast<std::uintmax_t>(info.st_size) > kMaximumSize) return failed(Outcome::Damaged, tooLarge());

    // Without blocking all the same, for a name swapped in between.
    const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return failedToOpen(errno);
    std::string text;
    Reading reading;
    if (::fstat(fd, &info) != 0) {
        reading = failedToOpen(errno);
    } else if (!S_ISREG(info.st_mode)) {
        reading = failed(Outcome::Damaged, kindOf(info.st_mode));
    } else {
        char buffer[16384];
        for (;;) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                reading = failedToOpen(errno);
                break;
            }
            if (n == 0) {
                reading.outcome = Outcome::Read;
                break;
            }
            text.append(buffer, static_cast<std::size_t>(n));
            if (text.size() > kMaximumSize) {  // grew since it was looked at
                reading = failed(Outcome::Damaged, tooLarge());
                break;
            }
        }
    }
    ::close(fd);
    if (reading.outcome != Outcome::Read) return reading;
    if (std::optional<nlohmann::json> document = parse(text, &reading.problem)) {
        reading.document = std::move(*document);
        return reading;
    }
    reading.outcome = Outcome::Damaged;
    return reading;
}

bool StateFile::write(const fs::path& file, const nlohmann::json& document, std::string* problem) {
    auto fail = [problem](std::string why) {
        if (problem) *problem = std::move(why);
        return false;
    };
    // A link the user made (to a file kept elsewhere) stays a link.
    fs::path target = file;
    std::error_code ec;
    if (fs::is_symlink(file, ec)) {
        fs::path resolved = fs::weakly_canonical(file, ec);
        if (!ec) target = std::move(resolved);
    }
    const fs::path folder = target.parent_path();
    if (!folder.empty()) {
        fs::create_directories(folder, ec);
        if (ec) return fail("cannot create the folder " + folder.string() + " (" + ec.message() + ")");
    }
    struct stat old {};
    const bool replacing = ::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode);
    // Write permission taken away says "leave it": renaming over it would go round that.
    if (replacing && ((old.st_mode & 0222) == 0 || (::access(target.c_str(), W_OK) != 0 && errno == EACCES)))
        return fail("is read-only");

    std::string temporary;
    const int fd = createTemporary(target, temporary);
    if (fd < 0) return fail("cannot create a temporary file in " + folder.string() + " (" + errnoText(errno) + ")");
    // Text that is not UTF-8 is written with replacement characters rather than failing.
    const std::string text = document.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
    bool ok = (!replacing || ::fchmod(fd, old.st_mode & 07777) == 0) && writeAll(fd, text) && ::fsync(fd) == 0;
    int error = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) ok = false, error = errno;
    if (ok && ::rename(temporary.c_str(), target.c_str()) != 0) ok = false, error = errno;
    if (!ok) {
        ::unlink(temporary.c_str());
        return fail("could not be written (" + errnoText(error) + ")");
    }
    // The rename itself made durable.
    const int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

fs::path StateFile::unusedSetAsidePath(const fs::path& file) {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", &utc);
    fs::path base = file;
    base += std::string(".corrupt-") + stamp;
    fs::path candidate = base;
    std::error_code ec;
    for (int n = 2; fs::symlink_status(candidate, ec).type() != fs::file_type::not_found && !ec; ++n) {
        candidate = base;
        candidate += "-" + std::to_string(n);
    }
    return candidate;
}

std::optional<fs::path> StateFile::setAside(const fs::path& file, std::string* problem) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path aside = unusedSetAsidePath(file);
        // Never over an earlier copy, even one that appeared a moment ago.
        int result = ::renameat2(AT_FDCWD, file.c_str(), AT_FDCWD, aside.c_str(), RENAME_NOREPLACE);
        if (result != 0 && errno == EINVAL) result = ::rename(file.c_str(), aside.c_str());
        if (result == 0) return aside;
        if (errno != EEXIST) break;
    }
    if (problem) *problem = "could not be moved aside (" + errnoText(errno) + ")";
    return std::nullopt;
}
