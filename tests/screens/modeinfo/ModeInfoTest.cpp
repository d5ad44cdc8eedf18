// The mode information screen: each category's seen flag in the settings file, its texts and
// picture names, the close button, the wipe loop's turns on the manual clock (and their end
// after stopAnimating or the controller's release), and a composited screenshot mid-wipe with
// the before picture on one side of the split and the after picture on the other.
#include <gtest/gtest.h>

#include "model/AmbrelAppSettings.h"
#include "model/CollectionObject.h"
#include "model/ConfigHome.h"
#include "screens/modeinfo/ModeInfoViewController.h"
#include "support/PixelImage.h"
#include "support/TouchHarness.h"
#include "ui/widgets/CompareView.h"

namespace {

std::shared_ptr<CollectionObject> category(const std::string& name) {
    auto header = CollectionObject::collectionObjectCategory();
    header->setName(name);
    header->setColor(CGColor{0.3, 0.5, 0.5, 1});
    header->setContentColor(CGColor{1, 0.9, 0.7, 1});
    return header;
}

class ModeInfoTest : public ConfigHomeTest {
protected:
    // A screen in the window showing the category; the test keeps the only reference.
    std::shared_ptr<ModeInfoViewController> Show(TouchHarness& ui, const CollectionObject& shown) {
        auto screen = std::make_shared<ModeInfoViewController>();
        ui.window->addSubview(screen->view());
        screen->setCategory(&shown);
        return screen;
    }
    // Times (from now) at which a turn begins: the caption "Original" set going.
    static std::vector<double> TurnStarts(TouchHarness& ui, ModeInfoViewController& screen, double seconds,
                                          std::function<void(double)> at = nullptr) {
        std::vector<double> starts;
        const double start = ui.loop().now();
        double last = screen.compareDescription()->alpha();
        for (double t = 0; t < seconds; t += 0.05) {
            ui.advance(0.05);
            const double alpha = screen.compareDescription()->alpha();
            if (last < 0.5 && alpha > 0.5 && screen.compareDescription()->text() == "Original")
                starts.push_back(ui.loop().now() - start);
            last = alpha;
            if (at) at(ui.loop().now() - start);
        }
        return starts;
    }
};

TEST_F(ModeInfoTest, EachCategoryRemembersItsScreenInTheSettingsFile) {
    AmbrelAppSettings& settings = AmbrelAppSettings::sharedInstance();
    struct Case {
        const char* name;
        const char* key;  // none: no flag
        bool (AmbrelAppSettings::*get)() const;
    };
    const std::vector<Case> cases = {
        {"Enhance", "modeHelpShownNormal", &AmbrelAppSettings::modeHelpShownNormal},
        {"Low Light", "modeHelpShownLowLight", &AmbrelAppSettings::modeHelpShownLowLight},
        {"Overexposure", "modeHelpShownExposure", &AmbrelAppSettings::modeHelpShownExposure},
        {"Nature", "modeHelpShownNature", &AmbrelAppSettings::modeHelpShownNature},
        {"Vibrant", "modeHelpShownVibrant", &AmbrelAppSettings::modeHelpShownVibrant},
        {"Fog", "modeHelpShownFog", &AmbrelAppSettings::modeHelpShownFog},
        {"Portraits", nullptr, nullptr},
    };
    for (const auto& c : cases) {
        auto header = category(c.name);
        settings.loadSettings();  // defaults, from the fresh folder
        const bool unseen = c.get && !(settings.*c.get)();
        EXPECT_EQ(ModeInfoViewController::shouldShowModeInfoForCategory(*header), unseen) << c.name;
        std::filesystem::remove(storeFile());
        ModeInfoViewController::setModeInfoForCategoryShown(*header);
        EXPECT_FALSE(ModeInfoViewController::shouldShowModeInfoForCategory(*header)) << c.name;
        const std::string file = readStore();
        EXPECT_FALSE(file.empty()) << c.name << ": saved even without a flag";
        if (c.key) {
            EXPECT_NE(file.find(std::string("\"") + c.key + "\":true"), std::string::npos) << c.name << "\n" << file;
        }
    }
}

TEST_F(ModeInfoTest, TextsAndPictureNamesByCategoryWithTheEnhanceTextsForOthers) {
    const std::string enhance = ModeInfoViewController::descriptionForCategory(*category("Enhance"));
    struct Case {
        const char* name;
        const char* picture;
        const char* descriptionStart;  // null: the Enhance description
        const char* usage;
    } cases[] = {
        {"Low Light", "LowLight", "Low Light mode brightens dim areas",
         "This mode may appear noisier in the viewfinder than in the final photo."},
        {"Fog", "Fog", "Fog mode reduces fog",
         "Adjust the strength of this mode to remove just the right amount of haze."},
        {"Nature", "Nature", nullptr, "Use this mode to instantly improve your day to day photos."},
        {"Vibrant", "Vibrant", nullptr, "Use this mode to instantly improve your day to day photos."},
        {"Enhance", "Enhance", "Enhance mode applies subtle changes",
         "Use this mode to instantly improve the look of your day to day photos."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto header = category(c.name);
        EXPECT_EQ(ModeInfoViewController::imageNameForCategory(*header), c.picture);
        const std::string description = ModeInfoViewController::descriptionForCategory(*header);
        if (c.descriptionStart) EXPECT_EQ(description.rfind(c.descriptionStart, 0), 0u) << description;
        else EXPECT_EQ(description, enhance);
        EXPECT_EQ(ModeInfoViewController::usageForCategory(*header), c.usage);
    }
}

TEST_F(ModeInfoTest, TheScreenNamesTheCategoryAndItsCloseButtonRunsTheBlock) {
    TouchHarness ui;
    auto header = category("Low Light");
    auto screen = Show(ui, *header);
    int closed = 0;
    screen->setBlock([&] { ++closed; });
    EXPECT_EQ(screen->modeTitle()->text(), "Low Light Mode");
    // "modeLowLightInfoBefore@2x.jpg" and "...After@2x.jpg", square.
    ASSERT_NE(screen->compareViewOriginal()->image(), nullptr);
    ASSERT_NE(screen->compareView()->compareImage(), nullptr);
    EXPECT_EQ(screen->compareViewOriginal()->image()->size().width,
              screen->compareViewOriginal()->image()->size().height);
    EXPECT_EQ(screen->modeUsage()->text(), "This mode may appear noisier in the viewfinder than in the final photo.");
    screen->view()->layoutIfNeeded();
    ui.tap(*screen->dismissView());
    EXPECT_EQ(closed, 1);
    screen->stopAnimating();
    EXPECT_TRUE(screen->shouldStopAnimating());
    screen->view()->removeFromSuperview();
}

TEST_F(ModeInfoTest, TurnsStartEverySixPointSixSecondsUntilStopAnimating) {
    TouchHarness ui;
    auto header = category("Dramatic");
    auto screen = Show(ui, *header);
    const std::vector<double> starts = TurnStarts(ui, *screen, 14.0, [&](double t) {
        if (std::abs(t - 8.0) < 0.026) screen->stopAnimating();
    });
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_NEAR(starts[0], 0.4, 0.06);
    EXPECT_NEAR(starts[1], 7.0, 0.06);
    EXPECT_TRUE(TurnStarts(ui, *screen, 7.0).empty()) << "none after stopAnimating";
    screen->view()->removeFromSuperview();

    auto again = Show(ui, *header);
    EXPECT_EQ(TurnStarts(ui, *again, 13.7).size(), 3u) << "0.4, 7.0 and 13.6 s";
    again->view()->removeFromSuperview();
}

TEST_F(ModeInfoTest, ReleasingTheScreenMidTurnEndsTheLoopSafely) {
    TouchHarness ui;
    auto header = category("Sky");
    auto screen = Show(ui, *header);
    const std::weak_ptr<ModeInfoViewController> weak = screen;
    ui.advance(3.0);
    screen->view()->removeFromSuperview();
    screen.reset();
    EXPECT_TRUE(weak.expired());
    ui.advance(14.0);
}

TEST_F(ModeInfoTest, MidWipeTheBeforePictureShowsOnOneSideOfTheSplitAndTheAfterOnTheOther) {
    TouchHarness ui;
    auto header = category("Clarity");
    auto screen = Show(ui, *header);
    screen->compareViewOriginal()->setImage(pixelimage::flat(64, 64, {220, 30, 30, 255}));
    screen->compareView()->setCompareImage(pixelimage::flat(64, 64, {30, 30, 220, 255}),
                                           screen->compareViewOriginal()->contentMode());
    screen->view()->layoutIfNeeded();
    const CGRect pair = screen->compareView()->frame();
    const CGRect left = CGRectMake(pair.origin.x + 8, pair.origin.y + 8, pair.size.width * 0.2, pair.size.height - 16);
    const CGRect right = CGRectMake(CGRectGetMaxX(pair) - 8 - pair.size.width * 0.2, pair.origin.y + 8,
                                    pair.size.width * 0.2, pair.size.height - 16);
    const auto red = [](const CGColor& c) { return c.r > 0.6 && c.b < 0.3; };
    const auto blue = [](const CGColor& c) { return c.b > 0.6 && c.r < 0.3; };
    // The wipe is the third step of the turn: from 0.4 + 2.4 s for 1.2 s.
    ui.advance(0.4 + 2.3);
    EXPECT_TRUE(red(ui.meanColor(left)) && red(ui.meanColor(right))) << "before the wipe: the before picture";
    bool split = false;
    for (int frame = 0; frame < 40 && !split; ++frame) {
        ui.advance(1.0 / 30);
        const CGColor a = ui.meanColor(left), b = ui.meanColor(right);
        split = (red(a) && blue(b)) || (blue(a) && red(b));
    }
    EXPECT_TRUE(split) << "during the wipe each side shows one picture";
    screen->stopAnimating();
    screen->view()->removeFromSuperview();
}

}  // namespace
