#include "platform/foundation/NSObject.h"

#include <cmath>

namespace {

std::optional<double> numberOf(const NSPropertyValue& v) {
    if (auto i = std::get_if<std::int64_t>(&v)) return static_cast<double>(*i);
    if (auto d = std::get_if<double>(&v)) return *d;
    return std::nullopt;
}

}  // namespace

bool NSPropertyValueEqual(const NSPropertyValue& a, const NSPropertyValue& b) {
    auto x = numberOf(a), y = numberOf(b);
    if (x && y) {
        auto i = std::get_if<std::int64_t>(&a), j = std::get_if<std::int64_t>(&b);
        return (i && j) ? *i == *j : *x == *y;
    }
    return a == b;
}

std::uint64_t NSPropertyValueHash(const NSPropertyValue& value) {
    if (auto b = std::get_if<bool>(&value)) return *b ? 1 : 0;
    if (auto i = std::get_if<std::int64_t>(&value)) return static_cast<std::uint64_t>(*i);
    if (auto d = std::get_if<double>(&value)) {
        // Whole reals hash as the integer they equal, so that equal numbers hash alike.
        if (std::isfinite(*d) && *d == std::trunc(*d) && std::fabs(*d) < 9.2e18)
            return static_cast<std::uint64_t>(static_cast<std::int64_t>(*d));
        return std::hash<double>{}(*d);
    }
    if (auto s = std::get_if<std::string>(&value)) return std::hash<std::string>{}(*s);
    return 0;
}

bool NSClass::isSubclassOfClass(const NSClass& other) const {
    for (const NSClass* c = this; c; c = c->superclass)
        if (c == &other) return true;
    return false;
}

const NSPropertyDescriptor* NSClass::findProperty(const std::string& name) const {
    for (const NSClass* c = this; c; c = c->superclass)
        for (const auto& p : c->properties)
            if (p.name == name) return &p;
    return nullptr;
}

void NSObject::setAssociatedObject(const void* key, std::shared_ptr<void> object) {
    if (object) {
        associated_[key] = std::move(object);
    } else if (auto it = associated_.find(key); it != associated_.end()) {
        // Released after the entry is gone, so a destructor that reads the map sees it removed.
        auto old = std::move(it->second);
        associated_.erase(it);
    }
}

std::shared_ptr<void> NSObject::associatedObject(const void* key) const {
    auto it = associated_.find(key);
    return it == associated_.end() ? nullptr : it->second;
}

const NSClass& NSObject::rootClass() {
    static const NSClass root{"NSObject", nullptr, {}};
    return root;
}

std::optional<NSPropertyValue> NSObject::valueForKey(const std::string& key) const {
    const NSPropertyDescriptor* p = objectClass().findProperty(key);
    if (!p || !p->get) return std::nullopt;
    return p->get(*this);
}

bool NSObject::setValueForKey(const std::string& key, const NSPropertyValue& value) {
    const NSPropertyDescriptor* p = objectClass().findProperty(key);
    return p && p->set && p->set(*this, value);
}
