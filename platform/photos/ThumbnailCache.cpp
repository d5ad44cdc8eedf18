#include "platform/photos/ThumbnailCache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <vector>

#include "platform/foundation/NSPathUtilities.h"
#include "platform/photos/PhotoStore.h"

namespace fs = std::filesystem;

namespace {

constexpr char kMagic[4] = {'T', 'V', 'T', 'H'};
constexpr std::size_t kHeader = 4 + 4 + 4 + 8;

std::uint64_t checksum(const std::vector<std::uint8_t>& bytes) {
    std::uint64_t h = 1469598103934665603ull;
    for (auto b : bytes) h = (h ^ b) * 1099511628211ull;
    return h;
}

// The centred part of the bitmap with the aspect of w:h.
platform::ImageBitmap cropToAspect(const platform::ImageBitmap& b, std::uint32_t w, std::uint32_t h) {
    std::uint32_t cw = b.width, ch = b.height;
    if (std::uint64_t{b.width} * h > std::uint64_t{b.height} * w)
        cw = std::max<std::uint32_t>(1, static_cast<std::uint32_t>(std::llround(double(b.height) * w / h)));
    else ch = std::max<std::uint32_t>(1, static_cast<std::uint32_t>(std::llround(double(b.width) * h / w)));
    cw = std::min(cw, b.width), ch = std::min(ch, b.height);
    const std::uint32_t x0 = (b.width - cw) / 2, y0 = (b.height - ch) / 2;
    platform::ImageBitmap out{cw, ch, b.format, std::vector<std::uint8_t>(std::size_t{cw} * ch * 4)};
    for (std::uint32_t y = 0; y < ch; ++y) std::memcpy(out.pixel(0, y), b.pixel(x0, y0 + y), std::size_t{cw} * 4);
    return out;
}

}  // namespace

std::string ThumbnailCache::Key::text() const {
    return uuid + ".r" + std::to_string(revision) + "." + std::to_string(width) + "x" + std::to_string(height) +
           (mode == Mode::AspectFill ? ".fill" : ".fit");
}

std::string ThumbnailCache::standardFolder() {
    return NSSearchPathForDirectory(NSSearchPathDirectory::Caches) + "/thumbnails";
}

ThumbnailCache::ThumbnailCache(std::string folder, std::size_t memoryBytes, std::uint64_t diskBytes)
    : folder_(std::move(folder)), memoryLimit_(memoryBytes) {
    trimDisk(diskBytes);
}

std::string ThumbnailCache::diskPath(const Key& key) const {
    return folder_ + "/" + key.uuid.substr(0, 2) + "/" + key.text() + ".thumb";
}

std::optional<platform::ImageBitmap> ThumbnailCache::build(const std::string& path, std::uint32_t width,
                                                           std::uint32_t height, Mode mode,
                                                           platform::ImageIOError* error) {
    if (width == 0 || height == 0) return std::nullopt;
    auto source = platform::ImageSource::createWithFile(path, error);
    if (!source) return std::nullopt;
    const bool swap = platform::ImageOrientationSwapsSize(source->imageOrientation(0));
    const double W = swap ? source->pixelHeight(0) : source->pixelWidth(0);
    const double H = swap ? source->pixelWidth(0) : source->pixelHeight(0);
    const double scale = mode == Mode::AspectFill ? std::max(width / W, height / H) : std::min(width / W, height / H);
    // Decoded at the smallest scale that still covers the target (never above full size).
    const auto side = static_cast<std::uint32_t>(std::min(std::max(W, H), std::ceil(std::max(W, H) * scale)));
    auto decoded = source->createThumbnailAtIndex(0, std::max<std::uint32_t>(side, 1), platform::ImagePixelFormat::RGBA,
                                                  true, error);
    if (!decoded) return std::nullopt;
    if (mode == Mode::AspectFill) {
        platform::ImageBitmap cropped = cropToAspect(*decoded, width, height);
        return platform::ResizeImageBitmap(cropped, width, height);
    }
    const auto w = std::max<std::uint32_t>(1, static_cast<std::uint32_t>(std::lround(W * std::min(scale, 1.0))));
    const auto h = std::max<std::uint32_t>(1, static_cast<std::uint32_t>(std::lround(H * std::min(scale, 1.0))));
    if (decoded->width == w && decoded->height == h) return decoded;
    return platform::ResizeImageBitmap(*decoded, w, h);
}

ThumbnailCache::Picture ThumbnailCache::cached(const Key& key) {
    std::lock_guard lock(mutex_);
    auto it = index_.find(key.text());
    if (it == index_.end()) return nullptr;
    lru_.splice(lru_.begin(), lru_, it->second);
    return it->second->second;
}

ThumbnailCache::Picture ThumbnailCache::anyCached(const std::string& uuid, std::int64_t revision) {
    const std::string prefix = uuid + ".r" + std::to_string(revision) + ".";
    std::lock_guard lock(mutex_);
    for (auto& [key, picture] : lru_)
        if (key.starts_with(prefix)) return picture;
    return nullptr;
}

