// The composition grid: where its lines fall on a composed screen, the under-line, and
// touches passing through.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/quartzcore/CACompositor.h"
#include "support/ImageRegions.h"
#include "ui/widgets/GridView.h"

namespace {

constexpr double kScale = 2;

struct GridScreen {
    std::shared_ptr<UIView> host = std::make_shared<UIView>(CGRectMake(0, 0, 320, 472));
    std::shared_ptr<GridView> grid = std::make_shared<GridView>(CGRectMake(0, 0, 320, 472));
    GridScreen() {
        host->setBackgroundColor(UIColor::blackColor());
        host->addSubview(grid);
    }
    CGImageRef shot() const { return CACompositor::compose(*host->layer(), {320, 472}, kScale); }
};

// Mean colour of a thin box around a vertical (x given) or horizontal (y given) line.
CGColor across(const CGImageRef& shot, double x, double y, double half) {
    const CGRect box = x >= 0 ? CGRect{{x - half, 200}, {2 * half, 40}} : CGRect{{100, y - half}, {40, 2 * half}};
    return meanColorInPoints(shot, box, kScale);
}

TEST(GridView, LinesFallAtTheirFractionsOneWhitePointWide) {
    GridScreen s;
    const CGImageRef shot = s.shot();
    struct Line {
        double x, y;
    } lines[] = {{105, -1}, {214, -1}, {-1, 156.5}, {-1, 314.5}};
    for (const Line& l : lines) {
        const std::string what = l.x >= 0 ? "x = " + std::to_string(l.x) : "y = " + std::to_string(l.y);
        EXPECT_GT(across(shot, l.x, l.y, 0.5).r, 0.97) << what << ": white line";
        const double beside = 1.5;  // just past the line's edge
        const CGColor off = across(shot, l.x >= 0 ? l.x + beside : -1, l.y >= 0 ? l.y + beside : -1, 0.5);
        EXPECT_LT(off.r, 0.03) << what << ": one point wide";
    }
    EXPECT_LT(meanColorInPoints(shot, {{20, 20}, {60, 100}}, kScale).r, 0.01) << "clear between the lines";
}

TEST(GridView, BackgroundLineLiesUnderEachLine) {
    GridScreen s;
    s.grid->setGridBackgroundColor(UIColor::redColor());
    const CGImageRef shot = s.shot();
    EXPECT_GT(across(shot, 105, -1, 0.4).g, 0.97) << "white on top";
    const CGColor under = meanColorInPoints(shot, {{106, 200}, {0.5, 40}}, kScale);
    EXPECT_GT(under.r, 0.97);
    EXPECT_LT(under.g, 0.03) << "red under line, 3 points wide";
    EXPECT_LT(meanColorInPoints(shot, {{107.5, 200}, {1, 40}}, kScale).r, 0.03);
}

TEST(GridView, TouchesPassThrough) {
    GridScreen s;
    EXPECT_EQ(s.host->hitTest({105, 200}), s.host.get());
    EXPECT_EQ(s.grid->gridForegroundColor(), UIColor::whiteColor());
    EXPECT_FALSE(s.grid->gridBackgroundColor());
}

}  // namespace
