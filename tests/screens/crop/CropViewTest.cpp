// The crop editor on a phone screen: fitting the picture, aspect ratios, stored rectangles,
// dragging the handles with the automatic zoom and the refit, and refused degenerate input.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/uikit/UIApplication.h"
#include "screens/crop/CropView.h"
#include "support/TouchHarness.h"
#include "CropPictures.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

class CropViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        ui = std::make_unique<TouchHarness>();
        // 4000 x 3000 points held in a small bitmap: the geometry is what counts here.
        photo = quadrantPicture({4000, 3000}, 0.1);
        crop = std::make_shared<CropView>(ui->window->bounds());
        crop->setImage(photo);
        ui->window->addSubview(crop);
        crop->layoutIfNeeded();
    }
    void TearDown() override {
        UIApplication::sharedApplication().resetStatusBarOrientation(UIInterfaceOrientation::Portrait);
    }
    bool finiteFrames() const {
        for (const CGRect r : {crop->cropRect(), crop->cropRectView()->frame()})
            if (!std::isfinite(r.origin.x + r.origin.y + r.size.width + r.size.height)) return false;
        return true;
    }
    std::unique_ptr<TouchHarness> ui;
    UIImagePtr photo;
    std::shared_ptr<CropView> crop;
};

const CGRect kFit{{20, 207.875}, {335, 251.25}};

}  // namespace

TEST_F(CropViewTest, AnUntouchedWindowCoversTheWholeFittedPicture) {
    expectRect(crop->cropRect(), kFit, 1e-9, "window");
    expectRect(crop->cropRectView()->frame(), kFit, 1e-9, "rectangle");
    expectRect(crop->relativeCroppedImageRect(), {{0, 0}, {1, 1}}, 1e-6, "relative");
    EXPECT_FALSE(crop->isCropped());
    EXPECT_EQ(crop->editingRect(), (CGRect{{20, 40}, {335, 587}}));
    EXPECT_EQ(crop->imageCropRect(), CGRectZero);
    EXPECT_EQ(crop->rotation(), CGAffineTransformIdentity);
    // Without a picture nothing is laid out and nothing is cropped.
    CropView empty({{0, 0}, {375, 667}});
    empty.layoutIfNeeded();
    EXPECT_EQ(empty.imageView(), nullptr);
    EXPECT_FALSE(empty.isCropped());
}

TEST_F(CropViewTest, ASquareAspectFillsTheWidthAndDimsTheRest) {
    crop->setCropAspectRatio(1.0);
    expectRect(crop->cropRect(), {{20, 166}, {335, 335}}, 1e-9, "window");
    expectRect(crop->zoomedCropRect(), {{500, 0}, {3000, 3000}}, 1, "picture points");
    EXPECT_TRUE(crop->isCropped());
    const struct {
        CropView::Overlay which;
        CGRect frame;
    } overlays[] = {
        {CropView::TopOverlay, {{0, -200}, {375, 366}}},
        {CropView::LeftOverlay, {{0, 166}, {20, 335}}},
        {CropView::RightOverlay, {{355, 166}, {20, 335}}},
        {CropView::BottomOverlay, {{0, 501}, {375, 366}}},
    };
    for (const auto& o : overlays) expectRect(crop->overlayView(o.which)->frame(), o.frame, 1e-9, "overlay");
    ui->advance(0.5);
    // Inside the window the red quarter shows as it is; beside it, the picture continues
    // under the dimming; above it, only the dimmed black.
    expectColor(ui->meanColor({{60, 200}, {40, 40}}), {1, 0, 0, 1}, "inside");
    expectColor(ui->meanColor({{4, 240}, {12, 20}}), {0.4, 0, 0, 1}, "dimmed picture beside");
    expectColor(ui->meanColor({{100, 120}, {40, 20}}), {0, 0, 0, 1}, "above");
    // The border lies on the window's edge.
    const CGColor edge = ui->meanColor({{150, 165}, {60, 2}});
    EXPECT_GT(edge.r + edge.g + edge.b, 0.6) << "border drawn";
}

