// View animations on the manual clock: recorded changes, curves, springs, key frames,
// transitions, completions, and the views' weak hold; autoresizing and window moves.
#include <gtest/gtest.h>

#include <numbers>
#include <string>
#include <vector>

#include "platform/foundation/NSRunLoop.h"
#include "platform/quartzcore/CACompositor.h"
#include "platform/quartzcore/CAMediaTimingFunction.h"
#include "platform/quartzcore/ExpectGeometry.h"
#include "platform/uikit/UIView.h"
#include "platform/uikit/UIWindow.h"
#include "support/ImageRegions.h"

namespace {

class ViewAnimationTest : public ::testing::Test {
protected:
    void SetUp() override { loop.useManualClock(0); }
    void TearDown() override { loop.runUntilIdle(); }

    std::shared_ptr<UIView> makeView() {
        auto view = std::make_shared<UIView>(CGRectMake(0, 0, 100, 100));
        view->setBackgroundColor(UIColor::blackColor());
        return view;
    }
    CAValue shown(const UIView& view, const std::string& keyPath) {
        return view.layer()->presentationLayer()->valueForKeyPath(keyPath);
    }
    double shownNumber(const UIView& view, const std::string& keyPath) { return CAValueNumber(shown(view, keyPath)); }

    NSRunLoop& loop = NSRunLoop::mainRunLoop();
};

// Completions as (time, finished) pairs.
struct Completions {
    std::vector<std::pair<double, bool>> calls;
    UIView::Completion make() {
        return [this](bool finished) { calls.emplace_back(NSRunLoop::mainRunLoop().now(), finished); };
    }
};

}  // namespace

TEST_F(ViewAnimationTest, RecordedPropertiesAnimateHalfwayWhileTheModelChangesAtOnce) {
    struct Case {
        const char* keyPath;
        std::function<void(UIView&)> change;
        CAValue half;
    };
    const Case cases[] = {
        {"opacity", [](UIView& v) { v.setAlpha(0); }, 0.5},
        {"transform", [](UIView& v) { v.setTransform(CGAffineTransformMakeScale(3, 3)); },
         CATransform3DMakeScale(2, 2, 1)},
        {"position",
         [](UIView& v) {
             v.setCenter({150, 250});
         },
         CGPoint{100, 150}},
        {"bounds", [](UIView& v) { v.setBounds(CGRectMake(0, 0, 200, 50)); }, CGRect{{0, 0}, {150, 75}}},
        {"position", [](UIView& v) { v.setFrame(CGRectMake(100, 100, 100, 100)); }, CGPoint{100, 100}},
        {"backgroundColor", [](UIView& v) { v.setBackgroundColor(UIColor::whiteColor()); }, CGColor{0.5, 0.5, 0.5, 1}},
    };
    for (const Case& c : cases) {
        loop.useManualClock(0);
        auto view = makeView();
        Completions done;
        UIView::animateWithDuration(
            1, 0, UIViewAnimationOptionCurveLinear, [&] { c.change(*view); }, done.make());
        EXPECT_NE(view->layer()->valueForKeyPath(c.keyPath), shown(*view, c.keyPath))
            << c.keyPath << ": model changed, screen not yet";
        loop.advance(0.5);
        EXPECT_EQ(shown(*view, c.keyPath), c.half) << c.keyPath;
        loop.advanceTo(1 - 1e-6);
        EXPECT_TRUE(done.calls.empty()) << c.keyPath;
        loop.advanceTo(1);
        EXPECT_EQ(done.calls, (std::vector<std::pair<double, bool>>{{1, true}})) << c.keyPath;
        EXPECT_EQ(shown(*view, c.keyPath), view->layer()->valueForKeyPath(c.keyPath)) << c.keyPath;
    }
}

