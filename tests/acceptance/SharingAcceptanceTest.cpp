// Sharing a photo of the album as a person does: the share button, "Save to Pictures", twice.
// Each copy in the Pictures folder is named after the photo (the moment it was taken), under a
// free name, never over a file already there, and says which program wrote it just as a render
// on the command line does. Headless, on the manual clock, driven only by a script; judged by
// the files in the Pictures folder and their tags.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "FileTags.h"
#include "PhoneScreen.h"
#include "Sentence.h"
#include "TavorinProfile.h"

namespace acceptance {
namespace {

namespace fs = std::filesystem;

const fs::path kMountains = "/usr/share/backgrounds/picosdeeuropa_by_Aitzol_Berasategi.jpg";

TEST(Sharing, SaveToPicturesNamesEachCopyAfterThePhotoNeverOverAFileThereAndSaysTheProgramAsTheCommandLine) {
    TavorinProfile profile("share");
    profile.returningUser();
    const fs::path photo = profile.scaledPhotograph(kMountains, 512, "2021:07:14 09:30:05");
    ASSERT_EQ(profile.import({photo}).status, 0);
    const fs::path pictures = profile.pictures();
    // A file of the person's own already has the photo's name.
    fs::create_directories(pictures);
    const fs::path theirs = pictures / "2021-07-14 09.30.05.jpg";
    std::ofstream(theirs) << "the person's own file";

    Script script;
    script.launch()
        .openPhoto(0)
        .tap(phone::kShare, 1.5, "the share button: the share sheet")
        .tap(phone::kSheetSaveToPictures, 4, "Save to Pictures")
        .tap(phone::kShare, 1.5, "the share button again")
        .tap(phone::kSheetSaveToPictures, 4, "Save to Pictures again");
    const Outcome run = profile.runScript(script.text());
    ASSERT_EQ(run.status, 0) << run.err;

    const fs::path first = pictures / "2021-07-14 09.30.05 2.jpg", second = pictures / "2021-07-14 09.30.05 3.jpg";
    EXPECT_SENTENCE(ReadText(theirs) == "the person's own file", "the file already in Pictures is left as it was");
    EXPECT_SENTENCE(fs::is_regular_file(first) && fs::is_regular_file(second),
                    "the two copies are named after the moment the photo was taken, each under a free name: \"" +
                        first.filename().string() + "\" and \"" + second.filename().string() + "\"");
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(pictures)) ++files;
    EXPECT_SENTENCE(files == 3u, Said("Pictures holds the person's file and the two copies: ", files, " files"));

    // The command line's render of the same photo names the same program.
    const fs::path rendered = profile.folder() / "rendered.jpg";
    const Outcome render = profile.run({"-q", photo.string(), rendered.string()});
    ASSERT_EQ(render.status, 0) << render.err;
    const auto shared = TagOf(first, "Exif.Image.Software"), commandLine = TagOf(rendered, "Exif.Image.Software");
    EXPECT_SENTENCE(shared && commandLine && *shared == *commandLine && shared->rfind("Tavorin ", 0) == 0,
                    "the copy and the command line's render name the same program with its version: \"" +
                        shared.value_or("none") + "\" and \"" + commandLine.value_or("none") + "\"");
}

}  // namespace
}  // namespace acceptance
