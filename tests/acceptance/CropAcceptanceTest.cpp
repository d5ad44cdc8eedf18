// The crop screen of the built program as a person uses it: in album editing, Adjust, Crop, the
// aspect "Square", a handle dragged one way and another the other, Crop, Save. The saved photo is
// square to the pixel, also for a photo stored turned and larger than the screen, whose editing
// picture is a smaller copy with rounded sides. Headless, on the manual clock, driven only by a
// script; judged by the saved file and the screenshots.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "PhoneScreen.h"
#include "Screenshot.h"
#include "Sentence.h"
#include "TavorinProfile.h"
#include "platform/imageio/ImageIO.h"

namespace acceptance {
namespace {

namespace fs = std::filesystem;

// Wider than high, 3088 x 2056: at 1600 pixels its editing picture (1334 pixels) rounds its
// sides apart from the photo's proportions.
const fs::path kRidge = "/usr/share/backgrounds/aitzgorri_by_Aitzol_Berasategi.jpg";

TEST(Crop, ASquareChosenOnTheCropScreenIsSquareInTheSavedPhotoAfterHandleDrags) {
    TavorinProfile profile("crop-square");
    profile.returningUser();
    const fs::path photo = profile.turnedPhotograph(kRidge, 1600);
    ASSERT_EQ(profile.import({photo}).status, 0);

    Script script;
    script.launch()
        .openPhoto(0)
        // The photo is read on the library's queue in real time: the wait leaves it time.
        .tap(phone::kEdit, 10, "Edit: album editing opens with its controls out")
        .openCrop()
        .tap(phone::kCropAspect, 1, "Aspect: the sheet of aspects")
        .tap(phone::kAspectSquare, 1.5, "Square")
        .shot("square.png")
        .drag(phone::kSquareBottomRight, {300, 440}, 0.4, 1.5,
              "the bottom-right corner dragged in, more across than down")
        .drag(phone::kSquareTopLeft, {60, 200}, 0.4, 1.5, "the top-left corner dragged in, more down than across")
        .shot("dragged.png")
        .tap(phone::kCropDone, 2, "Crop: the cropped photo in the editing")
        .tap(phone::kChevron, 1, "the chevron folds the controls away")
        .shot("cropped.png")
        .tap(phone::kEditDone, 1, "Save: the sheet asks how")
        .tap(phone::kSaveSheetSave, 8, "the sheet's Save: the edit is saved into the photo");
    const Outcome run = profile.runScript(script.text());
    ASSERT_EQ(run.status, 0) << run.err;

    const std::vector<LibraryRow> rows = profile.photos();
    ASSERT_EQ(rows.size(), 1u);
    ASSERT_SENTENCE(!rows[0].render.empty() && fs::exists(rows[0].render), "the edit was saved with its render");
    platform::ImageIOError error;
    const auto saved = platform::ImageSource::createWithFile(rows[0].render.string(), &error);
    ASSERT_TRUE(saved) << error.message;
    const std::uint32_t w = saved->pixelWidth(0), h = saved->pixelHeight(0);
    EXPECT_SENTENCE(w == h && w > 0, Said("the saved photo is square: ", w, " x ", h, " pixels"));
    EXPECT_SENTENCE(w > 500 && w < 1065,
                    Said("it is the dragged square, smaller than the photo's height of 1065 pixels (", w, ")"));
    EXPECT_SENTENCE(saved->exifOrientation(0) == 1, "the saved photo stands upright as it is stored");
    // The editing shows the crop as it will be saved: a square as wide as the screen, centred in
    // the picture's area, reaching where the photo's own shape (3:2) would leave the background.
    const Screenshot cropped(profile.shot("cropped.png"));
    const double middle = phone::kEditingArea.y + phone::kEditingArea.height / 2, half = phone::kEditingArea.width / 2;
    const double inside = cropped.brightnessSpread({0, middle - half + 6, 375, 20});
    const double above = cropped.brightnessSpread({0, middle - half - 26, 375, 20});
    EXPECT_SENTENCE(inside > 0.02 && above < 0.01,
                    Said("after Crop the editing shows the photo square: the picture reaches the square's top (spread ",
                         inside, ") and stops there (", above, " above it)"));
}

}  // namespace
}  // namespace acceptance
