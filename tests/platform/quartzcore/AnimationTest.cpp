// Layer animations on the manual clock: curves, timing, delegate reports, key paths, springs,
// key frames, groups and properties a layer subclass draws.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include "platform/foundation/NSRunLoop.h"
#include "platform/quartzcore/CAAnimationGroup.h"
#include "platform/quartzcore/CABasicAnimation.h"
#include "platform/quartzcore/CACompositor.h"
#include "platform/quartzcore/CAGradientLayer.h"
#include "platform/quartzcore/CAKeyframeAnimation.h"
#include "platform/quartzcore/CALayer.h"
#include "platform/quartzcore/CASpringAnimation.h"
#include "platform/quartzcore/CATransaction.h"
#include "support/ImageRegions.h"

namespace {

class AnimationTest : public ::testing::Test {
protected:
    void SetUp() override { loop.useManualClock(100); }
    void TearDown() override { loop.runUntilIdle(); }
    double opacityAt(const CALayer& layer) { return layer.presentation().opacity; }

    NSRunLoop& loop = NSRunLoop::mainRunLoop();
};

std::shared_ptr<CABasicAnimation> fade(double from, double to, double duration) {
    auto a = CABasicAnimation::animationWithKeyPath("opacity");
    a->fromValue = from;
    a->toValue = to;
    a->duration = duration;
    return a;
}

// Records what the delegate hears, with the clock's time.
struct Recorder : CAAnimationDelegate {
    std::vector<std::string> events;
    void animationDidStart(CAAnimation&) override {
        events.push_back("start@" + std::to_string(NSRunLoop::mainRunLoop().now()));
    }
    void animationDidStop(CAAnimation&, bool finished) override {
        events.push_back(std::string(finished ? "stop YES@" : "stop NO@") +
                         std::to_string(NSRunLoop::mainRunLoop().now()));
    }
};

std::string at(double t) { return "@" + std::to_string(t); }

}  // namespace

TEST(TimingFunction, NamedCurvesPassThroughTheirOwnBezierPoints) {
    struct Case {
        std::string name;
        double c1x, c1y, c2x, c2y;
    };
    const Case cases[] = {{kCAMediaTimingFunctionLinear, 0, 0, 1, 1},
                          {kCAMediaTimingFunctionEaseIn, 0.42, 0, 1, 1},
                          {kCAMediaTimingFunctionEaseOut, 0, 0, 0.58, 1},
                          {kCAMediaTimingFunctionEaseInEaseOut, 0.42, 0, 0.58, 1},
                          {kCAMediaTimingFunctionDefault, 0.25, 0.1, 0.25, 1}};
    for (const Case& c : cases) {
        const auto f = CAMediaTimingFunction::functionWithName(c.name);
        EXPECT_EQ(f.getControlPointAtIndex(1), (CGPoint{c.c1x, c.c1y})) << c.name;
        EXPECT_EQ(f.getControlPointAtIndex(2), (CGPoint{c.c2x, c.c2y})) << c.name;
        for (double s : {0.1, 0.3, 0.5, 0.8, 0.95}) {
            const double u = 1 - s;
            const double x = 3 * u * u * s * c.c1x + 3 * u * s * s * c.c2x + s * s * s;
            const double y = 3 * u * u * s * c.c1y + 3 * u * s * s * c.c2y + s * s * s;
            EXPECT_NEAR(f.evaluate(x), y, 1e-9) << c.name << " at s " << s;
        }
        EXPECT_EQ(f.evaluate(0), 0);
        EXPECT_EQ(f.evaluate(1), 1);
    }
    EXPECT_THROW(CAMediaTimingFunction::functionWithName("bouncy"), std::invalid_argument);
}

