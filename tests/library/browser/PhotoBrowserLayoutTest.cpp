// The browser's grid and single layouts on the real toolkit and the manual clock: sizes per
// device, the switch around a photo, paging by touch, and what the screen shows.
#include "BrowserFixture.h"
#include "library/browser/PhotoCollectionViewCell.h"
#include "ui/widgets/ImageContentView.h"

using namespace browsertest;

namespace {

NSIndexPath Item(long item) { return NSIndexPath::indexPathForItem(item, 0); }

// Six colours, each repeat a shade apart (the import skips photos it already holds).
RGB ColourOf(int i) {
    const RGB colours[] = {{220, 30, 30}, {30, 200, 40}, {40, 60, 220}, {230, 210, 20}, {200, 40, 200}, {20, 200, 210}};
    RGB c = colours[i % 6];
    c.g = std::uint8_t(c.g + i / 6);
    return c;
}

}  // namespace

class PhotoBrowserLayoutTest : public BrowserFixture {
public:
    // Photos imported one by one, the first of colour 0 (shown last in the user library).
    void addPhotos(int count) {
        std::vector<std::string> paths;
        for (int i = 0; i < count; ++i) paths.push_back(plainPhoto("p" + std::to_string(i) + ".jpg", ColourOf(i)));
        for (auto& p : paths) import({p});
    }
    // Switches and lets the switch end.
    void switchTo(PhotoCollectionLayout layout, NSIndexPath item, bool animated) {
        bool done = false;
        browser->setPhotoCollectionLayout(layout, item, animated, [&](bool) { done = true; });
        ASSERT_TRUE(pump([&] { return done; }));
        settle();
    }
    CGRect frameInWindow(long item) {
        auto attributes = browser->collectionView()->layoutAttributesForItemAtIndexPath(Item(item));
        return browser->collectionView()->convertRectToView(attributes->frame, nullptr);
    }
    RGB screenColour(CGRect points) {
        const CGColor c = ui->meanColor(points);
        return {std::uint8_t(c.r * 255 + 0.5), std::uint8_t(c.g * 255 + 0.5), std::uint8_t(c.b * 255 + 0.5)};
    }
    // The photo shown at the item, by its colour (newest first: the last imported is item 0).
    RGB colourShownAt(long item, int count) { return ColourOf(int(count - 1 - item)); }
};

