// The two choice menus, shown in the window and tapped: the current choice sharp in the
// brightened colour, the other muted in the vibrancy layer; every tap reports, and the colour
// menu's message stands in for both choices until it is cleared.
#include <gtest/gtest.h>

#include <vector>

#include "app/settings/ColorMenuViewController.h"
#include "app/settings/ModeMenuViewController.h"
#include "support/TouchHarness.h"
#include "ui/appearance/AppAppearance.h"
#include "ui/appearance/UIColor+ColorUtility.h"

namespace {

void tapButton(TouchHarness& ui, const UIButton& button) {
    const CGRect r = button.convertRectToView(button.bounds(), nullptr);
    ui.tap(CGRectGetMidX(r), CGRectGetMidY(r));
}

// The chosen button stands in the panel in the selected colour, the other in the vibrancy
// layer in the light colour.
void expectChosen(ChoiceMenuViewController& menu, const UIButton& chosen, const UIButton& other,
                  const std::string& what) {
    EXPECT_EQ(chosen.superview(), menu.view().get()) << what;
    EXPECT_EQ(other.superview(), menu.vibrancyView()->contentView().get()) << what;
    expectColor(chosen.titleColorForState(UIControlStateNormal)->CGColor(), menu.selectedColor()->CGColor(), what,
                1e-6);
    expectColor(other.titleColorForState(UIControlStateNormal)->CGColor(), AppAppearance::defaultLightColor().CGColor(),
                what, 1e-6);
}

}  // namespace

TEST(MenuViewControllerTest, TheModeMenuShowsTheChoiceBrightenedAndReportsEveryTap) {
    TouchHarness ui;
    ModeMenuViewController menu;
    std::vector<bool> chosen;
    menu.setBlock([&](bool shadows) { chosen.push_back(shadows); });
    menu.view()->setCenter({187.5, 333.5});
    ui.window->addSubview(menu.view());
    EXPECT_EQ(menu.view()->layer()->cornerRadius(), 12);
    EXPECT_EQ(menu.shadowsButton()->currentTitle(), "Shadows");
    EXPECT_EQ(menu.highlightsButton()->currentTitle(), "Highlights");

    // A very dark colour is raised to a brightness of 0.8.
    menu.setSelectedColor(UIColor::colorWithRed(0.1, 0.02, 0.02, 1));
    EXPECT_NEAR(ColorAnalysisUtility::colorBrightness(*menu.selectedColor()), 0.8, 1e-6);
    menu.setShadows(true);
    expectChosen(menu, *menu.shadowsButton(), *menu.highlightsButton(), "shadows");

    tapButton(ui, *menu.highlightsButton());
    EXPECT_FALSE(menu.shadows());
    expectChosen(menu, *menu.highlightsButton(), *menu.shadowsButton(), "highlights");
    tapButton(ui, *menu.highlightsButton());  // already chosen: still told
    tapButton(ui, *menu.shadowsButton());
    EXPECT_EQ(chosen, (std::vector<bool>{false, false, true}));
}

TEST(MenuViewControllerTest, TheColorMenuMessageStandsInForBothChoicesUntilCleared) {
    TouchHarness ui;
    ColorMenuViewController menu;
    std::vector<bool> chosen;
    menu.setBlock([&](bool tint) { chosen.push_back(tint); });
    menu.view()->setCenter({187.5, 333.5});
    ui.window->addSubview(menu.view());
    menu.setSelectedColor(UIColor::colorWithRed(0.9, 0.5, 0.1, 1));
    menu.setTint(false);
    expectChosen(menu, *menu.monochromeButton(), *menu.tintButton(), "monochrome");

    menu.setCustomString("No Color Selected");
    ASSERT_TRUE(menu.customButton());
    EXPECT_EQ(menu.customButton()->currentTitle(), "No Color Selected");
    EXPECT_EQ(menu.customButton()->superview(), menu.vibrancyView()->contentView().get());
    EXPECT_FALSE(menu.customButton()->isUserInteractionEnabled());
    EXPECT_TRUE(menu.tintButton()->isHidden());
    EXPECT_TRUE(menu.monochromeButton()->isHidden());
    tapButton(ui, *menu.tintButton());
    EXPECT_TRUE(chosen.empty()) << "hidden choices take no taps";

    menu.setCustomString(std::nullopt);
    EXPECT_FALSE(menu.customButton());
    EXPECT_FALSE(menu.tintButton()->isHidden());
    EXPECT_FALSE(menu.monochromeButton()->isHidden());
    tapButton(ui, *menu.tintButton());
    EXPECT_EQ(chosen, (std::vector<bool>{true}));
    EXPECT_TRUE(menu.tint());
    expectChosen(menu, *menu.tintButton(), *menu.monochromeButton(), "tint");
}
