// The square crop screen: the zoom rule, the framing, the square results with their black
// bands, the bar buttons' answers, the grid while moving and the sharing set-up.
#include <gtest/gtest.h>

#include <optional>

#include "platform/uikit/UIBarButtonItem.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UINavigationItem.h"
#include "screens/crop/SquareCropViewController.h"
#include "support/ControllerFixture.h"
#include "CropPictures.h"

namespace {

class SquareCropTest : public ControllerFixture {
protected:
    std::shared_ptr<SquareCropViewController> show(UIImagePtr photo) {
        auto controller = SquareCropViewController::fromNib();
        controller->setImage(std::move(photo));
        window->setRootViewController(controller);
        controller->view()->layoutIfNeeded();
        return controller;
    }
};

}  // namespace

TEST_F(SquareCropTest, TheZoomRuleFollowsTheConstraintsAndLayoutReturnsToTheMinimum) {
    const UIImagePtr photo = quadrantPicture({4000, 3000}, 0.1);
    const struct {
        bool width, height;
        double zoom;
        CGRect rect;
    } cases[] = {
        {true, false, 0.09375, {{0, -500}, {4000, 4000}}},
        {false, true, 0.125, {{500, 0}, {3000, 3000}}},
        {true, true, 0.09375, {{0, -500}, {4000, 4000}}},
        {false, false, 0.125, {{500, 0}, {3000, 3000}}},
    };
    for (const auto& c : cases) {
        auto controller = SquareCropViewController::fromNib();
        controller->setConstrainWidth(c.width);
        controller->setConstrainHeight(c.height);
        controller->setImage(photo);
        window->setRootViewController(controller);
        controller->view()->layoutIfNeeded();
        auto& scroll = *controller->scrollView();
        expectRect(scroll.frame(), {{0, 146}, {375, 375}}, 1e-9, "the square");
        EXPECT_DOUBLE_EQ(scroll.minimumZoomScale(), c.zoom) << c.width << c.height;
        EXPECT_DOUBLE_EQ(scroll.zoomScale(), c.zoom);
        EXPECT_DOUBLE_EQ(scroll.maximumZoomScale(), 4);
        expectRect(controller->cropRect(), c.rect, 1e-6, "centred square");
        EXPECT_FALSE(controller->isCropped());
        // Zoomed in, then a layout pass: back to the minimum.
        scroll.setZoomScale(0.5);
        EXPECT_TRUE(controller->isCropped());
        controller->view()->setNeedsLayout();
        controller->view()->layoutIfNeeded();
        EXPECT_DOUBLE_EQ(scroll.zoomScale(), c.zoom);
    }
    // A tiny photo's minimum lies above the nib's limit: the limit follows it.
    auto tiny = show(quadrantPicture({50, 40}));
    EXPECT_DOUBLE_EQ(tiny->scrollView()->minimumZoomScale(), 7.5);
    EXPECT_GE(tiny->scrollView()->maximumZoomScale(), 7.5);
    // Without a photo the zoom is left alone.
    auto empty = SquareCropViewController::fromNib();
    empty->scrollView()->setZoomScale(1);
    empty->setZoomScales();
    EXPECT_EQ(empty->scrollView()->minimumZoomScale(), 1);
    EXPECT_EQ(empty->croppedImage(), nullptr);
}

TEST_F(SquareCropTest, ASquaredResultIsBlackWhereTheSquareLeavesThePhoto) {
    auto controller = SquareCropViewController::fromNib();
    controller->setConstrainWidth(true);
    controller->setConstrainHeight(true);
    controller->setCropToSquare(true);
    controller->setImage(quadrantPicture({4000, 3000}));
    window->setRootViewController(controller);
    controller->view()->layoutIfNeeded();
    const UIImagePtr square = controller->croppedImage();
    ASSERT_NE(square, nullptr);
    EXPECT_EQ(square->size(), (CGSize{4000, 4000}));
    const struct {
        double y;
        CGColor color;
    } rows[] = {
        {0, {0, 0, 0, 1}},    {499, {0, 0, 0, 1}},  {500, {1, 0, 0, 1}},
        {3499, {0, 0, 1, 1}}, {3500, {0, 0, 0, 1}}, {3999, {0, 0, 0, 1}},
    };
    for (const auto& r : rows) expectColor(pixelAt(square, 100, r.y), r.color, "row " + std::to_string(r.y), 0.02);
    // Scaled: a square of the photo's shorter side.
    EXPECT_EQ(controller->croppedAndScaledImage()->size(), (CGSize{3000, 3000}));
    // The same square on a rendering twice the size.
    const UIImagePtr big = quadrantPicture({800, 600});
    controller->setImage(quadrantPicture({400, 300}));
    controller->view()->layoutIfNeeded();
    expectRect(controller->scaleCropRectForImage(big), {{0, -100}, {800, 800}}, 1e-6, "scaled square");
    EXPECT_EQ(controller->croppedImageForImage(big)->size(), (CGSize{800, 800}));
    // Without squaring, the rectangle keeps only what lies on the photo.
    controller->setCropToSquare(false);
    EXPECT_EQ(controller->croppedImage()->size(), (CGSize{400, 300}));
}

