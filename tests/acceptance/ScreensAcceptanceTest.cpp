// Where things stand on the screens of the built program, as a person sees them: the scrolling
// screens under the bar (the album's grid, the settings) start below it and run out of sight
// beneath it, also after the first album editing, whose help comes up while the bar changes its
// items; an edited photo's badge sits at the picture's corner, clear of the bar; without a camera
// the viewfinder's notice shows on the viewfinder alone, not through the settings or the about
// panel. Headless, on the manual clock, driven only by a script; judged by the screenshots.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "PhoneScreen.h"
#include "Screenshot.h"
#include "Sentence.h"
#include "TavorinProfile.h"

namespace acceptance {
namespace {

namespace fs = std::filesystem;

const fs::path kBackgrounds = "/usr/share/backgrounds";
const fs::path kMountains = kBackgrounds / "picosdeeuropa_by_Aitzol_Berasategi.jpg";

// Two screenshots of the same thing "look the same" within this mean difference (0 to 1 a
// channel); a badge or a row of thumbnails out of place is far beyond it.
constexpr double kSameLook = 0.02;
// A part of the screen showing nothing but its backdrop varies by less than this (brightness
// spread); text or photographs there vary far more.
constexpr double kPlain = 0.012;

TEST(Screens, TheGridAndTheSettingsStartBelowTheBarAndRunOutOfSightBeneathItAlsoAfterTheFirstEdit) {
    TavorinProfile profile("bars");
    profile.returningUser(/*editingHelpSeen=*/false);
    // Far more photos than the screen holds: each wallpaper at two sizes, two photos.
    std::vector<fs::path> photos;
    for (const fs::directory_entry& entry : fs::directory_iterator(kBackgrounds)) {
        if (entry.path().extension() != ".jpg") continue;
        for (const std::uint32_t side : {320u, 400u}) {
            const fs::path sized = profile.folder() / (std::to_string(side) + "-" + entry.path().filename().string());
            fs::rename(profile.scaledPhotograph(entry.path(), side), sized);
            photos.push_back(sized);
        }
    }
    ASSERT_GE(photos.size(), 24u) << "the wallpapers of " << kBackgrounds;
    ASSERT_EQ(profile.import(photos).status, 0);

    Script script;
    script.launch()
        .tap(phone::kAlbumButton, 1.2, "the album button: the grid of all photos")
        .shot("grid-first.png")
        .tap(phone::GridCell(0), 1.5, "the first photo alone")
        .tap(phone::kEdit, 2, "Edit: album editing, whose help comes up the first time while the bar changes")
        .tap(phone::kEditingHelp, 1.5, "the help taken away")
        .tap(phone::kChevron, 1, "the chevron folds the controls away")
        .tap(phone::kEditCancel, 2, "Cancel: back to the photo alone")
        .tap(phone::kBack, 1.5, "back to the grid")
        .shot("grid.png")
        .drag({187, 500}, {187, 200}, 0.3, 2, "the grid dragged up: its first rows go beneath the bar")
        .shot("grid-scrolled.png")
        .tap(phone::kAlbumCamera, 1.5, "the camera button: the camera screen")
        .tap(phone::kChevron, 2.5, "the chevron: the editing controls come out")
        .tap(phone::kSettings, 2, "the settings")
        .shot("settings.png")
        .drag({187, 500}, {187, 300}, 0.3, 1, "the settings dragged up: the first rows go beneath the bar")
        .shot("settings-scrolled.png");
    const Outcome run = profile.runScript(script.text());
    ASSERT_EQ(run.status, 0) << run.err;

    const Screenshot first(profile.shot("grid-first.png")), grid(profile.shot("grid.png"));
    const double moved = grid.meanDifference(first, grid.whole());
    EXPECT_SENTENCE(
        moved < kSameLook,
        Said("after the first edit the grid stands where it stood when the album opened, its first row below the bar (",
             moved, " apart)"));
    for (const char* shot : {"grid.png", "grid-scrolled.png"}) {
        const double behind = Screenshot(profile.shot(shot)).brightnessSpread(phone::kBarTop);
        EXPECT_SENTENCE(
            behind < kPlain,
            Said("in ", shot, " the bar shows its plain backing above its titles, no photo (brightness spread ", behind,
                 ")"));
    }
    // The settings have no left item: their bar's left shows its backing alone, not the
    // "Photos" heading nor a row scrolled beneath it.
    const Region barLeft{10, 5, 110, 35};
    for (const char* shot : {"settings.png", "settings-scrolled.png"}) {
        const double behind = Screenshot(profile.shot(shot)).brightnessSpread(barLeft);
        EXPECT_SENTENCE(
            behind < kPlain,
            Said("in ", shot, " nothing of the settings shows in the bar left of \"Settings\" (brightness spread ",
                 behind, ")"));
    }
}

TEST(Screens, AnEditedPhotoShowsItsBadgeAtThePicturesCornerClearOfTheBar) {
    TavorinProfile profile("badge");
    profile.returningUser();
    // A landscape photograph: shown alone it is letterboxed above and below.
    const fs::path photo = profile.scaledPhotograph(kMountains, 512);
    ASSERT_EQ(profile.import({photo}).status, 0);

    Script script;
    script.launch()
        .openPhoto(0)
        .shot("unedited.png")
        .editShownPhoto()
        .tap(phone::kEditDone, 1, "Save: the sheet asks how")
        .tap(phone::kSaveSheetSave, 3, "the sheet's Save: the photo is saved as an edit, unchanged")
        .shot("edited.png");
    const Outcome run = profile.runScript(script.text());
    ASSERT_EQ(run.status, 0) << run.err;
    ASSERT_EQ(profile.photos().size(), 1u);
    ASSERT_FALSE(profile.photos()[0].render.empty()) << "the photo is saved as an edit";

    const Screenshot photograph = Photograph(photo);
    const Region picture =
        phone::Fitted(photograph.bitmap().width, photograph.bitmap().height, phone::kSinglePhotoArea, 0);
    ASSERT_GT(picture.y, phone::kSinglePhotoArea.y + 40) << "the photo is letterboxed";
    const Screenshot before(profile.shot("unedited.png")), after(profile.shot("edited.png"));
    // Inside the badge (58 x 24, 8 points in from a corner), less a margin.
    const auto badgeAt = [](double x, double y) { return Region{x + 8 + 3, y + 8 + 3, 52, 18}; };
    const double atPicture = after.meanDifference(before, badgeAt(picture.x, picture.y));
    EXPECT_SENTENCE(atPicture > 0.1,
                    Said("the edited photo's badge sits 8 points inside the picture's upper-left corner (", atPicture,
                         " from the unedited photo there)"));
    const double atCell = after.meanDifference(before, badgeAt(0, phone::kSinglePhotoArea.y));
    EXPECT_SENTENCE(atCell < kSameLook,
                    Said("nothing lies over the letterbox at the page's corner (", atCell, " from before)"));
    const Region bar{0, 0, 120, 44};
    const double overBar = after.meanDifference(before, bar);
    EXPECT_SENTENCE(overBar < kSameLook, Said("the bar's \"All Photos\" is clear (", overBar, " from before)"));
}

TEST(Screens, WithoutACameraTheNoticeShowsOnTheViewfinderAloneNotThroughTheSettingsOrTheAboutPanel) {
    TavorinProfile profile("notice");
    profile.returningUser();

    Script script;
    script.launch()
        .tap(phone::kChevron, 2.5, "the chevron: the editing controls come out")
        .tap(phone::kSettings, 2, "the settings")
        .shot("settings.png")
        .tap(phone::kAbout, 2.5, "About Tavorin: the about panel")
        .shot("about.png")
        .tap(phone::kSettingsDone, 1.5, "Done: the about panel goes")
        .tap(phone::kSettingsDone, 1.5, "Done: the settings go")
        .tap(phone::kChevron, 1.5, "the chevron folds the controls away")
        .shot("camera.png");
    const Outcome run = profile.runScript(script.text(), {"--camera", "none"});
    ASSERT_EQ(run.status, 0) << run.err;

    const Region line = phone::kNoCameraNotice;
    const Screenshot settings(profile.shot("settings.png")), about(profile.shot("about.png"));
    // Over the settings the line's band against the band's right end (the rows' lines run
    // through both alike).
    const double smudge =
        settings.meanColour(line).brightness() - settings.meanColour({290, line.y, 60, line.height}).brightness();
    EXPECT_SENTENCE(smudge < 0.01, Said("nothing of the notice shows through the settings (the line's band ", smudge,
                                        " brighter than beside it)"));
    const double underLogo = about.brightnessSpread(line);
    EXPECT_SENTENCE(underLogo < 0.05,
                    Said("no notice under the about panel's logo (brightness spread ", underLogo, ")"));
    const double notice = phone::BrighterThanAround(Screenshot(profile.shot("camera.png")), line);
    EXPECT_SENTENCE(notice > 0.05, Said("back on the camera screen the viewfinder shows its notice again (the line ",
                                        notice, " brighter than around it)"));
}

}  // namespace
}  // namespace acceptance
