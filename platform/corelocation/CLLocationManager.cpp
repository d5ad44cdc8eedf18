#include "platform/corelocation/CLLocationManager.h"

#include "platform/foundation/NSRunLoop.h"

namespace {

bool authorised() {
    return AuthorizationStore::isAuthorized(AuthorizationService::Location, CLLocationManager::authorizationStatus());
}

NSErrorPtr deniedError() {
    return NSError::errorWithDomain(kCLErrorDomain, kCLErrorDenied, "Access to the location was denied.");
}

}  // namespace

// Lives as long as the manager; reports queued on the main run loop hold it weakly, so a
// manager gone by then receives nothing.
class CLLocationManager::Receiver : public CLLocationProvider::Listener,
                                    public std::enable_shared_from_this<CLLocationManager::Receiver> {
public:
    explicit Receiver(CLLocationManager& manager) : manager(manager) {}

    CLLocationManager& manager;
    CLLocationManagerDelegate* delegate = nullptr;
    bool updatingLocation = false;
    bool updatingHeading = false;
    std::optional<CLLocation> last;

    bool wantsLocation() const override { return updatingLocation; }
    bool wantsHeading() const override { return updatingHeading; }

    void providerDidUpdateLocation(const CLLocation& location) override {
        deliver([location](Receiver& r) {
            if (!r.updatingLocation) return;
            const auto previous = r.last;
            r.last = location;
            if (r.delegate) r.delegate->didUpdateToLocation(r.manager, location, previous);
        });
    }
    void providerDidUpdateHeading(const CLHeading& heading) override {
        deliver([heading](Receiver& r) {
            if (r.updatingHeading && r.delegate) r.delegate->didUpdateHeading(r.manager, heading);
        });
    }
    void providerDidFail(const NSErrorPtr& error) override {
        deliver([error](Receiver& r) {
            if (r.delegate) r.delegate->didFailWithError(r.manager, error);
        });
    }

    // On the main run loop, and only while authorised at delivery time.
    void deliver(std::function<void(Receiver&)> call) {
        NSRunLoop::mainRunLoop().performBlock([weak = weak_from_this(), call = std::move(call)] {
            auto self = weak.lock();
            if (self && authorised()) call(*self);
        });
    }

    void reportDenial() {
        NSRunLoop::mainRunLoop().performBlock([weak = weak_from_this()] {
            auto self = weak.lock();
            if (self && self->delegate && (self->updatingLocation || self->updatingHeading) && !authorised())
                self->delegate->didFailWithError(self->manager, deniedError());
        });
    }
};

CLLocationManager::CLLocationManager() : receiver_(std::make_shared<Receiver>(*this)) {}

CLLocationManager::~CLLocationManager() {
    if (provider_) provider_->removeListener(receiver_.get());
}

CLLocationManagerDelegate* CLLocationManager::delegate() const { return receiver_->delegate; }
void CLLocationManager::setDelegate(CLLocationManagerDelegate* delegate) { receiver_->delegate = delegate; }

void CLLocationManager::attach() {
    auto provider = CLLocationProvider::current();
    if (provider_ && provider_ != provider) provider_->removeListener(receiver_.get());
    provider_ = provider;
    if (provider_) {
        if (receiver_->updatingLocation || receiver_->updatingHeading) provider_->addListener(receiver_);
        else provider_->removeListener(receiver_.get());
    }
    if (CLLocationManager::authorizationStatus() == kAuthorizationDenied) receiver_->reportDenial();
}

void CLLocationManager::startUpdatingLocation() {
    receiver_->updatingLocation = true;
    attach();
}

void CLLocationManager::stopUpdatingLocation() {
    receiver_->updatingLocation = false;
    attach();
}

void CLLocationManager::startUpdatingHeading() {
    receiver_->updatingHeading = true;
    attach();
}

void CLLocationManager::stopUpdatingHeading() {
    receiver_->updatingHeading = false;
    attach();
}

bool CLLocationManager::isUpdatingLocation() const { return receiver_->updatingLocation; }
bool CLLocationManager::isUpdatingHeading() const { return receiver_->updatingHeading; }
std::optional<CLLocation> CLLocationManager::location() const { return receiver_->last; }
