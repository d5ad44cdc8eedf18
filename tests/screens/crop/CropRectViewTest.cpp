// The crop rectangle and its handles: the new frame for each handle's travel, with and
// without the aspect lock and under the minimum size; hit testing; the drawn grid; a real drag.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "screens/crop/CropRectView.h"
#include "ui/appearance/AppAppearance.h"
#include "support/TouchHarness.h"
#include "CropPictures.h"

namespace {

using H = CropRectView::Handle;

struct Case {
    H handle;
    bool lock;
    CGPoint translation;
    CGRect expected;
    const char* what;
};

class Recorder : public CropRectViewDelegate {
public:
    void cropRectViewDidBeginEditing(CropRectView&) override { log.push_back("begin"); }
    void cropRectViewEditingChanged(CropRectView& v) override {
        if (log.empty() || log.back() != "changed") log.push_back("changed");
        last = v.frame();
    }
    void cropRectViewDidEndEditing(CropRectView&) override { log.push_back("end"); }
    std::vector<std::string> log;
    CGRect last{};
};

}  // namespace

TEST(CropRectViewTest, EachHandleMovesItsEdgesWithinTheLockAndTheMinimum) {
    const CGRect I{{100, 100}, {200, 150}};
    const Case cases[] = {
        {H::TopLeft, false, {-40, -10}, {{60, 90}, {240, 160}}, "top-left"},
        {H::TopRight, false, {30, 20}, {{100, 120}, {230, 130}}, "top-right"},
        {H::BottomLeft, false, {-20, 30}, {{80, 100}, {220, 180}}, "bottom-left"},
        {H::BottomRight, false, {10, 10}, {{100, 100}, {210, 160}}, "bottom-right"},
        {H::Top, false, {5, -30}, {{100, 70}, {200, 180}}, "top ignores x"},
        {H::Left, false, {-50, 7}, {{50, 100}, {250, 150}}, "left ignores y"},
        {H::Bottom, false, {0, 40}, {{100, 100}, {200, 190}}, "bottom"},
        {H::Right, false, {60, 0}, {{100, 100}, {260, 150}}, "right"},
        // The minimum keeps the edge opposite the dragged one where the drag began.
        {H::Right, false, {-150, 0}, {{100, 100}, {88, 150}}, "right below the minimum"},
        {H::Left, false, {150, 0}, {{212, 100}, {88, 150}}, "left below the minimum"},
        {H::Right, false, {-300, 0}, {{100, 100}, {88, 150}}, "right past the opposite side"},
        {H::Left, false, {400, 0}, {{212, 100}, {88, 150}}, "left past the opposite side"},
        {H::Top, false, {0, 100}, {{100, 162}, {200, 88}}, "top below the minimum"},
        {H::Bottom, false, {0, -200}, {{100, 100}, {200, 88}}, "bottom past the opposite side"},
        {H::TopLeft, false, {150, 100}, {{212, 162}, {88, 88}}, "top-left below both minimums"},
        // Locked at 0.75: each corner keeps its opposite corner.
        {H::TopLeft, true, {-40, -10}, {{60, 70}, {240, 180}}, "locked top-left keeps (300, 250)"},
        {H::TopRight, true, {30, 20}, {{100, 77.5}, {230, 172.5}}, "locked top-right keeps (100, 250)"},
        {H::BottomLeft, true, {-20, 30}, {{60, 100}, {240, 180}}, "locked bottom-left by height keeps (300, 100)"},
        {H::BottomRight, true, {20, -20}, {{100, 100}, {220, 165}}, "locked bottom-right: a tie counts as horizontal"},
        {H::Top, true, {0, -30}, {{100, 70}, {240, 180}}, "locked top by height"},
        {H::Right, true, {60, 0}, {{100, 100}, {260, 195}}, "locked right by width"},
        // Locked, the ratio and the orientation hold through the minimum and past square.
        {H::Right, true, {-150, 0}, {{100, 100}, {88 / 0.75, 88}}, "locked right below the minimum"},
        {H::TopLeft,
         true,
         {400, 300},
         {{300 - 88 / 0.75, 162}, {88 / 0.75, 88}},
         "locked top-left past the far corner"},
        {H::Bottom, true, {0, 150}, {{100, 100}, {400, 300}}, "locked bottom pulled past square stays wide"},
    };
    for (const Case& c : cases) {
        auto view = std::make_shared<CropRectView>(I);
        view->layoutIfNeeded();
        view->setKeepingAspectRatio(c.lock);
        auto& handle = *view->handle(c.handle);
        view->cropRectResizeViewDidBeginResizing(handle);
        handle.setTranslation(c.translation);
        view->cropRectResizeViewDidResize(handle);
        expectRect(view->frame(), c.expected, 1e-9, c.what);
        EXPECT_EQ(view->initialRect(), I) << c.what;
    }
}

TEST(CropRectViewTest, TheLockTakesTheShorterOverTheLongerSideAndOneOnEmptyBounds) {
    struct {
        CGSize size;
        double ratio;
    } cases[] = {{{200, 150}, 0.75}, {{150, 300}, 0.5}, {{0, 150}, 1}, {{0, 0}, 1}};
    for (const auto& c : cases) {
        CropRectView view({{0, 0}, c.size});
        view.setKeepingAspectRatio(true);
        EXPECT_DOUBLE_EQ(view.fixedAspectRatio(), c.ratio) << c.size.width << " x " << c.size.height;
        EXPECT_TRUE(std::isfinite(view.cropRectMakeWithResizeView(*view.handle(H::Right)).size.height));
    }
    // A view that is not one of the handles leaves the frame alone.
    CropRectView view({{10, 20}, {200, 150}});
    CropRectResizeView stranger;
    EXPECT_EQ(view.cropRectMakeWithResizeView(stranger), view.frame());
}

