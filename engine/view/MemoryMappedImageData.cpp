#include "engine/view/MemoryMappedImageData.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <system_error>
#include <vector>

#include "engine/view/UIImageData.h"
#include "platform/foundation/NSPathUtilities.h"

namespace {

// Writes every byte, retrying short writes and interruptions.
bool WriteAll(int fd, const uint8_t* bytes, uint64_t size) {
    while (size > 0) {
        const size_t chunk = static_cast<size_t>(std::min<uint64_t>(size, 1u << 30));
        const ssize_t n = ::write(fd, bytes, chunk);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) return false;
        bytes += n;
        size -= static_cast<uint64_t>(n);
    }
    return true;
}

std::shared_ptr<MemoryMappedImageData> FromBlock(const std::function<void(const ImageData::PixelBlock&)>& produce) {
    auto result = std::make_shared<MemoryMappedImageData>();
    MemoryMappedImageData* target = result.get();
    produce([target](uint64_t width, uint64_t height, int64_t orientation, int32_t format, const void* pixels) {
        // Pixel counts that overflow 64 bits cannot be real pictures.
        if (width != 0 && height > std::numeric_limits<uint64_t>::max() / 4 / width) return;
        target->setSize(CGSizeMake(static_cast<CGFloat>(width), static_cast<CGFloat>(height)));
        target->setLayout(orientation, format);
        target->serializeMappedData(pixels, width * height * 4);
    });
    return result;
}

}  // namespace

std::shared_ptr<MemoryMappedImageData> MemoryMappedImageData::imageDataWithMemoryMappedImageData(
    const ImageData* source) {
    if (!source) return nullptr;
    return FromBlock([source](const PixelBlock& block) {
        if (source->hasData()) source->data(block);
    });
}

std::shared_ptr<MemoryMappedImageData> MemoryMappedImageData::imageDataWithMemoryMappedUIImage(
    const UIImagePtr& image) {
    if (!image) return nullptr;
    return FromBlock([&image](const PixelBlock& block) { UIImageData::dataForImage(block, *image); });
}

MemoryMappedImageData::~MemoryMappedImageData() {
    unmapData();
    removeFile();
}

void MemoryMappedImageData::removeFile() {
    if (mappedPath_.empty()) return;
    std::error_code ignored;
    std::filesystem::remove(mappedPath_, ignored);
    mappedPath_.clear();
    expectedSize_ = 0;
}

bool MemoryMappedImageData::serializeMappedData(const void* pixels, uint64_t size) {
    unmapData();
    removeFile();
    if (!pixels || size == 0) return false;
    const std::string folder = NSSearchPathForDirectory(NSSearchPathDirectory::Caches);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    // A name of its own, so that two pictures never share (or truncate) one file.
    std::string path = folder + "/cachedImage-XXXXXX.txt";
    std::vector<char> name(path.begin(), path.end());
    name.push_back('\0');
    const int fd = ::mkstemps(name.data(), 4);
    if (fd < 0) {
        std::fprintf(stderr, "MemoryMappedImageData: cannot create a cache file in %s: %s\n", folder.c_str(),
                     std::strerror(errno));
        return false;
    }
    path.assign(name.data());
    const bool written = WriteAll(fd, static_cast<const uint8_t*>(pixels), size);
    const bool closed = ::close(fd) == 0;
    if (!written || !closed) {
        std::fprintf(stderr, "MemoryMappedImageData: cannot write %s\n", path.c_str());
        std::filesystem::remove(path, error);
        return false;
    }
    mappedPath_ = path;
    expectedSize_ = size;
    unreadable_ = false;
    return true;
}

void MemoryMappedImageData::setLayout(int64_t orientation, int32_t format) {
    imageOrientation_ = orientation;
    format_ = format;
}

const void* MemoryMappedImageData::mapData() const {
    if (mappedData_) return mappedData_;
    if (mappedPath_.empty()) return nullptr;
    const int fd = ::open(mappedPath_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        unreadable_ = true;
        return nullptr;
    }
    struct stat info {};
    void* address = MAP_FAILED;
    if (::fstat(fd, &info) == 0 && info.st_size > 0 && static_cast<uint64_t>(info.st_size) == expectedSize_ &&
        expectedSize_ <= std::numeric_limits<size_t>::max())
        address = ::mmap(nullptr, static_cast<size_t>(expectedSize_), PROT_READ, MAP_PRIVATE, fd, 0);
    ::close(fd);
    if (address == MAP_FAILED) {
        unreadable_ = true;
        return nullptr;
    }
    mappedData_ = address;
    mappedDataSize_ = expectedSize_;
    return mappedData_;
}

void MemoryMappedImageData::unmapData() const {
    if (!mappedData_) return;
    ::munmap(mappedData_, static_cast<size_t>(mappedDataSize_));
    mappedData_ = nullptr;
    mappedDataSize_ = 0;
}

void MemoryMappedImageData::data(const PixelBlock& block) const {
    if (!block) return;
    const void* pixels = mapData();
    if (!pixels) return;
    const CGSize s = size();
    block(static_cast<uint64_t>(s.width), static_cast<uint64_t>(s.height), imageOrientation_, format_, pixels);
    unmapData();
}
