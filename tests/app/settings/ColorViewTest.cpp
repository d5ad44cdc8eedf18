// The colour editor on the manual clock: colours set from outside move the sliders quietly,
// a drag on the hue slider recolours while keeping the other two components, and the two
// gradients follow.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/settings/ColorView.h"
#include "support/TouchHarness.h"
#include "ui/appearance/UIColor+ColorNaming.h"
#include "ui/appearance/UIColor+ColorUtility.h"

namespace {

void expectStops(const SlideView& slider, const std::function<UIColor(double)>& colorAt, const std::string& what) {
    const auto& stops = slider.gradientColors();
    ASSERT_EQ(stops.size(), 5u) << what;
    for (int i = 0; i < 5; ++i)
        expectColor(stops[i], colorAt(i * 0.25).CGColor(), what + " stop " + std::to_string(i), 1e-6);
}

class ColorViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        view = std::make_shared<ColorView>(ui.window->bounds());
        ui.window->addSubview(view);
        view->setColorChanged([this](const UIColor& c) {
            ++changes;
            last = c;
        });
        view->layoutIfNeeded();
    }
    static UIColor hsl(double h, double s, double l) {
        return ColorUtility::colorWithHueSaturationLightness(h, s, l, 1);
    }

    TouchHarness ui;
    std::shared_ptr<ColorView> view;
    int changes = 0;
    UIColor last = UIColor::clearColor();
};

}  // namespace

TEST_F(ColorViewTest, ASetColorMovesEverySliderAndNamesItOneWordALineQuietly) {
    struct Case {
        double h, s, l;
    };
    for (const Case& c : std::vector<Case>{{0.02, 1, 0.5}, {0.6, 0.4, 0.3}, {0.15, 0.9, 0.8}, {0.8, 0.2, 0.1}}) {
        const UIColor color = hsl(c.h, c.s, c.l);
        view->setColor(color);
        EXPECT_NEAR(view->hueSlideView()->value(), c.h, 1e-6);
        EXPECT_NEAR(view->saturationSlideView()->value(), c.s, 1e-6);
        EXPECT_NEAR(view->lightnessSlideView()->value(), c.l, 1e-6);
        expectColor(view->color().CGColor(), color.CGColor(), "the colour", 1e-6);
        std::string name = ColorNaming::colorName(color);
        std::replace(name.begin(), name.end(), ' ', '\n');
        EXPECT_EQ(view->colorTextDisplayView()->headerText(), name);
        EXPECT_EQ(view->colorTextDisplayView()->headerText().find(' '), std::string::npos);
        expectColor(view->colorDisplayView()->progressColor()->CGColor(), color.CGColor(), "the ring", 1e-6);
    }
    EXPECT_EQ(changes, 0);
    // Several words, several lines.
    view->setColor(hsl(0.6, 0.4, 0.3));
    EXPECT_NE(view->colorTextDisplayView()->headerText().find('\n'), std::string::npos)
        << view->colorTextDisplayView()->headerText();
}

TEST_F(ColorViewTest, AHueDragKeepsSaturationAndLightnessAndTheGradientsFollow) {
    // Sliders stacked from the bottom: hue lowest, then saturation and lightness 42 points up.
    const CGFloat h = view->bounds().size.height;
    EXPECT_EQ(view->hueSlideView()->frame(), CGRectMake(0, h - 62, view->bounds().size.width, 57));
    EXPECT_EQ(view->saturationSlideView()->frame().origin.y, h - 104);
    EXPECT_EQ(view->lightnessSlideView()->frame().origin.y, h - 146);
    // The ring's centre 0.63 of the height up from the bottom.
    EXPECT_NEAR(view->colorDisplayView()->center().y, 0.37 * h, 1e-9);

    view->setColor(hsl(0.1, 0.7, 0.4));
    view->animateColorView(true, nullptr);
    ui.advance(1.0);
    EXPECT_EQ(view->colorDisplayView()->layer()->presentation().opacity, 1);
    const CGRect hue = view->hueSlideView()->convertRectToView(view->hueSlideView()->bounds(), nullptr);
    ui.drag(100, CGRectGetMidY(hue), 220, CGRectGetMidY(hue), 0.4);
    ui.advance(0.5);
    ASSERT_GT(changes, 0);
    EXPECT_GT(view->hue(), 0.15) << "moved right";
    EXPECT_NEAR(view->saturation(), 0.7, 1e-6);
    EXPECT_NEAR(view->lightness(), 0.4, 1e-6);
    expectColor(last.CGColor(), hsl(view->hue(), 0.7, 0.4).CGColor(), "the reported colour", 1e-6);
    const double newHue = view->hue();
    expectStops(
        *view->lightnessSlideView(), [&](double l) { return hsl(newHue, 0.7, l); }, "lightness");
    expectStops(
        *view->saturationSlideView(), [&](double s) { return hsl(newHue, s, 0.4); }, "saturation");
    expectColor(view->hueSlideView()->indicatorView()->backgroundColor()->CGColor(), hsl(newHue, 0.7, 0.5).CGColor(),
                "hue knob", 1e-6);
}
