#pragma once
// Thumbnails of the library's assets, exact in size: a scaled decode of the current content,
// turned upright, then fitted inside the target (aspect fit) or filling it exactly (aspect
// fill, centred crop).
//
// Kept in memory (an LRU of 64 MB) keyed by (uuid, revision, size, mode), and on disk in
// $XDG_CACHE_HOME/tavorin/thumbnails under the same key, written atomically (a temporary file
// renamed into place) with a checksum: an entry that does not check out is rebuilt. A new
// revision is a new key, so an edit never shows a stale thumbnail. The disk cache is trimmed
// to 256 MB (least recently used first) when the cache is made.
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

#include "platform/imageio/ImageIO.h"

class ThumbnailCache {
public:
    enum class Mode { AspectFit = 0, AspectFill = 1 };
    struct Key {
        std::string uuid;
        std::int64_t revision = 0;
        std::uint32_t width = 0, height = 0;
        Mode mode = Mode::AspectFit;
        std::string text() const;
    };
    using Picture = std::shared_ptr<const platform::ImageBitmap>;

    static constexpr std::size_t kMemoryBytes = 64u << 20;
    static constexpr std::uint64_t kDiskBytes = 256ull << 20;

    static std::string standardFolder();
    explicit ThumbnailCache(std::string folder, std::size_t memoryBytes = kMemoryBytes,
                            std::uint64_t diskBytes = kDiskBytes);

    // From memory, else from disk, else built from the file at `sourcePath`; null (with the
    // reason) when the file cannot be decoded.
    Picture thumbnail(const Key& key, const std::string& sourcePath, platform::ImageIOError* error = nullptr);
    // In memory only.
    Picture cached(const Key& key);
    // Any picture of this revision in memory (another size), for a quick degraded answer.
    Picture anyCached(const std::string& uuid, std::int64_t revision);
    void trimDisk(std::uint64_t limit);
    void clearMemory();
    std::size_t memoryBytes() const;
    std::string diskPath(const Key& key) const;

    // The picture at `path` in the exact size of the key's target and mode.
    static std::optional<platform::ImageBitmap> build(const std::string& path, std::uint32_t width,
                                                      std::uint32_t height, Mode mode,
                                                      platform::ImageIOError* error = nullptr);

private:
    void remember(const std::string& key, Picture picture);
    Picture readDisk(const Key& key) const;
    void writeDisk(const Key& key, const platform::ImageBitmap& picture) const;

    std::string folder_;
    std::size_t memoryLimit_;
    mutable std::mutex mutex_;
    std::size_t memoryUsed_ = 0;
    std::list<std::pair<std::string, Picture>> lru_;  // most recent first
    std::unordered_map<std::string, std::list<std::pair<std::string, Picture>>::iterator> index_;
};
