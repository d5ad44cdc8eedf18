// Blocks in place of a control's target and action: each call adds one adapter, every one of
// them runs on each event, and they live exactly as long as the control.
#include <gtest/gtest.h>

#include <memory>

#include "platform/foundation/NSRunLoop.h"
#include "platform/uikit/UIButton.h"
#include "support/TouchHarness.h"
#include "ui/foundation/UIControl+BlockUtility.h"

namespace {

TEST(ControlBlockTest, TwoBlocksForOneEventBothRunAndLiveAsLongAsTheButton) {
    TouchHarness ui;
    auto button = std::make_shared<UIButton>(CGRectMake(0, 0, 44, 44));
    ui.window->addSubview(button);
    auto token = std::make_shared<int>(0);
    std::weak_ptr<int> watch = token;
    int first = 0, second = 0, downs = 0;
    NSObject* sender = nullptr;
    BlockUtility::setBlock(
        *button, [&, token](NSObject& s) { ++first, sender = &s; }, UIControlEventTouchUpInside);
    BlockUtility::setBlock(
        *button, [&](NSObject&) { ++second; }, UIControlEventTouchUpInside);
    BlockUtility::setBlock(
        *button, [&](NSObject&) { ++downs; }, UIControlEventTouchDown);
    token.reset();
    EXPECT_EQ(button->associatedObjectCount(), 3u);
    for (int i = 0; i < 2; ++i) ui.tap(22, 22);
    EXPECT_EQ(first, 2);
    EXPECT_EQ(second, 2);
    EXPECT_EQ(downs, 2);
    EXPECT_EQ(sender, button.get()) << "the block is given the control";
    EXPECT_FALSE(watch.expired()) << "the block lives with the button";
    button->removeFromSuperview();
    button.reset();
    EXPECT_TRUE(watch.expired()) << "and goes with it";
}

}  // namespace
