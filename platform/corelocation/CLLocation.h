#pragma once
// A position fix: where (degrees, WGS 84), how high (metres, negative below sea level), how
// sure (horizontal accuracy in metres; negative means the position is not valid) and when
// (seconds since 1970). A plain value.
#include <ctime>

struct CLLocationCoordinate2D {
    double latitude = 0;
    double longitude = 0;
};

class CLLocation {
public:
    CLLocation() = default;
    CLLocation(CLLocationCoordinate2D coordinate, double altitude, double horizontalAccuracy, double timestamp)
        : coordinate_(coordinate),
          altitude_(altitude),
          horizontalAccuracy_(horizontalAccuracy),
          timestamp_(timestamp) {}
    CLLocation(double latitude, double longitude) : coordinate_{latitude, longitude} {}

    CLLocationCoordinate2D coordinate() const { return coordinate_; }
    double altitude() const { return altitude_; }
    double horizontalAccuracy() const { return horizontalAccuracy_; }
    double timestamp() const { return timestamp_; }
    // Now, on the clock fixes are stamped with (wall-clock seconds since 1970).
    static double currentTimestamp() {
        timespec t{};
        ::clock_gettime(CLOCK_REALTIME, &t);
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
    }

private:
    CLLocationCoordinate2D coordinate_;
    double altitude_ = 0;
    double horizontalAccuracy_ = 0;
    double timestamp_ = 0;
};
