// Thumbnails: exact sizes for fit and fill under every kind of source, never stale after an
// edit, rebuilt when the disk entry is corrupt, and a degraded cached picture first.
#include <sys/stat.h>

#include <fstream>

#include "PhotoLibraryFixture.h"
#include "platform/photos/PHCachingImageManager.h"
#include "platform/photos/ThumbnailCache.h"

namespace phototest {
namespace {

class ThumbnailTest : public PhotoLibraryFixture {
public:
    // The picture of a synchronous request.
    UIImagePtr picture(const PHAsset& a, CGSize size, int mode) {
        UIImagePtr image;
        PHImageRequestOptions o;
        o.synchronous = true;
        PHImageManager::defaultManager().requestImageForAsset(a, size, mode, o,
                                                              [&](UIImagePtr i, const PHImageInfo&) { image = i; });
        return image;
    }
};

double redOf(const UIImagePtr& image) {
    return CGImageGetPixel(image->CGImage(), CGImageGetWidth(image->CGImage()) / 2,
                           CGImageGetHeight(image->CGImage()) / 2)
        .r;
}

TEST_F(ThumbnailTest, ThumbnailsAreExactInSize) {
    struct Case {
        std::uint32_t w, h;
        int orientation;
        CGSize target;
        int mode;
        CGSize expected;
    } cases[] = {
        {64, 48, 1, {32, 32}, PHImageContentModeAspectFit, {32, 24}},
        {64, 48, 1, {32, 32}, PHImageContentModeAspectFill, {32, 32}},
        {64, 48, 1, {17, 50}, PHImageContentModeAspectFill, {17, 50}},
        {40, 20, 6, {10, 10}, PHImageContentModeAspectFit, {5, 10}},  // stored sideways
        {40, 20, 6, {30, 12}, PHImageContentModeAspectFill, {30, 12}},
        {30, 20, 1, {300, 300}, PHImageContentModeAspectFit, {30, 20}},  // never enlarged when fitting
        {500, 400, 1, {100, 80}, PHImageContentModeAspectFit, {100, 80}},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h) + " o" + std::to_string(c.orientation) + " -> " +
                     std::to_string(c.target.width) + "x" + std::to_string(c.target.height) + " mode " +
                     std::to_string(c.mode));
        platform::ImageProperties p;
        p["Orientation"] = c.orientation;
        static int n = 0;
        ++n;
        auto a = asset(add(
            WriteImage(file("t" + std::to_string(n) + ".jpg"), c.w, c.h, 10 + n, platform::ImageFileType::JPEG, p)));
        auto image = picture(*a, c.target, c.mode);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->size().width, c.expected.width);
        EXPECT_EQ(image->size().height, c.expected.height);
    }
}

TEST_F(ThumbnailTest, AnEditIsNeverHiddenByAnOlderThumbnail) {
    const std::string id = addNew(64, 48, 20);
    auto a = asset(id);
    EXPECT_LT(redOf(picture(*a, {16, 16}, PHImageContentModeAspectFill)), 0.3);
    ASSERT_TRUE(save(*a, *output(*a, 240, "bright")));
    EXPECT_GT(redOf(picture(*asset(id), {16, 16}, PHImageContentModeAspectFill)), 0.8);
    ASSERT_TRUE(library->performChangesAndWait(
        [&] { PHAssetChangeRequest::changeRequestForAsset(*asset(id))->revertAssetToOriginal(); }, nullptr));
    EXPECT_LT(redOf(picture(*asset(id), {16, 16}, PHImageContentModeAspectFill)), 0.3);
}

TEST_F(ThumbnailTest, ACorruptDiskEntryIsRebuilt) {
    auto a = asset(addNew(64, 48, 200));
    ASSERT_TRUE(picture(*a, {16, 16}, PHImageContentModeAspectFill));
    const ThumbnailCache::Key key{a->localIdentifier(), a->record().revision, 16, 16, ThumbnailCache::Mode::AspectFill};
    const std::string entry = library->thumbnails().diskPath(key);
    ASSERT_TRUE(fs::exists(entry));
    const auto size = fs::file_size(entry);
    {
        std::fstream f(entry, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(static_cast<std::streamoff>(size - 10));
        f.write("XXXXXXXXXX", 10);
    }
    library->thumbnails().clearMemory();
    auto rebuilt = picture(*a, {16, 16}, PHImageContentModeAspectFill);
    ASSERT_TRUE(rebuilt);
    EXPECT_GT(redOf(rebuilt), 0.7);
    EXPECT_EQ(fs::file_size(entry), size);
    library->thumbnails().clearMemory();
    EXPECT_TRUE(library->thumbnails().thumbnail(key, "/nonexistent"));  // read back from the mended entry

    // A named pipe in the entry's place: rebuilt at once, never waited on.
    fs::remove(entry);
    ASSERT_EQ(::mkfifo(entry.c_str(), 0644), 0);
    library->thumbnails().clearMemory();
    ASSERT_TRUE(picture(*a, {16, 16}, PHImageContentModeAspectFill));
    EXPECT_TRUE(fs::is_regular_file(entry));
}

TEST_F(ThumbnailTest, AnOpportunisticRequestGetsACachedPictureFirst) {
    auto a = asset(addNew(64, 48, 100));
    ASSERT_TRUE(picture(*a, {8, 8}, PHImageContentModeAspectFill));
    std::vector<std::pair<bool, CGFloat>> answers;  // degraded, width
    PHImageManager::defaultManager().requestImageForAsset(
        *a, {32, 32}, PHImageContentModeAspectFill, {},
        [&](UIImagePtr i, const PHImageInfo& info) { answers.emplace_back(info.degraded, i->size().width); });
    ASSERT_TRUE(PumpUntil([&] { return answers.size() == 2; }));
    EXPECT_EQ(answers[0], std::make_pair(true, CGFloat(8)));
    EXPECT_EQ(answers[1], std::make_pair(false, CGFloat(32)));
}

TEST_F(ThumbnailTest, CachingAheadFillsTheMemoryCache) {
    std::vector<PHAssetPtr> assets = {asset(addNew(64, 48, 10)), asset(addNew(48, 64, 20))};
    PHCachingImageManager manager;
    manager.startCachingImagesForAssets(assets, {24, 24}, PHImageContentModeAspectFill, {});
    for (auto& a : assets) {
        const ThumbnailCache::Key key{a->localIdentifier(), a->record().revision, 24, 24,
                                      ThumbnailCache::Mode::AspectFill};
        EXPECT_TRUE(PumpUntil([&] { return library->thumbnails().cached(key) != nullptr; }));
    }
}

TEST_F(ThumbnailTest, TheDiskCacheIsTrimmedOldestFirst) {
    const std::string folder = (root / "trim").string();
    fs::create_directories(folder + "/ab");
    for (int i = 0; i < 4; ++i) {
        const std::string path = folder + "/ab/" + std::to_string(i) + ".thumb";
        std::ofstream(path) << std::string(1000, 'x');
        fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(10 - i));
    }
    ThumbnailCache cache(folder, 1 << 20, 2500);
    EXPECT_FALSE(fs::exists(folder + "/ab/0.thumb"));
    EXPECT_FALSE(fs::exists(folder + "/ab/1.thumb"));
    EXPECT_TRUE(fs::exists(folder + "/ab/2.thumb"));
    EXPECT_TRUE(fs::exists(folder + "/ab/3.thumb"));
}

}  // namespace
}  // namespace phototest
