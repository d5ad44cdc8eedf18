#pragma once
// Where fixes come from. The location manager has no hardware to ask on this platform: a
// provider stands in for it. Location services count as enabled only while one is installed.
//
// `SimulatedLocationProvider` passes on whatever a test posts (fixes, headings, errors).
// `FixedLocationProvider` reports one position, re-stamped with the current time every 10 s,
// and no heading; the program installs it when TAVORIN_LOCATION="lat,lon[,alt]" is set.
//
// A provider hands each report to the managers that are updating; they deliver it to their
// delegates on the main run loop. Main thread only.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/corelocation/CLHeading.h"
#include "platform/corelocation/CLLocation.h"
#include "platform/foundation/NSError.h"

class NSTimer;

class CLLocationProvider {
public:
    // The receiving side, implemented by the location manager.
    class Listener {
    public:
        virtual ~Listener() = default;
        virtual void providerDidUpdateLocation(const CLLocation& location) = 0;
        virtual void providerDidUpdateHeading(const CLHeading& heading) = 0;
        virtual void providerDidFail(const NSErrorPtr& error) = 0;
        virtual bool wantsLocation() const = 0;
        virtual bool wantsHeading() const = 0;
    };

    virtual ~CLLocationProvider() = default;

    // The installed provider (the one from TAVORIN_LOCATION when first asked and none was
    // installed), or null: then location services are off.
    static std::shared_ptr<CLLocationProvider> current();
    static void install(std::shared_ptr<CLLocationProvider> provider);
    // Forgets the installed provider: the next `current` reads the environment again.
    static void resetToEnvironment();

    void addListener(const std::shared_ptr<Listener>& listener);
    void removeListener(const Listener* listener);
    // Called by the manager when its wishes change (start or stop of either kind).
    virtual void listenersChanged() {}

protected:
    void reportLocation(const CLLocation& location);
    void reportHeading(const CLHeading& heading);
    void reportError(const NSErrorPtr& error);
    bool anyoneWantsLocation() const;

private:
    std::vector<std::weak_ptr<Listener>> listeners_;
};

class SimulatedLocationProvider : public CLLocationProvider {
public:
    void postLocation(const CLLocation& location) { reportLocation(location); }
    void postHeading(const CLHeading& heading) { reportHeading(heading); }
    void postError(const NSErrorPtr& error) { reportError(error); }
};

class FixedLocationProvider : public CLLocationProvider {
public:
    static constexpr double kRestampInterval = 10;

    FixedLocationProvider(CLLocationCoordinate2D coordinate, double altitude);
    ~FixedLocationProvider() override;
    // "lat,lon[,alt]" in degrees and metres; nothing when the text is not that or lies off
    // the globe.
    static std::optional<std::pair<CLLocationCoordinate2D, double>> parse(const std::string& text);

    void listenersChanged() override;

private:
    void report();

    CLLocationCoordinate2D coordinate_;
    double altitude_;
    std::shared_ptr<NSTimer> timer_;
};
