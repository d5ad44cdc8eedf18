#include "platform/corelocation/CLLocationProvider.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "platform/foundation/NSRunLoop.h"

namespace {

struct Installed {
    bool resolved = false;
    std::shared_ptr<CLLocationProvider> provider;
};

Installed& installed() {
    static Installed slot;
    return slot;
}

// A fixed position is stated, not measured: it is given a small nominal accuracy.
constexpr double kFixedAccuracy = 5;

}  // namespace

std::shared_ptr<CLLocationProvider> CLLocationProvider::current() {
    Installed& slot = installed();
    if (!slot.resolved) {
        slot.resolved = true;
        if (const char* text = std::getenv("TAVORIN_LOCATION"))
            if (auto fix = FixedLocationProvider::parse(text))
                slot.provider = std::make_shared<FixedLocationProvider>(fix->first, fix->second);
    }
    return slot.provider;
}

void CLLocationProvider::install(std::shared_ptr<CLLocationProvider> provider) {
    installed() = {true, std::move(provider)};
}

void CLLocationProvider::resetToEnvironment() { installed() = {}; }

void CLLocationProvider::addListener(const std::shared_ptr<Listener>& listener) {
    const bool known = std::any_of(listeners_.begin(), listeners_.end(),
                                   [&](const std::weak_ptr<Listener>& l) { return l.lock() == listener; });
    if (!known) listeners_.push_back(listener);
    listenersChanged();
}

void CLLocationProvider::removeListener(const Listener* listener) {
    std::erase_if(listeners_, [&](const std::weak_ptr<Listener>& l) {
        auto locked = l.lock();
        return !locked || locked.get() == listener;
    });
    listenersChanged();
}

bool CLLocationProvider::anyoneWantsLocation() const {
    for (const auto& l : listeners_)
        if (auto locked = l.lock(); locked && locked->wantsLocation()) return true;
    return false;
}

void CLLocationProvider::reportLocation(const CLLocation& location) {
    for (const auto& l : std::vector(listeners_))
        if (auto locked = l.lock(); locked && locked->wantsLocation()) locked->providerDidUpdateLocation(location);
}

void CLLocationProvider::reportHeading(const CLHeading& heading) {
    for (const auto& l : std::vector(listeners_))
        if (auto locked = l.lock(); locked && locked->wantsHeading()) locked->providerDidUpdateHeading(heading);
}

void CLLocationProvider::reportError(const NSErrorPtr& error) {
    for (const auto& l : std::vector(listeners_))
        if (auto locked = l.lock(); locked && (locked->wantsLocation() || locked->wantsHeading()))
            locked->providerDidFail(error);
}

FixedLocationProvider::FixedLocationProvider(CLLocationCoordinate2D coordinate, double altitude)
    : coordinate_(coordinate), altitude_(altitude) {}

FixedLocationProvider::~FixedLocationProvider() {
    if (timer_) timer_->invalidate();
}

std::optional<std::pair<CLLocationCoordinate2D, double>> FixedLocationProvider::parse(const std::string& text) {
    std::istringstream in(text);
    double values[3] = {0, 0, 0};
    int count = 0;
    std::string part;
    while (std::getline(in, part, ',')) {
        if (count == 3) return std::nullopt;
        char* end = nullptr;
        values[count] = std::strtod(part.c_str(), &end);
        if (part.empty() || end == part.c_str() || *end != '\0' || !std::isfinite(values[count])) return std::nullopt;
        ++count;
    }
    if (count < 2 || std::fabs(values[0]) > 90 || std::fabs(values[1]) > 180) return std::nullopt;
    return std::pair{CLLocationCoordinate2D{values[0], values[1]}, values[2]};
}

void FixedLocationProvider::listenersChanged() {
    const bool wanted = anyoneWantsLocation();
    if (wanted && !timer_) {
        // The timer's block holds no strong reference: the provider's end invalidates it.
        timer_ = NSTimer::scheduledTimerWithTimeInterval(kRestampInterval, true, [this](NSTimer&) { report(); });
        report();
    } else if (!wanted && timer_) {
        timer_->invalidate();
        timer_.reset();
    }
}

void FixedLocationProvider::report() {
    reportLocation(CLLocation(coordinate_, altitude_, kFixedAccuracy, CLLocation::currentTimestamp()));
}
