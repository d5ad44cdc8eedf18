#pragma once
// A rating prompt over a defaults file of its own, a fixed wall clock (moved by the test), the
// manual run-loop clock, recorded log lines, opened addresses and delegate messages.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "screens/rating/RatingPrompt.h"

class RecordingDelegate : public RatingPromptDelegate {
public:
    std::vector<std::string> told;
    std::vector<NSErrorPtr> errors;
    bool shouldPrompt = true, shouldOpen = true;
    void ratingPromptDidDetectAppUpdate() override { told.push_back("update"); }
    bool ratingPromptShouldPromptForRating() override { return shouldPrompt; }
    void ratingPromptDidPromptForRating() override { told.push_back("prompted"); }
    void ratingPromptCouldNotConnectToAppStore(const NSErrorPtr& error) override {
        told.push_back("failed");
        errors.push_back(error);
    }
    void ratingPromptUserDidAttemptToRateApp() override { told.push_back("rate"); }
    bool ratingPromptShouldOpenAppStore() override { return shouldOpen; }
    void ratingPromptUserDidDeclineToRateApp() override { told.push_back("decline"); }
    void ratingPromptUserDidRequestReminderToRateApp() override { told.push_back("remind"); }
};

class RatingPromptFixture : public ::testing::Test {
protected:
    static constexpr double kDay = 86400;

    void SetUp() override {
        dir =
            std::filesystem::temp_directory_path() / ("tavorin-rating-" + std::to_string(::getpid()) + "-" +
                                                      ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        loop.useManualClock(0);
        store = std::make_unique<UserDefaults>(dir / "defaults.json");
    }
    void TearDown() override {
        prompt.reset();
        loop.runUntilIdle();
        loop.useRealClock();
        store.reset();
        std::filesystem::remove_all(dir);
    }

    RatingPromptServices Services() {
        RatingPromptServices s;
        s.defaults = store.get();
        s.now = [this] { return clock; };
        s.log = [this](const std::string& line) { logs.push_back(line); };
        s.openURL = [this](const std::string& url) {
            opened.push_back(url);
            return openerWorks;
        };
        s.lookupAddress = lookupAddress;
        s.reviewAddress = "https://store.test/review/{id}";
        s.applicationVersion = version;
        return s;
    }
    // A prompt configured as the application configures it, launched.
    RatingPrompt& Launch(RatingPromptServices services) {
        prompt.reset();
        loop.runUntilIdle();
        prompt = std::make_unique<RatingPrompt>(std::move(services));
        prompt->setDelegate(&delegate);
        prompt->setUsesUntilPrompt(7);
        prompt->setDaysUntilPrompt(3);
        prompt->setRemindPeriod(7);
        prompt->setAppStoreCountry("US");
        prompt->setLookupTimeout(5);
        loop.runUntilIdle();  // the queued launch
        return *prompt;
    }
    RatingPrompt& Launch() { return Launch(Services()); }
    // Turns the main queue until the look-up's outcome has come (at most 20 s: a bound for a
    // stuck look-up, not a speed check).
    void AwaitOutcome() {
        for (int i = 0; i < 20000 && prompt->checkingForPrompt(); ++i) {
            loop.runOnce();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ASSERT_FALSE(prompt->checkingForPrompt()) << "no outcome";
    }
    bool Logged(const std::string& fragment) const {
        for (const std::string& line : logs)
            if (line.find(fragment) != std::string::npos) return true;
        return false;
    }

    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    std::filesystem::path dir;
    std::unique_ptr<UserDefaults> store;
    double clock = 1.8e9;
    std::optional<std::string> lookupAddress = std::string();  // none unless a test sets one
    std::string version = "1.9";
    bool openerWorks = true;
    std::vector<std::string> logs, opened;
    RecordingDelegate delegate;
    std::unique_ptr<RatingPrompt> prompt;
};
