// The import: folders and files into a real library, oldest first, duplicates, unreadable and
// damaged files and what is not a file skipped with a line each, albums by name, the exit
// status, and the program itself: with its library's index lost or damaged, and several at
// once with another writer.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <thread>

#include "app/ImportJob.h"
#include "platform/imageio/DamagedImages.h"
#include "platform/imageio/ImageIO.h"
#include "platform/photos/PHAsset.h"
#include "platform/photos/PHAssetChangeRequest.h"
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
        for (std::size_t i = 0; i < bitmap->pixels.size(); ++i)
            bitmap->pixels[i] = static_cast<std::uint8_t>(hour * 10 + i % 7);
        char date[32];
        std::snprintf(date, sizeof date, "2024:03:01 %02d:00:00", hour);
        platform::ImageProperties p{
            {"{Exif}", platform::ImageProperties{{"DateTimeOriginal", date}, {"OffsetTimeOriginal", "+00:00"}}}};
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

    // The program's import of the folder as a shell command, its output in log<n>, err<n>, status<n>.
    std::string program(const std::string& folder, int n) {
        const std::string log = (root / ("log" + std::to_string(n))).string();
        return "TAVORIN_PHOTO_LIBRARY='" + library + "' '" + TAVORIN_EXECUTABLE + "' import '" + folder + "' > '" +
               log + "' 2> '" + (root / ("err" + std::to_string(n))).string() + "'; echo $? > '" +
               (root / ("status" + std::to_string(n))).string() + "'";
    }
    std::string text(const std::string& name) {
        std::ifstream in(root / name);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }

    // Each row's original digest, after checking that every file has one row and the bytes
    // its source had.
    std::multiset<std::string> digests() {
        auto l =
            PHPhotoLibrary::openAt(library, nullptr, {.requiresAuthorization = false, .pollsOtherProcesses = false});
        std::multiset<std::string> d;
        if (!l) return ADD_FAILURE() << "the library does not open", d;
        for (auto& r : l->store().assets(true)) {
            EXPECT_EQ(photos::FileSha256(l->store().absolutePath(r.originalPath)), r.originalSha256);
            d.insert(r.originalSha256);
        }
        std::size_t files = 0;
        for (auto& e : fs::recursive_directory_iterator(fs::path(library) / "originals")) files += e.is_regular_file();
        EXPECT_EQ(files, d.size());
        return d;
    }
    std::multiset<std::string> sources(const fs::path& folder) {
        std::multiset<std::string> d;
        for (auto& e : fs::directory_iterator(folder))
            if (e.is_regular_file()) d.insert(photos::FileSha256(e.path()));
        return d;
    }

    std::vector<double> dates() {
        auto l =
            PHPhotoLibrary::openAt(library, nullptr, {.requiresAuthorization = false, .pollsOtherProcesses = false});
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
    EXPECT_EQ(out.str().substr(out.str().rfind('\n', out.str().size() - 2) + 1),
              "0 photos imported, 2 already in the library\n");
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
    auto albums = PHAssetCollection::fetchAssetCollectionsWithType(PHAssetCollectionTypeAlbum,
                                                                   PHAssetCollectionSubtypeAny, {}, l);
    ASSERT_EQ(albums->count(), 1u);
    EXPECT_EQ(albums->firstObject()->localizedTitle(), "Trip");
    EXPECT_EQ(PHAsset::fetchAssetsInAssetCollection(*albums->firstObject())->count(), 3u);
}

TEST_F(ImportJobTest, TheCommandLineIsChecked) {
    struct Case {
        std::vector<std::string> args;
        const char* error;
    } cases[] = {
        {{}, "nothing to import"}, {{"--album"}, "--album needs a name"}, {{"--bogus", "x"}, "unknown option"}};
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
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>()),
              "2 photos imported\n");
    EXPECT_EQ(dates().size(), 2u);
}