TEST_F(AnimationTest, EaseOutFollowsItsCurveWhileTheModelChangesAtOnce) {
    auto layer = CALayer::layer();
    layer->setPosition({0, 0});
    layer->setPosition({200, 40});
    auto move = CABasicAnimation::animationWithKeyPath("position");
    move->fromValue = CGPoint{0, 0};
    move->toValue = CGPoint{200, 40};
    move->duration = 1;
    move->timingFunction = CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionEaseOut);
    layer->addAnimation(move, "move");
    const auto curve = CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionEaseOut);
    for (double t : {0.0, 0.25, 0.5, 0.75}) {
        loop.advanceTo(100 + t);
        const double p = curve.evaluate(t);
        EXPECT_NEAR(layer->presentation().position.x, 200 * p, 1e-9) << t;
        EXPECT_NEAR(layer->presentation().position.y, 40 * p, 1e-9) << t;
        EXPECT_EQ(layer->position(), (CGPoint{200, 40}));
    }
    EXPECT_GT(layer->presentation().position.x, 150);  // ease-out is ahead of linear
    loop.advanceTo(101);
    EXPECT_TRUE(layer->animationKeys().empty());
    EXPECT_EQ(layer->presentation().position, (CGPoint{200, 40}));
}

TEST_F(AnimationTest, DelegateHearsStartAndStopWithTheFinishedFlag) {
    struct Case {
        const char* what;
        double beginAfter;
        // Done to the layer 0.5 s into the run (nothing, remove, replace, remove all, drop the layer).
        int action;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"runs to its end", 0, 0, {"start" + at(100), "stop YES" + at(101)}},
        {"begins later", 2, 0, {"start" + at(102), "stop YES" + at(103)}},
        {"removed", 0, 1, {"start" + at(100), "stop NO" + at(100.5)}},
        {"replaced under its key", 0, 2, {"start" + at(100), "stop NO" + at(100.5)}},
        {"all removed", 0, 3, {"start" + at(100), "stop NO" + at(100.5)}},
        {"layer released", 0, 4, {"start" + at(100), "stop NO" + at(100.5)}},
    };
    for (const Case& c : cases) {
        loop.useManualClock(100);
        auto layer = CALayer::layer();
        auto recorder = std::make_shared<Recorder>();
        auto a = fade(0, 1, 1);
        a->setDelegate(recorder);
        if (c.beginAfter > 0) a->beginTime = 100 + c.beginAfter;
        layer->addAnimation(a, "fade");
        EXPECT_TRUE(recorder->events.empty()) << c.what << ": nothing is reported inside addAnimation";
        loop.advance(0.5);
        if (c.action == 1) layer->removeAnimationForKey("fade");
        if (c.action == 2) layer->addAnimation(fade(1, 0, 1), "fade");
        if (c.action == 3) layer->removeAllAnimations();
        if (c.action == 4) layer.reset();
        if (c.action) {
            EXPECT_EQ(recorder->events.size(), 1u) << c.what << ": the stop comes in the next pass";
        }
        const double end = 100 + c.beginAfter + 1;
        loop.advanceTo(end - 1e-6);
        EXPECT_EQ(recorder->events.size(), c.action ? 2u : 1u) << c.what;
        loop.advanceTo(end);
        EXPECT_EQ(recorder->events, c.expected) << c.what;
        loop.advance(1);
        EXPECT_EQ(recorder->events.size(), 2u) << c.what << ": one stop only";
    }
}

TEST_F(AnimationTest, FillModeRepeatsAndAutoreverse) {
    struct Case {
        const char* what;
        CAFillMode fill;
        float repeats;
        bool autoreverses;
        double time;  // after the begin time; the model opacity is 0.5
        double expected;
    };
    const Case cases[] = {
        {"before the begin, removed", CAFillMode::Removed, 0, false, -0.5, 0.5},
        {"before the begin, backwards", CAFillMode::Backwards, 0, false, -0.5, 0.2},
        {"after the end, removed", CAFillMode::Removed, 0, false, 1.5, 0.5},
        {"after the end, forwards", CAFillMode::Forwards, 0, false, 1.5, 1.0},
        {"after the end, both", CAFillMode::Both, 0, false, 7, 1.0},
        {"second pass of two", CAFillMode::Removed, 2, false, 1.25, 0.4},
        {"way back of a reversing pass", CAFillMode::Removed, 2, true, 1.5, 0.6},
        {"second reversing pass", CAFillMode::Removed, 2, true, 2.25, 0.4},
        {"reversing passes end at the start", CAFillMode::Forwards, 2, true, 4.5, 0.2},
        {"a half pass ends halfway", CAFillMode::Forwards, 1.5, false, 3, 0.6},
        {"for ever", CAFillMode::Removed, std::numeric_limits<float>::infinity(), false, 1000.75, 0.8},
    };
    for (const Case& c : cases) {
        auto layer = CALayer::layer();
        layer->setOpacity(0.5f);
        auto a = fade(0.2, 1.0, 1);
        a->beginTime = loop.now() + 1;
        a->fillMode = c.fill;
        a->removedOnCompletion = c.fill == CAFillMode::Removed;
        a->repeatCount = c.repeats;
        a->autoreverses = c.autoreverses;
        layer->addAnimation(a, "fade");
        const double begin = loop.now() + 1;
        loop.advanceTo(begin + c.time);
        EXPECT_NEAR(opacityAt(*layer), c.expected, 1e-6) << c.what;
    }
}

