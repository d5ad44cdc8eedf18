// The full-screen backdrop on the manual clock, tapped through the window: one at a time, its
// action per tap, and a Present during an animated dismissal.
#include <gtest/gtest.h>

#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIViewController.h"
#include "support/TouchHarness.h"
#include "ui/animation/ViewUtility.h"

namespace {

class ViewUtilityTest : public ::testing::Test {
protected:
    void SetUp() override {
        ui.window->setBackgroundColor(UIColor::whiteColor());
        root = std::make_shared<UIViewController>();
        root->view()->setBackgroundColor(UIColor::whiteColor());
        ui.window->setRootViewController(root);
    }
    void TearDown() override {
        ViewUtility::dismissFullScreenViewAnimated(false);
        ui.advance(1);
    }
    std::vector<std::shared_ptr<UIView>> backdrops() {
        std::vector<std::shared_ptr<UIView>> found;
        for (const auto& v : root->view()->subviews())
            if (std::dynamic_pointer_cast<UIButton>(v)) found.push_back(v);
        return found;
    }
    TouchHarness ui;
    std::shared_ptr<UIViewController> root;
};

}  // namespace

TEST_F(ViewUtilityTest, OneBackdropFadesInDimsTheScreenAndRunsItsActionOncePerTap) {
    std::vector<std::shared_ptr<UIView>> given;
    int dismissals = 0, other = 0;
    ViewUtility::presentFullScreenView([&](const auto& b) { given.push_back(b); }, [&] { ++dismissals; });
    EXPECT_TRUE(given.empty()) << "the completion waits for the fade";
    ui.advance(0.25);
    ASSERT_EQ(given.size(), 1u);
    expectColor(ui.meanColor({{10, 10}, {300, 600}}), {0.6, 0.6, 0.6, 1}, "dimmed");
    // A second Present hands over the same backdrop and keeps its colour and action.
    ViewUtility::presentFullScreenView(
        false, UIColor::redColor(), [&](const auto& b) { given.push_back(b); }, [&] { ++other; });
    ASSERT_EQ(given.size(), 2u);
    EXPECT_EQ(given[1], given[0]);
    EXPECT_EQ(backdrops().size(), 1u);
    ui.tap(100, 100);
    ui.tap(200, 300);
    ViewUtility::dismissFullScreenViewWithDismissAction();
    EXPECT_EQ(dismissals, 3);
    EXPECT_EQ(other, 0);
    ViewUtility::dismissFullScreenViewAnimated(false);
    EXPECT_EQ(ViewUtility::fullScreenView(), nullptr);
    ViewUtility::dismissFullScreenView();  // none shown: nothing
    ViewUtility::dismissFullScreenViewWithDismissAction();
    EXPECT_EQ(dismissals, 3);
}

TEST_F(ViewUtilityTest, APresentDuringAnAnimatedDismissGetsALiveBackdropWithItsOwnAction) {
    int oldAction = 0, newAction = 0;
    ViewUtility::presentFullScreenView(false, UIColor::blackColor(), nullptr, [&] { ++oldAction; });
    const auto old = ViewUtility::fullScreenView();
    ViewUtility::dismissFullScreenView();
    ui.advance(0.05);
    std::shared_ptr<UIView> given;
    ViewUtility::presentFullScreenView(
        false, UIColor::redColor(), [&](const auto& b) { given = b; }, [&] { ++newAction; });
    ASSERT_NE(given, nullptr);
    EXPECT_NE(given, old) << "a new backdrop";
    EXPECT_EQ(old->superview(), nullptr) << "the fading one is gone at once";
    ui.advance(0.5);  // the old fade ends: it must not take the new backdrop
    EXPECT_EQ(ViewUtility::fullScreenView(), given);
    EXPECT_EQ(backdrops(), std::vector<std::shared_ptr<UIView>>{given});
    expectColor(ui.meanColor({{10, 10}, {300, 600}}), {1, 0, 0, 1}, "the new colour");
    ui.tap(100, 100);
    EXPECT_EQ(newAction, 1);
    EXPECT_EQ(oldAction, 0);
}

TEST_F(ViewUtilityTest, WithoutAnActionTheBackdropStillSwallowsTaps) {
    std::vector<UIControlEvents> sent;
    auto below = addButton(*root->view(), CGRectMake(50, 50, 100, 100));
    recordControlEvents(*below, {UIControlEventTouchUpInside}, sent);
    ViewUtility::presentFullScreenView(false, UIColor::clearColor(), nullptr, nullptr);
    ui.tap(100, 100);
    EXPECT_TRUE(sent.empty());
    ViewUtility::dismissFullScreenViewAnimated(false);
    ui.tap(100, 100);
    EXPECT_EQ(sent.size(), 1u);
}
