// The crop mode's own rules on the editor: what is recorded (never outside the photo, never
// empty), a recorded crop shown again, the aspect list by picture and window shape, and a chosen
// aspect that holds in the photo through every drag until Reset.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/uikit/UIAlertPresentation.h"
#include "screens/crop/CropAspectRatios.h"
#include "screens/crop/CropScreen.h"
#include "support/AlertHarness.h"
#include "support/TouchHarness.h"
#include "CropPictures.h"

namespace {

std::shared_ptr<CropView> editor(TouchHarness& ui, CGSize photo) {
    auto crop = std::make_shared<CropView>(ui.window->bounds());
    crop->setImage(quadrantPicture(photo, 0.1));
    ui.window->addSubview(crop);
    crop->layoutIfNeeded();
    return crop;
}

}  // namespace

TEST(CropScreenTest, TheRecordedCropStaysWithinThePhotoAndComesBack) {
    TouchHarness ui;
    auto crop = editor(ui, {4000, 3000});
    // Untouched: the whole photo, within the unit square however the rounding fell.
    const auto whole = CropScreen::recordableCrop(*crop);
    ASSERT_TRUE(whole);
    expectRect(*whole, {{0, 0}, {1, 1}}, 1e-6, "untouched");
    EXPECT_GE(whole->origin.x, 0);
    EXPECT_LE(CGRectGetMaxX(*whole), 1);
    EXPECT_LE(CGRectGetMaxY(*whole), 1);
    // A moved rectangle is recorded and shown again from the record.
    crop->setImageCropRect({{1000, 750}, {2000, 1500}});
    const auto moved = CropScreen::recordableCrop(*crop);
    ASSERT_TRUE(moved);
    expectRect(*moved, {{0.25, 0.25}, {0.5, 0.5}}, 1e-4, "moved");
    crop->resetCropRect(false);
    CropScreen::showRecordedCrop(*crop, *moved);
    expectRect(crop->zoomedCropRect(), {{1000, 750}, {2000, 1500}}, 1, "shown again");
    // The empty record (or a broken one) shows the whole photo.
    for (const CGRect r : {CGRectZero, CGRect{{0.1, 0.1}, {std::numeric_limits<double>::quiet_NaN(), 0.5}}}) {
        CropScreen::showRecordedCrop(*crop, r);
        EXPECT_FALSE(crop->isCropped());
    }
    // Without a picture nothing is recorded.
    CropView empty(ui.window->bounds());
    EXPECT_FALSE(CropScreen::recordableCrop(empty));
}

TEST(CropScreenTest, TheAspectListFollowsTheWindowThenThePicture) {
    TouchHarness ui;
    const struct {
        CGSize photo;
        double ratio;
        bool landscape;
        const char* what;
    } cases[] = {
        {{4000, 3000}, 0, true, "landscape photo, untouched window"},
        {{4000, 3000}, 1.0, true, "square window on a landscape photo"},
        {{3000, 3000}, 0, false, "square photo, square window: portrait"},
        {{4000, 3000}, 0.5, false, "tall window on a landscape photo"},
        {{3000, 4000}, 2.0, true, "wide window on a tall photo"},
    };
    for (const auto& c : cases) {
        auto crop = editor(ui, c.photo);
        if (c.ratio > 0) crop->setCropAspectRatio(c.ratio);
        EXPECT_EQ(CropScreen::aspectListIsLandscape(*crop), c.landscape) << c.what;
        crop->removeFromSuperview();
    }
    // Each choice sets its ratio; Cancel (index 8) nothing.
    auto crop = editor(ui, {4000, 3000});
    const double ratios[] = {
        4000.0 / 3000, 1.0, 1.5, 1.6666666269302368, 1.3333333730697632, 1.25, 1.399999976158142, 1.7777777910232544};
    for (int index = 0; index <= 8; ++index) {
        crop->resetCropRect(false);
        const CGRect before = crop->cropRect();
        auto sheet = CropScreen::aspectSheet(crop);
        EXPECT_EQ(sheet->numberOfButtons(), 9);
        EXPECT_EQ(sheet->buttonTitleAtIndex(8), "Cancel");
        sheet->showInView(ui.window);
        tapAlertButton(ui, index);
        ui.advance(0.5);
        if (index == 8) EXPECT_EQ(crop->cropRect(), before);
        else EXPECT_NEAR(crop->cropAspectRatio(), ratios[index], 1e-9) << index;
    }
}

TEST(CropScreenTest, AChosenAspectHoldsExactlyInThePhotoAfterAnyHandleDrag) {
    TouchHarness ui;
    // Each picture is a smaller copy of its photo, its sides rounded apart from the photo's
    // proportions, as album editing's pictures are.
    const struct {
        CGSize picture, photo;
        const char* what;
    } photos[] = {{{1330, 1000}, {4000, 3000}, "landscape"}, {{750, 1330}, {2448, 4352}, "portrait"}};
    // In, out, onto the dimmed area past the picture, and past the opposite side.
    const CGPoint travels[] = {{-37, -23}, {53, 31}, {-400, -600}, {500, 700}};
    for (const auto& p : photos) {
        for (int index = 0; index < CropAspectRatios::kCancelIndex; ++index) {
            auto crop = editor(ui, p.picture);
            crop->setPhotoSize(p.photo);
            const bool landscape = CropScreen::aspectListIsLandscape(*crop);
            const double wanted = *CropAspectRatios::ratioAtIndex(index, landscape, p.photo);
            auto sheet = CropScreen::aspectSheet(crop);
            sheet->showInView(ui.window);
            tapAlertButton(ui, index);
            ui.advance(0.5);
            auto expectHeld = [&](const std::string& after) {
                const auto relative = CropScreen::recordableCrop(*crop);
                ASSERT_TRUE(relative) << p.what << " " << index << " " << after;
                const double ratio = relative->size.width * p.photo.width / (relative->size.height * p.photo.height);
                EXPECT_NEAR(ratio / wanted, 1, 1e-9) << p.what << ", aspect " << index << ", " << after;
            };
            expectHeld("chosen");
            // Every handle, one drag after another.
            auto& rect = *crop->cropRectView();
            for (int which = CropRectView::TopLeft; which <= CropRectView::Right; ++which)
                for (const CGPoint travel : travels) {
                    auto& handle = *rect.handle(static_cast<CropRectView::Handle>(which));
                    rect.cropRectResizeViewDidBeginResizing(handle);
                    handle.setTranslation(travel);
                    rect.cropRectResizeViewDidResize(handle);
                    rect.cropRectResizeViewDidEndResizing(handle);
                    ui.advance(0.3);
                    expectHeld("handle " + std::to_string(which) + " moved " + std::to_string(travel.x) + ", " +
                               std::to_string(travel.y));
                }
            // Reset frees the rectangle again.
            CropScreen::resetCrop(*crop, false);
            EXPECT_FALSE(crop->keepingCropAspectRatio()) << p.what;
            EXPECT_FALSE(crop->isCropped()) << p.what;
            crop->removeFromSuperview();
        }
    }
}
