// Layers: geometry, the tree, coordinates and hit-testing, deferred layout and display, and
// the split between model and presentation.
#include <gtest/gtest.h>

#include <numbers>
#include <string>
#include <vector>

#include "platform/foundation/NSRunLoop.h"
#include "platform/quartzcore/ExpectGeometry.h"
#include "platform/quartzcore/CABasicAnimation.h"
#include "platform/quartzcore/CALayer.h"
#include "platform/quartzcore/CATransaction.h"

namespace {

TEST(Transform3D, ConcatOrderInverseAndProjection) {
    auto t = CATransform3DConcat(CATransform3DMakeScale(2, 3, 1), CATransform3DMakeTranslation(10, 20, 0));
    expectPoint(CATransform3DApplyToPoint(t, {1, 1}), {12, 23}, "scale, then translate");
    expectPoint(CATransform3DApplyToPoint(CATransform3DTranslate(CATransform3DMakeScale(2, 3, 1), 10, 20, 0), {1, 1}),
                {22, 63}, "Translate applies its translation first");
    auto back = CATransform3DConcat(t, CATransform3DInvert(t));
    for (double v : {back.m11 - 1, back.m22 - 1, back.m41, back.m42, back.m12}) EXPECT_NEAR(v, 0, 1e-12);

    auto rz = CATransform3DMakeRotation(0.3, 0, 0, 2);
    EXPECT_TRUE(CATransform3DIsAffine(rz));
    CGAffineTransform a = CATransform3DGetAffineTransform(rz), b = CGAffineTransformMakeRotation(0.3);
    for (double d : {a.a - b.a, a.b - b.b, a.c - b.c, a.d - b.d}) EXPECT_NEAR(d, 0, 1e-12);

    auto singular = CATransform3DMakeScale(0, 1, 1);
    EXPECT_EQ(CATransform3DInvert(singular), singular);
    auto perspective = CATransform3DIdentity;
    perspective.m34 = -1.0 / 500;
    EXPECT_FALSE(CATransform3DIsAffine(perspective));
    expectPoint(CATransform3DApplyToPoint(perspective, {10, 0}), {10, 0}, "z = 0 plane unchanged by m34 alone");
}

TEST(Layer, FrameFollowsPositionAnchorBoundsAndTransform) {
    struct Case {
        const char* name;
        CGPoint position, anchor;
        CGRect bounds;
        CATransform3D transform;
        CGRect frame;
    } cases[] = {
        {"centred anchor", {50, 60}, {0.5, 0.5}, {{0, 0}, {100, 40}}, CATransform3DIdentity, {{0, 40}, {100, 40}}},
        {"top-left anchor", {50, 60}, {0, 0}, {{0, 0}, {100, 40}}, CATransform3DIdentity, {{50, 60}, {100, 40}}},
        {"bounds origin does not move the frame",
         {50, 60},
         {0.5, 0.5},
         {{30, 30}, {100, 40}},
         CATransform3DIdentity,
         {{0, 40}, {100, 40}}},
        {"scaled about the anchor",
         {50, 60},
         {0.5, 0.5},
         {{0, 0}, {100, 40}},
         CATransform3DMakeScale(2, 0.5, 1),
         {{-50, 50}, {200, 20}}},
        {"quarter turn",
         {50, 60},
         {0.5, 0.5},
         {{0, 0}, {100, 40}},
         CATransform3DMakeRotation(std::numbers::pi / 2, 0, 0, 1),
         {{30, 10}, {40, 100}}},
    };
    for (const Case& c : cases) {
        auto layer = CALayer::layer();
        layer->setAnchorPoint(c.anchor);
        layer->setBounds(c.bounds);
        layer->setPosition(c.position);
        layer->setTransform(c.transform);
        expectRect(layer->frame(), c.frame, c.name);
    }
    auto layer = CALayer::layer();
    layer->setAnchorPoint({0.25, 1});
    layer->setFrame(CGRectMake(10, 20, 40, 80));
    expectPoint(layer->position(), {20, 100}, "position from the frame and anchor");
    expectRect(layer->bounds(), CGRectMake(0, 0, 40, 80), "bounds from the frame");
}

TEST(Layer, TreeMovesLayersBetweenParentsAndRefusesCycles) {
    auto root = CALayer::layer(), a = CALayer::layer(), b = CALayer::layer(), c = CALayer::layer();
    root->addSublayer(a);
    root->addSublayer(b);
    root->insertSublayerBelow(c, a.get());
    EXPECT_EQ(root->sublayers(), (std::vector<std::shared_ptr<CALayer>>{c, a, b}));
    root->insertSublayer(c, 3);  // moving within one parent counts the layer out first
    EXPECT_EQ(root->sublayers(), (std::vector<std::shared_ptr<CALayer>>{a, b, c}));
    root->insertSublayerAbove(a, b.get());
    EXPECT_EQ(root->sublayers(), (std::vector<std::shared_ptr<CALayer>>{b, a, c}));

    a->addSublayer(c);
    EXPECT_EQ(c->superlayer(), a.get());
    EXPECT_EQ(root->sublayers().size(), 2u);
    c->addSublayer(root);  // would make a cycle
    EXPECT_EQ(root->superlayer(), nullptr);
    EXPECT_TRUE(c->isDescendantOf(root.get()));

    auto replacement = CALayer::layer();
    root->replaceSublayer(a.get(), replacement);
    EXPECT_EQ(root->sublayers(), (std::vector<std::shared_ptr<CALayer>>{b, replacement}));
    EXPECT_EQ(a->superlayer(), nullptr);

    std::weak_ptr<CALayer> weak = b;
    b.reset();
    root->sublayers().front()->removeFromSuperlayer();
    EXPECT_TRUE(weak.expired());
}

TEST(Layer, ConvertsPointsAndHitTestsThroughTransforms) {
    auto root = CALayer::layer();
    root->setFrame(CGRectMake(0, 0, 400, 400));
    auto turned = CALayer::layer();
    turned->setFrame(CGRectMake(100, 100, 100, 50));
    turned->setTransform(CATransform3DMakeRotation(std::numbers::pi / 2, 0, 0, 1));  // about its centre (150, 125)
    root->addSublayer(turned);
    auto child = CALayer::layer();
    child->setFrame(CGRectMake(0, 0, 10, 10));
    turned->addSublayer(child);

    expectPoint(turned->convertPointToLayer({0, 0}, root.get()), {175, 75}, "top-left corner turned a quarter");
    expectPoint(root->convertPointToLayer({175, 75}, turned.get()), {0, 0}, "and back");
    expectPoint(child->convertPointFromLayer({170, 80}, root.get()), {5, 5}, "through two levels");
    expectRect(turned->convertRectToLayer(turned->bounds(), root.get()), turned->frame(), "bounds to frame");

    EXPECT_EQ(root->hitTest({170, 80}), child.get());
    EXPECT_EQ(root->hitTest({150, 160}), turned.get());  // inside only once turned
    EXPECT_EQ(root->hitTest({120, 110}), root.get());
    turned->setHidden(true);
    EXPECT_EQ(root->hitTest({170, 80}), root.get());
    EXPECT_EQ(root->hitTest({500, 500}), nullptr);
}

class Recorder : public CALayerDelegate {
public:
    explicit Recorder(std::vector<std::string>* log) : log_(log) {}
    void layoutSublayersOfLayer(CALayer& layer) override { log_->push_back("layout " + layer.name()); }
    void drawLayer(CALayer& layer, const CGContextRef& c) override {
        log_->push_back("draw " + layer.name());
        CGContextSetRGBFillColor(c, 1, 0, 0, 1);
        CGContextFillRect(c, CGRectMake(0, 0, 1, 1));  // the top-left point
    }

private:
    std::vector<std::string>* log_;
};

TEST(Layer, LayoutAndDisplayHappenOnceAtTheEndOfTheTurnTopDown) {
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    loop.useManualClock(0);
    std::vector<std::string> log;
    Recorder recorder(&log);
    auto parent = CALayer::layer(), child = CALayer::layer();
    parent->setName("parent");
    child->setName("child");
    parent->setDelegate(&recorder);
    child->setDelegate(&recorder);
    parent->addSublayer(child);

    child->setBounds(CGRectMake(0, 0, 4, 3));
    parent->setBounds(CGRectMake(0, 0, 10, 10));
    parent->setBounds(CGRectMake(0, 0, 10, 10));  // same size: nothing more
    child->setContentsScale(2);
    child->setNeedsDisplay();
    EXPECT_TRUE(log.empty());
    loop.runUntilIdle();
    EXPECT_EQ(log, (std::vector<std::string>{"layout parent", "layout child", "draw child"}));
    loop.runUntilIdle();
    EXPECT_EQ(log.size(), 3u);

    const CGImageRef& contents = child->contents();
    ASSERT_NE(contents, nullptr);
    EXPECT_EQ(CGImageGetWidth(contents), 8u);
    EXPECT_EQ(CGImageGetHeight(contents), 6u);
    EXPECT_EQ(CGImageGetPixel(contents, 1, 1), (CGColor{1, 0, 0, 1}));  // top-left point = 2 x 2 pixels
    EXPECT_EQ(CGImageGetPixel(contents, 2, 2), (CGColor{}));

    parent->setNeedsLayout();
    parent->layoutIfNeeded();  // at once, without the run loop
    EXPECT_EQ(log.back(), "layout parent");
}

TEST(Layer, PresentationShowsAnimationsWhileTheModelKeepsItsValue) {
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    loop.useManualClock(10);
    auto layer = CALayer::layer();
    layer->setOpacity(0.8f);
    bool completed = false;
    CATransaction::begin();
    CATransaction::setCompletionBlock([&] { completed = true; });
    auto fade = CABasicAnimation::animationWithKeyPath("opacity");
    fade->fromValue = 0.0;
    fade->toValue = 1.0;
    fade->duration = 2;
    fade->removedOnCompletion = false;
    layer->addAnimation(fade, "fade");
    CATransaction::commit();
    EXPECT_DOUBLE_EQ(layer->animationForKey("fade")->beginTime, 10);

    loop.advance(0.5);
    EXPECT_FLOAT_EQ(layer->presentation().opacity, 0.25f);
    EXPECT_FLOAT_EQ(layer->opacity(), 0.8f);
    auto presented = layer->presentationLayer();
    EXPECT_FLOAT_EQ(presented->opacity(), 0.25f);
    EXPECT_EQ(presented->modelLayer(), layer.get());
    EXPECT_EQ(layer->modelLayer(), layer.get());
    EXPECT_FALSE(completed);
    loop.advance(1.5);
    EXPECT_TRUE(completed);
    EXPECT_EQ(layer->animationKeys(), std::vector<std::string>{"fade"});
    layer->removeAnimationForKey("fade");
    EXPECT_FLOAT_EQ(layer->presentation().opacity, 0.8f);

    bool immediate = false;
    CATransaction::begin();
    CATransaction::setCompletionBlock([&] { immediate = true; });
    CATransaction::commit();
    EXPECT_FALSE(immediate);  // not inside commit
    loop.runUntilIdle();
    EXPECT_TRUE(immediate);
}

}  // namespace
