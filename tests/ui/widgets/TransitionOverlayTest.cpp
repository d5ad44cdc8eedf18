// Transition overlays in a real window on the manual clock: the captioned container, the
// content centred below the navigation bar (also on an overlay away from the left edge), the
// fade in and out with the last overlay forgotten only when it is still the last, and the
// caption change that touches only a label.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/uikit/UIActivityIndicatorView.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UINavigationController.h"
#include "support/ControllerFixture.h"
#include "ui/widgets/CircularProgressView.h"
#include "ui/widgets/TransitionFactory.h"
#include "ui/widgets/TransitionPositioning.h"
#include "ui/widgets/TransitionUtility.h"

namespace {

class TransitionOverlayTest : public ControllerFixture {
protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        screen = std::make_shared<UIView>(CGRectMake(0, 0, 375, 667));
        window->addSubview(screen);
    }
    void TearDown() override {
        TransitionFactory::setLastTransition(nullptr);
        ControllerFixture::TearDown();
    }
    std::shared_ptr<UIView> screen;
};

TEST_F(TransitionOverlayTest, CaptionedProgressRingSitsInTheMiddleBelowTheBar) {
    auto overlay = TransitionFactory::progressTransitionFor(TransitionFactory::blackTransitionWithAlpha(0.5), "Saving");
    EXPECT_EQ(TransitionFactory::lastTransition(), overlay);
    ASSERT_EQ(overlay->subviews().size(), 1u);
    UIView& container = *overlay->subviews().front();
    EXPECT_EQ(container.bounds().size, (CGSize{200, 200}));
    EXPECT_EQ(container.tag(), TransitionPositioning::kCentered);
    auto* ring = dynamic_cast<CircularProgressView*>(container.subviews().front().get());
    ASSERT_TRUE(ring);
    EXPECT_EQ(ring->center(), (CGPoint{100, 100}));
    EXPECT_FLOAT_EQ(ring->alpha(), 0.8);
    auto* label = dynamic_cast<UILabel*>(container.subviews().back().get());
    ASSERT_TRUE(label);
    EXPECT_EQ(label->text(), "Saving");
    EXPECT_EQ(label->center(), (CGPoint{100, 140}));

    struct Case {
        bool navigation, barHidden;
        CGRect covered;
        CGPoint centre;
    };
    for (const Case& c : {Case{false, false, CGRectMake(0, 0, 375, 667), {187.5, 333.5}},
                          Case{true, false, CGRectMake(0, 0, 375, 667), {187.5, 289.5}},
                          Case{true, true, CGRectMake(0, 0, 375, 667), {187.5, 333.5}},
                          Case{false, false, CGRectMake(100, 50, 200, 300), {100, 150}}}) {
        auto root = std::make_shared<UIViewController>();
        auto navigation = std::make_shared<UINavigationController>(root);
        navigation->setNavigationBarHidden(c.barHidden);
        window->setRootViewController(c.navigation ? std::shared_ptr<UIViewController>(navigation) : root);
        screen->setFrame(c.covered);
        TransitionPositioning::positionTransition(*overlay, *screen);
        EXPECT_EQ(overlay->frame(), c.covered);
        EXPECT_EQ(container.center(), c.centre) << c.navigation << c.barHidden << c.covered.origin.x;
    }
}

TEST_F(TransitionOverlayTest, ActivityOverlayHoldsAStartedLargeSpinner) {
    auto overlay = TransitionFactory::activityTransitionFor(TransitionFactory::blackTransition(), "Loading");
    auto* spinner = dynamic_cast<UIActivityIndicatorView*>(overlay->subviews().front()->subviews().front().get());
    ASSERT_TRUE(spinner);
    EXPECT_TRUE(spinner->isAnimating());
    EXPECT_EQ(spinner->activityIndicatorViewStyle(), UIActivityIndicatorViewStyle::WhiteLarge);
    EXPECT_EQ(TransitionFactory::lastTransition(), overlay);
}

TEST_F(TransitionOverlayTest, FadesInAboveTheViewAndOutForgettingOnlyItself) {
    auto first = TransitionFactory::customTransitionFor(
        TransitionFactory::blackTransition(), [] { return std::make_shared<UIView>(CGRectMake(0, 0, 10, 10)); });
    std::vector<double> done;
    TransitionUtility::fadeToTransition(first, screen, 0.3, [&](bool) { done.push_back(loop.now() - kStart); });
    EXPECT_EQ(window->subviews().back(), first);
    EXPECT_EQ(first->frame(), screen->frame());
    advance(0.31);
    EXPECT_EQ(first->alpha(), 1);
    EXPECT_EQ(TransitionFactory::lastTransition(), first) << "fading in leaves the last transition";

    TransitionUtility::fadeFromLastTransitionForView(screen, 0.2, 0.1, true, [&](bool) {
        done.push_back(loop.now() - kStart);
        EXPECT_NE(first->superview(), nullptr) << "the completion comes before the removal";
    });
    // Built while the first fades: it stays the last one.
    auto second = TransitionFactory::blackTransition();
    advance(0.31);
    EXPECT_EQ(first->superview(), nullptr);
    EXPECT_EQ(TransitionFactory::lastTransition(), second);
    ASSERT_EQ(done.size(), 2u);
    EXPECT_NEAR(done[1], 0.31 + 0.3, 1e-6);

    // With none left, nothing moves and the completion still waits the fade's length.
    TransitionFactory::setLastTransition(nullptr);
    const std::size_t views = window->subviews().size();
    TransitionUtility::fadeFromLastTransitionForView(screen, 0.2, [&](bool) { done.push_back(loop.now() - kStart); });
    EXPECT_EQ(window->subviews().size(), views);
    advance(0.1);
    EXPECT_EQ(done.size(), 2u);
    advance(0.11);
    EXPECT_EQ(done.size(), 3u);
}

TEST_F(TransitionOverlayTest, CaptionChangesOnlyALabel) {
    auto overlay = TransitionFactory::customTransitionFor(
        TransitionFactory::blackTransition(), [] { return std::make_shared<UIView>(CGRectMake(0, 0, 20, 20)); }, "One");
    auto label = std::static_pointer_cast<UILabel>(overlay->subviews().back()->subviews().back());
    TransitionUtility::setString("Two", overlay, 0.5, false);
    advance(0.4);
    EXPECT_EQ(label->text(), "One");
    advance(0.11);
    EXPECT_EQ(label->text(), "Two");
    EXPECT_EQ(label->alpha(), 1);

    TransitionUtility::setString("Three", overlay, 0);
    advance(0.1);
    EXPECT_LT(label->layer()->presentation().opacity, 1) << "fading out";
    EXPECT_EQ(label->text(), "Two");
    advance(0.11);
    EXPECT_EQ(label->text(), "Three");
    advance(0.2);
    EXPECT_EQ(label->layer()->presentation().opacity, 1);

    // Without a caption the content's last subview is no label: nothing changes.
    auto plain = TransitionFactory::customTransitionFor(TransitionFactory::blackTransition(), [] {
        auto content = std::make_shared<UIView>(CGRectMake(0, 0, 20, 20));
        content->addSubview(std::make_shared<UIView>());
        return content;
    });
    TransitionUtility::setString("Ignored", plain, 0);
    TransitionUtility::setString("Ignored", TransitionFactory::blackTransition(), 0);
    advance(1);
}

}  // namespace
