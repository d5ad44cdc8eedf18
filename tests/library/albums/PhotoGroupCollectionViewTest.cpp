// The album picker on a real photo library: which albums it lists and in which order, their
// texts and covers as the screen shows them, the list following the library, the choice, and
// the item sizes of phone and pad.
#include <gtest/gtest.h>

#include "library/albums/PhotoGroupCollectionView.h"
#include "library/albums/PhotoGroupCollectionViewCell.h"
#include "library/browser/BrowserFixture.h"
#include "platform/photos/PHAssetChangeRequest.h"
#include "platform/photos/PHAssetCollectionChangeRequest.h"
#include "ui/widgets/TextDisplayView.h"

namespace {

using namespace browsertest;

class PhotoGroupCollectionViewTest : public BrowserFixture {
protected:
    void TearDown() override {
        if (picker) picker->removeFromSuperview();
        picker.reset();
        BrowserFixture::TearDown();
    }
    void makePicker(CGRect frame) {
        picker = std::make_shared<PhotoGroupCollectionView>(frame);
        ui->window->addSubview(picker);
        pump([] { return true; });
        picker->layoutIfNeeded();
        picker->collectionView()->layoutIfNeeded();
    }
    void makePicker() { makePicker(ui->window->bounds()); }
    void setSystemVersion(const std::string& version) {
        UIDeviceProfile profile = UIDeviceProfile::phone();
        profile.systemVersion = version;
        UIDeviceProfile::setCurrent(profile);
    }
    // "name: detail" of every listed album, in order.
    std::vector<std::string> listed() {
        std::vector<std::string> rows;
        const auto count = picker->collectionView()->numberOfItemsInSection(0);
        for (long i = 0; i < count; ++i) {
            auto cell = std::dynamic_pointer_cast<PhotoGroupCollectionViewCell>(
                picker->collectionView()->cellForItemAtIndexPath(NSIndexPath::indexPathForItem(i, 0)));
            if (!cell) {
                rows.push_back("(not shown)");
                continue;
            }
            rows.push_back(cell->textDisplayView()->headerText() + ": " + cell->textDisplayView()->detailText());
        }
        return rows;
    }
    std::string createAlbum(const std::string& title) {
        std::string id;
        EXPECT_TRUE(library->performChangesAndWait(
            [&] {
                id = PHAssetCollectionChangeRequest::creationRequestForAssetCollectionWithTitle(title)
                         ->placeholderForCreatedAssetCollection()
                         ->localIdentifier();
            },
            nullptr));
        settle();
        return id;
    }
    std::string createPhoto(const std::string& path, bool selfPortrait) {
        std::string id;
        EXPECT_TRUE(library->performChangesAndWait(
            [&] {
                auto request = PHAssetChangeRequest::creationRequestForAssetFromImageAtFileURL(path);
                request->setSelfPortrait(selfPortrait);
                id = request->placeholderForCreatedAsset()->localIdentifier();
            },
            nullptr));
        settle();
        return id;
    }