TEST_F(ViewAnimationTest, ZeroDurationAndUnchangedBlocksStillComplete) {
    auto view = makeView();
    Completions done;
    UIView::animateWithDuration(
        0, [&] { view->setAlpha(0.3); }, done.make());
    EXPECT_EQ(view->alpha(), 0.3f);
    EXPECT_TRUE(view->layer()->animationKeys().empty());
    EXPECT_TRUE(done.calls.empty()) << "not inside the call";
    loop.runOnce();
    EXPECT_EQ(done.calls, (std::vector<std::pair<double, bool>>{{0, true}}));

    done.calls.clear();
    UIView::animateWithDuration(
        0.2, 0.3, 0, [&] { view->setAlpha(0.3); }, done.make());  // the same value: no change
    EXPECT_TRUE(view->layer()->animationKeys().empty());
    loop.advanceTo(0.5 - 1e-6);
    EXPECT_TRUE(done.calls.empty());
    loop.advanceTo(0.5);
    EXPECT_EQ(done.calls, (std::vector<std::pair<double, bool>>{{0.5, true}}));
}

TEST_F(ViewAnimationTest, AReplacedAnimationCompletesWithNoAndTheNextStartsFromModelOrPresentation) {
    for (bool fromCurrent : {false, true}) {
        loop.useManualClock(0);
        auto view = makeView();
        Completions first, second;
        UIView::animateWithDuration(
            1, 0, UIViewAnimationOptionCurveLinear, [&] { view->setAlpha(0); }, first.make());
        loop.advance(0.5);
        const UIViewAnimationOptions options =
            UIViewAnimationOptionCurveLinear | (fromCurrent ? UIViewAnimationOptionBeginFromCurrentState : 0);
        UIView::animateWithDuration(
            1, 0, options, [&] { view->setAlpha(1); }, second.make());
        EXPECT_NEAR(shownNumber(*view, "opacity"), fromCurrent ? 0.5 : 0.0, 1e-6) << fromCurrent;
        loop.runOnce();
        EXPECT_EQ(first.calls, (std::vector<std::pair<double, bool>>{{0.5, false}})) << fromCurrent;
        loop.advance(1);
        EXPECT_EQ(second.calls, (std::vector<std::pair<double, bool>>{{1.5, true}})) << fromCurrent;
    }
}

TEST_F(ViewAnimationTest, DelayCurvesAndRepeatsShapeTheCourse) {
    struct Case {
        const char* what;
        UIViewAnimationOptions options;
        double delay, time;
        double expected;  // alpha from 1 to 0 over 1 s
    };
    const auto ease = [](const std::string& name, double f) {
        return 1 - CAMediaTimingFunction::functionWithName(name).evaluate(f);
    };
    const Case cases[] = {
        {"ease in and out by default", 0, 0, 0.25, ease(kCAMediaTimingFunctionEaseInEaseOut, 0.25)},
        {"ease in", UIViewAnimationOptionCurveEaseIn, 0, 0.25, ease(kCAMediaTimingFunctionEaseIn, 0.25)},
        {"ease out", UIViewAnimationOptionCurveEaseOut, 0, 0.25, ease(kCAMediaTimingFunctionEaseOut, 0.25)},
        {"linear", UIViewAnimationOptionCurveLinear, 0, 0.25, 0.75},
        {"the old value during the delay", UIViewAnimationOptionCurveLinear, 0.5, 0.4, 1.0},
        {"after the delay", UIViewAnimationOptionCurveLinear, 0.5, 0.75, 0.75},
        {"repeat and autoreverse on the way back",
         UIViewAnimationOptionCurveLinear | UIViewAnimationOptionRepeat | UIViewAnimationOptionAutoreverse, 0, 7.25,
         0.25},
    };
    for (const Case& c : cases) {
        loop.useManualClock(0);
        auto view = makeView();
        UIView::animateWithDuration(
            1, c.delay, c.options, [&] { view->setAlpha(0); }, nullptr);
        loop.advanceTo(c.time);
        EXPECT_NEAR(shownNumber(*view, "opacity"), c.expected, 1e-6) << c.what;
    }
}

