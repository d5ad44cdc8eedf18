// The camera view's square crop overlay and grid on real GL with the simulated camera: the
// square springs to the middle of the view and the composed screen is black outside it, it
// comes back at once after a stop and start, and there is one grid at most, none while the
// setting is off, hidden with the other supplementary views.
#include <gtest/gtest.h>

#include "CameraRigFixture.h"
#include "camera/capture/CameraController.h"
#include "camera/capture/FocusViewController.h"
#include "engine/view/GraphicsView.h"
#include "model/AmbrelAppSettings.h"
#include "support/TouchHarness.h"
#include "ui/widgets/GridView.h"

namespace {

class SquareOverlayTest : public CameraRigFixture {
protected:
    void SetUp() override {
        CameraRigFixture::SetUp();
        CameraController::installInGraphicsViews();
        ui = std::make_unique<TouchHarness>();
        view = std::make_shared<GraphicsView>(CGRectMake(0, 0, 320, 568));
        ASSERT_NE(view->graphicsController(), nullptr) << "no OpenGL ES 2 context";
        ui->window->addSubview(view);
        view->startVideoController();
        ui->advance(0.5);
    }
    void TearDown() override {
        view->stopVideoController();
        AmbrelAppSettings::sharedInstance().setShowGrid(false);
        view->removeFromSuperview();
        view.reset();
        ui.reset();
        CameraRigFixture::TearDown();
    }
    double Brightness(CGRect r) {
        const CGColor c = ui->meanColor(r);
        return (c.r + c.g + c.b) / 3;
    }
    // The visible square of the mask.
    UIView* Square() {
        return view->maskView() && !view->maskView()->subviews().empty() ? view->maskView()->subviews().front().get()
                                                                         : nullptr;
    }
    size_t Grids() {
        size_t n = 0;
        for (const auto& v : view->subviews()) n += dynamic_cast<GridView*>(v.get()) != nullptr;
        return n;
    }

    std::unique_ptr<TouchHarness> ui;
    std::shared_ptr<GraphicsView> view;
};

TEST_F(SquareOverlayTest, TheSquareSpringsToTheMiddleAndMasksTheRest) {
    const double top = Brightness(CGRectMake(20, 20, 280, 80));
    ASSERT_GT(top, 0.02) << "the preview shows above the square's place before";
    view->setSquareAspectRatio(true);
    UIView* square = Square();
    ASSERT_NE(square, nullptr);
    EXPECT_EQ(square->frame(), CGRectMake(0, 124, 320, 320));
    EXPECT_EQ(square->center(), CGPointMake(160, 284));
    EXPECT_FALSE(square->layer()->animationKeys().empty()) << "it springs there";
    ui->advance(1.0);
    EXPECT_TRUE(square->layer()->animationKeys().empty());
    EXPECT_LT(Brightness(CGRectMake(20, 20, 280, 80)), 0.01) << "masked above";
    EXPECT_LT(Brightness(CGRectMake(20, 470, 280, 80)), 0.01) << "masked below";
    EXPECT_GT(Brightness(CGRectMake(20, 200, 280, 160)), 0.02) << "the square shows the preview";

    view->setSquareAspectRatio(false);
    EXPECT_EQ(square->frame(), CGRectMake(0, 0, 320, 568)) << "springs back to the whole view";
    ui->advance(1.0);
    EXPECT_EQ(view->maskView(), nullptr) << "and the mask goes";
    EXPECT_NEAR(Brightness(CGRectMake(20, 20, 280, 80)), top, 0.05);
}

TEST_F(SquareOverlayTest, TheSquareAndTheGridFollowTheViewsSize) {
    AmbrelAppSettings::sharedInstance().setShowGrid(true);
    view->setSquareAspectRatio(true);
    view->showGridView(true);
    ui->advance(1.0);
    view->setFrame(CGRectMake(0, 0, 360, 240));
    ui->advance(0.1);
    ASSERT_NE(Square(), nullptr);
    EXPECT_EQ(view->maskView()->frame(), CGRectMake(0, 0, 360, 240));
    EXPECT_EQ(Square()->frame(), CGRectMake(60, 0, 240, 240));
    EXPECT_EQ(view->gridView()->frame(), CGRectMake(60, 0, 240, 240));
    EXPECT_LT(Brightness(CGRectMake(5, 20, 50, 200)), 0.01) << "masked at the side";
    EXPECT_GT(Brightness(CGRectMake(80, 20, 200, 200)), 0.02);
}

TEST_F(SquareOverlayTest, AStopAndStartBringTheSquareBackWithoutAnimation) {
    view->setSquareAspectRatio(true);
    ui->advance(1.0);
    view->stopVideoController();
    ui->advance(0.1);
    EXPECT_FALSE(view->squareAspectRatio());
    EXPECT_TRUE(view->restoreSquareAspectRatio());
    EXPECT_EQ(view->maskView(), nullptr);
    view->startVideoController();
    EXPECT_TRUE(view->squareAspectRatio());
    EXPECT_FALSE(view->restoreSquareAspectRatio());
    ASSERT_NE(Square(), nullptr);
    EXPECT_EQ(Square()->frame(), CGRectMake(0, 124, 320, 320));
    EXPECT_TRUE(Square()->layer()->animationKeys().empty()) << "not animated";
    ui->advance(0.1);
    EXPECT_LT(Brightness(CGRectMake(20, 20, 280, 80)), 0.01);
}

TEST_F(SquareOverlayTest, OneGridAtMostOverTheVisiblePartAndNoneWithTheSettingOff) {
    AmbrelAppSettings::sharedInstance().setShowGrid(false);
    view->showGridView(true);
    EXPECT_EQ(Grids(), 0u);
    EXPECT_EQ(view->gridView(), nullptr);

    AmbrelAppSettings::sharedInstance().setShowGrid(true);
    view->setSquareAspectRatio(true);
    view->showGridView(true);
    view->showGridView(true);
    EXPECT_EQ(Grids(), 1u);
    ASSERT_NE(view->gridView(), nullptr);
    EXPECT_EQ(view->gridView()->frame(), CGRectMake(0, 124, 320, 320)) << "over the square";
    EXPECT_NEAR(view->gridView()->alpha(), GraphicsView::kGridAlpha, 1e-6);
    view->setSquareAspectRatio(false);
    EXPECT_EQ(view->gridView()->frame(), view->bounds()) << "follows the square back";

    // Supplementary views: the grid and the focus squares go and come back together.
    view->showSupplementaryViews(false);
    EXPECT_EQ(Grids(), 0u);
    ASSERT_NE(CameraController::of(*view).cameraFocusViewController(), nullptr);
    EXPECT_TRUE(CameraController::of(*view).cameraFocusViewController()->view()->isHidden());
    view->showSupplementaryViews(true);
    EXPECT_EQ(Grids(), 1u);
    EXPECT_FALSE(CameraController::of(*view).cameraFocusViewController()->view()->isHidden());
    view->showGridView(false);
    EXPECT_EQ(Grids(), 0u);
}

}  // namespace
