// The main screen of the launched application: the start-up chain, the pad's layout, turning
// with the device, the album side, the downward swipe, the life cycle, a single webcam and the
// bottom bar's rows of buttons.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "camera/buttons/FlashButtonView.h"
#include "library/browser/PhotoCollectionView.h"
#include "model/Type.h"
#include "platform/uikit/UIBarButtonItem.h"
#include "platform/uikit/UINavigationBar.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UINavigationItem.h"
#include "support/AppHarness.h"
#include "ui/appearance/AppAppearance.h"

namespace {

constexpr double kQuarterTurn = std::numbers::pi / 2;

double angleOf(const CGAffineTransform& t) { return std::atan2(t.b, t.a); }
double shownAngle(const UIView& view) { return angleOf(view.layer()->presentationLayer()->affineTransform()); }

bool holdsButtonTitled(const UIView& view, const std::string& title) {
    if (auto* button = dynamic_cast<const UIButton*>(&view);
        button && button->titleForState(UIControlStateNormal) == title)
        return true;
    for (const auto& subview : view.subviews())
        if (holdsButtonTitled(*subview, title)) return true;
    return false;
}

UIView& albumPicture(AmbrelViewController& screen) { return screen.albumButtonView()->button(); }

TEST(AppScreen, EventsBeforeTheScreenHasLoadedAreDropped) {
    AppLaunch launch;
    launch.launch = false;
    AppHarness app(launch);
    AmbrelViewController screen;
    UIApplication& application = UIApplication::sharedApplication();
    screen.applicationWillResignActive(application);
    screen.applicationDidEnterBackground(application);
    screen.applicationWillEnterForeground(application);
    screen.applicationDidBecomeActive(application);
    screen.applicationOrientationChanged(3);
    EXPECT_FALSE(screen.isViewLoaded());
    EXPECT_EQ(AmbrelViewController::sharedInstance(), nullptr);
}

TEST(AppScreen, TheStartUpChainWaitsOnlyWhenItMust) {
    struct Case {
        const char* what;
        bool introductionShown;
        bool access;
        bool wait;
        std::vector<std::string> order;
        int accessTests;
    };
    const std::vector<Case> cases = {
        {"first launch", false, true, true, {"splash", "introduction", "access", "set-up"}, 0},
        {"access granted", true, true, false, {"splash", "introduction", "access", "set-up"}, 1},
        {"access missing", true, false, true, {"splash", "introduction", "access"}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        AppLaunch launch;
        launch.launch = false;
        launch.cameraAccess = c.access;
        launch.settings = [&c](AmbrelAppSettings& settings) { settings.setIntroductionShown(c.introductionShown); };
        AppHarness app(launch);
        std::vector<std::string> order;
        std::optional<bool> waited;
        int accessTests = 0;
        const StartupScreens program = StartupScreens::defaults();
        StartupScreens& screens = StartupScreens::current();
        screens.presentSplash = [&](const std::shared_ptr<UIView>&, bool wait, StartupScreens::Completion done) {
            order.push_back("splash");
            waited = wait;
            done();
        };
        screens.presentIntroduction = [&](const std::shared_ptr<UIView>& host, StartupScreens::Completion done) {
            order.push_back("introduction");
            // The introduction itself waits for taps (its own tests and the first-launch run
            // cover it); here only its place in the chain counts.
            if (program.shouldShowIntroduction()) done();
            else program.presentIntroduction(host, std::move(done));
        };
        screens.hasCameraAndPhotoAccess = [&] {
            ++accessTests;
            return program.hasCameraAndPhotoAccess();
        };
        screens.requestCameraAndPhotoAccess = [&](const std::shared_ptr<UIView>& host,
                                                  StartupScreens::Completion done) {
            order.push_back("access");
            program.requestCameraAndPhotoAccess(host, [&order, done] {
                order.push_back("set-up");
                done();
            });
        };
        app.launch();
        EXPECT_EQ(waited, c.wait);
        EXPECT_EQ(order, c.order);
        EXPECT_EQ(accessTests, c.accessTests);
        AmbrelViewController& screen = app.controller();
        EXPECT_EQ(screen.photoCollectionView() != nullptr, c.access) << "the photo collection comes with the set-up";
        if (!c.access) {
            // The access screen is shown over the screen, and coming back from the settings
            // (where the user grants access) before the set-up reaches only the picture.
            UIView& host = *screen.navigationController()->view();
            EXPECT_TRUE(holdsButtonTitled(host, "Enable Access"));
            UIApplication& application = UIApplication::sharedApplication();
            application.transitionToState(UIApplicationState::Background);
            application.transitionToState(UIApplicationState::Active);
            app.settle();
            EXPECT_EQ(screen.photoCollectionView(), nullptr);
        }
    }
}

TEST(AppScreen, OnThePadTheShutterSitsAtTheRightAndTheSliderIsTaller) {
    AppLaunch launch;
    launch.profile = UIDeviceProfile::pad();
    AppHarness app(launch);
    AmbrelViewController& screen = app.controller();
    const CGSize main = screen.view()->bounds().size;
    EXPECT_EQ(main, CGSizeMake(768, 1024 - 44));
    const CGFloat w = screen.cameraButtonView()->frame().size.width;
    EXPECT_EQ(screen.cameraButtonView()->superview(), screen.view().get());
    EXPECT_EQ(screen.cameraButtonView()->center(), CGPointMake(main.width - w - 20, main.height / 2 - w / 2));
    const CGFloat phoneSliderHeight = 110;
    EXPECT_EQ(screen.slideView()->frame().size.height, phoneSliderHeight + 8);
    EXPECT_EQ(screen.slideView()->frame().origin.y,
              main.height - AppConstants::defaultToolbarHeight() - phoneSliderHeight - 8);
    EXPECT_DOUBLE_EQ(screen.slideView()->curvature(), 0.8);
}

TEST(AppScreen, ThePhoneKeepsItsInterfaceUprightAndTurnsTheCameraControls) {
    AppHarness app;
    AmbrelViewController& screen = app.controller();
    UIDevice& device = UIDevice::currentDevice();
    device.setOrientation(UIDeviceOrientation::LandscapeLeft);
    EXPECT_EQ(UIApplication::sharedApplication().statusBarOrientation(), UIInterfaceOrientation::Portrait);
    EXPECT_EQ(AppConstants::orientation(), 3);
    app.advance(0.1);
    EXPECT_GT(shownAngle(albumPicture(screen)), 0.1) << "turning";
    EXPECT_LT(shownAngle(albumPicture(screen)), kQuarterTurn - 0.1) << "turning over 0.2 s";
    app.advance(0.15);
    const std::shared_ptr<UIView> left = screen.navigationItem().leftBarButtonItem()->customView();
    const std::shared_ptr<UIView> right = screen.navigationItem().rightBarButtonItem()->customView();
    for (const UIView* view : {&albumPicture(screen), left.get(), right.get()})
        EXPECT_NEAR(shownAngle(*view), kQuarterTurn, 1e-6);

    device.setOrientation(UIDeviceOrientation::FaceUp);
    app.advance(0.3);
    EXPECT_EQ(AppConstants::orientation(), 3) << "face up keeps the last upright orientation";
    EXPECT_NEAR(shownAngle(albumPicture(screen)), kQuarterTurn, 1e-6);

    // Expanded, nothing turns; the collapse turns the controls at once.
    screen.expandCollapseView()->toggleExpanded();
    app.advance(0.5);
    device.setOrientation(UIDeviceOrientation::LandscapeRight);
    app.advance(0.3);
    EXPECT_NEAR(shownAngle(albumPicture(screen)), kQuarterTurn, 1e-6);
    screen.expandCollapseView()->toggleExpanded();
    app.settle();
    EXPECT_NEAR(shownAngle(albumPicture(screen)), -kQuarterTurn, 1e-6);
    app.advance(0.3);  // the bar's items change behind its own transition
    EXPECT_NEAR(shownAngle(*screen.navigationItem().leftBarButtonItem()->customView()), -kQuarterTurn, 1e-6);
}

TEST(AppScreen, TheAlbumSideAndTheCameraStateExcludeEachOther) {
    AppHarness app;
    AmbrelViewController& screen = app.controller();
    Type& adjust = TypeController::sharedInstance().adjustType();
    const auto crop = TypeController::cropAdjustmentObject();
    GraphicsView& picture = *screen.graphicsView()->graphicsView();
    UINavigationBar& bar = *screen.navigationController()->navigationBar();
    for (bool editing : {true, false, true, false}) {
        SCOPED_TRACE(editing ? "album side" : "camera");
        screen.setAlbumEditing(editing);
        app.advance(0.3);
        EXPECT_EQ(screen.albumEditing(), editing);
        for (const UIView* control : {static_cast<const UIView*>(screen.cameraButtonView().get()),
                                      static_cast<const UIView*>(screen.albumButtonView().get()),
                                      static_cast<const UIView*>(screen.rotationSelectionView().get())})
            EXPECT_EQ(control->isHidden(), editing);
        EXPECT_EQ(screen.graphicsView()->frame(),
                  editing ? AppConstants::defaultAlbumViewFrame() : AppConstants::defaultCameraViewFrame());
        EXPECT_EQ(adjust.objects().back() == crop, editing) << "Crop, last, only on the album side";
        EXPECT_EQ(std::count(adjust.objects().begin(), adjust.objects().end(), crop), editing ? 1 : 0);
        EXPECT_EQ(picture.isAnimating(), !editing) << "the preview";
        EXPECT_EQ(bar.barTintColor(), editing ? AppAppearance::defaultPhotoCollectionToolbarColor()
                                              : AppAppearance::defaultCameraToolbarColor());
        EXPECT_EQ(screen.bottomView()->backgroundColor(), UIColor::clearColor());
    }
}

TEST(AppScreen, ADownwardSwipeCollapsesOnlyFromNearTheSlider) {
    AppHarness app;
    AmbrelViewController& screen = app.controller();
    ExpandCollapseView& chevron = *screen.expandCollapseView();
    // The slider's top edge in window points.
    const CGFloat sliderTop = screen.slideView()->convertPointToView({0, 0}, nullptr).y;
    auto swipeFrom = [&](CGFloat y) { app.drag({187, y}, {187, y + 120}, 0.2); };

    swipeFrom(sliderTop + 20);
    EXPECT_FALSE(chevron.expanded()) << "collapsed, a swipe does nothing";

    chevron.toggleExpanded();
    app.advance(0.5);
    swipeFrom(sliderTop - 120);
    EXPECT_TRUE(chevron.expanded()) << "a swipe from 120 points above the slider is not received";
    swipeFrom(sliderTop + 20);
    EXPECT_FALSE(chevron.expanded()) << "from the slider it collapses";
}

TEST(AppScreen, TheLifeCycleReachesThePictureAndTheAlbumButton) {
    AppHarness app;
    AmbrelViewController& screen = app.controller();
    GraphicsView& picture = *screen.graphicsView()->graphicsView();
    UIApplication& application = UIApplication::sharedApplication();
    application.transitionToState(UIApplicationState::Inactive);
    EXPECT_FALSE(picture.isAnimating()) << "resigning stops the display link";
    application.transitionToState(UIApplicationState::Active);
    EXPECT_TRUE(picture.isAnimating());

    // A photo arrives while the application is away; the album button shows it on return.
    application.transitionToState(UIApplicationState::Background);
    bool saved = false;
    screen.photoCollectionView()->saveNewAssetWithImage(AppHarness::generatedPhoto(230, 30, 30), {},
                                                        [&saved](bool ok, const NSErrorPtr&) { saved = ok; });
    app.settle();
    ASSERT_TRUE(saved);
    application.transitionToState(UIApplicationState::Active);
    app.settle();
    const CGRect album = screen.albumButtonView()->convertRectToView(screen.albumButtonView()->bounds(), nullptr);
    const CGColor shown = app.meanColor(CGRectInset(album, 10, 10));
    EXPECT_GT(shown.r, 0.6);
    EXPECT_LT(shown.g, 0.3);
}

TEST(AppScreen, OneWebcamHasNoFrontBackItemAndNoFlash) {
    AppLaunch launch;
    launch.camera.back = false;
    AppHarness app(launch);
    AmbrelViewController& screen = app.controller();
    EXPECT_EQ(screen.navigationItem().rightBarButtonItem(), nullptr);
    ASSERT_NE(screen.flashButtonView(), nullptr);
    EXPECT_EQ(screen.flashButtonView()->flashMode(), -1) << "the button follows the camera";
    EXPECT_EQ(screen.flashButtonView()->button().imageForState(UIControlStateNormal), nullptr);
}

TEST(AppScreen, RowsOfButtonsComeAndGoInTheBottomBar) {
    AppHarness app;
    AmbrelViewController& screen = app.controller();
    auto maker = [] { return std::make_shared<ButtonMenuView>(CGRectMake(0, 0, 375, 98)); };

    int changes = 0;
    screen.animateButtonMenuViewChanges([&changes](ButtonMenuView&) { ++changes; });
    EXPECT_EQ(changes, 0) << "no row, nothing changes";

    screen.animateButtonMenuView(maker, true);
    const std::shared_ptr<ButtonMenuView> first = screen.buttonMenuView();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->superview(), screen.bottomView().get());
    screen.animateButtonMenuViewChanges([&changes](ButtonMenuView& row) {
        ++changes;
        row.addButtonWithString("Aspect", std::nullopt);
    });
    app.advance(0.5);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(first->buttonViews().size(), 1u);

    // Hidden, then another shown while the first leaves: the new one stays.
    screen.animateButtonMenuView(nullptr, false);
    app.advance(0.2);
    EXPECT_EQ(screen.buttonMenuView(), first) << "during the hide it is still the leaving row";
    screen.animateButtonMenuView(maker, true);
    const std::shared_ptr<ButtonMenuView> second = screen.buttonMenuView();
    app.advance(0.3);
    EXPECT_EQ(first->superview(), nullptr);
    EXPECT_EQ(screen.buttonMenuView(), second);
    EXPECT_EQ(second->superview(), screen.bottomView().get());

    screen.animateConfirmDismissView(false);
    app.advance(0.45);
    EXPECT_EQ(second->superview(), nullptr);
    EXPECT_EQ(screen.buttonMenuView(), nullptr);
}

}  // namespace
