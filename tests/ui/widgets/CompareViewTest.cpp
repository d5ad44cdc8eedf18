// The before/after view on the real toolkit and the manual clock: its angle steps and snapping,
// the divider's travel with and without padding, the compare picture on one side only (and
// all of it beyond the travel), sizes, picture changes, the show animation and empty bounds.
#include <gtest/gtest.h>

#include <cmath>

#include "ui/widgets/CompareView.h"
#include "platform/uikit/UIButton.h"
#include "support/ControllerFixture.h"
#include "ui/widgets/ImageContentView.h"

namespace {

constexpr double kW = 375, kH = 525;

UIImagePtr SolidImage(int width, int height, std::array<std::uint8_t, 3> rgb) {
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 4, 255);
    for (std::size_t i = 0; i < pixels.size(); i += 4) std::copy(rgb.begin(), rgb.end(), pixels.begin() + i);
    return UIImage::imageWithCGImage(CGImageCreate(width, height, 8, 32, width * 4, CGColorSpaceCreateDeviceRGB(),
                                                   kCGImageAlphaNoneSkipLast, pixels));
}

int CountImageViews(const UIView& view) {
    int n = dynamic_cast<const ImageContentView*>(&view) ? 1 : 0;
    for (const auto& subview : view.subviews()) n += CountImageViews(*subview);
    return n;
}

class CompareViewTest : public ControllerFixture {
protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        processed = std::make_shared<UIView>(CGRectMake(0, 0, kW, kH));
        processed->setBackgroundColor(UIColor::colorWithRed(0, 0, 1, 1));
        window->addSubview(processed);
        compare = std::make_shared<CompareView>(CGRectMake(0, 0, kW, kH));
        compare->setBlock([this](bool showing, double angle, CGPoint centre) {
            ++reports;
            lastCentre = centre;
            allFinite = allFinite && std::isfinite(angle) && std::isfinite(centre.x) && std::isfinite(centre.y);
        });
        window->addSubview(compare);
        loop.runUntilIdle();
    }
    CGPoint centreAt(double relative) {
        compare->setRelativePosition(relative);
        return lastCentre;
    }

    std::shared_ptr<UIView> processed;
    std::shared_ptr<CompareView> compare;
    int reports = 0;
    CGPoint lastCentre{};
    bool allFinite = true;
};

TEST_F(CompareViewTest, AngleStepsFollowTheInsetDiagonalAndTheClosestIsFound) {
    const double theta = std::atan2(kH - 40, kW - 40);
    const double expected[] = {theta, M_PI / 2, M_PI - theta, M_PI, M_PI + theta, 3 * M_PI / 2, 2 * M_PI - theta, 0};
    const auto steps = compare->angleSteps();
    for (std::size_t i = 0; i < steps.size(); ++i) EXPECT_NEAR(steps[i], expected[i], 1e-5) << i;
    EXPECT_NEAR(compare->nativeDiagonalAngle(), M_PI / 2 - std::atan2(kH, kW), 1e-5);
    EXPECT_EQ(compare->firstAngleStep(), static_cast<float>(steps[0]));
    struct Case {
        double angle;
        std::int64_t current;
        double previous, next;
    } cases[] = {
        {M_PI / 2 + 0.1, 1, M_PI / 2, M_PI - theta},
        {M_PI / 2 - 0.1, 1, theta, M_PI / 2},
        {2 * M_PI - 0.05, 7, 2 * M_PI - theta, 0},
        {0.05, 7, 0, theta},
    };
    for (const auto& c : cases) {
        compare->setAngle(c.angle);
        compare->nextClosestAngleStep();
        EXPECT_EQ(compare->currentAngleStepIndex(), c.current) << c.angle;
        EXPECT_NEAR(compare->previousAngleStep(), c.previous, 1e-5) << c.angle;
        EXPECT_NEAR(compare->nextAngleStep(), c.next, 1e-5) << c.angle;
    }
    compare->setAngle(-0.5);
    EXPECT_NEAR(compare->angle(), 2 * M_PI - 0.5, 1e-12) << "kept in [0, 2π)";
}

