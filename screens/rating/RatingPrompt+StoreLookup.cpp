// The store look-up and what follows it: the address, the fetch and parse on the look-up
// thread, the outcome on the main thread, the alert and its buttons, the texts and the store
// page.
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <vector>

#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSLocalizedString.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/uikit/UIApplication.h"
#include "screens/rating/RatingPrompt.h"

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string PercentEncoded(const std::string& text) {
    static const char* kHex = "0123456789ABCDEF";
    std::string out;
    for (const unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

// A positive integer given as a number or as digits that fit 64 bits; 0 for anything else.
uint64_t PositiveInteger(const nlohmann::json& value) {
    if (value.is_number_unsigned()) return value.get<uint64_t>();
    if (value.is_number_integer()) return value.get<int64_t>() > 0 ? static_cast<uint64_t>(value.get<int64_t>()) : 0;
    if (!value.is_string()) return 0;
    const std::string& digits = value.get_ref<const std::string&>();
    if (digits.empty() || digits.size() > 20) return 0;
    uint64_t n = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return 0;
        const uint64_t d = static_cast<uint64_t>(c - '0');
        if (n > (UINT64_MAX - d) / 10) return 0;
        n = n * 10 + d;
    }
    return n;
}

// Versions compared with runs of digits as numbers ("1.10" after "1.9").
int CompareVersions(const std::string& a, const std::string& b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (std::isdigit(static_cast<unsigned char>(a[i])) && std::isdigit(static_cast<unsigned char>(b[j]))) {
            size_t ei = i, ej = j;
            while (ei < a.size() && std::isdigit(static_cast<unsigned char>(a[ei]))) ++ei;
            while (ej < b.size() && std::isdigit(static_cast<unsigned char>(b[ej]))) ++ej;
            std::string x = a.substr(i, ei - i), y = b.substr(j, ej - j);
            x.erase(0, std::min(x.find_first_not_of('0'), x.size()));
            y.erase(0, std::min(y.find_first_not_of('0'), y.size()));
            if (x.size() != y.size()) return x.size() < y.size() ? -1 : 1;
            if (x != y) return x < y ? -1 : 1;
            i = ei, j = ej;
        } else {
            if (a[i] != b[j]) return a[i] < b[j] ? -1 : 1;
            ++i, ++j;
        }
    }
    return i < a.size() ? 1 : j < b.size() ? -1 : 0;
}

// The user's preferred languages: LANGUAGE's list, then the locale variables' language.
std::vector<std::string> PreferredLanguages() {
    std::vector<std::string> languages;
    const auto add = [&languages](const std::string& tag) {
        const std::string full = tag.substr(0, tag.find_first_of(".@"));
        if (full.empty() || full == "C" || full == "POSIX") return;
        languages.push_back(full);
        const size_t underscore = full.find('_');
        if (underscore != std::string::npos) languages.push_back(full.substr(0, underscore));
    };
    std::stringstream list(Environment("LANGUAGE"));
    for (std::string item; std::getline(list, item, ':');) add(item);
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const std::string value = Environment(name);
        if (!value.empty()) {
            add(value);
            break;
        }
    }
    return languages;
}

NSErrorPtr LookupError(long code, const std::string& description) {
    return NSError::errorWithDomain(RatingPromptErrorDomain, code, description);
}

const std::string kNotFoundDescription = "The application could not be found on the App Store.";

}  // namespace

// What the main thread hands the look-up thread, and what comes back.
struct RatingPrompt::Lookup {
    // Request.
    std::string url, bundleID, version;
    bool onlyLatest = true, preview = false, customPage = false;
    uint64_t knownID = 0;
    double timeout = kDefaultLookupTimeout;
    // Outcome.
    NSErrorPtr error;
    bool matched = false;
    uint64_t trackID = 0, genreID = 0;
    std::vector<std::string> verboseLines;

