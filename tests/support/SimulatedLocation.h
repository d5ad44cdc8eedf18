#pragma once
// Geotagging on a simulated position: installs a simulated location provider for the life of
// the object and turns the shared location utility on or off over it; the utility is the
// metadata writer's geotag source meanwhile, as the application makes it. The access store is
// asked for location access, so the caller points XDG_CONFIG_HOME at a test folder first.
#include <memory>
#include <optional>

#include "camera/location/LocationUtility.h"
#include "library/metadata/GeotagSource.h"
#include "platform/foundation/NSRunLoop.h"

class SimulatedLocation {
public:
    SimulatedLocation()
        : provider(std::make_shared<SimulatedLocationProvider>()), previousSource_(GeotagSource::installed()) {
        CLLocationProvider::install(provider);
        GeotagSource::install(&LocationUtility::sharedInstance());
    }
    ~SimulatedLocation() {
        LocationUtility::sharedInstance().stopUpdating();
        GeotagSource::install(previousSource_);
        CLLocationProvider::install(nullptr);
        NSRunLoop::mainRunLoop().runUntilIdle();
    }
    SimulatedLocation(const SimulatedLocation&) = delete;
    SimulatedLocation& operator=(const SimulatedLocation&) = delete;

    // Geotagging on, with this fix (and heading) delivered.
    void geotag(const CLLocation& fix, std::optional<CLHeading> heading = std::nullopt) {
        LocationUtility::sharedInstance().setEnabled(true);
        provider->postLocation(fix);
        if (heading) provider->postHeading(*heading);
        NSRunLoop::mainRunLoop().runUntilIdle();
    }

    // For fixes that count as current.
    static double now() { return CLLocation::currentTimestamp(); }

    std::shared_ptr<SimulatedLocationProvider> provider;

private:
    const GeotagSource* previousSource_;
};
