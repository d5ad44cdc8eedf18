// Glows and outlined labels on composed pixels: an outline covers more than the plain text
// (in the text colour when no stroke colour is set), width 0 draws the plain text, a glow
// label without glow draws as a plain label, and a view's glow spills around it until removed.
#include <gtest/gtest.h>

#include <memory>

#include "platform/foundation/NSRunLoop.h"
#include "platform/quartzcore/CACompositor.h"
#include "support/ImageRegions.h"
#include "ui/appearance/BoldLabel.h"
#include "ui/appearance/GlowLabel.h"
#include "ui/appearance/UIView+EffectUtility.h"

namespace {

class GlowAndOutlineTest : public ::testing::Test {
protected:
    void SetUp() override { NSRunLoop::mainRunLoop().useManualClock(0); }

    template <class Label>
    std::shared_ptr<Label> label() {
        auto l = std::make_shared<Label>(CGRectMake(0, 0, 160, 60));
        l->setText("Tavorin");
        l->setFont(UIFont::boldSystemFontOfSize(30));
        l->setTextAlignment(NSTextAlignment::Center);
        l->setTextColor(UIColor::whiteColor());
        return l;
    }
    CGImageRef shot(UIView& view) { return CACompositor::compose(*view.layer(), view.bounds().size, 2); }

    // Pixels with more than half alpha, and the mean colour of those with it.
    static std::size_t covered(const CGImageRef& image) {
        std::size_t n = 0;
        for (std::size_t y = 0; y < CGImageGetHeight(image); ++y)
            for (std::size_t x = 0; x < CGImageGetWidth(image); ++x) n += CGImageGetPixel(image, x, y).a > 0.5;
        return n;
    }
    static std::size_t differing(const CGImageRef& a, const CGImageRef& b) {
        std::size_t n = 0;
        for (std::size_t y = 0; y < CGImageGetHeight(a); ++y)
            for (std::size_t x = 0; x < CGImageGetWidth(a); ++x)
                n += !(CGImageGetPixel(a, x, y) == CGImageGetPixel(b, x, y));
        return n;
    }
};

TEST_F(GlowAndOutlineTest, OutlinedLabelCoversMoreInItsStrokeColour) {
    auto plain = label<UILabel>();
    auto outlined = label<BoldLabel>();
    outlined->setStrokeWidth(4);
    const std::size_t plainCover = covered(shot(*plain));
    const CGImageRef thick = shot(*outlined);
    EXPECT_GT(covered(thick), plainCover * 5 / 4) << "the outline widens the letters";
    EXPECT_EQ(meanColor(thick, CGRectMake(0, 0, 320, 120)).b, 1) << "outlined in the text colour itself";

    outlined->setStrokeColor(UIColor::redColor());
    const CGColor mixed = meanColor(shot(*outlined), CGRectMake(0, 0, 320, 120));
    EXPECT_LT(mixed.b, 0.9) << "red around the white fill";
    EXPECT_GT(mixed.r, 0.9);

    outlined->setStrokeWidth(0);
    EXPECT_EQ(differing(shot(*outlined), shot(*plain)), 0u) << "width 0: the fill alone";
}

TEST_F(GlowAndOutlineTest, GlowLabelWithoutGlowDrawsAsAPlainLabelAndWithItSpills) {
    auto plain = label<UILabel>();
    auto glowing = label<GlowLabel>();
    EXPECT_EQ(differing(shot(*glowing), shot(*plain)), 0u);
    glowing->setGlowColor(UIColor::redColor());
    glowing->setGlowAmount(8);
    EXPECT_GT(covered(shot(*glowing)) + 0, covered(shot(*plain)));
    EXPECT_GT(meanColor(shot(*glowing), CGRectMake(0, 0, 320, 120)).a,
              meanColor(shot(*plain), CGRectMake(0, 0, 320, 120)).a);
}

TEST_F(GlowAndOutlineTest, ViewGlowSpillsAroundItUntilRemoved) {
    auto root = std::make_shared<UIView>(CGRectMake(0, 0, 60, 60));
    auto box = std::make_shared<UIView>(CGRectMake(20, 20, 20, 20));
    box->setBackgroundColor(UIColor::whiteColor());
    box->setClipsToBounds(true);
    root->addSubview(box);
    const CGRect beside{{14, 26}, {4, 8}};  // just left of the box
    EXPECT_EQ(meanColorInPoints(shot(*root), beside, 2).a, 0);
    EffectUtility::addGlow(*box, UIColor::redColor(), 1.0, 6);
    EXPECT_FALSE(box->clipsToBounds());
    const CGColor glow = meanColorInPoints(shot(*root), beside, 2);
    EXPECT_GT(glow.a, 0.05) << "a blurred glow beside the box";
    EXPECT_NEAR(glow.r, 1, 0.05);
    EffectUtility::removeGlow(*box);
    EXPECT_EQ(meanColorInPoints(shot(*root), beside, 2).a, 0);
    EXPECT_EQ(box->layer()->shadowRadius(), 6) << "radius and colour stay";
    EffectUtility::addGlow(*box, UIColor::redColor(), 1.0);
    EXPECT_EQ(box->layer()->shadowRadius(), 1);
    EXPECT_GT(meanColorInPoints(shot(*root), {{18, 26}, {2, 8}}, 2).a, 0.05) << "shown again";
}

}  // namespace
