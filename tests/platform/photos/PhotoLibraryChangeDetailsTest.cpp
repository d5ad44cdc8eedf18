// Change details of fetch results: inserts, removals, changes, moves, the limit past which
// they are not incremental, untouched fetches, another process's commit found by the poll,
// and album fetches that follow their membership.
#include <sys/wait.h>

#include <mutex>

#include "PhotoLibraryFixture.h"
#include "platform/photos/PHAssetCollection.h"
#include "platform/photos/PHAssetCollectionChangeRequest.h"
#include "platform/photos/PHChange.h"

namespace phototest {
namespace {

// Keeps the details of one fetch result at each notification.
template <class T>
class DetailsObserver : public PHPhotoLibraryChangeObserver {
public:
    explicit DetailsObserver(std::shared_ptr<PHFetchResult<T>> result) : result_(std::move(result)) {}
    void photoLibraryDidChange(const PHChange& change) override {
        std::lock_guard lock(mutex_);
        details_.push_back(change.changeDetailsForFetchResult(result_));
    }
    std::vector<std::shared_ptr<PHFetchResultChangeDetails<T>>> details() {
        std::lock_guard lock(mutex_);
        return details_;
    }

private:
    std::mutex mutex_;
    std::shared_ptr<PHFetchResult<T>> result_;
    std::vector<std::shared_ptr<PHFetchResultChangeDetails<T>>> details_;
};

class PhotoLibraryChangeDetailsTest : public PhotoLibraryFixture {
public:
    void SetUp() override {
        PhotoLibraryFixture::SetUp();
        ids.clear();
        for (std::uint8_t shade : {10, 20, 30}) ids.push_back(addNew(16, 16, shade));
        ASSERT_TRUE(library->performChangesAndWait(
            [&] {
                PHAssetCollectionChangeRequest::creationRequestForAssetCollectionWithTitle("Two")->addAssets(
                    {ids[0], ids[1]});
                PHAssetCollectionChangeRequest::creationRequestForAssetCollectionWithTitle("Empty");
            },
            nullptr));
    }
    std::shared_ptr<PHAssetCollection> album(const std::string& title) {
        auto all = PHAssetCollection::fetchAssetCollectionsWithType(PHAssetCollectionTypeAlbum,
                                                                    PHAssetCollectionSubtypeAny, {}, library);
        for (auto& c : *all)
            if (c->localizedTitle() == title) return c;
        return nullptr;
    }
    std::vector<std::string> ids;
};

struct DetailsCase {
    const char* name;
    std::function<std::shared_ptr<PHAsset::FetchResult>(PhotoLibraryChangeDetailsTest&)> fetch;
    std::function<void(PhotoLibraryChangeDetailsTest&)> change;
    bool null;
    std::set<std::size_t> removed, inserted, changed;
    std::vector<std::pair<std::size_t, std::size_t>> moves;
};

std::shared_ptr<PHAsset::FetchResult> allAssets(PhotoLibraryChangeDetailsTest& t) {
    return PHAsset::fetchAssetsWithOptions({}, t.library);
}
std::shared_ptr<PHAsset::FetchResult> albumTwo(PhotoLibraryChangeDetailsTest& t) {
    return PHAsset::fetchAssetsInAssetCollection(*t.album("Two"));
}
void change(PhotoLibraryChangeDetailsTest& t, std::function<void()> block) {
    ASSERT_TRUE(t.library->performChangesAndWait(std::move(block), nullptr));
}

const DetailsCase kDetailsCases[] = {
    {"insert", allAssets, [](auto& t) { t.addNew(8, 8, 99); }, false, {}, {3}, {}, {}},
    {"removal",
     allAssets,
     [](auto& t) { change(t, [&] { PHAssetChangeRequest::deleteAssets({t.asset(t.ids[1])}); }); },
     false,
     {1},
     {},
     {},
     {}},
    {"change",
     allAssets,
     [](auto& t) {
         change(t, [&] { PHAssetChangeRequest::changeRequestForAsset(*t.asset(t.ids[2]))->setFavorite(true); });
     },
     false,
     {},
     {},
     {2},
     {}},
    {"move",
     albumTwo,
     [](auto& t) {
         change(t, [&] {
             PHAssetCollectionChangeRequest::changeRequestForAssetCollection(*t.album("Two"))->removeAssets({t.ids[0]});
         });
         change(t, [&] {
             PHAssetCollectionChangeRequest::changeRequestForAssetCollection(*t.album("Two"))->addAssets({t.ids[0]});
         });
     },
     false,
     {},
     {},
     {},
     {{1, 0}}},
    {"unrelated change",
     albumTwo,
     [](auto& t) {
         change(t, [&] { PHAssetChangeRequest::changeRequestForAsset(*t.asset(t.ids[2]))->setFavorite(true); });
     },
     true,
     {},
     {},
     {},
     {}},
};

TEST_F(PhotoLibraryChangeDetailsTest, DetailsSayWhatTheChangeDidToTheFetch) {
    for (const DetailsCase& c : kDetailsCases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        auto observer = std::make_shared<DetailsObserver<PHAsset>>(c.fetch(*this));
        library->registerChangeObserver(observer);
        c.change(*this);
        PumpUntil([] { return true; });
        ASSERT_FALSE(observer->details().empty());
        auto details = observer->details().back();
        if (c.null) {
            EXPECT_FALSE(details);
            continue;
        }
        ASSERT_TRUE(details);
        EXPECT_TRUE(details->hasIncrementalChanges());
        EXPECT_EQ(details->removedIndexes(), c.removed);
        EXPECT_EQ(details->insertedIndexes(), c.inserted);
        EXPECT_EQ(details->changedIndexes(), c.changed);
        std::vector<std::pair<std::size_t, std::size_t>> moves;
        details->enumerateMovesWithBlock([&](std::size_t from, std::size_t to) { moves.emplace_back(from, to); });
        EXPECT_EQ(moves, c.moves);
    }
}

TEST(PhotoSnapshotDiffTest, PastAThousandChangesTheDetailsAreNotIncremental) {
    std::vector<PHFetchSnapshotEntry> before, after;
    for (std::int64_t i = 0; i < 1001; ++i) after.push_back({i, 1});
    EXPECT_FALSE(PHDiffSnapshots(before, after).incremental);
    after.pop_back();
    const auto diff = PHDiffSnapshots(before, after);
    EXPECT_TRUE(diff.incremental);
    EXPECT_EQ(diff.inserted.size(), 1000u);
    // A reversal moves all but one; a rotation moves one.
    std::vector<PHFetchSnapshotEntry> abcd{{1, 1}, {2, 1}, {3, 1}, {4, 1}}, dcba{{4, 1}, {3, 1}, {2, 1}, {1, 1}},
        bcda{{2, 1}, {3, 1}, {4, 1}, {1, 1}};
    EXPECT_EQ(PHDiffSnapshots(abcd, dcba).moves.size(), 3u);
    EXPECT_EQ(PHDiffSnapshots(abcd, bcda).moves, (std::vector<std::pair<std::size_t, std::size_t>>{{0, 3}}));
}

TEST_F(PhotoLibraryChangeDetailsTest, AnImageAddedToAnEmptyAlbumChangesTheAlbumFetch) {
    auto albums = PHAssetCollection::fetchAssetCollectionsWithType(PHAssetCollectionTypeAlbum,
                                                                   PHAssetCollectionSubtypeAny, {}, library);
    auto observer = std::make_shared<DetailsObserver<PHAssetCollection>>(albums);
    library->registerChangeObserver(observer);
    change(*this, [&] {
        PHAssetCollectionChangeRequest::changeRequestForAssetCollection(*album("Empty"))->addAssets({ids[2]});
    });
    ASSERT_EQ(observer->details().size(), 1u);
    auto details = observer->details()[0];
    ASSERT_TRUE(details);
    EXPECT_EQ(details->changedIndexes(), (std::set<std::size_t>{albums->indexOfObject(*album("Empty"))}));
    EXPECT_EQ(
        details->fetchResultAfterChanges()->objectAtIndex(*details->changedIndexes().begin())->estimatedAssetCount(),
        1u);
}

TEST_F(PhotoLibraryChangeDetailsTest, AnotherProcessCommitShowsUpAtTheNextPoll) {
    auto observer = std::make_shared<DetailsObserver<PHAsset>>(allAssets(*this));
    library->registerChangeObserver(observer);
    const std::string photo = WriteImage(file("elsewhere.jpg"), 12, 12, 77);
    const pid_t child = fork();
    if (child == 0) {
        NSErrorPtr error;
        auto store = photos::PhotoStore::open(libraryPath, &error);
        photos::ChangeSet changes;
        changes.creations.push_back({photos::MakeUUID(), photo});
        _exit(store && store->commit(changes, &error) ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_EQ(WEXITSTATUS(status), 0);

    NSRunLoop::mainRunLoop().advance(0.5);
    PumpUntil([] { return true; });
    EXPECT_TRUE(observer->details().empty());  // not polled yet
    NSRunLoop::mainRunLoop().advance(0.5);
    ASSERT_TRUE(PumpUntil([&] { return !observer->details().empty(); }));
    ASSERT_TRUE(observer->details()[0]);
    EXPECT_EQ(observer->details()[0]->insertedIndexes(), std::set<std::size_t>{3});
}

}  // namespace
}  // namespace phototest