TEST_F(CropViewTest, ImageRectanglesRoundTripAndDegenerateOnesOnlyReset) {
    const struct {
        CGRect set;
        CGRect expected;
        const char* what;
    } cases[] = {
        {{{1000, 750}, {2000, 1500}}, {{1000, 750}, {2000, 1500}}, "inside"},
        {{{400, 300}, {1200, 2400}}, {{400, 300}, {1200, 2400}}, "inside, tall"},
        {{{-1000, 0}, {2000, 3000}}, {{0, 0}, {1000, 3000}}, "partly outside keeps the inside part"},
        {{{5000, 0}, {100, 100}}, {{0, 0}, {4000, 3000}}, "outside"},
        {{{4000, 0}, {100, 100}}, {{0, 0}, {4000, 3000}}, "touching only"},
        {{{1000, 1000}, {0, 500}}, {{0, 0}, {4000, 3000}}, "empty"},
        {{{kNaN, 0}, {100, 100}}, {{0, 0}, {4000, 3000}}, "not finite"},
    };
    for (const auto& c : cases) {
        crop->setImageCropRect({{1000, 1000}, {800, 800}});  // something else first
        crop->setImageCropRect(c.set);
        expectRect(crop->zoomedCropRect(), c.expected, 1, c.what);
        EXPECT_TRUE(finiteFrames()) << c.what;
        EXPECT_TRUE(containsRect(crop->editingRect(), CGRectInset(crop->cropRect(), 0.01, 0.01))) << c.what;
    }
}

TEST_F(CropViewTest, DegenerateZoomsAndRatiosChangeNothing) {
    crop->setImageCropRect({{1000, 750}, {2000, 1500}});
    const CGRect window = crop->cropRect();
    const CGFloat zoom = crop->scrollView()->zoomScale();
    const CGRect rects[] = {window,
                            CGRectZero,
                            {{30, 300}, {0, 40}},
                            {{30, 300}, {kNaN, 40}},
                            {{30, 300}, {100, std::numeric_limits<double>::infinity()}}};
    for (const CGRect r : rects) {
        crop->zoomToCropRect(r, true);
        EXPECT_EQ(crop->cropRect(), window);
        EXPECT_EQ(crop->scrollView()->zoomScale(), zoom);
        EXPECT_TRUE(crop->scrollView()->layer()->animationKeys().empty()) << "no animation";
    }
    for (const double ratio : {0.0, -1.5, kNaN, std::numeric_limits<double>::infinity()}) {
        crop->setCropAspectRatio(ratio);
        EXPECT_EQ(crop->cropRect(), window) << ratio;
    }
    EXPECT_TRUE(finiteFrames());
}

TEST_F(CropViewTest, AHandleBeyondTheEditingAreaZoomsAtOnceAndTheEndRefits) {
    const struct {
        CGFloat past;
        bool zooms;
    } cases[] = {{5, false}, {6, true}};
    for (const auto& c : cases) {
        crop->setImageCropRect({{1000, 750}, {2000, 1500}});  // zoomed in 2x on the middle
        ui->advance(0.5);
        const CGRect window = crop->cropRect();
        auto& rect = *crop->cropRectView();
        auto& right = *rect.handle(CropRectView::Right);
        rect.cropRectResizeViewDidBeginResizing(right);
        EXPECT_TRUE(crop->isResizing());
        right.setTranslation({CGRectGetMaxX(crop->editingRect()) + c.past - CGRectGetMaxX(window), 0});
        rect.cropRectResizeViewDidResize(right);
        EXPECT_EQ(crop->cropRect() != window, c.zooms) << c.past;
        if (!c.zooms) {
            EXPECT_DOUBLE_EQ(rect.frame().size.width, window.size.width + c.past);
            // A layout pass while resizing leaves the rectangle alone.
            crop->setNeedsLayout();
            crop->layoutIfNeeded();
            EXPECT_DOUBLE_EQ(rect.frame().size.width, window.size.width + c.past);
        } else {
            EXPECT_TRUE(containsRect(crop->editingRect(), CGRectInset(crop->cropRect(), 0.01, 0.01)));
        }
        rect.cropRectResizeViewDidEndResizing(right);
        ui->advance(1.5);
    }
    // Pull the right edge in by 100 points: at the end the window refits to the editing area
    // and shows the part of the picture the rectangle held.
    crop->setImageCropRect({{1000, 750}, {2000, 1500}});
    auto& rect = *crop->cropRectView();
    auto& right = *rect.handle(CropRectView::Right);
    rect.cropRectResizeViewDidBeginResizing(right);
    right.setTranslation({-100, 0});
    rect.cropRectResizeViewDidResize(right);
    const CGRect held = crop->zoomingView()->convertRectFromView(rect.frame(), crop.get());
    const CGFloat k = 335.0 / 4000;
    const CGRect expected{{held.origin.x / k, held.origin.y / k}, {held.size.width / k, held.size.height / k}};
    rect.cropRectResizeViewDidEndResizing(right);
    EXPECT_FALSE(crop->isResizing());
    ui->advance(0.3);
    expectRect(crop->zoomedCropRect(), expected, 0.5, "kept through the refit");
    EXPECT_NEAR(crop->cropRect().size.width, 335, 1e-6) << "the narrower window fills the editing width";
    expectRect(crop->cropRectView()->frame(), crop->cropRect(), 1e-9, "rectangle on the window");
}

