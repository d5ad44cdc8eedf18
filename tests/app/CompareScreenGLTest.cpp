// The compare state of the main screen in album editing on a real library: a compare shown
// again while the last one fades keeps its view.
#include <gtest/gtest.h>

#include "ui/widgets/CompareView.h"
#include "library/browser/PhotoCollectionView.h"
#include "support/AppHarness.h"

namespace {

class CompareScreenTest : public ::testing::Test {
protected:
    CompareScreenTest() {
        AppLaunch launch;
        launch.photos = 1;
        app = std::make_unique<AppHarness>(launch);
        app->advance(0.5);
        screen().animatePhotoCollectionView(true);
        app->advance(1);
        PhotoCollectionView& album = *screen().photoCollectionView();
        album.selectItemAtIndexPath(NSIndexPath::indexPathForItem(0, 0), false,
                                    UICollectionViewScrollPositionCenteredHorizontally);
        screen().animatePhotoCollectionViewToAlbumEditing();
        for (int i = 0; i < 200 && !(album.isHidden() && screen().graphicsView()->unprocessedImage()); ++i)
            app->advance(0.1);
        app->advance(0.5);
    }
    AmbrelViewController& screen() { return app->controller(); }

    std::unique_ptr<AppHarness> app;
};

TEST_F(CompareScreenTest, CompareAgainWhileTheLastFadesKeepsTheNewView) {
    screen().animateCompareView(true);
    app->advance(1);
    auto first = screen().compareView();
    ASSERT_TRUE(first);
    screen().animateCompareView(false);
    app->advance(0.3);
    screen().animateCompareView(true);
    app->advance(1.5);
    ASSERT_TRUE(screen().compareView()) << "the second hide completion leaves the new view";
    EXPECT_NE(screen().compareView(), first);
    EXPECT_TRUE(screen().compareView()->superview());
    EXPECT_FALSE(first->superview());
    screen().animateCompareView(false);
    app->advance(1);
    EXPECT_FALSE(screen().compareView());
}

}  // namespace
