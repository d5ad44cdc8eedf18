#pragma once
// Generic services of any object over its class's declared-property table (see
// platform/foundation/NSObject.h): one default associated-object slot, the property list,
// coding as JSON, equality and hash.
//
// The coded form of an object is one entry of a JSON object: the class name mapped to an
// object of property names and values ({"State": {"value": 0.5, "name": "Enhance"}}), nil
// values as null.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/foundation/NSObject.h"

struct ObjectUtility {
    // The slot of `setAssociatedObject`/`associatedObject` without a key (one per owner).
    static const void* defaultAssociationKey();
    static void setAssociatedObject(NSObject& owner, std::shared_ptr<void> object);
    static std::shared_ptr<void> associatedObject(const NSObject& owner);

    // The names of the properties the object's own class declares (not its superclasses'),
    // in declaration order.
    static std::vector<std::string> properties(const NSObject& object);

    // Writes the object's entry into `coder` (a JSON object), replacing an entry of that
    // class. A property whose getter throws is coded as null.
    static void encodePropertiesWithCoder(const NSObject& object, nlohmann::json& coder);
    // Sets every property stored under the object's class name. Keys the class does not
    // declare and values of the wrong kind are skipped, keeping what construction gave; so is
    // everything when the coder holds no entry for the class (then the answer is false).
    static bool initWithPropertyCoder(NSObject& object, const nlohmann::json& coder);
    // A new T decoded from the coder (T default-constructible).
    template <class T>
    static std::shared_ptr<T> decode(const nlohmann::json& coder) {
        auto object = std::make_shared<T>();
        initWithPropertyCoder(*object, coder);
        return object;
    }

    // Equal when `other` is `object` itself, or is not null, `object` is of its class (or a
    // subclass) and every property of `object`'s own class reads equal on both. `other`
    // lacking one of those properties, or a getter that throws, makes them unequal.
    static bool isEqualFromProperties(const NSObject& object, const NSObject* other);
    // h = 1, then h × 31 + hash of each property's value, wrapping (a throwing getter adds 0).
    static std::uint64_t hashFromProperties(const NSObject& object);
};
