#include "model/AmbrelAppSettings.h"
#include "model/ConfigHome.h"

namespace {

class AppSettingsTest : public ConfigHomeTest {
protected:
    // Settings loaded from the program's store, as at a fresh start.
    AmbrelAppSettings load(const PropertyListObject& stored = nullptr) {
        if (!stored.is_null()) {
            UserDefaults::standardUserDefaults().setObject(stored, AmbrelAppSettings::kSettingsKey);
            UserDefaults::resetStandardUserDefaults();
        }
        AmbrelAppSettings settings;
        settings.loadSettings();
        return settings;
    }
    static PropertyListObject defaults() {
        AmbrelAppSettings settings;
        return settings.settingsDictionary();
    }
};

TEST_F(AppSettingsTest, NothingStoredGivesTheDefaults) {
    AmbrelAppSettings settings = load();
    EXPECT_EQ(settings.cameraSaveMethod(), SaveMethodSaveAsCopy);
    EXPECT_EQ(settings.albumSaveMethod(), SaveMethodPrompt);
    EXPECT_EQ(settings.saveType(), SaveTypeJPEG);
    EXPECT_EQ(settings.defaultMode(), "Normal 1");
    EXPECT_FALSE(settings.showGrid());
    EXPECT_TRUE(settings.loadProblems().empty());

    const auto& keys = AmbrelAppSettings::settingsKeys();
    ASSERT_EQ(keys.size(), 20u);
    EXPECT_EQ(keys.front(), "saveOriginal");
    EXPECT_EQ(keys[7], "saveType");
    EXPECT_EQ(keys.back(), "defaultMode");
    ASSERT_EQ(AmbrelAppSettings::settingsDefaultValues().size(), 20u);
    EXPECT_EQ(AmbrelAppSettings::settingsDefaultValues()[6], 2);
    // Settings not loaded yet hold the same defaults.
    const PropertyListObject fresh = defaults();
    for (std::size_t i = 0; i < keys.size(); ++i)
        EXPECT_EQ(fresh[keys[i]], AmbrelAppSettings::settingsDefaultValues()[i]) << keys[i];
}

TEST_F(AppSettingsTest, SavedSettingsComeBackAfterARestart) {
    AmbrelAppSettings settings = load();
    settings.setShowGrid(true);
    settings.setSaveType(SaveTypeTIFF);
    settings.setAlbumSaveMethod(SaveMethodExport);
    settings.setModeHelpShownFog(true);
    settings.setDefaultMode("Low Light 3");
    ASSERT_TRUE(settings.saveSettings());

    PropertyListObject stored = PropertyListObject::parse(readStore())[AmbrelAppSettings::kSettingsKey];
    EXPECT_EQ(stored.size(), 20u);
    EXPECT_EQ(stored["saveType"], 2);
    EXPECT_EQ(stored["showGrid"], true);

    UserDefaults::resetStandardUserDefaults();
    AmbrelAppSettings again = load();
    EXPECT_TRUE(again.showGrid());
    EXPECT_EQ(again.saveType(), SaveTypeTIFF);
    EXPECT_EQ(again.albumSaveMethod(), SaveMethodExport);
    EXPECT_TRUE(again.modeHelpShownFog());
    EXPECT_FALSE(again.modeHelpShownSky());
    EXPECT_EQ(again.defaultMode(), "Low Light 3");
}

TEST_F(AppSettingsTest, UnsavedChangeIsUndoneByLoading) {
    AmbrelAppSettings settings = load({{"showGrid", false}});
    settings.setShowGrid(true);
    settings.loadSettings();
    EXPECT_FALSE(settings.showGrid());
}

TEST_F(AppSettingsTest, DefaultsSaveExactlyTwentyEntries) {
    AmbrelAppSettings settings = load();
    ASSERT_TRUE(settings.saveSettings());
    EXPECT_EQ(UserDefaults::standardUserDefaults().objectForKey(AmbrelAppSettings::kSettingsKey), defaults());
    EXPECT_EQ(defaults().size(), 20u);
}

TEST_F(AppSettingsTest, EachValidStoredSettingIsKept) {
    struct Case {
        const char* what;
        PropertyListObject stored;
        size_t problems;
    };
    const Case cases[] = {
        {"only one key", {{"saveType", 1}}, 0},
        {"an unknown key", {{"saveType", 1}, {"someFutureSetting", true}}, 1},
        {"a mistyped key", {{"saveType", 1}, {"showGrid", "yes"}}, 1},
        {"an integer where a string belongs", {{"saveType", 1}, {"defaultMode", 5}}, 1},
        {"a method out of range", {{"saveType", 1}, {"cameraSaveMethod", 9}}, 1},
        {"a fractional type", {{"saveType", 1}, {"albumSaveMethod", 1.5}}, 1},
        {"a type out of range", {{"saveType", 1}, {"albumSaveMethod", -1}}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        AmbrelAppSettings settings = load(c.stored);
        EXPECT_EQ(settings.saveType(), SaveTypePNG);
        EXPECT_EQ(settings.loadProblems().size(), c.problems);
        PropertyListObject expected = defaults();
        expected["saveType"] = 1;
        EXPECT_EQ(settings.settingsDictionary(), expected);
    }
}

TEST_F(AppSettingsTest, NumbersStandForBooleans) {
    AmbrelAppSettings settings = load({{"showGrid", 1}, {"saveOriginal", 0}, {"useGeotagging", 2}});
    EXPECT_TRUE(settings.showGrid());
    EXPECT_FALSE(settings.saveOriginal());
    EXPECT_FALSE(settings.useGeotagging());
    EXPECT_EQ(settings.loadProblems().size(), 1u);
}

TEST_F(AppSettingsTest, ForeignValueGivesDefaultsAndIsReported) {
    AmbrelAppSettings settings = load("not a dictionary");
    EXPECT_EQ(settings.settingsDictionary(), defaults());
    EXPECT_EQ(settings.loadProblems().size(), 1u);
}

TEST_F(AppSettingsTest, CorruptStoreIsSetAsideAndReported) {
    const std::string text = "{\"AmbrelAppSettings\": {\"showGrid\": true,";
    writeStore(text);
    AmbrelAppSettings settings = load();
    EXPECT_EQ(settings.settingsDictionary(), defaults());
    ASSERT_EQ(settings.loadProblems().size(), 1u);
    EXPECT_NE(settings.loadProblems()[0].find("moved aside"), std::string::npos);
    ASSERT_EQ(otherFiles().size(), 1u);

    settings.setShowGrid(true);
    ASSERT_TRUE(settings.saveSettings());
    std::ifstream in(storeFile().parent_path() / otherFiles()[0], std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), text) << "saving does not touch the kept file";
}

TEST_F(AppSettingsTest, SharedInstanceIsLoadedOnce) {
    UserDefaults::standardUserDefaults().setObject({{"saveType", 2}}, AmbrelAppSettings::kSettingsKey);
    AmbrelAppSettings& shared = AmbrelAppSettings::sharedInstance();
    EXPECT_EQ(&shared, &AmbrelAppSettings::sharedInstance());
    EXPECT_EQ(shared.saveType(), SaveTypeTIFF);
}

TEST(AppSettingsArchive, ObjectsRoundTripThroughData) {
    PropertyListObject object = {{"a", {1, 2, "x"}}};
    EXPECT_EQ(AmbrelAppSettings::objectFromData(AmbrelAppSettings::dataWithObject(object)), object);
    EXPECT_TRUE(AmbrelAppSettings::objectFromData("{broken").is_null());
    EXPECT_TRUE(AmbrelAppSettings::objectFromData(std::string(100000, '[') + std::string(100000, ']')).is_null())
        << "too deep to copy safely";
}

}  // namespace
