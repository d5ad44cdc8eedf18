#include "platform/authorization/AuthorizationStore.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <nlohmann/json.hpp>

#include "platform/foundation/Dispatch.h"
#include "platform/foundation/StateFile.h"

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
    StateFile::Reading reading = StateFile::read(file_);
    switch (reading.outcome) {
    case StateFile::Outcome::Missing: return;
    case StateFile::Outcome::Unreadable:
        unreadable_ = true;
        say(reading.problem + "; answers will not be kept");
        return;
    case StateFile::Outcome::Read:
        if (reading.document.is_object()) {
            for (const auto& [key, value] : reading.document.items()) {
                // Only a state some service has; anything else would be narrowed into one.
                if (value.is_number_integer() && value.get<std::int64_t>() >= 0 &&
                    value.get<std::int64_t>() <= kLocationAuthorizedWhenInUse)
                    states_[key] = value.get<int>();
            }
            return;
        }
        reading.problem = "does not hold a dictionary";
        break;
    case StateFile::Outcome::Damaged: break;
    }
    corrupt_ = true;
    setAsidePending_ = true;
    say(reading.problem + "; starting without answers, it is moved aside (" + file_.filename().string() +
        ".corrupt-<time>) when one is recorded");
}

int AuthorizationStore::status(AuthorizationService service) const {
    std::lock_guard lock(mutex_);
    auto it = states_.find(serviceName(service));
    if (it == states_.end() || it->second < 0 || it->second > highestState(service)) return kAuthorizationNotDetermined;
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

std::optional<std::filesystem::path> AuthorizationStore::setAsidePath() const {
    std::lock_guard lock(mutex_);
    return setAside_;
}

void AuthorizationStore::say(const std::string& problem) const {
    // Once while it stays the same: every request writes.
    if (problem == lastProblem_) return;
    lastProblem_ = problem;
    std::fprintf(stderr, "tavorin: the access document %s %s\n", file_.c_str(), problem.c_str());
}

bool AuthorizationStore::writeLocked() const {
    if (unreadable_) return false;  // said when it was read
    std::string problem;
    if (setAsidePending_) {
        // Kept beside, never overwritten: whatever it held may still matter to the user.
        setAside_ = StateFile::setAside(file_, &problem);
        std::error_code ec;
        if (!setAside_ && std::filesystem::symlink_status(file_, ec).type() != std::filesystem::file_type::not_found) {
            say(problem + "; answers hold until the program ends");
            return false;
        }
        setAsidePending_ = false;  // moved, or gone meanwhile
    }
    nlohmann::json json = nlohmann::json::object();
    for (const auto& [key, value] : states_) json[key] = value;
    if (StateFile::write(file_, json, &problem)) return true;
    say(problem + "; answers hold until the program ends");
    return false;
}