    void run(const std::function<HTTPResponse(const std::string&, double, const std::atomic<bool>&)>& fetch,
             const std::atomic<bool>& cancel) {
        const HTTPResponse response = fetch ? fetch(url, timeout, cancel) : HTTPClient::get(url, timeout, &cancel);
        if (response.error) {
            error = response.error;
            return;
        }
        if (response.status != 200) {
            error = NSError::errorWithDomain(HTTPResponseErrorDomain, response.status,
                                             "The server returned a " + std::to_string(response.status) + " error");
            return;
        }
        const nlohmann::json answer = nlohmann::json::parse(response.body, nullptr, false);
        const auto results = answer.is_object() ? answer.find("results") : answer.end();
        if (!answer.is_object() || (results != answer.end() && !results->is_array())) {
            error = NSError::errorWithDomain(RatingPromptJSONErrorDomain, 1, "The store's answer could not be read.");
            return;
        }
        const nlohmann::json* entry =
            results != answer.end() && !results->empty() && results->back().is_object() ? &results->back() : nullptr;
        const auto bundle = entry ? entry->find("bundleId") : answer.end();
        if (!entry || bundle == entry->end() || !bundle->is_string()) {
            if (knownID == 0 && customPage) {
                verboseLines.push_back(
                    "RatingPrompt could not find your app on iTunes. If your app is not yet on the store "
                    "or is not intended for App Store release then don't worry about this");
                return;
            }
            verboseLines.push_back(
                "RatingPrompt could not find this application on iTunes. If your app is not intended "
                "for App Store release then you must specify a custom ratingsURL. If this is the first "
                "release of your application then it's not a problem that it cannot be found on the "
                "store yet");
            error = LookupError(2, kNotFoundDescription);
            return;
        }
        const std::string storeBundle = bundle->get<std::string>();
        if (storeBundle != bundleID) {
            verboseLines.push_back("RatingPrompt found that the application bundle ID (" + bundleID +
                                   ") does not match the bundle ID of the app found on iTunes (" + storeBundle +
                                   ") with the specified App Store ID (" + std::to_string(knownID) + ")");
            error = LookupError(1, "Application bundle ID does not match expected value of " + storeBundle);
            return;
        }
        matched = true;
        if (const auto genre = entry->find("primaryGenreId"); genre != entry->end()) genreID = PositiveInteger(*genre);
        if (const auto track = entry->find("trackId"); track != entry->end()) trackID = PositiveInteger(*track);
        const auto storeVersion = entry->find("version");
        if (onlyLatest && !preview && storeVersion != entry->end() && storeVersion->is_string() &&
            CompareVersions(storeVersion->get<std::string>(), version) > 0) {
            verboseLines.push_back("RatingPrompt found that the installed application version (" + version +
                                   ") is not the latest version on the App Store, which is " +
                                   storeVersion->get<std::string>());
            error = LookupError(3, "Installed app is not the latest version available");
        }
    }
};

std::string RatingPrompt::lookupURL() {
    std::string base = services_.lookupAddress ? *services_.lookupAddress : Environment("TAVORIN_STORE_LOOKUP_URL");
    while (!base.empty() && base.back() == '/') base.pop_back();
    if (base.empty()) return {};
    const std::string& country = appStoreCountry_;
    const bool twoLetters = country.size() == 2 && std::isalpha(static_cast<unsigned char>(country[0])) &&
                            std::isalpha(static_cast<unsigned char>(country[1])) &&
                            static_cast<unsigned char>(country[0]) < 128 &&
                            static_cast<unsigned char>(country[1]) < 128;
    std::string url = base + (twoLetters ? "/" + PercentEncoded(country) : "") + "/lookup";
    const uint64_t id = appStoreID();
    url += id ? "?id=" + std::to_string(id) : "?bundleId=" + PercentEncoded(applicationBundleID_);
    return url;
}

void RatingPrompt::promptIfNetworkAvailable() {
    if (checkingForPrompt_) return;
    checkingForPrompt_ = true;
    auto lookup = std::make_shared<Lookup>();
    lookup->url = lookupURL();
    if (lookup->url.empty()) {
        connectionError(LookupError(4, "No store look-up address is configured"));
        return;
    }
    verbose("RatingPrompt is checking " + lookup->url + " to retrieve the App Store details...");
    lookup->bundleID = applicationBundleID_;
    lookup->version = applicationVersion_;
    lookup->onlyLatest = onlyPromptIfLatestVersion_;
    lookup->preview = previewMode_;
    lookup->customPage = !customRatingsURL_.empty();
    lookup->knownID = appStoreID();
    lookup->timeout = lookupTimeout_;
    if (worker_.joinable()) worker_.join();  // the last look-up has posted its outcome
    std::weak_ptr<int> alive = alive_;
    worker_ = std::thread([this, lookup, alive, fetch = services_.fetch] {
        lookup->run(fetch, cancel_);
        NSRunLoop::mainRunLoop().performBlock([this, lookup, alive] {
            if (alive.lock()) finishLookup(lookup);
        });
    });
}

