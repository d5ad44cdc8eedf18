#pragma once
// A folder tree made read-only for the running tests, as a user's read-only disk or folder is:
// every entry loses its write bits and, when the tests run as root (whom write bits do not
// stop), also gets the immutable flag, which stops root too, even through files it already
// has open. Put back as it was when it goes out of scope (or on `restore`).
//
//     ReadOnlyTree readOnly(library);
//     if (!readOnly.made()) GTEST_SKIP() << readOnly.why();
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

class ReadOnlyTree {
public:
    explicit ReadOnlyTree(const std::filesystem::path& root) {
        std::error_code ec;
        entries_.push_back(root);
        for (auto it = std::filesystem::recursive_directory_iterator(root, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
            if (!it->is_symlink()) entries_.push_back(it->path());
        for (const auto& entry : entries_) {
            const auto perms = std::filesystem::status(entry, ec).permissions();
            modes_.push_back(perms);
            std::filesystem::permissions(entry,
                                         std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                                             std::filesystem::perms::others_write,
                                         std::filesystem::perm_options::remove, ec);
            if (::geteuid() == 0 && !setImmutable(entry, true)) {
                why_ = entry.string() + ": the immutable flag cannot be set here (" + std::strerror(errno) + ")";
                restore();
                return;
            }
        }
        made_ = true;
    }
    ~ReadOnlyTree() { restore(); }
    ReadOnlyTree(const ReadOnlyTree&) = delete;
    ReadOnlyTree& operator=(const ReadOnlyTree&) = delete;

    bool made() const { return made_; }
    const std::string& why() const { return why_; }

    void restore() {
        std::error_code ec;
        for (std::size_t i = 0; i < modes_.size(); ++i) {
            if (::geteuid() == 0) setImmutable(entries_[i], false);
            std::filesystem::permissions(entries_[i], modes_[i], ec);
        }
        modes_.clear();
        made_ = false;
    }

private:
    static bool setImmutable(const std::filesystem::path& path, bool on) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0) return false;
        int flags = 0;
        bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        if (ok) {
            flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        const int saved = errno;
        ::close(fd);
        errno = saved;
        return ok;
    }

    std::vector<std::filesystem::path> entries_;
    std::vector<std::filesystem::perms> modes_;
    bool made_ = false;
    std::string why_;
};
