// Animation blocks and runners on the manual clock: what each block does to its view, when
// each view of a list starts, when completions run, and the (switched-off) queue.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/foundation/NSRunLoop.h"
#include "ui/animation/AnimationUtility.h"
#include "ui/animation/AnimationUtilityQueue.h"

namespace {

class AnimationUtilityTest : public ::testing::Test {
protected:
    void SetUp() override { loop.useManualClock(0); }
    void TearDown() override {
        loop.runUntilIdle();
        AnimationUtilityQueue::setQueueEnabledForTesting(false);
    }
    static std::shared_ptr<UIView> makeView(int tag = 0) {
        auto view = std::make_shared<UIView>(CGRectMake(0, 0, 40, 40));
        view->setTag(tag);
        return view;
    }
    static double shownAlpha(const UIView& view) { return view.layer()->presentation().opacity; }
    static double shownScale(const UIView& view) { return view.layer()->presentation().transform.m11; }

    NSRunLoop& loop = NSRunLoop::mainRunLoop();
};

// A fade that logs which view started when (on the clock, after its delay).
struct StartLog {
    std::vector<std::pair<int, double>> starts;
    AnimationBlock block() {
        return [this](const std::shared_ptr<UIView>& view, NSTimeInterval delay, AnimationCompletion completion) {
            NSRunLoop& loop = NSRunLoop::mainRunLoop();
            loop.performAtDate(loop.now() + delay,
                               [this, tag = view->tag()] { starts.emplace_back(tag, NSRunLoop::mainRunLoop().now()); });
            AnimationUtility::fadeIn()(view, delay, std::move(completion));
        };
    }
};

}  // namespace

TEST_F(AnimationUtilityTest, RunnersWithoutViewsOrAnimationStartNothing) {
    int completions = 0;
    auto count = [&](bool) { ++completions; };
    auto view = makeView();
    AnimationUtility::animateView(nullptr, AnimationUtility::fadeOut(), 0, count);
    AnimationUtility::animateView(view, nullptr, 0, count);
    AnimationUtility::animateViews({}, AnimationUtility::fadeOut(), count);
    AnimationUtility::animateViews({view}, nullptr, count);
    loop.advance(1);
    EXPECT_EQ(completions, 0);
    EXPECT_FALSE(view->isHidden());
    EXPECT_TRUE(view->layer()->animationKeys().empty());
}

TEST_F(AnimationUtilityTest, ListRunnerStepsThroughTheViewsAndCompletesAfterTheLast) {
    struct Case {
        const char* what;
        std::function<void(const AnimationUtility::Views&, const AnimationBlock&, AnimationCompletion)> run;
        std::vector<std::pair<int, double>> starts;
    };
    const Case cases[] = {
        {"reverse after 0.1 s, 0.05 s apart",
         [](auto& v, auto& a, auto c) { AnimationUtility::animateViews(v, a, 0.1, 0.05, true, c); },
         {{3, 0.1}, {2, 0.15}, {1, 0.2}}},
        {"after 0.6 s",
         [](auto& v, auto& a, auto c) { AnimationUtility::animateViews(v, a, 0.6, c); },
         {{1, 0.6}, {2, 0.65}, {3, 0.7}}},
        {"the defaults",
         [](auto& v, auto& a, auto c) { AnimationUtility::animateViews(v, a, c); },
         {{1, 0}, {2, 0.05}, {3, 0.1}}},
    };
    for (const Case& c : cases) {
        loop.useManualClock(0);
        StartLog log;
        std::vector<std::pair<double, bool>> done;
        c.run({makeView(1), makeView(2), makeView(3)}, log.block(),
              [&](bool finished) { done.emplace_back(loop.now(), finished); });
        loop.advance(2);
        EXPECT_EQ(log.starts.size(), 3u) << c.what;
        for (std::size_t i = 0; i < 3 && i < log.starts.size(); ++i) {
            EXPECT_EQ(log.starts[i].first, c.starts[i].first) << c.what;
            EXPECT_NEAR(log.starts[i].second, c.starts[i].second, 1e-9) << c.what;
        }
        ASSERT_EQ(done.size(), 1u) << c.what;
        EXPECT_NEAR(done[0].first, c.starts.back().second + AnimationUtility::kDuration, 1e-9) << c.what;
        EXPECT_TRUE(done[0].second) << c.what;
    }
}

TEST_F(AnimationUtilityTest, ListCompletionCarriesTheLastViewsFlag) {
    auto first = makeView(1), last = makeView(2);
    std::vector<bool> flags;
    AnimationUtility::animateViews({first, last}, AnimationUtility::fadeOut(), [&](bool f) { flags.push_back(f); });
    loop.advance(0.1);
    last->layer()->removeAllAnimations();  // the last view's fade is cut short
    loop.advance(1);
    EXPECT_EQ(flags, std::vector<bool>{false});
    EXPECT_TRUE(last->isHidden());
}