void RatingPrompt::finishLookup(const std::shared_ptr<Lookup>& lookup) {
    for (const std::string& line : lookup->verboseLines) verbose(line);
    if (lookup->matched) {
        if (appStoreGenreID_ == 0) appStoreGenreID_ = lookup->genreID;
        if (appStoreID() == 0 && lookup->trackID != 0) {
            storeAppStoreID(lookup->trackID);
            verbose("RatingPrompt found the app on iTunes. The App Store ID is " + std::to_string(lookup->trackID));
        }
    }
    NSErrorPtr error = lookup->error;
    // Found nothing to rate and nowhere else to send the user: that is a failure too.
    if (!error && appStoreID() == 0 && customRatingsURL_.empty() && !previewMode_)
        error = LookupError(2, kNotFoundDescription);
    if (error) connectionError(error);
    else connectionSucceeded();
}

void RatingPrompt::connectionSucceeded() {
    if (!checkingForPrompt_) return;
    checkingForPrompt_ = false;
    RatingPromptDelegate* d = delegate();
    if (d && !d->ratingPromptShouldPromptForRating()) {
        verbose(
            "RatingPrompt did not display the rating prompt because the RatingPromptShouldPromptForRating delegate "
            "method returned NO");
        return;
    }
    promptForRating();
}

void RatingPrompt::connectionError(const NSErrorPtr& error) {
    checkingForPrompt_ = false;
    log(error ? "RatingPrompt rating process failed because: " + error->localizedDescription()
              : "RatingPrompt rating process failed because an unknown error occured");
    if (RatingPromptDelegate* d = delegate()) d->ratingPromptCouldNotConnectToAppStore(error);
}

// ---- JSON text reader -------------------------------------------------------------------------

namespace {

const nlohmann::ordered_json* FirstValue(const nlohmann::ordered_json& node, const std::string& key) {
    if (node.is_object()) {
        for (auto it = node.begin(); it != node.end(); ++it) {
            if (it.key() == key) return &it.value();
            if (const nlohmann::ordered_json* inner = FirstValue(it.value(), key)) return inner;
        }
    } else if (node.is_array()) {
        for (const nlohmann::ordered_json& element : node)
            if (const nlohmann::ordered_json* inner = FirstValue(element, key)) return inner;
    }
    return nullptr;
}

}  // namespace

std::optional<std::string> RatingPrompt::valueForKeyInJSON(const std::string& key, const std::string& json) {
    const nlohmann::ordered_json document = nlohmann::ordered_json::parse(json, nullptr, false);
    if (document.is_discarded()) return std::nullopt;
    const nlohmann::ordered_json* value = FirstValue(document, key);
    if (!value) return std::nullopt;
    return value->is_string() ? value->get<std::string>() : value->dump();
}

// ---- Alert ----------------------------------------------------------------------------------

class RatingPrompt::AlertDelegate : public UIAlertViewDelegate {
public:
    explicit AlertDelegate(RatingPrompt* prompt) : prompt_(prompt) {}
    void alertViewDidDismissWithButtonIndex(UIAlertView&, int buttonIndex) override {
        prompt_->alertViewDidDismissWithButtonIndex(buttonIndex);
    }

private:
    RatingPrompt* prompt_;
};

void RatingPrompt::promptForRating() {
    if (visibleAlert_) return;
    if (!alertDelegate_) alertDelegate_ = std::make_shared<AlertDelegate>(this);
    const std::string cancel = cancelButtonLabel();
    visibleAlert_ = UIAlertView::alertView(messageTitle(), message(), alertDelegate_,
                                           cancel.empty() ? std::nullopt : std::optional(cancel), {rateButtonLabel()});
    if (const std::string remind = remindButtonLabel(); !remind.empty()) visibleAlert_->addButtonWithTitle(remind);
    visibleAlert_->show();
    if (RatingPromptDelegate* d = delegate()) d->ratingPromptDidPromptForRating();
}

void RatingPrompt::alertViewDidDismissWithButtonIndex(int buttonIndex) {
    const int cancelIndex = visibleAlert_ ? visibleAlert_->cancelButtonIndex() : -1;
    const int rateIndex = cancelIndex >= 0 ? 1 : 0;
    RatingPromptDelegate* d = delegate();
    if (buttonIndex == cancelIndex) {
        setDeclinedThisVersion(true);
        if (d) d->ratingPromptUserDidDeclineToRateApp();
    } else if (buttonIndex == rateIndex) {
        setRatedThisVersion(true);
        if (d) d->ratingPromptUserDidAttemptToRateApp();
        if (!d || d->ratingPromptShouldOpenAppStore()) openRatingsPageInAppStore();
    } else if (buttonIndex == rateIndex + 1) {
        setLastReminded(now());
        if (d) d->ratingPromptUserDidRequestReminderToRateApp();
    }
    visibleAlert_ = nullptr;
}

// ---- Store page -----------------------------------------------------------------------------