TEST_F(CompareViewTest, TheDividerTravelsTheChordShortenedByThePadding) {
    const double a = compare->firstAngleStep();
    compare->setAngle(a);
    // The strip is 2 points wide from its position: its middle lies 1 point further on.
    const CGPoint d = CGPointMake(std::cos(a), std::sin(a));
    double spans[2] = {0, 0};
    for (double padding : {0.0, 40.0}) {
        compare->setPadding(padding);
        CGPoint middle = centreAt(0.5), start = centreAt(0), end = centreAt(1);
        for (CGPoint* p : {&middle, &start, &end}) p->x -= d.x, p->y -= d.y;
        EXPECT_NEAR(middle.x, kW / 2, 1e-6) << padding;
        EXPECT_NEAR(middle.y, kH / 2, 1e-6) << padding;
        EXPECT_NEAR(start.x + end.x, kW, 1e-6) << "symmetric, padding " << padding;
        EXPECT_NEAR(start.y + end.y, kH, 1e-6) << "symmetric, padding " << padding;
        EXPECT_NEAR(compare->relativePosition(), 1, 1e-9);
        const bool onEdge = std::fabs(start.x) < 1e-3 || std::fabs(start.y) < 1e-3;
        EXPECT_EQ(onEdge, padding == 0) << "the chord's end, or short of it";
        spans[padding > 0] = CompareView::distanceBetweenPoints(start, end);
    }
    EXPECT_LT(spans[1], spans[0] - 40);
    EXPECT_TRUE(allFinite);
}

TEST_F(CompareViewTest, TheCompareImageShowsOnOneSideAndAllOfItBeyondTheTravel) {
    compare->setCompareImage(SolidImage(375, 525, {255, 0, 0}));
    compare->setPadding(40);
    compare->setAngle(compare->firstAngleStep());
    const CGRect nearCorner = CGRectMake(20, 20, 60, 60), farCorner = CGRectMake(kW - 80, kH - 80, 60, 60);
    struct Case {
        double relative;
        bool farShowsCompare;
    } cases[] = {{0.5, false}, {1.1, true}, {0.5, false}};
    for (const auto& c : cases) {
        compare->setRelativePosition(c.relative);
        loop.runUntilIdle();
        const auto shot = screenshot();
        const CGColor near = meanAt(shot, nearCorner), far = meanAt(shot, farCorner);
        EXPECT_GT(near.r, 0.9) << c.relative;
        EXPECT_LT(near.b, 0.1) << c.relative;
        EXPECT_EQ(far.r > 0.9, c.farShowsCompare) << c.relative;
        EXPECT_EQ(far.b > 0.9, !c.farShowsCompare) << c.relative;
    }
}

TEST_F(CompareViewTest, ASmallTwistStepsOnAndALargeOneSnapsToTheNearestStep) {
    const double theta = compare->firstAngleStep();
    struct Case {
        double twist, expected;
    } cases[] = {{0.25, M_PI / 2}, {-0.25, 0}, {1.3, M_PI - theta}};
    const CGPoint c = CGPointMake(kW / 2, kH / 2);
    for (const auto& k : cases) {
        compare->setAngle(theta);
        // Two fingers 160 points apart about the centre, turning together.
        auto fingers = [&](UITouchPhase phase, double turn) {
            const double a = 0.3 + turn;
            const CGFloat dx = 80 * std::cos(a), dy = 80 * std::sin(a);
            return std::vector<UITouchReport>{{7, phase, {c.x - dx, c.y - dy}, 1, 1},
                                              {8, phase, {c.x + dx, c.y + dy}, 1, 1}};
        };
        ui->driver->sendTouches(fingers(UITouchPhase::Began, 0));
        for (int step = 1; step <= 10; ++step) {
            advance(0.02);
            ui->driver->sendTouches(fingers(UITouchPhase::Moved, k.twist * step / 10));
        }
        ui->driver->sendTouches(fingers(UITouchPhase::Ended, k.twist));
        advance(1.0);
        EXPECT_NEAR(CompareView::adjustedAngle(compare->angle()), CompareView::adjustedAngle(k.expected), 1e-5)
            << k.twist;
        EXPECT_TRUE(compare->panRecognizer()->isEnabled());
    }
}

