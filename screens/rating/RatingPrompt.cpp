#include "screens/rating/RatingPrompt.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/foundation/WallClock.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIScreen.h"
#include "screens/rating/ApplicationIdentity.h"

namespace {

constexpr double kSecondsPerDay = 86400;
constexpr double kSecondsPerWeek = 604800;

// The territory of the first locale variable that is set ("en_US.UTF-8" gives "US").
std::string LocaleCountry() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (!value || !*value) continue;
        const std::string locale(value);
        const size_t underscore = locale.find('_');
        if (underscore == std::string::npos) return {};
        return locale.substr(underscore + 1, locale.find_first_of(".@", underscore) - underscore - 1);
    }
    return {};
}

// "%g" as the log lines write numbers.
std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

}  // namespace

RatingPrompt& RatingPrompt::sharedInstance() {
    static RatingPrompt* shared = new RatingPrompt();  // lives as long as the process
    return *shared;
}

RatingPrompt::RatingPrompt(RatingPromptServices services) : services_(std::move(services)) {
    appStoreCountry_ = LocaleCountry();
    applicationName_ = services_.applicationName.empty() ? kApplicationName : services_.applicationName;
    applicationVersion_ = services_.applicationVersion.empty() ? kApplicationVersion : services_.applicationVersion;
    applicationBundleID_ = services_.applicationBundleID.empty() ? kApplicationBundleID : services_.applicationBundleID;
    NSNotificationCenter& center = NSNotificationCenter::defaultCenter();
    center.addObserver(this, UIApplicationDidEnterBackgroundNotification,
                       [this](const NSNotification&) { wasInBackground_ = true; });
    center.addObserver(this, UIApplicationWillEnterForegroundNotification,
                       [this](const NSNotification&) { applicationWillEnterForeground(); });
    std::weak_ptr<int> alive = alive_;
    center.addObserver(this, UIDeviceOrientationDidChangeNotification, [this, alive](const NSNotification&) {
        NSRunLoop::mainRunLoop().performBlock([this, alive] {
            if (alive.lock()) didRotate();
        });
    });
    previousOrientation_ = static_cast<int64_t>(UIApplication::sharedApplication().statusBarOrientation());
    // Queued, so the application's configuration is in place when the launch counts.
    NSRunLoop::mainRunLoop().performBlock([this, alive] {
        if (alive.lock()) applicationLaunched();
    });
}

RatingPrompt::~RatingPrompt() {
    NSNotificationCenter::defaultCenter().removeObserver(this);
    alive_.reset();
    cancel_ = true;
    if (worker_.joinable()) worker_.join();
    if (visibleAlert_) visibleAlert_->setDelegate(nullptr);
}

RatingPromptDelegate* RatingPrompt::delegate() const {
    if (delegate_) return delegate_;
    return dynamic_cast<RatingPromptDelegate*>(UIApplication::sharedApplication().delegate());
}

// ---- Services -----------------------------------------------------------------------------

UserDefaults& RatingPrompt::defaults() {
    return services_.defaults ? *services_.defaults : UserDefaults::standardUserDefaults();
}

double RatingPrompt::now() const { return services_.now ? services_.now() : WallClock::now(); }

void RatingPrompt::log(const std::string& line) const {
    if (services_.log) services_.log(line);
    else std::fprintf(stderr, "%s\n", line.c_str());
}

void RatingPrompt::verbose(const std::string& line) const {
    if (verboseLogging_) log(line);
}

// ---- Persisted state ----------------------------------------------------------------------
// Values of the wrong type (a hand-edited store) read as absent; negative counts as 0.

uint64_t RatingPrompt::count(const char* key) {
    const PropertyListObject value = defaults().objectForKey(key);
    if (value.is_number_unsigned()) return value.get<uint64_t>();
    if (value.is_number_integer()) return value.get<int64_t>() > 0 ? static_cast<uint64_t>(value.get<int64_t>()) : 0;
    return 0;
}

void RatingPrompt::setCount(const char* key, uint64_t n) {
    defaults().setObject(n, key);
    defaults().synchronize();
}

std::optional<double> RatingPrompt::date(const char* key) {
    const PropertyListObject value = defaults().objectForKey(key);
    if (!value.is_number()) return std::nullopt;
    return value.get<double>();
}

std::string RatingPrompt::stringFor(const char* key) {
    const PropertyListObject value = defaults().objectForKey(key);
    return value.is_string() ? value.get<std::string>() : std::string();
}

void RatingPrompt::write(const char* key, const std::optional<std::string>& value) {
    if (value) defaults().setObject(*value, key);
    else defaults().removeObject(key);
    defaults().synchronize();
}

std::optional<double> RatingPrompt::firstUsed() { return date(kFirstUsedKey); }
std::optional<double> RatingPrompt::lastReminded() { return date(kLastRemindedKey); }

void RatingPrompt::setLastReminded(std::optional<double> when) {
    if (when) defaults().setObject(*when, kLastRemindedKey);
    else defaults().removeObject(kLastRemindedKey);
    defaults().synchronize();
}