TEST_F(SquareCropTest, FramingCoversTheRestUnlessTheScreenIsSquare) {
    // A tall photo with the width constrained reaches past the square (from its top, as the
    // photo came before the first layout), under the framing.
    auto controller = show(quadrantPicture({3000, 4000}, 0.1));
    advance(0.5);
    EXPECT_EQ(controller->framing(SquareCropViewController::TopSide)->frame(), (CGRect{{0, 0}, {375, 146}}));
    EXPECT_EQ(controller->framing(SquareCropViewController::BottomSide)->frame(), (CGRect{{0, 521}, {375, 146}}));
    EXPECT_EQ(controller->framing(SquareCropViewController::RightSide)->frame(), (CGRect{{375, 146}, {0, 375}}));
    EXPECT_EQ(controller->framingBorder(SquareCropViewController::RightSide)->transform(),
              CGAffineTransformMakeTranslation(-1, 0));
    EXPECT_EQ(controller->framingBorder(SquareCropViewController::LeftSide)->transform(),
              CGAffineTransformMakeTranslation(1, 0));
    const CGImageRef shot = screenshot();
    expectColor(meanAt(shot, {{40, 200}, {40, 40}}), {1, 0, 0, 1}, "inside the square");
    expectColor(meanAt(shot, {{40, 560}, {40, 40}}), {0, 0, 0.4, 1}, "the photo under the framing");
    expectColor(meanAt(shot, {{40, 100}, {40, 30}}), {0, 0, 0, 1}, "nothing under the top framing");
    const CGColor line = meanAt(shot, {{40, 521}, {40, 1}});
    EXPECT_GT(line.g, 0.4) << "the bottom edge line";
    // A drag over the framing moves the photo.
    EXPECT_EQ(window->hitTest({100, 40}), controller->scrollView().get());
    // A square screen: no framing.
    controller->view()->setFrame({{0, 0}, {375, 375}});
    controller->view()->layoutIfNeeded();
    for (auto side : {SquareCropViewController::TopSide, SquareCropViewController::BottomSide,
                      SquareCropViewController::LeftSide, SquareCropViewController::RightSide})
        EXPECT_TRUE(controller->framing(side)->isHidden());
}

TEST_F(SquareCropTest, BarButtonsAnswerDoneAndCancelAndTheGridShowsWhileMoving) {
    std::vector<bool> answers;
    auto controller = SquareCropViewController::fromNib();
    controller->setShowGrid(true);
    controller->setImage(quadrantPicture({3000, 4000}, 0.1));
    auto navigation = std::make_shared<UINavigationController>(controller);
    window->setRootViewController(navigation);
    advance(0.5);
    EXPECT_EQ(controller->title(), "Move and Scale");
    auto& item = controller->navigationItem();
    ASSERT_EQ(item.rightBarButtonItems().size(), 1u);
    ASSERT_EQ(item.leftBarButtonItems().size(), 1u);
    EXPECT_EQ(item.rightBarButtonItems()[0]->title(), "Done");
    EXPECT_EQ(item.rightBarButtonItems()[0]->style(), UIBarButtonItemStyle::Done);
    EXPECT_EQ(item.leftBarButtonItems()[0]->title(), "Cancel");
    item.rightBarButtonItems()[0]->sendAction();  // no block yet: nothing
    controller->setCompletionBlock([&](bool done) { answers.push_back(done); });
    item.rightBarButtonItems()[0]->sendAction();
    item.leftBarButtonItems()[0]->sendAction();
    EXPECT_EQ(answers, (std::vector<bool>{true, false}));

    // A drag shows the grid over the square; it fades once the drag ends.
    const CGRect square = controller->scrollView()->frame();
    const CGPoint mid = window->convertPointFromView({CGRectGetMidX(square), CGRectGetMidY(square)},
                                                     controller->scrollView()->superview());
    ui->driver->touchDown(3, mid);
    for (int i = 1; i <= 12; ++i) {
        advance(1.0 / 60);
        ui->driver->touchMove(3, {mid.x, mid.y + 3 * i});
    }
    EXPECT_TRUE(controller->gridViewShowing());
    ASSERT_NE(controller->gridView(), nullptr);
    EXPECT_EQ(controller->gridView()->frame(), square);
    advance(0.3);
    EXPECT_NEAR(controller->gridView()->alpha(), 0.4, 1e-6);
    ui->driver->touchUp(3, {mid.x, mid.y + 36});
    EXPECT_FALSE(controller->gridViewShowing()) << "hidden as the drag ends";
    advance(1);
    EXPECT_EQ(controller->gridView(), nullptr);
    controller->clearImage();
    EXPECT_EQ(controller->image(), nullptr);
}

TEST_F(SquareCropTest, TheSharingSetUpFitsTheWholePhotoAndSquaresTheResult) {
    std::optional<bool> answer;
    auto controller =
        SquareCropViewController::sharingController(quadrantPicture({400, 300}), [&](bool done) { answer = done; });
    EXPECT_TRUE(controller->constrainWidth());
    EXPECT_TRUE(controller->constrainHeight());
    EXPECT_FALSE(controller->showGrid());
    EXPECT_TRUE(controller->cropToSquare());
    EXPECT_EQ(controller->view()->frame(), UIScreen::mainScreen().bounds());
    window->setRootViewController(std::make_shared<UINavigationController>(controller));
    advance(0.5);
    EXPECT_EQ(controller->croppedImage()->size(), (CGSize{400, 400}));
    controller->doneTouched();
    EXPECT_EQ(answer, true);
}
