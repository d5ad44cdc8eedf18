#include "ui/foundation/NSObject+ObjectUtility.h"

namespace {

nlohmann::json toJSON(const NSPropertyValue& value) {
    return std::visit(
        [](const auto& v) -> nlohmann::json {
            using V = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<V, std::monostate>) return nullptr;
            else return v;
        },
        value);
}

// Arrays and objects have no property kind: nullopt.
std::optional<NSPropertyValue> fromJSON(const nlohmann::json& j) {
    if (j.is_null()) return NSPropertyValue{};
    if (j.is_boolean()) return NSPropertyValue{j.get<bool>()};
    if (j.is_number_integer()) return NSPropertyValue{j.get<std::int64_t>()};
    if (j.is_number()) return NSPropertyValue{j.get<double>()};
    if (j.is_string()) return NSPropertyValue{j.get<std::string>()};
    return std::nullopt;
}

}  // namespace

const void* ObjectUtility::defaultAssociationKey() {
    static const char key = 0;
    return &key;
}

void ObjectUtility::setAssociatedObject(NSObject& owner, std::shared_ptr<void> object) {
    owner.setAssociatedObject(defaultAssociationKey(), std::move(object));
}

std::shared_ptr<void> ObjectUtility::associatedObject(const NSObject& owner) {
    return owner.associatedObject(defaultAssociationKey());
}

std::vector<std::string> ObjectUtility::properties(const NSObject& object) {
    std::vector<std::string> names;
    for (const auto& p : object.objectClass().properties) names.push_back(p.name);
    return names;
}

void ObjectUtility::encodePropertiesWithCoder(const NSObject& object, nlohmann::json& coder) {
    nlohmann::json values = nlohmann::json::object();
    for (const auto& p : object.objectClass().properties) {
        try {
            values[p.name] = toJSON(p.get(object));
        } catch (const std::exception&) {
            values[p.name] = nullptr;
        }
    }
    if (!coder.is_object()) coder = nlohmann::json::object();
    coder[object.objectClass().name] = std::move(values);
}

bool ObjectUtility::initWithPropertyCoder(NSObject& object, const nlohmann::json& coder) {
    if (!coder.is_object()) return false;
    auto entry = coder.find(object.objectClass().name);
    if (entry == coder.end() || !entry->is_object()) return false;
    for (const auto& [key, stored] : entry->items())
        if (auto value = fromJSON(stored)) object.setValueForKey(key, *value);
    return true;
}

bool ObjectUtility::isEqualFromProperties(const NSObject& object, const NSObject* other) {
    if (other == &object) return true;
    if (!other || !object.isKindOfClass(other->objectClass())) return false;
    try {
        for (const auto& p : object.objectClass().properties) {
            auto theirs = other->valueForKey(p.name);
            if (!theirs || !NSPropertyValueEqual(p.get(object), *theirs)) return false;
        }
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

std::uint64_t ObjectUtility::hashFromProperties(const NSObject& object) {
    std::uint64_t h = 1;
    for (const auto& p : object.objectClass().properties) {
        std::uint64_t v = 0;
        try {
            v = NSPropertyValueHash(p.get(object));
        } catch (const std::exception&) {}
        h = h * 31 + v;
    }
    return h;
}
