#include <algorithm>
#include <cctype>

#include "platform/authorization/AuthorizationStore.h"
#include "platform/uikit/UIAlertPresentation.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIDocumentOpeners.h"
#include "platform/mobilecoreservices/UTType.h"

namespace {

std::string schemeOf(const std::string& url) {
    const auto colon = url.find(':');
    if (colon == std::string::npos || colon == 0) return "";
    std::string scheme = url.substr(0, colon);
    std::transform(scheme.begin(), scheme.end(), scheme.begin(), [](unsigned char c) { return std::tolower(c); });
    return scheme;
}

bool hasControlCharacters(const std::string& text) {
    return std::any_of(text.begin(), text.end(), [](unsigned char c) { return c < 0x20 || c == 0x7f; });
}

// The alert for a target the desktop did not open, with the reason.
void sayNotOpened(const std::string& url, const std::string& target, const UILaunchOutcome& outcome) {
    std::string reason = outcome.failure;
    // xdg-open's own statuses: no program takes the target, or the one that does failed.
    if (outcome.exitStatus == 3) reason += ": no program on this desktop opens it";
    else if (outcome.exitStatus == 4) reason += ": the program that opens it failed";
    UIAlertPresentation::showFailure(
        url == UIApplicationOpenSettingsURLString ? "Cannot Open Settings" : "Cannot Open Link",
        target + "\n" + reason);
}

}  // namespace

bool UIApplication::canOpenURL(const std::string& url) const {
    if (url == UIApplicationOpenSettingsURLString) return true;
    // The Instagram program is there when some opener takes its exclusive type.
    if (schemeOf(url) == "instagram") return UIDocumentOpeners::hasConfiguredOpenerForType(kUTTypeInstagramExclusive);
    if (hasControlCharacters(url)) return false;
    const std::string scheme = schemeOf(url);
    return (scheme == "http" || scheme == "https" || scheme == "mailto") && url.size() > scheme.size() + 1;
}

bool UIApplication::openURL(const std::string& url) {
    if (!canOpenURL(url) || schemeOf(url) == "instagram") return false;
    const std::string target =
        url == UIApplicationOpenSettingsURLString ? AuthorizationStore::standardStorePath().string() : url;
    if (launcher_) {
        if (launcher_(target)) return true;
        sayNotOpened(url, target, {"the desktop could not be asked to open it", -1});
        return false;
    }
    return UIDocumentOpeners::spawn({"xdg-open", target}, [url, target](const UILaunchOutcome& outcome) {
        if (!outcome.succeeded()) sayNotOpened(url, target, outcome);
    });
}

void UIApplication::setURLLauncher(URLLauncher launcher) { launcher_ = std::move(launcher); }