TEST(CropRectViewTest, HandlesSitOnTheBorderAndOnlyTheyTakeTouches) {
    auto view = std::make_shared<CropRectView>(CGRect{{0, 0}, {200, 150}});
    view->layoutIfNeeded();
    const struct {
        H handle;
        CGRect frame;
    } layout[] = {
        {H::TopLeft, {{-22, -22}, {44, 44}}},    {H::TopRight, {{178, -22}, {44, 44}}},
        {H::BottomLeft, {{-22, 128}, {44, 44}}}, {H::BottomRight, {{178, 128}, {44, 44}}},
        {H::Top, {{22, -22}, {156, 44}}},        {H::Left, {{-22, 22}, {44, 106}}},
        {H::Bottom, {{22, 128}, {156, 44}}},     {H::Right, {{178, 22}, {44, 106}}},
    };
    for (const auto& l : layout) EXPECT_EQ(view->handle(l.handle)->frame(), l.frame) << l.handle;
    const struct {
        CGPoint point;
        UIView* expected;
    } hits[] = {
        {{0, 0}, view->handle(H::TopLeft).get()},
        {{21, 21}, view->handle(H::TopLeft).get()},
        {{100, 0}, view->handle(H::Top).get()},
        {{200, 150}, view->handle(H::BottomRight).get()},
        {{-10, 75}, view->handle(H::Left).get()},
        {{100, 75}, nullptr},
        {{60, 40}, nullptr},
    };
    for (const auto& h : hits) EXPECT_EQ(view->hitTest(h.point), h.expected) << h.point.x << ", " << h.point.y;
    // The border picture lies 2 points outside the rectangle and follows its size.
    EXPECT_EQ(view->borderView()->frame(), (CGRect{{-2, -2}, {204, 154}}));
    ASSERT_NE(view->borderView()->image(), nullptr);
    EXPECT_TRUE(view->borderView()->image()->isResizable());
    view->setFrame({{0, 0}, {300, 100}});
    EXPECT_EQ(view->borderView()->frame(), (CGRect{{-2, -2}, {304, 104}}));
}

TEST(CropRectViewTest, BothGridsDrawTheirLinesInEachBand) {
    TouchHarness ui;
    auto backdrop = std::make_shared<UIView>(ui.window->bounds());
    backdrop->setBackgroundColor(UIColor::blackColor());
    ui.window->addSubview(backdrop);
    // 270 x 270 at (30, 100): bands of 90, ninths at 30 and 60 into each band.
    auto view = std::make_shared<CropRectView>(CGRect{{30, 100}, {270, 270}});
    view->setShowsGridMinor(true);
    ui.window->addSubview(view);
    ui.advance(0.1);
    const CGImageRef shot = ui.screenshot();
    const double s = UIScreen::mainScreen().scale();
    const CGColor minor = AppAppearance::defaultLightColor().CGColor();
    auto column = [&](CGFloat x) { return meanColorInPoints(shot, {{30 + x, 200}, {1, 60}}, s); };
    auto row = [&](CGFloat y) { return meanColorInPoints(shot, {{130, 100 + y}, {60, 1}}, s); };
    for (CGFloat at : {30.0, 60.0, 120.0, 150.0, 210.0, 240.0}) {
        expectColor(column(at), {minor.r * 0.5, minor.g * 0.5, minor.b * 0.5, 1}, "ninths column", 0.05);
        expectColor(row(at), {minor.r * 0.5, minor.g * 0.5, minor.b * 0.5, 1}, "ninths row", 0.05);
    }
    for (CGFloat at : {90.0, 180.0}) {
        expectColor(column(at), {0.8, 0.8, 0.8, 1}, "thirds column", 0.02);
        expectColor(row(at), {0.8, 0.8, 0.8, 1}, "thirds row", 0.02);
    }
    expectColor(column(45), {0, 0, 0, 1}, "between lines");
    // Without the minor grid only the thirds remain.
    view->setShowsGridMinor(false);
    ui.advance(0.1);
    expectColor(meanColorInPoints(ui.screenshot(), {{60, 200}, {1, 60}}, s), {0, 0, 0, 1}, "ninths gone");
}

TEST(CropRectViewTest, DraggingAHandleReportsTheEditAndResizes) {
    TouchHarness ui;
    auto view = std::make_shared<CropRectView>(CGRect{{50, 100}, {200, 200}});
    Recorder recorder;
    view->setDelegate(&recorder);
    ui.window->addSubview(view);
    ui.advance(0.1);
    // The bottom-right corner from (250, 300) to (200, 260).
    ui.drag(250, 300, 200, 260);
    ui.advance(0.1);
    EXPECT_EQ(recorder.log, (std::vector<std::string>{"begin", "changed", "end"}));
    EXPECT_EQ(view->frame().origin, (CGPoint{50, 100})) << "the top-left corner stays";
    EXPECT_LT(view->frame().size.width, 200);
    EXPECT_LT(view->frame().size.height, 200);
    EXPECT_EQ(view->frame(), recorder.last);
    // A drag in the middle is not the rectangle's.
    recorder.log.clear();
    ui.drag(150, 180, 120, 150);
    EXPECT_TRUE(recorder.log.empty());
}
