// The browser over a real library: album order, library changes, preheating, the edit badge,
// full-resolution pictures, a photo whose file cannot be read.
#include "BrowserFixture.h"

#include <fstream>

#include "library/browser/PhotoCollectionViewCell.h"
#include "platform/photos/PHAssetCollectionChangeRequest.h"
#include "platform/photos/PHContentEditingOutput.h"

using namespace browsertest;

namespace {

NSIndexPath Item(long item) { return NSIndexPath::indexPathForItem(item, 0); }

}  // namespace

class PhotoBrowserTest : public BrowserFixture {
public:
    // Photos a, b, c, ... added one by one (library order) and also gathered in album "Trip".
    std::vector<std::string> addPhotos(int count) {
        std::vector<std::string> ids;
        for (int i = 0; i < count; ++i) {
            import({plainPhoto(std::string(1, char('a' + i)) + ".jpg",
                               {std::uint8_t(40 * i), std::uint8_t(250 - 40 * i), 128})},
                   "Trip");
        }
        auto fetch = PhotoCollectionView::assetsInAssetCollection(*album("Trip"));
        for (auto& asset : fetch->objects()) ids.push_back(asset->localIdentifier());
        return ids;
    }
    // What the shown album's fetch holds now, in display order.
    std::vector<std::string> expectedShown() const {
        auto fetch = PhotoCollectionView::assetsInAssetCollection(*browser->assetsGroup());
        std::vector<std::string> ids;
        for (auto& a : fetch->objects()) ids.push_back(a->localIdentifier());
        if (PhotoCollectionView::assetsGroupIsSmartAlbum(*browser->assetsGroup())) std::reverse(ids.begin(), ids.end());
        return ids;
    }
    void change(const std::function<void()>& block) {
        ASSERT_TRUE(library->performChangesAndWait(block, nullptr));
        settle();
        settle();
    }
    void editPhoto(const std::string& id) {
        auto asset = PHAsset::fetchAssetsWithLocalIdentifiers({id}, {}, library)->firstObject();
        PHContentEditingInput input;
        input.assetLocalIdentifier = id;
        auto output = std::make_shared<PHContentEditingOutput>(input, *library);
        platform::ImageIOError error;
        ASSERT_TRUE(platform::WriteImageFile(PlainPhoto(64, 48, {1, 2, 3}), platform::ImageFileType::JPEG, {},
                                             output->renderedContentURL(), &error));
        output->setAdjustmentData(std::make_shared<PHAdjustmentData>(PHAdjustmentData{"other.editor", "1", {1}}));
        PHAssetChangeRequest::changeRequestForAsset(*asset)->setContentEditingOutput(*output);
    }
};

TEST_F(PhotoBrowserTest, SmartAlbumsShowNewestFirstAndRegularAlbumsInTheirOrder) {
    const auto ids = addPhotos(3);
    makeBrowser();
    EXPECT_EQ(shown(), (std::vector<std::string>{ids[2], ids[1], ids[0]}));
    browser->setPhotoCollectionAssetsGroup(album("Trip"));
    EXPECT_EQ(shown(), ids);
    EXPECT_EQ(browser->assetGroupName(), "Trip");
    EXPECT_FALSE(browser->assetAtIndexPath(Item(3)));
    EXPECT_FALSE(browser->assetAtIndexPath(Item(-1)));
    EXPECT_EQ(browser->collectionView()->numberOfItemsInSection(0), 3);
}

TEST_F(PhotoBrowserTest, ShowingTheAlbumAlreadyShownChangesNothing) {
    addPhotos(30);
    makeBrowser();
    std::vector<NSIndexPath> changes;
    browser->setSelectedChangedBlock([&](const NSIndexPath& p) { changes.push_back(p); });
    browser->collectionView()->setContentOffset(CGPointMake(0, 300), false);
    browser->setPhotoCollectionAssetsSavedPhotosGroup();
    browser->setPhotoCollectionAssetsGroup(PhotoCollectionView::savedPhotosGroup());
    EXPECT_TRUE(changes.empty());
    EXPECT_EQ(browser->collectionView()->contentOffset().y, 300);
    // Another album starts from its beginning, its first photo selected.
    browser->setPhotoCollectionAssetsGroup(album("Trip"));
    EXPECT_EQ(browser->collectionView()->contentOffset().y, 0);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0], Item(0));
}