TEST_F(AnimationTest, EndlessRotationByAFullTurnReadsHalfATurnAtHalfAPeriod) {
    auto layer = CALayer::layer();
    auto recorder = std::make_shared<Recorder>();
    auto spin = CABasicAnimation::animationWithKeyPath("transform.rotation.z");
    spin->byValue = 2 * std::numbers::pi;
    spin->duration = 1;
    spin->repeatCount = HUGE_VALF;
    spin->setDelegate(recorder);
    layer->addAnimation(spin, "spin");
    loop.advance(0.5);
    const CAValue half = layer->presentationLayer()->valueForKeyPath("transform.rotation.z");
    ASSERT_TRUE(std::holds_alternative<double>(half));
    EXPECT_NEAR(std::fabs(std::get<double>(half)), std::numbers::pi, 1e-9);
    loop.advance(30.75);  // a quarter into the 32nd turn
    EXPECT_NEAR(CAValueNumber(layer->presentationLayer()->valueForKeyPath("transform.rotation.z")),
                std::numbers::pi / 2, 1e-9);
    EXPECT_NEAR(layer->presentation().transform.m11, 0, 1e-9);
    EXPECT_NEAR(layer->presentation().transform.m12, 1, 1e-9);
    EXPECT_EQ(layer->transform(), CATransform3DIdentity);
    EXPECT_EQ(recorder->events.size(), 1u) << "started, never stops";
}

TEST_F(AnimationTest, KeyPathsInterpolateHalfway) {
    struct Case {
        std::string keyPath;
        CAValue from, to, half;
    };
    const CGColor red{1, 0, 0, 1}, blue{0, 0, 1, 1}, mid{0.5, 0, 0.5, 1};
    const Case cases[] = {
        {"opacity", 0.0, 1.0, 0.5},
        {"cornerRadius", 4.0, 20.0, 12.0},
        {"position.y", 10.0, 30.0, 20.0},
        {"bounds", CGRect{{0, 0}, {10, 20}}, CGRect{{10, 0}, {30, 40}}, CGRect{{5, 0}, {20, 30}}},
        {"bounds.size.width", 10.0, 30.0, 20.0},
        {"backgroundColor", red, blue, mid},
        {"colors", std::vector<CGColor>{red, blue}, std::vector<CGColor>{blue, red}, std::vector<CGColor>{mid, mid}},
        {"transform.scale", 1.0, 3.0, 2.0},
        {"transform.translation.x", 0.0, 50.0, 25.0},
        {"transform.translation", CGSize{0, 0}, CGSize{10, -20}, CGSize{5, -10}},
        {"transform", CATransform3DIdentity, CATransform3DMakeRotation(std::numbers::pi / 2, 0, 0, 1),
         CATransform3DMakeRotation(std::numbers::pi / 4, 0, 0, 1)},
    };
    for (const Case& c : cases) {
        auto layer = CALayer::layer();
        auto a = CABasicAnimation::animationWithKeyPath(c.keyPath);
        a->fromValue = c.from;
        a->toValue = c.to;
        a->duration = 2;
        layer->addAnimation(a, "a");
        loop.advance(1);
        const CAValue got = layer->presentationLayer()->valueForKeyPath(c.keyPath);
        if (auto m = std::get_if<CATransform3D>(&got)) {
            const auto& e = std::get<CATransform3D>(c.half);
            EXPECT_NEAR(m->m11, e.m11, 1e-9) << c.keyPath;
            EXPECT_NEAR(m->m12, e.m12, 1e-9) << c.keyPath;
            EXPECT_NEAR(m->m21, e.m21, 1e-9) << c.keyPath;
        } else {
            EXPECT_EQ(got, c.half) << c.keyPath;
        }
        loop.advance(1);
        EXPECT_EQ(layer->presentationLayer()->valueForKeyPath(c.keyPath), layer->valueForKeyPath(c.keyPath))
            << c.keyPath;
    }
}

