// A process killed in the middle of a save, a revert, a creation or the start-up sweep never
// costs an original or an edit: after reopening, the original is unchanged, the edit is the
// old one or the new one whole, the index checks out and no stranded file remains.
#include <signal.h>
#include <sys/wait.h>

#include <set>

#include "PhotoLibraryFixture.h"
#include "platform/photos/PhotoStore.h"

namespace phototest {
namespace {

using photos::KillPoint;

enum class Operation { Save, Revert, Creation };

class PhotoLibraryCrashTest : public PhotoLibraryFixture {};

std::vector<std::uint8_t> bytes(const std::string& s) { return {s.begin(), s.end()}; }

TEST_F(PhotoLibraryCrashTest, AKillAtAnyPointLeavesTheOldStateOrTheNewOneWhole) {
    const KillPoint points[] = {KillPoint::AfterStaging, KillPoint::AfterLink, KillPoint::InCommitHook,
                                KillPoint::AfterCommit, KillPoint::DuringSweep};
    const Operation operations[] = {Operation::Save, Operation::Revert, Operation::Creation};
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
                photos::AssetEdit edit;
                edit.uuid = edit.outputAssetUUID = id;
                edit.kind =
                    operation == Operation::Save ? photos::AssetEdit::Kind::Save : photos::AssetEdit::Kind::Revert;
                edit.renderSource = render;
                edit.edit = {"", "com.tavorin.state", "1.0", bytes("new"), 0};
                if (operation != Operation::Creation) changes.edits.push_back(edit);
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

            std::set<std::string> named;
            for (auto& r : store.assets(true)) {
                named.insert(r.originalPath);
                if (r.edit) named.insert(r.edit->renderPath);
            }
            for (auto& [path, size] : libraryFiles()) EXPECT_TRUE(named.count(path)) << "stranded " << path;
            for (const char* work : {"/staging", "/inputs"}) EXPECT_TRUE(fs::is_empty(libraryPath + work)) << work;
        }
    }
}

}  // namespace
}  // namespace phototest
