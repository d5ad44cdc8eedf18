#pragma once
// Asks the user, after enough use, to rate the application in its store. The prompt counts
// the uses (launches and returns from the background) and events of the installed version in
// the user's defaults; when the decision rule says yes it looks the application up at the
// store's look-up address on a thread of its own, and when the store knows this version it
// shows an alert: rate (the store's review page opens in the browser), remind me later, or no
// thanks. Failures go to the log and the delegate, never to the user.
//
// The application makes the shared instance before its loop runs and configures it at once;
// the launch is counted from the main queue, after that configuration.
//
// Main thread only, except the look-up's fetch and parse: the main thread hands the worker a
// snapshot of the request, and the worker posts its outcome back without waiting. Destroying
// the prompt aborts a running look-up; no outcome runs after it.
//
// RatingPrompt.cpp: settings, persisted counts, launch and foreground, the decision rule.
// RatingPrompt+StoreLookup.cpp: the look-up, its outcomes, the JSON reader, the alert and
// its buttons, the texts, the store page.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "platform/foundation/NSError.h"
#include "platform/network/HTTPClient.h"
#include "platform/uikit/UIAlertView.h"
#include "screens/rating/RatingPromptDelegate.h"

class UserDefaults;

inline const std::string RatingPromptErrorDomain = "RatingPromptErrorDomain";
inline const std::string HTTPResponseErrorDomain = "HTTPResponseErrorDomain";
inline const std::string RatingPromptJSONErrorDomain = "RatingPromptJSONErrorDomain";

// What the prompt works with; the shared instance takes the real ones, tests their own.
struct RatingPromptServices {
    UserDefaults* defaults = nullptr;  // null: the standard user defaults
    std::function<double()> now;       // dates as seconds since 1970; empty: the wall clock
    // Fetches on the look-up thread; empty: HTTPClient.
    std::function<HTTPResponse(const std::string& url, double timeout, const std::atomic<bool>& cancel)> fetch;
    std::function<bool(const std::string& url)> openURL;  // empty: the application's opener
    std::function<void(const std::string& line)> log;     // empty: standard error
    // Empty: $TAVORIN_STORE_LOOKUP_URL and $TAVORIN_STORE_REVIEW_URL.
    std::optional<std::string> lookupAddress, reviewAddress;
    // The program's own name, version and identifier when empty.
    std::string applicationName, applicationVersion, applicationBundleID;
    // The component's texts (a folder of <language>.lproj folders); empty: "RatingPrompt.bundle"
    // among the resources.
    std::string textBundlePath;
};

class RatingPrompt {
public:
    // Persisted keys.
    static constexpr const char* kFirstUsedKey = "RatingPromptFirstUsed";
    static constexpr const char* kUseCountKey = "RatingPromptUseCount";
    static constexpr const char* kEventCountKey = "RatingPromptEventCount";
    static constexpr const char* kLastRemindedKey = "RatingPromptLastReminded";
    static constexpr const char* kLastVersionUsedKey = "RatingPromptLastVersionUsed";
    static constexpr const char* kDeclinedVersionKey = "RatingPromptDeclinedVersion";
    static constexpr const char* kRatedVersionKey = "RatingPromptRatedVersionChecked";
    static constexpr const char* kAppStoreIDKey = "RatingPromptAppStoreID";
    static constexpr double kDefaultLookupTimeout = 60;
    static constexpr uint64_t kGameGenreID = 6014;

    // Made on the first call, with the real services (main thread).
    static RatingPrompt& sharedInstance();
    explicit RatingPrompt(RatingPromptServices services = {});
    ~RatingPrompt();
    RatingPrompt(const RatingPrompt&) = delete;
    RatingPrompt& operator=(const RatingPrompt&) = delete;

    // ---- Settings ------------------------------------------------------------------------
    const std::string& appStoreCountry() const { return appStoreCountry_; }
    void setAppStoreCountry(std::string country) { appStoreCountry_ = std::move(country); }
    const std::string& applicationName() const { return applicationName_; }
    void setApplicationName(std::string name) { applicationName_ = std::move(name); }
    const std::string& applicationVersion() const { return applicationVersion_; }
    void setApplicationVersion(std::string version) { applicationVersion_ = std::move(version); }
    const std::string& applicationBundleID() const { return applicationBundleID_; }
    void setApplicationBundleID(std::string id) { applicationBundleID_ = std::move(id); }
    uint64_t appStoreGenreID() const { return appStoreGenreID_; }
    void setAppStoreGenreID(uint64_t genre) { appStoreGenreID_ = genre; }
    uint64_t usesUntilPrompt() const { return usesUntilPrompt_; }
    void setUsesUntilPrompt(uint64_t uses) { usesUntilPrompt_ = uses; }
    uint64_t eventsUntilPrompt() const { return eventsUntilPrompt_; }
    void setEventsUntilPrompt(uint64_t events) { eventsUntilPrompt_ = events; }
    float daysUntilPrompt() const { return daysUntilPrompt_; }
    void setDaysUntilPrompt(float days) { daysUntilPrompt_ = days; }
    float usesPerWeekForPrompt() const { return usesPerWeekForPrompt_; }
    void setUsesPerWeekForPrompt(float uses) { usesPerWeekForPrompt_ = uses; }
    float remindPeriod() const { return remindPeriod_; }
    void setRemindPeriod(float days) { remindPeriod_ = days; }
    bool useAllAvailableLanguages() const { return useAllAvailableLanguages_; }
    void setUseAllAvailableLanguages(bool all) { useAllAvailableLanguages_ = all; }
    bool promptAgainForEachNewVersion() const { return promptAgainForEachNewVersion_; }
    void setPromptAgainForEachNewVersion(bool again) { promptAgainForEachNewVersion_ = again; }
    bool onlyPromptIfLatestVersion() const { return onlyPromptIfLatestVersion_; }
    void setOnlyPromptIfLatestVersion(bool only) { onlyPromptIfLatestVersion_ = only; }
    bool promptAtLaunch() const { return promptAtLaunch_; }
    void setPromptAtLaunch(bool atLaunch) { promptAtLaunch_ = atLaunch; }
    bool verboseLogging() const { return verboseLogging_; }
    void setVerboseLogging(bool verbose) { verboseLogging_ = verbose; }
    bool previewMode() const { return previewMode_; }
    void setPreviewMode(bool preview) { previewMode_ = preview; }
    // A custom store page; empty: the review address with the store id.
    void setRatingsURL(std::string url) { customRatingsURL_ = std::move(url); }
    // Seconds the look-up may take.
    void setLookupTimeout(double seconds) { lookupTimeout_ = seconds; }
    void setMessageTitle(std::optional<std::string> text) { messageTitle_ = std::move(text); }
    void setMessage(std::optional<std::string> text) { message_ = std::move(text); }
    void setCancelButtonLabel(std::optional<std::string> text) { cancelButtonLabel_ = std::move(text); }
    void setRemindButtonLabel(std::optional<std::string> text) { remindButtonLabel_ = std::move(text); }
    void setRateButtonLabel(std::optional<std::string> text) { rateButtonLabel_ = std::move(text); }
    // Not owned. Unset, the application delegate when it is one.
    RatingPromptDelegate* delegate() const;
    void setDelegate(RatingPromptDelegate* delegate) { delegate_ = delegate; }

