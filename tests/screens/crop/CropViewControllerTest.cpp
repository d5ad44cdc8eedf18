// The stand-alone crop screen in a navigation controller: its bars, the aspect sheet from the
// toolbar with each ratio, the stored rectangles applied on appearing, the blocks, and the
// cancelled screen starting over.
#include <gtest/gtest.h>

#include <optional>

#include "platform/uikit/UIAlertPresentation.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UINavigationItem.h"
#include "platform/uikit/UIToolbar.h"
#include "screens/crop/CropAspectRatios.h"
#include "screens/crop/CropViewController.h"
#include "support/AlertHarness.h"
#include "support/ControllerFixture.h"
#include "CropPictures.h"

namespace {

class CropViewControllerTest : public ControllerFixture {
protected:
    std::shared_ptr<CropViewController> showWith(UIImagePtr photo) {
        controller = std::make_shared<CropViewController>();
        controller->setImage(std::move(photo));
        navigation = std::make_shared<UINavigationController>(controller);
        window->setRootViewController(navigation);
        advance(0.5);
        return controller;
    }
    // Away and back: another root, then this screen's navigation again.
    void reappear() {
        window->setRootViewController(std::make_shared<UIViewController>());
        advance(0.5);
        window->setRootViewController(navigation);
        advance(0.5);
    }
    std::shared_ptr<CropViewController> controller;
    std::shared_ptr<UINavigationController> navigation;
};

}  // namespace

TEST_F(CropViewControllerTest, TheBarsCarryCancelCropAspectAndReset) {
    std::optional<CGRect> cropped;
    std::optional<bool> cancelled;
    showWith(quadrantPicture({4000, 3000}, 0.1));
    controller->setCropBlock([&](CGRect r) { cropped = r; });
    controller->setCancelBlock([&](bool b) { cancelled = b; });
    EXPECT_EQ(controller->title(), "Crop Photo");
    EXPECT_EQ(controller->cropView()->frame(), controller->view()->bounds());
    auto& item = controller->navigationItem();
    ASSERT_EQ(item.rightBarButtonItems().size(), 1u);
    EXPECT_EQ(item.rightBarButtonItems()[0]->title(), "Crop");
    EXPECT_EQ(item.rightBarButtonItems()[0]->style(), UIBarButtonItemStyle::Done);
    EXPECT_EQ(item.leftBarButtonItems()[0]->systemItem(), UIBarButtonSystemItem::Cancel);
    std::vector<std::string> titles;
    for (const auto& i : navigation->toolbar()->items()) titles.push_back(i->isSpace() ? "|" : i->title());
    EXPECT_EQ(titles, (std::vector<std::string>{"|", "Aspect", "|", "Reset", "|"}));
    EXPECT_FALSE(navigation->isToolbarHidden());

    controller->setImageCropRect({{1000, 750}, {2000, 1500}});
    item.rightBarButtonItems()[0]->sendAction();
    ASSERT_TRUE(cropped);
    expectRect(*cropped, {{1000, 750}, {2000, 1500}}, 1, "crop block");
    navigation->toolbar()->items()[3]->sendAction();  // Reset
    EXPECT_FALSE(controller->isCropped());
    item.leftBarButtonItems()[0]->sendAction();
    EXPECT_EQ(cancelled, true);
    EXPECT_TRUE(controller->wasCanceled());
}

