// The mode menu, the colour menu and the mode information screen over the launched
// application's backdrop, on the manual clock with real GL: choices reach the engine, taps on
// the backdrop close, each hide acts on its own screen only.
#include <gtest/gtest.h>

#include "app/settings/ColorMenuViewController.h"
#include "screens/modeinfo/ModeInfoViewController.h"
#include "app/settings/ModeMenuViewController.h"
#include "model/CollectionObject.h"
#include "model/Type.h"
#include "support/AppHarness.h"
#include "ui/animation/ViewUtility.h"

namespace {

CGPoint middleOf(const UIView& view) {
    const CGRect r = view.convertRectToView(view.bounds(), nullptr);
    return {CGRectGetMidX(r), CGRectGetMidY(r)};
}

class MenuScreens : public ::testing::Test {
protected:
    void SetUp() override {
        app.controller().setType(&TypeController::sharedInstance().modeType());
        app.advance(0.2);
    }
    // A point on the backdrop away from any panel.
    void tapBackdrop() { app.tap({20, 120}); }

    AppHarness app;
};

}  // namespace

TEST_F(MenuScreens, TheModeMenuSetsWhatContrastIsBasedOnAndClosesAfterwards) {
    AmbrelViewController& screen = app.controller();
    struct Case {
        bool shadows;
        float readBack;
    };
    for (const Case& c : {Case{false, 0.875f}, Case{true, 0.125f}}) {
        screen.animateModeMenuView();
        app.advance(0.5);
        auto menu = screen.modeMenuView();
        ASSERT_TRUE(menu);
        EXPECT_EQ(menu->view()->superview(), ViewUtility::fullScreenView().get());
        app.tap(middleOf(c.shadows ? *menu->shadowsButton() : *menu->highlightsButton()));
        EXPECT_NEAR(AppHarness::parameter("Contrast Based On"), c.readBack, 1e-3) << c.shadows;
        EXPECT_EQ(menu->shadows(), c.shadows);
        app.advance(0.45);
        EXPECT_EQ(screen.modeMenuView(), nullptr);
        EXPECT_EQ(ViewUtility::fullScreenView(), nullptr) << "the backdrop goes";
        EXPECT_EQ(menu->view()->superview(), nullptr);
    }
    // A tap outside the panel closes it and changes nothing.
    screen.animateModeMenuView();
    app.advance(0.5);
    tapBackdrop();
    tapBackdrop();  // a second tap while it closes
    app.advance(0.45);
    EXPECT_EQ(screen.modeMenuView(), nullptr);
    EXPECT_NEAR(AppHarness::parameter("Contrast Based On"), 0.125f, 1e-3);
}

TEST_F(MenuScreens, TheColorMenuWithoutALookReadsAMessageAndAMenuOpenedDuringItsCloseStaysWorking) {
    AmbrelViewController& screen = app.controller();
    TypeController::sharedInstance().colorType().setSelectedObject(TypeController::offColorObject().get());
    screen.animateColorMenuView();
    app.advance(0.5);
    auto menu = screen.colorMenuView();
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->customString(), "No Color Selected");
    EXPECT_FALSE(menu->view()->isUserInteractionEnabled());
    EXPECT_TRUE(menu->tintButton()->isHidden());
    // A tap on the panel itself reaches the backdrop, which closes it; the mode menu opened
    // during that close gets a backdrop whose tap closes the mode menu, and keeps its property.
    app.tap(middleOf(*menu->view()));
    screen.animateModeMenuView();
    app.advance(0.6);
    EXPECT_EQ(screen.colorMenuView(), nullptr);
    ASSERT_TRUE(screen.modeMenuView());
    EXPECT_TRUE(ViewUtility::fullScreenView()) << "the mode menu's backdrop";
    tapBackdrop();
    app.advance(0.5);
    EXPECT_EQ(screen.modeMenuView(), nullptr);
    EXPECT_EQ(ViewUtility::fullScreenView(), nullptr);
}

TEST_F(MenuScreens, TheColorMenuSwitchesAMonochromeLookBetweenTintAndMonochrome) {
    AmbrelViewController& screen = app.controller();
    Type& colors = TypeController::sharedInstance().colorType();
    CollectionObject* mono = nullptr;
    for (const auto& object : colors.objects())
        if (!object->category() && object->colorIsGrayscale()) mono = object.get();
    ASSERT_TRUE(mono);
    colors.setSelectedObject(mono);
    for (bool tint : {true, false}) {
        screen.animateColorMenuView();
        app.advance(0.5);
        auto menu = screen.colorMenuView();
        ASSERT_TRUE(menu && !menu->customString());
        app.tap(middleOf(tint ? *menu->tintButton() : *menu->monochromeButton()));
        EXPECT_EQ(TypeConstants::sharedInstance().colorGrayscaleObjectsUseTint, tint);
        EXPECT_NEAR(AppHarness::parameter("CA Grayscale On/Off"), tint ? 0.0f : 1.0f, 1e-3);
        app.advance(0.45);
        EXPECT_EQ(screen.colorMenuView(), nullptr);
    }
}

TEST_F(MenuScreens, TheModeInformationScreenMarksItsCategoryAndClosesOnlyOnceItHasArrived) {
    AmbrelViewController& screen = app.controller();
    Type& modes = TypeController::sharedInstance().modeType();
    modes.setSelectedObject(modes.firstObject());
    const CollectionObject* category = modes.selectedCategory();
    ASSERT_TRUE(category);
    ASSERT_TRUE(ModeInfoViewController::shouldShowModeInfoForCategory(*category));
    screen.animateModeInfoView();
    EXPECT_FALSE(ModeInfoViewController::shouldShowModeInfoForCategory(*category)) << "seen at once";
    EXPECT_NE(AppHarness::settingsFile().find("\"modeHelpShownNormal\":true"), std::string::npos);
    auto info = screen.modeInfoView();
    ASSERT_TRUE(info);
    app.advance(0.25);
    EXPECT_EQ(screen.graphicsView()->alpha(), 0);

    app.advance(0.25);  // 0.5 s: still sliding in
    tapBackdrop();
    app.advance(0.1);
    EXPECT_EQ(screen.modeInfoView(), info);
    app.advance(0.4);  // 1.0 s
    app.tap(middleOf(*info->dismissView()));
    app.advance(0.5);
    EXPECT_EQ(screen.modeInfoView(), nullptr);
    EXPECT_TRUE(info->shouldStopAnimating());
    EXPECT_EQ(ViewUtility::fullScreenView(), nullptr);
    EXPECT_EQ(screen.graphicsView()->alpha(), 1);
}