TEST_F(AnimationTest, FromToAndByCombinationsStartAndEndWhereTheySay) {
    struct Case {
        const char* what;
        std::optional<CAValue> from, to, by;
        double start, end;  // the model's value is 10
    };
    const Case cases[] = {{"from and to", 1.0, 3.0, {}, 1, 3}, {"from and by", 1.0, {}, 2.0, 1, 3},
                          {"by and to", {}, 3.0, 2.0, 1, 3},   {"from only", 1.0, {}, {}, 1, 10},
                          {"to only", {}, 3.0, {}, 10, 3},     {"by only", {}, {}, 2.0, 10, 12}};
    for (const Case& c : cases) {
        auto layer = CALayer::layer();
        layer->setCornerRadius(10);
        auto a = CABasicAnimation::animationWithKeyPath("cornerRadius");
        a->fromValue = c.from, a->toValue = c.to, a->byValue = c.by;
        a->duration = 1;
        a->fillMode = CAFillMode::Forwards;
        a->removedOnCompletion = false;
        layer->addAnimation(a, "r");
        EXPECT_DOUBLE_EQ(layer->presentation().cornerRadius, c.start) << c.what;
        loop.advance(1);
        EXPECT_DOUBLE_EQ(layer->presentation().cornerRadius, c.end) << c.what;
    }
}

TEST_F(AnimationTest, SpringOvershootsWhenUnderdampedAndRestsOnTheTargetAtItsDuration) {
    struct Case {
        double damping, velocity;
        bool overshoots;
    };
    for (const Case c : {Case{0.5, 0, true}, Case{1.0, 0, false}, Case{2.0, 0, false}, Case{0.7, 3, true}}) {
        auto layer = CALayer::layer();
        layer->setPosition({100, 0});
        auto spring = CASpringAnimation::springWithDampingRatio("position.x", c.damping, c.velocity, 1);
        spring->fromValue = 0.0;
        spring->toValue = 100.0;
        const double begin = loop.now();
        layer->addAnimation(spring, "spring");
        double highest = 0, previous = 0;
        bool monotonic = true;
        for (int frame = 1; frame < 60; ++frame) {
            loop.advanceTo(begin + frame / 60.0);
            const double x = layer->presentation().position.x;
            highest = std::max(highest, x);
            monotonic = monotonic && x >= previous - 1e-9;
            previous = x;
        }
        EXPECT_EQ(highest > 100 + 1e-6, c.overshoots) << "damping " << c.damping << " velocity " << c.velocity;
        if (!c.overshoots && c.velocity == 0) {
            EXPECT_TRUE(monotonic) << c.damping;
        }
        // The envelope is under 0.1 % of the change as the duration closes, then it rests.
        loop.advanceTo(begin + 0.999);
        EXPECT_NEAR(layer->presentation().position.x, 100, 0.11) << c.damping;
        loop.advanceTo(begin + 1);
        EXPECT_EQ(layer->presentation().position.x, 100);
        EXPECT_TRUE(layer->animationKeys().empty());
        // The start leaves at the given velocity (changes per second).
        const double h = 1e-6;
        EXPECT_NEAR((spring->springProgress(h) - spring->springProgress(0)) / h, c.velocity, 1e-3);
        EXPECT_LE(spring->settlingDuration(), 1.01);
    }
}

