// Whole-or-nothing file writes, and the removal of half-written files when the process is
// stopped by a signal.
#include "platform/imageio/TemporaryFile.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <limits.h>
#include <mutex>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/imageio/Codecs.h"

namespace platform::imageio_detail {
namespace {

// ---- Removal on SIGINT and SIGTERM ----------------------------------------------------------
// The handler may run at any moment on any thread, so the paths it removes live in fixed
// slots that it reads without locks or allocation; a slot is armed only once its path is
// complete.

enum SlotState : int { kFree = 0, kFilling = 1, kArmed = 2 };

struct Slot {
    std::atomic<int> state{kFree};
    char path[PATH_MAX];
};

constexpr int kSlots = 32;
Slot slots[kSlots];

constexpr int kSignals[] = {SIGINT, SIGTERM};
struct sigaction previousActions[2];

void removePendingFiles(int signal, siginfo_t* info, void* context) {
    const int savedErrno = errno;
    for (Slot& slot : slots)
        if (slot.state.load(std::memory_order_acquire) == kArmed) ::unlink(slot.path);
    const int which = signal == SIGINT ? 0 : 1;
    const struct sigaction& previous = previousActions[which];
    if (previous.sa_flags & SA_SIGINFO) {
        previous.sa_sigaction(signal, info, context);
    } else if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN) {
        previous.sa_handler(signal);
    } else {
        // The default end of the process, with the signal as its cause.
        ::signal(signal, SIG_DFL);
        ::raise(signal);
    }
    errno = savedErrno;
}

// Installed once, when the first file is written; a signal the process ignores stays ignored.
void installHandlers() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (int i = 0; i < 2; ++i) {
            struct sigaction current {};
            if (::sigaction(kSignals[i], nullptr, &current) != 0 || current.sa_handler == SIG_IGN) continue;
            previousActions[i] = current;
            struct sigaction action {};
            action.sa_sigaction = removePendingFiles;
            action.sa_flags = SA_SIGINFO | SA_RESTART;
            sigemptyset(&action.sa_mask);
            for (int s : kSignals) sigaddset(&action.sa_mask, s);
            ::sigaction(kSignals[i], &action, nullptr);
        }
    });
}

// Arms a slot for the path; -1 when every slot is taken or the path does not fit (the file is
// then still removed on every other way out, only not on a signal).
int armSlot(const std::string& path) {
    if (path.size() >= PATH_MAX) return -1;
    installHandlers();
    for (int i = 0; i < kSlots; ++i) {
        int expected = kFree;
        if (!slots[i].state.compare_exchange_strong(expected, kFilling, std::memory_order_acq_rel)) continue;
        std::memcpy(slots[i].path, path.c_str(), path.size() + 1);
        slots[i].state.store(kArmed, std::memory_order_release);
        return i;
    }
    return -1;
}

void releaseSlot(int slot) {
    if (slot >= 0) slots[slot].state.store(kFree, std::memory_order_release);
}

// The signals held off while a slot changes hands, so that the handler never sees a file
// removed twice or a renamed target removed.
class SignalsHeld {
public:
    SignalsHeld() {
        sigset_t set;
        sigemptyset(&set);
        for (int s : kSignals) sigaddset(&set, s);
        ::pthread_sigmask(SIG_BLOCK, &set, &saved_);
    }
    ~SignalsHeld() { ::pthread_sigmask(SIG_SETMASK, &saved_, nullptr); }

private:
    sigset_t saved_;
};

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::size_t nameLimit(const std::string& folder) {
    const long limit = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    return limit > 0 ? static_cast<std::size_t>(limit) : NAME_MAX;
}

constexpr char kUnique[] = ".XXXXXX";
constexpr std::size_t kUniqueLength = sizeof kUnique - 1;

std::size_t nameStart(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? 0 : slash + 1;
}

// "name.ext.XXXXXX" beside the target, its name shortened (on a whole UTF-8 character) when
// the target's is too long for the seven more characters.
std::string temporaryPattern(const std::string& target, std::size_t limit) {
    const std::size_t start = nameStart(target);
    std::size_t keep = target.size() - start;
    if (keep + kUniqueLength > limit) {
        keep = limit > kUniqueLength ? limit - kUniqueLength : 0;
        while (keep > 0 && (static_cast<unsigned char>(target[start + keep]) & 0xC0) == 0x80) --keep;
    }
    return target.substr(0, start + keep) + kUnique;
}

void pauseForTest(const std::string& path) {
    const char* pause = std::getenv("TAVORIN_TEST_PAUSE_AT_WRITE");
    if (!pause || !*pause) return;
    const std::string line = "paused at the write of " + path + "\n";
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, line.data(), line.size());
    for (;;) ::pause();
}

}  // namespace

TemporaryFile::TemporaryFile(const std::string& target, ImageIOError* error) : target_(target) {
    // Found before any byte is written: a name too long for the folder (the rename would
    // fail), anything but a regular file in the target's place (a FIFO, device or socket
    // the rename would replace with a file, a folder it cannot replace).
    const std::size_t limit = nameLimit(folderOf(target));
    if (target.size() - nameStart(target) > limit) {
        fail(ENAMETOOLONG, error);
        return;
    }
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode)) {
        setError(error, ImageIOErrorCode::WriteFailed,
                 "cannot write \"" + target + "\": it is " + NonRegularFileKind(existing.st_mode) +
                     ", not a file to write an image into");
        return;
    }
    path_ = temporaryPattern(target, limit);
    {
        SignalsHeld held;
        fd_ = ::mkostemp(path_.data(), O_CLOEXEC);
        pending_ = fd_ >= 0;
        if (pending_) slot_ = armSlot(path_);
    }
    if (fd_ < 0) fail(errno, error);
}

TemporaryFile::~TemporaryFile() {
    if (fd_ >= 0) ::close(fd_);
    SignalsHeld held;
    if (pending_) ::unlink(path_.c_str());
    releaseSlot(slot_);
}

void TemporaryFile::fail(int code, ImageIOError* error) const {
    setError(error, ImageIOErrorCode::WriteFailed, "cannot write \"" + target_ + "\": " + std::strerror(code));
}

bool TemporaryFile::commit(const std::vector<std::uint8_t>& bytes, ImageIOError* error) {
    if (fd_ < 0) {
        fail(EBADF, error);
        return false;
    }
    std::size_t done = 0;
    int failure = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            failure = n < 0 ? errno : ENOSPC;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    if (!failure) pauseForTest(path_);
    if (!failure && ::fchmod(fd_, 0644) != 0) failure = errno;
    // The bytes reach the disk before the name does, so a crash never leaves a short file
    // under the target's name.
    if (!failure && ::fsync(fd_) != 0) failure = errno;
    if (::close(fd_) != 0 && !failure) failure = errno;
    fd_ = -1;
    if (!failure) {
        SignalsHeld held;
        if (::rename(path_.c_str(), target_.c_str()) == 0) {
            pending_ = false;
            releaseSlot(slot_);
            slot_ = -1;
        } else {
            failure = errno;
        }
    }
    if (failure) {
        fail(failure, error);
        return false;
    }
    // The rename itself made durable. A folder that cannot be flushed (some file systems
    // refuse) still holds the complete file, so that is not a failure of the write.
    const int folder = ::open(folderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

bool checkWritable(const std::string& path, ImageIOError* error) {
    const TemporaryFile file(path, error);
    return file.ok();
}

bool writeFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes, ImageIOError* error) {
    TemporaryFile file(path, error);
    return file.ok() && file.commit(bytes, error);
}

}  // namespace platform::imageio_detail