void ThumbnailCache::remember(const std::string& key, Picture picture) {
    std::lock_guard lock(mutex_);
    if (auto it = index_.find(key); it != index_.end()) {
        memoryUsed_ -= it->second->second->pixels.size();
        lru_.erase(it->second);
        index_.erase(it);
    }
    memoryUsed_ += picture->pixels.size();
    lru_.emplace_front(key, std::move(picture));
    index_[key] = lru_.begin();
    while (memoryUsed_ > memoryLimit_ && lru_.size() > 1) {
        memoryUsed_ -= lru_.back().second->pixels.size();
        index_.erase(lru_.back().first);
        lru_.pop_back();
    }
}

std::size_t ThumbnailCache::memoryBytes() const {
    std::lock_guard lock(mutex_);
    return memoryUsed_;
}

void ThumbnailCache::clearMemory() {
    std::lock_guard lock(mutex_);
    lru_.clear();
    index_.clear();
    memoryUsed_ = 0;
}

ThumbnailCache::Picture ThumbnailCache::readDisk(const Key& key) const {
    const std::string path = diskPath(key);
    // Without blocking, and only a regular file: a FIFO put in its place would wait forever.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    std::uint8_t header[kHeader];
    Picture result;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
        ::read(fd, header, kHeader) == static_cast<ssize_t>(kHeader) && std::memcmp(header, kMagic, 4) == 0) {
        std::uint32_t w, h;
        std::uint64_t sum;
        std::memcpy(&w, header + 4, 4), std::memcpy(&h, header + 8, 4), std::memcpy(&sum, header + 12, 8);
        const bool fits =
            key.mode == Mode::AspectFit ? (w <= key.width && h <= key.height) : (w == key.width && h == key.height);
        {
            const std::size_t bytes = std::size_t{w} * h * 4;
            if (w && h && fits) {
                platform::ImageBitmap b{w, h, platform::ImagePixelFormat::RGBA, std::vector<std::uint8_t>(bytes)};
                if (::read(fd, b.pixels.data(), bytes) == static_cast<ssize_t>(bytes) && checksum(b.pixels) == sum)
                    result = std::make_shared<const platform::ImageBitmap>(std::move(b));
            }
        }
    }
    ::close(fd);
    if (result) ::utimensat(AT_FDCWD, path.c_str(), nullptr, 0);  // recently used, for the trim
    return result;
}

void ThumbnailCache::writeDisk(const Key& key, const platform::ImageBitmap& picture) const {
    const std::string path = diskPath(key);
    std::error_code ec;
    fs::create_directories(fs::path(path).parent_path(), ec);
    const std::string temp = path + ".tmp-" + photos::MakeUUID();
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return;
    std::uint8_t header[kHeader];
    const std::uint64_t sum = checksum(picture.pixels);
    std::memcpy(header, kMagic, 4), std::memcpy(header + 4, &picture.width, 4);
    std::memcpy(header + 8, &picture.height, 4), std::memcpy(header + 12, &sum, 8);
    bool ok = ::write(fd, header, kHeader) == static_cast<ssize_t>(kHeader) &&
              ::write(fd, picture.pixels.data(), picture.pixels.size()) == static_cast<ssize_t>(picture.pixels.size());
    ok = ::close(fd) == 0 && ok;
    if (!ok || ::rename(temp.c_str(), path.c_str()) != 0) ::unlink(temp.c_str());
}

ThumbnailCache::Picture ThumbnailCache::thumbnail(const Key& key, const std::string& sourcePath,
                                                  platform::ImageIOError* error) {
    if (Picture p = cached(key)) return p;
    Picture picture = readDisk(key);
    if (!picture) {
        auto built = build(sourcePath, key.width, key.height, key.mode, error);
        if (!built) return nullptr;
        writeDisk(key, *built);
        picture = std::make_shared<const platform::ImageBitmap>(std::move(*built));
    }
    remember(key.text(), picture);
    return picture;
}

void ThumbnailCache::trimDisk(std::uint64_t limit) {
    struct Entry {
        fs::path path;
        std::uint64_t size;
        fs::file_time_type used;
    };
    std::vector<Entry> entries;
    std::uint64_t total = 0;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder_, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        if (!it->is_regular_file(ec)) continue;
        Entry e{it->path(), it->file_size(ec), it->last_write_time(ec)};
        if (e.path.filename().string().find(".tmp-") != std::string::npos) {
            fs::remove(e.path, ec);  // a write that never finished
            continue;
        }
        total += e.size;
        entries.push_back(std::move(e));
    }
    if (total <= limit) return;
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.used < b.used; });
    for (auto& e : entries) {
        if (total <= limit) break;
        if (fs::remove(e.path, ec)) total -= e.size;
    }
}
