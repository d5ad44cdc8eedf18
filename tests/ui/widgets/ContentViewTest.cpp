// Content views on the real toolkit and the manual clock: fitting and centring, zooming by
// double tap, the long press, sliders left alone, pictures replaced in place, zero sizes.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "platform/uikit/UIGraphics.h"
#include "platform/uikit/UISlider.h"
#include "support/TouchHarness.h"
#include "ui/widgets/ImageContentView.h"

namespace {

UIImagePtr filled(CGSize size, const UIColor& color) {
    UIGraphicsBeginImageContextWithOptions(size, true, 1);
    CGContextSetFillColorWithColor(UIGraphicsGetCurrentContext(), color.CGColor());
    CGContextFillRect(UIGraphicsGetCurrentContext(), {{0, 0}, size});
    UIImagePtr image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    return image;
}

class ContentViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        view = std::make_shared<ImageContentView>(CGRectMake(0, 0, 320, 480));
        ui.window->addSubview(view);
        view->setZoomEnabled(true);
    }
    TouchHarness ui;
    std::shared_ptr<ImageContentView> view;
};

}  // namespace

TEST_F(ContentViewTest, ContentStartsFittedAndCentredAndZeroSizesKeepTheScales) {
    struct Case {
        const char* what;
        CGSize content;
        bool fit;
        CGFloat minimum;
        CGFloat frameY;  // where the fitted content stands
    };
    const Case cases[] = {
        {"large", {4000, 3000}, true, 0.08, 120},
        {"small, enlarged", {100, 100}, true, 3.2, (480 - 320) / 2.0},
        {"small, kept", {100, 100}, false, 1, 190},
    };
    for (const Case& c : cases) {
        view->setScaleContentToFit(c.fit);
        view->setContentView(std::make_shared<UIView>(CGRect{{0, 0}, c.content}));
        const auto& scroll = *view->scrollView();
        EXPECT_NEAR(scroll.minimumZoomScale(), c.minimum, 1e-9) << c.what;
        EXPECT_NEAR(scroll.maximumZoomScale(), 2 * c.minimum, 1e-9) << c.what;
        EXPECT_NEAR(scroll.zoomScale(), c.minimum, 1e-9) << c.what;
        EXPECT_NEAR(view->contentView()->frame().origin.y, c.frameY, 1e-9) << c.what;
        EXPECT_FALSE(view->zoomed()) << c.what;
    }
    // A zero-size content, or a zero-size container, has no fitting scale: nothing changes.
    view->setContentView(std::make_shared<UIView>(CGRectMake(0, 0, 0, 0)));
    EXPECT_EQ(view->scrollView()->minimumZoomScale(), 1);
    EXPECT_TRUE(std::isfinite(view->scrollView()->zoomScale()));
    auto empty = std::make_shared<ContentView>(CGRectZero);
    empty->setZoomEnabled(true);
    empty->setContentView(std::make_shared<UIView>(CGRectMake(0, 0, 100, 100)));
    EXPECT_EQ(empty->scrollView()->zoomScale(), 1);
    EXPECT_EQ(empty->scrollView()->maximumZoomScale(), 1);

    // Without zooming the content simply fills the container.
    view->setZoomEnabled(false);
    EXPECT_EQ(view->scrollView(), nullptr);
    EXPECT_EQ(view->contentView()->frame(), view->bounds());
    EXPECT_EQ(view->contentView()->superview(), view.get());
}

TEST_F(ContentViewTest, ADoubleTapZoomsInAboutThePointAndBackOut) {
    view->setImage(filled({640, 960}, UIColor::redColor()));  // fits at 0.5, up to 1
    std::vector<bool> pressed;
    view->longPressBlock = [&](bool began) { pressed.push_back(began); };

    ui.tap(100, 100);
    ui.advance(0.2);
    ui.tap(100, 100);
    ui.advance(0.31);
    EXPECT_NEAR(view->scrollView()->zoomScale(), 1, 1e-9);
    EXPECT_TRUE(view->zoomed());
    // (100, 100) on the screen was the picture's (200, 200): now in the middle as far as the edges allow.
    EXPECT_EQ(view->scrollView()->contentOffset(), (CGPoint{40, 0}));
    EXPECT_TRUE(view->scrollView()->panGestureRecognizer()->isEnabled()) << "dragging only while zoomed";

    ui.tap(160, 240);
    ui.advance(0.2);
    ui.tap(160, 240);
    ui.advance(0.31);
    EXPECT_NEAR(view->scrollView()->zoomScale(), 0.5, 1e-9);
    EXPECT_FALSE(view->zoomed());
    EXPECT_FALSE(view->scrollView()->panGestureRecognizer()->isEnabled());

    // A long press begins at 0.25 s; the double tap waits for it to fail, so it never zooms.
    ui.driver->touchDown(5, {160, 240});
    ui.advance(0.24);
    EXPECT_TRUE(pressed.empty());
    ui.advance(0.02);
    EXPECT_EQ(pressed, std::vector<bool>{true});
    ui.driver->touchUp(5, {160, 240});
    EXPECT_EQ(pressed, (std::vector<bool>{true, false}));
    ui.advance(1);
    EXPECT_FALSE(view->zoomed());
}

TEST_F(ContentViewTest, SlidersInsideKeepTheirTouches) {
    view->setImage(filled({320, 480}, UIColor::blueColor()));
    auto slider = std::make_shared<UISlider>(CGRectMake(20, 200, 280, 40));
    view->contentView()->setUserInteractionEnabled(true);
    view->contentView()->addSubview(slider);
    int pressed = 0;
    view->longPressBlock = [&](bool) { ++pressed; };
    ui.longPress(30, 220, 1);
    ui.drag(30, 220, 290, 220);
    EXPECT_EQ(pressed, 0);
    EXPECT_GT(slider->value(), 0.5f);
    ui.longPress(160, 400, 1);
    EXPECT_EQ(pressed, 2) << "elsewhere the press is heard";
}

TEST_F(ContentViewTest, APictureOfTheSameSizeKeepsTheZoomAndAResetCompletes) {
    view->setImage(filled({640, 960}, UIColor::redColor()));
    int changes = 0;
    view->contentChanged = [&](ContentView&) { ++changes; };
    view->setRelativeZoomScale(1, false);
    ui.advance(0.1);
    ASSERT_TRUE(view->zoomed());
    auto before = view->imageView();
    view->setImage(filled({640, 960}, UIColor::greenColor()));
    EXPECT_EQ(view->imageView(), before);
    EXPECT_TRUE(view->zoomed());
    EXPECT_EQ(changes, 0);
    view->setImage(filled({100, 100}, UIColor::greenColor()));
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(view->zoomed());

    // Resetting a view that is not zoomed completes without animation, either way.
    for (bool animate : {true, false}) {
        ContentView::animateResetZoomScale(animate);
        bool done = false;
        view->resetZoomScale([&](bool) { done = true; });
        ui.advance(0.01);
        EXPECT_TRUE(done) << animate;
    }
    ContentView::animateResetZoomScale(true);
}
