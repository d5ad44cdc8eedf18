#include "platform/foundation/NSNotificationCenter.h"

#include <algorithm>

NSNotificationCenter& NSNotificationCenter::defaultCenter() {
    static NSNotificationCenter* center = new NSNotificationCenter();  // outlives every observer
    return *center;
}

void NSNotificationCenter::addObserver(const void* observer, const NSNotificationName& name, Handler handler,
                                       const void* object) {
    if (!handler) return;
    auto registration = std::make_shared<Registration>(Registration{observer, name, object, std::move(handler)});
    std::lock_guard lock(mutex_);
    registrations_.push_back(std::move(registration));
}

std::shared_ptr<void> NSNotificationCenter::addObserverForName(const NSNotificationName& name, const void* object,
                                                               dispatch_queue_t queue, Handler handler) {
    auto token = std::make_shared<int>(0);
    if (queue) {
        handler = [queue, handler = std::move(handler)](const NSNotification& n) {
            dispatch_async(queue, [handler, n] { handler(n); });
        };
    }
    addObserver(token.get(), name, std::move(handler), object);
    return token;
}

void NSNotificationCenter::removeObserver(const void* observer) {
    std::vector<std::shared_ptr<Registration>> removed;  // handlers die outside the lock
    std::lock_guard lock(mutex_);
    std::erase_if(registrations_, [&](const std::shared_ptr<Registration>& r) {
        if (r->observer != observer) return false;
        r->removed = true;
        removed.push_back(r);
        return true;
    });
}

void NSNotificationCenter::removeObserver(const void* observer, const NSNotificationName& name, const void* object) {
    std::vector<std::shared_ptr<Registration>> removed;
    std::lock_guard lock(mutex_);
    std::erase_if(registrations_, [&](const std::shared_ptr<Registration>& r) {
        if (r->observer != observer || (!name.empty() && r->name != name) || (object && r->object != object))
            return false;
        r->removed = true;
        removed.push_back(r);
        return true;
    });
}

void NSNotificationCenter::postNotification(const NSNotification& notification) {
    std::vector<std::shared_ptr<Registration>> matching;
    {
        std::lock_guard lock(mutex_);
        for (const auto& r : registrations_)
            if ((r->name.empty() || r->name == notification.name) && (!r->object || r->object == notification.object))
                matching.push_back(r);
    }
    for (const auto& r : matching) {
        Handler handler;
        {
            std::lock_guard lock(mutex_);
            if (r->removed) continue;
            handler = r->handler;
        }
        handler(notification);
    }
}

void NSNotificationCenter::postNotificationName(const NSNotificationName& name, const void* object,
                                                NSUserInfo userInfo) {
    postNotification(NSNotification{name, object, std::move(userInfo)});
}

std::size_t NSNotificationCenter::observerCount() const {
    std::lock_guard lock(mutex_);
    return registrations_.size();
}
