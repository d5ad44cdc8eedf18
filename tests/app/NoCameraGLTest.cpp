// The application without a camera (none found, or `--camera none`): the viewfinder says so, the
// shutter is dimmed and takes nothing by touch or volume key, and the album, its editing and the
// way back to the camera side work as ever.
#include <gtest/gtest.h>

#include <functional>

#include "AlbumFixture.h"

namespace {

double brightness(CGColor c) { return (c.r + c.g + c.b) / 3; }

class NoCameraTest : public AlbumTest {
protected:
    void SetUp() override {
        AppLaunch launch;
        launch.camera.back = launch.camera.front = false;
        open(launch);
    }
    // The notice shown, lighter than the viewfinder above it; the shutter dimmed and off.
    void expectCameraSideWithoutCamera() {
        const auto& notice = screen().noCameraNoticeView();
        ASSERT_TRUE(notice) << "no notice";
        EXPECT_FALSE(notice->isHidden());
        EXPECT_EQ(notice->text(), AmbrelViewController::kNoCameraNotice);
        // The text's box against the same boxes just above and below it (the background is a
        // gradient).
        const CGRect text = notice->convertRectToView(notice->bounds(), nullptr);
        const double around = (brightness(app->meanColor(CGRectOffset(text, 0, -2 * text.size.height))) +
                               brightness(app->meanColor(CGRectOffset(text, 0, 2 * text.size.height)))) /
                              2;
        EXPECT_GT(brightness(app->meanColor(text)), around + 0.05) << "the notice is seen";
        const CameraButtonView& shutter = *screen().cameraButtonView();
        EXPECT_FALSE(shutter.isEnabled());
        EXPECT_NEAR(shutter.button().alpha(), CameraButtonView::kDisabledAlpha, 1e-6);
    }
};

TEST_F(NoCameraTest, TheViewfinderSaysSoTheShutterTakesNothingAndTheAlbumWorksAsEver) {
    expectCameraSideWithoutCamera();
    const std::size_t before = app->photos().size();
    app->tap(AppHarness::phoneShutter());
    app->key("VolumeUp");
    app->advance(0.1);
    EXPECT_EQ(screen().graphicsView()->layer()->mask(), nullptr) << "the shutter's iris does not close";
    EXPECT_FALSE(UIApplication::sharedApplication().isIgnoringInteractionEvents()) << "no focus wait";
    app->advance(3.5);
    EXPECT_EQ(app->photos().size(), before);
    EXPECT_FALSE(AmbrelViewController::shutterBusy()) << "nothing is left waiting for a capture";

    enterAlbum();
    EXPECT_TRUE(screen().noCameraNoticeView()->isHidden()) << "the album covers the camera side";
    editPhoto(0);
    GraphicsContentView& picture = *screen().graphicsView();
    EXPECT_EQ(picture.alpha(), 1) << "the photo being edited is seen";
    EXPECT_GT(picture.graphicsView()->currentImageSize().width, 0);
    EXPECT_TRUE(screen().noCameraNoticeView()->isHidden());
    collapse();
    tapView(*screen().albumEditCancelButtonView());
    ASSERT_TRUE(waitFor([this] { return backInAlbum(); }));
    app->advance(1);

    tapView(*screen().navigationItem().rightBarButtonItem()->customView());
    app->advance(1.5);
    EXPECT_FALSE(screen().albumEditing());
    expectCameraSideWithoutCamera();
}

TEST_F(NoCameraTest, TheNoticeIsTheViewfindersOnlyAndHidesWhileAnotherScreenCoversIt) {
    expectCameraSideWithoutCamera();
    struct Cover {
        const char* name;
        std::function<void(AmbrelViewController&, bool)> show;
    } covers[] = {{"the settings", [](AmbrelViewController& s, bool show) { s.animateSettingsView(show); }},
                  {"compare", [](AmbrelViewController& s, bool show) { s.animateCompareView(show); }}};
    for (const Cover& cover : covers) {
        cover.show(screen(), true);
        app->advance(1);
        EXPECT_TRUE(screen().noCameraNoticeView()->isHidden()) << cover.name << " cover the viewfinder";
        cover.show(screen(), false);
        app->advance(1);
        expectCameraSideWithoutCamera();
    }
}

}  // namespace
