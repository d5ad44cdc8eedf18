// The busy indicators on the manual clock: the logo's swing and rock measured on its outer
// picture, the glow following it, the stop after the running step once out of the window,
// and the modal begin–finish protocol keeping the application's ignore count balanced (also
// for a finish without an indicator and a begin over another one); the rings' build.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <set>
#include <vector>

#include "support/ControllerFixture.h"
#include "ui/widgets/AmbrelActivityView.h"
#include "ui/widgets/CircularActivityView.h"
#include "ui/widgets/CircularProgressView.h"

namespace {

constexpr double kPi = std::numbers::pi;

double angle(const UIView& view) { return std::atan2(view.transform().b, view.transform().a); }

class ActivityViewTest : public ControllerFixture {
protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        host = std::make_shared<UIView>(CGRectMake(0, 0, 300, 400));
        window->addSubview(host);
    }
    std::shared_ptr<UIView> host;
};

TEST_F(ActivityViewTest, LogoSwingsOrRocksAndStopsAfterItsStepOnceOutOfTheWindow) {
    struct Case {
        bool alternate;
        std::vector<double> angles;  // at the start of each 2.4 s step
    };
    for (const Case& c : {Case{false, {-kPi / 4, kPi / 4, -kPi / 4}}, Case{true, {-kPi / 2, 0, -kPi / 2}}}) {
        auto logo = std::make_shared<AmbrelActivityView>(CGRectMake(0, 0, 120, 120), true, true, c.alternate);
        host->addSubview(logo);
        ASSERT_TRUE(logo->iconOutside()->image()) << "the pictures are in the bundle";
        EXPECT_TRUE(logo->iconGlow()->image());
        EXPECT_GT(logo->iconGlow()->bounds().size.width, 120) << "the glow reaches past the logo";
        for (double expected : c.angles) {
            EXPECT_NEAR(angle(*logo->iconOutside()), expected, 1e-9) << c.alternate;
            EXPECT_EQ(logo->iconGlow()->transform(), logo->iconOutside()->transform()) << "the glow follows";
            advance(AmbrelActivityView::kStepDuration + 0.01);
        }
        logo->removeFromSuperview();
        loop.runUntilIdle();
        EXPECT_TRUE(logo->shouldStopAnimating());
        const double last = angle(*logo->iconOutside());
        host->addSubview(logo);
        advance(3 * AmbrelActivityView::kStepDuration);
        EXPECT_NEAR(angle(*logo->iconOutside()), last, 1e-9) << "the running step was the last";
        logo->removeFromSuperview();
    }
}

TEST_F(ActivityViewTest, BeginAndFinishLeaveTheIgnoreCountAsItWas) {
    UIApplication& application = UIApplication::sharedApplication();
    application.beginIgnoringInteractionEvents();  // someone else's step
    std::vector<double> appeared, finished;
    AmbrelActivityView::beginAnimateActivityViewInView(
        host, [&](bool f) { appeared.push_back(f ? loop.now() - kStart : -1); });
    auto* logo = dynamic_cast<AmbrelActivityView*>(AmbrelActivityView::modal().current());
    ASSERT_TRUE(logo);
    EXPECT_EQ(logo->superview(), host.get());
    EXPECT_EQ(logo->center(), (CGPoint{150, 200}));
    EXPECT_TRUE(logo->transparent());
    EXPECT_TRUE(logo->useAlternateAnimation());
    AmbrelActivityView::finishAnimateActivityView([&](bool f) { finished.push_back(f ? loop.now() - kStart : -1); });
    EXPECT_EQ(logo->superview(), host.get()) << "the finish waits for its turn on the main queue";
    advance(0.41);
    ASSERT_EQ(finished.size(), 1u);
    EXPECT_EQ(appeared.size(), 1u);
    EXPECT_EQ(host->subviews().size(), 0u);
    EXPECT_EQ(AmbrelActivityView::modal().current(), nullptr);
    EXPECT_TRUE(application.isIgnoringInteractionEvents()) << "the other step is still held";
    application.endIgnoringInteractionEvents();
    EXPECT_FALSE(application.isIgnoringInteractionEvents());

    // A finish without an indicator answers NO on the next turn, and gives nothing back.
    AmbrelActivityView::finishAnimateActivityView([&](bool f) { finished.push_back(f ? 1 : 0); });
    EXPECT_EQ(finished.size(), 1u);
    loop.runUntilIdle();
    EXPECT_EQ(finished, (std::vector<double>{finished[0], 0}));

    // A begin over a current indicator takes that one away with its step.
    AmbrelActivityView::beginAnimateActivityViewInView(host);
    AmbrelActivityView::beginAnimateActivityViewInView(host);
    EXPECT_EQ(host->subviews().size(), 1u);
    AmbrelActivityView::finishAnimateActivityView();
    advance(0.5);
    EXPECT_FALSE(application.isIgnoringInteractionEvents());
    EXPECT_TRUE(host->subviews().empty());
}

TEST_F(ActivityViewTest, AnimatedInAViewItStaysTwoSecondsAfterAppearing) {
    CircularActivityView::animateActivityViewInView(host);
    ASSERT_EQ(host->subviews().size(), 1u);
    advance(0.4 + 1.9);
    EXPECT_EQ(host->subviews().size(), 1u);
    advance(0.2 + 0.41);
    EXPECT_TRUE(host->subviews().empty());
    EXPECT_FALSE(UIApplication::sharedApplication().isIgnoringInteractionEvents());
}

TEST_F(ActivityViewTest, RingsShrinkInwardsAndTurnInAlternateDirections) {
    auto rings = std::make_shared<CircularActivityView>(CGRectMake(0, 0, 100, 100));
    host->addSubview(rings);
    ASSERT_EQ(rings->subviews().size(), 20u);
    auto ring = [&](int i) { return static_cast<CircularProgressView*>(rings->subviews()[i].get()); };
    EXPECT_EQ(ring(0)->bounds().size.width, 100);
    EXPECT_NEAR(ring(19)->bounds().size.width, 100 * (1 - 19 * 0.04), 1e-3);
    EXPECT_NEAR(ring(0)->thickness(), 5, 1e-9);
    EXPECT_NEAR(ring(19)->progress(), 0.8 - 19 * 0.025, 1e-9);
    EXPECT_EQ(ring(5)->center(), (CGPoint{50, 50}));
    // Ring 0 starts after 0.1 s, ring 1 after 0.2 s: a quarter turn each, opposite ways.
    EXPECT_NEAR(angle(*ring(0)), -kPi / 2, 1e-9);
    EXPECT_NEAR(angle(*ring(1)), kPi / 2, 1e-9);
    advance(0.61);
    EXPECT_NEAR(std::abs(angle(*ring(0))), kPi, 1e-9) << "the next quarter";
    rings->removeFromSuperview();
}

TEST(ActivityShuffle, EveryOrderComesUp) {
    std::set<std::vector<int>> seen;
    for (int i = 0; i < 400; ++i) {
        std::vector<int> items{1, 2, 3};
        CircularActivityView::randomizeArray(items);
        seen.insert(items);
    }
    EXPECT_EQ(seen.size(), 6u);
}

}  // namespace
