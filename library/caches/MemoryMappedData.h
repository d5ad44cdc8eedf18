#pragma once
// A block of memory kept in a file of the caches folder and reached through a shared,
// writable mapping of it, so a large buffer stays out of the process's ordinary memory. A
// class-wide registry finds the object that owns a mapped address; it holds each mapped
// object (so a mapped buffer lives until unmapped) and is discarded when it empties.
//
// Each instance has a file of its own (cachedData-XXXXXX.txt in the caches folder, created
// when missing), sized in 64 bits with posix_fallocate so the space is there before anyone
// writes through the mapping. Every step is checked: a buffer that cannot be made gives no
// instance, and a file whose length no longer matches is not mapped. The file holds the raw
// bytes only and is deleted with the instance.
//
// Used from one thread (no lock), like the registry.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class MemoryMappedData : public std::enable_shared_from_this<MemoryMappedData> {
public:
    // Null when the folder, the file or its space cannot be had.
    static std::shared_ptr<MemoryMappedData> memoryMappedDataWithSize(std::uint64_t size);
    // The object whose mapping starts at the address, or null.
    static std::shared_ptr<MemoryMappedData> cachedMemoryMappedDataForData(const void* data);
    // Whether the registry exists (it does only while something is mapped).
    static bool hasRegistry();
    // How the file's space is reserved (posix_fallocate); tests may reserve sparsely instead.
    using Allocator = std::function<int(int fd, std::uint64_t size)>;
    static void setAllocatorForTesting(Allocator allocator);

    ~MemoryMappedData();
    MemoryMappedData(const MemoryMappedData&) = delete;
    MemoryMappedData& operator=(const MemoryMappedData&) = delete;

    // The start of the mapping (made on first use); null when the file cannot be mapped.
    void* map();
    void unmap();

    const std::string& dataPath() const { return dataPath_; }
    void* mappedData() const { return mappedData_; }
    std::uint64_t mappedDataSize() const { return mappedDataSize_; }
    std::uint64_t size() const { return size_; }

private:
    MemoryMappedData() = default;

    std::string dataPath_;
    void* mappedData_ = nullptr;
    std::uint64_t mappedDataSize_ = 0;
    std::uint64_t size_ = 0;
};
