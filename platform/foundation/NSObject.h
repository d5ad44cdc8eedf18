#pragma once
// The common base of the stand-in's objects (views, layers, animations, display links, and
// later recognisers, bar items and alerts), for what the platform's object runtime gives every
// object:
//
// - Associated objects: objects attached to an owner under an opaque address key and held
//   strongly (shared ownership) for the owner's life. Setting null under a key removes the
//   attachment; setting another object under a key releases the first.
// - Declared properties: an explicit per-class table (`NSClass`: the class name, its
//   superclass's table and each declared property's name, getter and setter over the small
//   value variant `NSPropertyValue`), which stands in for the runtime's property list and
//   key-value coding. A class that declares properties answers its table from `objectClass`;
//   the root table declares none.
//
// Main thread only, as the owners are.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

class NSObject;

// A property's value as key-value coding reads it: nil, a boolean, a whole number, a real
// number or a string.
using NSPropertyValue = std::variant<std::monostate, bool, std::int64_t, double, std::string>;

// Numbers compare by value whatever their kind (2 equals 2.0), as boxed numbers do; every
// other kind compares only with its own.
bool NSPropertyValueEqual(const NSPropertyValue& a, const NSPropertyValue& b);
// The value's hash: a whole number (or a real number without fraction) hashes to itself, a
// boolean to 0 or 1, nil to 0.
std::uint64_t NSPropertyValueHash(const NSPropertyValue& value);

struct NSPropertyDescriptor {
    std::string name;
    // May throw when the value cannot be read.
    std::function<NSPropertyValue(const NSObject&)> get;
    // Answers false (changing nothing) for a value of a kind the property cannot take; null
    // for a read-only property.
    std::function<bool(NSObject&, const NSPropertyValue&)> set;
};

// One class's entry in the property table.
struct NSClass {
    std::string name;
    const NSClass* superclass = nullptr;
    std::vector<NSPropertyDescriptor> properties;

    // This class or one of its superclasses is `other`.
    bool isSubclassOfClass(const NSClass& other) const;
    // The property of that name declared by this class or a superclass, nearest first.
    const NSPropertyDescriptor* findProperty(const std::string& name) const;
};

class NSObject {
public:
    NSObject() = default;
    virtual ~NSObject() = default;
    // Attachments belong to one owner: a copy starts without them.
    NSObject(const NSObject&) {}
    NSObject& operator=(const NSObject&) { return *this; }

    // ---- Associated objects --------------------------------------------------------------
    void setAssociatedObject(const void* key, std::shared_ptr<void> object);
    std::shared_ptr<void> associatedObject(const void* key) const;
    template <class T>
    std::shared_ptr<T> associatedObjectAs(const void* key) const {
        return std::static_pointer_cast<T>(associatedObject(key));
    }
    std::size_t associatedObjectCount() const { return associated_.size(); }

    // ---- Declared properties -------------------------------------------------------------
    static const NSClass& rootClass();
    // The object's own class entry (the root's unless a subclass declares properties).
    virtual const NSClass& objectClass() const { return rootClass(); }
    bool isKindOfClass(const NSClass& cls) const { return objectClass().isSubclassOfClass(cls); }
    // Key-value coding over the class chain: nullopt for a key no class of the chain declares.
    // `valueForKey` lets a throwing getter's exception through.
    std::optional<NSPropertyValue> valueForKey(const std::string& key) const;
    // False when the key is undeclared, read-only or the value of the wrong kind.
    bool setValueForKey(const std::string& key, const NSPropertyValue& value);

private:
    std::map<const void*, std::shared_ptr<void>> associated_;
};

// Helpers for writing a class's table from typed member accessors. The value kinds map as
// bool → bool, integers → std::int64_t, floating point → double, std::string → std::string.
namespace NSProperty {

template <class T>
NSPropertyValue box(const T& v) {
    if constexpr (std::is_same_v<T, bool>) return NSPropertyValue{v};
    else if constexpr (std::is_integral_v<T> || std::is_enum_v<T>) return NSPropertyValue{static_cast<std::int64_t>(v)};
    else if constexpr (std::is_floating_point_v<T>) return NSPropertyValue{static_cast<double>(v)};
    else return NSPropertyValue{std::string(v)};
}

// Numbers convert between their kinds (a real number into an integer property only when it
// has no fraction); strings and booleans take only their own kind.
template <class T>
std::optional<T> unbox(const NSPropertyValue& value) {
    if constexpr (std::is_same_v<T, bool>) {
        if (auto b = std::get_if<bool>(&value)) return *b;
    } else if constexpr (std::is_integral_v<T> || std::is_enum_v<T>) {
        if (auto i = std::get_if<std::int64_t>(&value)) return static_cast<T>(*i);
        if (auto d = std::get_if<double>(&value); d && *d == static_cast<double>(static_cast<std::int64_t>(*d)))
            return static_cast<T>(static_cast<std::int64_t>(*d));
    } else if constexpr (std::is_floating_point_v<T>) {
        if (auto d = std::get_if<double>(&value)) return static_cast<T>(*d);
        if (auto i = std::get_if<std::int64_t>(&value)) return static_cast<T>(*i);
    } else {
        if (auto s = std::get_if<std::string>(&value)) return T(*s);
    }
    return std::nullopt;
}

// A read-write property over a getter and a setter of class C.
template <class C, class T, class G, class S>
NSPropertyDescriptor readWrite(std::string name, G getter, S setter) {
    return {std::move(name), [getter](const NSObject& o) { return box<T>((static_cast<const C&>(o).*getter)()); },
            [setter](NSObject& o, const NSPropertyValue& v) {
                auto t = unbox<T>(v);
                if (!t) return false;
                (static_cast<C&>(o).*setter)(*t);
                return true;
            }};
}

// A read-write property over a data member of class C.
template <class C, class T>
NSPropertyDescriptor member(std::string name, T C::*field) {
    return {std::move(name), [field](const NSObject& o) { return box<T>(static_cast<const C&>(o).*field); },
            [field](NSObject& o, const NSPropertyValue& v) {
                auto t = unbox<T>(v);
                if (!t) return false;
                static_cast<C&>(o).*field = *t;
                return true;
            }};
}

}  // namespace NSProperty
