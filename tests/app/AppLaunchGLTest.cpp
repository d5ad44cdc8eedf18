// The application launched as the program launches it: the window, the controllers and the
// camera screen's layout on the phone, the picture of the running camera, the geotag source
// it installs, and what it says about a library it had to rebuild.
#include <gtest/gtest.h>

#include "camera/location/LocationUtility.h"
#include "library/metadata/GeotagSource.h"
#include "library/sharing/InstagramActivity.h"
#include "platform/uikit/UIAlertPresentation.h"
#include "platform/uikit/UINavigationController.h"
#include "screens/sharing/SquareCropSharingScreen.h"
#include "support/AppHarness.h"

namespace {

TEST(AppLaunch, ThePhoneOpensOnTheCameraScreen) {
    AppHarness app;
    UIWindow* window = UIWindow::keyWindow();
    ASSERT_EQ(window, app.delegate->window().get());
    auto* navigation = dynamic_cast<UINavigationController*>(window->rootViewController().get());
    ASSERT_NE(navigation, nullptr);
    EXPECT_EQ(navigation->topViewController(), &app.controller());
    EXPECT_EQ(AmbrelViewController::sharedInstance(), &app.controller());

    AmbrelViewController& screen = app.controller();
    EXPECT_FALSE(screen.albumEditing());
    EXPECT_EQ(screen.view()->bounds().size, CGSizeMake(375, 623));
    EXPECT_EQ(screen.cameraButtonView()->superview(), screen.bottomView().get());
    EXPECT_EQ(screen.cameraButtonView()->center(), CGPointMake(187.5, 49));
    EXPECT_DOUBLE_EQ(screen.albumButtonView()->center().x, 56.25);
    EXPECT_DOUBLE_EQ(screen.expandCollapseView()->center().x, 318.75);
    EXPECT_EQ(screen.rotationSelectionView()->frame(), CGRectMake(0, 485, 375, 40));
    EXPECT_EQ(screen.circularProgressView()->alpha(), 0);
    EXPECT_EQ(screen.slideView()->alpha(), 0);
    EXPECT_TRUE(screen.graphicsView()->graphicsView()->isAnimating()) << "the camera runs";
    EXPECT_TRUE(screen.photoCollectionView()) << "the photo collection is made at the end of start-up";
    // The camera's pattern fills the picture: its red marker in the top left corner, under the
    // navigation bar.
    expectColor(app.meanColor(CGRectMake(5, 50, 40, 50)), {0.93, 0, 0, 1}, "the camera's corner marker", 0.1);
    EXPECT_TRUE(std::dynamic_pointer_cast<SquareCropSharingScreen>(InstagramActivity::makeSquareCropScreen()))
        << "the Instagram hand-off crops on the square crop screen";
}

// The metadata writer knows nothing of the camera: the application hands it the location
// utility as its geotag source, or no photo would carry a place.
TEST(AppLaunch, PhotosTakeTheirPlaceFromTheLocationUtility) {
    AppHarness app;
    EXPECT_EQ(GeotagSource::installed(), &LocationUtility::sharedInstance());
}

TEST(AppLaunch, ALibraryWhoseIndexWasLostIsRebuiltAndSaidOnceInAnAlert) {
    std::string said;
    for (int launch = 0; launch < 2; ++launch) {
        AppLaunch options;
        options.photos = 3;
        options.launch = false;
        AppHarness app(options);
        PHPhotoLibrary::resetSharedPhotoLibrary();
        if (launch == 0) std::filesystem::remove(PHPhotoLibrary::defaultLibraryPath() + "/library.sqlite");
        app.launch();
        UIAlertPresentation* shown = UIAlertPresentation::shown();
        if (launch == 1) {
            EXPECT_EQ(shown, nullptr) << "said twice";
            break;
        }
        ASSERT_NE(shown, nullptr);
        EXPECT_EQ(shown->title, "Photo Library");
        EXPECT_NE(shown->message.find("index was missing; it was made anew from the 3 photos"), std::string::npos)
            << shown->message;
        EXPECT_EQ(app.photos().size(), 3u);
    }
}

}  // namespace