uint64_t RatingPrompt::usesCount() { return count(kUseCountKey); }
uint64_t RatingPrompt::eventCount() { return count(kEventCountKey); }
bool RatingPrompt::declinedThisVersion() { return stringFor(kDeclinedVersionKey) == applicationVersion_; }
bool RatingPrompt::declinedAnyVersion() { return !stringFor(kDeclinedVersionKey).empty(); }
bool RatingPrompt::ratedThisVersion() { return stringFor(kRatedVersionKey) == applicationVersion_; }
bool RatingPrompt::ratedAnyVersion() { return !stringFor(kRatedVersionKey).empty(); }

void RatingPrompt::setDeclinedThisVersion(bool declined) {
    write(kDeclinedVersionKey, declined ? std::optional(applicationVersion_) : std::nullopt);
}

void RatingPrompt::setRatedThisVersion(bool rated) {
    write(kRatedVersionKey, rated ? std::optional(applicationVersion_) : std::nullopt);
}

uint64_t RatingPrompt::appStoreID() { return count(kAppStoreIDKey); }

void RatingPrompt::storeAppStoreID(uint64_t id) { setCount(kAppStoreIDKey, id); }

double RatingPrompt::usesPerWeek() {
    const std::optional<double> first = firstUsed();
    const double elapsed = first ? now() - *first : 0;
    if (elapsed <= 0) return 0;
    return static_cast<double>(usesCount()) / (elapsed / kSecondsPerWeek);
}

// ---- Uses -----------------------------------------------------------------------------------

void RatingPrompt::applicationLaunched() {
    if (stringFor(kLastVersionUsedKey) != applicationVersion_) {
        UserDefaults& store = defaults();
        store.setObject(applicationVersion_, kLastVersionUsedKey);
        store.setObject(now(), kFirstUsedKey);
        store.setObject(0, kUseCountKey);
        store.setObject(0, kEventCountKey);
        store.removeObject(kLastRemindedKey);
        store.synchronize();
        if (RatingPromptDelegate* d = delegate()) d->ratingPromptDidDetectAppUpdate();
    }
    incrementUseCount();
    if (promptAtLaunch_ && shouldPromptForRating()) promptIfNetworkAvailable();
}

void RatingPrompt::applicationWillEnterForeground() {
    // Only a return from the background is a use (not, say, the end of a system alert).
    if (!wasInBackground_) return;
    wasInBackground_ = false;
    incrementUseCount();
    if (promptAtLaunch_ && shouldPromptForRating()) promptIfNetworkAvailable();
}

void RatingPrompt::incrementUseCount() { setCount(kUseCountKey, usesCount() + 1); }
void RatingPrompt::incrementEventCount() { setCount(kEventCountKey, eventCount() + 1); }

void RatingPrompt::logEvent(bool deferPrompt) {
    incrementEventCount();
    if (!deferPrompt && shouldPromptForRating()) promptIfNetworkAvailable();
}

// ---- The rule ---------------------------------------------------------------------------------

bool RatingPrompt::shouldPromptForRating() {
    if (previewMode_) {
        log("RatingPrompt preview mode is enabled - make sure you disable this for release");
        return true;
    }
    if (ratedThisVersion()) {
        verbose("RatingPrompt did not prompt for rating because the user has already rated this version");
        return false;
    }
    if (!promptAgainForEachNewVersion_ && ratedAnyVersion()) {
        verbose(
            "RatingPrompt did not prompt for rating because the user has already rated this app, and "
            "promptAgainForEachNewVersion is disabled");
        return false;
    }
    if (declinedThisVersion()) {
        verbose("RatingPrompt did not prompt for rating because the user has declined to rate this version");
        return false;
    }
    const std::optional<double> first = firstUsed();
    if ((daysUntilPrompt_ > 0 || usesPerWeekForPrompt_ != 0) && !first) {
        verbose("RatingPrompt did not prompt for rating because this is the first time the app has been launched");
        return false;
    }
    if (first && now() - *first < daysUntilPrompt_ * kSecondsPerDay) {
        verbose("RatingPrompt did not prompt for rating because the app was first used less than " +
                Number(daysUntilPrompt_) + " days ago");
        return false;
    }
    const uint64_t uses = usesCount(), events = eventCount();
    if (uses < usesUntilPrompt_ && events < eventsUntilPrompt_) {
        verbose("RatingPrompt did not prompt for rating because the app has only been used " + std::to_string(uses) +
                " times and only " + std::to_string(events) + " events have been logged");
        return false;
    }
    const double perWeek = usesPerWeek();
    if (perWeek < usesPerWeekForPrompt_) {
        verbose("RatingPrompt did not prompt for rating because the app has only been used " + Number(perWeek) +
                " times per week on average since it was installed");
        return false;
    }
    const std::optional<double> reminded = lastReminded();
    if (!reminded) return true;
    if (now() - *reminded < remindPeriod_ * kSecondsPerDay) {
        verbose("RatingPrompt did not prompt for rating because the user last asked to be reminded less than " +
                Number(remindPeriod_) + " days ago");
        return false;
    }
    return true;
}
