// The custom-colour state and the format dial's swipes in the launched application, on the
// manual clock with real GL: the editor recolours the custom colour and the engine live,
// dismissing restores both, confirming keeps them; swipes on the picture turn the dial.
#include <gtest/gtest.h>

#include <cmath>

#include "app/settings/ColorView.h"
#include "model/CollectionObject.h"
#include "model/Type.h"
#include "platform/uikit/UINavigationItem.h"
#include "support/AppHarness.h"
#include "ui/widgets/ConfirmDismissView.h"
#include "ui/widgets/RotationSelectionItem.h"

namespace {

CGPoint middleOf(const UIView& view) {
    const CGRect r = view.convertRectToView(view.bounds(), nullptr);
    return {CGRectGetMidX(r), CGRectGetMidY(r)};
}

class ColorScreen : public ::testing::Test {
protected:
    // The custom colour chosen in the colour list, as the picker would.
    void SetUp() override {
        Type& colors = TypeController::sharedInstance().colorType();
        for (const auto& object : colors.objects())
            if (object->colorIsMutable()) custom = object.get();
        ASSERT_TRUE(custom);
        custom->setColor(CGColor{0.8, 0.2, 0.1, 1});
        colors.setSelectedObject(custom);
        colors.raiseSelectedObjectBlock();  // applied afresh in this launch
        app.controller().setType(&colors);
        app.advance(0.2);
    }
    CGColor engineColor() const {
        return {AppHarness::parameter("CA Photo Filter R"), AppHarness::parameter("CA Photo Filter G"),
                AppHarness::parameter("CA Photo Filter B"), 1};
    }
    // The confirm/dismiss row's buttons: dismiss first.
    UIView& rowButton(std::size_t i) {
        auto* row = dynamic_cast<ConfirmDismissView*>(app.controller().buttonMenuView().get());
        EXPECT_TRUE(row);
        return *row->buttonViews().at(i);
    }

    AppHarness app;
    CollectionObject* custom = nullptr;
};

}  // namespace

TEST_F(ColorScreen, SliderMovesRecolourLiveAndDismissingRestoresTheColour) {
    AmbrelViewController& screen = app.controller();
    screen.animateColorView(true);
    app.advance(1.0);
    auto editor = screen.colorView();
    ASSERT_TRUE(editor);
    EXPECT_EQ(screen.navigationItem().leftBarButtonItem(), nullptr);
    EXPECT_EQ(screen.navigationItem().rightBarButtonItem(), nullptr);
    EXPECT_EQ(screen.navigationItem().titleView(), nullptr);
    ASSERT_TRUE(dynamic_cast<ConfirmDismissView*>(screen.buttonMenuView().get())) << "the confirm/dismiss row";

    // A drag on the hue slider (the lowest): object and engine follow at once.
    const CGPoint hue = middleOf(*editor->hueSlideView());
    app.drag(hue, {hue.x + 80, hue.y}, 0.4);
    app.advance(0.3);
    const CGColor moved = editor->color().CGColor();
    EXPECT_GT(std::abs(moved.b - 0.1) + std::abs(moved.g - 0.2), 0.1) << "another hue";
    expectColor(*custom->color(), moved, "the custom colour", 1e-6);
    expectColor(engineColor(), moved, "the engine", 0.01);

    app.tap(middleOf(rowButton(0)));  // dismiss
    app.advance(1.0);
    expectColor(*custom->color(), {0.8, 0.2, 0.1, 1}, "restored", 1e-3);
    expectColor(engineColor(), {0.8, 0.2, 0.1, 1}, "the engine restored", 0.01);
    EXPECT_EQ(screen.colorView(), nullptr);
    EXPECT_EQ(editor->superview(), nullptr);
    EXPECT_FALSE(screen.originalColorViewColor());
}

TEST_F(ColorScreen, ConfirmingWithoutAMoveKeepsTheColourAndReopeningDuringTheCloseKeepsTheNewEditor) {
    AmbrelViewController& screen = app.controller();
    screen.animateColorView(true);
    app.advance(1.0);
    auto first = screen.colorView();
    app.tap(middleOf(rowButton(1)));  // confirm
    app.advance(0.1);
    expectColor(*custom->color(), {0.8, 0.2, 0.1, 1}, "kept", 1e-3);
    screen.animateColorView(true);  // again, while the first editor still leaves
    auto second = screen.colorView();
    ASSERT_TRUE(second);
    EXPECT_NE(second, first);
    app.advance(1.0);
    EXPECT_EQ(screen.colorView(), second);
    EXPECT_EQ(first->superview(), nullptr);
    expectColor(engineColor(), {0.8, 0.2, 0.1, 1}, "the engine unchanged", 0.01);
}

TEST(ColorScreenSwipes, ASwipeOnThePictureTurnsTheDialExceptOnAPhoneHeldSideways) {
    AppHarness app;
    AmbrelViewController& screen = app.controller();
    screen.enableRotationSelectionGestures(true);
    screen.enableRotationSelectionGestures(true);
    int swipes = 0;
    for (const auto& r : screen.graphicsView()->gestureRecognizers())
        swipes += dynamic_cast<UISwipeGestureRecognizer*>(r.get()) != nullptr;
    EXPECT_EQ(swipes, 2) << "one pair";

    const CGRect picture = screen.graphicsView()->convertRectToView(screen.graphicsView()->bounds(), nullptr);
    const CGFloat y = CGRectGetMidY(picture), left = CGRectGetMinX(picture) + 40, right = CGRectGetMaxX(picture) - 40;
    auto dial = [&] { return screen.rotationSelectionView()->selectedItem()->label()->text(); };
    UIDevice::currentDevice().setOrientation(UIDeviceOrientation::LandscapeLeft);
    app.drag({right, y}, {left, y}, 0.1);
    app.advance(1.0);
    EXPECT_EQ(dial(), "P H O T O") << "a phone held sideways leaves the dial alone";
    UIDevice::currentDevice().setOrientation(UIDeviceOrientation::Portrait);
    app.drag({right, y}, {left, y}, 0.1);
    app.advance(1.0);
    EXPECT_EQ(dial(), "S Q U A R E");
    EXPECT_TRUE(screen.graphicsView()->squareAspectRatio()) << "the square preview";
    app.drag({left, y}, {right, y}, 0.1);
    app.advance(1.0);
    EXPECT_EQ(dial(), "P H O T O");
}

TEST(ColorScreenSwipes, OnThePadASwipeTurnsTheDialHeldSideways) {
    AppLaunch launch;
    launch.profile = UIDeviceProfile::pad();
    AppHarness app(launch);
    AmbrelViewController& screen = app.controller();
    UIDevice::currentDevice().setOrientation(UIDeviceOrientation::LandscapeLeft);
    app.advance(1.0);
    const CGRect picture = screen.graphicsView()->convertRectToView(screen.graphicsView()->bounds(), nullptr);
    const CGFloat y = CGRectGetMinY(picture) + 0.3 * picture.size.height;  // above the pad's shutter
    app.drag({CGRectGetMaxX(picture) - 60, y}, {CGRectGetMinX(picture) + 60, y}, 0.1);
    app.advance(1.0);
    EXPECT_EQ(screen.rotationSelectionView()->selectedItem()->label()->text(), "S Q U A R E");
}