TEST_F(PhotoBrowserLayoutTest, CellSidesFollowTheDeviceAndTheStatusBar) {
    addPhotos(6);
    const struct {
        const char* name;
        UIDeviceProfile profile;
        CGFloat width;
        UIInterfaceOrientation statusBar;
        CGFloat side;
        int columns;
    } cases[] = {
        {"320-point phone",
         [] {
             auto p = UIDeviceProfile::phone();
             p.portraitSize = {320, 568};
             return p;
         }(),
         320, UIInterfaceOrientation::Portrait, 105, 3},
        {"375-point phone", UIDeviceProfile::phone(), 375, UIInterfaceOrientation::Portrait, 123, 3},
        {"pad in portrait", UIDeviceProfile::pad(), 768, UIInterfaceOrientation::Portrait, 167, 4},
        {"pad in landscape", UIDeviceProfile::pad(), 1024, UIInterfaceOrientation::LandscapeLeft, 180, 5},
    };
    for (const auto& c : cases) {
        UIDeviceProfile::setCurrent(c.profile);
        UIApplication::sharedApplication().resetStatusBarOrientation(c.statusBar);
        browser = std::make_shared<PhotoCollectionView>(CGRectMake(0, 0, c.width, 600));
        ui->window->addSubview(browser);
        browser->setPhotoCollectionAssetsSavedPhotosGroup();
        browser->layoutIfNeeded();
        auto layout =
            std::dynamic_pointer_cast<UICollectionViewFlowLayout>(browser->collectionView()->collectionViewLayout());
        EXPECT_EQ(layout->itemSize(), CGSizeMake(c.side, c.side)) << c.name;
        EXPECT_EQ(browser->gridLayoutItemSize(), CGSizeMake(c.side * c.profile.scale, c.side * c.profile.scale))
            << c.name;
        auto row = [&](long item) {
            return browser->collectionView()->layoutAttributesForItemAtIndexPath(Item(item))->frame.origin.y;
        };
        EXPECT_EQ(row(c.columns - 1), row(0)) << c.name;
        EXPECT_GT(row(c.columns), row(0)) << c.name;
        browser->removeFromSuperview();
    }
    // Turning the pad in the grid: four columns become five and the thumbnails grow.
    UIDeviceProfile::setCurrent(UIDeviceProfile::pad());
    UIApplication::sharedApplication().resetStatusBarOrientation(UIInterfaceOrientation::Portrait);
    browser = std::make_shared<PhotoCollectionView>(CGRectMake(0, 0, 768, 1024));
    ui->window->addSubview(browser);
    browser->setPhotoCollectionAssetsSavedPhotosGroup();
    browser->layoutIfNeeded();
    EXPECT_EQ(browser->gridLayoutItemSize(), CGSizeMake(334, 334));
    UIApplication::sharedApplication().resetStatusBarOrientation(UIInterfaceOrientation::LandscapeRight);
    browser->setFrame(CGRectMake(0, 0, 1024, 768));
    browser->layoutIfNeeded();
    EXPECT_EQ(browser->gridLayoutItemSize(), CGSizeMake(360, 360));
    UIApplication::sharedApplication().resetStatusBarOrientation(UIInterfaceOrientation::Portrait);
}

TEST_F(PhotoBrowserLayoutTest, ASwitchToAnItemOffScreenUsesTheItemUnderTheCentre) {
    addPhotos(30);
    makeBrowser();
    auto& cv = *browser->collectionView();
    const auto centre = cv.indexPathForItemAtPoint(CGPointMake(CGRectGetMidX(cv.bounds()), CGRectGetMidY(cv.bounds())));
    ASSERT_TRUE(centre);
    switchTo(PhotoCollectionLayoutSingle, Item(29), false);
    EXPECT_EQ(browser->photoCollectionLayout(), PhotoCollectionLayoutSingle);
    EXPECT_EQ(browser->selectedIndexPath(), *centre);
    EXPECT_EQ(browser->visibleIndexPath(), *centre);
    EXPECT_TRUE(cv.isPagingEnabled());
    EXPECT_TRUE(AnimationUtility::imageTransitionsAnimate()) << "an unanimated switch turns them back on";
}

TEST_F(PhotoBrowserLayoutTest, BackInTheGridTheOffsetReturnsAndAnItemOffScreenIsCentred) {
    addPhotos(60);
    makeBrowser();
    auto& cv = *browser->collectionView();
    cv.setContentOffset(CGPointMake(0, 250), false);
    cv.layoutIfNeeded();
    const auto centre = browser->visibleIndexPath();
    ASSERT_TRUE(centre);

    // There and back around an item that stays in view: the offset is as it was.
    switchTo(PhotoCollectionLayoutSingle, *centre, true);
    switchTo(PhotoCollectionLayoutGrid, browser->selectedIndexPath(), true);
    EXPECT_EQ(cv.contentOffset(), CGPointMake(0, 250));

    // Paged far away in the single layout: the item comes back to the middle of the grid.
    switchTo(PhotoCollectionLayoutSingle, *centre, false);
    browser->selectItemAtIndexPath(Item(40), false, UICollectionViewScrollPositionCenteredHorizontally);
    switchTo(PhotoCollectionLayoutGrid, Item(40), false);
    const CGRect frame = frameInWindow(40);
    EXPECT_NEAR(CGRectGetMidY(frame), CGRectGetMidY(browser->convertRectToView(browser->bounds(), nullptr)), 1);
    EXPECT_EQ(browser->selectedIndexPath(), Item(40));
}

