// A process killed in the middle of a save, a revert, a creation, a delete or the start-up sweep
// never costs an original or an edit: after reopening, the original is unchanged, the edit is
// the old one or the new one whole, a delete has happened or not (also for an index made anew
// afterwards), the index checks out and no stranded file remains. A rebuild of the index killed
// at any point is said whole at every opening until one finishes.
#include <signal.h>
#include <sys/wait.h>

#include <fstream>
#include <optional>
#include <set>

#include "PhotoLibraryFixture.h"
#include "platform/photos/PHAssetCollectionChangeRequest.h"
#include "platform/photos/PhotoStore.h"

namespace phototest {
namespace {

using photos::KillPoint;

enum class Operation { Save, Revert, Creation, Deletion };

class PhotoLibraryCrashTest : public PhotoLibraryFixture {};

std::vector<std::uint8_t> bytes(const std::string& s) { return {s.begin(), s.end()}; }

TEST_F(PhotoLibraryCrashTest, AKillAtAnyPointLeavesTheOldStateOrTheNewOneWhole) {
    const KillPoint points[] = {KillPoint::AfterStaging, KillPoint::AfterLink, KillPoint::InCommitHook,
                                KillPoint::AfterCommit, KillPoint::DuringSweep};
    const Operation operations[] = {Operation::Save, Operation::Revert, Operation::Creation, Operation::Deletion};
    for (KillPoint point : points) {
        for (Operation operation : operations) {
            SCOPED_TRACE("kill point " + std::to_string(int(point)) + ", operation " + std::to_string(int(operation)));
            TearDown();
            SetUp();
            const std::string id = addNew(48, 32, 60);
            {
                auto a = asset(id);
                ASSERT_TRUE(save(*a, *output(*a, 120, "old")));
            }
            // Something for the sweep to purge, so that it is under way when killed.
            const std::string trashed = addNew(8, 8, 1);
            ASSERT_TRUE(
                library->performChangesAndWait([&] { PHAssetChangeRequest::deleteAssets({asset(trashed)}); }, nullptr));
            const photos::AssetRecord before = *library->store().asset(id);
            const std::string originalSha = photos::FileSha256(library->store().absolutePath(before.originalPath));
            const std::string render = WriteImage(file("render.jpg"), 48, 32, 200);
            const std::string source = WriteImage(file("source.jpg"), 24, 24, 33);
            const std::string newId = photos::MakeUUID();
            library.reset();
            if (point == KillPoint::DuringSweep) {
                sqlite3* db;
                sqlite3_open((libraryPath + "/library.sqlite").c_str(), &db);
                sqlite3_exec(db, "UPDATE asset SET trashed_date = 1 WHERE trashed_date IS NOT NULL", nullptr, nullptr,
                             nullptr);
                sqlite3_close(db);
            }

            const pid_t child = fork();
            if (child == 0) {
                photos::SetKillPoint(point);
                NSErrorPtr error;
                auto store = photos::PhotoStore::open(libraryPath, &error);
                if (!store) _exit(2);
                photos::ChangeSet changes;
                if (operation == Operation::Creation) changes.creations.push_back({newId, source});
                if (operation == Operation::Deletion) changes.deletions.push_back(id);
                photos::AssetEdit edit;
                edit.uuid = edit.outputAssetUUID = id;
                edit.kind =
                    operation == Operation::Save ? photos::AssetEdit::Kind::Save : photos::AssetEdit::Kind::Revert;
                edit.renderSource = render;
                edit.edit = {"", "com.tavorin.state", "1.0", bytes("new"), 0};
                if (operation == Operation::Save || operation == Operation::Revert) changes.edits.push_back(edit);
                _exit(store->commit(changes, &error) ? 0 : 1);
            }
            int status = 0;
            ASSERT_EQ(waitpid(child, &status, 0), child);
            // A revert stages no file, so it passes the staging points and completes.
            const bool passes =
                operation == Operation::Revert && (point == KillPoint::AfterStaging || point == KillPoint::AfterLink);
            const bool committed = passes || point == KillPoint::AfterCommit;
            if (passes) EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
            else EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);

            library = open();
            ASSERT_TRUE(library);
            auto& store = library->store();
            auto after = store.asset(id);
            ASSERT_TRUE(after);
            EXPECT_EQ(after->trashedDate.has_value(), operation == Operation::Deletion && committed);
            EXPECT_EQ(photos::FileSha256(store.absolutePath(after->originalPath)), originalSha);
            if (after->edit) {
                const auto data = after->edit->data;
                EXPECT_EQ(data, bytes(operation == Operation::Save && committed ? "new" : "old"));
                auto decoded = platform::DecodeImageFile(store.absolutePath(after->edit->renderPath));
                ASSERT_TRUE(decoded);
                EXPECT_EQ(decoded->bitmap.pixel(0, 0)[0] > 160, data == bytes("new"));
            }
            EXPECT_EQ(!after->edit, operation == Operation::Revert && committed);
            EXPECT_EQ(store.asset(newId).has_value(), operation == Operation::Creation && committed);
            if (auto created = store.asset(newId)) {
                EXPECT_EQ(photos::FileSha256(store.absolutePath(created->originalPath)), photos::FileSha256(source));
            }
            sqlite3_stmt* check;
            sqlite3_prepare_v2(store.database(), "PRAGMA integrity_check", -1, &check, nullptr);
            ASSERT_EQ(sqlite3_step(check), SQLITE_ROW);
            EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)), "ok");
            sqlite3_finalize(check);

