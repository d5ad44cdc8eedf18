// Visual-effect views composed: the blur of what lies below with each style's tint, vibrancy's
// faded content, and a mask cutting the effect to its shape.
#include <gtest/gtest.h>

#include "platform/quartzcore/CACompositor.h"
#include "platform/uikit/UIBlurEffect.h"
#include "platform/uikit/UIVibrancyEffect.h"
#include "platform/uikit/UIVisualEffectView.h"
#include "support/ImageRegions.h"

namespace {

constexpr double kScale = 2;

class VisualEffectViewTest : public ::testing::Test {
protected:
    // A 200 x 100 scene: black on the left half, white on the right.
    void SetUp() override {
        root = std::make_shared<UIView>(CGRectMake(0, 0, 200, 100));
        root->setBackgroundColor(UIColor::whiteColor());
        auto black = std::make_shared<UIView>(CGRectMake(0, 0, 100, 100));
        black->setBackgroundColor(UIColor::blackColor());
        root->addSubview(black);
    }
    CGColor mean(CGRect points) {
        return meanColorInPoints(CACompositor::compose(*root->layer(), {200, 100}, kScale), points, kScale);
    }
    std::shared_ptr<UIView> root;
};

}  // namespace

TEST_F(VisualEffectViewTest, BlurMixesAcrossTheEdgeBelowAndEachStyleTintsIt) {
    struct Case {
        UIBlurEffectStyle style;
        double overBlack, overWhite;  // grey levels far from the edge
    } cases[] = {{UIBlurEffectStyle::ExtraLight, 0.75, 1},
                 {UIBlurEffectStyle::Light, 0.3, 1},
                 {UIBlurEffectStyle::Dark, 0, 0.45}};
    for (const Case& c : cases) {
        auto effect = std::make_shared<UIVisualEffectView>(UIBlurEffect::effectWithStyle(c.style), root->bounds());
        root->addSubview(effect);
        const std::string what = "style " + std::to_string(static_cast<int>(c.style));
        expectColor(mean({{2, 40}, {20, 20}}), {c.overBlack, c.overBlack, c.overBlack, 1}, what + " over black", 0.04);
        expectColor(mean({{178, 40}, {20, 20}}), {c.overWhite, c.overWhite, c.overWhite, 1}, what + " over white",
                    0.04);
        // Just left of the edge the white beyond it bleeds in; untinted black would stay 0.
        const double nearEdge = mean({{94, 40}, {4, 20}}).r, far = mean({{2, 40}, {20, 20}}).r;
        const double range = c.overWhite - c.overBlack;  // what the tint leaves of black to white
        EXPECT_GT(nearEdge, far + 0.2 * range) << what;
        EXPECT_LT(mean({{102, 40}, {4, 20}}).r, c.overWhite - 0.2 * range) << what;
        effect->removeFromSuperview();
    }
}

TEST_F(VisualEffectViewTest, InsideAFadingContainerTheContainersOwnDrawingLiesBelow) {
    auto container = std::make_shared<UIView>(CGRectMake(0, 0, 200, 100));
    container->setAlpha(0.99);
    auto black = std::make_shared<UIView>(CGRectMake(100, 0, 100, 100));  // now the right half too
    black->setBackgroundColor(UIColor::blackColor());
    container->addSubview(black);
    container->addSubview(std::make_shared<UIVisualEffectView>(UIBlurEffect::effectWithStyle(UIBlurEffectStyle::Light),
                                                               container->bounds()));
    root->addSubview(container);
    expectColor(mean({{150, 40}, {40, 20}}), {0.3, 0.3, 0.3, 1}, "light tint over the container's black", 0.04);
}

TEST_F(VisualEffectViewTest, VibrancyFadesItsContentAndAMaskCutsTheBlurToItsShape) {
    auto vibrancy = std::make_shared<UIVisualEffectView>(
        UIVibrancyEffect::effectForBlurEffect(UIBlurEffect::effectWithStyle(UIBlurEffectStyle::Dark)),
        CGRectMake(100, 0, 100, 100));
    auto content = std::make_shared<UIView>(CGRectMake(0, 0, 100, 50));
    content->setBackgroundColor(UIColor::redColor());
    vibrancy->contentView()->addSubview(content);
    root->addSubview(vibrancy);
    expectColor(mean({{110, 10}, {80, 30}}), {1, 0.4, 0.4, 1}, "vibrant content over white");
    expectColor(mean({{110, 60}, {80, 30}}), {1, 1, 1, 1}, "no blur and no tint under vibrancy");
    vibrancy->removeFromSuperview();

    auto blur =
        std::make_shared<UIVisualEffectView>(UIBlurEffect::effectWithStyle(UIBlurEffectStyle::Dark), root->bounds());
    auto mask = CALayer::layer();
    mask->setFrame(CGRectMake(0, 0, 200, 50));
    mask->setBackgroundColor(CGColor{0, 0, 0, 1});
    blur->layer()->setMask(mask);
    root->addSubview(blur);
    expectColor(mean({{150, 10}, {40, 30}}), {0.45, 0.45, 0.45, 1}, "tinted inside the mask");
    expectColor(mean({{150, 60}, {40, 30}}), {1, 1, 1, 1}, "untouched outside it");
}
