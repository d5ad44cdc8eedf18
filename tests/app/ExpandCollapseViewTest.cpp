// The chevron on the real toolkit and the manual clock, tapped through the input driver.
#include <gtest/gtest.h>

#include <vector>

#include "app/ExpandCollapseView.h"
#include "support/TouchHarness.h"

namespace {

class ExpandCollapseViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        chevron = std::make_shared<ExpandCollapseView>(CGRectMake(100, 300, 44, 44));
        ui.window->addSubview(chevron);
        chevron->setBlock([this](bool expanded) {
            blocks.push_back(expanded);
            expandingInBlock.push_back(chevron->expanding());
        });
    }
    // Upside down and 6 points lower, or upright in place.
    static bool turnedOver(const CGAffineTransform& t) {
        return std::abs(t.a + 1) < 1e-6 && std::abs(t.d + 1) < 1e-6 && std::abs(t.ty - 6) < 1e-6 &&
               std::abs(t.tx) < 1e-6;
    }

    TouchHarness ui;
    std::shared_ptr<ExpandCollapseView> chevron;
    std::vector<bool> blocks, expandingInBlock;
};

TEST_F(ExpandCollapseViewTest, ATapExpandsAndTurnsTheChevronOver) {
    ui.tap(122, 322);
    EXPECT_TRUE(chevron->expanded());
    EXPECT_EQ(blocks, std::vector<bool>{true});
    EXPECT_EQ(expandingInBlock, std::vector<bool>{true});
    EXPECT_FALSE(chevron->expanding());
    ui.advance(ExpandCollapseView::kFlipDuration);
    EXPECT_TRUE(turnedOver(chevron->button().transform()));
    EXPECT_TRUE(turnedOver(chevron->button().layer()->presentationLayer()->affineTransform()));
}

TEST_F(ExpandCollapseViewTest, TogglingTwiceComesBackUprightWithTheBlockTwice) {
    chevron->toggleExpanded();
    ui.advance(0.1);
    chevron->toggleExpanded();
    ui.advance(ExpandCollapseView::kFlipDuration);
    EXPECT_FALSE(chevron->expanded());
    EXPECT_EQ(blocks, (std::vector<bool>{true, false}));
    EXPECT_EQ(chevron->button().transform(), CGAffineTransformIdentity);
}

TEST_F(ExpandCollapseViewTest, SettingTheStateRunsTheBlockButLeavesThePicture) {
    chevron->setExpanded(true);
    EXPECT_EQ(blocks, std::vector<bool>{true});
    EXPECT_EQ(expandingInBlock, std::vector<bool>{true});
    EXPECT_EQ(chevron->button().transform(), CGAffineTransformIdentity);
}

TEST_F(ExpandCollapseViewTest, AFadedChevronTurnsOpaqueWhenToggled) {
    chevron->setAlpha(0.2);
    chevron->toggleExpanded();
    ui.advance(ExpandCollapseView::kFlipDuration);
    EXPECT_EQ(chevron->alpha(), 1);
}

}  // namespace