            // Every file is named by a row, or marks a deleted photo's file.
            std::set<std::string> named;
            for (auto& r : store.assets(true)) {
                named.insert(r.originalPath);
                if (r.edit) named.insert(r.edit->renderPath);
                if (r.trashedDate) {
                    named.insert(r.originalPath + photos::kDeletionMarkSuffix);
                    if (r.edit) named.insert(r.edit->renderPath + photos::kDeletionMarkSuffix);
                }
            }
            for (auto& [path, size] : libraryFiles()) EXPECT_TRUE(named.count(path)) << "stranded " << path;
            for (const char* work : {"/staging", "/inputs"}) EXPECT_TRUE(fs::is_empty(libraryPath + work)) << work;

            // An index made anew knows the delete as the old one did.
            library.reset();
            fs::remove(libraryPath + "/library.sqlite");
            library = open();
            ASSERT_TRUE(library);
            std::optional<photos::AssetRecord> rebuilt;
            for (auto& r : library->store().assets(true))
                if (r.originalPath == after->originalPath) rebuilt = r;
            ASSERT_TRUE(rebuilt);
            EXPECT_EQ(rebuilt->trashedDate.has_value(), operation == Operation::Deletion && committed);
        }
    }
}

// Opens the library in a child process that dies at `point`; whether it died there.
bool KilledWhileOpening(const std::string& libraryPath, KillPoint point) {
    const pid_t child = fork();
    if (child == 0) {
        photos::SetKillPoint(point);
        NSErrorPtr error;
        auto store = photos::PhotoStore::open(libraryPath, &error);
        _exit(store ? 0 : 2);
    }
    int status = 0;
    return waitpid(child, &status, 0) == child && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

TEST_F(PhotoLibraryCrashTest, ARebuildKilledAtAnyPointIsSaidWholeAtEveryOpeningUntilOneFinishes) {
    const KillPoint points[] = {KillPoint::AfterRebuildRecorded, KillPoint::AfterIndexMade, KillPoint::DuringSweep,
                                KillPoint::AfterAdoption};
    for (const bool unreadable : {false, true}) {
        for (KillPoint point : points) {
            SCOPED_TRACE(std::string(unreadable ? "unreadable" : "missing") + " index, killed at point " +
                         std::to_string(int(point)));
            TearDown();
            SetUp();
            std::vector<std::string> ids;
            for (int i = 0; i < 5; ++i) ids.push_back(addNew(20 + i, 16, static_cast<std::uint8_t>(40 * i + 5)));
            {
                auto edited = asset(ids.back());
                ASSERT_TRUE(save(*edited, *output(*edited, 200, "mine")));
            }
            ASSERT_TRUE(library->performChangesAndWait(
                [&] {
                    PHAssetCollectionChangeRequest::creationRequestForAssetCollectionWithTitle("Trip")->addAssets(ids);
                },
                nullptr));
            library.reset();
            const std::string index = libraryPath + "/library.sqlite";
            const std::string garbage(8192, 'x');
            if (unreadable) std::ofstream(index, std::ios::trunc) << garbage;
            else fs::remove(index);

            // Killed once in the rebuild, and once more in the sweep of the opening that takes it up.
            EXPECT_TRUE(KilledWhileOpening(libraryPath, point));
            EXPECT_TRUE(KilledWhileOpening(libraryPath, KillPoint::DuringSweep));

            library = open();
            ASSERT_TRUE(library);
            const photos::SweepReport& report = library->store().sweepReport();
            const auto notices = report.notices();
            std::string all;
            for (auto& line : notices) all += line + "\n";
            ASSERT_EQ(notices.size(), 1u) << all;
            const std::string& said = notices[0];
            EXPECT_NE(said.find(unreadable ? "could not be read (file is not a database)" : "index was missing"),
                      std::string::npos)
                << said;
            EXPECT_NE(said.find("from the 5 photos"), std::string::npos) << said;
            EXPECT_NE(said.find("albums and the settings of edits could not be recovered"), std::string::npos) << said;
            if (unreadable) {
                // The unreadable index is kept as it was, under the name the person is told.
                ASSERT_FALSE(report.setAsideFiles.empty());
                EXPECT_NE(said.find(report.setAsideFiles.back()), std::string::npos) << said;
                std::ifstream kept(report.setAsideFiles.back(), std::ios::binary);
                EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), garbage);
            }
            const auto rows = library->store().assets();
            EXPECT_EQ(rows.size(), 5u);
            EXPECT_EQ(std::count_if(rows.begin(), rows.end(), [](auto& r) { return r.edit.has_value(); }), 1);
            EXPECT_TRUE(library->store().albums().empty());

            // Said once the rebuild has finished, and not again.
            library.reset();
            library = open();
            EXPECT_TRUE(library->store().sweepReport().notices().empty());
        }
    }
}

}  // namespace
}  // namespace phototest
