// The album road of the built program, walked as a person walks it on photos imported with
// `tavorin import`: an edit saved in a strong mode, still there after a relaunch, and a revert
// that waits for the library's question ("Don't Allow" keeps the edit) and gives the original
// back byte for byte; album editing that opens a colourful photograph as colourful as it is; a
// delete, asked about the same way, that takes the photo out of the grid and the library, and
// keeps it out when the library's index is lost and made anew from the files.
// Headless, on the manual clock, driven only by a script of taps, drags and keys; judged by the
// screenshots, the files and the library's rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "PhoneScreen.h"
#include "Screenshot.h"
#include "Sentence.h"
#include "TavorinProfile.h"
#include "support/CameraPhoto.h"

namespace acceptance {
namespace {

namespace fs = std::filesystem;

const fs::path kBackgrounds = "/usr/share/backgrounds";
// A blue sky over green grass and grey rock: colourful, but not garish.
const fs::path kMountains = kBackgrounds / "picosdeeuropa_by_Aitzol_Berasategi.jpg";
const fs::path kSunset = kBackgrounds / "sunset_by_Aitzol_Berasategi.jpg";

// Two screenshots of one photo "look the same" within this mean difference (0 to 1 a channel),
// which covers the rendering's own small differences; an edit in a strong mode is far beyond it.
constexpr double kSameLook = 0.02;
constexpr double kStrongEdit = 0.06;

TEST(AlbumRoad, AnEditSavedInAStrongModeIsThereAfterARelaunchAndARevertGivesTheOriginalBackByteForByte) {
    TavorinProfile profile("edit-revert");
    profile.returningUser();
    // A camera's JPEG with its Exif, colour profile and XMP, stored sideways.
    const fs::path camera = profile.folder() / "camera.jpg";
    const camera_photo::Bytes bytes = camera_photo::CameraPhoto(6);
    std::ofstream(camera, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    const Outcome imported = profile.import({camera});
    ASSERT_EQ(imported.status, 0) << imported.err;
    ASSERT_EQ(profile.photos().size(), 1u);
    const fs::path original = profile.photos()[0].original;
    EXPECT_SENTENCE(SameBytes(original, camera), "the library keeps the imported camera JPEG byte for byte");
    // Upright, the photo is 76 x 136.
    const Region picture = phone::Fitted(76, 136, phone::kSinglePhotoArea);

    Script edit;
    edit.launch()
        .openPhoto(0)
        .shot("original.png")
        .tap(phone::kEdit, 1.5, "Edit: album editing opens with its controls out")
        .drag({340, phone::kModeRowY}, {40, phone::kModeRowY}, 0.3, 1.5,
              "the row of modes dragged past the Enhance modes")
        .tap(phone::kDramaticCategory, 1.5, "the Dramatic category: its first mode, Dramatic 1")
        .tap(phone::kChevron, 1, "the chevron folds the controls away")
        .shot("edited.png")
        .tap(phone::kEditDone, 1, "Save: the sheet asks how")
        .tap(phone::kSaveSheetSave, 3, "the sheet's Save: the edit is saved into the photo")
        .shot("saved.png");
    const Outcome first = profile.runScript(edit.text());
    ASSERT_EQ(first.status, 0) << first.err;
    std::vector<LibraryRow> rows = profile.photos();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_SENTENCE(!rows[0].render.empty() && fs::exists(rows[0].render),
                    "the library's row says the photo is edited, and its render is there");
    EXPECT_SENTENCE(SameBytes(original, camera), "the save left the original as it was imported");
    const Screenshot before(profile.shot("original.png")), saved(profile.shot("saved.png"));
    const double savedChange = saved.meanDifference(before, picture);
    EXPECT_SENTENCE(savedChange > kStrongEdit, Said("the saved photo shows its edit: it differs from the original by ",
                                                    savedChange, " (more than ", kStrongEdit, ")"));

    // A new start of the program: the edit is still there, and Done offers the revert, which the
    // library asks about; "Don't Allow" leaves the edit on the screen, then the revert goes ahead.
    Script reopen;
    reopen.launch()
        .openPhoto(0)
        .shot("reopened.png")
        .editShownPhoto()
        .shot("editing.png")
        .tap(phone::kEditDone, 1, "Done, which says Revert for an edited photo opened unchanged: the library asks")
        .shot("asked.png")
        .tap(phone::kRevertDontAllow, 1.5, "the library's question answered: Don't Allow")
        .shot("refused.png")
        .tap(phone::kEditDone, 1, "Done again: the library asks again")
        .tap(phone::kRevertAllow, 2, "the library's question answered: Revert")
        .shot("reverted.png");
    const Outcome second = profile.runScript(reopen.text());
    ASSERT_EQ(second.status, 0) << second.err;
    const Screenshot reopened(profile.shot("reopened.png"));
    const double reopenedChange = reopened.meanDifference(before, picture);
    const double reopenedToSaved = reopened.meanDifference(saved, picture);
    EXPECT_SENTENCE(reopenedChange > kStrongEdit && reopenedToSaved < kSameLook,
                    Said("after a relaunch the photo shows as it was saved (", reopenedToSaved,
                         " from the saved look, ", reopenedChange, " from the original)"));
    const Region editingPicture = phone::Fitted(76, 136, phone::kEditingArea);
    const Screenshot editing(profile.shot("editing.png")), asked(profile.shot("asked.png"));
    const double askedChange = asked.meanDifference(editing, asked.whole());
    EXPECT_SENTENCE(askedChange > kStrongEdit,
                    Said("Done brings up the library's question over the screen (", askedChange, " from the edit)"));
    const double refusedToEditing = Screenshot(profile.shot("refused.png")).meanDifference(editing, editingPicture);
    EXPECT_SENTENCE(refusedToEditing < kSameLook, Said("after \"Don't Allow\" the photo is still open with its edit (",
                                                       refusedToEditing, " from its look before the question)"));

    rows = profile.photos();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_SENTENCE(rows[0].render.empty(), "after the revert the library's row says the photo is not edited");
    EXPECT_SENTENCE(SameBytes(rows[0].original, camera), "the original is back byte for byte as it was imported");
    const double revertedChange = Screenshot(profile.shot("reverted.png")).meanDifference(before, picture);
    EXPECT_SENTENCE(revertedChange < kSameLook,
                    Said("the reverted photo looks as the original did (", revertedChange, " apart)"));
}

TEST(AlbumRoad, AlbumEditingAtNeutralKeepsAColourfulPhotographColourful) {
    TavorinProfile profile("neutral");
    profile.returningUser();
    const fs::path photo = profile.scaledPhotograph(kMountains, 512);
    ASSERT_EQ(profile.import({photo}).status, 0);
    const Screenshot photograph = Photograph(photo);
    const double own = photograph.meanSaturation(photograph.whole());
    ASSERT_SENTENCE(own > 0.2, Said("the photograph is colourful: mean saturation ", own));

    Script script;
    script.launch().openPhoto(0).shot("single.png").editShownPhoto().shot("editing.png");
    const Outcome run = profile.runScript(script.text());
    ASSERT_EQ(run.status, 0) << run.err;
    const double w = photograph.bitmap().width, h = photograph.bitmap().height;
    const double single =
        Screenshot(profile.shot("single.png")).meanSaturation(phone::Fitted(w, h, phone::kSinglePhotoArea));
    const double editing =
        Screenshot(profile.shot("editing.png")).meanSaturation(phone::Fitted(w, h, phone::kEditingArea));
    EXPECT_SENTENCE(std::abs(single - own) < kSaturationKept * own,
                    Said("the album shows the photo as colourful as it is: mean saturation ", single,
                         " against its own ", own, " (within ", kSaturationKept * 100, "%)"));
    EXPECT_SENTENCE(std::abs(editing - own) < kSaturationKept * own,
                    Said("album editing opens it as colourful as it is: mean saturation ", editing, " against its own ",
                         own, " (within ", kSaturationKept * 100, "%)"));
}

TEST(AlbumRoad, ADeletedPhotoIsGoneFromTheGridAndTheLibraryAndStaysGoneWhenTheIndexIsMadeAnew) {
    TavorinProfile profile("delete");
    profile.returningUser();
    const fs::path mountains = profile.scaledPhotograph(kMountains, 512),
                   sunset = profile.scaledPhotograph(kSunset, 512);
    ASSERT_EQ(profile.import({mountains, sunset}).status, 0);
    ASSERT_EQ(profile.photos().size(), 2u);

    Script script;
    script.launch()
        .tap(phone::kAlbumButton, 1.2, "the album button: the grid of all photos")
        .shot("grid-before.png")
        .tap(phone::GridCell(1), 1.5, "the second photo of the grid: the photo alone")
        .shot("single.png")
        .tap(phone::kTrash, 1, "the trash button: the library asks")
        .tap(phone::kDeleteDontAllow, 1.5, "the library's question answered: Don't Allow")
        .shot("refused.png")
        .tap(phone::kTrash, 1, "the trash button again")
        .tap(phone::kDeleteAllow, 1.5, "the library's question answered: Delete")
        .tap(phone::kBack, 1.2, "back to the grid")
        .shot("grid-after.png");
    const Outcome run = profile.runScript(script.text());
    ASSERT_EQ(run.status, 0) << run.err;

    const Screenshot before(profile.shot("grid-before.png")), after(profile.shot("grid-after.png"));
    const double refusedToSingle = Screenshot(profile.shot("refused.png"))
                                       .meanDifference(Screenshot(profile.shot("single.png")), phone::kSinglePhotoArea);
    EXPECT_SENTENCE(refusedToSingle < kSameLook,
                    Said("after \"Don't Allow\" the photo is still shown as it was (", refusedToSingle, " apart)"));
    const double kept = after.meanDifference(before, phone::GridCellRegion(0));
    const double emptied = after.brightnessSpread(phone::GridCellRegion(1));
    EXPECT_SENTENCE(kept < kSameLook, Said("the first photo stays first in the grid (", kept, " apart)"));
    EXPECT_SENTENCE(emptied < 0.02,
                    Said("the deleted photo's place in the grid is empty (brightness spread ", emptied, ")"));
    const std::vector<LibraryRow> rows = profile.photos();
    EXPECT_SENTENCE(rows.size() == 1u, Said("the library lists ", rows.size(), " photo after the delete"));
    EXPECT_SENTENCE(profile.rows().size() == 2u && (profile.rows()[0].trashed != profile.rows()[1].trashed),
                    "the deleted photo's row is marked deleted, the other's is not");

    // The index is lost while the program is not running; the photos' files are all still there.
    fs::path deleted;
    for (const LibraryRow& row : profile.rows())
        if (row.trashed) deleted = row.original;
    ASSERT_FALSE(deleted.empty());
    const std::string deletedBytes = ReadText(deleted);
    for (const char* name : {"library.sqlite", "library.sqlite-wal", "library.sqlite-shm"})
        fs::remove(profile.library() / name);
    Script look;
    look.launch()
        .shot("alert.png")
        .key("Escape", 1, "the photo library's alert answered: OK")
        .tap(phone::kAlbumButton, 1.2, "the album button: the grid of all photos")
        .shot("grid-rebuilt.png");
    const Outcome again = profile.runScript(look.text());
    ASSERT_EQ(again.status, 0) << again.err;

    EXPECT_SENTENCE(again.err.find("index was missing; it was made anew from the 1 photo in the library's folder; "
                                   "albums and the settings of edits could not be recovered") != std::string::npos,
                    "the next start says the index was made anew from the 1 photo kept, and what was lost");
    const double box = Screenshot(profile.shot("alert.png")).meanColour({60, 260, 255, 120}).brightness();
    EXPECT_SENTENCE(box > 0.8, Said("an alert says it over the camera (brightness ", box, " where it stands)"));
    const Screenshot rebuilt(profile.shot("grid-rebuilt.png"));
    const double keptAgain = rebuilt.meanDifference(before, phone::GridCellRegion(0));
    const double stillEmpty = rebuilt.brightnessSpread(phone::GridCellRegion(1));
    EXPECT_SENTENCE(keptAgain < kSameLook, Said("the photo kept is first in the grid again (", keptAgain, " apart)"));
    EXPECT_SENTENCE(stillEmpty < 0.02,
                    Said("the deleted photo has not come back into the grid (brightness spread ", stillEmpty, ")"));
    EXPECT_SENTENCE(
        profile.rows().size() == 2u && profile.photos().size() == 1u,
        Said("the new index lists ", profile.rows().size(), " photos, ", profile.photos().size(), " not deleted"));
    const std::vector<LibraryRow> all = profile.rows();
    EXPECT_SENTENCE(std::any_of(all.begin(), all.end(), [&](auto& r) { return r.trashed && r.original == deleted; }),
                    "the deleted photo's row is marked deleted, its file kept for the days a delete keeps it");
    EXPECT_SENTENCE(!deletedBytes.empty() && ReadText(deleted) == deletedBytes, "its file is unchanged");
}

}  // namespace
}  // namespace acceptance
