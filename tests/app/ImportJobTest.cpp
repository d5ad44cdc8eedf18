// The import: folders and files into a real library, oldest first, duplicates, unreadable and
// damaged files and what is not a file skipped with a line each, albums by name, the exit
// status, and the program itself.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/ImportJob.h"
#include "platform/imageio/DamagedImages.h"
#include "platform/imageio/ImageIO.h"
#include "platform/photos/PHAsset.h"
#include "platform/photos/PHAssetCollection.h"
#include "platform/photos/PHPhotoLibrary.h"

namespace {

namespace fs = std::filesystem;

class ImportJobTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tavorin-import-XXXXXX";
        root = mkdtemp(pattern);
        ::setenv("XDG_CACHE_HOME", (root / "cache").c_str(), 1);
        library = (root / "Library").string();
        fs::create_directories(root / "in" / "nested");
    }
    void TearDown() override { fs::remove_all(root); }

    // A photo taken at the given hour of one day (EXIF date), in a shade of its own.
    std::string photo(const fs::path& path, int hour, platform::ImageFileType type = platform::ImageFileType::JPEG) {
        auto bitmap = platform::ImageBitmap::make(16, 12);
        for (std::size_t i = 0; i < bitmap->pixels.size(); ++i) bitmap->pixels[i] = static_cast<std::uint8_t>(hour * 10 + i % 7);
        char date[32];
        std::snprintf(date, sizeof date, "2024:03:01 %02d:00:00", hour);
        platform::ImageProperties p{{"{Exif}", platform::ImageProperties{{"DateTimeOriginal", date},
                                                                          {"OffsetTimeOriginal", "+00:00"}}}};
        EXPECT_TRUE(platform::WriteImageFile(*bitmap, type, p, path.string()));
        return path.string();
    }

    int run(const std::vector<std::string>& args) {
        out.str(""), err.str("");
        auto command = ImportJob::Parse(args);
        auto* options = std::get_if<ImportJob::Options>(&command);
        EXPECT_TRUE(options);
        return options ? ImportJob::Run(*options, library, out, err) : -1;
    }

    std::vector<double> dates() {
        auto l = PHPhotoLibrary::openAt(library, nullptr, {.requiresAuthorization = false, .pollsOtherProcesses = false});
        std::vector<double> d;
        auto assets = PHAsset::fetchAssetsWithOptions({}, l);
        for (auto& a : *assets) d.push_back(a->creationDate());
        return d;
    }

    fs::path root;
    std::string library;
    std::ostringstream out, err;
};

TEST_F(ImportJobTest, FoldersAndFilesGoInOldestFirst) {
    photo(root / "in" / "c.jpg", 15);
    photo(root / "in" / "nested" / "a.png", 9, platform::ImageFileType::PNG);
    photo(root / "in" / "b.TIFF", 12, platform::ImageFileType::TIFF);
    std::ofstream(root / "in" / "notes.txt") << "not a photo";
    const std::string single = photo(root / "single.jpg", 7);
    EXPECT_EQ(run({(root / "in").string(), single}), 0) << err.str();
    EXPECT_EQ(out.str(), "4 photos imported\n");
    const std::vector<double> expected = {1709276400, 1709283600, 1709294400, 1709305200};  // 07, 09, 12, 15 h
    EXPECT_EQ(dates(), expected);
}

TEST_F(ImportJobTest, DuplicatesAndUnreadableFilesAreSkippedWithALineEach) {
    const std::string first = photo(root / "in" / "one.jpg", 8);
    fs::copy_file(first, root / "in" / "nested" / "copy.jpg");
    std::ofstream(root / "in" / "broken.jpg") << "\xff\xd8 truncated";
    EXPECT_EQ(run({(root / "in").string(), (root / "missing.jpg").string()}), ImportJob::kExitFailure);
    EXPECT_NE(out.str().find(".jpg: already in the library"), std::string::npos) << out.str();  // one of the two
    EXPECT_NE(err.str().find("broken.jpg"), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("missing.jpg: no such file or folder"), std::string::npos);
    EXPECT_EQ(dates().size(), 1u);
    // Again: all already there, none failed.
    fs::remove(root / "in" / "broken.jpg");
    EXPECT_EQ(run({(root / "in").string()}), 0);
    EXPECT_EQ(out.str().substr(out.str().rfind('\n', out.str().size() - 2) + 1), "0 photos imported, 2 already in the library\n");
}

