#include "library/caches/MemoryMappedData.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <map>

#include "platform/foundation/NSPathUtilities.h"

namespace {

using Registry = std::map<const void*, std::shared_ptr<MemoryMappedData>>;
std::unique_ptr<Registry> registry;

MemoryMappedData::Allocator& allocator() {
    static MemoryMappedData::Allocator a = [](int fd, std::uint64_t size) {
        return ::posix_fallocate(fd, 0, static_cast<off_t>(size));
    };
    return a;
}

void report(const std::string& what, int error) {
    std::fprintf(stderr, "tavorin: memory-mapped buffer: %s: %s\n", what.c_str(), std::strerror(error));
}

}  // namespace

void MemoryMappedData::setAllocatorForTesting(Allocator a) {
    allocator() = a ? std::move(a)
                    : [](int fd, std::uint64_t size) { return ::posix_fallocate(fd, 0, static_cast<off_t>(size)); };
}

std::shared_ptr<MemoryMappedData> MemoryMappedData::memoryMappedDataWithSize(std::uint64_t size) {
    if (size == 0 || size > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) return nullptr;
    const std::string folder = NSSearchPathForDirectory(NSSearchPathDirectory::Caches);
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) return report(folder, ec.value()), nullptr;
    std::string path = folder + "/cachedData-XXXXXX.txt";
    const int fd = ::mkstemps(path.data(), 4);
    if (fd < 0) return report(path, errno), nullptr;
    const int error = allocator()(fd, size);
    const bool closed = ::close(fd) == 0;
    if (error != 0 || !closed) {
        report(path, error ? error : errno);
        ::unlink(path.c_str());
        return nullptr;
    }
    std::shared_ptr<MemoryMappedData> data(new MemoryMappedData);
    data->dataPath_ = path;
    data->size_ = size;
    return data;
}

MemoryMappedData::~MemoryMappedData() {
    unmap();
    ::unlink(dataPath_.c_str());
}

void* MemoryMappedData::map() {
    if (mappedData_) return mappedData_;
    const int fd = ::open(dataPath_.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return report(dataPath_, errno), nullptr;
    struct stat st {};
    void* address = MAP_FAILED;
    if (::fstat(fd, &st) != 0) {
        report(dataPath_, errno);
    } else if (static_cast<std::uint64_t>(st.st_size) != size_) {
        std::fprintf(stderr, "tavorin: memory-mapped buffer: %s changed length\n", dataPath_.c_str());
    } else {
        address = ::mmap(nullptr, static_cast<std::size_t>(size_), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (address == MAP_FAILED) report(dataPath_, errno);
    }
    ::close(fd);  // the mapping stays
    if (address == MAP_FAILED) return nullptr;
    mappedData_ = address;
    mappedDataSize_ = size_;
    if (!registry) registry = std::make_unique<Registry>();
    (*registry)[address] = shared_from_this();
    return address;
}

void MemoryMappedData::unmap() {
    if (!mappedData_) return;
    void* address = mappedData_;
    const std::uint64_t length = mappedDataSize_;
    mappedData_ = nullptr;
    mappedDataSize_ = 0;
    ::munmap(address, static_cast<std::size_t>(length));
    if (registry) {
        // Taken out before the entry goes: the entry may hold the last reference to this object.
        auto node = registry->extract(address);
        if (registry->empty()) registry.reset();
    }
}

std::shared_ptr<MemoryMappedData> MemoryMappedData::cachedMemoryMappedDataForData(const void* data) {
    if (!registry) return nullptr;
    auto it = registry->find(data);
    return it == registry->end() ? nullptr : it->second;
}

bool MemoryMappedData::hasRegistry() { return registry != nullptr; }