TEST_F(ViewAnimationTest, SpringFormOvershootsOnlyWhenUnderdampedAndRestsAtItsDuration) {
    for (double damping : {0.5, 1.0}) {
        loop.useManualClock(0);
        auto view = makeView();
        Completions done;
        UIView::animateWithDuration(
            0.6, 0, damping, 0, 0,
            [&] {
                view->setCenter({150, 50});
            },
            done.make());
        double highest = 0;
        for (int frame = 1; frame < 36; ++frame) {
            loop.advanceTo(frame / 60.0);
            highest = std::max(highest, std::get<CGPoint>(shown(*view, "position")).x);
        }
        EXPECT_EQ(highest > 150, damping < 1) << damping;
        loop.advanceTo(0.6);
        EXPECT_EQ(std::get<CGPoint>(shown(*view, "position")), (CGPoint{150, 50}));
        EXPECT_EQ(done.calls, (std::vector<std::pair<double, bool>>{{0.6, true}})) << damping;
    }
}

TEST_F(ViewAnimationTest, KeyFramesHoldBetweenFramesOrStepWhenDiscrete) {
    struct Case {
        UIViewAnimationOptions options;
        double time, expected;
    };
    const Case cases[] = {{0, 0.5, 0.5},
                          {0, 1.5, 0.0},
                          {0, 2.5, 0.0},
                          {0, 3.5, 0.5},
                          {UIViewKeyframeAnimationOptionCalculationModeDiscrete, 0.5, 1.0},
                          {UIViewKeyframeAnimationOptionCalculationModeDiscrete, 1.5, 0.0}};
    for (const Case& c : cases) {
        loop.useManualClock(0);
        auto view = makeView();
        Completions done;
        UIView::animateKeyframesWithDuration(
            4, 0, c.options,
            [&] {
                UIView::addKeyframeWithRelativeStartTime(0, 0.25, [&] { view->setAlpha(0); });
                UIView::addKeyframeWithRelativeStartTime(0.75, 0.25, [&] { view->setAlpha(1); });
            },
            done.make());
        EXPECT_EQ(view->alpha(), 1);
        loop.advanceTo(c.time);
        EXPECT_NEAR(shownNumber(*view, "opacity"), c.expected, 1e-6) << c.options << " at " << c.time;
        loop.advanceTo(4);
        EXPECT_EQ(done.calls.size(), 1u);
    }
}

TEST_F(ViewAnimationTest, BeginAndCommitDefaultToAFifthOfASecondAndCanBeSwitchedOff) {
    auto view = makeView();
    Completions done;
    UIView::beginAnimations();
    UIView::setAnimationDidStopBlock(done.make());
    view->setAlpha(0);
    UIView::commitAnimations();
    EXPECT_EQ(view->layer()->animationKeys(), std::vector<std::string>{"opacity"});
    loop.advance(0.2);
    EXPECT_EQ(done.calls, (std::vector<std::pair<double, bool>>{{0.2, true}}));

    UIView::animateWithDuration(1, [&] { UIView::performWithoutAnimation([&] { view->setAlpha(1); }); });
    UIView::setAnimationsEnabled(false);
    UIView::animateWithDuration(1, [&] { view->setCenter({1, 1}); });
    UIView::setAnimationsEnabled(true);
    EXPECT_TRUE(view->layer()->animationKeys().empty());
    EXPECT_EQ(view->alpha(), 1);
}

namespace {

// Keeps its one subview filling its bounds.
class FillingView : public UIView {
public:
    std::shared_ptr<UIView> child = std::make_shared<UIView>();
    FillingView() : UIView(CGRectMake(0, 0, 100, 100)) {}
    void layoutSubviews() override { child->setFrame(bounds()); }
};

}  // namespace

TEST_F(ViewAnimationTest, LayoutSubviewsOptionAnimatesWhatTheLayoutChanges) {
    for (bool option : {false, true}) {
        auto view = std::make_shared<FillingView>();
        view->addSubview(view->child);
        view->layoutIfNeeded();
        UIView::animateWithDuration(
            1, 0, option ? UIViewAnimationOptionLayoutSubviews : 0,
            [&] { view->setBounds(CGRectMake(0, 0, 200, 100)); }, nullptr);
        loop.runOnce();  // a layout left to the end of the turn happens outside the block
        EXPECT_EQ(view->child->bounds().size.width, 200) << option;
        EXPECT_EQ(view->child->layer()->animationForKey("bounds") != nullptr, option) << option;
        loop.advance(1);
    }
}

