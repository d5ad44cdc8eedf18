// The mode information panel's record of seen categories, written to the settings file in a
// temporary configuration folder, and its close button.
#include <gtest/gtest.h>

#include "app/settings/ModeInfoViewController.h"
#include "model/AmbrelAppSettings.h"
#include "model/CollectionObject.h"
#include "model/ConfigHome.h"
#include "support/TouchHarness.h"

namespace {

std::shared_ptr<CollectionObject> category(const std::string& name) {
    auto header = CollectionObject::collectionObjectCategory();
    header->setName(name);
    return header;
}

class ModeInfoViewControllerTest : public ConfigHomeTest {};

}  // namespace

TEST_F(ModeInfoViewControllerTest, EachCategoryRemembersItsScreenInTheSettingsFile) {
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
            EXPECT_NE(file.find(std::string("\"") + c.key + "\": true"), std::string::npos) << c.name << "\n" << file;
        }
    }
}

TEST_F(ModeInfoViewControllerTest, ThePanelNamesTheCategoryAndItsCloseButtonRunsTheBlock) {
    TouchHarness ui;
    auto header = category("Low Light");
    ModeInfoViewController screen;
    int closed = 0;
    screen.setBlock([&] { ++closed; });
    screen.setCategory(header.get());
    EXPECT_EQ(screen.titleLabel()->text(), "Low Light Mode");
    ui.window->addSubview(screen.view());
    ui.tap(*screen.closeButton());
    EXPECT_EQ(closed, 1);
    screen.stopAnimating();
    EXPECT_TRUE(screen.shouldStopAnimating());
}