TEST_F(CompareViewTest, AHoldIsReportedAndATouchNearTheEdgeReachesTheContainer) {
    std::vector<bool> presses;
    compare->setLongPressBlock([&](bool began) { presses.push_back(began); });
    ui->longPress(100, 100, 1.0);
    loop.runUntilIdle();
    EXPECT_EQ(presses, (std::vector<bool>{true, false}));

    auto& container = *compare->containerView();
    compare->setAngle(0);
    auto button = std::make_shared<UIButton>(CGRectMake(10, 10, 40, 40));
    container.addSubview(button);
    struct Case {
        CGPoint point;
        const UIView* hit;
    } cases[] = {{{20, 20}, button.get()},
                 {{-150, 100}, &container},
                 {{kW + 199, kH + 199}, &container},
                 {{-250, 100}, nullptr}};
    for (const auto& c : cases) EXPECT_EQ(container.hitTest(c.point), c.hit) << c.point.x << "," << c.point.y;
    container.setAlpha(0);
    EXPECT_EQ(container.hitTest(CGPointMake(20, 20)), nullptr);
}

TEST_F(CompareViewTest, AChangeOfSizeKeepsTheRelativePosition) {
    compare->setPadding(40);
    compare->setRelativePosition(0.3);
    compare->setFrame(CGRectMake(0, 0, 300, 400));
    compare->layoutIfNeeded();
    EXPECT_NEAR(compare->relativePosition(), 0.3, 1e-9);
    EXPECT_NEAR(compare->containerView()->bounds().size.width, 300, 1e-9);
}

TEST_F(CompareViewTest, ANilImageRemovesTheImageViewsAndANewOneLeavesExactlyOne) {
    compare->setCompareImage(SolidImage(40, 40, {255, 0, 0}));
    EXPECT_EQ(CountImageViews(*compare), 1);
    compare->setCompareImage(nullptr);
    EXPECT_EQ(CountImageViews(*compare), 0);
    EXPECT_EQ(compare->compareImage(), nullptr);
    compare->setRelativePosition(0.2);
    EXPECT_NEAR(compare->relativePosition(), 0.2, 1e-9) << "the divider still moves";
    const auto image = SolidImage(40, 40, {0, 255, 0});
    compare->setCompareImage(image);
    EXPECT_EQ(CountImageViews(*compare), 1);
    EXPECT_EQ(compare->compareImage(), image);
    // An aspect-fit square picture: the steps follow its frame.
    EXPECT_NEAR(compare->imageFrame().size.width, kW, 1e-6);
    EXPECT_NEAR(compare->imageFrame().size.height, kW, 1e-6);
    EXPECT_NEAR(compare->firstAngleStep(), M_PI / 4, 1e-5);
}

TEST_F(CompareViewTest, ShowingFadesAndTurnsInAndItsCompletionRunsTwice) {
    int completions = 0;
    compare->setAngle(0);
    compare->animateCompareView(true, [&](bool) { ++completions; });
    EXPECT_NEAR(compare->angle(), compare->firstAngleStep(), 1e-12);
    EXPECT_EQ(compare->containerView()->alpha(), 1);
    reports = 0;
    advance(0.45);
    EXPECT_EQ(completions, 1) << "the fade";
    EXPECT_GT(reports, 5) << "every frame is reported";
    advance(0.45);
    EXPECT_EQ(completions, 2) << "the turn";
    EXPECT_TRUE(allFinite);
}

TEST_F(CompareViewTest, EmptyBoundsGiveNoTravelAndNoNonFiniteValues) {
    auto empty = std::make_shared<CompareView>(CGRectZero);
    bool finite = true;
    int calls = 0;
    empty->setBlock([&](bool, double angle, CGPoint centre) {
        ++calls;
        finite = finite && std::isfinite(angle) && std::isfinite(centre.x) && std::isfinite(centre.y);
    });
    window->addSubview(empty);
    empty->setCompareImage(SolidImage(10, 10, {255, 0, 0}));
    empty->setPadding(40);
    empty->setRelativePosition(0.8);
    EXPECT_EQ(empty->magnitude(), 0);
    EXPECT_EQ(empty->relativePosition(), 0.5);
    const CGRect slider = empty->sliderView()->frame();
    EXPECT_TRUE(std::isfinite(slider.origin.x) && std::isfinite(slider.size.height));
    EXPECT_GT(calls, 0);
    EXPECT_TRUE(finite);
}

}  // namespace
