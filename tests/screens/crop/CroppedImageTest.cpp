// Cutting a rectangle out of a photo and scaling it back up to the photo's size, without a
// crop view: probes on a photo of four coloured quadrants.
#include <gtest/gtest.h>

#include <limits>

#include "CropPictures.h"
#include "screens/crop/CropView.h"
#include "ui/images/UIImage+ImageUtility.h"

namespace {

const CGColor kRed = kQuadrantColors[0], kGreen = kQuadrantColors[1], kBlue = kQuadrantColors[2],
              kWhite = kQuadrantColors[3];

struct Probe {
    double x, y;
    CGColor color;
};

}  // namespace

TEST(CroppedImageTest, CutsScaleBackToThePhotoAndMissesGiveThePhotoWhole) {
    const UIImagePtr photo = quadrantPicture({400, 300});
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        CGRect rect;
        CGSize size;
        std::vector<Probe> probes;
        const char* what;
    } cases[] = {
        {{{0, 0}, {400, 300}},
         {400, 300},
         {{100, 75, kRed}, {300, 75, kGreen}, {100, 225, kBlue}, {300, 225, kWhite}},
         "whole"},
        {{{0, 0}, {200, 150}},
         {400, 300},
         {{5, 5, kRed}, {395, 295, kRed}, {200, 150, kRed}},
         "top-left quarter, doubled"},
        {{{0, 0}, {200, 300}}, {200, 300}, {{100, 75, kRed}, {100, 225, kBlue}}, "half width, unscaled"},
        {{{200, 150}, {200, 150}}, {400, 300}, {{5, 5, kWhite}, {395, 295, kWhite}}, "bottom-right quarter"},
        {{{-100, -100}, {300, 250}}, {400, 300}, {{5, 5, kRed}, {395, 295, kRed}}, "partly outside keeps the inside"},
        {{{500, 0}, {100, 100}}, {400, 300}, {{100, 75, kRed}, {300, 225, kWhite}}, "outside: the whole photo"},
        {{{400, 0}, {0, 300}}, {400, 300}, {{100, 75, kRed}, {300, 225, kWhite}}, "empty: the whole photo"},
        {{{nan, 0}, {100, 100}}, {400, 300}, {{100, 75, kRed}, {300, 225, kWhite}}, "not finite: the whole photo"},
    };
    for (const auto& c : cases) {
        const UIImagePtr out = CropView::croppedAndScaledImageForImage(photo, c.rect);
        ASSERT_NE(out, nullptr) << c.what;
        EXPECT_EQ(out->size(), c.size) << c.what;
        EXPECT_EQ(out->imageOrientation(), UIImageOrientation::Up) << c.what;
        for (const Probe& p : c.probes) expectColor(pixelAt(out, p.x, p.y), p.color, c.what, 0.02);
    }
    EXPECT_EQ(CropView::croppedAndScaledImageForImage(nullptr, {{0, 0}, {1, 1}}), nullptr);
}

TEST(CroppedImageTest, TurnedPhotosAreCutInTheirUprightForm) {
    for (int o = 0; o < 8; ++o) {
        const auto orientation = static_cast<UIImageOrientation>(o);
        const UIImagePtr photo = quadrantPicture({400, 300}, 1, orientation);
        ASSERT_EQ(photo->size(), (CGSize{400, 300}));
        const UIImagePtr upright = ImageUtility::normalize(photo);
        // The left half comes back unscaled and as the upright photo shows it.
        const UIImagePtr out = CropView::croppedAndScaledImageForImage(photo, {{0, 0}, {200, 300}});
        ASSERT_EQ(out->size(), (CGSize{200, 300})) << o;
        EXPECT_EQ(out->imageOrientation(), UIImageOrientation::Up) << o;
        for (const CGPoint p : {CGPoint{100, 75}, CGPoint{100, 225}, CGPoint{20, 20}})
            expectColor(pixelAt(out, p.x, p.y), pixelAt(upright, p.x, p.y), "orientation " + std::to_string(o), 0.02);
    }
}

TEST(CroppedImageTest, ScaledPhotosCutInPointsAndKeepTheirScale) {
    const UIImagePtr photo = quadrantPicture({200, 150}, 2);
    const UIImagePtr out = CropView::croppedAndScaledImageForImage(photo, {{100, 0}, {100, 75}});
    EXPECT_EQ(out->size(), (CGSize{200, 150}));
    expectColor(pixelAt(out, 10, 10), kGreen, "top-right quarter in points");
    const UIImagePtr cut = CropView::rotatedImage(photo, CGAffineTransformIdentity, {{100, 0}, {100, 75}});
    EXPECT_EQ(cut->scale(), 2);
    EXPECT_EQ(cut->size(), (CGSize{100, 75}));
}
