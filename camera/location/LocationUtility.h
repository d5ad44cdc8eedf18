#pragma once
// The one place that follows the device's position and compass heading, so that photos can be
// geotagged. The main screen turns it on and off with the geotagging setting; the application
// installs it as the metadata writer's geotag source, which reads the current values when it
// fills a photo's location. It only collects.
//
// Turning it off always stops the updates and forgets both values, whatever state the location
// services are in, so that no photo taken after geotagging was switched off carries a place;
// both availability tests answer NO while it is off. Main thread only.
#include <memory>
#include <mutex>
#include <optional>

#include "library/metadata/GeotagSource.h"
#include "platform/corelocation/CLLocationManager.h"

class LocationUtility : public CLLocationManagerDelegate, public GeotagSource {
public:
    // A fix further than this from now (either side) is a cached one and is ignored.
    static constexpr double kMaximumFixAge = 120;

    static LocationUtility& sharedInstance();

    LocationUtility();
    ~LocationUtility() override;

    // Services are enabled and access is not denied (not yet asked and restricted count).
    static bool locationServicesAvailable();

    void setEnabled(bool enabled);
    void startUpdating();
    void stopUpdating();
    bool enabled() const { return enabled_; }

    std::optional<CLLocation> currentLocation() const override;
    std::optional<CLHeading> currentHeading() const override;
    bool currentLocationAvailable() const;
    bool currentHeadingAvailable() const;
    CLLocationManager& locationManager() { return *locationManager_; }

    void didUpdateToLocation(CLLocationManager& manager, const CLLocation& newLocation,
                             const std::optional<CLLocation>& oldLocation) override;
    void didUpdateHeading(CLLocationManager& manager, const CLHeading& heading) override;
    void didFailWithError(CLLocationManager& manager, const NSErrorPtr& error) override;

private:
    std::unique_ptr<CLLocationManager> locationManager_;
    bool enabled_ = false;
    // The metadata writer may read from a saving thread.
    mutable std::mutex mutex_;
    std::optional<CLLocation> currentLocation_;
    std::optional<CLHeading> currentHeading_;
};
