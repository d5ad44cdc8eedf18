// The text display view: label sizes and the centred group, the detail line coming and going,
// the outlined header, turning with the device, and blur mode, where the text only cuts the
// blur (a label colour changes no pixel) against plain mode, where the colours show.
#include <gtest/gtest.h>

#include <memory>
#include <numbers>

#include "platform/foundation/NSRunLoop.h"
#include "platform/quartzcore/CACompositor.h"
#include "platform/uikit/UIScreen.h"
#include "support/ImageRegions.h"
#include "ui/appearance/AppAppearance.h"
#include "ui/appearance/BoldLabel.h"
#include "ui/widgets/TextDisplayView.h"

namespace {

class TextDisplayViewTest : public ::testing::Test {
protected:
    void SetUp() override { loop.useManualClock(0); }
    void TearDown() override {
        loop.runUntilIdle();
        UIDeviceProfile::setCurrent(UIDeviceProfile::phone());
    }
    std::shared_ptr<TextDisplayView> view(CGFloat headerSize = 32) {
        auto v = TextDisplayView::textDisplayViewWithHeaderOfSize(headerSize);
        v->setFrame(CGRectMake(0, 0, 200, 150));
        return v;
    }
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
};

TEST_F(TextDisplayViewTest, HeaderLabelIsTheViewWidthPlusTwentyAndTheGroupIsCentred) {
    auto v = view();
    v->setHeaderText("42 %");
    const CGFloat text = NSStringDrawing::sizeWithAttributes("42 %", {AppAppearance::defaultFontOfSize(32)}).height;
    EXPECT_EQ(v->headerLabel()->bounds().size, (CGSize{220, text + 20}));
    EXPECT_EQ(v->groupView().center(), (CGPoint{100, 75}));
    EXPECT_EQ(v->groupView().bounds().size, v->headerLabel()->bounds().size);
    v->setHeaderText("two\nlines");
    EXPECT_NEAR(v->headerLabel()->bounds().size.height, 2 * text + 20, 1) << "line breaks count";
}

TEST_F(TextDisplayViewTest, DetailLineStacksUnderTheHeaderWithTheSpacing) {
    auto v = view();
    v->setDetailText("ignored");
    EXPECT_EQ(v->detailLabel(), nullptr) << "no detail line: nothing happens";
    v->setShowsDetailText(true);
    v->setTextSpacing(6);
    v->headerLabel()->setFrame(CGRectMake(0, 0, 120, 50));
    v->detailLabel()->setFrame(CGRectMake(0, 0, 80, 40));
    v->layoutLabels();
    EXPECT_EQ(v->groupView().bounds().size, (CGSize{120, 96}));
    EXPECT_EQ(v->groupView().center(), (CGPoint{100, 75}));
    EXPECT_EQ(v->headerLabel()->frame(), CGRectMake(0, 0, 120, 50));
    EXPECT_EQ(v->detailLabel()->frame(), CGRectMake(20, 56, 80, 40));

    v->setDetailText("12 photos");
    auto first = v->detailLabel();
    v->setShowsDetailText(false);
    v->setShowsDetailText(true);
    EXPECT_NE(v->detailLabel(), first);
    EXPECT_EQ(v->detailLabel()->text(), "");
}

TEST_F(TextDisplayViewTest, BoldHeaderReplacesTheLabelEachTimeAndNoKeepsIt) {
    auto v = view();
    v->setUseBoldHeader(true);
    auto first = v->headerLabel();
    ASSERT_TRUE(std::dynamic_pointer_cast<BoldLabel>(first));
    EXPECT_EQ(std::static_pointer_cast<BoldLabel>(first)->strokeWidth(), 0.5);
    EXPECT_EQ(first->font(), AppAppearance::defaultFontOfSize(32));
    v->setUseBoldHeader(true);
    EXPECT_NE(v->headerLabel(), first);
    EXPECT_EQ(first->superview(), nullptr);
    auto second = v->headerLabel();
    v->setUseBoldHeader(false);
    EXPECT_EQ(v->headerLabel(), second);
    EXPECT_EQ(second->superview(), &v->groupView());
}

TEST_F(TextDisplayViewTest, GroupTurnsWithTheDeviceOnAPhoneOnly) {
    auto v = view();
    v->setOrientation(3, false);
    loop.advance(0.01);
    const CGAffineTransform t = v->groupView().transform();
    EXPECT_NEAR(std::atan2(t.b, t.a), std::numbers::pi / 2, 1e-9);
    EXPECT_EQ(v->transform(), CGAffineTransformIdentity) << "the view itself stays";
    UIDeviceProfile::setCurrent(UIDeviceProfile::pad());
    auto pad = view();
    pad->setOrientation(3, true);
    EXPECT_EQ(pad->groupView().transform(), CGAffineTransformIdentity);
}

TEST_F(TextDisplayViewTest, BlurModeIgnoresLabelColoursAndPlainModeShowsThem) {
    auto root = std::make_shared<UIView>(CGRectMake(0, 0, 200, 150));
    root->setBackgroundColor(UIColor::blueColor());
    auto v = view(60);
    root->addSubview(v);
    v->setHeaderText("MMM");
    const CGRect middle{{60, 55}, {80, 40}};
    auto shot = [&] { return CACompositor::compose(*root->layer(), root->bounds().size, 2); };
    ASSERT_TRUE(v->useVisualEffect());
    const CGColor blurred = meanColorInPoints(shot(), middle, 2);
    EXPECT_GT(blurred.r, 0.2) << "the frosted text lightens the blue";
    v->setHeaderColor(UIColor::redColor());
    const CGColor recoloured = meanColorInPoints(shot(), middle, 2);
    expectColor(recoloured, blurred, "a label colour changes no pixel", 1e-9);

    v->setUseVisualEffect(false);
    EXPECT_EQ(v->visualEffectView(), nullptr);
    EXPECT_EQ(v->groupView().superview(), v.get());
    const CGColor plain = meanColorInPoints(shot(), middle, 2);
    EXPECT_GT(plain.r, 0.2);
    EXPECT_LT(plain.g, 0.05) << "red letters on blue";
}

}  // namespace