// A damaged photo is not imported: its line says why. A FIFO is never opened (its open would
// wait for a writer for ever): found in a folder it is skipped as a failure, named on the
// command line it is refused.
TEST_F(ImportJobTest, DamagedPhotosAndWhatIsNotAFileAreSkippedWithTheirReason) {
    photo(root / "in" / "good.jpg", 8);
    const std::vector<imageio_test::DamagedImage> damaged = imageio_test::damagedImages();
    for (std::size_t i = 0; i < damaged.size(); ++i)
        std::ofstream(root / "in" / ("damaged" + std::to_string(i) + damaged[i].extension), std::ios::binary)
            .write(reinterpret_cast<const char*>(damaged[i].data.data()),
                   static_cast<std::streamsize>(damaged[i].data.size()));
    ASSERT_EQ(::mkfifo((root / "in" / "pipe.jpg").c_str(), 0600), 0);
    EXPECT_EQ(run({(root / "in").string()}), ImportJob::kExitFailure);
    for (std::size_t i = 0; i < damaged.size(); ++i) {
        const std::string name = "damaged" + std::to_string(i) + damaged[i].extension;
        const std::size_t line = err.str().find("skipped " + (root / "in" / name).string() + ": ");
        ASSERT_NE(line, std::string::npos) << damaged[i].name << ": " << err.str();
        EXPECT_NE(err.str().substr(line, err.str().find('\n', line) - line).find(damaged[i].says), std::string::npos)
            << damaged[i].name << ": " << err.str();
    }
    EXPECT_NE(err.str().find("pipe.jpg: it is a FIFO, not a photo"), std::string::npos) << err.str();
    EXPECT_EQ(out.str(), "1 photo imported, " + std::to_string(damaged.size() + 1) + " failed\n");
    EXPECT_EQ(dates().size(), 1u);

    ASSERT_EQ(::mkfifo((root / "named.jpg").c_str(), 0600), 0);
    EXPECT_EQ(run({(root / "named.jpg").string(), "/dev/null", photo(root / "other.jpg", 9)}), ImportJob::kExitUsage);
    EXPECT_NE(err.str().find("named.jpg: it is a FIFO, not a photo"), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("/dev/null: it is a device, not a photo"), std::string::npos) << err.str();
    EXPECT_EQ(dates().size(), 2u);  // the good photo beside them still goes in
}

TEST_F(ImportJobTest, AnAlbumIsFoundByNameOrMade) {
    EXPECT_EQ(run({"--album", "Trip", photo(root / "a.jpg", 1), photo(root / "b.jpg", 2)}), 0);
    EXPECT_EQ(run({"--album=Trip", photo(root / "c.jpg", 3)}), 0);
    auto l = PHPhotoLibrary::openAt(library, nullptr, {.requiresAuthorization = false, .pollsOtherProcesses = false});
    auto albums = PHAssetCollection::fetchAssetCollectionsWithType(PHAssetCollectionTypeAlbum, PHAssetCollectionSubtypeAny, {}, l);
    ASSERT_EQ(albums->count(), 1u);
    EXPECT_EQ(albums->firstObject()->localizedTitle(), "Trip");
    EXPECT_EQ(PHAsset::fetchAssetsInAssetCollection(*albums->firstObject())->count(), 3u);
}

TEST_F(ImportJobTest, TheCommandLineIsChecked) {
    struct Case {
        std::vector<std::string> args;
        const char* error;
    } cases[] = {{{}, "nothing to import"}, {{"--album"}, "--album needs a name"}, {{"--bogus", "x"}, "unknown option"}};
    for (auto& c : cases) {
        auto command = ImportJob::Parse(c.args);
        auto* usage = std::get_if<ImportJob::UsageError>(&command);
        ASSERT_TRUE(usage);
        EXPECT_NE(usage->message.find(c.error), std::string::npos) << usage->message;
    }
    EXPECT_TRUE(std::holds_alternative<ImportJob::Help>(ImportJob::Parse({"--help"})));
    auto dashed = ImportJob::Parse({"--", "--odd-name.jpg"});
    EXPECT_EQ(std::get<ImportJob::Options>(dashed).paths, std::vector<std::string>{"--odd-name.jpg"});
}

TEST_F(ImportJobTest, TheProgramFillsTheLibraryItIsGiven) {
    photo(root / "in" / "a.jpg", 5);
    photo(root / "in" / "b.jpg", 6);
    const std::string command = "TAVORIN_PHOTO_LIBRARY='" + library + "' '" + TAVORIN_EXECUTABLE + "' import '" +
                                (root / "in").string() + "' > '" + (root / "log").string() + "' 2>&1";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    std::ifstream log(root / "log");
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>()), "2 photos imported\n");
    EXPECT_EQ(dates().size(), 2u);
}

}  // namespace