TEST_F(ImportJobTest, TheProgramRebuildsALostOrDamagedIndexFromThePhotosAndSaysSoOnce) {
    for (int hour = 0; hour < 5; ++hour) photo(root / "in" / ("p" + std::to_string(hour) + ".jpg"), hour);
    struct Damage {
        const char* name;
        std::function<void(const std::string& index)> apply;
        const char* said;
    } damages[] = {
        {"missing", [](const std::string& index) { fs::remove(index); }, "index was missing"},
        {"empty", [](const std::string& index) { fs::resize_file(index, 0); }, "index was empty"},
        {"garbage", [](const std::string& index) { std::ofstream(index, std::ios::trunc) << std::string(5000, '?'); },
         "could not be read"},
    };
    for (auto& d : damages) {
        SCOPED_TRACE(d.name);
        fs::remove_all(library);
        ASSERT_EQ(std::system(program((root / "in").string(), 0).c_str()), 0);
        ASSERT_EQ(text("status0"), "0\n") << text("err0");
        d.apply(library + "/library.sqlite");
        ASSERT_EQ(std::system(program((root / "in").string(), 1).c_str()), 0);
        EXPECT_EQ(text("status1"), "0\n");
        const std::string log = text("log1"), said = text("err1");
        EXPECT_EQ(log.substr(log.rfind('\n', log.size() - 2) + 1), "0 photos imported, 5 already in the library\n");
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_NE(said.find(d.said), std::string::npos) << said;
        EXPECT_EQ(digests(), sources(root / "in"));
        // Said once: the next run finds the library in order.
        ASSERT_EQ(std::system(program((root / "in").string(), 2).c_str()), 0);
        EXPECT_EQ(text("err2"), "");
        EXPECT_EQ(digests(), sources(root / "in"));
    }
}

TEST_F(ImportJobTest, ImportsOfOneFolderAtOnceWithAnotherWriterAddEachPhotoOnce) {
    for (int hour = 0; hour < 24; ++hour) photo(root / "in" / ("p" + std::to_string(hour) + ".jpg"), hour);
    fs::create_directories(root / "captures");
    for (int processes : {2, 3}) {
        SCOPED_TRACE(std::to_string(processes) + " imports");
        fs::remove_all(library);
        std::string command = "(";
        for (int n = 0; n < processes; ++n) command += "(" + program((root / "in").string(), n) + ") & ";
        command += "wait)";
        // Meanwhile another writer, as the application's shutter, adds photos of its own.
        std::multiset<std::string> captured;
        std::thread imports([&] { std::system(command.c_str()); });
        {
            auto l = PHPhotoLibrary::openAt(library, nullptr,
                                            {.requiresAuthorization = false, .pollsOtherProcesses = false});
            ASSERT_TRUE(l);
            for (int i = 0; i < 6; ++i) {
                const std::string path = (root / "captures" / ("c" + std::to_string(i) + ".png")).string();
                auto bitmap = platform::ImageBitmap::make(20, 10 + processes);
                for (std::size_t k = 0; k < bitmap->pixels.size(); ++k)
                    bitmap->pixels[k] = static_cast<std::uint8_t>(i * 31 + k % 5);
                ASSERT_TRUE(platform::WriteImageFile(*bitmap, platform::ImageFileType::PNG, {}, path));
                NSErrorPtr error;
                EXPECT_TRUE(l->performChangesAndWait(
                    [&] { PHAssetChangeRequest::creationRequestForAssetFromImageAtFileURL(path); }, &error))
                    << photos::ErrorLine(*error);
                captured.insert(photos::FileSha256(path));
            }
        }
        imports.join();
        int imported = 0;
        for (int n = 0; n < processes; ++n) {
            const std::string n_ = std::to_string(n);
            EXPECT_EQ(text("status" + n_), "0\n") << text("err" + n_);
            std::smatch m;
            const std::string log = text("log" + n_);
            ASSERT_TRUE(std::regex_search(log, m, std::regex("(\\d+) photos? imported"))) << log;
            imported += std::stoi(m[1]);
        }
        EXPECT_EQ(imported, 24);
        auto expected = sources(root / "in");
        expected.insert(captured.begin(), captured.end());
        EXPECT_EQ(digests(), expected);
    }
}

}  // namespace
