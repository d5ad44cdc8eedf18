// The help presenter with synthetic taps on the manual clock: a seen help or a type without a
// panel completes at once and dims nothing; a shown panel sits centred on the view it explains,
// ignores taps while it slides in, and goes at the first backdrop tap, which alone records it
// as seen in the settings file; a request while a panel is up waits for it; a sequence whose
// next help is not shown takes its backdrop away.
#include <gtest/gtest.h>

#include "model/AmbrelAppSettings.h"
#include "model/ConfigHome.h"
#include "platform/uikit/UIApplication.h"
#include "screens/help/HelpEditView.h"
#include "screens/help/HelpViewController.h"
#include "support/TouchHarness.h"
#include "ui/animation/ViewUtility.h"
#include "ui/widgets/CompareButtonView.h"
#include "ui/widgets/InfoButtonView.h"

namespace {

class HelpTest : public ConfigHomeTest {
protected:
    void SetUp() override {
        ConfigHomeTest::SetUp();
        settings().setHelpShownEdit(false);
        ui = std::make_unique<TouchHarness>();
        auto root = std::make_shared<UIViewController>();
        ui->window->setRootViewController(root);
        explained = std::make_shared<UIView>(CGRectMake(40, 300, 100, 120));
        root->view()->addSubview(explained);
    }
    void TearDown() override {
        ui->advance(2);
        EXPECT_TRUE(presenter().isIdle());
        ui.reset();
        settings().setHelpShownEdit(false);
        ConfigHomeTest::TearDown();
    }
    static AmbrelAppSettings& settings() { return AmbrelAppSettings::sharedInstance(); }
    static HelpViewController& presenter() { return HelpViewController::sharedInstance(); }
    bool storedSeen() const { return readStore().find("\"helpShownEdit\":true") != std::string::npos; }
    void tapBackdrop() { ui->tap(10, 20); }