std::string RatingPrompt::ratingsURL() {
    if (!customRatingsURL_.empty()) return customRatingsURL_;
    const uint64_t id = appStoreID();
    if (id == 0) {
        verbose(
            "RatingPrompt could not find the App Store ID for this application. If the application is not "
            "intended for App Store release then you must specify a custom ratingsURL.");
        return {};
    }
    std::string page = services_.reviewAddress ? *services_.reviewAddress : Environment("TAVORIN_STORE_REVIEW_URL");
    if (page.empty()) return {};
    for (size_t at; (at = page.find("{id}")) != std::string::npos;) page.replace(at, 4, std::to_string(id));
    return page;
}

bool RatingPrompt::openRatingsPageInAppStore() {
    if (customRatingsURL_.empty() && appStoreID() == 0) {
        verbose("RatingPrompt was unable to open the App Store because the app store ID is not set.");
        return false;
    }
    const std::string url = ratingsURL();
    if (url.empty()) {
        log("RatingPrompt was unable to open the App Store because no store page address is configured.");
        return false;
    }
    verbose("RatingPrompt will open the App Store ratings page using the following URL: " + url);
    const bool opened = services_.openURL ? services_.openURL(url) : UIApplication::sharedApplication().openURL(url);
    if (!opened) log("RatingPrompt could not open " + url);
    return opened;
}

void RatingPrompt::productViewControllerDidFinish() {
    if (RatingPromptDelegate* d = delegate()) d->ratingPromptDidDismissStoreKitModal();
}

void RatingPrompt::didRotate() {
    const auto orientation = static_cast<int64_t>(UIApplication::sharedApplication().statusBarOrientation());
    // Alerts lay themselves out on every supported system: only the orientation is recorded.
    if (orientation != previousOrientation_) previousOrientation_ = orientation;
}

// ---- Texts ----------------------------------------------------------------------------------

namespace {

std::string Replaced(std::string text, const std::string& name) {
    for (size_t at = 0; (at = text.find("%@", at)) != std::string::npos; at += name.size()) text.replace(at, 2, name);
    return text;
}

}  // namespace

std::string RatingPrompt::localizedStringForKey(const std::string& key, const std::string& defaultText) {
    namespace fs = std::filesystem;
    if (!textFolder_) {
        const std::string bundle = !services_.textBundlePath.empty()
                                       ? services_.textBundlePath
                                       : NSBundle::mainBundle().pathForResource("RatingPrompt", "bundle");
        textFolder_ = bundle;
        if (useAllAvailableLanguages_ && !bundle.empty()) {
            for (const std::string& language : PreferredLanguages()) {
                std::error_code ec;
                if (fs::is_directory(fs::path(bundle) / (language + ".lproj"), ec)) {
                    textFolder_ = (fs::path(bundle) / (language + ".lproj")).string();
                    break;
                }
            }
        }
    }
    std::string text = defaultText;
    if (!textFolder_->empty()) {
        std::ifstream in(fs::path(*textFolder_) / "RatingPrompt.json");
        const nlohmann::json table = in ? nlohmann::json::parse(in, nullptr, false) : nlohmann::json();
        if (table.is_object()) {
            if (const auto it = table.find(key); it != table.end() && it->is_string()) text = it->get<std::string>();
        }
    }
    // The program's own table wins.
    return NSLocalizedStringWithDefault(key, text);
}

std::string RatingPrompt::messageTitle() {
    return Replaced(messageTitle_ ? *messageTitle_ : localizedStringForKey("RatingPromptMessageTitle", "Rate %@"),
                    applicationName_);
}

std::string RatingPrompt::message() {
    if (message_) return Replaced(*message_, applicationName_);
    const bool game = appStoreGenreID_ == kGameGenreID;
    return Replaced(localizedStringForKey(game ? "RatingPromptGameMessage" : "RatingPromptAppMessage",
                                          std::string("If you enjoy ") + (game ? "playing" : "using") +
                                              " %@, would you mind taking a moment to rate it? It won\u2019t take "
                                              "more than a minute. Thanks for your support!"),
                    applicationName_);
}

std::string RatingPrompt::cancelButtonLabel() {
    return cancelButtonLabel_ ? *cancelButtonLabel_ : localizedStringForKey("RatingPromptCancelButton", "No, Thanks");
}

std::string RatingPrompt::remindButtonLabel() {
    return remindButtonLabel_ ? *remindButtonLabel_
                              : localizedStringForKey("RatingPromptRemindButton", "Remind Me Later");
}

std::string RatingPrompt::rateButtonLabel() {
    return rateButtonLabel_ ? *rateButtonLabel_ : localizedStringForKey("RatingPromptRateButton", "Rate It Now");
}
