#pragma once
// The location manager: reports fixes and headings from the installed provider
// (CLLocationProvider.h) to its delegate.
//
// Authorisation: 0 not determined, 1 restricted, 2 denied, 3 authorised always, 4 authorised
// when in use, kept in the shared access store; `requestWhenInUseAuthorization` is answered by
// the store's policy (4 granted, 2 denied). Location services are enabled only while a provider
// is installed.
//
// Delegate calls arrive on the main run loop, and only while the program is authorised; a
// manager that is updating while access is denied tells its delegate of the failure instead
// (domain kCLErrorDomain, code kCLErrorDenied). Main thread only. The delegate is not owned and
// must outlive the manager or be cleared first.
#include <memory>

#include "platform/authorization/AuthorizationStore.h"
#include "platform/corelocation/CLLocationProvider.h"

inline const std::string kCLErrorDomain = "kCLErrorDomain";
inline constexpr long kCLErrorLocationUnknown = 0;
inline constexpr long kCLErrorDenied = 1;

class CLLocationManager;

class CLLocationManagerDelegate {
public:
    virtual ~CLLocationManagerDelegate() = default;
    virtual void didUpdateToLocation(CLLocationManager& /*manager*/, const CLLocation& /*newLocation*/,
                                     const std::optional<CLLocation>& /*oldLocation*/) {}
    virtual void didUpdateHeading(CLLocationManager& /*manager*/, const CLHeading& /*heading*/) {}
    virtual void didFailWithError(CLLocationManager& /*manager*/, const NSErrorPtr& /*error*/) {}
};

class CLLocationManager {
public:
    CLLocationManager();
    ~CLLocationManager();
    CLLocationManager(const CLLocationManager&) = delete;
    CLLocationManager& operator=(const CLLocationManager&) = delete;

    static bool locationServicesEnabled() { return CLLocationProvider::current() != nullptr; }
    static int authorizationStatus() { return AuthorizationStore::shared().status(AuthorizationService::Location); }
    void requestWhenInUseAuthorization() { AuthorizationStore::shared().requestAccess(AuthorizationService::Location); }

    CLLocationManagerDelegate* delegate() const;
    void setDelegate(CLLocationManagerDelegate* delegate);

    void startUpdatingLocation();
    void stopUpdatingLocation();
    void startUpdatingHeading();
    void stopUpdatingHeading();
    bool isUpdatingLocation() const;
    bool isUpdatingHeading() const;
    // The last fix delivered, if any.
    std::optional<CLLocation> location() const;

private:
    class Receiver;
    void attach();

    std::shared_ptr<Receiver> receiver_;
    std::shared_ptr<CLLocationProvider> provider_;
};