TEST_F(PhotoBrowserTest, LibraryChangesLeaveTheItemsMatchingTheFetch) {
    const struct {
        const char* name;
        bool regular;  // the album, else the user library
        std::function<void(PhotoBrowserTest&, const std::vector<std::string>&)> change;
    } cases[] = {
        {"insert only", false,
         [](PhotoBrowserTest& t, auto&) {
             const auto path = t.plainPhoto("new.jpg", {9, 9, 9});
             t.change([&] { PHAssetChangeRequest::creationRequestForAssetFromImageAtFileURL(path); });
         }},
        {"removal", true,
         [](PhotoBrowserTest& t, auto& ids) {
             t.change([&] { PHAssetChangeRequest::deleteAssets({t.asset(ids[1])}); });
         }},
        {"change", false, [](PhotoBrowserTest& t, auto& ids) { t.change([&] { t.editPhoto(ids[2]); }); }},
        {"removal and change of one item", true,
         [](PhotoBrowserTest& t, auto& ids) {
             t.change([&] {
                 PHAssetChangeRequest::deleteAssets({t.asset(ids[0])});
                 t.editPhoto(ids[1]);
             });
         }},
        {"moves", true,
         [](PhotoBrowserTest& t, auto& ids) {
             t.change([&] {
                 auto request = PHAssetCollectionChangeRequest::changeRequestForAssetCollection(*t.album("Trip"));
                 request->removeAssets({ids[0]});
             });
             t.change([&] {
                 PHAssetCollectionChangeRequest::changeRequestForAssetCollection(*t.album("Trip"))->addAssets({ids[0]});
             });
         }},
        {"no details for the album", true,
         [](PhotoBrowserTest& t, auto&) {
             const auto path = t.plainPhoto("outside.jpg", {9, 9, 9});
             t.change([&] { PHAssetChangeRequest::creationRequestForAssetFromImageAtFileURL(path); });
         }},
        {"a suppressed change that alters the count", false,
         [](PhotoBrowserTest& t, auto&) {
             // A finished download arms the suppression of the next change.
             t.browser->cloudReloadReceivedProgress(0.5);
             t.browser->cloudReloadReceivedProgress(1.0);
             t.browser->cloudReloadReceivedEmptyChange();
             t.browser->cloudReloadReceivedProgress(1.0);
             const auto path = t.plainPhoto("arrived.jpg", {9, 9, 9});
             t.change([&] { PHAssetChangeRequest::creationRequestForAssetFromImageAtFileURL(path); });
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        const auto ids = addPhotos(4);
        makeBrowser();
        if (c.regular) browser->setPhotoCollectionAssetsGroup(album("Trip"));
        c.change(*this, ids);
        EXPECT_EQ(shown(), expectedShown());
        EXPECT_EQ(browser->collectionView()->numberOfItemsInSection(0), long(expectedShown().size()));
        browser->collectionView()->layoutIfNeeded();
        for (const auto& p : browser->collectionView()->indexPathsForVisibleItems())
            EXPECT_LT(p.item, long(shown().size()));
    }
}

TEST_F(PhotoBrowserTest, PreheatingCoversTheStripsThatJoinAndLeave) {
    using Strips = std::vector<CGRect>;
    const CGRect old = CGRectMake(0, 100, 320, 200);
    const struct {
        const char* name;
        CGRect next;
        Strips removed, added;
    } cases[] = {
        {"disjoint", CGRectMake(0, 500, 320, 200), {old}, {CGRectMake(0, 500, 320, 200)}},
        {"grown down", CGRectMake(0, 100, 320, 300), {}, {CGRectMake(0, 300, 320, 100)}},
        {"grown up", CGRectMake(0, 50, 320, 250), {}, {CGRectMake(0, 50, 320, 50)}},
        {"shrunk", CGRectMake(0, 150, 320, 100), {CGRectMake(0, 250, 320, 50), CGRectMake(0, 100, 320, 50)}, {}},
        {"moved down", CGRectMake(0, 200, 320, 200), {CGRectMake(0, 100, 320, 100)}, {CGRectMake(0, 300, 320, 100)}},
    };
    for (const auto& c : cases) {
        Strips removed, added;
        PhotoCollectionView::computeDifferenceBetweenRect(
            old, c.next, [&](CGRect r) { removed.push_back(r); }, [&](CGRect r) { added.push_back(r); });
        EXPECT_EQ(removed, c.removed) << c.name;
        EXPECT_EQ(added, c.added) << c.name;
    }

    // The preheated region follows the view only once it has moved more than a third.
    addPhotos(40);
    makeBrowser();
    auto& cv = *browser->collectionView();
    const CGFloat h = cv.bounds().size.height;
    const CGRect first = browser->previousPreheatRect();
    EXPECT_EQ(first, CGRectInset(cv.bounds(), 0, -h / 2));
    cv.setContentOffset(CGPointMake(0, h / 4), false);
    EXPECT_EQ(browser->previousPreheatRect(), first);
    cv.setContentOffset(CGPointMake(0, h / 2), false);
    EXPECT_EQ(browser->previousPreheatRect(), CGRectInset(cv.bounds(), 0, -h / 2));
}

TEST_F(PhotoBrowserTest, TheBadgeNeedsBothMarksAndTheSingleLayout) {
    using platform::ImageProperties;
    using platform::ImagePropertyValue;
    const ImageProperties software{{platform::kCGImagePropertyTIFFDictionary,
                                    ImageProperties{{platform::kCGImagePropertyTIFFSoftware, "Tavorin 2.0"}}}};
    const ImageProperties keyword{
        {platform::kCGImagePropertyIPTCDictionary,
         ImageProperties{{platform::kCGImagePropertyIPTCKeywords, ImagePropertyValue::Strings{"Tavorin Edit"}}}}};
    ImageProperties both = software;
    both.insert(keyword.begin(), keyword.end());
    const struct {
        const char* name;
        ImageProperties properties;
        bool badge;
    } cases[] = {{"none", {}, false}, {"software", software, false}, {"keyword", keyword, false}, {"both", both, true}};
    for (const auto& c : cases) {
        const std::string path = (root / "files" / (std::string(c.name) + ".jpg")).string();
        platform::ImageIOError error;
        ASSERT_TRUE(platform::WriteImageFile(PlainPhoto(40, 30, {90, 90, 90}), platform::ImageFileType::JPEG,
                                             c.properties, path, &error));
        import({path});
    }
    makeBrowser();
    // Newest first: both, keyword, software, none.
    for (long i = 0; i < 4; ++i) {
        const auto& c = cases[3 - i];
        EXPECT_EQ(browser->shouldShowEditDecoratorForIndexPath(Item(i), PhotoCollectionLayoutSingle), c.badge)
            << c.name;
        EXPECT_FALSE(browser->shouldShowEditDecoratorForIndexPath(Item(i), PhotoCollectionLayoutGrid)) << c.name;
    }
    // The cells agree: no badge in the grid, the badge on the marked photo's page.
    auto cell = [&](long i) {
        return std::dynamic_pointer_cast<PhotoCollectionViewCell>(
            browser->collectionView()->cellForItemAtIndexPath(Item(i)));
    };
    ASSERT_TRUE(cell(0));
    EXPECT_FALSE(cell(0)->showEditDecorator());
    bool switched = false;
    browser->setPhotoCollectionLayout(PhotoCollectionLayoutSingle, Item(0), false, [&](bool) { switched = true; });
    ASSERT_TRUE(pump([&] { return switched; }));
    settle();
    ASSERT_TRUE(cell(0));
    EXPECT_TRUE(cell(0)->showEditDecorator());
    browser->selectItemAtIndexPath(Item(1), false, UICollectionViewScrollPositionCenteredHorizontally);
    browser->collectionView()->layoutIfNeeded();
    ASSERT_TRUE(cell(1));
    EXPECT_FALSE(cell(1)->showEditDecorator());
}

TEST_F(PhotoBrowserTest, AFullResolutionPictureOfADeletedPhotoIsNil) {
    import({kPhotograph, plainPhoto("a.jpg", {200, 0, 0})});
    makeBrowser();
    auto photo = browser->fullResolutionImageForIndexPath(Item(1));
    ASSERT_TRUE(photo);
    EXPECT_EQ(photo->size(), CGSizeMake(assetShown(1)->pixelWidth(), assetShown(1)->pixelHeight()));
    // Deleted behind the browser's back: the answer is nil and the wait ends.
    ASSERT_TRUE(library->performChangesAndWait([&] { PHAssetChangeRequest::deleteAssets({assetShown(0)}); }, nullptr));
    EXPECT_FALSE(browser->fullResolutionImageForIndexPath(Item(0)));
    EXPECT_FALSE(browser->progressView());
}

TEST_F(PhotoBrowserTest, ASelectionWhosePhotoGoesIsToldWhereItMoved) {
    const auto ids = addPhotos(3);
    makeBrowser();
    browser->setPhotoCollectionAssetsGroup(album("Trip"));
    browser->setPhotoCollectionLayout(PhotoCollectionLayoutSingle, Item(1), false);
    browser->selectItemAtIndexPath(Item(1), false, UICollectionViewScrollPositionCenteredHorizontally);
    settle();
    std::vector<std::string> told;  // the photo each call names ("" for none)
    browser->setSelectedChangedBlock([&](const NSIndexPath& indexPath) {
        auto asset = browser->assetAtIndexPath(indexPath);
        told.push_back(asset ? asset->localIdentifier() : "");
    });
    const struct {
        const char* what;
        std::string gone;
        std::vector<std::string> told;  // what the browser says, in order
    } steps[] = {
        {"a photo before it goes: the selection follows its photo", ids[0], {ids[1]}},
        {"the selected photo goes: the next one at its place", ids[1], {ids[2]}},
        {"the last photo goes: nothing selected", ids[2], {""}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        told.clear();
        change([&] { PHAssetChangeRequest::deleteAssets({asset(step.gone)}); });
        EXPECT_EQ(told, step.told);
    }
}

// A photo whose file was damaged on the disk after it came in says so in its place, with the
// reason on its own page, rather than showing grey rows or nothing at all.
TEST_F(PhotoBrowserTest, APhotoDamagedOnTheDiskSaysSoInItsPlace) {
    import({kPhotograph, plainPhoto("a.jpg", {200, 0, 0})});
    std::string damagedId;
    const auto assets = PHAsset::fetchAssetsWithOptions({}, library);
    for (auto& asset : *assets)
        if (asset->pixelWidth() > 1000) damagedId = asset->localIdentifier();
    // Its scan cut in half and closed with an end marker: the decoder would fill the rest grey.
    const std::string path = library->store().contentPath(*record(damagedId));
    fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
    fs::resize_file(path, fs::file_size(path) / 2);
    std::ofstream(path, std::ios::binary | std::ios::app).write("\xFF\xD9", 2);
    makeBrowser();
    settle();
    const long damaged = assetShown(0)->localIdentifier() == damagedId ? 0 : 1;
    auto cell = [&](long i) {
        return std::dynamic_pointer_cast<PhotoCollectionViewCell>(
            browser->collectionView()->cellForItemAtIndexPath(Item(i)));
    };
    ASSERT_TRUE(cell(damaged) && cell(1 - damaged));
    ASSERT_TRUE(cell(damaged)->unreadableLabel());
    EXPECT_EQ(cell(damaged)->unreadableLabel()->text(), "This photo cannot be shown");
    EXPECT_FALSE(cell(1 - damaged)->unreadableLabel());
    EXPECT_TRUE(cell(1 - damaged)->imageView()->image());

    bool switched = false;
    browser->setPhotoCollectionLayout(PhotoCollectionLayoutSingle, Item(damaged), false,
                                      [&](bool) { switched = true; });
    ASSERT_TRUE(pump([&] { return switched; }));
    settle();
    ASSERT_TRUE(cell(damaged));
    // The page's picture is asked for on the library's queue.
    EXPECT_TRUE(pump([&] { return cell(damaged)->unreadableLabel() != nullptr; }));
    ASSERT_TRUE(cell(damaged)->unreadableLabel());
    const std::string text = cell(damaged)->unreadableLabel()->text();
    EXPECT_EQ(text.rfind("This photo cannot be shown", 0), 0u) << text;
    EXPECT_NE(text.find("premature end of data segment"), std::string::npos) << text;
    EXPECT_FALSE(cell(damaged)->imageView()->image());
}

TEST_F(PhotoBrowserTest, AGoneBrowserNeitherHearsTheLibraryNorLosesAnAnswer) {
    import({plainPhoto("a.jpg", {10, 200, 10})});
    makeBrowser();
    // A change under way when the browser goes still answers its caller, once.
    Answers<bool, NSErrorPtr> answers;
    browser->saveNewAssetWithImage(photos::ImageFromBitmap(PlainPhoto(32, 24, {5, 5, 5})), {}, answers.block());
    browser->removeFromSuperview();
    browser.reset();
    ASSERT_TRUE(pump([&] { return answers.count > 0; }));
    // Later changes reach no browser.
    const auto path = plainPhoto("b.jpg", {200, 10, 10});
    ASSERT_TRUE(library->performChangesAndWait(
        [&] { PHAssetChangeRequest::creationRequestForAssetFromImageAtFileURL(path); }, nullptr));
    settle();
    EXPECT_EQ(answers.count, 1);
    EXPECT_TRUE(std::get<0>(answers.last));
}
