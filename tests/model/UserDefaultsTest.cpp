#include "model/ConfigHome.h"

namespace {

using UserDefaultsTest = ConfigHomeTest;

TEST_F(UserDefaultsTest, StoreLivesUnderTheConfigurationFolder) {
    EXPECT_EQ(UserDefaults::standardStorePath(), storeFile());
    // A relative folder is not a valid configuration home: the home folder's .config is used.
    std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    ::setenv("XDG_CONFIG_HOME", "relative/dir", 1);
    ::setenv("HOME", home_.c_str(), 1);
    EXPECT_EQ(UserDefaults::standardStorePath(), home_ / ".config" / "tavorin" / "defaults.json");
    ::setenv("HOME", home.c_str(), 1);
}

TEST_F(UserDefaultsTest, ValuesPersistAcrossRestarts) {
    auto& defaults = UserDefaults::standardUserDefaults();
    EXPECT_TRUE(defaults.objectForKey("missing").is_null());
    defaults.setObject({{"a", true}, {"b", 3}}, "dict");
    defaults.setObject("text", "string");
    defaults.setObject(1, "gone");
    defaults.removeObject("gone");
    defaults.setObject(2, "alsoGone");
    defaults.setObject(nullptr, "alsoGone");
    EXPECT_FALSE(std::filesystem::exists(storeFile())) << "nothing is written before synchronize";
    ASSERT_TRUE(defaults.synchronize());

    UserDefaults::resetStandardUserDefaults();
    auto& reread = UserDefaults::standardUserDefaults();
    EXPECT_EQ(reread.objectForKey("dict"), PropertyListObject({{"a", true}, {"b", 3}}));
    EXPECT_EQ(reread.objectForKey("string"), "text");
    EXPECT_TRUE(reread.objectForKey("gone").is_null());
    EXPECT_TRUE(reread.objectForKey("alsoGone").is_null());
    EXPECT_TRUE(reread.problems().empty());
    EXPECT_TRUE(otherFiles().empty()) << "no temporary file is left behind";
    EXPECT_TRUE(PropertyListObject::parse(readStore()).is_object());
}

TEST_F(UserDefaultsTest, ResetWritesPendingChanges) {
    UserDefaults::standardUserDefaults().setObject(7, "n");
    UserDefaults::resetStandardUserDefaults();
    EXPECT_EQ(UserDefaults::standardUserDefaults().objectForKey("n"), 7);
}

TEST_F(UserDefaultsTest, UnreadableDocumentIsSetAsideAndReported) {
    const std::string cases[] = {
        "{\"AmbrelAppSettings\": {\"showGrid\": tru",  // cut short
        "[1, 2, 3]",                                   // not a dictionary
        "{\"key\": \"\xff\xfe\"}",                     // not UTF-8
        "",                                            // empty file
    };
    for (const std::string& text : cases) {
        SCOPED_TRACE(text);
        UserDefaults::resetStandardUserDefaults();
        std::filesystem::remove_all(storeFile().parent_path());
        writeStore(text);

        auto& defaults = UserDefaults::standardUserDefaults();
        EXPECT_TRUE(defaults.dictionaryRepresentation().empty());
        ASSERT_EQ(defaults.problems().size(), 1u);
        auto aside = defaults.setAsidePath();
        ASSERT_TRUE(aside.has_value());
        EXPECT_EQ(aside->parent_path(), storeFile().parent_path());
        std::ifstream in(*aside, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), text) << "the user's file is kept whole";

        // The store carries on and writes a fresh document beside the kept one.
        defaults.setObject(1, "fresh");
        EXPECT_TRUE(defaults.synchronize());
        EXPECT_EQ(PropertyListObject::parse(readStore()), PropertyListObject({{"fresh", 1}}));
    }
}

TEST_F(UserDefaultsTest, OversizedDocumentIsSetAside) {
    writeStore("{\"k\": \"" + std::string(UserDefaults::kMaximumDocumentSize, 'x') + "\"}");
    auto& defaults = UserDefaults::standardUserDefaults();
    EXPECT_TRUE(defaults.objectForKey("k").is_null());
    EXPECT_TRUE(defaults.setAsidePath().has_value());
}

TEST_F(UserDefaultsTest, AFolderWhereTheDocumentShouldBeIsMovedAsideWhole) {
    std::filesystem::create_directories(storeFile());
    std::ofstream(storeFile() / "inside.txt") << "kept";
    auto& defaults = UserDefaults::standardUserDefaults();
    defaults.setObject(1, "k");
    EXPECT_TRUE(defaults.synchronize());
    ASSERT_TRUE(defaults.setAsidePath());
    std::ifstream in(*defaults.setAsidePath() / "inside.txt");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "kept");
    EXPECT_EQ(PropertyListObject::parse(readStore()), PropertyListObject({{"k", 1}}));
    EXPECT_EQ(defaults.problems().size(), 1u);
}

TEST_F(UserDefaultsTest, FailedWriteIsReported) {
    std::ofstream(home_ / "tavorin") << "a file where the folder should be";
    auto& defaults = UserDefaults::standardUserDefaults();
    defaults.setObject(1, "k");
    EXPECT_FALSE(defaults.synchronize());
    EXPECT_FALSE(defaults.problems().empty());
    EXPECT_EQ(defaults.objectForKey("k"), 1) << "the value stays in memory";
}

}  // namespace
