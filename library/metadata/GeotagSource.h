#pragma once
// Where the metadata writer's geotags come from: the position and heading that geotagging has
// collected. The application installs its source at start-up; with none installed, photos
// carry no place. The writer asks from saving threads, so a source answers from any thread
// and outlives every save.
#include <optional>

#include "platform/corelocation/CLHeading.h"
#include "platform/corelocation/CLLocation.h"

class GeotagSource {
public:
    virtual ~GeotagSource() = default;

    // Nothing while geotagging is off or has no fix.
    virtual std::optional<CLLocation> currentLocation() const = 0;
    virtual std::optional<CLHeading> currentHeading() const = 0;

    // The source the writer reads from now on (null: none).
    static void install(const GeotagSource* source);
    static const GeotagSource* installed();
};