TEST_F(AnimationTest, KeyFramesHoldAndStepAsTheirModeSays) {
    struct Case {
        CAAnimationCalculationMode mode;
        double fraction, expected;
    };
    const Case cases[] = {
        {CAAnimationCalculationMode::Linear, 0.125, 0.5}, {CAAnimationCalculationMode::Linear, 0.3, 1.0},
        {CAAnimationCalculationMode::Linear, 0.7, 1.0},   {CAAnimationCalculationMode::Linear, 0.875, 0.6},
        {CAAnimationCalculationMode::Discrete, 0.2, 0.0}, {CAAnimationCalculationMode::Discrete, 0.5, 1.0},
        {CAAnimationCalculationMode::Discrete, 0.9, 1.0}, {CAAnimationCalculationMode::Linear, 1.0, 0.2},
    };
    for (const Case& c : cases) {
        auto layer = CALayer::layer();
        auto frames = CAKeyframeAnimation::animationWithKeyPath("opacity");
        frames->values = {0.0, 1.0, 1.0, 0.2};
        frames->keyTimes = {0, 0.25, 0.75, 1};
        frames->calculationMode = c.mode;
        frames->duration = 4;
        frames->fillMode = CAFillMode::Forwards;
        frames->removedOnCompletion = false;
        layer->addAnimation(frames, "k");
        loop.advance(4 * c.fraction);
        EXPECT_NEAR(opacityAt(*layer), c.expected, 1e-6) << static_cast<int>(c.mode) << " at " << c.fraction;
    }
}

TEST_F(AnimationTest, GroupChildrenShareTheGroupClockAndCurve) {
    auto layer = CALayer::layer();
    auto x = CABasicAnimation::animationWithKeyPath("transform.scale.x");
    x->fromValue = 0.0, x->toValue = 1.0;
    auto y = CABasicAnimation::animationWithKeyPath("transform.scale.y");
    y->fromValue = 0.0, y->toValue = 2.0;
    y->beginTime = 1, y->duration = 1;  // the second half of the group
    auto group = CAAnimationGroup::animation();
    group->animations = {x, y};
    group->duration = 2;
    group->timingFunction = CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionEaseIn);
    group->fillMode = CAFillMode::Forwards;
    group->removedOnCompletion = false;
    layer->addAnimation(group, "");
    const auto curve = CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionEaseIn);
    loop.advance(1.6);
    const double t = curve.evaluate(0.8) * 2;  // the children's clock
    EXPECT_NEAR(CAValueNumber(layer->presentationLayer()->valueForKeyPath("transform.scale.x")), t / 2, 1e-9);
    EXPECT_NEAR(CAValueNumber(layer->presentationLayer()->valueForKeyPath("transform.scale.y")), 2 * (t - 1), 1e-9);
    loop.advance(5);
    EXPECT_NEAR(layer->presentation().transform.m11, 1, 1e-9);
    EXPECT_EQ(layer->animationKeys().size(), 1u) << "kept, with a name of its own";
}

TEST_F(AnimationTest, TransactionCompletionWaitsForTheLastAnimationAdded) {
    auto layer = CALayer::layer();
    double completedAt = -1;
    CATransaction::begin();
    CATransaction::setCompletionBlock([&] { completedAt = loop.now(); });
    layer->addAnimation(fade(0, 1, 0.5), "a");
    auto late = fade(0, 1, 0.5);
    late->beginTime = loop.now() + 0.3;
    layer->addAnimation(late, "b");
    CATransaction::commit();
    loop.advance(2);
    EXPECT_DOUBLE_EQ(completedAt, 100.8);
}

namespace {

// A layer that draws its own "progress" property: the kind whose animation redraws each frame.
class ProgressLayer : public CALayer {
public:
    static inline std::vector<double> drawn;
    bool needsDisplayForKey(const std::string& key) const override { return key == "progress"; }
    // A bar as long as the progress.
    void drawInContext(const CGContextRef& context) override {
        const double progress = CAValueNumber(valueForKeyPath("progress"));
        drawn.push_back(progress);
        CGContextSetFillColorWithColor(context, CGColor{1, 0, 0, 1});
        CGContextFillRect(context, {{0, 0}, {bounds().size.width * progress, bounds().size.height}});
    }

protected:
    std::shared_ptr<CALayer> newPresentationInstance() const override { return std::make_shared<ProgressLayer>(); }
};

}  // namespace

