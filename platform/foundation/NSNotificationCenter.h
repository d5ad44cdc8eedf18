#pragma once
// Notifications by name, delivered synchronously on the posting thread to every observer
// registered for that name (or for every name) and that sender (or every sender), in the
// order of registration. Observers added while a notification is being delivered do not get
// it; observers removed meanwhile are not called any more.
#include <any>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/foundation/Dispatch.h"

using NSNotificationName = std::string;
// A dictionary of arbitrary values under string keys (user info).
using NSUserInfo = std::map<std::string, std::any>;

struct NSNotification {
    NSNotificationName name;
    const void* object = nullptr;  // the sender, an identity only
    NSUserInfo userInfo;
};

class NSNotificationCenter {
public:
    using Handler = std::function<void(const NSNotification&)>;

    static NSNotificationCenter& defaultCenter();

    // `observer` identifies the registration for removal (it is never dereferenced). An empty
    // name observes every name; a null object observes every sender.
    void addObserver(const void* observer, const NSNotificationName& name, Handler handler,
                     const void* object = nullptr);
    // A registration whose handler runs on `queue` (asynchronously, unless null: then on the
    // posting thread). The returned token is the observer to remove.
    std::shared_ptr<void> addObserverForName(const NSNotificationName& name, const void* object, dispatch_queue_t queue,
                                             Handler handler);
    void removeObserver(const void* observer);
    // Only the observer's registrations for that name (and that sender, when given).
    void removeObserver(const void* observer, const NSNotificationName& name, const void* object = nullptr);

    void postNotification(const NSNotification& notification);
    void postNotificationName(const NSNotificationName& name, const void* object = nullptr, NSUserInfo userInfo = {});

    std::size_t observerCount() const;

private:
    struct Registration {
        const void* observer;
        NSNotificationName name;
        const void* object;
        Handler handler;
        bool removed = false;
    };
    mutable std::mutex mutex_;
    std::vector<std::shared_ptr<Registration>> registrations_;
};
