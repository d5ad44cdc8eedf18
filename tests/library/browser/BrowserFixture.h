#pragma once
// A photo library in a temporary folder (its own XDG folders, temporary folder and access
// store) filled through the import, a window on the manual clock, and a browser showing the
// user library.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/ImportJob.h"
#include "library/browser/PhotoCollectionView.h"
#include "platform/authorization/AuthorizationStore.h"
#include "platform/imageio/ImageIO.h"
#include "platform/photos/PHAssetCollectionChangeRequest.h"
#include "platform/photos/PHAssetChangeRequest.h"
#include "platform/photos/PhotoBitmaps.h"
#include "support/TouchHarness.h"

namespace browsertest {

namespace fs = std::filesystem;

struct RGB {
    std::uint8_t r, g, b;
};

// A plain photo of the colour with a white marker in its upper-left corner (a tenth of each
// side), so that a turned or mirrored picture shows.
inline platform::ImageBitmap PlainPhoto(std::uint32_t w, std::uint32_t h, RGB colour) {
    auto bitmap = *platform::ImageBitmap::make(w, h);
    for (std::uint32_t y = 0; y < h; ++y)
        for (std::uint32_t x = 0; x < w; ++x) {
            const bool marker = x < w / 10 && y < h / 10;
            auto* p = bitmap.pixel(x, y);
            p[0] = marker ? 255 : colour.r;
            p[1] = marker ? 255 : colour.g;
            p[2] = marker ? 255 : colour.b;
            p[3] = 255;
        }
    return bitmap;
}

// The mean colour of a rectangle of a bitmap, 0-255 each.
inline RGB MeanColour(const platform::ImageBitmap& b, std::uint32_t x0, std::uint32_t y0, std::uint32_t w,
                      std::uint32_t h) {
    double sum[3] = {0, 0, 0};
    for (std::uint32_t y = y0; y < y0 + h; ++y)
        for (std::uint32_t x = x0; x < x0 + w; ++x)
            for (int c = 0; c < 3; ++c) sum[c] += b.pixel(x, y)[c];
    const double n = double(w) * h;
    return {static_cast<std::uint8_t>(sum[0] / n + 0.5), static_cast<std::uint8_t>(sum[1] / n + 0.5),
            static_cast<std::uint8_t>(sum[2] / n + 0.5)};
}

inline void ExpectNear(RGB actual, RGB expected, const std::string& what, int tolerance = 12) {
    EXPECT_NEAR(actual.r, expected.r, tolerance) << what;
    EXPECT_NEAR(actual.g, expected.g, tolerance) << what;
    EXPECT_NEAR(actual.b, expected.b, tolerance) << what;
}

// A real photograph of the system's wallpapers.
inline const char* kPhotograph = "/usr/share/backgrounds/Wine_by_Jakkub_Mede.jpg";

class BrowserFixture : public ::testing::Test {
public:
    void SetUp() override {
        char pattern[] = "/tmp/tavorin-browser-XXXXXX";
        root = mkdtemp(pattern);
        for (const char* var : {"XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_CONFIG_HOME", "TMPDIR"}) {
            fs::create_directories(root / var);
            ::setenv(var, (root / var).c_str(), 1);
        }
        fs::create_directories(root / "files");
        libraryPath = (root / "Library").string();
        ::setenv("TAVORIN_PHOTO_LIBRARY", libraryPath.c_str(), 1);
        AuthorizationStore::resetShared();
        AuthorizationStore::shared().setStatus(AuthorizationService::Photos, kAuthorizationAuthorized);
        PHPhotoLibrary::resetSharedPhotoLibrary();
        ui = std::make_unique<TouchHarness>();
        library = PHPhotoLibrary::sharedPhotoLibrary();
        ASSERT_TRUE(library);
        // The person allows every revert and delete; the library's question is its own tests'.
        library->setAsker([](const PHPhotoLibrary::Question&, auto answer) { answer(true); });
    }
    void TearDown() override {
        if (browser) browser->removeFromSuperview();
        browser.reset();
        pump([] { return true; });
        library.reset();
        PHPhotoLibrary::resetSharedPhotoLibrary();
        ui.reset();
        AuthorizationStore::resetShared();
        NSRunLoop::mainRunLoop().useRealClock();
        ::unsetenv("TAVORIN_PHOTO_LIBRARY");
        std::error_code ec;
        fs::remove_all(root, ec);
    }