TEST_F(ViewAnimationTest, AnimatedViewsIgnoreTouchesUnlessAllowed) {
    for (bool allow : {false, true}) {
        auto root = makeView();
        auto child = std::make_shared<UIView>(CGRectMake(10, 10, 20, 20));
        root->addSubview(child);
        UIView::animateWithDuration(
            1, 0, allow ? UIViewAnimationOptionAllowUserInteraction : 0,
            [&] { child->setBackgroundColor(UIColor::redColor()); }, nullptr);
        EXPECT_EQ(root->hitTest({15, 15}), allow ? child.get() : root.get()) << allow;
        loop.advance(1);
        EXPECT_EQ(root->hitTest({15, 15}), child.get()) << allow;
    }
}

TEST_F(ViewAnimationTest, TransitionsCoverTheChangeWithASnapshotOfTheOldLook) {
    struct Case {
        UIViewAnimationOptions kind;
        const char* squashKey;  // null for a dissolve
        CGRect outside;         // a region the squashed view leaves uncovered
    };
    const CGRect middle{{45, 45}, {10, 10}};
    for (const Case c :
         {Case{UIViewAnimationOptionTransitionCrossDissolve, nullptr, {}},
          Case{UIViewAnimationOptionTransitionFlipFromLeft, "transform.scale.x", {{5, 45}, {10, 10}}},
          Case{UIViewAnimationOptionTransitionFlipFromBottom, "transform.scale.y", {{45, 5}, {10, 10}}}}) {
        loop.useManualClock(0);
        auto root = CALayer::layer();
        auto view = makeView();  // black, 100 x 100
        root->addSublayer(view->layer());
        auto shot = [&](CGRect region) {
            return meanColorInPoints(CACompositor::compose(*root, {100, 100}, 1), region, 1);
        };
        Completions done;
        UIView::transitionWithView(
            view, 1, c.kind | UIViewAnimationOptionCurveLinear,
            [&] { view->setBackgroundColor(UIColor::whiteColor()); }, done.make());
        EXPECT_EQ(view->layer()->backgroundColor(), (CGColor{1, 1, 1, 1})) << "changed at once, not animated";
        ASSERT_EQ(view->layer()->sublayers().size(), 1u) << "the snapshot";
        EXPECT_LT(shot(middle).r, 0.01) << "the old look first";
        loop.advance(0.25);
        if (c.squashKey) {
            EXPECT_NEAR(shownNumber(*view, c.squashKey), 0.5, 1e-6);
            EXPECT_LT(shot(middle).r, 0.01) << "the old look until the middle";
            EXPECT_EQ(shot(c.outside).a, 0) << "squashed";
            loop.advance(0.5);
            EXPECT_GT(shot(middle).r, 0.99) << "the new look after the middle";
            EXPECT_EQ(shot(c.outside).a, 0);
        } else {
            EXPECT_NEAR(shot(middle).r, 0.25, 0.01) << "three quarters of the old look";
        }
        loop.advanceTo(1);
        EXPECT_TRUE(view->layer()->sublayers().empty());
        EXPECT_GT(shot(middle).r, 0.99);
        EXPECT_EQ(done.calls, (std::vector<std::pair<double, bool>>{{1, true}}));
    }
}

TEST_F(ViewAnimationTest, AnimationsAndDelayedPerformsDoNotKeepTheirViewAlive) {
    auto view = makeView();
    std::weak_ptr<UIView> weak = view;
    Completions done;
    int performed = 0;
    UIView::animateWithDuration(
        1, [&] { view->setAlpha(0); }, done.make());
    view->performAfterDelay("later", 0.5, [&](UIView&) { ++performed; });
    loop.advance(0.2);
    view.reset();
    EXPECT_TRUE(weak.expired());
    loop.advance(2);
    EXPECT_EQ(performed, 0);
    EXPECT_EQ(done.calls, (std::vector<std::pair<double, bool>>{{0.2, false}}));

    auto kept = makeView();
    kept->performAfterDelay("a", 0.5, [&](UIView&) { ++performed; });
    kept->performAfterDelay("b", 0.5, [&](UIView&) { performed += 10; });
    kept->cancelPreviousPerformRequests("a");
    loop.advance(0.5);
    EXPECT_EQ(performed, 10);
}

