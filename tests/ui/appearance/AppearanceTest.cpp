// The application's look: the palette against the device, the kept tint, special colours
// installed behind views (and left alone by a view they moved away from), their layers
// following layout on screen, and the shared background's cross-fades.
#include <gtest/gtest.h>

#include <memory>

#include "model/DeviceUtility.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/quartzcore/CACompositor.h"
#include "platform/uikit/UIGraphics.h"
#include "platform/uikit/UIBlurEffect.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UINavigationBar.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UIScreen.h"
#include "support/ImageRegions.h"
#include "ui/appearance/AppAppearance.h"
#include "ui/appearance/UIColor+AppearanceUtility.h"
#include "ui/appearance/UIColor+ColorUtility.h"
#include "ui/appearance/UIView+AppearanceUtility.h"

namespace {

class AppearanceTest : public ::testing::Test {
protected:
    void SetUp() override { loop.useManualClock(0); }
    void TearDown() override {
        loop.runUntilIdle();
        AppAppearance::setTintColor(std::nullopt);
        UIDeviceProfile::setCurrent(UIDeviceProfile::phone());
    }
    CGImageRef shot(UIView& view) { return CACompositor::compose(*view.layer(), view.bounds().size, 2); }
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
};

CGColor rgb(const UIColor& c) { return c.CGColor(); }

TEST_F(AppearanceTest, SecondaryColoursFollowTheTransparentCameraView) {
    struct Case {
        const char* profile;
        UIDeviceProfile device;
        double grey;
        CGColor title;
    };
    const Case cases[] = {
        {"phone", UIDeviceProfile::phone(), 152, {223.4 / 255, 223.4 / 255, 215.0 / 255, 1}},
        {"pad", UIDeviceProfile::pad(), 182, {232.4 / 255, 232.4 / 255, 224.0 / 255, 1}},
    };
    for (const Case& c : cases) {
        UIDeviceProfile::setCurrent(c.device);
        expectColor(rgb(AppAppearance::defaultSecondaryColor()), {c.grey / 255, c.grey / 255, c.grey / 255, 1},
                    c.profile, 1e-9);
        expectColor(rgb(AppAppearance::defaultExpandCollapseColor()), rgb(AppAppearance::defaultSecondaryColor()),
                    c.profile, 1e-9);
        expectColor(rgb(AppAppearance::defaultTitleColor()), c.title, c.profile, 0.002);
    }
}

TEST_F(AppearanceTest, KeptTintLeadsTheTypeBackgroundAndLeavesTheDefault) {
    const CGColor defaultTint = rgb(ColorUtility::colorWithHexString("2671a7"));
    expectColor(rgb(AppAppearance::tintColor()), defaultTint, "default until set", 1e-9);
    const std::vector<CGColor> before = AppearanceUtility::gradientColors(AppAppearance::defaultTypeBackgroundColor());
    AppAppearance::setTintColor(UIColor::redColor());
    expectColor(rgb(AppAppearance::tintColor()), {1, 0, 0, 1}, "the kept tint", 1e-9);
    expectColor(rgb(AppAppearance::defaultTintColor()), defaultTint, "default unchanged", 1e-9);
    const UIColor type = AppAppearance::defaultTypeBackgroundColor();
    ASSERT_TRUE(AppearanceUtility::isGradient(type));
    const std::vector<CGColor> after = AppearanceUtility::gradientColors(type);
    ASSERT_EQ(after.size(), 2u);
    const CGColor expected =
        rgb(ColorUtility::blendWithColor(ColorUtility::colorWithHexString("32353c"), UIColor::redColor(), 0.1));
    expectColor(after[0], expected, "blended a tenth toward the tint", 1e-9);
    EXPECT_NE(after[0], before[0]);
    EXPECT_FALSE(AppearanceUtility::isGradient(AppAppearance::defaultTintColor()));
    EXPECT_EQ(type.alpha(), 0) << "a special colour paints nothing itself";
}

TEST_F(AppearanceTest, GradientInstallsBehindContentAndAPlainColourRemovesIt) {
    auto view = std::make_shared<UIView>(CGRectMake(0, 0, 40, 30));
    auto content = std::make_shared<UIView>(CGRectMake(0, 0, 10, 10));
    view->addSubview(content);
    const UIColor gradient = AppearanceUtility::colorWithGradient({UIColor::redColor(), UIColor::blueColor()});
    view->setBackgroundColor(gradient);
    std::shared_ptr<CALayer> installed = AppearanceUtility::backgroundLayer(*view);
    ASSERT_EQ(installed, gradient.carriedObject());
    EXPECT_EQ(view->layer()->sublayers().front(), installed) << "behind the content";
    EXPECT_EQ(installed->frame(), view->bounds());
    EXPECT_TRUE(view->clipsToBounds());
    view->setBackgroundColor(UIColor::greenColor());
    EXPECT_EQ(installed->superlayer(), nullptr);
    EXPECT_EQ(view->layer()->objectForKey(AppearanceUtility::kCustomBackgroundKey), nullptr);
    EXPECT_EQ(AppearanceUtility::backgroundLayer(*view), nullptr);

    // An effect colour: a blur view whose layer goes behind the content.
    auto blur = UIBlurEffect::effectWithStyle(UIBlurEffectStyle::Dark);
    const UIColor effect = AppearanceUtility::colorWithVisualEffect(blur, UIColor::redColor());
    EXPECT_TRUE(AppearanceUtility::isVisualEffect(effect));
    EXPECT_FALSE(AppearanceUtility::isGradient(effect));
    EXPECT_EQ(AppearanceUtility::visualEffect(effect), blur);
    EXPECT_EQ(AppearanceUtility::visualEffect(gradient), nullptr);
    view->setBackgroundColor(effect);
    auto effectView = std::static_pointer_cast<UIVisualEffectView>(effect.carriedObject());
    EXPECT_EQ(AppearanceUtility::backgroundLayer(*view), effectView->layer());
    EXPECT_FALSE(effectView->isUserInteractionEnabled());
    EXPECT_EQ(effectView->contentView()->backgroundColor(), UIColor::redColor());

    // A colour carrying a view installs that view's layer, not the view itself.
    auto carried = std::make_shared<UIView>();
    view->setBackgroundColor(AppearanceUtility::colorWithView(carried));
    EXPECT_EQ(AppearanceUtility::backgroundLayer(*view), carried->layer());
    EXPECT_EQ(carried->superview(), nullptr);
    EXPECT_EQ(view->subviews().size(), 1u);
}

TEST_F(AppearanceTest, GradientBehindAViewFollowsItsSizeAfterLayout) {
    auto view = std::make_shared<UIView>(CGRectMake(0, 0, 40, 40));
    view->setBackgroundColor(AppearanceUtility::colorWithGradient({UIColor::redColor(), UIColor::redColor()}));
    view->setFrame(CGRectMake(0, 0, 100, 80));
    // Before the layout pass the grown part is empty; composing lays out first.
    EXPECT_EQ(AppearanceUtility::backgroundLayer(*view)->bounds().size, (CGSize{40, 40}));
    const CGImageRef image = shot(*view);
    expectColor(meanColorInPoints(image, {{60, 50}, {40, 30}}, 2), {1, 0, 0, 1}, "the grown corner is red");
}

TEST_F(AppearanceTest, ViewLeavesAloneTheLayerItsColourMovedToAnotherView) {
    auto first = std::make_shared<UIView>(CGRectMake(0, 0, 40, 40));
    auto second = std::make_shared<UIView>(CGRectMake(0, 0, 90, 60));
    const UIColor gradient = AppearanceUtility::colorWithGradient({UIColor::redColor(), UIColor::blueColor()});
    first->setBackgroundColor(gradient);
    second->setBackgroundColor(gradient);
    std::shared_ptr<CALayer> layer = AppearanceUtility::backgroundLayer(*second);
    EXPECT_EQ(layer->superlayer(), second->layer().get()) << "the one layer moved";
    // The first view's layout and new colour must not pull it out of the second view.
    first->setBounds(CGRectMake(0, 0, 20, 20));
    first->layoutIfNeeded();
    EXPECT_EQ(layer->bounds().size, (CGSize{90, 60}));
    first->setBackgroundColor(UIColor::whiteColor());
    EXPECT_EQ(layer->superlayer(), second->layer().get());
    EXPECT_EQ(AppearanceUtility::backgroundLayer(*first), nullptr);
    expectColor(meanColorInPoints(shot(*second), {{40, 0}, {10, 4}}, 2), {1, 0, 0, 1}, "still drawn in the second",
                0.1);
}

TEST_F(AppearanceTest, SharedBackgroundStaysInTheFirstViewAndCrossFades) {
    auto firstScreen = std::make_shared<UIView>(AppConstants::screenBounds());
    auto secondScreen = std::make_shared<UIView>(AppConstants::screenBounds());
    std::shared_ptr<UIView> background = AppAppearance::backgroundView(*firstScreen);
    EXPECT_EQ(AppAppearance::backgroundView(*secondScreen), background);
    EXPECT_EQ(background->superview(), firstScreen.get());
    EXPECT_EQ(firstScreen->subviews().front(), background);
    EXPECT_EQ(background->frame().origin.y, -44);
    EXPECT_EQ(background->frame().size.height, AppConstants::screenBounds().size.height + 44);
    for (const auto& old : std::vector(background->subviews())) old->removeFromSuperview();

    // Two quick cross-fades: each removes what was first when it began.
    auto a = std::make_shared<UIView>(), b = std::make_shared<UIView>(), c = std::make_shared<UIView>();
    AppAppearance::setBackgroundWithView(*secondScreen, a, false);
    loop.advance(0.01);
    ASSERT_EQ(background->subviews(), (std::vector<std::shared_ptr<UIView>>{a}));
    AppAppearance::setBackgroundWithView(*secondScreen, b, true);
    loop.advance(0.1);
    AppAppearance::setBackgroundWithView(*secondScreen, c, true);
    EXPECT_EQ(background->subviews().size(), 3u);
    loop.advance(0.21);
    EXPECT_EQ(background->subviews(), (std::vector<std::shared_ptr<UIView>>{b, c})) << "the first fade removed a";
    loop.advance(0.1);
    EXPECT_EQ(background->subviews(), (std::vector<std::shared_ptr<UIView>>{b, c})) << "the second also named a";
    EXPECT_EQ(b->frame(), background->bounds());

    // A picture: blurred, veiled, over the background; none fades it out again.
    for (const auto& old : std::vector(background->subviews())) old->removeFromSuperview();
    AppAppearance::setBackgroundWithColor(*firstScreen, UIColor::whiteColor());
    loop.advance(0.01);
    UIGraphicsBeginImageContextWithOptions({64, 64}, true, 1);
    CGContextSetFillColorWithColor(UIGraphicsGetCurrentContext(), {1, 1, 0, 1});
    CGContextFillRect(UIGraphicsGetCurrentContext(), CGRectMake(0, 0, 64, 64));
    UIImagePtr yellow = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    AppAppearance::setBackgroundWithImage(*firstScreen, yellow, false);
    loop.advance(0.01);
    ASSERT_EQ(background->subviews().size(), 2u);
    const CGImageRef image = shot(*firstScreen);
    expectColor(meanColorInPoints(image, {{100, 300}, {50, 50}}, UIScreen::mainScreen().scale()), {0.35, 0.35, 0, 1},
                "yellow under a 0.65 black veil", 0.03);
    AppAppearance::setBackgroundWithImage(*firstScreen, nullptr, true);
    loop.advance(0.31);
    EXPECT_EQ(background->subviews().size(), 1u);
    AppAppearance::setBackgroundWithImage(*firstScreen, nullptr, true);
    loop.advance(0.31);
    EXPECT_EQ(background->subviews().size(), 1u) << "no picture: nothing changes";
}

TEST_F(AppearanceTest, BarsAreTranslucentOnlyForATranslucentColourAndLoseTheirHairlineWithoutShadow) {
    struct Case {
        const char* name;
        UIColor colour;
        bool shadow, translucent;
    };
    const Case cases[] = {
        {"clear, with hairline", UIColor::clearColor(), true, true},
        {"opaque, without", AppAppearance::defaultDarkColor(), false, false},
        {"half transparent", AppAppearance::defaultTransparentCameraBarColor(), false, true},
    };
    for (const Case& c : cases) {
        auto root = std::make_shared<UIViewController>();
        auto navigation = std::make_shared<UINavigationController>(root);
        AppAppearance::setNavigationBar(*root, c.colour, c.shadow);
        const UINavigationBar& bar = *navigation->navigationBar();
        EXPECT_EQ(bar.isTranslucent(), c.translucent) << c.name;
        EXPECT_EQ(bar.barStyle(), UIBarStyle::Black) << c.name;
        EXPECT_EQ(bar.barTintColor(), c.colour) << c.name;
        EXPECT_EQ(bar.tintColor(), AppAppearance::defaultSecondaryColor()) << c.name;
        ASSERT_NE(bar.backgroundImage(), nullptr) << c.name;
        EXPECT_EQ(bar.backgroundImage()->size(), (CGSize{1, 1})) << c.name;
        EXPECT_EQ(bar.shadowImage() == nullptr, c.shadow) << c.name << ": none keeps the hairline";
        if (!c.shadow) {
            EXPECT_EQ(bar.shadowImage()->size(), CGSizeZero) << c.name;
        }
        EXPECT_EQ(root->edgesForExtendedLayout(), UIRectEdgeNone) << c.name;
        EXPECT_FALSE(root->automaticallyAdjustsScrollViewInsets()) << c.name;

        UIToolbar toolbar;
        AppAppearance::setToolbar(toolbar, c.colour, c.shadow);
        EXPECT_EQ(toolbar.isTranslucent(), c.translucent) << c.name;
        EXPECT_EQ(toolbar.barTintColor(), c.colour) << c.name;
    }
}

TEST_F(AppearanceTest, TitleViewIsSizedToItsTextInTheTitleFont) {
    auto label = AppAppearance::titleViewWithString("Settings");
    EXPECT_EQ(label->font(), AppAppearance::defaultFontOfSize(14));
    EXPECT_EQ(label->font().fontName(), "STHeitiTC-Medium");
    EXPECT_EQ(label->bounds().size, label->sizeThatFits({0, 0}));
    EXPECT_GT(label->bounds().size.width, 30);
}

}  // namespace
