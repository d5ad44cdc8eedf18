// Views: geometry from centre, bounds and transform; the layer tree mirroring the view tree;
// deferred layout and drawing; coordinates and hit-testing.
#include <gtest/gtest.h>

#include <numbers>
#include <string>
#include <vector>

#include "platform/foundation/NSRunLoop.h"
#include "platform/quartzcore/CACompositor.h"
#include "platform/quartzcore/ExpectGeometry.h"
#include "platform/uikit/UIGraphics.h"
#include "platform/uikit/UIView.h"
#include "support/ImageRegions.h"

namespace {

class ViewTest : public ::testing::Test {
protected:
    void SetUp() override { loop.useManualClock(0); }
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
};

TEST_F(ViewTest, FrameIsDerivedFromCenterBoundsAndTransform) {
    auto view = std::make_shared<UIView>(CGRectMake(10, 20, 100, 50));
    EXPECT_EQ(view->center(), (CGPoint{60, 45}));
    expectRect(view->bounds(), CGRectMake(0, 0, 100, 50), "bounds from the frame");

    view->setTransform(CGAffineTransformMakeScale(2, 0.5));
    expectRect(view->frame(), CGRectMake(-40, 32.5, 200, 25), "scaled about the centre");
    expectRect(view->bounds(), CGRectMake(0, 0, 100, 50), "bounds untouched by the transform");
    view->setTransform(CGAffineTransformMakeRotation(std::numbers::pi / 2));
    expectRect(view->frame(), CGRectMake(35, -5, 50, 100), "a quarter turn");
    view->setTransform(CGAffineTransformIdentity);

    view->setCenter({0, 0});
    expectRect(view->frame(), CGRectMake(-50, -25, 100, 50), "moved by its centre");
    view->setBounds(CGRectMake(5, 5, 20, 10));
    expectRect(view->frame(), CGRectMake(-10, -5, 20, 10), "resized about the centre; bounds origin ignored");

    // The bounds' origin scrolls the content: a subview moves in the superview's space.
    auto child = std::make_shared<UIView>(CGRectMake(5, 5, 1, 1));
    view->addSubview(child);
    EXPECT_EQ(child->convertPointToView({0, 0}, view.get()), (CGPoint{5, 5}));
    EXPECT_EQ(view->convertPointToView({5, 5}, nullptr), (CGPoint{5, 5}));  // a root's space is its own

    view->setContentScaleFactor(3);
    EXPECT_EQ(view->layer()->contentsScale(), 3);
    view->setContentScaleFactor(0);  // refused
    EXPECT_EQ(view->contentScaleFactor(), 3);
    view->setAlpha(0.25);
    view->setHidden(true);
    view->setClipsToBounds(true);
    view->setBackgroundColor(UIColor::redColor());
    EXPECT_FLOAT_EQ(view->layer()->opacity(), 0.25f);
    EXPECT_TRUE(view->layer()->isHidden());
    EXPECT_TRUE(view->layer()->masksToBounds());
    EXPECT_EQ(view->layer()->backgroundColor(), (CGColor{1, 0, 0, 1}));
    view->setBackgroundColor(std::nullopt);
    EXPECT_FALSE(view->layer()->backgroundColor().has_value());
}

// The layers of the subviews, in order, as the superview's layer holds them (other layers
// left out).
std::vector<CALayer*> viewLayers(const UIView& view) {
    std::vector<CALayer*> layers;
    for (const auto& layer : view.layer()->sublayers())
        for (const auto& sub : view.subviews())
            if (sub->layer() == layer) layers.push_back(layer.get());
    return layers;
}

std::vector<CALayer*> layersOf(std::initializer_list<std::shared_ptr<UIView>> views) {
    std::vector<CALayer*> layers;
    for (const auto& v : views) layers.push_back(v->layer().get());
    return layers;
}

TEST_F(ViewTest, LayerTreeMirrorsTheViewTree) {
    auto root = std::make_shared<UIView>(), a = std::make_shared<UIView>(), b = std::make_shared<UIView>(),
         c = std::make_shared<UIView>(), other = std::make_shared<UIView>();
    auto decoration = CALayer::layer();
    root->layer()->addSublayer(decoration);  // a layer of the view's own, not a view's

    root->addSubview(a);
    root->addSubview(b);
    root->insertSubview(c, 0);
    EXPECT_EQ(root->subviews(), (std::vector<std::shared_ptr<UIView>>{c, a, b}));
    EXPECT_EQ(viewLayers(*root), layersOf({c, a, b}));
    EXPECT_EQ(root->layer()->sublayers().front(), decoration);
    EXPECT_EQ(a->superview(), root.get());
    EXPECT_EQ(a->layer()->superlayer(), root->layer().get());
    EXPECT_EQ(a->layer()->delegate(), a.get());

    root->bringSubviewToFront(c.get());
    EXPECT_EQ(root->subviews(), (std::vector<std::shared_ptr<UIView>>{a, b, c}));
    EXPECT_EQ(viewLayers(*root), layersOf({a, b, c}));
    root->sendSubviewToBack(b.get());
    root->insertSubviewAbove(a, c.get());
    EXPECT_EQ(root->subviews(), (std::vector<std::shared_ptr<UIView>>{b, c, a}));
    EXPECT_EQ(viewLayers(*root), layersOf({b, c, a}));
    root->insertSubviewBelow(other, c.get());
    EXPECT_EQ(viewLayers(*root), layersOf({b, other, c, a}));

    other->addSubview(c);  // moves between superviews
    EXPECT_EQ(viewLayers(*root), layersOf({b, other, a}));
    EXPECT_EQ(c->layer()->superlayer(), other->layer().get());
    c->addSubview(root);  // a cycle: refused
    EXPECT_EQ(root->superview(), nullptr);

    std::weak_ptr<UIView> weakOther = other;
    other.reset();
    root->subviews()[1]->removeFromSuperview();
    EXPECT_TRUE(weakOther.expired());
    EXPECT_EQ(c->superview(), nullptr);  // its superview is gone
    EXPECT_EQ(viewLayers(*root), layersOf({b, a}));
    EXPECT_EQ(root->viewWithTag(0), root.get());
    a->setTag(7);
    EXPECT_EQ(root->viewWithTag(7), a.get());
    EXPECT_EQ(root->viewWithTag(8), nullptr);
}

class LoggingView : public UIView {
public:
    LoggingView(std::string name, std::vector<std::string>* log) : name_(std::move(name)), log_(log) {}
    void layoutSubviews() override { log_->push_back("layout " + name_); }
    void willMoveToSuperview(UIView* to) override { log_->push_back(name_ + (to ? " will move" : " will leave")); }
    void didMoveToSuperview() override { log_->push_back(name_ + " did move"); }
    void didAddSubview(UIView*) override { log_->push_back(name_ + " did add"); }
    void willRemoveSubview(UIView*) override { log_->push_back(name_ + " will remove"); }

private:
    std::string name_;
    std::vector<std::string>* log_;
};

TEST_F(ViewTest, LayoutRunsOnceAtTheEndOfTheTurnParentsFirst) {
    std::vector<std::string> log;
    auto parent = std::make_shared<LoggingView>("parent", &log);
    auto child = std::make_shared<LoggingView>("child", &log);
    parent->addSubview(child);
    EXPECT_EQ(log, (std::vector<std::string>{"child will move", "child did move", "parent did add"}));
    log.clear();
    loop.runUntilIdle();
    EXPECT_EQ(log, (std::vector<std::string>{"layout parent", "layout child"}));

    log.clear();
    parent->setFrame(CGRectMake(0, 0, 10, 10));
    child->setCenter({3, 3});  // a move is not a resize
    parent->setFrame(CGRectMake(5, 5, 10, 10));
    loop.runUntilIdle();
    EXPECT_EQ(log, std::vector<std::string>{"layout parent"});

    log.clear();
    child->setNeedsLayout();
    child->layoutIfNeeded();
    EXPECT_EQ(log, std::vector<std::string>{"layout child"});
    loop.runUntilIdle();
    EXPECT_EQ(log.size(), 1u);

    log.clear();
    child->removeFromSuperview();
    EXPECT_EQ(log, (std::vector<std::string>{"child will leave", "parent will remove", "child did move"}));
}

class SquareView : public UIView {
public:
    using UIView::UIView;
    void drawRect(CGRect) override {
        ++draws;
        CGContextRef c = UIGraphicsGetCurrentContext();
        CGContextSetRGBFillColor(c, 1, 0, 0, 1);
        CGContextFillRect(c, CGRectMake(0, 0, 1, 1));
    }
    int draws = 0;
};

TEST_F(ViewTest, DrawRectFillsTheLayerAtTheContentScale) {
    auto view = std::make_shared<SquareView>(CGRectMake(0, 0, 3, 2));
    view->setContentScaleFactor(2);
    view->setNeedsDisplay();
    loop.runUntilIdle();
    ASSERT_EQ(view->draws, 1);
    const CGImageRef& contents = view->layer()->contents();
    ASSERT_NE(contents, nullptr);
    EXPECT_EQ(CGImageGetWidth(contents), 6u);
    EXPECT_EQ(CGImageGetHeight(contents), 4u);
    EXPECT_EQ(CGImageGetPixel(contents, 1, 1), (CGColor{1, 0, 0, 1}));
    EXPECT_EQ(CGImageGetPixel(contents, 2, 0).a, 0);
    view->setContentScaleFactor(1);  // a drawing view redraws at its new scale
    loop.runUntilIdle();
    EXPECT_EQ(view->draws, 2);
    EXPECT_EQ(CGImageGetWidth(view->layer()->contents()), 3u);

    auto plain = std::make_shared<UIView>(CGRectMake(0, 0, 3, 2));
    auto image = CGImageCreate(1, 1, 8, 32, 4, CGColorSpaceCreateDeviceRGB(), kCGImageAlphaLast, {1, 2, 3, 4});
    plain->layer()->setContents(image);
    plain->setNeedsDisplay();
    loop.runUntilIdle();
    EXPECT_EQ(plain->layer()->contents(), image);  // nothing of its own to draw: contents kept
}

class TaggedLayer : public CALayer {};

class TaggedLayerView : public UIView {
public:
    static LayerClass layerClass() {
        return [] { return std::shared_ptr<CALayer>(std::make_shared<TaggedLayer>()); };
    }
    explicit TaggedLayerView(CGRect frame) : UIView(frame, layerClass()) {}
};

TEST_F(ViewTest, LayerClassChoosesTheBackingLayer) {
    auto view = std::make_shared<TaggedLayerView>(CGRectMake(1, 2, 3, 4));
    EXPECT_NE(dynamic_cast<TaggedLayer*>(view->layer().get()), nullptr);
    EXPECT_EQ(view->layer()->delegate(), view.get());
    expectRect(view->frame(), CGRectMake(1, 2, 3, 4), "frame of a subclass");
    auto plain = std::make_shared<UIView>();
    EXPECT_EQ(dynamic_cast<TaggedLayer*>(plain->layer().get()), nullptr);
}

TEST_F(ViewTest, HitTestingFindsTheDeepestInteractiveView) {
    auto root = std::make_shared<UIView>(CGRectMake(0, 0, 300, 300));
    auto panel = std::make_shared<UIView>(CGRectMake(100, 100, 100, 50));
    panel->setTransform(CGAffineTransformMakeRotation(std::numbers::pi / 2));  // now 50 wide, 100 high
    auto button = std::make_shared<UIView>(CGRectMake(0, 0, 20, 20));
    root->addSubview(panel);
    panel->addSubview(button);

    EXPECT_EQ(root->hitTest({170, 80}), button.get());  // the panel's top-left corner lies at (175, 75)
    EXPECT_EQ(root->hitTest({150, 160}), panel.get());  // only inside once turned
    EXPECT_EQ(root->hitTest({120, 110}), root.get());
    EXPECT_EQ(root->hitTest({400, 10}), nullptr);
    button->setUserInteractionEnabled(false);
    EXPECT_EQ(root->hitTest({170, 80}), panel.get());
    panel->setAlpha(0);
    EXPECT_EQ(root->hitTest({170, 80}), root.get());
    expectRect(button->convertRectToView(button->bounds(), root.get()), CGRectMake(155, 75, 20, 20), "turned rect");
}

class TouchSink : public UIView {
public:
    using UIView::UIView;
    void touchesBegan(const UITouchSet& touches, const UIEvent*) override {
        for (UITouch* t : touches) began.push_back(t->locationInView(this));
    }
    std::vector<CGPoint> began;
};

TEST_F(ViewTest, UnhandledTouchesGoToTheSuperviewWithLocationsInEachView) {
    auto sink = std::make_shared<TouchSink>(CGRectMake(0, 0, 200, 200));
    auto inner = std::make_shared<UIView>(CGRectMake(50, 40, 20, 20));
    sink->addSubview(inner);
    UITouch touch;
    touch.windowLocation = {55, 45};
    touch.view = inner;
    UIEvent event;
    event.allTouches = {&touch};
    EXPECT_EQ(sink->hitTest(touch.windowLocation), inner.get());
    EXPECT_EQ(touch.locationInView(inner.get()), (CGPoint{5, 5}));
    inner->touchesBegan(event.allTouches, &event);
    EXPECT_EQ(sink->began, (std::vector<CGPoint>{CGPoint{55, 45}}));
    sink->touchesEnded(event.allTouches, &event);  // a root passes them to nobody
}

}  // namespace

