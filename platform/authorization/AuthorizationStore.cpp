#include "platform/authorization/AuthorizationStore.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>

#include "platform/foundation/Dispatch.h"

namespace {

const char* serviceName(AuthorizationService s) {
    switch (s) {
        case AuthorizationService::Camera: return "camera";
        case AuthorizationService::Microphone: return "microphone";
        case AuthorizationService::Photos: return "photos";
        case AuthorizationService::Location: return "location";
    }
    return "unknown";
}

int highestState(AuthorizationService s) {
    return s == AuthorizationService::Location ? kLocationAuthorizedWhenInUse : kAuthorizationAuthorized;
}

std::mutex sharedMutex;
std::unique_ptr<AuthorizationStore> sharedStore;

}  // namespace

std::filesystem::path AuthorizationStore::standardStorePath() {
    std::filesystem::path base;
    if (const char* c = std::getenv("XDG_CONFIG_HOME"); c && c[0] == '/') {
        base = c;
    } else {
        const char* home = std::getenv("HOME");
        base = std::filesystem::path(home && home[0] ? home : "/") / ".config";
    }
    return base / "tavorin" / "authorization.json";
}

AuthorizationStore& AuthorizationStore::shared() {
    std::lock_guard lock(sharedMutex);
    if (!sharedStore) sharedStore = std::make_unique<AuthorizationStore>(standardStorePath());
    return *sharedStore;
}

void AuthorizationStore::resetShared() {
    std::lock_guard lock(sharedMutex);
    sharedStore.reset();
}

AuthorizationStore::AuthorizationStore(std::filesystem::path file) : file_(std::move(file)) {
    std::ifstream in(file_);
    if (!in) return;
    nlohmann::json json = nlohmann::json::parse(in, nullptr, false);
    if (!json.is_object()) {
        std::fprintf(stderr, "tavorin: the access document %s cannot be read; it will be kept as %s\n",
                     file_.c_str(), setAsidePath(file_).c_str());
        corrupt_ = true;
        return;
    }
    for (auto& [key, value] : json.items())
        if (value.is_number_integer()) states_[key] = value.get<int>();
}

int AuthorizationStore::status(AuthorizationService service) const {
    std::lock_guard lock(mutex_);
    auto it = states_.find(serviceName(service));
    if (it == states_.end() || it->second < 0 || it->second > highestState(service))
        return kAuthorizationNotDetermined;
    return it->second;
}

bool AuthorizationStore::setStatus(AuthorizationService service, int state) {
    std::lock_guard lock(mutex_);
    states_[serviceName(service)] = std::clamp(state, 0, highestState(service));
    return writeLocked();
}

int AuthorizationStore::requestAccess(AuthorizationService service) {
    const int state = status(service);
    if (state != kAuthorizationNotDetermined) return state;
    int answer = kAuthorizationNotDetermined;
    switch (policy()) {
        case AuthorizationPolicy::Grant: answer = highestState(service); break;
        case AuthorizationPolicy::Deny: answer = kAuthorizationDenied; break;
        case AuthorizationPolicy::NeverAnswer: return kAuthorizationNotDetermined;
    }
    setStatus(service, answer);
    return answer;
}

void AuthorizationStore::requestAccessAsync(AuthorizationService service, std::function<void(int)> handler) {
    if (policy() == AuthorizationPolicy::NeverAnswer) return;
    static const dispatch_queue_t queue = dispatch_queue_create("tavorin.authorization");
    // Decided and recorded now, so the answer does not depend on the store outliving the queue.
    const int state = requestAccess(service);
    dispatch_async(queue, [state, handler = std::move(handler)] {
        if (handler) handler(state);
    });
}

AuthorizationPolicy AuthorizationStore::policy() const {
    std::lock_guard lock(mutex_);
    return policy_;
}

void AuthorizationStore::setPolicy(AuthorizationPolicy policy) {
    std::lock_guard lock(mutex_);
    policy_ = policy;
}

bool AuthorizationStore::isAuthorized(AuthorizationService service, int state) {
    return state == kAuthorizationAuthorized ||
           (service == AuthorizationService::Location && state == kLocationAuthorizedWhenInUse);
}

bool AuthorizationStore::writeLocked() const {
    std::error_code ec;
    std::filesystem::create_directories(file_.parent_path(), ec);
    nlohmann::json json = nlohmann::json::object();
    for (auto& [key, value] : states_) json[key] = value;
    const std::string text = json.dump(2) + "\n";
    if (corrupt_ && !setAside_) {
        // Kept beside, never overwritten: whatever it held may still matter to the user.
        std::error_code renameError;
        std::filesystem::rename(file_, setAsidePath(file_), renameError);
        setAside_ = !renameError;
        if (renameError) return false;
    }
    const std::string temp = file_.string() + ".tmp";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    bool ok = fd >= 0 && ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) &&
              ::fsync(fd) == 0;
    if (fd >= 0) ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temp.c_str(), file_.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        std::fprintf(stderr, "tavorin: could not write the access document %s\n", file_.c_str());
    }
    return ok;
}