TEST_F(PhotoBrowserLayoutTest, ADragInTheSingleLayoutSettlesOnAPageAndPicksIt) {
    addPhotos(5);
    makeBrowser();
    switchTo(PhotoCollectionLayoutSingle, Item(0), false);
    std::vector<NSIndexPath> picked;
    browser->setSelectedBlock([&](const NSIndexPath& p) { picked.push_back(p); });
    const CGFloat width = browser->bounds().size.width;
    ui->drag(width - 40, 300, 60, 300, 0.25);
    ui->advance(2);
    settle();
    EXPECT_EQ(browser->collectionView()->contentOffset().x, width);
    ASSERT_FALSE(picked.empty());
    EXPECT_EQ(picked.back(), Item(1));
    EXPECT_EQ(browser->selectedIndexPath(), Item(1));
}

TEST_F(PhotoBrowserLayoutTest, ScreenshotsShowEachPhotosColourInItsCell) {
    const int count = 6;
    addPhotos(count);
    makeBrowser();
    browser->collectionView()->layoutIfNeeded();
    for (long i = 0; i < count; ++i) {
        const CGRect cell = frameInWindow(i);
        // The middle of the cell, away from the photo's corner marker.
        const CGRect middle = CGRectInset(cell, cell.size.width * 0.3, cell.size.height * 0.3);
        ExpectNear(screenColour(middle), colourShownAt(i, count), "grid item " + std::to_string(i), 20);
    }
    switchTo(PhotoCollectionLayoutSingle, Item(2), false);
    ASSERT_TRUE(pump([&] {
        auto cell = std::dynamic_pointer_cast<PhotoCollectionViewCell>(
            browser->collectionView()->cellForItemAtIndexPath(Item(2)));
        return cell && cell->imageView()->image();
    }));
    settle();
    const CGRect screen = ui->window->bounds();
    ExpectNear(screenColour(CGRectInset(screen, screen.size.width * 0.3, screen.size.height * 0.4)),
               colourShownAt(2, count), "single page", 20);
    EXPECT_TRUE(browser->selectedImage());
}

TEST_F(PhotoBrowserLayoutTest, APhotoFliesIntoAnOutsideViewAndBack) {
    addPhotos(3);
    makeBrowser();
    auto target = std::make_shared<ImageContentView>(CGRectMake(0, 100, 375, 375));
    ui->window->addSubview(target);
    for (bool back : {false, true}) {
        std::vector<std::string> order;
        bool sawFlyingImage = false;
        int completions = 0;
        auto transition = [&] { order.push_back("transition"); };
        auto imageTransition = [&](const std::shared_ptr<UIImageView>& view, AnimationCompletion done) {
            sawFlyingImage = view && view->image();
            done(true);
        };
        auto start = [&] { order.push_back("start"); };
        auto completion = [&](bool) {
            order.push_back("completion");
            ++completions;
        };
        if (back) {
            target->setImage(photos::ImageFromBitmap(PlainPhoto(64, 48, ColourOf(2))));
            browser->animateToPhotoAtIndexPath(Item(0), target, ui->window, transition, imageTransition, start,
                                               completion);
        } else {
            browser->animatePhotoAtIndexPath(Item(0), target, ui->window, transition, imageTransition, start,
                                             completion);
        }
        ASSERT_TRUE(pump([&] { return completions > 0; })) << back;
        settle();
        EXPECT_EQ(completions, 1) << back;
        EXPECT_EQ(order, (std::vector<std::string>{"start", "transition", "completion"})) << back;
        EXPECT_TRUE(sawFlyingImage) << back;
        EXPECT_EQ(browser->alpha(), 1) << back;
        EXPECT_EQ(target->alpha(), 1) << back;
        EXPECT_FALSE(browser->transitioningImageView()) << back;
    }
}
