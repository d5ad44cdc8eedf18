// Frame observers and block delegates of layer animations, on the manual clock.
#include <gtest/gtest.h>

#include <numbers>
#include <vector>

#include "platform/foundation/NSRunLoop.h"
#include "platform/quartzcore/CABasicAnimation.h"
#include "platform/quartzcore/CALayer.h"
#include "ui/animation/AnimationDelegate.h"
#include "ui/animation/AnimationObserver.h"
#include "ui/animation/CAAnimation+AnimationBlockUtility.h"

namespace {

class AnimationObserverTest : public ::testing::Test {
protected:
    void SetUp() override { loop.useManualClock(0); }
    void TearDown() override { loop.runUntilIdle(); }
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
};

std::shared_ptr<CABasicAnimation> turn() {
    auto spin = CABasicAnimation::animationWithKeyPath("transform.rotation.z");
    spin->fromValue = 0.0;
    spin->toValue = std::numbers::pi / 2;
    spin->duration = 0.1;
    return spin;
}

}  // namespace

TEST_F(AnimationObserverTest, HandsThePresentationValueEveryFrameUntilFinished) {
    auto layer = CALayer::layer();
    layer->addAnimation(turn(), "turn");
    std::vector<double> seen;
    std::weak_ptr<AnimationObserver> weak;
    {
        auto observer = AnimationObserver::beginObservingAnimation(
            layer, "transform.rotation.z", [&](const CAValue& v) { seen.push_back(CAValueNumber(v)); });
        weak = observer;
    }
    ASSERT_FALSE(weak.expired()) << "the observer keeps itself until finished";
    loop.advance(3.5 / 60);
    ASSERT_EQ(seen.size(), 3u);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(seen[i], (i + 1) / 60.0 / 0.1 * std::numbers::pi / 2, 1e-9) << i;
    auto observer = weak.lock();
    observer->finishObservingAnimation();
    observer->finishObservingAnimation();  // a second finish does nothing
    EXPECT_FALSE(observer->isObserving());
    EXPECT_EQ(observer->associatedObjectCount(), 0u);
    observer.reset();
    EXPECT_TRUE(weak.expired());
    loop.advance(1);
    EXPECT_EQ(seen.size(), 3u);
}

TEST_F(AnimationObserverTest, BlockObserverPausesWhileTheLoopTracks) {
    int frames = 0;
    auto observer = AnimationObserver::beginObservingAnimationWithBlock([&] { ++frames; });
    loop.advance(2.0 / 60);
    EXPECT_EQ(frames, 2);
    loop.advance(2.0 / 60, "UITrackingRunLoopMode");
    EXPECT_EQ(frames, 2);
    observer->finishObservingAnimation();
}

TEST_F(AnimationObserverTest, BlockAccessorsInstallOneBlockDelegate) {
    struct Other : CAAnimationDelegate {};
    auto animation = turn();
    animation->setDelegate(std::make_shared<Other>());
    EXPECT_EQ(AnimationBlockUtility::completion(*animation), nullptr);

    std::vector<std::string> log;
    AnimationBlockUtility::setCompletion(*animation, [&](bool f) { log.push_back(f ? "done YES" : "done NO"); });
    EXPECT_NE(std::dynamic_pointer_cast<AnimationDelegate>(animation->delegate()), nullptr)
        << "the other delegate is replaced";
    AnimationBlockUtility::setStart(*animation, [&] { log.push_back("start"); });
    EXPECT_NE(AnimationBlockUtility::completion(*animation), nullptr) << "both blocks share the delegate";

    auto layer = CALayer::layer();
    layer->addAnimation(animation, "turn");
    loop.advance(0.1);
    EXPECT_EQ(log, (std::vector<std::string>{"start", "done YES"}));

    auto bare = turn();
    AnimationBlockUtility::setStart(*bare, nullptr);
    EXPECT_NE(std::dynamic_pointer_cast<AnimationDelegate>(bare->delegate()), nullptr);
    EXPECT_EQ(AnimationBlockUtility::start(*bare), nullptr);
}
