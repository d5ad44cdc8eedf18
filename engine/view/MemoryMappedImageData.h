#pragma once
// A picture whose pixels are parked in a memory-mapped cache file: they stay out of memory
// between uses and are paged in only while a `data` block runs. Each instance has a file of
// its own in the user's caches folder (raw pixel block, no header; size, orientation and
// format live in the object), deleted when the instance goes away.
//
// When the pixels cannot be written (or the file later cannot be opened or mapped) the
// instance has no data: `hasData` is false and `data` does not call its block.
#include <cstdint>
#include <memory>
#include <string>

#include "engine/view/ImageData.h"

class MemoryMappedImageData : public ImageData {
public:
    // Copies the source's pixel block into a new cache file. Null when the source is null;
    // an instance without data when the source gave no pixels or the file could not be written.
    static std::shared_ptr<MemoryMappedImageData> imageDataWithMemoryMappedImageData(const ImageData* source);
    static std::shared_ptr<MemoryMappedImageData> imageDataWithMemoryMappedUIImage(const UIImagePtr& image);

    MemoryMappedImageData() = default;
    ~MemoryMappedImageData() override;

    const std::string& mappedPath() const { return mappedPath_; }
    const void* mappedData() const { return mappedData_; }
    uint64_t mappedDataSize() const { return mappedDataSize_; }
    int64_t imageOrientation() const { return imageOrientation_; }
    int32_t format() const { return format_; }

    bool hasData() const override { return !mappedPath_.empty() && !unreadable_; }
    UIImagePtr uiImage() const override { return nullptr; }
    // Maps the file, calls the block with the pixels, unmaps.
    void data(const PixelBlock& block) const override;

    // Writes `size` bytes at `pixels` to a new cache file of this instance (replacing its
    // previous one). False, with no file kept, when any step fails.
    bool serializeMappedData(const void* pixels, uint64_t size);
    // Maps the file read-only (once); null when it cannot be opened or mapped, or its size is
    // not what was written.
    const void* mapData() const;
    void unmapData() const;
    // Orientation code and pixel format of the stored block.
    void setLayout(int64_t orientation, int32_t format);

private:
    void removeFile();

    std::string mappedPath_;
    uint64_t expectedSize_ = 0;
    mutable void* mappedData_ = nullptr;
    mutable uint64_t mappedDataSize_ = 0;
    mutable bool unreadable_ = false;  // the file could not be mapped again
    int64_t imageOrientation_ = 0;
    int32_t format_ = kFormatBGRA;
};
