// The save-method chooser with synthetic taps on the manual clock: shown only until it was
// seen, opening on the stored method, each choice written to the settings file at once, and
// Continue ending the screen once: the flag saved, the completion 0.1 s later, a 0.4 s fade,
// the controller freed.
#include <gtest/gtest.h>

#include "model/AmbrelAppSettings.h"
#include "model/ConfigHome.h"
#include "screens/savemethod/SaveSettingsViewController.h"
#include "support/TouchHarness.h"

namespace {

class SaveSettingsTest : public ConfigHomeTest {
protected:
    void SetUp() override {
        ConfigHomeTest::SetUp();
        settings().setSaveSettingsShown(false);
        settings().setCameraSaveMethod(SaveMethodSaveAsCopy);
    }
    void TearDown() override {
        settings().setSaveSettingsShown(false);
        settings().setCameraSaveMethod(SaveMethodSaveAsCopy);
        ConfigHomeTest::TearDown();
    }
    static AmbrelAppSettings& settings() { return AmbrelAppSettings::sharedInstance(); }
    // The settings as a fresh start reads them from the file.
    static AmbrelAppSettings Stored() {
        UserDefaults::resetStandardUserDefaults();
        AmbrelAppSettings stored;
        stored.loadSettings();
        return stored;
    }
    static SaveSettingsViewController* ChooserIn(UIView& host) {
        for (const auto& v : host.subviews())
            if (auto* chooser = dynamic_cast<SaveSettingsViewController*>(v->nextResponder())) return chooser;
        return nullptr;
    }
    // Presents the chooser in a window with three views already in it, and lets it settle.
    SaveSettingsViewController* Present(std::function<void()> completion = nullptr) {
        for (int i = 0; i < 3; ++i) ui.window->addSubview(std::make_shared<UIView>(CGRectMake(0, 0, 10, 10)));
        SaveSettingsViewController::presentSaveSettingsIfNeeded(*ui.window, std::move(completion));
        ui.advance(1.5);
        return ChooserIn(*ui.window);
    }
    // Whether the check mark stands beside the export choice.
    static bool CheckOnExport(SaveSettingsViewController& chooser) {
        const CGFloat y = chooser.checkAccessory()->center().y;
        return std::abs(y - CGRectGetMidY(chooser.exportTitleLabel()->frame())) <
               std::abs(y - CGRectGetMidY(chooser.saveTitleLabel()->frame()));
    }

    TouchHarness ui;
};

TEST_F(SaveSettingsTest, OnceSeenItOnlyRunsTheCompletion) {
    settings().setSaveSettingsShown(true);
    int completions = 0;
    SaveSettingsViewController::presentSaveSettingsIfNeeded(*ui.window, [&] { ++completions; });
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(ChooserIn(*ui.window), nullptr);
    EXPECT_FALSE(SaveSettingsViewController::shouldShowSaveSettings());
}

TEST_F(SaveSettingsTest, ItOpensOnTheStoredMethodAndEachTapIsWrittenAtOnce) {
    for (SaveMethod stored : {SaveMethodExport, SaveMethodSaveAsCopy}) {
        SCOPED_TRACE(stored);
        settings().setCameraSaveMethod(stored);
        SaveSettingsViewController* chooser = Present();
        ASSERT_NE(chooser, nullptr);
        EXPECT_EQ(CheckOnExport(*chooser), stored == SaveMethodExport);
        EXPECT_EQ(chooser->exportButton()->layer()->borderWidth(), stored == SaveMethodExport ? 1 : 0);
        chooser->view()->removeFromSuperview();
        chooser->setCompletedBlock(nullptr);  // the screen held itself until its end
    }
    SaveSettingsViewController* chooser = Present();
    ASSERT_NE(chooser, nullptr);
    EXPECT_EQ(ui.window->subviews()[2], chooser->view()) << "third among the container's views";
    ui.tap(*chooser->exportButton());
    ui.advance(0.6);
    EXPECT_EQ(Stored().cameraSaveMethod(), SaveMethodExport);
    EXPECT_TRUE(CheckOnExport(*chooser));
    ui.tap(*chooser->saveButton());
    ui.advance(0.6);
    EXPECT_EQ(Stored().cameraSaveMethod(), SaveMethodSaveAsCopy) << "the last tap wins";
    EXPECT_FALSE(CheckOnExport(*chooser));
    EXPECT_EQ(chooser->saveButton()->layer()->borderWidth(), 1);
    EXPECT_EQ(chooser->exportButton()->layer()->borderWidth(), 0);
    chooser->view()->removeFromSuperview();
    chooser->setCompletedBlock(nullptr);
}

TEST_F(SaveSettingsTest, ContinueEndsTheScreenOnceHoweverOftenItIsTapped) {
    std::vector<double> completions;
    SaveSettingsViewController* chooser = Present([&] { completions.push_back(ui.loop().now()); });
    ASSERT_NE(chooser, nullptr);
    const std::weak_ptr<UIViewController> controller = chooser->shared_from_this();
    const double tapped = ui.loop().now();
    ui.tap(*chooser->continueButton());
    chooser->continueButtonTouched();  // a second tap during the delay
    EXPECT_TRUE(Stored().saveSettingsShown());
    ui.advance(0.05);
    EXPECT_TRUE(completions.empty());
    ui.advance(0.1);
    ASSERT_EQ(completions.size(), 1u);
    EXPECT_NEAR(completions[0] - tapped, 0.1, 0.06);
    EXPECT_NE(ChooserIn(*ui.window), nullptr) << "still fading";
    ui.advance(0.6);
    EXPECT_EQ(ChooserIn(*ui.window), nullptr);
    EXPECT_TRUE(controller.expired()) << "freed";
    EXPECT_EQ(completions.size(), 1u);
}

}  // namespace