TEST_F(ViewAnimationTest, AutoresizingSharesTheChangeAmongFlexibleParts) {
    struct Case {
        UIViewAutoresizing mask;
        CGRect expected;  // child at (10, 20, 30, 40) in 100 x 100, the parent grows to 200 x 150
    };
    const Case cases[] = {
        {UIViewAutoresizingNone, CGRectMake(10, 20, 30, 40)},
        {UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight, CGRectMake(10, 20, 130, 90)},
        {UIViewAutoresizingFlexibleLeftMargin | UIViewAutoresizingFlexibleTopMargin, CGRectMake(110, 70, 30, 40)},
        {UIViewAutoresizingFlexibleLeftMargin | UIViewAutoresizingFlexibleRightMargin,
         CGRectMake(10 + 100 * 10.0 / 70, 20, 30, 40)},
        {UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleRightMargin |
             UIViewAutoresizingFlexibleBottomMargin,
         CGRectMake(10, 20, 30 + 100 * 30.0 / 90, 40)},
    };
    for (const Case& c : cases) {
        auto parent = std::make_shared<UIView>(CGRectMake(0, 0, 100, 100));
        auto child = std::make_shared<UIView>(CGRectMake(10, 20, 30, 40));
        child->setAutoresizingMask(c.mask);
        parent->addSubview(child);
        parent->setFrame(CGRectMake(0, 0, 200, 150));
        expectRect(child->frame(), c.expected, "mask " + std::to_string(c.mask), 1e-9);
    }
    auto parent = std::make_shared<UIView>(CGRectMake(0, 0, 100, 100));
    auto child = std::make_shared<UIView>(CGRectMake(10, 20, 30, 40));
    child->setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
    parent->addSubview(child);
    parent->setAutoresizesSubviews(false);
    parent->setBounds(CGRectMake(0, 0, 300, 100));
    expectRect(child->frame(), CGRectMake(10, 20, 30, 40), "switched off");
}

namespace {

class WindowWatcher : public UIView {
public:
    explicit WindowWatcher(std::vector<std::string>& log, std::string name) : log_(log), name_(std::move(name)) {}
    void willMoveToWindow(UIWindow* window) override {
        log_.push_back(name_ + (window ? " will enter" : " will leave"));
    }
    void didMoveToWindow() override { log_.push_back(name_ + (window() ? " entered" : " left")); }

private:
    std::vector<std::string>& log_;
    std::string name_;
};

}  // namespace

TEST_F(ViewAnimationTest, ViewsHearWhenTheirTreeEntersOrLeavesAWindow) {
    std::vector<std::string> log;
    auto window = std::make_shared<UIWindow>(CGRectMake(0, 0, 375, 667));
    window->makeKeyAndVisible();
    EXPECT_EQ(UIWindow::keyWindow(), window.get());
    auto parent = std::make_shared<WindowWatcher>(log, "parent");
    auto child = std::make_shared<WindowWatcher>(log, "child");
    parent->addSubview(child);
    EXPECT_TRUE(log.empty()) << "no window involved";
    EXPECT_EQ(child->window(), nullptr);
    window->addSubview(parent);
    EXPECT_EQ(child->window(), window.get());
    EXPECT_EQ(window->window(), window.get());
    parent->removeFromSuperview();
    EXPECT_EQ(log, (std::vector<std::string>{"parent will enter", "child will enter", "parent entered", "child entered",
                                             "parent will leave", "child will leave", "parent left", "child left"}));
    window.reset();
    EXPECT_EQ(UIWindow::keyWindow(), nullptr);
}
