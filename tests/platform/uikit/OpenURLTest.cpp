// Opening URLs: only web and mail addresses reach the desktop, unchanged and as one argument;
// the settings URL opens the file of access answers; a refused URL reaches nothing.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "platform/authorization/AuthorizationStore.h"
#include "platform/uikit/UIApplication.h"

namespace {

TEST(OpenURLTest, OnlyWebAndMailAddressesAndTheSettingsAreHandedOn) {
    ::setenv("XDG_CONFIG_HOME", "/tmp/tavorin-openurl-config", 1);
    UIApplication& app = UIApplication::sharedApplication();
    std::vector<std::string> launched;
    app.setURLLauncher([&](const std::string& target) {
        launched.push_back(target);
        return true;
    });
    struct Case {
        std::string url;
        bool opened;
    } cases[] = {
        {"https://example.org/help?a=1&b=2", true}, {"HTTP://example.org", true}, {"mailto:help@example.org", true},
        {"http:", false}, {"file:///etc/passwd", false}, {"javascript:alert(1)", false}, {"", false},
        {"--help", false}, {"https://example.org/\nrm", false}, {"x-other:thing", false}, {"example.org", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        launched.clear();
        EXPECT_EQ(app.canOpenURL(c.url), c.opened);
        EXPECT_EQ(app.openURL(c.url), c.opened);
        EXPECT_EQ(launched, c.opened ? std::vector<std::string>{c.url} : std::vector<std::string>{});
    }
    launched.clear();
    EXPECT_TRUE(app.openURL(UIApplicationOpenSettingsURLString));
    EXPECT_EQ(launched, std::vector<std::string>{"/tmp/tavorin-openurl-config/tavorin/authorization.json"});
    EXPECT_EQ(launched[0], AuthorizationStore::standardStorePath().string());

    app.setURLLauncher([](const std::string&) { return false; });  // the desktop could not be asked
    EXPECT_FALSE(app.openURL("https://example.org"));
    app.setURLLauncher(nullptr);
    ::unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
