#pragma once
// A file written whole or not at all: the bytes go to a temporary file beside the target
// ("name.ext.XXXXXX", the name shortened where the folder's limit on names asks it), which
// is flushed to the disk and renamed over the target only once
// complete, and the folder is flushed after the rename so that the new name survives a power
// cut. Until then the temporary file is removed by the destructor, and also when the process
// is stopped by SIGINT or SIGTERM in the middle of the write (the signal then takes its
// course: the handler that was there before, or the default end of the process).
//
// Test hook: with TAVORIN_TEST_PAUSE_AT_WRITE set in the environment, a write stops once its
// bytes are in the temporary file, announces "paused at the write of PATH" on standard error
// and waits for a signal, so that a test can stop the process at exactly that point.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/imageio/ImageIO.h"

namespace platform::imageio_detail {

class TemporaryFile {
public:
    // Creates the temporary file beside `target`; check ok() (error says why not). A target
    // whose name is too long for its folder, or that is a FIFO, device, socket or folder, is
    // refused here, before any byte is written.
    TemporaryFile(const std::string& target, ImageIOError* error);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    bool ok() const { return fd_ >= 0; }
    // Writes the bytes, flushes them and renames the file over the target. False (with the
    // reason, the target named once) when the target was left as it was.
    bool commit(const std::vector<std::uint8_t>& bytes, ImageIOError* error);

private:
    void fail(int code, ImageIOError* error) const;

    std::string target_;
    std::string path_;
    int fd_ = -1;
    int slot_ = -1;         // the entry the signal handler removes, or -1
    bool pending_ = false;  // the temporary file exists and is not yet the target
};

// Whether the file could be written now (see CheckImageFileWritable).
bool checkWritable(const std::string& path, ImageIOError* error);
// The whole write in one call.
bool writeFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes, ImageIOError* error);

}  // namespace platform::imageio_detail
