#pragma once
// The user's answers to the program's access requests (camera, microphone, photo library,
// location), kept in $XDG_CONFIG_HOME/tavorin/authorization.json (~/.config/... by default).
//
// States: 0 not determined, 1 restricted, 2 denied, 3 authorized. Location: 0 not determined,
// 1 restricted, 2 denied, 3 authorized always, 4 authorized when in use.
//
// There is no person to ask on this platform, so a policy answers: by default it grants (a
// request for a service that is not determined records the granted state, 3 or location 4);
// tests set deny (records 2) or never answer. A state the user set (or a test set) stays
// until changed. The document is a `StateFile`, written whole, compact and atomically, keeping
// its mode. One that is damaged (not a regular file, too large or deep, not JSON, not a
// dictionary) is reported on one line, counts as empty, and is set aside (renamed
// "<name>.corrupt-<time>") when the first state is written, so nothing the user had is lost;
// one that cannot be read (permissions) is reported and never replaced, and the states then
// hold for this process only. A stored state outside its service's range counts as not
// determined.
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>

enum class AuthorizationPolicy { Grant, Deny, NeverAnswer };

enum class AuthorizationService { Camera, Microphone, Photos, Location };

inline constexpr int kAuthorizationNotDetermined = 0;
inline constexpr int kAuthorizationRestricted = 1;
inline constexpr int kAuthorizationDenied = 2;
inline constexpr int kAuthorizationAuthorized = 3;
inline constexpr int kLocationAuthorizedWhenInUse = 4;

class AuthorizationStore {
public:
    // The program's store at the path the environment gives when first asked.
    static AuthorizationStore& shared();
    // Forgets the program's store: the next `shared` reads it again from the path the
    // environment then gives (tests change the XDG folders between cases).
    static void resetShared();
    static std::filesystem::path standardStorePath();

    explicit AuthorizationStore(std::filesystem::path file);

    int status(AuthorizationService service) const;
    // Records the state (clamped to the service's range) and writes the document; false when
    // it could not be written (the state still holds for this process).
    bool setStatus(AuthorizationService service, int state);
    // The state after asking: a service not yet determined gets the policy's answer, recorded
    // (with NeverAnswer it stays not determined).
    int requestAccess(AuthorizationService service);
    // The same, answered on the store's serial background queue; with NeverAnswer the handler
    // is never called.
    void requestAccessAsync(AuthorizationService service, std::function<void(int state)> handler);
    AuthorizationPolicy policy() const;
    void setPolicy(AuthorizationPolicy policy);
    // The document could not be read when the store was made.
    bool foundCorruptDocument() const { return corrupt_; }
    // Where the damaged document was moved, once a state was written.
    std::optional<std::filesystem::path> setAsidePath() const;
    // True for 3, and for location also 4.
    static bool isAuthorized(AuthorizationService service, int state);

private:
    bool writeLocked() const;
    void say(const std::string& problem) const;

    std::filesystem::path file_;
    mutable std::mutex mutex_;
    std::map<std::string, int> states_;
    AuthorizationPolicy policy_ = AuthorizationPolicy::Grant;
    bool corrupt_ = false;
    bool unreadable_ = false;
    mutable bool setAsidePending_ = false;
    mutable std::optional<std::filesystem::path> setAside_;
    mutable std::string lastProblem_;
};