    std::unique_ptr<TouchHarness> ui;
    std::shared_ptr<UIView> explained;
};

TEST_F(HelpTest, ASeenHelpOrATypeWithoutAPanelCompletesAtOnceAndDimsNothing) {
    struct Case {
        const char* name;
        HelpType type;
        bool seen;
    } cases[] = {{"editing help, seen", kHelpTypeEdit, true},
                 {"type without a panel", 7, false},
                 {"the no-help type", kHelpTypeNone, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        settings().setHelpShownEdit(c.seen);
        std::vector<bool> completions;
        HelpViewController::presentHelpType(c.type, explained, [&](bool finished) { completions.push_back(finished); });
        EXPECT_EQ(completions, std::vector<bool>{true}) << "before the call returns";
        ui->advance(1);
        EXPECT_EQ(ViewUtility::fullScreenView(), nullptr);
        EXPECT_EQ(presenter().helpView(), nullptr);
        EXPECT_EQ(HelpViewController::helpTypeHasShown(c.type), c.seen);
    }
}

TEST_F(HelpTest, ThePanelSitsOnTheViewIgnoresTapsWhileComingInAndGoesAtTheFirstBackdropTap) {
    int completions = 0;
    bool finishedFlag = false;
    HelpViewController::presentHelpType(kHelpTypeEdit, explained, [&](bool finished) {
        ++completions;
        finishedFlag = finished;
        EXPECT_TRUE(storedSeen()) << "saved before the caller hears of it";
    });
    ui->advance(0.05);
    ASSERT_NE(ViewUtility::fullScreenView(), nullptr);
    auto* panel = dynamic_cast<HelpEditView*>(presenter().helpView().get());
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->compareLabel()->text(), "Tap to compare with the original");
    ui->advance(0.25);  // the backdrop fades in for 0.2 s, then the panel slides in for 0.4 s
    EXPECT_TRUE(UIApplication::sharedApplication().isIgnoringInteractionEvents()) << "while it slides in";
    tapBackdrop();
    presenter().dismissHelpView();  // not shown yet: nothing
    ui->advance(0.5);
    EXPECT_TRUE(presenter().isShown()) << "neither the tap nor the dismissal during the slide-in did anything";
    EXPECT_FALSE(UIApplication::sharedApplication().isIgnoringInteractionEvents());
    const CGPoint centre = presenter().view()->center();
    EXPECT_NEAR(centre.x, 90, 0.5);
    EXPECT_NEAR(centre.y, 360, 0.5);
    EXPECT_EQ(presenter().view()->superview(), ViewUtility::fullScreenView().get());
    EXPECT_GT(ui->meanColor(CGRectMake(90 - 20, 360 - 20, 40, 40)).a, 0.5);
    EXPECT_FALSE(storedSeen()) << "shown is not seen";

    presenter().dismissHelpView();  // only a shown panel goes: this one is, so it starts
    presenter().dismissHelpView();  // already going: nothing more
    tapBackdrop();
    ui->advance(1.5);
    EXPECT_EQ(completions, 1);
    EXPECT_TRUE(finishedFlag);
    EXPECT_TRUE(storedSeen());
    EXPECT_EQ(ViewUtility::fullScreenView(), nullptr);
    EXPECT_EQ(presenter().view()->superview(), nullptr);
    EXPECT_EQ(presenter().helpView(), nullptr);
    EXPECT_EQ(presenter().presentingView(), nullptr);
}

TEST_F(HelpTest, ARequestWhileAPanelIsUpShowsNothingAndCompletesWhenThatPanelHasGone) {
    std::vector<std::string> order;
    HelpViewController::presentHelpType(kHelpTypeEdit, explained, [&](bool) { order.push_back("first"); });
    ui->advance(0.8);
    const std::shared_ptr<HelpView> shown = presenter().helpView();
    HelpViewController::presentHelpType(kHelpTypeEdit, explained, [&](bool finished) {
        EXPECT_TRUE(finished);
        order.push_back("second");
    });
    ui->advance(0.5);
    EXPECT_EQ(presenter().helpView(), shown);
    EXPECT_TRUE(order.empty());
    tapBackdrop();
    ui->advance(1);
    EXPECT_EQ((std::vector<std::string>{"first", "second"}), order);
    EXPECT_EQ(ViewUtility::fullScreenView(), nullptr);
}

TEST_F(HelpTest, ASequenceWhoseNextHelpIsNotShownTakesItsBackdropAway) {
    HelpViewController::presentHelpTypes({kHelpTypeEdit, 5}, explained);
    ui->advance(0.8);
    ASSERT_TRUE(presenter().isShown());
    EXPECT_EQ(presenter().nextHelpType(), 5);
    tapBackdrop();
    ui->advance(1.5);
    EXPECT_TRUE(settings().helpShownEdit());
    EXPECT_EQ(ViewUtility::fullScreenView(), nullptr) << "nothing left dimming the screen";
    HelpViewController::presentHelpTypes({}, explained);
    EXPECT_EQ(ViewUtility::fullScreenView(), nullptr);
}

TEST_F(HelpTest, ThePicturesStandBesideTheirLinesInTheLeftColumn) {
    for (const UIDeviceProfile& profile : {UIDeviceProfile::phone(), UIDeviceProfile::pad()}) {
        UIDeviceProfile::setCurrent(profile);
        const std::shared_ptr<HelpView> view = presenter().helpViewForType(kHelpTypeEdit);
        auto& panel = dynamic_cast<HelpEditView&>(*view);
        panel.view()->setNeedsLayout();
        panel.view()->layoutIfNeeded();
        const CGFloat width = panel.view()->bounds().size.width;
        const std::pair<UIView*, UILabel*> pairs[] = {{panel.infoButton().get(), panel.infoLabel().get()},
                                                      {panel.compareButton().get(), panel.compareLabel().get()},
                                                      {panel.slideView().get(), panel.slideLabel().get()}};
        for (auto [picture, line] : pairs) {
            EXPECT_NEAR(picture->center().x, 0.16 * width, 0.5);
            EXPECT_NEAR(picture->center().y, CGRectGetMidY(line->frame()), 0.5);
            EXPECT_LT(CGRectGetMaxX(picture->frame()), line->frame().origin.x);
        }
        EXPECT_NEAR(panel.expandCollapseView()->center().y, CGRectGetMidY(panel.expandCollapseLabel()->frame()) - 6,
                    0.5);
        EXPECT_EQ(panel.expandCollapseView()->bounds().size.width, 83);
    }
    UIDeviceProfile::setCurrent(UIDeviceProfile::phone());
}

}  // namespace
