#pragma once
// The location manager's authorisation: 0 not determined, 1 restricted, 2 denied,
// 3 authorised always, 4 authorised when in use, kept in the shared access store.
#include "platform/authorization/AuthorizationStore.h"

class CLLocationManager {
public:
    static bool locationServicesEnabled() { return true; }
    static int authorizationStatus() { return AuthorizationStore::shared().status(AuthorizationService::Location); }
    // Asks (answered by the store's policy, recorded).
    void requestWhenInUseAuthorization() { AuthorizationStore::shared().requestAccess(AuthorizationService::Location); }
};
