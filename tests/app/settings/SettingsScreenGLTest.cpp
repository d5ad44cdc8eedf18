// The settings state of the launched application, on the manual clock with real GL: entering
// over the camera or the album side, rows saved to the settings file and applied at once, the
// about panel, and leaving (also when the settings open again during the fade-out).
#include <gtest/gtest.h>

#include <functional>

#include "app/settings/AboutPanel.h"
#include "app/settings/SettingsView.h"
#include "camera/location/LocationUtility.h"
#include "platform/uikit/UINavigationItem.h"
#include "platform/uikit/UISwitch.h"
#include "support/AppHarness.h"
#include "support/SimulatedLocation.h"
#include "ViewSearch.h"

namespace {

CGPoint middleOf(const UIView& view) {
    const CGRect r = view.convertRectToView(view.bounds(), nullptr);
    return {CGRectGetMidX(r), CGRectGetMidY(r)};
}

std::string titleOf(AmbrelViewController& screen) {
    auto* label = dynamic_cast<UILabel*>(screen.navigationItem().titleView().get());
    return label ? label->text() : "";
}

}  // namespace

TEST(SettingsScreen, OverTheCameraRowsSaveAndApplyAndTheAboutPanelComesAndGoes) {
    AppHarness app;
    SimulatedLocation location;
    AmbrelViewController& screen = app.controller();
    screen.animateSettingsView(true);
    auto page = screen.settingsView();
    ASSERT_TRUE(page);
    app.advance(0.1);
    EXPECT_LT(page->layer()->presentation().opacity, 0.9) << "the page fades in";
    app.advance(0.15);
    EXPECT_FLOAT_EQ(screen.graphicsView()->layer()->presentation().opacity, 0.4f) << "the picture dims in 0.2 s";
    app.advance(0.4);
    EXPECT_EQ(page->layer()->presentation().opacity, 1);
    EXPECT_TRUE(page->useBlurBackground());
    EXPECT_EQ(titleOf(screen), "Settings");
    ASSERT_TRUE(screen.navigationItem().rightBarButtonItem());
    EXPECT_EQ(screen.navigationItem().rightBarButtonItem()->customView(), screen.settingsDoneButton());
    EXPECT_EQ(screen.navigationItem().leftBarButtonItem(), nullptr);
    UILabel* about = labelWithText(*screen.bottomView(), "About Tavorin");
    ASSERT_TRUE(about) << "the bottom row holds the about button";

    // A switch: written to the file and applied (the location service follows), once.
    auto* geotagging = findViewOfClass<UISwitch>(*labelWithText(*page, "Geotagging")->superview());
    ASSERT_TRUE(geotagging);
    app.tap(middleOf(*geotagging));
    app.advance(0.1);
    EXPECT_TRUE(AmbrelAppSettings::sharedInstance().useGeotagging());
    EXPECT_TRUE(LocationUtility::sharedInstance().enabled());
    EXPECT_NE(app.settingsFile().find("\"useGeotagging\":true"), std::string::npos) << app.settingsFile();

    // The about panel: touches refused while it opens; "Done" closes only the panel.
    UIView* button = about->superview();
    const CGPoint aboutButton = middleOf(*button);
    auto* logo = findViewOfClass<AmbrelActivityView>(*button);
    ASSERT_TRUE(logo);
    app.tap(aboutButton);
    ASSERT_TRUE(screen.aboutDismissBlock());
    app.advance(0.5);
    EXPECT_TRUE(UIApplication::sharedApplication().isIgnoringInteractionEvents());
    app.advance(0.5);
    EXPECT_FALSE(UIApplication::sharedApplication().isIgnoringInteractionEvents());
    EXPECT_EQ(page->alpha(), 0);
    // The about button, now without its logo and label, opens nothing more while it is shown.
    UIView* logoPlace = logo->superview();
    EXPECT_NE(logoPlace, button) << "borrowed by the panel";
    const std::size_t screenViews = screen.view()->subviews().size();
    app.tap(aboutButton);
    app.advance(1.0);
    EXPECT_EQ(logo->superview(), logoPlace);
    EXPECT_EQ(screen.view()->subviews().size(), screenViews);
    app.tap(middleOf(*screen.settingsDoneButton()));
    EXPECT_FALSE(screen.aboutDismissBlock()) << "cleared at once";
    app.advance(AboutPanel::kHideDuration + 0.05);
    EXPECT_EQ(page->alpha(), 1);
    EXPECT_EQ(screen.settingsView(), page) << "the settings stay";
    EXPECT_EQ(titleOf(screen), "Settings");

    // A second "Done" leaves; the page goes when its fade-out ends.
    app.tap(middleOf(*screen.settingsDoneButton()));
    app.advance(0.3);
    EXPECT_EQ(screen.settingsView(), page);
    app.advance(0.4);
    EXPECT_EQ(screen.settingsView(), nullptr);
    EXPECT_EQ(page->superview(), nullptr);
    EXPECT_FLOAT_EQ(screen.graphicsView()->alpha(), 1.0f);
}

TEST(SettingsScreen, OpeningAgainDuringTheFadeOutLeavesTheNewPageWorking) {
    AppHarness app;
    AmbrelViewController& screen = app.controller();
    screen.animateSettingsView(true);
    app.advance(0.7);
    auto first = screen.settingsView();
    screen.animateSettingsView(false);
    app.advance(0.1);
    screen.animateSettingsView(true);
    auto second = screen.settingsView();
    ASSERT_TRUE(second);
    EXPECT_NE(second, first);
    app.advance(1.0);
    EXPECT_EQ(screen.settingsView(), second) << "the first page's fade-out left the new one alone";
    EXPECT_EQ(first->superview(), nullptr);
    EXPECT_EQ(second->superview(), screen.view().get());
    EXPECT_EQ(second->alpha(), 1);
    // Its rows still answer.
    auto* grid = findViewOfClass<UISwitch>(*labelWithText(*second, "Show Grid")->superview());
    app.tap(middleOf(*grid));
    app.advance(0.1);
    EXPECT_TRUE(AmbrelAppSettings::sharedInstance().showGrid());
    EXPECT_NE(app.settingsFile().find("\"showGrid\":true"), std::string::npos);
}

TEST(SettingsScreen, OnTheAlbumSideThePhotoHidesWithoutBlurAndTheBarsKeepTheirColours) {
    AppHarness app;
    AmbrelViewController& screen = app.controller();
    screen.setAlbumEditing(true);
    const auto bar = screen.bottomView()->backgroundColor();
    screen.animateSettingsView(true);
    app.advance(0.7);
    EXPECT_EQ(screen.graphicsView()->alpha(), 0);
    EXPECT_FALSE(screen.settingsView()->useBlurBackground());
    EXPECT_EQ(screen.bottomView()->backgroundColor(), bar);
}