namespace {

TEST(ViewMaskTest, AMaskViewShowsTheViewOnlyWhereItIsOpaqueAndFollowsItsSubviews) {
    NSRunLoop::mainRunLoop().useManualClock(0);
    auto root = std::make_shared<UIView>(CGRectMake(0, 0, 100, 100));
    root->setBackgroundColor(UIColor::blackColor());
    auto red = std::make_shared<UIView>(root->bounds());
    red->setBackgroundColor(UIColor::redColor());
    root->addSubview(red);
    auto mask = std::make_shared<UIView>(red->bounds());
    auto hole = std::make_shared<UIView>(CGRectMake(0, 0, 50, 100));
    hole->setBackgroundColor(UIColor::blackColor());
    mask->addSubview(hole);
    red->setMaskView(mask);
    EXPECT_EQ(red->maskView(), mask);
    EXPECT_EQ(mask->superview(), nullptr);
    const auto redAt = [&](CGRect r) {
        return meanColorInPoints(CACompositor::compose(*root->layer(), {100, 100}, 1), r, 1).r;
    };
    EXPECT_GT(redAt(CGRectMake(5, 5, 40, 90)), 0.95) << "under the mask's opaque part";
    EXPECT_LT(redAt(CGRectMake(55, 5, 40, 90)), 0.05) << "under its clear part";
    hole->setFrame(CGRectMake(50, 0, 50, 100));
    EXPECT_LT(redAt(CGRectMake(5, 5, 40, 90)), 0.05) << "the mask's subviews move what shows";
    EXPECT_GT(redAt(CGRectMake(55, 5, 40, 90)), 0.95);
    red->setMaskView(nullptr);
    EXPECT_GT(redAt(CGRectMake(5, 5, 40, 90)), 0.95) << "unmasked";
}

}  // namespace
