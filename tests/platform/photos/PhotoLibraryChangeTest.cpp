// Changes of the photo library: what each kind of change does, that a failed one alters
// nothing, answers once and notifies no one, and that observers hear of a change before its
// completion runs.
#include <fcntl.h>
#include <sys/file.h>

#include <fstream>
#include <mutex>

#include "PhotoLibraryFixture.h"
#include "platform/photos/PHAssetCollection.h"
#include "platform/photos/PHAssetCollectionChangeRequest.h"
#include "platform/photos/PHChange.h"

namespace phototest {
namespace {

class EventLog : public PHPhotoLibraryChangeObserver {
public:
    void photoLibraryDidChange(const PHChange&) override { add("notified"); }
    void add(const std::string& e) {
        std::lock_guard lock(mutex_);
        events_.push_back(e);
    }
    std::vector<std::string> events() {
        std::lock_guard lock(mutex_);
        return events_;
    }

private:
    std::mutex mutex_;
    std::vector<std::string> events_;
};

class PhotoLibraryChangeTest : public PhotoLibraryFixture {
public:
    void SetUp() override {
        PhotoLibraryFixture::SetUp();
        a = asset(addNew(64, 48, 30));
        b = asset(addNew(32, 32, 200));
    }
    PHAssetPtr a, b;
};

struct ChangeCase {
    const char* name;
    bool succeeds;
    // Prepares the library and gives the change block.
    std::function<std::function<void()>(PhotoLibraryChangeTest&)> prepare;
    // What a successful change did.
    std::function<void(PhotoLibraryChangeTest&)> check = [](PhotoLibraryChangeTest&) {};
};

using ChangeTable = PhotoLibraryChangeTest;

std::function<void()> saveBlock(const PHAssetPtr& target, std::shared_ptr<PHContentEditingOutput> out) {
    return [target, out] { PHAssetChangeRequest::changeRequestForAsset(*target)->setContentEditingOutput(*out); };
}

std::shared_ptr<PHContentEditingOutput> outputWithData(ChangeTable& t, std::string identifier, std::string version,
                                                       std::size_t bytes) {
    auto out = t.output(*t.a, 90, "");
    out->setAdjustmentData(std::make_shared<PHAdjustmentData>(
        PHAdjustmentData{std::move(identifier), std::move(version), std::vector<std::uint8_t>(bytes, 7)}));
    return out;
}

const ChangeCase kCases[] = {
    {"save", true, [](ChangeTable& t) { return saveBlock(t.a, t.output(*t.a, 90, "state-1")); },
     [](ChangeTable& t) {
         auto now = t.asset(t.a->localIdentifier());
         EXPECT_TRUE(now->hasAdjustments());
         EXPECT_EQ(now->record().revision, t.a->record().revision + 1);
         EXPECT_EQ(now->record().edit->data, std::vector<std::uint8_t>({'s', 't', 'a', 't', 'e', '-', '1'}));
     }},
    {"identical save", true,
     [](ChangeTable& t) {
         EXPECT_TRUE(t.save(*t.a, *t.output(*t.a, 90, "same")));
         t.a = t.asset(t.a->localIdentifier());
         return saveBlock(t.a, t.output(*t.a, 90, "same"));
     },
     [](ChangeTable& t) { EXPECT_EQ(t.asset(t.a->localIdentifier())->record().revision, t.a->record().revision); }},
    {"revert", true,
     [](ChangeTable& t) {
         EXPECT_TRUE(t.save(*t.a, *t.output(*t.a, 90, "to undo")));
         t.a = t.asset(t.a->localIdentifier());
         auto target = t.a;
         return std::function<void()>(
             [target] { PHAssetChangeRequest::changeRequestForAsset(*target)->revertAssetToOriginal(); });
     },
     [](ChangeTable& t) {
         EXPECT_FALSE(t.asset(t.a->localIdentifier())->hasAdjustments());
         for (auto& [path, size] : t.libraryFiles()) EXPECT_EQ(path.find("renders/"), std::string::npos) << path;
     }},
    {"delete confirmed", true,
     [](ChangeTable& t) {
         t.library->setAsker([](const PHPhotoLibrary::Question& question, auto answer) {
             answer(question.kind == PHPhotoLibrary::Question::Kind::Delete && question.count == 1);
         });
         auto target = t.a;
         return std::function<void()>([target] { PHAssetChangeRequest::deleteAssets({target}); });
     },
     [](ChangeTable& t) {
         EXPECT_FALSE(t.asset(t.a->localIdentifier()));
         EXPECT_EQ(PHAsset::fetchAssetsWithOptions({}, t.library)->count(), 1u);
     }},
    {"delete refused", false,
     [](ChangeTable& t) {
         t.library->setAsker([](const PHPhotoLibrary::Question&, auto answer) { answer(false); });
         auto target = t.a;
         return std::function<void()>([target] { PHAssetChangeRequest::deleteAssets({target}); });
     }},
    {"creation", true,
     [](ChangeTable& t) {
         const std::string path = WriteImage(t.file("created.png"), 20, 10, 99, platform::ImageFileType::PNG);
         return std::function<void()>(
             [path] { PHAssetChangeRequest::creationRequestForAssetFromImageAtFileURL(path); });
     },
     [](ChangeTable& t) {
         auto all = PHAsset::fetchAssetsWithOptions({}, t.library);
         ASSERT_EQ(all->count(), 3u);
         EXPECT_EQ(all->lastObject()->record().originalType, "public.png");
         EXPECT_TRUE(std::filesystem::exists(t.file("created.png")));  // copied, the caller's file stays
     }},
    {"creation with an album", true,
     [](ChangeTable& t) {
         const std::string path = WriteImage(t.file("albumed.jpg"), 20, 10, 99);
         return std::function<void()>([path] {
             auto photo = PHAssetChangeRequest::creationRequestForAssetFromImageAtFileURL(path);
             PHAssetCollectionChangeRequest::creationRequestForAssetCollectionWithTitle("Trip")->addAssets(
                 {photo->placeholderForCreatedAsset()->localIdentifier()});
         });
     },
     [](ChangeTable& t) {
         auto albums = PHAssetCollection::fetchAssetCollectionsWithType(PHAssetCollectionTypeAlbum,
                                                                        PHAssetCollectionSubtypeAny, {}, t.library);
         ASSERT_EQ(albums->count(), 1u);
         EXPECT_EQ(albums->firstObject()->localizedTitle(), "Trip");
         EXPECT_EQ(PHAsset::fetchAssetsInAssetCollection(*albums->firstObject())->count(), 1u);
     }},
    {"render that is not a JPEG", false,
     [](ChangeTable& t) {
         auto out = t.output(*t.a, 90, "x");
         WriteImage(out->renderedContentURL(), 8, 8, 1, platform::ImageFileType::PNG);
         return saveBlock(t.a, out);
     }},
    {"truncated render", false,
     [](ChangeTable& t) {
         auto out = t.output(*t.a, 90, "x");
         std::filesystem::resize_file(out->renderedContentURL(),
                                      std::filesystem::file_size(out->renderedContentURL()) / 2);
         return saveBlock(t.a, out);
     }},
    {"data over 1 MiB", false,
     [](ChangeTable& t) { return saveBlock(t.a, outputWithData(t, "id", "1", (1 << 20) + 1)); }},
    {"empty identifier", false, [](ChangeTable& t) { return saveBlock(t.a, outputWithData(t, "", "1", 4)); }},
    {"identifier over 256 bytes", false,
     [](ChangeTable& t) { return saveBlock(t.a, outputWithData(t, std::string(257, 'i'), "1", 4)); }},
    {"version over 64 bytes", false,
     [](ChangeTable& t) { return saveBlock(t.a, outputWithData(t, "id", std::string(65, '9'), 4)); }},
    {"output of another asset", false, [](ChangeTable& t) { return saveBlock(t.b, t.output(*t.a, 90, "x")); }},
    {"creation from a file that does not decode", false,
     [](ChangeTable& t) {
         const std::string path = t.file("broken.jpg");
         std::ofstream(path) << "\xff\xd8\xff\xe0 not really a photo";
         return std::function<void()>(
             [path] { PHAssetChangeRequest::creationRequestForAssetFromImageAtFileURL(path); });
     }},
    {"edit of a trashed asset", false,
     [](ChangeTable& t) {
         auto out = t.output(*t.a, 90, "late");
         auto target = t.a;
         EXPECT_TRUE(t.library->performChangesAndWait([&] { PHAssetChangeRequest::deleteAssets({target}); }, nullptr));
         return saveBlock(t.a, out);
     }},
    {"one bad request spoils the whole change", false,
     [](ChangeTable& t) {
         auto good = t.output(*t.a, 90, "good");
         auto bad = t.output(*t.b, 90, "bad");
         WriteImage(bad->renderedContentURL(), 8, 8, 1, platform::ImageFileType::TIFF);
         auto a = t.a, b = t.b;
         return std::function<void()>([=] {
             PHAssetChangeRequest::changeRequestForAsset(*a)->setContentEditingOutput(*good);
             PHAssetChangeRequest::changeRequestForAsset(*b)->setContentEditingOutput(*bad);
         });
     }},
};

TEST_F(PhotoLibraryChangeTest, EachChangeSucceedsOrLeavesTheLibraryAsItWas) {
    for (const ChangeCase& c : kCases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        auto& t = *this;
        std::function<void()> block = c.prepare(t);
        const std::string indexBefore = indexDump();
        const auto filesBefore = libraryFiles();

        auto log = std::make_shared<EventLog>();
        library->registerChangeObserver(log);
        int completions = 0;
        bool success = false;
        NSErrorPtr failure;
        library->performChanges(block, [&](bool ok, NSErrorPtr error) {
            log->add("completed");
            ++completions;
            success = ok;
            failure = error;
        });
        ASSERT_TRUE(PumpUntil([&] { return completions > 0; }));
        PumpUntil([] { return true; });
        EXPECT_EQ(completions, 1);
        EXPECT_EQ(success, c.succeeds);
        if (c.succeeds) {
            EXPECT_FALSE(failure);
            EXPECT_EQ(log->events(), (std::vector<std::string>{"notified", "completed"}));
            c.check(t);
        } else {
            ASSERT_TRUE(failure);
            EXPECT_FALSE(failure->localizedDescription().empty());
            EXPECT_EQ(log->events(), std::vector<std::string>{"completed"});
            EXPECT_EQ(indexDump(), indexBefore);
            EXPECT_EQ(libraryFiles(), filesBefore);
        }
    }
}

TEST_F(PhotoLibraryChangeTest, AWriteTheIndexRefusesFailsTheWholeChangeAndKeepsEveryFile) {
    // Each change that writes, with the index refusing every write to its tables (as a full
    // disk or a broken constraint would, statement by statement, inside an open transaction).
    for (const ChangeCase& c : kCases) {
        const std::string name = c.name;
        if (!c.succeeds || name == "identical save") continue;
        SCOPED_TRACE(name);
        TearDown();
        SetUp();
        std::function<void()> block = c.prepare(*this);
        std::string triggers;
        for (const char* table : {"asset", "edit", "album", "album_asset", "change_log", "removable_file"})
            for (const char* event : {"INSERT", "UPDATE", "DELETE"})
                triggers += std::string("CREATE TRIGGER refuse_") + event + "_" + table + " BEFORE " + event + " ON " +
                            table + " BEGIN SELECT RAISE(ABORT, 'refused'); END;";
        ASSERT_EQ(sqlite3_exec(library->store().database(), triggers.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
        const std::string indexBefore = indexDump();
        const auto filesBefore = libraryFiles();

        NSErrorPtr failure;
        EXPECT_FALSE(library->performChangesAndWait(block, &failure));
        ASSERT_TRUE(failure);
        EXPECT_NE(failure->localizedFailureReason().find("refused"), std::string::npos)
            << failure->localizedFailureReason();
        EXPECT_EQ(indexDump(), indexBefore);
        EXPECT_EQ(libraryFiles(), filesBefore);
    }
}

TEST_F(PhotoLibraryChangeTest, WithoutAccessFetchesAreEmptyAndChangesFail) {
    AuthorizationStore::shared().setStatus(AuthorizationService::Photos, kAuthorizationDenied);
    EXPECT_EQ(PHAsset::fetchAssetsWithOptions({}, library)->count(), 0u);
    EXPECT_EQ(PHAssetCollection::fetchAssetCollectionsWithType(PHAssetCollectionTypeSmartAlbum,
                                                               PHAssetCollectionSubtypeAny, {}, library)
                  ->count(),
              0u);
    NSErrorPtr error;
    EXPECT_FALSE(library->performChangesAndWait([&] { PHAssetChangeRequest::deleteAssets({a}); }, &error));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), photos::kPhotosErrorAccessUserDenied);
    // A library opened for the user's own tool needs no grant.
    library.reset();
    auto tool = open({.requiresAuthorization = false, .pollsOtherProcesses = false});
    EXPECT_EQ(PHAsset::fetchAssetsWithOptions({}, tool)->count(), 2u);
}

TEST_F(PhotoLibraryChangeTest, SmartAlbumsAndCreationFacts) {
    platform::ImageProperties exif;
    exif["{Exif}"] =
        platform::ImageProperties{{"DateTimeOriginal", "2021:06:01 12:00:00"}, {"OffsetTimeOriginal", "+02:00"}};
    const std::string dated = add(WriteImage(file("dated.jpg"), 40, 30, 1, platform::ImageFileType::JPEG, exif));
    const std::string wide = add(WriteImage(file("wide.jpg"), 200, 100, 2));
    const std::string selfie = add(WriteImage(file("selfie.jpg"), 30, 40, 3), true);
    platform::ImageProperties turned;
    turned["Orientation"] = 6;
    const std::string rotated = add(WriteImage(file("turned.jpg"), 40, 20, 4, platform::ImageFileType::JPEG, turned));
    ASSERT_TRUE(library->performChangesAndWait(
        [&] { PHAssetChangeRequest::changeRequestForAsset(*asset(dated))->setFavorite(true); }, nullptr));

    EXPECT_DOUBLE_EQ(asset(dated)->creationDate(), 1622541600.0);  // 10:00 UTC
    EXPECT_EQ(asset(rotated)->pixelWidth(), 20);
    EXPECT_EQ(asset(rotated)->pixelHeight(), 40);

    auto members = [&](int subtype) {
        auto c =
            PHAssetCollection::fetchAssetCollectionsWithType(PHAssetCollectionTypeSmartAlbum, subtype, {}, library);
        std::vector<std::string> ids;
        auto assets = PHAsset::fetchAssetsInAssetCollection(*c->firstObject());
        for (auto& x : *assets) ids.push_back(x->localIdentifier());
        return ids;
    };
    EXPECT_EQ(members(PHAssetCollectionSubtypeSmartAlbumUserLibrary).size(), 6u);
    EXPECT_EQ(members(PHAssetCollectionSubtypeSmartAlbumFavorites), std::vector<std::string>{dated});
    EXPECT_EQ(members(PHAssetCollectionSubtypeSmartAlbumPanoramas), std::vector<std::string>{wide});
    EXPECT_EQ(members(PHAssetCollectionSubtypeSmartAlbumSelfPortraits), std::vector<std::string>{selfie});

    PHFetchOptions byDate;
    byDate.sortDescriptors = {{"creationDate", true}};
    EXPECT_EQ(PHAsset::fetchAssetsWithOptions(byDate, library)->firstObject()->localIdentifier(), dated);
}

TEST_F(PhotoLibraryChangeTest, ALibraryThisVersionCannotReadIsRefusedAndLeftAlone) {
    a.reset(), b.reset();
    library.reset();
    const std::string index = libraryPath + "/library.sqlite";
    // A damaged index is rebuilt only by a process alone with the library.
    const int other = ::open((libraryPath + "/library.lock").c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_EQ(::flock(other, LOCK_SH), 0);
    struct Damage {
        const char* name;
        std::function<void()> apply;
    } damages[] = {
        {"newer schema",
         [&] {
             sqlite3* db;
             sqlite3_open(index.c_str(), &db);
             sqlite3_exec(db, "PRAGMA user_version=99", nullptr, nullptr, nullptr);
             sqlite3_close(db);
         }},
        {"not a database",
         [&] {
             std::filesystem::remove(index + "-wal"), std::filesystem::remove(index + "-shm");
             std::ofstream(index, std::ios::trunc) << std::string(8192, 'x');
         }},
    };
    for (auto& d : damages) {
        SCOPED_TRACE(d.name);
        d.apply();
        std::ifstream in(index, std::ios::binary);
        const std::string before((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        NSErrorPtr error;
        EXPECT_FALSE(PHPhotoLibrary::openAt(libraryPath, &error));
        ASSERT_TRUE(error);
        EXPECT_EQ(error->code(), photos::kPhotosErrorLibraryRefused);
        std::ifstream again(index, std::ios::binary);
        EXPECT_EQ(std::string((std::istreambuf_iterator<char>(again)), std::istreambuf_iterator<char>()), before);
    }
    ::close(other);
}

TEST_F(PhotoLibraryChangeTest, TheSweepEmptiesWorkFoldersPurgesOldTrashKeepsStrangersAndReportsMissingFiles) {
    ASSERT_TRUE(library->performChangesAndWait([&] { PHAssetChangeRequest::deleteAssets({b}); }, nullptr));
    const std::string c = addNew(16, 16, 5);
    const std::string bId = b->localIdentifier();
    const std::string bOriginal = libraryPath + "/" + b->record().originalPath;
    const std::string cOriginal = libraryPath + "/" + asset(c)->record().originalPath;
    a.reset(), b.reset();  // assets hold their library open
    library.reset();
    sqlite3* db;
    sqlite3_open((libraryPath + "/library.sqlite").c_str(), &db);
    const std::string age = "UPDATE asset SET trashed_date = trashed_date - 31*24*3600 WHERE uuid = '" + bId + "'";
    sqlite3_exec(db, age.c_str(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
    const std::string stray = libraryPath + "/originals/ab/ABCDEF01-2345-4678-9ABC-DEF012345678.jpg";
    std::filesystem::create_directories(libraryPath + "/originals/ab");
    std::ofstream(stray) << "stranded";  // ours by its name, not a photo
    std::ofstream(libraryPath + "/originals/ab/notes.txt") << "not ours";
    std::ofstream(libraryPath + "/staging/half-written.jpg") << "x";
    std::filesystem::remove(cOriginal);
    library = open();
    const auto& report = library->store().sweepReport();
    EXPECT_EQ(report.trashPurged, 1);
    EXPECT_EQ(report.filesRemoved, 1);  // the purged asset's original
    EXPECT_EQ(report.workFilesRemoved, 1);
    EXPECT_EQ(report.missing, std::vector<std::string>{c});
    EXPECT_EQ(report.unreadable, std::vector<std::string>{"originals/ab/ABCDEF01-2345-4678-9ABC-DEF012345678.jpg"});
    EXPECT_TRUE(std::filesystem::exists(stray));
    EXPECT_FALSE(std::filesystem::exists(bOriginal));
    EXPECT_TRUE(std::filesystem::exists(libraryPath + "/originals/ab/notes.txt"));
    EXPECT_TRUE(library->store().asset(c));  // kept, marked
    EXPECT_TRUE(library->store().asset(c)->missing);
    // Said when found missing, not at every opening after.
    auto says = [&](const std::string& text) {
        for (auto& line : library->store().sweepReport().notices())
            if (line.find(text) != std::string::npos) return true;
        return false;
    };
    EXPECT_TRUE(says(c));
    library.reset();
    library = open();
    EXPECT_EQ(library->store().sweepReport().missing, std::vector<std::string>{c});
    EXPECT_FALSE(says(c));
}

TEST_F(PhotoLibraryChangeTest, ChangesAndEditsLeaveNothingInTheWorkFoldersOnceDone) {
    auto count = [&](const char* folder) {
        return std::distance(fs::directory_iterator(libraryPath + folder), fs::directory_iterator());
    };
    auto in = input(*a);
    ASSERT_TRUE(in);
    EXPECT_EQ(count("/inputs"), 1);
    // A save and a failed one (the render is no JPEG): their staged renders go with the change.
    auto good = std::make_shared<PHContentEditingOutput>(*in, *library);
    WriteImage(good->renderedContentURL(), 64, 48, 90);
    good->setAdjustmentData(std::make_shared<PHAdjustmentData>(PHAdjustmentData{"com.tavorin.state", "1.0", {1}}));
    EXPECT_TRUE(save(*a, *good));
    EXPECT_EQ(count("/staging"), 0);
    NSErrorPtr error;
    EXPECT_FALSE(library->performChangesAndWait(
        [&] {
            PHContentEditingOutput bad(*in, *library);
            WriteImage(bad.renderedContentURL(), 8, 8, 1, platform::ImageFileType::TIFF);
            PHAssetChangeRequest::changeRequestForAsset(*a)->setContentEditingOutput(bad);
        },
        &error));
    ASSERT_TRUE(error);
    EXPECT_FALSE(error->localizedFailureReason().empty());
    EXPECT_EQ(count("/staging"), 0);
    // The edit is done when its input goes.
    EXPECT_EQ(count("/inputs"), 1);
    in.reset();
    EXPECT_EQ(count("/inputs"), 0);
}

}  // namespace
}  // namespace phototest
