#include "camera/location/LocationUtility.h"

#include <cmath>

LocationUtility& LocationUtility::sharedInstance() {
    static LocationUtility utility;  // made once, thread-safely
    return utility;
}

LocationUtility::LocationUtility() : locationManager_(std::make_unique<CLLocationManager>()) {
    locationManager_->setDelegate(this);
}

LocationUtility::~LocationUtility() { locationManager_->setDelegate(nullptr); }

bool LocationUtility::locationServicesAvailable() {
    return CLLocationManager::locationServicesEnabled() &&
           CLLocationManager::authorizationStatus() != kAuthorizationDenied;
}

void LocationUtility::setEnabled(bool enabled) {
    if (enabled) startUpdating();
    else stopUpdating();
}

void LocationUtility::startUpdating() {
    if (enabled_ || !locationServicesAvailable()) return;
    locationManager_->requestWhenInUseAuthorization();
    locationManager_->startUpdatingLocation();
    locationManager_->startUpdatingHeading();
    enabled_ = true;
}

void LocationUtility::stopUpdating() {
    if (!enabled_) return;
    locationManager_->stopUpdatingLocation();
    locationManager_->stopUpdatingHeading();
    enabled_ = false;
    std::lock_guard lock(mutex_);
    currentLocation_.reset();
    currentHeading_.reset();
}

std::optional<CLLocation> LocationUtility::currentLocation() const {
    std::lock_guard lock(mutex_);
    return currentLocation_;
}

std::optional<CLHeading> LocationUtility::currentHeading() const {
    std::lock_guard lock(mutex_);
    return currentHeading_;
}

bool LocationUtility::currentLocationAvailable() const { return currentLocation().has_value(); }
bool LocationUtility::currentHeadingAvailable() const { return currentHeading().has_value(); }

void LocationUtility::didUpdateToLocation(CLLocationManager&, const CLLocation& newLocation,
                                          const std::optional<CLLocation>&) {
    if (!(std::fabs(newLocation.timestamp() - CLLocation::currentTimestamp()) <= kMaximumFixAge)) return;
    std::lock_guard lock(mutex_);
    currentLocation_ = newLocation;
}

void LocationUtility::didUpdateHeading(CLLocationManager&, const CLHeading& heading) {
    std::lock_guard lock(mutex_);
    currentHeading_ = heading;
}

void LocationUtility::didFailWithError(CLLocationManager&, const NSErrorPtr&) {
    std::lock_guard lock(mutex_);
    currentLocation_.reset();
    currentHeading_.reset();
}