TEST_F(AnimationTest, ACustomPropertyIsCopiedIntoThePresentationAndRedrawnOnceAFrame) {
    auto layer = std::make_shared<ProgressLayer>();
    layer->setFrame({{0, 0}, {60, 4}});
    layer->setValueForKeyPath("progress", 0.25);
    EXPECT_TRUE(layer->needsDisplay());
    layer->displayIfNeeded();
    ProgressLayer::drawn.clear();
    EXPECT_EQ(layer->presentationLayer()->valueForKeyPath("progress"), CAValue(0.25));

    loop.useManualClock(10);  // on the display grid
    auto a = CABasicAnimation::animationWithKeyPath("progress");
    a->fromValue = 0.0;
    a->toValue = 1.0;
    a->duration = 0.1;
    layer->addAnimation(a, "p");
    loop.advance(3 / 60.0);
    // What the compositor shows is the frame's drawing: half the bar.
    const CGImageRef shot = CACompositor::compose(*layer, {60, 4}, 1);
    EXPECT_GT(meanColor(shot, {{0, 0}, {28, 4}}).a, 0.99);
    EXPECT_LT(meanColor(shot, {{32, 0}, {28, 4}}).a, 0.01);
    loop.advance(0.1 - 3 / 60.0 - 1e-9);
    // One drawing of the presentation per display frame (at 1/60 s … 5/60 s).
    ASSERT_EQ(ProgressLayer::drawn.size(), 5u);
    for (std::size_t i = 0; i < 5; ++i) EXPECT_NEAR(ProgressLayer::drawn[i], (i + 1) / 6.0, 1e-6) << i;
    EXPECT_NE(layer->contents(), nullptr);
    loop.advance(1);
    // The frame after the end marks the layer for a drawing of the model, then the frames stop.
    EXPECT_EQ(ProgressLayer::drawn.size(), 6u);
    EXPECT_NEAR(ProgressLayer::drawn.back(), 0.25, 1e-9);
    EXPECT_EQ(CAValueNumber(layer->valueForKeyPath("progress")), 0.25);
}

TEST_F(AnimationTest, AnimatedGradientColoursAreComposedAtTheirPresentationValues) {
    auto root = CALayer::layer();
    root->setFrame({{0, 0}, {40, 40}});
    auto gradient = CAGradientLayer::layer();
    gradient->setFrame({{0, 0}, {40, 40}});
    const CGColor red{1, 0, 0, 1}, blue{0, 0, 1, 1};
    gradient->setColors({red, blue});
    root->addSublayer(gradient);
    auto cycle = CABasicAnimation::animationWithKeyPath("colors");
    cycle->fromValue = std::vector<CGColor>{red, blue};
    cycle->toValue = std::vector<CGColor>{blue, red};
    cycle->duration = 12;
    cycle->autoreverses = true;
    cycle->repeatCount = HUGE_VALF;
    gradient->addAnimation(cycle, "colors");
    auto band = [&](double y) {
        return meanColorInPoints(CACompositor::compose(*root, {40, 40}, 1), {{0, y}, {40, 2}}, 1);
    };
    const CGColor top0 = band(0), bottom0 = band(38);
    EXPECT_GT(top0.r, 0.9);
    EXPECT_GT(bottom0.b, 0.9);
    loop.advance(6);
    for (double y : {0.0, 19.0, 38.0}) {
        const CGColor c = band(y);
        EXPECT_NEAR(c.r, 0.5, 0.03) << y;
        EXPECT_NEAR(c.b, 0.5, 0.03) << y;
    }
    loop.advance(6);
    EXPECT_GT(band(0).b, 0.9) << "the colours have swapped";
    EXPECT_EQ(gradient->colors(), (std::vector<CGColor>{red, blue})) << "the model keeps its colours";
}