TEST_F(CropViewTest, TouchesDragHandlesAndPanThePicture) {
    ui->advance(0.1);
    // The bottom-right corner dragged in: the window refits, still on the picture.
    ui->drag(355, 459, 255, 400);
    ui->advance(0.5);
    EXPECT_TRUE(crop->isCropped());
    EXPECT_FALSE(crop->isResizing());
    const CGRect zoomed = crop->zoomedCropRect();
    EXPECT_NEAR(zoomed.origin.x, 0, 1);
    EXPECT_NEAR(zoomed.origin.y, 0, 1);
    EXPECT_LT(zoomed.size.width, 3000);
    // A drag inside the window pans the picture and stops where the finger lifts.
    const CGPoint before = crop->scrollView()->contentOffset();
    const CGRect w = crop->cropRect();
    ui->drag(CGRectGetMidX(w) + 40, CGRectGetMidY(w), CGRectGetMidX(w) - 40, CGRectGetMidY(w), 0.1);
    const CGPoint lifted = crop->scrollView()->contentOffset();
    EXPECT_GT(lifted.x, before.x);
    ui->advance(1);
    EXPECT_EQ(crop->scrollView()->contentOffset(), lifted) << "no momentum";
    // A touch on the dimmed area off the picture goes to no handle and pans nothing.
    EXPECT_EQ(crop->hitTest({187, 20}), crop.get());
}

TEST_F(CropViewTest, ATurnedInterfaceRefitsTheWindowKeepingThePictureRegion) {
    crop->setImageCropRect({{1000, 750}, {2000, 1500}});
    const CGRect region = crop->zoomedCropRect();
    UIApplication::sharedApplication().resetStatusBarOrientation(UIInterfaceOrientation::LandscapeLeft);
    crop->setFrame({{0, 0}, {667, 375}});
    crop->layoutIfNeeded();
    EXPECT_EQ(crop->interfaceOrientation(), UIInterfaceOrientation::LandscapeLeft);
    EXPECT_EQ(crop->editingRect(), (CGRect{{20, 20}, {627, 335}}));
    EXPECT_TRUE(containsRect(crop->editingRect(), CGRectInset(crop->cropRect(), 0.01, 0.01)));
    EXPECT_NEAR(crop->cropRect().size.height, 335, 1e-6);
    expectRect(crop->cropRectView()->frame(), crop->cropRect(), 1e-9, "rectangle on the window");
    const CGRect after = crop->zoomedCropRect();
    EXPECT_NEAR(after.size.width / after.size.height, region.size.width / region.size.height, 1e-6);
    EXPECT_NEAR(CGRectGetMidX(after), CGRectGetMidX(region), 1);
}

TEST_F(CropViewTest, ResetAndANewPictureStartFromTheWholePicture) {
    crop->setCropAspectRatio(16.0 / 9);
    EXPECT_TRUE(crop->isCropped());
    crop->resetCropRect(true);
    expectRect(crop->cropRect(), kFit, 1e-9, "reset");
    EXPECT_FALSE(crop->isCropped());
    ui->advance(0.5);
    crop->setImageCropRect({{0, 0}, {1000, 1000}});
    crop->setImage(quadrantPicture({3000, 3000}, 0.1));
    crop->layoutIfNeeded();
    expectRect(crop->cropRect(), {{20, 166}, {335, 335}}, 1e-9, "square picture");
    EXPECT_EQ(crop->scrollView()->zoomScale(), 1);
    expectRect(crop->relativeCroppedImageRect(), {{0, 0}, {1, 1}}, 1e-6, "new picture uncropped");
}
