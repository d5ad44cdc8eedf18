// The built program's first run on a fresh profile, as a new user meets it: the splash, the
// introduction's three pages, the access screen ("Enable Access") and the camera, whose shutter
// then takes a photo. Headless, on the manual clock, driven only by taps; judged by the
// screenshots, the settings the program kept and the library's rows.
#include <gtest/gtest.h>

#include <string>

#include "PhoneScreen.h"
#include "Screenshot.h"
#include "Sentence.h"
#include "TavorinProfile.h"

namespace acceptance {
namespace {

TEST(FirstRun, AFreshProfileGoesThroughTheIntroductionAndTheAccessScreenToAWorkingCamera) {
    TavorinProfile profile("first-run");
    // The splash waits 2.6 s and fades; the introduction opens in 0.8 s and its first page's
    // next button comes at 7.0 s; each later page takes as long after its tap. Then the access
    // screen asks for the camera and the photos.
    Script script;
    script.wait(11, "the splash, then the introduction's first page until its next button")
        .shot("introduction.png")
        .tap(phone::kIntroductionNext, 8, "next: the second page")
        .tap(phone::kIntroductionNext, 8, "next: the third page")
        .tap(phone::kIntroductionNext, 3, "Get Started: the access screen")
        .shot("access.png")
        .tap(phone::kEnableAccess, 4, "Enable Access: the camera")
        .shot("camera.png")
        .tap(phone::kShutter, 3, "the shutter");
    const Outcome run = profile.runScript(script.text());
    ASSERT_EQ(run.status, 0) << run.err;

    const Screenshot introduction(profile.shot("introduction.png")), access(profile.shot("access.png")),
        camera(profile.shot("camera.png"));
    const Region middle{0, 67, kScreenWidth, 533};
    const double introApart = introduction.meanDifference(camera, middle);
    const double accessApart = access.meanDifference(camera, middle);
    EXPECT_SENTENCE(introApart > 0.1, Said("the introduction covers the camera screen (", introApart, " apart)"));
    EXPECT_SENTENCE(accessApart > 0.1, Said("the access screen covers the camera screen (", accessApart, " apart)"));
    // The simulated camera's picture has a red square in its top left corner.
    const Colour corner = camera.meanColour({4, 48, 48, 56});
    EXPECT_SENTENCE(corner.r > 0.8 && corner.g < 0.2 && corner.b < 0.2,
                    Said("the camera screen shows the camera's picture (its red corner at ", corner.r, ", ", corner.g,
                         ", ", corner.b, ")"));
    const std::string settings = ReadText(profile.folder() / "config" / "tavorin" / "defaults.json");
    EXPECT_SENTENCE(settings.find("\"introductionShown\":true") != std::string::npos,
                    "the settings keep that the introduction was seen");
    const std::string access_ = ReadText(profile.folder() / "config" / "tavorin" / "authorization.json");
    EXPECT_SENTENCE(access_.find("\"camera\"") != std::string::npos && access_.find("\"photos\"") != std::string::npos,
                    "the access answers are kept: " + access_);
    EXPECT_SENTENCE(profile.photos().size() == 1u,
                    Said("the shutter, with access given, put ", profile.photos().size(), " photo into the library"));
}

}  // namespace
}  // namespace acceptance
