// The introduction with synthetic taps on the manual clock: shown only until it was seen; the
// first page builds up by its timeline after the opening; taps count only once a page's next
// button fades in, one per page; the third accepted tap ends it with the flag in the settings
// file before the caller's completion, then the fade, the removal and the controller's release.
#include <gtest/gtest.h>

#include "model/AmbrelAppSettings.h"
#include "model/ConfigHome.h"
#include "screens/intro/IntroViewController.h"
#include "support/TouchHarness.h"
#include "ui/widgets/AmbrelActivityView.h"
#include "ui/widgets/CompareView.h"

namespace {

class IntroTest : public ConfigHomeTest {
protected:
    void SetUp() override {
        ConfigHomeTest::SetUp();
        settings().setIntroductionShown(false);
    }
    void TearDown() override {
        settings().setIntroductionShown(false);
        UIDeviceProfile::setCurrent(UIDeviceProfile::phone());
        ConfigHomeTest::TearDown();
    }
    static AmbrelAppSettings& settings() { return AmbrelAppSettings::sharedInstance(); }
    static IntroViewController* IntroIn(UIView& host) {
        for (const auto& v : host.subviews())
            if (auto* intro = dynamic_cast<IntroViewController*>(v->nextResponder())) return intro;
        return nullptr;
    }
    // Opacity as drawn now, not the value an animation is heading for.
    static double Shown(UIView& view) { return view.layer()->presentationLayer()->opacity(); }
    // A window holding three views, as the application's does.
    static void FillHost(UIView& host) {
        for (int i = 0; i < 3; ++i) host.addSubview(std::make_shared<UIView>(CGRectMake(0, 0, 10, 10)));
    }
};

TEST_F(IntroTest, OnceShownNothingIsInsertedAndTheCompletionRunsBeforeTheCallReturns) {
    settings().setIntroductionShown(true);
    TouchHarness ui;
    FillHost(*ui.window);
    int completions = 0;
    IntroViewController::presentIntroductionIfNeeded(*ui.window, [&] { ++completions; });
    EXPECT_EQ(completions, 1);
    IntroViewController::presentIntroductionIfNeeded(*ui.window, nullptr);
    EXPECT_EQ(ui.window->subviews().size(), 3u);
    EXPECT_EQ(IntroIn(*ui.window), nullptr);
}

TEST_F(IntroTest, ThreePagesOneTapEachThenTheFlagTheCompletionAndTheFade) {
    TouchHarness ui;
    FillHost(*ui.window);
    std::vector<double> completions;
    bool savedBeforeCompletion = false;
    const double start = ui.loop().now();
    IntroViewController::presentIntroductionIfNeeded(*ui.window, [&] {
        completions.push_back(ui.loop().now() - start);
        savedBeforeCompletion = readStore().find("\"introductionShown\":true") != std::string::npos;
    });
    IntroViewController* intro = IntroIn(*ui.window);
    ASSERT_NE(intro, nullptr);
    EXPECT_EQ(ui.window->subviews()[2], intro->view()) << "inserted at index 2";
    const std::weak_ptr<UIViewController> controller = intro->shared_from_this();
    const auto at = [&](double seconds) { ui.advance(seconds - (ui.loop().now() - start)); };

    // Page 1 builds up from the end of the opening (0.8 s).
    at(0.5);
    ui.tap(187, 333);
    EXPECT_EQ(intro->transition(), 0u) << "a tap during the opening";
    at(0.85);
    EXPECT_EQ(intro->transition(), 1u) << "page 1 starts by itself";
    EXPECT_EQ(intro->titleLabel()->text(), "Low Light Mode Brings Dark Scenes to Life");
    ASSERT_NE(intro->imageView()->image(), nullptr) << "introLowLightBefore";
    struct Step {
        const char* name;
        UIView* view;
        double from;  // page time when its fade starts
    } steps[] = {{"title", intro->titleLabel().get(), 0.5},
                 {"picture", intro->imageView().get(), 1.5},
                 {"bottom line", intro->bottomLabel().get(), 5.75},
                 {"next button", intro->nextButton().get(), 7.0}};
    for (const Step& s : steps) {
        at(0.8 + s.from - 0.05);
        EXPECT_LT(Shown(*s.view), 0.05) << s.name << " before its time";
        if (std::string(s.name) == "bottom line") {
            ui.tap(187, 333);
            EXPECT_EQ(intro->transition(), 1u) << "a tap before the next button fades in";
        }
    }
    at(0.8 + 7.05);
    for (const Step& s : steps) EXPECT_GT(Shown(*s.view), s.view == intro->nextButton().get() ? 0.0 : 0.95) << s.name;
    ui.tap(187, 333);
    ui.tap(187, 333);
    EXPECT_EQ(intro->transition(), 2u) << "one tap per page";
    at(0.8 + 7.05 + 0.25);
    EXPECT_EQ(intro->titleLabel()->text(), "Realtime HDR Allows You To Correct Lighting Issues");
    ui.advance(7.0);
    ui.tap(187, 333);
    EXPECT_EQ(intro->transition(), 3u);
    ui.advance(0.25);
    EXPECT_EQ(intro->nextButton()->titleForState(UIControlStateNormal), "Get Started");
    ui.advance(7.0);
    ui.tap(187, 333);
    const double ended = ui.loop().now() - start;
    EXPECT_EQ(intro->transition(), 4u);
    ui.tap(187, 333);
    EXPECT_EQ(intro->transition(), 4u) << "nothing after the end";
    ui.advance(0.4);
    EXPECT_TRUE(completions.empty());
    ui.advance(0.25);
    ASSERT_EQ(completions.size(), 1u);
    EXPECT_NEAR(completions[0] - ended, 0.6, 0.06);
    EXPECT_TRUE(savedBeforeCompletion);
    EXPECT_NE(IntroIn(*ui.window), nullptr) << "still fading";
    ui.advance(1.1);
    EXPECT_EQ(IntroIn(*ui.window), nullptr) << "removed";
    EXPECT_TRUE(controller.expired()) << "freed";
    EXPECT_EQ(completions.size(), 1u);
}

TEST_F(IntroTest, TheWipeRunsBetweenItsTimesAndTheAfterPictureShowsPastTheSplit) {
    TouchHarness ui;
    FillHost(*ui.window);
    const double start = ui.loop().now();
    IntroViewController::presentIntroductionIfNeeded(*ui.window, nullptr);
    IntroViewController* intro = IntroIn(*ui.window);
    ASSERT_NE(intro, nullptr);
    std::vector<std::pair<double, double>> moves;  // page time, divider x
    intro->compareView()->setBlock([&](bool, double, CGPoint centre) {
        const double t = ui.loop().now() - start - 0.8;
        if (moves.empty() || std::abs(moves.back().second - centre.x) > 0.01) moves.emplace_back(t, centre.x);
    });
    ui.advance(0.8 + 2.8);
    EXPECT_EQ(intro->compareView()->compareImage(), nullptr) << "the after picture comes at 2.85 s";
    moves.clear();
    ui.advance(0.1);
    ASSERT_NE(intro->compareView()->compareImage(), nullptr);
    for (double t = 0; t < 3.0; t += 1.0 / 30) ui.advance(1.0 / 30);
    ASSERT_FALSE(moves.empty());
    for (const auto& [t, x] : moves) {
        const bool inWipe = (t > 2.84 && t < 3.85) || (t > 4.5 && t < 5.3);
        EXPECT_TRUE(inWipe) << "divider moved at " << t;
    }
    EXPECT_GT(moves.back().first, 4.5) << "the second wipe ran";
    EXPECT_NEAR(intro->compareView()->relativePosition(), 1.1, 1e-6) << "past the end of the travel";
}

TEST_F(IntroTest, EachPagesTitleFitsBetweenTheLogoAndThePicturesOnPhoneAndPad) {
    for (const UIDeviceProfile& profile : {UIDeviceProfile::phone(), UIDeviceProfile::pad()}) {
        SCOPED_TRACE(profile.idiom == UIUserInterfaceIdiom::Pad ? "pad" : "phone");
        settings().setIntroductionShown(false);
        TouchHarness ui(profile);
        FillHost(*ui.window);
        IntroViewController::presentIntroductionIfNeeded(*ui.window, nullptr);
        IntroViewController* intro = IntroIn(*ui.window);
        ASSERT_NE(intro, nullptr);
        const CGPoint middle = {intro->view()->bounds().size.width / 2, intro->view()->bounds().size.height / 2};
        ui.advance(0.8);
        for (int page = 1; page <= 3; ++page) {
            ui.advance(7.5);
            UILabel& title = *intro->titleLabel();
            SCOPED_TRACE(title.text());
            // The text's lines as drawn: centred in the label, as high as they need.
            const CGRect label = title.frame();
            const CGFloat needed = title.sizeThatFits({label.size.width, 1000}).height;
            EXPECT_LE(needed, label.size.height) << "the title's lines fit its label";
            const CGFloat top = CGRectGetMidY(label) - needed / 2, bottom = CGRectGetMidY(label) + needed / 2;
            EXPECT_GE(top, CGRectGetMaxY(intro->activityView()->frame())) << "below the logo";
            EXPECT_LE(bottom, CGRectGetMinY(intro->imageView()->frame())) << "above the pictures";
            EXPECT_GE(CGRectGetMinY(intro->bottomLabel()->frame()), CGRectGetMaxY(intro->imageView()->frame()))
                << "the bottom line below the pictures";
            ui.tap(middle.x, middle.y);
        }
        ui.advance(2);
    }
}

TEST_F(IntroTest, ThePicturesTakeTheScreensWidthAndShrinkOnThePadInLandscape) {
    struct Case {
        const char* name;
        UIDeviceProfile profile;
        double scale;
        double heightGiven;  // share of the height given up to keep clear of the title
    } cases[] = {
        {"phone", UIDeviceProfile::phone(), 1.0, 0.05},
        {"pad, portrait", UIDeviceProfile::pad(), 1.0, 0},
        {"pad, landscape",
         [] {
             auto p = UIDeviceProfile::pad();
             p.orientation = UIDeviceOrientation::LandscapeLeft;
             return p;
         }(),
         0.6, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TouchHarness ui(c.profile);
        FillHost(*ui.window);
        IntroViewController::presentIntroductionIfNeeded(*ui.window, nullptr);
        IntroViewController* intro = IntroIn(*ui.window);
        ASSERT_NE(intro, nullptr);
        intro->view()->layoutIfNeeded();
        const CGSize screen = intro->view()->bounds().size;
        const CGSize picture = intro->imageView()->bounds().size;
        EXPECT_NEAR(picture.width, screen.width * c.scale, 0.5);
        EXPECT_LE(picture.height, screen.height * 0.6 * c.scale + 1.0);
        EXPECT_GE(picture.height, screen.height * 0.6 * c.scale * (1 - c.heightGiven) - 1.0);
        EXPECT_EQ(intro->compareView()->bounds().size.width, picture.width);
        EXPECT_NEAR(intro->imageView()->center().x, screen.width / 2, 0.5);
        // Left before its end: the screen's hold on itself is let go by hand.
        const auto kept = std::static_pointer_cast<IntroViewController>(intro->shared_from_this());
        kept->setCompletedBlock(nullptr);
        kept->view()->removeFromSuperview();
    }
}

}  // namespace
