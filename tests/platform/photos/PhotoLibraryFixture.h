#pragma once
// A temporary photo library with its own XDG folders and access store, the main run loop on
// the manual clock, and small real image files to add.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "platform/authorization/AuthorizationStore.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/imageio/ImageIO.h"
#include "platform/photos/PHAsset.h"
#include "platform/photos/PHAssetChangeRequest.h"
#include "platform/photos/PHContentEditingInput.h"
#include "platform/photos/PHContentEditingOutput.h"
#include "platform/photos/PHPhotoLibrary.h"

namespace phototest {

namespace fs = std::filesystem;

// Writes a JPEG (or another type) of one colour, with optional EXIF orientation and metadata.
inline std::string WriteImage(const std::string& path, std::uint32_t w, std::uint32_t h, std::uint8_t shade,
                              platform::ImageFileType type = platform::ImageFileType::JPEG,
                              platform::ImageProperties properties = {}) {
    auto bitmap = platform::ImageBitmap::make(w, h);
    for (std::size_t i = 0; i < bitmap->pixels.size(); i += 4) {
        bitmap->pixels[i] = shade;
        bitmap->pixels[i + 1] = static_cast<std::uint8_t>(255 - shade);
        bitmap->pixels[i + 2] = static_cast<std::uint8_t>((i / 4) % w * 255 / std::max<std::uint32_t>(w - 1, 1));
        bitmap->pixels[i + 3] = 255;
    }
    platform::ImageIOError error;
    EXPECT_TRUE(platform::WriteImageFile(*bitmap, type, properties, path, &error)) << error.message;
    return path;
}

// Turns the main loop until the condition holds (work runs on other threads meanwhile).
inline bool PumpUntil(const std::function<bool()>& done) {
    auto& loop = NSRunLoop::mainRunLoop();
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!done()) {
        if (std::chrono::steady_clock::now() > give_up) return false;
        loop.runUntilIdle();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    loop.runUntilIdle();
    return true;
}

class PhotoLibraryFixture : public ::testing::Test {
public:
    void SetUp() override {
        char pattern[] = "/tmp/tavorin-photos-XXXXXX";
        root = mkdtemp(pattern);
        for (const char* var : {"XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_CONFIG_HOME"}) {
            const auto dir = root / var;
            fs::create_directories(dir);
            ::setenv(var, dir.c_str(), 1);
        }
        ::unsetenv("TAVORIN_PHOTO_LIBRARY");
        fs::create_directories(root / "files");
        AuthorizationStore::resetShared();
        AuthorizationStore::shared().setStatus(AuthorizationService::Photos, kAuthorizationAuthorized);
        PHPhotoLibrary::resetSharedPhotoLibrary();
        NSRunLoop::mainRunLoop().useManualClock(0);
        libraryPath = (root / "Library").string();
        library = open();
        ASSERT_TRUE(library);
    }
    void TearDown() override {
        library.reset();
        PumpUntil([] { return true; });
        PHPhotoLibrary::resetSharedPhotoLibrary();
        AuthorizationStore::resetShared();
        NSRunLoop::mainRunLoop().useRealClock();
        std::error_code ec;
        for (auto& e : fs::recursive_directory_iterator(root, ec))
            fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(root, ec);
    }

    std::shared_ptr<PHPhotoLibrary> open(PHPhotoLibrary::Options options = {}) {
        NSErrorPtr error;
        auto l = PHPhotoLibrary::openAt(libraryPath, &error, options);
        EXPECT_TRUE(l) << (error ? error->localizedFailureReason() : "");
        return l;
    }

    std::string file(const std::string& name) const { return (root / "files" / name).string(); }

    // Adds a photo through a creation request; its identifier.
    std::string add(const std::string& path, bool selfPortrait = false) {
        std::string id;
        NSErrorPtr error;
        EXPECT_TRUE(library->performChangesAndWait(
            [&] {
                auto r = PHAssetChangeRequest::creationRequestForAssetFromImageAtFileURL(path);
                r->setSelfPortrait(selfPortrait);
                id = r->placeholderForCreatedAsset()->localIdentifier();
            },
            &error))
            << (error ? error->localizedDescription() + " " + error->localizedFailureReason() : "");
        return id;
    }
    std::string addNew(std::uint32_t w = 64, std::uint32_t h = 48, std::uint8_t shade = 40) {
        static int n = 0;
        return add(WriteImage(file("new" + std::to_string(++n) + ".jpg"), w, h, shade));
    }

    PHAssetPtr asset(const std::string& id) {
        return PHAsset::fetchAssetsWithLocalIdentifiers({id}, {}, library)->firstObject();
    }

    // An edit input, waited for on the main loop.
    std::shared_ptr<PHContentEditingInput> input(const PHAsset& a, PHContentEditingInputRequestOptions options = {}) {
        std::shared_ptr<PHContentEditingInput> result;
        bool answered = false;
        a.requestContentEditingInputWithOptions(options, [&](auto in, const PHContentEditingInfo&) {
            result = in;
            answered = true;
        });
        EXPECT_TRUE(PumpUntil([&] { return answered; }));
        return result;
    }

    // An output for the asset: a rendered JPEG of the shade and the data.
    std::shared_ptr<PHContentEditingOutput> output(const PHAsset& a, std::uint8_t shade, const std::string& data) {
        auto in = input(a);
        auto out = std::make_shared<PHContentEditingOutput>(*in, *library);
        WriteImage(out->renderedContentURL(), static_cast<std::uint32_t>(a.pixelWidth()),
                   static_cast<std::uint32_t>(a.pixelHeight()), shade);
        out->setAdjustmentData(std::make_shared<PHAdjustmentData>(
            PHAdjustmentData{"com.tavorin.state", "1.0", std::vector<std::uint8_t>(data.begin(), data.end())}));
        return out;
    }

    bool save(const PHAsset& a, const PHContentEditingOutput& out, NSErrorPtr* error = nullptr) {
        return library->performChangesAndWait(
            [&] { PHAssetChangeRequest::changeRequestForAsset(a)->setContentEditingOutput(out); }, error);
    }

    // Every file under the library's originals and renders, with its size.
    std::map<std::string, std::uintmax_t> libraryFiles() const {
        std::map<std::string, std::uintmax_t> files;
        for (const char* top : {"originals", "renders"})
            for (auto& e : fs::recursive_directory_iterator(fs::path(libraryPath) / top))
                if (e.is_regular_file()) files[fs::relative(e.path(), libraryPath).string()] = e.file_size();
        return files;
    }

    // One text of the index's rows (what a failed change must leave as it was).
    std::string indexDump() const {
        sqlite3* db = nullptr;
        sqlite3_open_v2((libraryPath + "/library.sqlite").c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        std::string text;
        for (const char* sql : {"SELECT * FROM asset ORDER BY id",
                                "SELECT asset_id, render_path, format_identifier, "
                                "format_version, hex(data), base_revision FROM edit ORDER BY asset_id",
                                "SELECT * FROM album_asset ORDER BY album_id, position"}) {
            sqlite3_exec(
                db, sql,
                [](void* out, int n, char** values, char**) {
                    for (int i = 0; i < n; ++i)
                        *static_cast<std::string*>(out) += std::string(values[i] ? values[i] : "null") + "|";
                    *static_cast<std::string*>(out) += "\n";
                    return 0;
                },
                &text, nullptr);
        }
        sqlite3_close(db);
        return text;
    }

    fs::path root;
    std::string libraryPath;
    std::shared_ptr<PHPhotoLibrary> library;
};

}  // namespace phototest