TEST_F(CropViewControllerTest, TheAspectSheetRisesFromTheToolbarAndSetsEachRatio) {
    // Landscape lists while nothing is stored: the picture is wider than high.
    showWith(quadrantPicture({4000, 3000}, 0.1));
    const double landscape[] = {
        4000.0 / 3000, 1.0, 1.5, 1.6666666269302368, 1.3333333730697632, 1.25, 1.399999976158142, 1.7777777910232544};
    for (int index = 0; index <= CropAspectRatios::kCancelIndex; ++index) {
        controller->resetCropRect(false);
        const CGRect before = controller->cropView()->cropRect();
        controller->aspect();
        auto sheet = controller->actionSheet();
        ASSERT_NE(sheet, nullptr);
        EXPECT_EQ(sheet->anchorView().lock(), navigation->toolbar()) << "from the toolbar";
        ASSERT_EQ(sheet->numberOfButtons(), 9);
        EXPECT_EQ(sheet->buttonTitleAtIndex(2), "3:2");
        EXPECT_EQ(sheet->buttonTitleAtIndex(8), "Cancel");
        sheet->dismissWithClickedButtonIndex(index, false);  // not a click: nothing happens
        EXPECT_EQ(controller->cropView()->cropRect(), before);
        controller->aspect();
        tapAlertButton(*ui, index);
        loop.runUntilIdle();
        if (index == CropAspectRatios::kCancelIndex) {
            EXPECT_EQ(controller->cropView()->cropRect(), before) << "Cancel changes nothing";
        } else {
            EXPECT_NEAR(controller->cropView()->cropAspectRatio(), landscape[index], 1e-9) << index;
        }
        advance(0.5);
    }
    // A square picture with nothing stored gets the portrait list.
    showWith(quadrantPicture({3000, 3000}, 0.1));
    controller->aspect();
    EXPECT_EQ(controller->actionSheet()->buttonTitleAtIndex(2), "2:3");
    EXPECT_EQ(controller->actionSheet()->buttonTitleAtIndex(7), "9:16");
    tapAlertButton(*ui, 3);
    loop.runUntilIdle();
    EXPECT_NEAR(controller->cropView()->cropAspectRatio(), 0.6000000238418579, 1e-9);
    // A stored landscape rectangle chooses the landscape list on the square picture.
    controller->setCropRect({{0, 0}, {200, 100}});
    controller->aspect();
    EXPECT_EQ(controller->actionSheet()->buttonTitleAtIndex(2), "3:2");
    tapAlertButton(*ui, 8);
}

TEST_F(CropViewControllerTest, StoredSettingsApplyOnAppearingAndTheLatestRectangleWins) {
    auto c = std::make_shared<CropViewController>();
    c->setImage(quadrantPicture({4000, 3000}, 0.1));
    c->setCropAspectRatio(1.0);
    c->setKeepingCropAspectRatio(true);
    c->setCropRect({{10, 10}, {100, 100}});
    c->setImageCropRect({{1000, 750}, {2000, 1500}});
    EXPECT_EQ(c->cropRect(), CGRectZero) << "the image rectangle replaced it";
    controller = c;
    navigation = std::make_shared<UINavigationController>(c);
    window->setRootViewController(navigation);
    advance(0.5);
    expectRect(c->zoomedCropRect(), {{1000, 750}, {2000, 1500}}, 1, "the image rectangle applied last");
    EXPECT_TRUE(c->cropView()->cropRectView()->keepingAspectRatio());
    // A relative rectangle: offset from the present window, its sides no larger.
    const CGRect window = c->cropView()->cropRect();
    c->setCropRect({{0, 0}, {100, 5000}});
    EXPECT_EQ(c->imageCropRect(), CGRectZero);
    EXPECT_NEAR(c->cropView()->cropAspectRatio(), 100 / window.size.height, 1e-6);
    // An empty result is not zoomed to.
    const CGRect now = c->cropView()->cropRect();
    c->setCropRect({{5, 5}, {0, 50}});
    EXPECT_EQ(c->cropView()->cropRect(), now);
    // Rotation follows the setting.
    EXPECT_FALSE(c->cropView()->rotationGestureRecognizer()->isEnabled());
    c->setRotationEnabled(true);
    EXPECT_TRUE(c->cropView()->rotationGestureRecognizer()->isEnabled());
}

TEST_F(CropViewControllerTest, ACancelledScreenStartsOverFromTheWholePicture) {
    showWith(quadrantPicture({4000, 3000}, 0.1));
    controller->cropView()->setImageCropRect({{0, 0}, {1000, 1000}});
    reappear();
    EXPECT_TRUE(controller->isCropped()) << "kept without a cancel";
    controller->cancel();
    reappear();
    EXPECT_FALSE(controller->wasCanceled());
    EXPECT_FALSE(controller->isCropped());
    expectRect(controller->relativeCroppedImageRect(), {{0, 0}, {1, 1}}, 1e-6, "whole picture");
    // The class operation is the editor's.
    EXPECT_EQ(CropViewController::croppedAndScaledImageForImage(quadrantPicture({40, 30}), {{0, 0}, {20, 15}})->size(),
              (CGSize{40, 30}));
}
