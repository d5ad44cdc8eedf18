// The share sheet's Instagram hand-off through the real square crop screen: "Done" in its bar
// hands a square of the whole photo to the program, "Cancel" hands nothing on.
#include <gtest/gtest.h>

#include "library/sharing/InstagramActivity.h"
#include "library/sharing/ShareController.h"
#include "platform/imageio/ImageIO.h"
#include "platform/mobilecoreservices/UTType.h"
#include "platform/uikit/UIActivityViewController.h"
#include "platform/uikit/UIBarButtonItem.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UINavigationItem.h"
#include "screens/crop/SquareCropViewController.h"
#include "screens/sharing/SquareCropSharingScreen.h"
#include "support/OpenerFixture.h"

namespace {

class SquareCropSharingTest : public OpenerFixture {
protected:
    void SetUp() override {
        OpenerFixture::SetUp();
        SquareCropSharingScreen::install();
        registerOpeners({testOpener("gram", "Gram", {kUTTypeInstagramExclusive}, {"%{InstagramCaption}"})});
    }
    void TearDown() override {
        InstagramActivity::setSquareCropFactory(nullptr);
        OpenerFixture::TearDown();
    }
    // The crop screen the sheet shows for "Instagram".
    std::shared_ptr<SquareCropViewController> openCropScreen() {
        std::vector<std::uint8_t> pixels(60 * 40 * 4, 255);
        for (std::size_t i = 0; i < pixels.size(); i += 4) pixels[i + 1] = pixels[i + 2] = 30;
        auto photo = UIImage::imageWithCGImage(
            CGImageCreate(60, 40, 8, 32, 60 * 4, CGColorSpaceCreateDeviceRGB(), kCGImageAlphaNoneSkipLast, pixels));
        auto sheet = ShareController::activityViewControllerWithImage(photo, {});
        sheet->setCompletionHandler([this](const std::string& type, bool completed, const NSErrorPtr&) {
            completions.push_back(type + (completed ? " yes" : " no"));
        });
        rootController->presentViewController(sheet, true);
        choose("Instagram");
        advance(0.5);
        auto* navigation = dynamic_cast<UINavigationController*>(rootController->presentedViewController());
        if (!navigation || navigation->viewControllers().empty()) return nullptr;
        return std::dynamic_pointer_cast<SquareCropViewController>(navigation->viewControllers().front());
    }
    void tapBarItem(const std::shared_ptr<UIBarButtonItem>& item) {
        ASSERT_TRUE(item && item->view());
        const CGRect r = item->view()->convertRectToView(item->view()->bounds(), nullptr);
        tap(CGPointMake(CGRectGetMidX(r), CGRectGetMidY(r)));
        advance(0.5);
    }
    std::vector<std::string> completions;
};

TEST_F(SquareCropSharingTest, DoneHandsTheWholePhotoInABlackSquare) {
    const auto crop = openCropScreen();
    ASSERT_NE(crop, nullptr);
    EXPECT_TRUE(crop->constrainWidth() && crop->constrainHeight() && crop->cropToSquare());
    tapBarItem(crop->navigationItem().rightBarButtonItem());
    EXPECT_EQ(completions, std::vector<std::string>{"com.quorvin.instagram yes"});
    EXPECT_EQ(rootController->presentedViewController(), nullptr);
    choose("Gram");
    const auto record = waitForRecord();
    ASSERT_TRUE(record);
    EXPECT_EQ(record->arguments.at(1), ShareController::defaultTagShareString());
    const auto decoded = platform::DecodeImageData({record->file.begin(), record->file.end()});
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->bitmap.width, decoded->bitmap.height);
    EXPECT_NEAR(decoded->bitmap.width, 60u, 1u);
    EXPECT_LT(decoded->bitmap.pixel(decoded->bitmap.width / 2, 2)[0], 40) << "black above the wide photo";
    EXPECT_GT(decoded->bitmap.pixel(decoded->bitmap.width / 2, decoded->bitmap.height / 2)[0], 200);
}

TEST_F(SquareCropSharingTest, CancelHandsNothingOn) {
    const auto crop = openCropScreen();
    ASSERT_NE(crop, nullptr);
    tapBarItem(crop->navigationItem().leftBarButtonItem());
    EXPECT_EQ(completions, std::vector<std::string>{"com.quorvin.instagram no"});
    EXPECT_EQ(crop->image(), nullptr) << "the screen let the photo go";
    EXPECT_EQ(UIAlertPresentation::shown(), nullptr);
    EXPECT_FALSE(launched());
}

}  // namespace