    // ---- Persisted state -----------------------------------------------------------------
    std::optional<double> firstUsed();
    std::optional<double> lastReminded();
    void setLastReminded(std::optional<double> date);
    uint64_t usesCount();
    uint64_t eventCount();
    bool declinedThisVersion();
    bool declinedAnyVersion();
    void setDeclinedThisVersion(bool declined);
    bool ratedThisVersion();
    bool ratedAnyVersion();
    void setRatedThisVersion(bool rated);
    uint64_t appStoreID();
    // Uses per week since the first use; 0 when no time has passed.
    double usesPerWeek();

    // ---- Uses and the rule ---------------------------------------------------------------
    void applicationLaunched();
    void applicationWillEnterForeground();
    void incrementUseCount();
    void incrementEventCount();
    void logEvent(bool deferPrompt);
    bool shouldPromptForRating();

    // ---- Look-up and alert (RatingPrompt+StoreLookup.cpp) --------------------------------
    void promptIfNetworkAvailable();
    bool checkingForPrompt() const { return checkingForPrompt_; }
    // The look-up's address for the current settings; empty without a configured address.
    std::string lookupURL();
    // The text reader: the key's first value in document order (strings decoded, other values
    // as their JSON text); none for invalid text.
    static std::optional<std::string> valueForKeyInJSON(const std::string& key, const std::string& json);
    void connectionSucceeded();
    void connectionError(const NSErrorPtr& error);
    void promptForRating();
    const std::shared_ptr<UIAlertView>& visibleAlert() const { return visibleAlert_; }
    void alertViewDidDismissWithButtonIndex(int buttonIndex);
    bool openRatingsPageInAppStore();
    // The store page: the custom address, else the review address with the store id; empty
    // without either.
    std::string ratingsURL();
    std::string messageTitle();
    std::string message();
    std::string cancelButtonLabel();
    std::string remindButtonLabel();
    std::string rateButtonLabel();
    std::string localizedStringForKey(const std::string& key, const std::string& defaultText);
    void productViewControllerDidFinish();
    void didRotate();

private:
    struct Lookup;
    class AlertDelegate;
    friend class AlertDelegate;

    UserDefaults& defaults();
    double now() const;
    void log(const std::string& line) const;
    void verbose(const std::string& line) const;
    void setCount(const char* key, uint64_t count);
    uint64_t count(const char* key);
    std::optional<double> date(const char* key);
    void write(const char* key, const std::optional<std::string>& value);
    std::string stringFor(const char* key);
    void finishLookup(const std::shared_ptr<Lookup>& lookup);
    void storeAppStoreID(uint64_t id);

    RatingPromptServices services_;
    std::string appStoreCountry_, applicationName_, applicationVersion_, applicationBundleID_;
    uint64_t appStoreGenreID_ = 0;
    uint64_t usesUntilPrompt_ = 10, eventsUntilPrompt_ = 10;
    float daysUntilPrompt_ = 10, usesPerWeekForPrompt_ = 0, remindPeriod_ = 1;
    bool useAllAvailableLanguages_ = true, promptAgainForEachNewVersion_ = true, onlyPromptIfLatestVersion_ = true;
    bool promptAtLaunch_ = true, verboseLogging_ = false, previewMode_ = false;
    std::string customRatingsURL_;
    double lookupTimeout_ = kDefaultLookupTimeout;
    std::optional<std::string> messageTitle_, message_, cancelButtonLabel_, remindButtonLabel_, rateButtonLabel_;
    RatingPromptDelegate* delegate_ = nullptr;

    bool checkingForPrompt_ = false;
    bool wasInBackground_ = false;
    int64_t previousOrientation_ = 0;
    std::shared_ptr<UIAlertView> visibleAlert_;
    std::shared_ptr<AlertDelegate> alertDelegate_;
    std::optional<std::string> textFolder_;  // chosen on the first text asked for
    std::thread worker_;
    std::atomic<bool> cancel_{false};
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);  // outcomes posted hold it weakly
};
