// The compositor: layer trees drawn into one picture, checked by regions of that picture.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

#include "platform/quartzcore/CACompositor.h"
#include "platform/quartzcore/CAGradientLayer.h"
#include "platform/quartzcore/CAShapeLayer.h"
#include "platform/uikit/NSStringDrawing.h"
#include "support/ImageRegions.h"

namespace {

constexpr double kScale = 2;
constexpr CGColor kWhite{1, 1, 1, 1}, kRed{1, 0, 0, 1}, kBlue{0, 0, 1, 1}, kBlack{0, 0, 0, 1};

// A 100 x 100 point screen at scale 2 over a background.
struct Screen {
    std::shared_ptr<CALayer> root = CALayer::layer();
    explicit Screen(std::optional<CGColor> background = kWhite) {
        root->setFrame(CGRectMake(0, 0, 100, 100));
        root->setBackgroundColor(background);
    }
    template <typename Layer = CALayer>
    std::shared_ptr<Layer> add(CGRect frame, std::optional<CGColor> background, CALayer* parent = nullptr) {
        auto layer = std::make_shared<Layer>();
        layer->setFrame(frame);
        layer->setBackgroundColor(background);
        (parent ? parent : root.get())->addSublayer(layer);
        return layer;
    }
    CGImageRef shot() const { return CACompositor::compose(*root, {100, 100}, kScale); }
    // Mean colour of a square of `side` points centred on (x, y).
    CGColor at(double x, double y, double side = 1) const {
        return meanColorInPoints(shot(), {{x - side / 2, y - side / 2}, {side, side}}, kScale);
    }
};

TEST(Compositor, RotatedLayerTurnsAboutItsAnchor) {
    Screen s;
    auto layer = s.add({{30, 30}, {40, 40}}, kRed);
    layer->setAffineTransform(CGAffineTransformMakeRotation(std::numbers::pi / 4));
    expectColor(s.at(32, 32), kWhite, "the square's corner is cleared by the turn");
    expectColor(s.at(50, 24), kRed, "the diamond's tip reaches above the square");
    expectColor(s.at(50, 50, 10), kRed, "centre");
}

TEST(Compositor, GroupOpacityAppliesOnceToOverlappingChildren) {
    Screen s;
    auto group = s.add({{10, 10}, {80, 40}}, std::nullopt);
    group->setOpacity(0.5);
    s.add({{0, 0}, {50, 40}}, kBlack, group.get());
    s.add({{30, 0}, {50, 40}}, kBlack, group.get());
    const CGColor alone = s.at(20, 30, 6), overlap = s.at(50, 30, 6);
    expectColor(alone, {0.5, 0.5, 0.5, 1}, "one child at half opacity");
    expectColor(overlap, alone, "no darker where they overlap", 0.01);
}

TEST(Compositor, MasksToBoundsClipsWithTheCornerRadius) {
    Screen s(std::nullopt);
    auto card = s.add({{20, 20}, {60, 60}}, std::nullopt);
    card->setCornerRadius(20);
    card->setMasksToBounds(true);
    s.add({{-10, -10}, {80, 80}}, kRed, card.get());
    expectColor(s.at(22, 22), {0, 0, 0, 0}, "a clear corner");
    expectColor(s.at(50, 21), kRed, "the straight edge");
    expectColor(s.at(50, 50, 20), kRed, "centre");
    expectColor(s.at(10, 50), {0, 0, 0, 0}, "the sublayer is cut at the bounds");
}

TEST(Compositor, BorderIsDrawnOverSublayers) {
    Screen s;
    auto framed = s.add({{20, 20}, {60, 60}}, std::nullopt);
    framed->setBorderWidth(4);
    framed->setBorderColor(kBlue);
    s.add({{0, 0}, {60, 60}}, kRed, framed.get());
    expectColor(s.at(22, 50), kBlue, "border over the sublayer");
    expectColor(s.at(50, 50, 10), kRed, "inside");
}

TEST(Compositor, ShadowIsTheLayersBlurredOffsetAlphaFadingOutwards) {
    Screen s;
    auto card = s.add({{30, 30}, {40, 20}}, kBlack);
    card->setShadowOpacity(1);
    card->setShadowColor(kBlue);
    card->setShadowRadius(6);
    card->setShadowOffset({0, 8});  // down
    const CGColor near = s.at(50, 54), far = s.at(50, 60), beyond = s.at(50, 75), above = s.at(50, 28);
    EXPECT_GT(1 - near.r, 0.4) << "blue shadow just below";
    EXPECT_NEAR(near.b, 1, 0.01);
    EXPECT_GT(near.r + 0.1, 0) << near.r;
    EXPECT_LT(1 - far.r, 1 - near.r) << "fading outwards";
    EXPECT_GT(1 - far.r, 0.02);
    expectColor(beyond, kWhite, "nothing past the blur");
    EXPECT_LT(1 - above.r, 1 - near.r) << "the offset moved it down";
    expectColor(s.at(50, 40, 8), kBlack, "the layer covers its shadow");
}

TEST(Compositor, PerspectiveMakesTheFarEdgeShorter) {
    Screen s;
    auto card = s.add({{20, 20}, {60, 60}}, kRed);
    CATransform3D t = CATransform3DIdentity;
    t.m34 = -1.0 / 150;
    t = CATransform3DRotate(t, std::numbers::pi / 4, 0, 1, 0);
    card->setTransform(t);
    // Where does each vertical edge go, and which one lies farther away (larger w)?
    const CATransform3D full = CATransform3DConcat(t, CATransform3DMakeTranslation(50, 50, 0));
    auto w = [&](double x) { return x * full.m14 + full.m44; };
    const double leftX = CATransform3DApplyToPoint(full, {-30, 0}).x,
                 rightX = CATransform3DApplyToPoint(full, {30, 0}).x;
    auto redHeight = [&](double x) {
        const CGImageRef shot = s.shot();
        int rows = 0;
        for (int y = 0; y < 200; ++y)
            if (CGImageGetPixel(shot, static_cast<std::size_t>(x * kScale), static_cast<std::size_t>(y)).g < 0.5)
                ++rows;
        return rows / kScale;
    };
    const double leftHeight = redHeight(leftX + 1), rightHeight = redHeight(rightX - 1);
    const bool leftFar = w(-30) > w(30);
    EXPECT_LT(leftFar ? leftHeight : rightHeight, (leftFar ? rightHeight : leftHeight) - 10)
        << "narrower at the far edge";
    EXPECT_LT(rightX - leftX, 60) << "foreshortened";
    expectColor(s.at(leftX - 3, 50), kWhite, "nothing outside the warped outline");

    // A sublayer reaching out of the bounds is warped with them.
    s.add({{25, 65}, {10, 10}}, kBlue, card.get());  // centred 40 points below the card's centre, on its axis
    expectColor(s.at(50, 90, 2), kBlue, "sublayer outside the bounds");
}

TEST(Compositor, MaskCutsByItsRenderedAlpha) {
    struct Case {
        CAFillRule rule;
        CGColor centre;
    } cases[] = {{CAFillRule::EvenOdd, kWhite}, {CAFillRule::NonZero, kRed}};
    for (const Case& c : cases) {
        Screen s;
        auto layer = s.add({{20, 20}, {60, 60}}, kRed);
        auto mask = CAShapeLayer::layer();
        mask->setFrame(CGRectMake(0, 0, 60, 60));
        auto path = CGPathCreateMutable();
        CGPathAddRect(path, nullptr, CGRectMake(0, 0, 60, 60));
        CGPathAddRect(path, nullptr, CGRectMake(20, 20, 20, 20));
        mask->setPath(path);
        mask->setFillRule(c.rule);
        layer->setMask(mask);
        const std::string what = c.rule == CAFillRule::EvenOdd ? "even-odd" : "non-zero";
        expectColor(s.at(50, 50, 10), c.centre, what + " centre");
        expectColor(s.at(28, 28, 4), kRed, what + " ring");
    }
}

// Draws a word into the layer it is delegate of, as a view would.
struct WordDrawer : CALayerDelegate {
    void drawLayer(CALayer&, const CGContextRef& context) override {
        NSStringDrawing::drawAtPointInContext(context, "TT", {0, 0},
                                              {UIFont::boldSystemFontOfSize(40), UIColor::blackColor()});
    }
};

TEST(Compositor, TextCanServeAsAMask) {
    Screen s;
    auto layer = s.add({{0, 20}, {100, 60}}, kRed);
    WordDrawer drawer;
    auto mask = CALayer::layer();
    mask->setFrame(CGRectMake(0, 0, 100, 60));
    mask->setContentsScale(kScale);
    mask->setDelegate(&drawer);
    mask->setNeedsDisplay();
    layer->setMask(mask);
    const CGImageRef shot = s.shot();
    const CGSize text =
        NSStringDrawing::sizeWithAttributes("TT", {UIFont::boldSystemFontOfSize(40), UIColor::blackColor()});
    const CGColor letters = meanColorInPoints(shot, {{0, 20}, text}, kScale);
    EXPECT_GT(1 - letters.g, 0.1) << "red shows through the letters";
    EXPECT_LT(1 - letters.g, 0.8) << "and only there";
    expectColor(meanColorInPoints(shot, {{text.width + 5, 25}, {20, 50}}, kScale), kWhite, "past the text");
}

TEST(Compositor, RenderInContextMatchesItsRegionOfTheScreen) {
    Screen s;
    auto panel = s.add({{30, 20}, {50, 40}}, CGColor{0.2, 0.6, 0.3, 1});
    panel->setCornerRadius(8);
    panel->setBorderWidth(2);
    panel->setBorderColor(kBlue);
    auto child = s.add({{5, 5}, {20, 10}}, kRed, panel.get());
    child->setAffineTransform(CGAffineTransformMakeRotation(0.3));
    child->setOpacity(0.7);
    const CGImageRef shot = s.shot();

    // A y-down context of the panel's size at the same scale, as an image context is.
    auto context = CGBitmapContextCreate(nullptr, 100, 80, 8, 0, CGColorSpaceCreateDeviceRGB(),
                                         kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little);
    CGContextSetRGBFillColor(context, 1, 1, 1, 1);
    CGContextFillRect(context, CGRectMake(0, 0, 100, 80));
    CGContextTranslateCTM(context, 0, 80);
    CGContextScaleCTM(context, kScale, -kScale);
    panel->renderInContext(context);
    const CGImageRef rendered = CGBitmapContextCreateImage(context);
    double worst = 0;
    for (std::size_t y = 0; y < 80; ++y)
        for (std::size_t x = 0; x < 100; ++x) {
            const CGColor a = CGImageGetPixel(rendered, x, y), b = CGImageGetPixel(shot, x + 60, y + 40);
            worst = std::max({worst, std::fabs(a.r - b.r), std::fabs(a.g - b.g), std::fabs(a.b - b.b)});
        }
    EXPECT_LT(worst, 0.02);
}

TEST(Compositor, LayerTurnedAboutYIsHitOnlyWhereDrawn) {
    Screen s;
    auto card = s.add({{50, 25}, {100, 50}}, kRed);  // centred at x = 100
    s.root->setFrame(CGRectMake(0, 0, 200, 100));
    card->setTransform(CATransform3DMakeRotation(std::numbers::pi / 3, 0, 1, 0));  // drawn 50 wide
    const CGImageRef shot = CACompositor::compose(*s.root, {200, 100}, kScale);
    expectColor(meanColorInPoints(shot, {{115, 45}, {6, 10}}, kScale), kRed, "within the drawn half width");
    expectColor(meanColorInPoints(shot, {{130, 45}, {6, 10}}, kScale), kWhite, "outside it");
    EXPECT_EQ(s.root->hitTest({118, 50}), card.get());
    EXPECT_EQ(s.root->hitTest({133, 50}), s.root.get());
    EXPECT_NEAR(card->convertPointFromLayer({125, 50}, s.root.get()).x, 100, 1e-9) << "the right edge";
    EXPECT_NEAR(card->convertPointToLayer({100, 0}, s.root.get()).x, 125, 1e-9);
}

TEST(Compositor, ContentsFollowGravityAndDrawnContentIsKeptUntilMarked) {
    // A 2 x 1 image, red then blue, shown aspect-fit in a square: letterboxed top and bottom.
    auto image = CGImageCreate(2, 1, 8, 32, 8, CGColorSpaceCreateDeviceRGB(), kCGImageAlphaLast,
                               {255, 0, 0, 255, 0, 0, 255, 255});
    Screen s;
    auto pictured = s.add({{0, 0}, {100, 100}}, std::nullopt);
    pictured->setContents(image);
    pictured->setContentsGravity(CAContentsGravity::ResizeAspect);
    expectColor(s.at(20, 50, 10), kRed, "left half");
    expectColor(s.at(80, 50, 10), kBlue, "right half");
    expectColor(s.at(50, 10, 10), kWhite, "letterbox");
    pictured->setContentsRect(CGRectMake(0.5, 0, 0.5, 1));  // the blue half alone
    expectColor(s.at(20, 50, 10), kBlue, "contents rectangle");
    // Filling, the picture overflows the bounds unless the layer masks it.
    pictured->setContentsRect(CGRectMake(0, 0, 1, 1));
    pictured->setFrame(CGRectMake(40, 40, 20, 20));
    pictured->setContentsGravity(CAContentsGravity::ResizeAspectFill);
    expectColor(s.at(35, 50), kRed, "overflowing to the left");
    pictured->setMasksToBounds(true);
    expectColor(s.at(35, 50), kWhite, "masked");
    pictured->setFrame(CGRectMake(0, 0, 100, 100));
    pictured->setMasksToBounds(false);
    pictured->setContentsGravity(CAContentsGravity::ResizeAspect);

    struct Counter : CALayerDelegate {
        int draws = 0;
        void drawLayer(CALayer&, const CGContextRef& c) override {
            ++draws;
            CGContextSetRGBFillColor(c, 0, 0, 1, 1);
            CGContextFillRect(c, CGRectMake(0, 0, 10, 10));
        }
    } counter;
    auto drawn = s.add({{0, 0}, {10, 10}}, std::nullopt);
    drawn->setDelegate(&counter);
    drawn->setNeedsDisplay();
    s.shot();
    s.shot();
    EXPECT_EQ(counter.draws, 1);
    drawn->setNeedsDisplay();
    expectColor(s.at(5, 5, 4), kBlue, "drawn content");
    EXPECT_EQ(counter.draws, 2);
}

TEST(Compositor, GradientAndShapeLayersPaintThemselves) {
    Screen s;
    auto gradient = s.add<CAGradientLayer>({{0, 0}, {100, 50}}, std::nullopt);
    gradient->setColors({kRed, kBlue});
    gradient->setStartPoint({0, 0.5});
    gradient->setEndPoint({1, 0.5});
    auto shape = s.add<CAShapeLayer>({{0, 50}, {100, 50}}, std::nullopt);
    shape->setPath(CGPathCreateWithRect(CGRectMake(10, 10, 30, 30)));
    shape->setFillColor(kRed);
    shape->setStrokeColor(kBlue);
    shape->setLineWidth(4);
    expectColor(s.at(2, 25), kRed, "gradient start");
    expectColor(s.at(98, 25), kBlue, "gradient end");
    expectColor(s.at(50, 25), {0.5, 0, 0.5, 1}, "gradient middle", 0.04);
    expectColor(s.at(25, 75, 6), kRed, "fill");
    expectColor(s.at(10, 75), kBlue, "stroke");
    expectColor(s.at(60, 75, 6), kWhite, "outside the path");
    gradient->setColors({});
    expectColor(s.at(50, 25, 6), kWhite, "no colours, nothing painted");
}

}  // namespace
