// The button bar laid out and tapped through the window on the manual clock: spacing and
// dividers, layout only on a change of size, hold-and-release buttons, clearing, and the
// confirm/dismiss pair.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/quartzcore/ExpectGeometry.h"
#include "support/TouchHarness.h"
#include "ui/widgets/ButtonMenuView.h"
#include "ui/widgets/ConfirmDismissView.h"

namespace {

class ButtonMenuViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        bar = std::make_shared<ButtonMenuView>(CGRectMake(0, 500, 300, 60));
        ui.window->addSubview(bar);
    }
    std::vector<double> centresX(const ButtonMenuView::Views& views) {
        std::vector<double> xs;
        for (const auto& v : views) xs.push_back(std::round(v->center().x * 1e6) / 1e6);  // to a millionth of a point
        return xs;
    }
    TouchHarness ui;
    std::shared_ptr<ButtonMenuView> bar;
};

}  // namespace

TEST_F(ButtonMenuViewTest, ButtonsShareTheWidthAndDividersStandBetweenThemOnceEach) {
    std::vector<std::string> tapped;
    for (const char* title : {"Crop", "Compare", "Settings"})
        bar->addButtonWithString(title, [&tapped, title](NSObject&) { tapped.push_back(title); });
    bar->setShowDivider(true);
    bar->layoutViews();
    bar->layoutViews();
    EXPECT_EQ(centresX(bar->buttonViews()), (std::vector<double>{50, 150, 250}));
    for (const auto& b : bar->buttonViews()) EXPECT_EQ(b->center().y, 30);
    ASSERT_EQ(bar->dividerViews().size(), 2u) << "not twice as many";
    EXPECT_EQ(centresX(bar->dividerViews()), (std::vector<double>{100, 200}));
    expectRect(bar->dividerViews()[0]->frame(), CGRectMake(99.5, 0, 1, 60), "divider");

    ui.tap(150, 530);
    EXPECT_EQ(tapped, std::vector<std::string>{"Compare"});

    // Off, a later layout leaves the earlier dividers where they are.
    bar->setShowDivider(false);
    bar->addButtonWithString("More", nullptr);
    bar->layoutViews();
    EXPECT_EQ(centresX(bar->dividerViews()), (std::vector<double>{100, 200}));
    EXPECT_EQ(centresX(bar->buttonViews()), (std::vector<double>{37.5, 112.5, 187.5, 262.5}));

    bar->clearButtons();
    EXPECT_TRUE(bar->buttonViews().empty());
    EXPECT_TRUE(bar->dividerViews().empty());
    EXPECT_TRUE(bar->subviews().empty());
}

TEST_F(ButtonMenuViewTest, OnlyAChangeOfSizeLaysTheBarOutAgain) {
    bar->addButtonWithView(std::make_shared<UIView>(CGRectMake(0, 0, 40, 40)));
    bar->addButtonWithView(std::make_shared<UIView>(CGRectMake(0, 0, 40, 40)));
    ui.window->layoutIfNeeded();
    EXPECT_EQ(centresX(bar->buttonViews()), (std::vector<double>{75, 225}));
    bar->buttonViews()[0]->setCenter({10, 10});
    bar->setNeedsLayout();
    ui.window->layoutIfNeeded();
    EXPECT_EQ(bar->buttonViews()[0]->center().x, 10) << "same size: nothing moves";
    bar->setFrame(CGRectMake(0, 500, 200, 60));
    ui.window->layoutIfNeeded();
    EXPECT_EQ(centresX(bar->buttonViews()), (std::vector<double>{50, 150}));
}

TEST_F(ButtonMenuViewTest, AHeldButtonReleasesHoweverTheTouchEnds) {
    std::vector<std::string> events;
    bar->addButtonWithString(
        "Hold", std::nullopt, [&](NSObject&) { events.push_back("hold"); },
        [&](NSObject&) { events.push_back("release"); });
    bar->layoutViews();
    const CGPoint c = bar->buttonViews()[0]->convertPointToView(
        {CGRectGetMidX(bar->buttonViews()[0]->bounds()), CGRectGetMidY(bar->buttonViews()[0]->bounds())}, nullptr);
    ui.tap(c.x, c.y);
    ui.drag(c.x, c.y, c.x, c.y - 300, 0.3);
    EXPECT_EQ(events, (std::vector<std::string>{"hold", "release", "hold", "release"}));
}

TEST_F(ButtonMenuViewTest, TheDismissPairAnswersYesAndTheConfirmOneNo) {
    auto pair = std::make_shared<ConfirmDismissView>(CGRectMake(0, 100, 200, 44));
    ui.window->addSubview(pair);
    std::vector<bool> answers;
    ui.tap(50, 122);  // no block: ignored
    pair->setBlock([&](bool dismissed) { answers.push_back(dismissed); });
    ui.window->layoutIfNeeded();
    EXPECT_EQ(centresX(pair->buttonViews()), (std::vector<double>{50, 150}));
    ui.tap(50, 122);
    ui.tap(150, 122);
    EXPECT_EQ(answers, (std::vector<bool>{true, false}));
}
