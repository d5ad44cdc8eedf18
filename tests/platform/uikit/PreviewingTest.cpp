// Peek and pop from the window's force: the delegate asked at half force, the peek centred
// over the blurred screen, the action rows, the pop at 90 % and the lift.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIViewControllerPreviewing.h"
#include "support/TouchHarness.h"
#include "support/TouchRecorder.h"

namespace {

class PeekedController : public UIViewController {
public:
    std::vector<UIPreviewAction> actions;
    std::vector<UIPreviewAction> previewActionItems() const override { return actions; }
};

class PreviewingTest : public ::testing::Test, public UIViewControllerPreviewingDelegate {
protected:
    void SetUp() override {
        source = std::make_shared<TouchRecorder>(CGRectMake(50, 100, 200, 200));
        source->setBackgroundColor(UIColor::colorWithRed(1, 0, 0, 1));
        ui.window->addSubview(source);
        owner = std::make_shared<UIViewController>();
        context = owner->registerForPreviewingWithDelegate(this, source);
        peeked = std::make_shared<PeekedController>();
        peeked->view()->setFrame(CGRectMake(0, 0, 100, 50));
        peeked->view()->setBackgroundColor(UIColor::colorWithRed(0, 0, 1, 1));
    }
    std::shared_ptr<UIViewController> previewingContext(UIViewControllerPreviewing& c, CGPoint location) override {
        asked.push_back(location);
        c.setSourceRect(CGRectMake(location.x - 10, location.y - 10, 20, 20));
        return answer ? peeked : nullptr;
    }
    void previewingContext(UIViewControllerPreviewing&, UIViewController& controller) override {
        committed.push_back(&controller);
    }
    // A press at the peek's force that stays down.
    void pressDown(CGPoint p) { ui.driver->touchDown(1, p, UITouchMaximumPossibleForce / 2); }

