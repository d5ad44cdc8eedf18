// The camera screen of the built program as a person uses it: the shutter puts what the camera
// sees into the library as a photo whose metadata is true (no camera make or model the camera
// never said, the time it was taken); without a camera the viewfinder says so, the shutter is
// dimmed and takes nothing, and the album works as ever; a camera that gives no picture (none
// at all, or none since it stopped) is said in the error alert, and nothing is written.
// Headless, on the manual clock, driven only by a script; judged by the screenshots, the files
// and their tags, the library's rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <string>

#include "FileTags.h"
#include "PhoneScreen.h"
#include "Screenshot.h"
#include "Sentence.h"
#include "TavorinProfile.h"

namespace acceptance {
namespace {

namespace fs = std::filesystem;

const fs::path kMountains = "/usr/share/backgrounds/picosdeeuropa_by_Aitzol_Berasategi.jpg";

// An Exif date ("2024:12:10 15:00:00", local time) in seconds since the epoch; -1 when it is not one.
double ExifSeconds(const std::string& text) {
    std::tm tm{};
    const char* end = ::strptime(text.c_str(), "%Y:%m:%d %H:%M:%S", &tm);
    if (!end || *end) return -1;
    tm.tm_isdst = -1;
    return static_cast<double>(std::mktime(&tm));
}

std::string Shown(const std::optional<std::string>& tag) { return tag ? "\"" + *tag + "\"" : "none"; }

TEST(Camera, TheShutterPutsWhatTheCameraSeesIntoTheLibraryWithTrueMetadata) {
    TavorinProfile profile("shutter");
    profile.returningUser();
    // The camera looks at a photograph.
    const fs::path seen = profile.scaledPhotograph(kMountains, 640);
    const std::string camera = TavorinProfile::CameraSeeing(seen);

    Script script;
    script.launch().shot("camera.png").tap(phone::kShutter, 3, "the shutter").shot("taken.png");
    const double start = static_cast<double>(std::time(nullptr));
    const Outcome run = profile.runScript(script.text(), {"--camera", camera});
    const double end = static_cast<double>(std::time(nullptr));
    ASSERT_EQ(run.status, 0) << run.err;

    // The camera is a photo (a JPEG, whose pixel format FFmpeg's scaler warned about on every
    // frame): the terminal is left alone.
    const auto lines = std::count(run.err.begin(), run.err.end(), '\n');
    EXPECT_SENTENCE(
        run.err.find("deprecated pixel format") == std::string::npos && run.err.find(" @ 0x") == std::string::npos,
        Said("the terminal shows none of FFmpeg's warnings (", lines, " lines on standard error)"));

    const std::vector<LibraryRow> rows = profile.photos();
    ASSERT_SENTENCE(rows.size() == 1u, Said("the shutter put ", rows.size(), " photo into the library"));
    const LibraryRow& photo = rows[0];
    EXPECT_SENTENCE(
        photo.creationDate >= start - 1 && photo.creationDate <= end + 1,
        Said("the library dates the photo within the run (", photo.creationDate - start, " s after its start)"));
    for (const fs::path& file : {photo.original, photo.render}) {
        if (file.empty()) continue;
        const std::string name = file == photo.original ? "the photo's original" : "the photo's render";
        const auto make = TagOf(file, "Exif.Image.Make"), model = TagOf(file, "Exif.Image.Model");
        EXPECT_SENTENCE(!make && !model, Said(name, " names no camera make or model the camera never gave (make ",
                                              Shown(make), ", model ", Shown(model), ")"));
        const auto taken = TagOf(file, "Exif.Photo.DateTimeOriginal");
        const double seconds = taken ? ExifSeconds(*taken) : -1;
        EXPECT_SENTENCE(seconds >= start - 2 && seconds <= end + 2,
                        Said(name, " says it was taken during the run (", Shown(taken), ")"));
    }
    // The photo is the photograph the camera saw.
    const Screenshot photograph = Photograph(seen), kept = Photograph(photo.original);
    const Colour a = photograph.meanColour(photograph.whole()), b = kept.meanColour(kept.whole());
    const double apart = std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
    EXPECT_SENTENCE(apart < 0.1, Said("the photo's colours are those of what the camera saw (", apart, " apart)"));
    // And the album button shows it.
    const Region albumButton{phone::kAlbumButton.x - 18, phone::kAlbumButton.y - 18, 36, 36};
    const double shown =
        Screenshot(profile.shot("taken.png")).meanDifference(Screenshot(profile.shot("camera.png")), albumButton);
    EXPECT_SENTENCE(shown > 0.05, Said("the album button changed to the new photo (", shown, ")"));
}

// How far the shutter's disc stands out from the bar around it (brightness, 0 to 1): a live
// shutter's about 0.26, a dimmed one's far less.
constexpr double kDimmedShutter = 0.15;

TEST(Camera, WithoutACameraTheViewfinderSaysSoTheShutterTakesNothingAndTheAlbumWorks) {
    TavorinProfile profile("no-camera");
    profile.returningUser();
    const fs::path photo = profile.scaledPhotograph(kMountains, 512);
    ASSERT_EQ(profile.import({photo}).status, 0);

    Script script;
    script.launch()
        .shot("no-camera.png")
        .tap(phone::kShutter, 1.5, "the shutter")
        .key("VolumeUp", 1.5, "the volume button, the other shutter")
        .shot("after-shutter.png")
        .openPhoto(0)
        .shot("single.png")
        .editShownPhoto()
        .shot("editing.png");
    const Outcome run = profile.runScript(script.text(), {"--camera", "none"});
    ASSERT_EQ(run.status, 0) << run.err;

    const Screenshot screen(profile.shot("no-camera.png"));
    const double notice = phone::BrighterThanAround(screen, phone::kNoCameraNotice);
    EXPECT_SENTENCE(notice > 0.05,
                    Said("the viewfinder shows its notice (the line ", notice, " brighter than around it)"));
    const Region disc{phone::kShutter.x - 15, phone::kShutter.y - 15, 30, 30};
    const Region bar{120, 590, 20, 40};
    const double standsOut = screen.meanColour(disc).brightness() - screen.meanColour(bar).brightness();
    EXPECT_SENTENCE(standsOut < kDimmedShutter, Said("the shutter is dimmed: it stands out from its bar by ", standsOut,
                                                     " (under ", kDimmedShutter, ")"));
    const double unchanged = Screenshot(profile.shot("after-shutter.png")).meanDifference(screen, screen.whole());
    EXPECT_SENTENCE(unchanged < 0.01,
                    Said("the shutter and the volume button changed nothing on the screen (", unchanged, ")"));
    EXPECT_SENTENCE(profile.photos().size() == 1u, Said("the library still holds ", profile.photos().size(), " photo"));

    const Screenshot photograph = Photograph(photo);
    const double own = photograph.meanSaturation(photograph.whole());
    const double w = photograph.bitmap().width, h = photograph.bitmap().height;
    const double single =
        Screenshot(profile.shot("single.png")).meanSaturation(phone::Fitted(w, h, phone::kSinglePhotoArea));
    const double editing =
        Screenshot(profile.shot("editing.png")).meanSaturation(phone::Fitted(w, h, phone::kEditingArea));
    EXPECT_SENTENCE(std::abs(single - own) < kSaturationKept * own && std::abs(editing - own) < kSaturationKept * own,
                    Said("the album shows the photo and album editing opens it (mean saturation ", single, " and ",
                         editing, " against its own ", own, ")"));
}

// The files a profile holds beside its library's index and the GL driver's shader cache:
// photos, renders, thumbnails, anything written half.
std::vector<fs::path> FilesBesideTheIndex(const TavorinProfile& profile) {
    std::vector<fs::path> files;
    for (const char* sub : {"data", "cache"})
        for (const auto& entry : fs::recursive_directory_iterator(profile.folder() / sub)) {
            const std::string name = entry.path().filename().string();
            if (!entry.is_regular_file() || name.rfind("library.sqlite", 0) == 0 || name == "library.lock" ||
                entry.path().string().find("mesa_shader_cache") != std::string::npos)
                continue;
            files.push_back(entry.path());
        }
    return files;
}

TEST(Camera, ACameraThatGivesNoPictureIsSaidInTheErrorAlertAndNothingIsWritten) {
    struct Case {
        const char* camera;
        const char* source;
        bool picture;  // the viewfinder shows a picture the camera gave before it stopped
    } cases[] = {
        {"a camera that opens and ends before its first frame", "lavfi:nullsrc=size=320x240:duration=0", false},
        // As a webcam unplugged mid-stream: its last picture stays in the viewfinder, and was
        // saved as if it were new.
        {"a camera that gives one dark red picture and stops", "lavfi:color=c=0x802020:size=320x240:rate=1:duration=1",
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.camera);
        TavorinProfile profile(c.picture ? "stopped-camera" : "no-picture");
        profile.returningUser();
        Script script;
        script.launch()
            .wait(2, "the camera's stream has ended")
            .shot("camera.png")
            .tap(phone::kShutter, 8, "the shutter: the focus, then the still the camera cannot give")
            .shot("alert.png")
            .key("Esc", 1, "the alert's OK")
            .shot("dismissed.png")
            .tap(phone::kShutter, 8, "the shutter again")
            .shot("again.png");
        const Outcome run = profile.runScript(script.text(), {"--camera", c.source});
        ASSERT_EQ(run.status, 0) << run.err;

        const Screenshot before(profile.shot("camera.png"));
        const Region viewfinder{20, 60, 335, 400};
        const double saturation = before.meanSaturation(viewfinder);
        EXPECT_SENTENCE((saturation > 0.3) == c.picture,
                        Said("the viewfinder ", c.picture ? "keeps the camera's last" : "shows no",
                             " picture (mean saturation ", saturation, ")"));
        // A blank strip of the alert's box, beside its message, and the dimmed screen around it.
        const Region box{58, 300, 16, 40}, around{20, 100, 335, 120};
        for (const char* shot : {"alert.png", "again.png"}) {
            const Screenshot alert(profile.shot(shot));
            const double lighter = alert.meanColour(box).brightness() - before.meanColour(box).brightness();
            const double dimmed = before.meanColour(around).brightness() - alert.meanColour(around).brightness();
            EXPECT_SENTENCE(lighter > 0.5 && dimmed > 0.02,
                            Said(shot, " shows the error alert over the dimmed screen (its box ", lighter,
                                 " lighter than the viewfinder was, the screen ", dimmed, " darker)"));
        }
        const std::string reason = "The photo could not be taken. The camera stopped: the stream ended.";
        const bool said = run.err.find(reason) != std::string::npos;
        EXPECT_SENTENCE(said, Said("standard error gives the reason: \"", reason, "\"",
                                   said ? std::string() : " (it says: " + run.err + ")"));
        const Screenshot dismissed(profile.shot("dismissed.png"));
        const double back = dismissed.meanDifference(before, before.whole());
        EXPECT_SENTENCE(back < 0.01,
                        Said("OK leaves the camera screen as it was, no second alert behind it (", back, " apart)"));
        const Region albumButton{phone::kAlbumButton.x - 18, phone::kAlbumButton.y - 18, 36, 36};
        const double album = dismissed.meanDifference(before, albumButton);
        EXPECT_SENTENCE(album < 0.01, Said("the album button shows no new photo (", album, " apart)"));
        EXPECT_SENTENCE(profile.rows().empty(), Said("the library lists ", profile.rows().size(), " photos"));
        const std::vector<fs::path> files = FilesBesideTheIndex(profile);
        EXPECT_SENTENCE(files.empty(), Said("no photo, render or thumbnail was written (", files.size(), " files",
                                            files.empty() ? std::string() : ": " + files.front().string(), ")"));
    }
}

}  // namespace
}  // namespace acceptance
