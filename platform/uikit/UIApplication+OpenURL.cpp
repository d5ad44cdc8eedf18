#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cctype>
#include <thread>

#include "platform/authorization/AuthorizationStore.h"
#include "platform/uikit/UIApplication.h"

extern char** environ;

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

// Started without a shell, so nothing in the URL is interpreted; reaped on a thread of its own.
bool launchWithDesktop(const std::string& target) {
    std::string program = "xdg-open";
    std::string argument = target;
    char* argv[] = {program.data(), argument.data(), nullptr};
    pid_t pid = 0;
    if (::posix_spawnp(&pid, "xdg-open", nullptr, nullptr, argv, environ) != 0) return false;
    std::thread([pid] {
        int status = 0;
        ::waitpid(pid, &status, 0);
    }).detach();
    return true;
}

}  // namespace

bool UIApplication::canOpenURL(const std::string& url) const {
    if (url == UIApplicationOpenSettingsURLString) return true;
    if (hasControlCharacters(url)) return false;
    const std::string scheme = schemeOf(url);
    return (scheme == "http" || scheme == "https" || scheme == "mailto") && url.size() > scheme.size() + 1;
}

bool UIApplication::openURL(const std::string& url) {
    if (!canOpenURL(url)) return false;
    const std::string target =
        url == UIApplicationOpenSettingsURLString ? AuthorizationStore::standardStorePath().string() : url;
    return launcher_ ? launcher_(target) : launchWithDesktop(target);
}

void UIApplication::setURLLauncher(URLLauncher launcher) { launcher_ = std::move(launcher); }
