// The library under damage to its index and its disk: a lost, emptied, unreadable or older
// index is rebuilt from the files, which are never removed or altered, and the person is told
// once; a read-only library and a full disk fail by name; writers at once never add a photo
// twice; a failure that stays the same is said once.
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <fstream>
#include <set>
#include <sstream>

#include "PhotoLibraryFixture.h"
#include "platform/photos/PHAssetCollection.h"
#include "platform/photos/PHAssetCollectionChangeRequest.h"
#include "platform/photos/PhotoStore.h"

namespace phototest {
namespace {

using photos::SweepReport;

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string shard(const std::string& uuid) {
    std::string s = uuid.substr(0, 2);
    for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (auto& line : lines) text += line + "\n";
    return text;
}

class PhotoLibraryDamageTest : public PhotoLibraryFixture {
public:
    std::string index() const { return libraryPath + "/library.sqlite"; }

    // Photos of their own shades (the last one edited), closed again; the files' digests.
    std::map<std::string, std::string> fill(int count, int first = 0) {
        std::string last;
        for (int i = first; i < first + count; ++i) last = addNew(24 + i, 16, static_cast<std::uint8_t>(20 * i + 5));
        auto edited = asset(last);
        EXPECT_TRUE(save(*edited, *output(*edited, 200, "mine")));
        library.reset();
        return originals();
    }
    std::map<std::string, std::string> originals() const {
        std::map<std::string, std::string> digests;
        for (auto& e : fs::recursive_directory_iterator(fs::path(libraryPath) / "originals"))
            if (e.is_regular_file())
                digests[fs::relative(e.path(), libraryPath).string()] = photos::FileSha256(e.path());
        return digests;
    }

