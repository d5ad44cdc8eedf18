// The rating prompt's counting and decision over a real defaults file on a fixed clock, its
// alert and buttons, and its texts.
#include <cstdlib>
#include <fstream>
#include <functional>

#include "RatingPromptFixture.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/uikit/UIApplication.h"

namespace {

class RatingPromptTest : public RatingPromptFixture {};

// One row a step of the rule, on the application's settings (3 days, 7 uses, 7-day reminder).
TEST_F(RatingPromptTest, DecisionRule) {
    struct Row {
        const char* name;
        std::function<void(RatingPrompt&, UserDefaults&, double now)> setUp;
        bool prompts;
        const char* logged;  // a fragment of the reason (verbose), or of the preview warning
    };
    const auto set = [](UserDefaults& s, const char* key, PropertyListObject v) { s.setObject(v, key); };
    const Row rows[] = {
        {"preview",
         [](RatingPrompt& p, UserDefaults& s, double) {
             p.setPreviewMode(true);
             s.removeObject(RatingPrompt::kFirstUsedKey);
         },
         true, "preview mode is enabled"},
        {"rated", [&](RatingPrompt&, UserDefaults& s, double) { set(s, RatingPrompt::kRatedVersionKey, "1.9"); }, false,
         "already rated this version"},
        {"rated before, not again",
         [&](RatingPrompt& p, UserDefaults& s, double) {
             p.setPromptAgainForEachNewVersion(false);
             set(s, RatingPrompt::kRatedVersionKey, "1.8");
         },
         false, "promptAgainForEachNewVersion is disabled"},
        {"rated before, again",
         [&](RatingPrompt&, UserDefaults& s, double) { set(s, RatingPrompt::kRatedVersionKey, "1.8"); }, true, ""},
        {"declined", [&](RatingPrompt&, UserDefaults& s, double) { set(s, RatingPrompt::kDeclinedVersionKey, "1.9"); },
         false, "declined to rate this version"},
        {"no first use", [](RatingPrompt&, UserDefaults& s, double) { s.removeObject(RatingPrompt::kFirstUsedKey); },
         false, "first time the app has been launched"},
        {"2.9 days",
         [&](RatingPrompt&, UserDefaults& s, double now) { set(s, RatingPrompt::kFirstUsedKey, now - 2.9 * kDay); },
         false, "less than 3 days ago"},
        {"six uses", [&](RatingPrompt&, UserDefaults& s, double) { set(s, RatingPrompt::kUseCountKey, 6); }, false,
         "used 6 times and only 0 events"},
        {"six uses, ten events",
         [&](RatingPrompt&, UserDefaults& s, double) {
             set(s, RatingPrompt::kUseCountKey, 6);
             set(s, RatingPrompt::kEventCountKey, 10);
         },
         true, ""},
        {"uses per week", [](RatingPrompt& p, UserDefaults&, double) { p.setUsesPerWeekForPrompt(20); }, false,
         "times per week on average"},
        {"reminded 6 days ago",
         [&](RatingPrompt&, UserDefaults& s, double now) { set(s, RatingPrompt::kLastRemindedKey, now - 6 * kDay); },
         false, "reminded less than 7 days ago"},
        {"reminded 7 days ago",
         [&](RatingPrompt&, UserDefaults& s, double now) { set(s, RatingPrompt::kLastRemindedKey, now - 7 * kDay); },
         true, ""},
        {"all met", [](RatingPrompt&, UserDefaults&, double) {}, true, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RatingPrompt& p = Launch();
        p.setPromptAtLaunch(false);
        p.setVerboseLogging(true);
        for (const char* key : {RatingPrompt::kRatedVersionKey, RatingPrompt::kDeclinedVersionKey,
                                RatingPrompt::kLastRemindedKey, RatingPrompt::kEventCountKey})
            store->removeObject(key);
        store->setObject(clock - 4 * kDay, RatingPrompt::kFirstUsedKey);
        store->setObject(7, RatingPrompt::kUseCountKey);
        logs.clear();
        row.setUp(p, *store, clock);
        EXPECT_EQ(p.shouldPromptForRating(), row.prompts);
        if (*row.logged) {
            EXPECT_TRUE(Logged(row.logged)) << (logs.empty() ? "no log" : logs.back());
        } else {
            EXPECT_TRUE(logs.empty());
        }
    }
}

// Seven uses within three days: no look-up until the third day has passed, then the next
// return from the background looks up.
TEST_F(RatingPromptTest, SevenUsesWithinThreeDaysPromptOnlyFromTheThirdDay) {
    RatingPrompt& p = Launch();
    NSNotificationCenter& center = NSNotificationCenter::defaultCenter();
    const auto comeBack = [&] {
        center.postNotificationName(UIApplicationDidEnterBackgroundNotification, nullptr);
        center.postNotificationName(UIApplicationWillEnterForegroundNotification, nullptr);
    };
    for (int use = 2; use <= 7; ++use) {
        clock += 0.4 * kDay;
        comeBack();
        EXPECT_EQ(p.usesCount(), static_cast<uint64_t>(use));
    }
    EXPECT_TRUE(delegate.errors.empty()) << "no look-up before the third day";
    clock += 0.7 * kDay;  // 3.1 days after the first use
    center.postNotificationName(UIApplicationWillEnterForegroundNotification, nullptr);
    EXPECT_EQ(p.usesCount(), 7u) << "active again without a visit to the background is no use";
    EXPECT_TRUE(delegate.errors.empty());
    comeBack();
    EXPECT_EQ(p.usesCount(), 8u);
    // With no look-up address configured the look-up fails at once, which shows it was asked.
    ASSERT_EQ(delegate.errors.size(), 1u);
    EXPECT_EQ(delegate.errors[0]->code(), 4);
    EXPECT_TRUE(Logged("No store look-up address is configured"));
    EXPECT_FALSE(p.checkingForPrompt());
}

// Without a delegate of its own the prompt tells the application's delegate, when that is one.
TEST_F(RatingPromptTest, TheApplicationDelegateHearsWhenNoneIsSet) {
    struct AppDelegate : UIApplicationDelegate, RecordingDelegate {};
    AppDelegate appDelegate;
    UIApplication& application = UIApplication::sharedApplication();
    UIApplicationDelegate* saved = application.delegate();
    application.setDelegate(&appDelegate);
    prompt = std::make_unique<RatingPrompt>(Services());
    loop.runUntilIdle();
    EXPECT_EQ(appDelegate.told, std::vector<std::string>{"update"});
    prompt->promptIfNetworkAvailable();  // no look-up address: fails at once
    EXPECT_EQ(appDelegate.errors.size(), 1u);
    prompt.reset();
    application.setDelegate(saved);
}

// Counts live in the defaults file across instances; a new version starts them again, clears
// the reminder, and an old answer no longer blocks; a hand-edited file reads as absent or 0.
TEST_F(RatingPromptTest, CountsSurviveAndRestartWithANewVersion) {
    Launch();
    EXPECT_EQ(delegate.told, std::vector<std::string>{"update"});
    EXPECT_EQ(prompt->firstUsed(), clock);
    prompt->setDeclinedThisVersion(true);
    prompt->setLastReminded(clock);
    prompt.reset();
    store = std::make_unique<UserDefaults>(dir / "defaults.json");  // read afresh from the file
    delegate.told.clear();
    clock += kDay;
    Launch();
    EXPECT_EQ(prompt->usesCount(), 2u);
    EXPECT_TRUE(prompt->declinedThisVersion());
    EXPECT_TRUE(delegate.told.empty());

    version = "1.10";
    prompt.reset();
    store = std::make_unique<UserDefaults>(dir / "defaults.json");
    Launch();
    EXPECT_EQ(delegate.told, std::vector<std::string>{"update"});
    EXPECT_EQ(prompt->usesCount(), 1u);
    EXPECT_EQ(prompt->eventCount(), 0u);
    EXPECT_EQ(prompt->firstUsed(), clock);
    EXPECT_FALSE(prompt->lastReminded());
    EXPECT_FALSE(prompt->declinedThisVersion());
    EXPECT_TRUE(prompt->declinedAnyVersion());

    // Hand-edited values of the wrong type read as absent, a negative count as 0.
    store->setObject("lots", RatingPrompt::kUseCountKey);
    store->setObject("yesterday", RatingPrompt::kFirstUsedKey);
    store->setObject(-5, RatingPrompt::kEventCountKey);
    store->setObject(true, RatingPrompt::kDeclinedVersionKey);
    EXPECT_EQ(prompt->usesCount(), 0u);
    EXPECT_EQ(prompt->eventCount(), 0u);
    EXPECT_FALSE(prompt->firstUsed());
    EXPECT_FALSE(prompt->declinedAnyVersion());
    EXPECT_EQ(prompt->usesPerWeek(), 0);
    store->setObject(clock, RatingPrompt::kFirstUsedKey);
    EXPECT_EQ(prompt->usesPerWeek(), 0) << "no time has passed";
    prompt->incrementUseCount();
    EXPECT_EQ(prompt->usesCount(), 1u);
}

// The alert's buttons with and without a cancel label, and what each one does.
TEST_F(RatingPromptTest, AlertButtons) {
    Launch();
    prompt->setPromptAtLaunch(false);
    store->setObject(4242, RatingPrompt::kAppStoreIDKey);
    struct Row {
        const char* name;
        std::string cancel, remind;
        std::vector<std::string> titles;
    };
    const Row rows[] = {
        {"three buttons", "No, Thanks", "Remind Me Later", {"No, Thanks", "Rate It Now", "Remind Me Later"}},
        {"no cancel", "", "Remind Me Later", {"Rate It Now", "Remind Me Later"}},
        {"no remind", "No, Thanks", "", {"No, Thanks", "Rate It Now"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        prompt->setCancelButtonLabel(row.cancel);
        prompt->setRemindButtonLabel(row.remind);
        prompt->promptForRating();
        const std::shared_ptr<UIAlertView> alert = prompt->visibleAlert();
        ASSERT_NE(alert, nullptr);
        prompt->promptForRating();
        EXPECT_EQ(prompt->visibleAlert(), alert) << "one alert at a time";
        EXPECT_EQ(alert->title(), "Rate Tavorin");
        EXPECT_NE(alert->message().find("If you enjoy using Tavorin,"), std::string::npos);
        std::vector<std::string> titles;
        for (int i = 0; i < alert->numberOfButtons(); ++i) titles.push_back(alert->buttonTitleAtIndex(i));
        EXPECT_EQ(titles, row.titles);
        alert->dismissWithClickedButtonIndex(0, false);
        EXPECT_EQ(prompt->visibleAlert(), nullptr);
    }
    EXPECT_TRUE(prompt->declinedThisVersion()) << "index 0 with a cancel label";
    EXPECT_TRUE(prompt->ratedThisVersion()) << "index 0 without one";
    EXPECT_EQ(opened, std::vector<std::string>{"https://store.test/review/4242"});
    EXPECT_EQ(delegate.told,
              (std::vector<std::string>{"update", "prompted", "decline", "prompted", "rate", "prompted", "decline"}));

    // Remind: no prompt for seven days.
    prompt->setCancelButtonLabel(std::nullopt);
    prompt->setRemindButtonLabel(std::nullopt);
    prompt->setDeclinedThisVersion(false);
    prompt->setRatedThisVersion(false);
    store->setObject(clock - 4 * kDay, RatingPrompt::kFirstUsedKey);
    store->setObject(7, RatingPrompt::kUseCountKey);
    prompt->promptForRating();
    prompt->visibleAlert()->dismissWithClickedButtonIndex(2, false);
    EXPECT_EQ(prompt->lastReminded(), clock);
    clock += 6.9 * kDay;
    EXPECT_FALSE(prompt->shouldPromptForRating());
    clock += 0.1 * kDay;
    EXPECT_TRUE(prompt->shouldPromptForRating());

    // Rate with a failing opener, with a delegate that keeps the store closed, and without
    // any store page.
    openerWorks = false;
    Launch();
    store->setObject(4242, RatingPrompt::kAppStoreIDKey);
    EXPECT_FALSE(prompt->openRatingsPageInAppStore());
    EXPECT_TRUE(Logged("could not open https://store.test/review/4242"));
    delegate.shouldOpen = false;
    opened.clear();
    prompt->promptForRating();
    prompt->visibleAlert()->dismissWithClickedButtonIndex(1, false);
    EXPECT_TRUE(prompt->ratedThisVersion());
    EXPECT_TRUE(opened.empty());
    store->removeObject(RatingPrompt::kAppStoreIDKey);
    EXPECT_FALSE(prompt->openRatingsPageInAppStore());
    RatingPromptServices noPage = Services();
    noPage.reviewAddress = std::string();
    Launch(noPage);
    store->setObject(4242, RatingPrompt::kAppStoreIDKey);
    logs.clear();
    EXPECT_FALSE(prompt->openRatingsPageInAppStore());
    EXPECT_TRUE(Logged("no store page address"));
    prompt->setRatingsURL("https://example.test/rate");
    openerWorks = true;
    EXPECT_TRUE(prompt->openRatingsPageInAppStore());
    EXPECT_EQ(opened.back(), "https://example.test/rate");
}

// Texts: the component's table in the first preferred language it has, the program's own
// table winning; the reader of JSON text.
TEST_F(RatingPromptTest, TextsAndTheJSONTextReader) {
    const std::filesystem::path bundle = dir / "RatingPrompt.bundle";
    std::filesystem::create_directories(bundle / "de.lproj");
    std::filesystem::create_directories(bundle / "en.lproj");
    std::ofstream(bundle / "de.lproj" / "RatingPrompt.json")
        << R"({"RatingPromptRateButton": "Jetzt bewerten", "RatingPromptMessageTitle": "%@ bewerten", "OK": "Gut"})";
    std::ofstream(bundle / "en.lproj" / "RatingPrompt.json") << R"({"RatingPromptRateButton": "Rate"})";
    const char* old = std::getenv("LANGUAGE");
    const std::string saved = old ? old : "";
    ::setenv("LANGUAGE", "fr:de_AT:en", 1);
    RatingPromptServices services = Services();
    services.textBundlePath = bundle.string();
    Launch(services);
    EXPECT_EQ(prompt->rateButtonLabel(), "Jetzt bewerten");
    EXPECT_EQ(prompt->messageTitle(), "Tavorin bewerten");
    EXPECT_EQ(prompt->cancelButtonLabel(), "No, Thanks") << "the default for a key the table lacks";
    EXPECT_EQ(prompt->localizedStringForKey("OK", "x"), "OK") << "the program's own table wins";
    prompt->setAppStoreGenreID(RatingPrompt::kGameGenreID);
    EXPECT_NE(prompt->message().find("If you enjoy playing Tavorin,"), std::string::npos);
    if (old) ::setenv("LANGUAGE", saved.c_str(), 1);
    else ::unsetenv("LANGUAGE");

    struct Row {
        const char* json;
        const char* key;
        std::optional<std::string> value;
    };
    const Row rows[] = {
        {R"({"a": "x,y", "b": 1})", "a", "x,y"},
        {R"({"a": "x,y", "b": 1})", "b", "1"},
        {R"({"k": "a\\nb"})", "k", "a\\nb"},
        {R"({"k": "\ud83d\ude00"})", "k", "\xF0\x9F\x98\x80"},
        {R"({"k": "\u12"})", "k", std::nullopt},
        {R"({"k": )", "k", std::nullopt},
        {R"({"x": {"k": "inner"}, "k": "outer"})", "k", "inner"},
        {R"({"results": [{"trackId": 12}]})", "trackId", "12"},
        {R"({"a": 1})", "missing", std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.json);
        EXPECT_EQ(RatingPrompt::valueForKeyInJSON(row.key, row.json), row.value);
    }
}

}  // namespace
