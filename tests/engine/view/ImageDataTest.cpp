// Picture sources: which bitmap layouts reach the engine unchanged and which are redrawn, and
// the memory-mapped cache files (one per picture, checked at every step).
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "engine/view/ImageData.h"
#include "engine/view/MemoryMappedImageData.h"
#include "engine/view/UIImageData.h"

namespace {

struct Delivered {
    int calls = 0;
    uint64_t width = 0, height = 0;
    int64_t orientation = -1;
    int32_t format = -1;
    const void* pointer = nullptr;
    std::vector<uint8_t> bytes;
};

ImageData::PixelBlock Recorder(Delivered& d) {
    return [&d](uint64_t w, uint64_t h, int64_t orientation, int32_t format, const void* pixels) {
        ++d.calls;
        d.width = w, d.height = h, d.orientation = orientation, d.format = format, d.pointer = pixels;
        const auto* p = static_cast<const uint8_t*>(pixels);
        d.bytes.assign(p, p + w * h * 4);
    };
}

UIImagePtr MakeImage(std::size_t w, std::size_t h, std::size_t bpc, std::size_t bpp, std::size_t bytesPerRow,
                     CGBitmapInfo info, std::vector<uint8_t> bytes,
                     UIImageOrientation orientation = UIImageOrientation::Up, CGFloat scale = 1) {
    CGImageRef image =
        CGImageCreate(w, h, bpc, bpp, bytesPerRow, CGColorSpaceCreateDeviceRGB(), info, std::move(bytes));
    EXPECT_NE(image, nullptr);
    return UIImage::imageWithCGImage(image, scale, orientation);
}

// A caches folder of the test's own (the cache files go to $XDG_CACHE_HOME/tavorin).
class CacheFolder : public ::testing::Test {
protected:
    void SetUp() override {
        root_ =
            std::filesystem::temp_directory_path() / ("gview-cache-" + std::to_string(::getpid()) + "-" +
                                                      ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(root_);
        std::filesystem::create_directories(root_);
        const char* old = std::getenv("XDG_CACHE_HOME");
        if (old) saved_ = old;
        ::setenv("XDG_CACHE_HOME", root_.c_str(), 1);
    }
    void TearDown() override {
        if (saved_) ::setenv("XDG_CACHE_HOME", saved_->c_str(), 1);
        else ::unsetenv("XDG_CACHE_HOME");
        std::filesystem::remove_all(root_);
    }
    std::size_t FileCount() const {
        const auto folder = root_ / "tavorin";
        if (!std::filesystem::exists(folder)) return 0;
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
    }
    std::filesystem::path root_;
    std::optional<std::string> saved_;
};

}  // namespace

TEST(ImageDataTest, BaseHasNoPixels) {
    ImageData base;
    Delivered d;
    base.data(Recorder(d));
    EXPECT_EQ(d.calls, 0);
    EXPECT_FALSE(base.hasData());
    EXPECT_EQ(base.uiImage(), nullptr);
    EXPECT_EQ(UIImageData::imageDataWithUIImage(nullptr), nullptr);
}

TEST(ImageDataTest, PackedLayoutsPassThroughOthersAreRedrawn) {
    // Two pixels: red then green, opaque; each case lays them out its own way.
    struct Case {
        const char* what;
        std::size_t bpc, bpp, bytesPerRow;
        CGBitmapInfo info;
        std::vector<uint8_t> bytes;
        bool passThrough;
        int32_t format;
    };
    const std::vector<Case> cases = {
        {"RGBA, alpha last, default order",
         8,
         32,
         8,
         kCGImageAlphaPremultipliedLast,
         {255, 0, 0, 255, 0, 255, 0, 255},
         true,
         ImageData::kFormatRGBA},
        {"RGBA, alpha last, 32-bit big-endian",
         8,
         32,
         8,
         kCGImageAlphaLast | kCGBitmapByteOrder32Big,
         {255, 0, 0, 255, 0, 255, 0, 255},
         true,
         ImageData::kFormatRGBA},
        {"BGRA, alpha skipped first, 32-bit little-endian",
         8,
         32,
         8,
         kCGImageAlphaNoneSkipFirst | kCGBitmapByteOrder32Little,
         {0, 0, 255, 255, 0, 255, 0, 255},
         true,
         ImageData::kFormatBGRA},
        {"rows padded to 16 bytes",
         8,
         32,
         16,
         kCGImageAlphaPremultipliedLast,
         {255, 0, 0, 255, 0, 255, 0, 255, 9, 9, 9, 9, 9, 9, 9, 9},
         false,
         ImageData::kFormatBGRA},
        {"no alpha, 24 bits", 8, 24, 6, kCGImageAlphaNone, {255, 0, 0, 0, 255, 0}, false, ImageData::kFormatBGRA},
        {"16-bit components",
         16,
         64,
         16,
         kCGImageAlphaPremultipliedLast | kCGBitmapByteOrder16Little,
         {255, 255, 0, 0, 0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255, 255},
         false,
         ImageData::kFormatBGRA},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        UIImagePtr image = MakeImage(2, 1, c.bpc, c.bpp, c.bytesPerRow, c.info, c.bytes, UIImageOrientation::Right);
        ASSERT_NE(image, nullptr);
        auto source = UIImageData::imageDataWithUIImage(image);
        ASSERT_TRUE(source->hasData());
        EXPECT_EQ(source->uiImage(), image);
        Delivered d;
        source->data(Recorder(d));
        ASSERT_EQ(d.calls, 1);
        EXPECT_EQ(d.width, 2u);
        EXPECT_EQ(d.height, 1u);
        EXPECT_EQ(d.orientation, 3) << "orientation passed through untouched";
        EXPECT_EQ(d.format, c.format);
        EXPECT_EQ(d.pointer == image->CGImage()->data->data(), c.passThrough);
        // Whatever the route, the first pixel is red and the second green in the given order.
        const int r = c.format == ImageData::kFormatRGBA ? 0 : 2, b = 2 - r;
        EXPECT_EQ(d.bytes[r], 255);
        EXPECT_EQ(d.bytes[1], 0);
        EXPECT_EQ(d.bytes[b], 0);
        EXPECT_EQ(d.bytes[4 + 1], 255);
        EXPECT_EQ(d.bytes[4 + r], 0);
        EXPECT_EQ(d.bytes[3], 255);
    }
}

TEST(ImageDataTest, SizeIsInPointsAsTheImageReportsIt) {
    UIImagePtr image = MakeImage(4, 2, 8, 32, 16, kCGImageAlphaPremultipliedLast, std::vector<uint8_t>(32, 255),
                                 UIImageOrientation::Up, 2);
    auto source = UIImageData::imageDataWithUIImage(image);
    EXPECT_EQ(source->size().width, 2);
    EXPECT_EQ(source->size().height, 1);
    Delivered d;
    source->data(Recorder(d));
    EXPECT_EQ(d.width, 4u) << "the block gets pixels";
}

TEST_F(CacheFolder, MemoryMappedRoundTripAndOneFilePerPicture) {
    std::vector<uint8_t> first(3 * 2 * 4), second(3 * 2 * 4);
    for (std::size_t i = 0; i < first.size(); ++i)
        first[i] = static_cast<uint8_t>(i), second[i] = static_cast<uint8_t>(200 - i);
    auto a = MemoryMappedImageData::imageDataWithMemoryMappedUIImage(
        MakeImage(3, 2, 8, 32, 12, kCGImageAlphaPremultipliedLast, first, UIImageOrientation::LeftMirrored));
    auto b = MemoryMappedImageData::imageDataWithMemoryMappedImageData(
        UIImageData::imageDataWithUIImage(
            MakeImage(3, 2, 8, 32, 12, kCGImageAlphaNoneSkipFirst | kCGBitmapByteOrder32Little, second))
            .get());
    ASSERT_TRUE(a->hasData());
    ASSERT_TRUE(b->hasData());
    EXPECT_NE(a->mappedPath(), b->mappedPath()) << "each picture has its own file";
    EXPECT_EQ(FileCount(), 2u);
    EXPECT_EQ(a->size().width, 3);
    EXPECT_EQ(a->size().height, 2);
    EXPECT_EQ(a->uiImage(), nullptr);

    Delivered da, db;
    a->data(Recorder(da));
    b->data(Recorder(db));
    ASSERT_EQ(da.calls, 1);
    ASSERT_EQ(db.calls, 1);
    EXPECT_EQ(da.bytes, first) << "the second picture did not overwrite the first";
    EXPECT_EQ(db.bytes, second);
    EXPECT_EQ(da.orientation, 6);
    EXPECT_EQ(da.format, ImageData::kFormatRGBA);
    EXPECT_EQ(db.format, ImageData::kFormatBGRA);
    EXPECT_EQ(a->mappedData(), nullptr) << "mapped only while the block runs";
    EXPECT_EQ(a->mappedDataSize(), 0u);

    const std::string pathA = a->mappedPath();
    a.reset();
    EXPECT_FALSE(std::filesystem::exists(pathA));
    EXPECT_TRUE(std::filesystem::exists(b->mappedPath())) << "destroying one picture leaves the other's file";
    db = {};
    b->data(Recorder(db));
    EXPECT_EQ(db.bytes, second);
}

TEST_F(CacheFolder, MemoryMappedFailuresLeaveNoDataAndNeverCallTheBlock) {
    std::vector<uint8_t> pixels(2 * 2 * 4, 7);
    UIImagePtr image = MakeImage(2, 2, 8, 32, 8, kCGImageAlphaPremultipliedLast, pixels);

    // A caches folder that cannot be made (a file stands where it should be).
    std::ofstream(root_ / "tavorin") << "not a folder";
    auto unwritable = MemoryMappedImageData::imageDataWithMemoryMappedUIImage(image);
    ASSERT_NE(unwritable, nullptr);
    EXPECT_FALSE(unwritable->hasData());
    Delivered d;
    unwritable->data(Recorder(d));
    EXPECT_EQ(d.calls, 0);
    std::filesystem::remove(root_ / "tavorin");

    // A cache file that went away (or was cut short) after it was written.
    auto vanished = MemoryMappedImageData::imageDataWithMemoryMappedUIImage(image);
    ASSERT_TRUE(vanished->hasData());
    std::filesystem::remove(vanished->mappedPath());
    vanished->data(Recorder(d));
    EXPECT_EQ(d.calls, 0);
    EXPECT_FALSE(vanished->hasData());

    auto truncated = MemoryMappedImageData::imageDataWithMemoryMappedUIImage(image);
    std::filesystem::resize_file(truncated->mappedPath(), 5);
    truncated->data(Recorder(d));
    EXPECT_EQ(d.calls, 0);
    EXPECT_FALSE(truncated->hasData());

    // A source without pixels gives a picture without data.
    ImageData empty;
    EXPECT_FALSE(MemoryMappedImageData::imageDataWithMemoryMappedImageData(&empty)->hasData());
    EXPECT_EQ(MemoryMappedImageData::imageDataWithMemoryMappedImageData(nullptr), nullptr);
}
