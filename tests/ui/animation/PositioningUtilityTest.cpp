// Placing views by proportions, even pixel sizes, rectangle functions and the portrait-aligned
// container.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "platform/foundation/NSNotificationCenter.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIScreen.h"
#include "ui/animation/PortraitAlignedView.h"
#include "ui/animation/PositioningUtility.h"

namespace {

using PU = PositioningUtility;

void expectRect(CGRect r, double x, double y, double w, double h) {
    EXPECT_DOUBLE_EQ(r.origin.x, x);
    EXPECT_DOUBLE_EQ(r.origin.y, y);
    EXPECT_DOUBLE_EQ(r.size.width, w);
    EXPECT_DOUBLE_EQ(r.size.height, h);
}

TEST(PositioningUtilityTest, RoundedDimensionsAndSizes) {
    struct Case {
        double d, ref, expected;
    } cases[] = {
        {301.0, 300.0, 300}, {301.0, 0.0, 300}, {300.7, 0.0, 300.7}, {301.6, 500.0, 302},
        {299.0, 300.0, 300}, {303.2, 0.0, 304}, {-3.0, 0.0, -4},     {1e12, 0.0, 1e12},
    };
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(PU::roundedDimension(c.d, c.ref), c.expected) << c.d << " " << c.ref;
    const CGSize crossed = PU::roundedSize({3001, 2001}, {2000, 3000});
    EXPECT_EQ(crossed.width, 3000);
    EXPECT_EQ(crossed.height, 2000);
    const CGSize same = PU::roundedSize({2001, 3001}, {2000, 3000});
    EXPECT_EQ(same.width, 2000);
    EXPECT_EQ(same.height, 3000);
}

TEST(PositioningUtilityTest, RectangleFunctions) {
    expectRect(portraitRect({{10, 20}, {300, 200}}), 10, 20, 200, 300);
    expectRect(portraitRect({{10, 20}, {200, 300}}), 10, 20, 200, 300);
    expectRect(portraitRect({{1, 2}, {50, 50}}), 1, 2, 50, 50);
    const CGRect c{{10, 20}, {100, 60}}, r{{0, 0}, {40, 20}};
    expectRect(rectWithSizeCenteredInRect(c, r), 40, 40, 40, 20);
    expectRect(rectWithSizeTopCenteredInRect(c, r), 40, 20, 40, 20);
    expectRect(rectWithSizeBottomCenteredInRect(c, r), 40, 60, 40, 20);
    expectRect(rectWithSizeRightCenteredInRect(c, r), 70, 40, 40, 20);
    expectRect(PU::rectWithSizeCenteredInRect({40, 20}, c), 40, 40, 40, 20);
    expectRect(PU::rectWithSizeCenteredInRectSize({40, 20}, {100, 60}), 30, 20, 40, 20);
    expectRect(rectOffsetY(c, 5), 10, 25, 100, 60);
    expectRect(rectAddHeight(c, 5), 10, 20, 100, 65);
    expectRect(squareRectWithDimension(7), 0, 0, 7, 7);
    const CGPoint centre = rectCenter(c), sum = pointByAddingPoint({1, 2}, {3, 4});
    EXPECT_EQ(centre.x, 60);
    EXPECT_EQ(centre.y, 50);
    EXPECT_EQ(sum.x, 4);
    EXPECT_EQ(sum.y, 6);
}

TEST(PositioningUtilityTest, RelativePositions) {
    auto parent = std::make_shared<UIView>(CGRect{{0, 0}, {200, 400}});
    auto child = std::make_shared<UIView>(CGRect{{5, 7}, {20, 10}});
    parent->addSubview(child);
    PU::positionViewAtRelativeCenterY(*child, 0.25, *parent);
    EXPECT_EQ(child->center().x, 100);
    EXPECT_EQ(child->center().y, 300);  // a quarter of the height above the bottom edge
    PU::positionViewAtRelativeXY(*child, 0.1, 1, *parent);
    EXPECT_EQ(child->center().x, 20);
    EXPECT_EQ(child->center().y, 0);
    PU::positionViewAtRelativeCenterX(*child, 0.75, *parent);
    EXPECT_EQ(child->center().x, 150);
    EXPECT_EQ(child->center().y, 200);
    PU::positionViewAtRelativeX(*child, 0.5, *parent);
    EXPECT_EQ(child->frame().origin.x, 90);
    PU::positionViewAtRelativeY(*child, 0.5, *parent);
    EXPECT_EQ(child->frame().origin.y, 195);
    child->setFrame({{3, 4}, {20, 10}});
    PU::positionViewAtCenterX(*child);
    expectRect(child->frame(), 90, 4, 20, 10);
    PU::positionViewAtCenterY(*child);
    expectRect(child->frame(), 90, 195, 20, 10);
    child->setFrame({{3, 4}, {20, 10}});
    PU::positionViewAtCenter(*child);
    expectRect(child->frame(), 90, 195, 20, 10);
    UIView orphan({{1, 1}, {2, 2}});
    PU::positionViewAtCenter(orphan);  // no superview: nothing
    expectRect(orphan.frame(), 1, 1, 2, 2);
}

TEST(PositioningUtilityTest, RowsBentIntoAnArc) {
    auto parent = std::make_shared<UIView>(CGRect{{0, 0}, {320, 100}});
    std::vector<std::shared_ptr<UIView>> row;
    for (int i = 0; i < 3; ++i) {
        row.push_back(std::make_shared<UIView>(CGRect{{0, 50}, {50, 20}}));
        parent->addSubview(row.back());
    }
    PU::positionViews(row, 20, 10);
    expectRect(row[0]->frame(), 75, 50, 50, 20);
    expectRect(row[1]->frame(), 135, 30, 50, 20);
    expectRect(row[2]->frame(), 195, 50, 50, 20);
    PU::positionViews(row, 10);  // straight: only x
    EXPECT_EQ(row[1]->frame().origin.y, 30);

    PU::positionViews({}, 20, 10);  // no views: nothing
    std::vector<std::shared_ptr<UIView>> one{row[0]};
    PU::positionViews(one, 20, 10);
    expectRect(row[0]->frame(), 135, 30, 50, 20);  // centred, lifted by the arc
}

TEST(PortraitAlignedViewTest, HoldsItsViewUprightAndGivesItBack) {
    auto& app = UIApplication::sharedApplication();
    auto window = std::make_shared<UIView>(CGRect{{0, 0}, {400, 400}});
    auto content = std::make_shared<UIView>(CGRect{{20, 30}, {100, 60}});
    window->addSubview(content);
    app.resetStatusBarOrientation(UIInterfaceOrientation::LandscapeRight);
    {
        auto container = PortraitAlignedView::viewWithView(content);
        window->addSubview(container);
        expectRect(container->frame(), 20, 30, 100, 60);
        EXPECT_EQ(content->superview(), container.get());
        const CGAffineTransform t = content->transform();
        EXPECT_NEAR(t.b, 1, 1e-12);  // rotated by +π/2
        EXPECT_NEAR(t.a, 0, 1e-12);
        EXPECT_EQ(content->center().x, 50);
        EXPECT_EQ(content->center().y, 30);

        // The interface turns; the device notification makes it follow.
        app.resetStatusBarOrientation(UIInterfaceOrientation::PortraitUpsideDown);
        NSNotificationCenter::defaultCenter().postNotificationName(UIDeviceOrientationDidChangeNotification);
        EXPECT_NEAR(content->transform().a, -1, 1e-12);
        app.resetStatusBarOrientation(UIInterfaceOrientation::Portrait);
        container->layoutSubviews();
        EXPECT_NEAR(content->transform().a, 1, 1e-12);
        app.resetStatusBarOrientation(UIInterfaceOrientation::LandscapeLeft);
        container->removeFromSuperview();
    }
    // Gone with its container: no hierarchy, no transform, the frame it came with.
    EXPECT_EQ(content->superview(), nullptr);
    EXPECT_NEAR(content->transform().a, 1, 1e-12);
    expectRect(content->frame(), 20, 30, 100, 60);
    app.resetStatusBarOrientation(UIInterfaceOrientation::Portrait);
    NSNotificationCenter::defaultCenter().postNotificationName(UIDeviceOrientationDidChangeNotification);
}

}  // namespace