    TouchHarness ui;
    std::shared_ptr<TouchRecorder> source;
    std::shared_ptr<UIViewController> owner;
    std::shared_ptr<UIViewControllerPreviewing> context;
    std::shared_ptr<PeekedController> peeked;
    bool answer = true;
    std::vector<CGPoint> asked;
    std::vector<UIViewController*> committed;
};

TEST_F(PreviewingTest, CapabilityComesFromTheDeviceProfile) {
    EXPECT_EQ(owner->forceTouchCapability(), UIForceTouchCapability::Available);
    UIDeviceProfile profile = UIDeviceProfile::phone();
    profile.forceTouchCapability = UIForceTouchCapability::Unavailable;
    UIDeviceProfile::setCurrent(profile);
    EXPECT_EQ(owner->forceTouchCapability(), UIForceTouchCapability::Unavailable);
    UIDeviceProfile::setCurrent(UIDeviceProfile::phone());
}

TEST_F(PreviewingTest, HalfForcePeeksCentredOverABlurAndLiftingDismisses) {
    pressDown({150, 200});
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_DOUBLE_EQ(asked[0].x, 100);
    EXPECT_DOUBLE_EQ(asked[0].y, 100);
    EXPECT_EQ(context->sourceRect().origin.x, 90);
    auto peek = UIViewControllerPreviewing::peekView();
    ASSERT_TRUE(peek);
    EXPECT_EQ(peek->window(), ui.window.get());
    // 20 pt from the sides of the 375-point screen, the 2:1 aspect kept, centred.
    const CGRect frame = peeked->view()->convertRectToView(peeked->view()->bounds(), nullptr);
    EXPECT_DOUBLE_EQ(frame.origin.x, 20);
    EXPECT_DOUBLE_EQ(frame.size.width, 335);
    EXPECT_DOUBLE_EQ(frame.size.height, 167.5);
    EXPECT_DOUBLE_EQ(CGRectGetMidY(frame), 667.0 / 2);
    ui.advance(0.5);
    expectColor(ui.meanColor(CGRectMake(100, 300, 100, 20)), {0, 0, 1, 1}, "the peeked view");
    // The source's red is softened by the blur around the peek.
    const CGColor around = ui.meanColor(CGRectMake(60, 130, 40, 40));
    EXPECT_GT(around.g, 0.2) << "blurred and lightened";
    ui.driver->touchUp(1, {150, 200});
    ui.advance(0.1);
    EXPECT_FALSE(UIViewControllerPreviewing::peekView());
    EXPECT_FALSE(peek->window());
    EXPECT_TRUE(committed.empty());
    // The views saw the press stop when the peek took it: it began below the peek's force.
    EXPECT_EQ(source->phases(), "");
}

TEST_F(PreviewingTest, NoPeekLeavesTheTouchToTheViews) {
    struct Case {
        const char* name;
        CGPoint point;
        bool answer;
        bool unregister;
    };
    for (const Case& c :
         {Case{"outside the source", {300, 500}, true, false}, Case{"the delegate declines", {150, 200}, false, false},
          Case{"unregistered", {150, 200}, true, true}}) {
        SCOPED_TRACE(c.name);
        answer = c.answer;
        if (c.unregister) owner->unregisterForPreviewingWithContext(context);
        source->records.clear();
        pressDown(c.point);
        EXPECT_FALSE(UIViewControllerPreviewing::peekView());
        ui.driver->touchUp(1, c.point);
        EXPECT_EQ(source->phases(), CGRectContainsPoint(source->frame(), c.point) ? "be" : "");
    }
}

TEST_F(PreviewingTest, FullForcePopsAndLightForceDoesNothing) {
    ui.driver->touchDown(1, {150, 200}, 1);
    ui.driver->touchUp(1, {150, 200});
    EXPECT_TRUE(asked.empty());
    ui.forcePress(150, 200, 1);  // the right button: half force, full after a moment
    ASSERT_EQ(committed.size(), 1u);
    EXPECT_EQ(committed[0], peeked.get());
    EXPECT_FALSE(UIViewControllerPreviewing::peekView());
}

TEST_F(PreviewingTest, RisingListsTheActionsAndATapRunsOne) {
    std::vector<std::string> ran;
    for (auto [title, style] :
         {std::pair{"Edit", UIPreviewActionStyle::Default}, {"Delete", UIPreviewActionStyle::Destructive}})
        peeked->actions.push_back(
            UIPreviewAction::actionWithTitle(title, style, [&ran](const UIPreviewAction& a, UIViewController& c) {
                ran.push_back(a.title + (dynamic_cast<PeekedController*>(&c) ? " on the peek" : ""));
            }));
    pressDown({150, 200});
    ui.driver->touchMove(1, {150, 170}, UITouchMaximumPossibleForce / 2);
    EXPECT_TRUE(UIViewControllerPreviewing::actionViews().empty()) << "30 pt is not enough";
    ui.driver->touchMove(1, {150, 160}, UITouchMaximumPossibleForce * 0.95);
    auto rows = UIViewControllerPreviewing::actionViews();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(std::dynamic_pointer_cast<UILabel>(rows[0])->text(), "Edit");
    EXPECT_EQ(std::dynamic_pointer_cast<UILabel>(rows[1])->text(), "Delete");
    EXPECT_TRUE(committed.empty()) << "no pop once the actions are listed";
    EXPECT_LE(CGRectGetMaxY(peeked->view()->frame()), rows[0]->frame().origin.y);
    ui.driver->touchUp(1, {150, 160});
    ASSERT_TRUE(UIViewControllerPreviewing::peekView()) << "the actions stay for a tap";
    ui.tap(CGRectGetMidX(rows[1]->frame()), CGRectGetMidY(rows[1]->frame()));
    EXPECT_EQ(ran, std::vector<std::string>{"Delete on the peek"});
    EXPECT_FALSE(UIViewControllerPreviewing::peekView());
    EXPECT_EQ(source->phases(), "");
}

}  // namespace