    std::shared_ptr<PhotoGroupCollectionView> picker;
};

TEST_F(PhotoGroupCollectionViewTest, AlbumsWithImagesAreListedInSourceOrderWithTheirCounts) {
    import({plainPhoto("red.jpg", {220, 30, 30}), plainPhoto("blue.jpg", {30, 30, 220})}, "Holidays");
    import({plainPhoto("green.jpg", {30, 200, 30})}, "Solo");
    createAlbum("Empty");
    createPhoto(plainPhoto("me.jpg", {200, 200, 30}), true);
    struct Case {
        const char* version;
        std::size_t sources;
        std::vector<std::string> rows;
    } cases[] = {
        {"8.4", 4u, {"All Photos: 4 photos", "Holidays: 2 photos", "Solo: 1 photo"}},
        {"9.0", 5u, {"All Photos: 4 photos", "Selfies: 1 photo", "Holidays: 2 photos", "Solo: 1 photo"}},
    };
    for (const auto& c : cases) {
        setSystemVersion(c.version);
        makePicker();
        EXPECT_EQ(picker->collectionsFetchResults().size(), c.sources) << c.version;
        EXPECT_EQ(listed(), c.rows) << c.version;
        picker->removeFromSuperview();
    }
}

TEST_F(PhotoGroupCollectionViewTest, CoversAreTheNewestOfASmartAlbumAndTheFirstOfAnAlbum) {
    import({plainPhoto("red.jpg", {230, 20, 20}), plainPhoto("blue.jpg", {20, 20, 230})}, "Holidays");
    makePicker();
    ASSERT_EQ(listed(), (std::vector<std::string>{"All Photos: 2 photos", "Holidays: 2 photos"}));
    const auto shot = ui->screenshot();
    const CGFloat scale = UIScreen::mainScreen().scale();
    // A corner of each cell, away from the centred texts; the shade darkens both alike.
    auto corner = [&](long item) {
        const CGRect cell = picker->rectForAssetGroup(
            *picker->collectionFetchResultCache().at(NSIndexPath::indexPathForItem(item, 0))->collection);
        return meanColorInPoints(shot, CGRectMake(cell.origin.x + 8, cell.origin.y + 8, 40, 30), scale);
    };
    const CGColor library = corner(0), album = corner(1);
    EXPECT_GT(library.b, library.r + 0.2) << "the user library shows its newest photo, the blue one";
    EXPECT_GT(album.r, album.b + 0.2) << "the album shows its first photo, the red one";
    EXPECT_LT(album.r, 0.75) << "under the shade";
}

TEST_F(PhotoGroupCollectionViewTest, AnAlbumAppearsAtItsPlaceOnceItHoldsAnImage) {
    import({plainPhoto("green.jpg", {30, 200, 30})}, "Solo");
    const std::string later = createAlbum("Later");
    import({plainPhoto("last.jpg", {30, 30, 200})}, "Zed");
    makePicker();
    ASSERT_EQ(listed(), (std::vector<std::string>{"All Photos: 2 photos", "Solo: 1 photo", "Zed: 1 photo"}));
    const auto collection =
        PHAssetCollection::fetchAssetCollectionsWithLocalIdentifiers({later}, {}, library)->firstObject();
    ASSERT_TRUE(collection);
    EXPECT_EQ(picker->rectForAssetGroup(*collection), CGRectZero) << "not listed";
    const std::string photo = createPhoto(plainPhoto("new.jpg", {200, 30, 30}), false);
    ASSERT_TRUE(library->performChangesAndWait(
        [&] { PHAssetCollectionChangeRequest::changeRequestForAssetCollection(*collection)->addAssets({photo}); },
        nullptr));
    settle();
    picker->collectionView()->layoutIfNeeded();
    EXPECT_EQ(listed(),
              (std::vector<std::string>{"All Photos: 3 photos", "Solo: 1 photo", "Later: 1 photo", "Zed: 1 photo"}));
    const CGRect rect = picker->rectForAssetGroup(*collection);
    EXPECT_EQ(rect.origin.y, 2 * rect.size.height) << "the third cell";
}

TEST_F(PhotoGroupCollectionViewTest, AChoiceHandsOverTheAlbumOnlyWithABlock) {
    import({plainPhoto("red.jpg", {230, 20, 20})}, "Holidays");
    makePicker();
    const CGRect second = picker->rectForAssetGroup(
        *picker->collectionFetchResultCache().at(NSIndexPath::indexPathForItem(1, 0))->collection);
    ui->tap(CGRectGetMidX(second), CGRectGetMidY(second));  // no block: nothing happens
    std::vector<std::string> chosen;
    picker->setSelectedBlock(
        [&](const std::shared_ptr<PHAssetCollection>& c) { chosen.push_back(c->localizedTitle()); });
    ui->tap(CGRectGetMidX(second), CGRectGetMidY(second) + 20);
    EXPECT_EQ(chosen, std::vector<std::string>{"Holidays"});
}

TEST_F(PhotoGroupCollectionViewTest, ItemsAreHalfAsHighAsTheyAreWideOnPhoneAndPad) {
    import({plainPhoto("red.jpg", {230, 20, 20})});
    struct Case {
        UIDeviceProfile profile;
        CGFloat width;
        CGSize item;
        CGFloat inset;
    } cases[] = {{UIDeviceProfile::phone(), 375, {375, 187.5}, 0}, {UIDeviceProfile::pad(), 768, {728, 364}, 20}};
    for (const auto& c : cases) {
        UIDeviceProfile::setCurrent(c.profile);
        makePicker(CGRectMake(0, 0, c.width, 600));
        auto layout =
            std::dynamic_pointer_cast<UICollectionViewFlowLayout>(picker->collectionView()->collectionViewLayout());
        ASSERT_TRUE(layout);
        EXPECT_EQ(layout->itemSize().width, c.item.width);
        EXPECT_EQ(layout->itemSize().height, c.item.height);
        const CGRect first = picker->rectForAssetGroup(
            *picker->collectionFetchResultCache().at(NSIndexPath::indexPathForItem(0, 0))->collection);
        EXPECT_EQ(first.origin.x, c.inset);
        EXPECT_EQ(first.size.width, c.item.width);
        // A new width lays the list out afresh.
        picker->setFrame(CGRectMake(0, 0, c.width - 100, 600));
        picker->layoutIfNeeded();
        EXPECT_EQ(layout->itemSize().width, c.item.width - 100);
        picker->removeFromSuperview();
    }
}

}  // namespace