    // Turns the main loop until the condition holds (the library works on its own queue).
    // The manual clock moves a frame at a time meanwhile, so animations (of updates, say) end.
    static bool pump(const std::function<bool()>& done) {
        auto& loop = NSRunLoop::mainRunLoop();
        const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!done()) {
            if (std::chrono::steady_clock::now() > give_up) return false;
            loop.advance(1.0 / 60);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        loop.runUntilIdle();
        return true;
    }
    // Lets every piece of work already under way finish.
    void settle() {
        for (int round = 0; round < 2; ++round) {
            dispatch_sync(library->queue(), [] {});
            pump([] { return true; });
        }
        NSRunLoop::mainRunLoop().advance(0.5);
    }

    std::string writePhoto(const std::string& name, const platform::ImageBitmap& bitmap, int exifOrientation = 1,
                           platform::ImageFileType type = platform::ImageFileType::JPEG) {
        const std::string path = (root / "files" / name).string();
        platform::ImageProperties properties;
        if (exifOrientation != 1)
            properties[platform::kCGImagePropertyOrientation] = platform::ImagePropertyValue(exifOrientation);
        platform::ImageIOError error;
        EXPECT_TRUE(platform::WriteImageFile(bitmap, type, properties, path, &error)) << error.message;
        return path;
    }
    std::string plainPhoto(const std::string& name, RGB colour, std::uint32_t w = 64, std::uint32_t h = 48) {
        return writePhoto(name, PlainPhoto(w, h, colour));
    }
    // The files imported in order, optionally into an album.
    void import(const std::vector<std::string>& paths, const std::string& album = "") {
        ImportJob::Options options;
        options.album = album;
        options.paths = paths;
        std::ostringstream out, err;
        ASSERT_EQ(ImportJob::Run(options, libraryPath, out, err), 0) << err.str();
    }

    std::shared_ptr<PHAssetCollection> album(const std::string& title) {
        auto albums = PHAssetCollection::fetchAssetCollectionsWithType(PHAssetCollectionTypeAlbum,
                                                                       PHAssetCollectionSubtypeAny, {}, library);
        for (auto& c : albums->objects())
            if (c->localizedTitle() == title) return c;
        return nullptr;
    }

    // A browser over the window showing the user library.
    void makeBrowser() {
        browser = std::make_shared<PhotoCollectionView>(ui->window->bounds());
        ui->window->addSubview(browser);
        browser->setPhotoCollectionAssetsSavedPhotosGroup();
        pump([] { return true; });
    }

    // The identifiers the browser shows, in display order.
    std::vector<std::string> shown() const {
        std::vector<std::string> ids;
        for (std::size_t i = 0; i < browser->numberOfAssets(); ++i)
            ids.push_back(browser->assetAtIndexPath(NSIndexPath::indexPathForItem(long(i), 0))->localIdentifier());
        return ids;
    }
    PHAssetPtr asset(const std::string& id) const {
        return PHAsset::fetchAssetsWithLocalIdentifiers({id}, {}, library)->firstObject();
    }
    PHAssetPtr assetShown(long item) const { return browser->assetAtIndexPath(NSIndexPath::indexPathForItem(item, 0)); }
    std::optional<photos::AssetRecord> record(const std::string& id) const { return library->store().asset(id); }

    // Opens the photo for editing and waits for its input.
    std::pair<UIImagePtr, std::optional<std::string>> beginEditing(long item) {
        // Shared with the answer, which may come after a failed wait.
        auto result = std::make_shared<std::pair<UIImagePtr, std::optional<std::string>>>();
        auto answers = std::make_shared<int>(0);
        browser->beginEditingAssetAtIndexPath(NSIndexPath::indexPathForItem(item, 0),
                                              [result, answers](UIImagePtr image, auto data) {
                                                  ++*answers;
                                                  *result = {image, data};
                                              });
        EXPECT_TRUE(pump([&] { return *answers > 0; }));
        EXPECT_EQ(*answers, 1) << "the input is answered once";
        return *result;
    }

    fs::path root;
    std::string libraryPath;
    std::unique_ptr<TouchHarness> ui;
    std::shared_ptr<PHPhotoLibrary> library;
    std::shared_ptr<PhotoCollectionView> browser;
};

// Counts the answers of a completion and keeps the last.
template <class... Args>
struct Answers {
    int count = 0;
    std::tuple<Args...> last{};
    auto block() {
        return [this](Args... args) {
            ++count;
            last = std::tuple<Args...>(args...);
        };
    }
};

}  // namespace browsertest
