#pragma once
// The user's answers to the program's access requests (camera, microphone, photo library,
// location), kept in $XDG_CONFIG_HOME/tavorin/authorization.json (~/.config/... by default).
//
// States: 0 not determined, 1 restricted, 2 denied, 3 authorized. Location: 0 not determined,
// 1 restricted, 2 denied, 3 authorized always, 4 authorized when in use.
//
// There is no person to ask on this platform, so the policy is to grant: a request for a
// service that is not determined records the granted state (3; location 4) and answers it.
// A state the user set (or a test set) stays until changed. The document is written whole,
// through a temporary file renamed over it; one that cannot be read counts as empty and is
// not overwritten until a state is set.
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <string>

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
    // The state after asking: a service not yet determined is granted and recorded.
    int requestAccess(AuthorizationService service);
    // True for 3, and for location also 4.
    static bool isAuthorized(AuthorizationService service, int state);

private:
    bool writeLocked() const;

    std::filesystem::path file_;
    mutable std::mutex mutex_;
    std::map<std::string, int> states_;
};