TEST_F(AnimationUtilityTest, FadesAndScalesLeaveTheViewAsTheySay) {
    auto view = makeView();
    std::vector<bool> flags;
    auto record = [&](bool f) { flags.push_back(f); };

    AnimationUtility::animateView(view, AnimationUtility::fadeOut(), record);
    loop.advance(0.1);
    EXPECT_GT(shownAlpha(*view), 0);
    EXPECT_LT(shownAlpha(*view), 1);
    EXPECT_FALSE(view->isHidden());
    loop.advance(0.1);
    EXPECT_TRUE(view->isHidden());
    EXPECT_EQ(view->alpha(), 0);

    AnimationUtility::animateView(view, AnimationUtility::fadeInToAlpha(0.8), 0.5, record);
    EXPECT_FALSE(view->isHidden());
    EXPECT_EQ(shownAlpha(*view), 0);
    loop.advance(0.5 + 0.1);
    EXPECT_NEAR(shownAlpha(*view), 0.4, 1e-6) << "halfway on the symmetric default curve";
    loop.advance(0.1);
    EXPECT_FLOAT_EQ(view->alpha(), 0.8f);

    AnimationUtility::animateView(view, AnimationUtility::scaleOut(), record);
    loop.advance(0.2);
    EXPECT_TRUE(view->isHidden());
    EXPECT_EQ(view->layer()->transform(), CATransform3DIdentity);

    AnimationUtility::animateView(view, AnimationUtility::scaleIn(), record);
    EXPECT_FALSE(view->isHidden());
    EXPECT_NEAR(shownScale(*view), 0.001, 1e-9);
    loop.advance(0.2);
    EXPECT_NEAR(shownScale(*view), 1, 1e-9);
    EXPECT_EQ(flags, std::vector<bool>(4, true));
}

TEST_F(AnimationUtilityTest, BounceOvershootsUndershootsAndRestsAfterHalfASecond) {
    auto view = makeView();
    double doneAt = -1;
    AnimationUtility::animateView(view, AnimationUtility::scaleInWithBounce(), 0.1, [&](bool f) {
        EXPECT_TRUE(f);
        doneAt = loop.now();
    });
    loop.advanceTo(0.1 + 0.4 * 2 / 3);
    EXPECT_NEAR(shownScale(*view), 1.05, 1e-9);
    loop.advanceTo(0.1 + 0.4);
    EXPECT_NEAR(shownScale(*view), 0.95, 1e-9);
    loop.advanceTo(0.6);
    EXPECT_NEAR(shownScale(*view), 1, 1e-9);
    EXPECT_NEAR(doneAt, 0.6, 1e-9);
}

TEST_F(AnimationUtilityTest, SwitchedOffQueueRunsEveryAnimationAtOnce) {
    auto view = makeView();
    EXPECT_FALSE(AnimationUtilityQueue::useAnimationQueue());
    AnimationUtility::animateView(view, AnimationUtility::fadeOut());
    loop.advance(0.1);
    AnimationUtility::animateView(view, AnimationUtility::fadeInToAlpha(1));
    EXPECT_EQ(shownAlpha(*view), 0) << "the second started at once";
    AnimationUtilityQueue::removeView(view);
    EXPECT_EQ(AnimationUtilityQueue::animationQueueForViews({view}), nullptr);
}

TEST_F(AnimationUtilityTest, SwitchedOnQueueKeepsTheRunningBlockAndTheLastAdded) {
    AnimationUtilityQueue::setQueueEnabledForTesting(true);
    auto a = makeView(1), b = makeView(2), other = makeView(3);
    std::vector<std::string> ran;
    AnimationUtilityQueue::addViews({a, b}, [&] { ran.push_back("first"); });
    AnimationUtilityQueue::addViews({b}, [&] { ran.push_back("second"); });
    AnimationUtilityQueue::addViews({a}, [&] { ran.push_back("third"); });
    AnimationUtilityQueue::addView(other, [&] { ran.push_back("other"); });
    EXPECT_EQ(ran, (std::vector<std::string>{"first", "other"}));
    ASSERT_NE(AnimationUtilityQueue::animationQueueForViews({b}), nullptr);
    EXPECT_EQ(AnimationUtilityQueue::animationQueueForViews({b})->size(), 2u);
    AnimationUtilityQueue::removeViews({a});
    EXPECT_EQ(ran.back(), "third");
    AnimationUtilityQueue::removeViews({b});
    EXPECT_EQ(AnimationUtilityQueue::animationQueueForViews({a, b}), nullptr);
    EXPECT_NE(AnimationUtilityQueue::animationQueueForViews({other}), nullptr);
}