    // Every original where it was with its bytes, one row for each, no bytes twice.
    void expectWhole(const std::map<std::string, std::string>& before, const photos::PhotoStore& store) {
        for (auto& [relative, digest] : before)
            EXPECT_EQ(photos::FileSha256(libraryPath + "/" + relative), digest) << relative;
        std::set<std::string> paths, digests;
        const auto rows = store.assets(true);
        for (auto& r : rows) paths.insert(r.originalPath), digests.insert(r.originalSha256);
        EXPECT_EQ(rows.size(), before.size());
        EXPECT_EQ(digests.size(), rows.size());
        std::set<std::string> expected;
        for (auto& [relative, digest] : before) expected.insert(relative);
        EXPECT_EQ(paths, expected);
    }
};

TEST_F(PhotoLibraryDamageTest, ALostEmptiedUnreadableOrOlderIndexIsRebuiltFromTheFilesAndSaidOnce) {
    struct Damage {
        const char* name;
        // Damages the closed library; adds to `before` what it adds.
        std::function<void(PhotoLibraryDamageTest&, std::map<std::string, std::string>& before)> apply;
        SweepReport::Index state;
        const char* notice;
        std::size_t adopted;
    } damages[] = {
        {"missing", [](auto& t, auto&) { fs::remove(t.index()); }, SweepReport::Index::Missing, "index was missing", 5},
        {"empty", [](auto& t, auto&) { fs::resize_file(t.index(), 0); }, SweepReport::Index::Empty, "index was empty",
         5},
        {"truncated", [](auto& t, auto&) { fs::resize_file(t.index(), fs::file_size(t.index()) / 2); },
         SweepReport::Index::SetAside, "could not be read", 5},
        {"garbage", [](auto& t, auto&) { std::ofstream(t.index(), std::ios::trunc) << std::string(8192, 'x'); },
         SweepReport::Index::SetAside, "file is not a database", 5},
        {"a folder",
         [](auto& t, auto&) {
             fs::remove(t.index());
             fs::create_directories(t.index());
             std::ofstream(t.index() + "/inside") << "kept";
         },
         SweepReport::Index::SetAside, "it is not a file", 5},
        {"an older copy",
         [](auto& t, auto& before) {
             // A copy made before two more photos came, restored over the index.
             fs::copy_file(t.index(), t.root / "copy.sqlite");
             t.library = t.open();
             t.addNew(12, 12, 11), t.addNew(13, 12, 12);
             t.library.reset();
             before = t.originals();
             fs::copy_file(t.root / "copy.sqlite", t.index(), fs::copy_options::overwrite_existing);
         },
         SweepReport::Index::Sound, "2 photos in the library's folder that its index did not list were added back", 2},
    };
    for (auto& d : damages) {
        SCOPED_TRACE(d.name);
        TearDown();
        SetUp();
        auto before = fill(5);
        d.apply(*this, before);
        const std::string damaged = fs::is_regular_file(index()) ? readAll(index()) : "";

        library = open();
        ASSERT_TRUE(library);
        const SweepReport& report = library->store().sweepReport();
        EXPECT_EQ(report.index, d.state);
        EXPECT_EQ(report.adopted.size(), d.adopted);
        const auto notices = report.notices();
        ASSERT_EQ(notices.size(), 1u) << joined(notices);
        EXPECT_NE(notices[0].find(d.notice), std::string::npos) << notices[0];
        expectWhole(before, library->store());
        // The edited photo shows its edit again, without the settings the index had lost.
        auto all = library->store().assets();
        const auto edited = std::count_if(all.begin(), all.end(), [](auto& r) { return r.edit.has_value(); });
        EXPECT_EQ(edited, 1);
        EXPECT_EQ(std::count_if(all.begin(), all.end(), [](auto& r) { return r.adopted; }),
                  static_cast<long>(d.adopted));
        if (d.state == SweepReport::Index::SetAside) {
            // The unreadable index is kept as it was, under the name the person is told.
            ASSERT_EQ(report.setAsideFiles.size(), 1u);
            const std::string aside = report.setAsideFiles[0];
            EXPECT_NE(notices[0].find(aside), std::string::npos);
            if (damaged.empty()) EXPECT_EQ(readAll(aside + "/inside"), "kept");
            else EXPECT_EQ(readAll(aside), damaged);
        }
        // Told once: the next opening finds all in order.
        library.reset();
        library = open();
        EXPECT_TRUE(library->store().sweepReport().notices().empty())
            << joined(library->store().sweepReport().notices());
        expectWhole(before, library->store());
    }
}

TEST_F(PhotoLibraryDamageTest, ADeletedPhotoStaysDeletedWhateverBecomesOfTheIndexAndGoesWhenItsTimeIsUp) {
    struct Damage {
        const char* name;
        std::function<void(PhotoLibraryDamageTest&)> apply;  // to the closed library
        const char* notice;                                  // nullptr: nothing to say
    } damages[] = {
        {"missing", [](auto& t) { fs::remove(t.index()); }, "made anew from the 3 photos"},
        {"garbage", [](auto& t) { std::ofstream(t.index(), std::ios::trunc) << std::string(8192, 'x'); },
         "made from the 3 photos"},
        {"an older copy, from before the deletes",
         [](auto& t) { fs::copy_file(t.root / "copy.sqlite", t.index(), fs::copy_options::overwrite_existing); },
         nullptr},
        {"missing, in a library whose deletes were made before they were marked",
         [](auto& t) {
             for (auto& e : fs::recursive_directory_iterator(t.libraryPath))
                 if (e.path().extension() == photos::kDeletionMarkSuffix) fs::remove(e.path());
             t.library = t.open();  // a sound index: the files of its deleted photos are marked
             t.library.reset();
             fs::remove(t.index());
         },
         "made anew from the 3 photos"},
    };
    for (auto& d : damages) {
        SCOPED_TRACE(d.name);
        TearDown();
        SetUp();
        // Five photos, the last one edited; a copy of the index; then a plain and the edited one deleted.
        auto before = fill(5);
        fs::copy_file(index(), root / "copy.sqlite");
        library = open();
        const auto all = library->store().assets();
        const std::vector<std::string> gone{all[1].uuid, all[4].uuid};
        ASSERT_TRUE(library->performChangesAndWait(
            [&] {
                PHAssetChangeRequest::deleteAssets({asset(gone[0]), asset(gone[1])});
            },
            nullptr));
        const double deletedOn = *library->store().asset(gone[0])->trashedDate;
        const std::string render = library->store().asset(gone[1])->edit->renderPath;
        std::set<std::string> goneFiles{all[1].originalPath, all[4].originalPath, render};
        library.reset();
        d.apply(*this);

        library = open();
        ASSERT_TRUE(library);
        const auto notices = library->store().sweepReport().notices();
        if (d.notice) {
            ASSERT_EQ(notices.size(), 1u) << joined(notices);
            EXPECT_NE(notices[0].find(d.notice), std::string::npos) << notices[0];
        } else {
            EXPECT_TRUE(notices.empty()) << joined(notices);
        }
        // The deleted photos are listed as deleted, on the day they were, with their files.
        expectWhole(before, library->store());
        std::set<std::string> deletedFiles;
        for (auto& r : library->store().assets(true)) {
            if (!r.trashedDate) continue;
            EXPECT_EQ(*r.trashedDate, deletedOn);
            deletedFiles.insert(r.originalPath);
            if (r.edit) deletedFiles.insert(r.edit->renderPath);
        }
        EXPECT_EQ(deletedFiles, goneFiles);
        EXPECT_EQ(library->store().assets().size(), 3u);
        EXPECT_EQ(PHAsset::fetchAssetsWithOptions({}, library)->count(), 3u);

        // Thirty days on, their files go, marks and all, and the next index made anew is of
        // the three photos kept.
        library.reset();
        sqlite3* db;
        ASSERT_EQ(sqlite3_open(index().c_str(), &db), SQLITE_OK);
        sqlite3_exec(db, "UPDATE asset SET trashed_date = 1 WHERE trashed_date IS NOT NULL", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        library = open();
        EXPECT_EQ(library->store().sweepReport().trashPurged, 2);
        for (auto& file : goneFiles) {
            EXPECT_FALSE(fs::exists(libraryPath + "/" + file)) << file;
            EXPECT_FALSE(fs::exists(libraryPath + "/" + file + photos::kDeletionMarkSuffix)) << file;
        }
        library.reset();
        fs::remove(index());
        library = open();
        EXPECT_EQ(library->store().assets(true).size(), 3u);
    }
}

TEST_F(PhotoLibraryDamageTest, ARebuildRecordThisProgramDidNotWriteIsMovedAsideAndTheLibraryOpensWhole) {
    const auto before = fill(3);
    const std::string record = libraryPath + "/library.rebuild";
    const std::function<void()> damages[] = {
        [&] { std::ofstream(record) << std::string(300, 'x'); },
        [&] { std::ofstream(record) << "index missing\n"; },
        [&] { fs::create_directories(record + "/inside"); },
        [&] { ASSERT_EQ(::mkfifo(record.c_str(), 0644), 0); },
    };
    for (auto& damage : damages) {
        library.reset();
        damage();
        library = open();
        ASSERT_TRUE(library);
        const auto notices = library->store().sweepReport().notices();
        ASSERT_EQ(notices.size(), 1u) << joined(notices);
        EXPECT_NE(notices[0].find("moved aside as " + record + ".damaged-"), std::string::npos) << notices[0];
        EXPECT_FALSE(fs::exists(fs::symlink_status(record)));
        expectWhole(before, library->store());
    }
}

TEST_F(PhotoLibraryDamageTest, AFileTheIndexDoesNotNameIsKeptAndOnlyAChangeThatNeverCommittedIsUndone) {
    const auto before = fill(2);
    // A photo whose change never committed: its file in place and its staged twin.
    const std::string uuid = photos::MakeUUID();
    const std::string uncommitted = "originals/" + shard(uuid) + "/" + uuid + ".jpg";
    fs::create_directories(fs::path(libraryPath + "/" + uncommitted).parent_path());
    WriteImage(libraryPath + "/staging/" + uuid + ".jpg", 8, 8, 9);
    fs::create_hard_link(libraryPath + "/staging/" + uuid + ".jpg", libraryPath + "/" + uncommitted);
    // A photo file of ours that the index never heard of, and one that is not a photo.
    const std::string stranger = photos::MakeUUID(), broken = photos::MakeUUID();
    const std::string strangerPath = "originals/" + shard(stranger) + "/" + stranger + ".png";
    const std::string brokenPath = "originals/" + shard(broken) + "/" + broken + ".jpg";
    fs::create_directories(fs::path(libraryPath + "/" + strangerPath).parent_path());
    fs::create_directories(fs::path(libraryPath + "/" + brokenPath).parent_path());
    WriteImage(libraryPath + "/" + strangerPath, 10, 6, 99, platform::ImageFileType::PNG);
    std::ofstream(libraryPath + "/" + brokenPath) << "not a photo";

    library = open();
    const SweepReport& report = library->store().sweepReport();
    EXPECT_FALSE(fs::exists(libraryPath + "/" + uncommitted));
    EXPECT_EQ(report.adopted, std::vector<std::string>{stranger});
    EXPECT_EQ(report.unreadable, std::vector<std::string>{brokenPath});
    EXPECT_EQ(readAll(libraryPath + "/" + brokenPath), "not a photo");
    auto adopted = library->store().asset(stranger);
    ASSERT_TRUE(adopted);
    EXPECT_TRUE(adopted->adopted);
    EXPECT_EQ(adopted->originalPath, strangerPath);
    EXPECT_EQ(adopted->width, 10);
    EXPECT_EQ(
        joined(report.notices()).find("1 photo in the library's folder that its index did not list was added back"), 0u)
        << joined(report.notices());
    EXPECT_NE(joined(report.notices()).find(brokenPath), std::string::npos);
    auto withStranger = before;
    withStranger[strangerPath] = photos::FileSha256(libraryPath + "/" + strangerPath);
    expectWhole(withStranger, library->store());
}

TEST_F(PhotoLibraryDamageTest, ALibraryOfTheFirstSchemaOpensAndKeepsThePhotosItHoldsTwice) {
    // Two rows of the same bytes, as two imports at once could leave before.
    const std::string photo = WriteImage(file("twice.jpg"), 20, 20, 50);
    add(photo), add(photo);
    auto before = fill(1);
    sqlite3* db;
    ASSERT_EQ(sqlite3_open(index().c_str(), &db), SQLITE_OK);
    ASSERT_EQ(
        sqlite3_exec(db, "ALTER TABLE asset DROP COLUMN adopted; DROP TABLE removable_file; PRAGMA user_version=1",
                     nullptr, nullptr, nullptr),
        SQLITE_OK)
        << sqlite3_errmsg(db);
    sqlite3_close(db);

    library = open();
    ASSERT_TRUE(library);
    EXPECT_TRUE(library->store().sweepReport().notices().empty()) << joined(library->store().sweepReport().notices());
    const auto rows = library->store().assets();
    EXPECT_EQ(rows.size(), 3u);
    EXPECT_EQ(
        std::count_if(rows.begin(), rows.end(), [&](auto& r) { return r.originalSha256 == photos::FileSha256(photo); }),
        2);
    for (auto& [relative, digest] : before) EXPECT_EQ(photos::FileSha256(libraryPath + "/" + relative), digest);
    sqlite3_stmt* version;
    sqlite3_prepare_v2(library->store().database(), "PRAGMA user_version", -1, &version, nullptr);
    ASSERT_EQ(sqlite3_step(version), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(version, 0), photos::kSchemaVersion);
    sqlite3_finalize(version);
    EXPECT_TRUE(library->store().asset(addNew(9, 9, 99)));  // and takes new photos
}

// ---- The disk itself: read-only and full --------------------------------------------------

// Runs `body` in a child process whose own mount namespace has a fresh tmpfs of `bytes` at
// `folder`; what went wrong in it ("" when nothing), or nullopt when this system does not let
// the test mount one.
std::optional<std::string> inOwnTmpfs(const std::string& folder, std::size_t bytes,
                                      const std::function<std::string()>& body) {
    int out[2];
    if (::pipe(out) != 0) return std::nullopt;
    const pid_t child = fork();
    if (child == 0) {
        ::close(out[0]);
        const uid_t uid = ::getuid();
        const gid_t gid = ::getgid();
        if (::unshare(CLONE_NEWNS) != 0) {
            if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) _exit(77);
            std::ofstream("/proc/self/setgroups") << "deny";
            std::ofstream("/proc/self/uid_map") << "0 " << uid << " 1";
            std::ofstream("/proc/self/gid_map") << "0 " << gid << " 1";
        }
        const std::string size = "size=" + std::to_string(bytes);
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tmpfs", folder.c_str(), "tmpfs", 0, size.c_str()) != 0)
            _exit(77);
        const std::string problems = body();
        (void)!::write(out[1], problems.data(), problems.size());
        _exit(0);
    }
    ::close(out[1]);
    std::string problems;
    char buffer[4096];
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;) problems.append(buffer, n);
    ::close(out[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77) return std::nullopt;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "the child ended with status " + std::to_string(status);
    return problems;
}

// The checks of a child, gathered as text.
struct Problems {
    std::ostringstream text;
    void expect(bool ok, const std::string& what) {
        if (!ok) text << what << "\n";
    }
};

// Fills the disk that `folder` is on.
void fillDisk(const std::string& folder) {
    std::ofstream filler(folder + "/filler", std::ios::binary);
    const std::string block(4096, 'f');
    while (filler.write(block.data(), block.size())) {}
}

TEST_F(PhotoLibraryDamageTest, AReadOnlyLibraryAndAFullDiskAreNamedAndLoseNothing) {
    library.reset();
    std::vector<std::string> pictures;
    for (int i = 0; i < 3; ++i)
        pictures.push_back(WriteImage(file("p" + std::to_string(i) + ".jpg"), 40, 30, 40 * i + 3));
    const std::string big = WriteImage(file("big.png"), 256, 256, 7, platform::ImageFileType::PNG);
    struct Case {
        const char* name;
        // Damages the library of three photos made in the tmpfs.
        std::function<void(Problems&)> damage;
        bool whileOpen;  // the damage comes while the library is open, and a new photo meets it
        long code;
        const char* says;
    } cases[] = {
        {"read-only folder",
         [&](Problems& p) {
             p.expect(::mount(nullptr, libraryPath.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0, "remount");
         },
         false, photos::kPhotosErrorLibraryReadOnly, "read-only"},
        {"read-only index",
         [&](Problems& p) {
             const std::string index = libraryPath + "/library.sqlite";
             p.expect(::mount(index.c_str(), index.c_str(), nullptr, MS_BIND, nullptr) == 0 &&
                          ::mount(nullptr, index.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0,
                      "bind");
         },
         false, photos::kPhotosErrorLibraryReadOnly, "read-only"},
        {"full disk", [&](Problems&) { fillDisk(libraryPath); }, true, photos::kPhotosErrorNotEnoughSpace,
         "not enough space"},
        {"index missing on a full disk",
         [&](Problems&) {
             fs::remove(libraryPath + "/library.sqlite");
             fillDisk(libraryPath);
         },
         false, photos::kPhotosErrorNotEnoughSpace, "not enough space"},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto problems = inOwnTmpfs(libraryPath, 2 << 20, [&] {
            Problems p;
            std::map<std::string, std::string> before;
            NSErrorPtr error;
            auto store = photos::PhotoStore::open(libraryPath, &error);
            if (!store) return "the library could not be made: " + photos::ErrorLine(*error);
            for (auto& picture : pictures) {
                photos::ChangeSet changes;
                changes.creations.push_back({photos::MakeUUID(), picture});
                p.expect(store->commit(changes, &error), "a photo could not be added");
            }
            for (auto& r : store->assets()) before[r.originalPath] = r.originalSha256;
            if (!c.whileOpen) store.reset();
            c.damage(p);
            if (c.whileOpen) {
                photos::ChangeSet changes;
                changes.creations.push_back({photos::MakeUUID(), big});
                p.expect(!store->commit(changes, &error), "a photo was added to a full disk");
                p.expect(fs::is_empty(libraryPath + "/staging"), "staging/ is not empty");
                p.expect(store->assets().size() == 3, "the count changed");
            } else {
                store = photos::PhotoStore::open(libraryPath, &error);
                p.expect(!store, "the library opened");
            }
            p.expect(
                error && error->code() == c.code && !error->localizedFailureReason().empty() &&
                    error->localizedDescription().find(c.says) != std::string::npos,
                "the error: " + (error ? photos::ErrorLine(*error) + " " + std::to_string(error->code()) : "none"));
            for (auto& [relative, digest] : before)
                p.expect(photos::FileSha256(libraryPath + "/" + relative) == digest, relative + " changed");
            int files = 0;
            for (auto& e : fs::recursive_directory_iterator(libraryPath + "/originals")) files += e.is_regular_file();
            p.expect(files == 3, std::to_string(files) + " originals");
            if (c.whileOpen) {
                // Room again: the same library takes the photo.
                fs::remove(libraryPath + "/filler");
                photos::ChangeSet changes;
                changes.creations.push_back({photos::MakeUUID(), big});
                p.expect(store->commit(changes, &error), "no photo added once there was room");
            }
            return p.text.str();
        });
        if (!problems) GTEST_SKIP() << "this system does not let the test mount a file system";
        EXPECT_EQ(*problems, "");
    }
}

// ---- Writers at once ----------------------------------------------------------------------

TEST_F(PhotoLibraryDamageTest, WritersAddingTheSamePhotosAtOnceAddEachOnce) {
    library.reset();
    std::vector<std::string> pictures;
    for (int i = 0; i < 8; ++i) pictures.push_back(WriteImage(file("w" + std::to_string(i) + ".jpg"), 20, 20, 30 * i));
    std::vector<std::thread> writers;
    std::vector<std::string> unexpected(3);
    for (int w = 0; w < 3; ++w) {
        writers.emplace_back([&, w] {
            NSErrorPtr error;
            auto store = photos::PhotoStore::open(libraryPath, &error);
            if (!store) return void(unexpected[w] = photos::ErrorLine(*error));
            for (auto& photo : pictures) {
                photos::ChangeSet changes;
                changes.creations.push_back({photos::MakeUUID(), photo});
                changes.creations.back().onlyIfNew = true;
                if (!store->commit(changes, &error) && error->code() != photos::kPhotosErrorDuplicate)
                    unexpected[w] += photos::ErrorLine(*error) + "\n";
            }
        });
    }
    for (auto& t : writers) t.join();
    EXPECT_EQ(unexpected, std::vector<std::string>(3));
    library = open();
    std::set<std::string> digests;
    for (auto& r : library->store().assets()) digests.insert(r.originalSha256);
    EXPECT_EQ(library->store().assets().size(), pictures.size());
    EXPECT_EQ(digests.size(), pictures.size());
    EXPECT_EQ(originals().size(), pictures.size());
}

TEST_F(PhotoLibraryDamageTest, ALibraryThatCannotBeOpenedIsSaidOnceHoweverOftenItIsAsked) {
    library.reset();
    sqlite3* db;
    sqlite3_open(index().c_str(), &db);
    sqlite3_exec(db, "PRAGMA user_version=99", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    ::setenv("TAVORIN_PHOTO_LIBRARY", libraryPath.c_str(), 1);
    testing::internal::CaptureStderr();
    NSErrorPtr error;
    for (int i = 0; i < 12; ++i) EXPECT_FALSE(PHPhotoLibrary::sharedPhotoLibrary(&error));
    const std::string said = testing::internal::GetCapturedStderr();
    ::unsetenv("TAVORIN_PHOTO_LIBRARY");
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find("newer version"), std::string::npos) << said;
    ASSERT_TRUE(error);
    EXPECT_NE(error->localizedFailureReason().find("schema 99"), std::string::npos);
}

}  // namespace
}  // namespace phototest
