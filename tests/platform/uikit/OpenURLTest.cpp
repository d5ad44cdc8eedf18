// Opening URLs: only web and mail addresses reach the desktop, unchanged and as one argument;
// the settings URL opens the file of access answers; a refused URL reaches nothing; a desktop
// that cannot open the address (no xdg-open, or one that fails) says so in an alert.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <optional>

#include "platform/authorization/AuthorizationStore.h"
#include "platform/uikit/UIApplication.h"
#include "support/AlertHarness.h"
#include "support/FakeXdgOpen.h"

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
        {"https://example.org/help?a=1&b=2", true},
        {"HTTP://example.org", true},
        {"mailto:help@example.org", true},
        {"http:", false},
        {"file:///etc/passwd", false},
        {"javascript:alert(1)", false},
        {"", false},
        {"--help", false},
        {"https://example.org/\nrm", false},
        {"x-other:thing", false},
        {"example.org", false},
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

    TouchHarness ui;
    app.setURLLauncher([](const std::string&) { return false; });  // the desktop could not be asked
    EXPECT_FALSE(app.openURL("https://example.org"));
    UIAlertPresentation* shown = UIAlertPresentation::shown();
    ASSERT_NE(shown, nullptr) << "said in an alert";
    EXPECT_EQ(shown->message, "https://example.org\nthe desktop could not be asked to open it");
    tapAlertButton(ui, "OK");
    app.setURLLauncher(nullptr);
    ::unsetenv("XDG_CONFIG_HOME");
}

TEST(OpenURLTest, ADesktopThatCannotOpenTheAddressSaysWhyInAnAlert) {
    TouchHarness ui;
    UIApplication& app = UIApplication::sharedApplication();
    struct Case {
        std::optional<std::string> xdgOpen;  // the stand-in's body; none: no xdg-open at all
        std::string url;
        std::string said;  // the alert's message; empty: no alert
    } cases[] = {
        {"exit 0", "https://example.org/a", ""},
        {"exit 3", "https://example.org/b",
         "https://example.org/b\nxdg-open ended with status 3: no program on this desktop opens it"},
        {"exit 4", "mailto:help@example.org",
         "mailto:help@example.org\nxdg-open ended with status 4: the program that opens it failed"},
        {"exit 1", "https://example.org/c", "https://example.org/c\nxdg-open ended with status 1"},
        {"kill -9 $$", "https://example.org/d", "https://example.org/d\nxdg-open was ended by signal 9"},
        {std::nullopt, "https://example.org/e",
         "https://example.org/e\nxdg-open could not be started: No such file or directory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.xdgOpen.value_or("no xdg-open"));
        FakeXdgOpen desktop(c.xdgOpen);
        // Started is all the answer says; how it ended comes later, in the alert.
        EXPECT_EQ(app.openURL(c.url), c.xdgOpen.has_value());
        UIAlertPresentation* shown = desktop.waitForOutcome(ui);
        if (c.xdgOpen) EXPECT_EQ(desktop.arguments(), c.url + "\n") << "the address as the one argument";
        if (c.said.empty()) {
            EXPECT_EQ(shown, nullptr) << "an address opened says nothing";
            continue;
        }
        ASSERT_NE(shown, nullptr) << "the failure is said";
        EXPECT_EQ(shown->title, "Cannot Open Link");
        EXPECT_EQ(shown->message, c.said);
        tapAlertButton(ui, "OK");
        EXPECT_EQ(UIAlertPresentation::shown(), nullptr);
    }
}

}  // namespace
