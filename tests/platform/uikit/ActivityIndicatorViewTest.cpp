// The activity indicator on the manual clock, read from composited screenshots: hidden while
// stopped, the bright spoke stepping round every 1/12 s, the styles' sizes and colours.
#include <gtest/gtest.h>

#include "platform/uikit/UIActivityIndicatorView.h"
#include "support/TouchHarness.h"

TEST(ActivityIndicatorViewTest, SpokesStepEveryTwelfthOfASecondAndHideWhenStopped) {
    TouchHarness ui;
    auto spinner = std::make_shared<UIActivityIndicatorView>(UIActivityIndicatorViewStyle::WhiteLarge);
    spinner->setCenter({100, 100});
    ui.window->addSubview(spinner);
    EXPECT_EQ(spinner->bounds().size, (CGSize{37, 37}));
    const CGRect top = CGRectMake(96, 83, 8, 6), right = CGRectMake(111, 96, 6, 8);  // spokes 0 and 3
    EXPECT_LT(ui.meanColor(top).r, 0.05) << "hidden before it starts";

    spinner->startAnimating();
    ui.advance(0.01);
    const CGFloat topFirst = ui.meanColor(top).r, rightFirst = ui.meanColor(right).r;
    EXPECT_GT(topFirst, 0.2) << "shown once started";
    ui.advance(3.0 / 12);
    EXPECT_EQ(spinner->step(), 3);
    // Spoke 3 goes from nine steps behind to brightest; spoke 0 fades a little.
    EXPECT_GT(ui.meanColor(right).r, 2 * rightFirst) << "three steps on, spoke 3";
    EXPECT_LT(ui.meanColor(top).r, topFirst);

    spinner->stopAnimating();
    ui.advance(1);
    EXPECT_EQ(spinner->step(), 3) << "stopped";
    EXPECT_LT(ui.meanColor(right).r, 0.05);

    // The grey style: 20 points, grey spokes; shown while stopped when asked.
    spinner->setActivityIndicatorViewStyle(UIActivityIndicatorViewStyle::Gray);
    spinner->setHidesWhenStopped(false);
    EXPECT_EQ(spinner->bounds().size, (CGSize{20, 20}));
    EXPECT_EQ(spinner->center(), (CGPoint{100, 100}));
    const CGColor grey = ui.meanColor(CGRectMake(98, 90, 4, 3));
    EXPECT_GT(grey.r, 0.15);
    EXPECT_LT(grey.r, 0.55);
}
