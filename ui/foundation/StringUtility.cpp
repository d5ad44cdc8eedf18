#include "ui/foundation/StringUtility.h"

#include <cstdio>

std::string StringUtility::describe(const NSPropertyValue& value) {
    if (std::holds_alternative<std::monostate>(value)) return "(null)";
    if (auto b = std::get_if<bool>(&value)) return *b ? "1" : "0";
    if (auto i = std::get_if<std::int64_t>(&value)) return std::to_string(*i);
    if (auto d = std::get_if<double>(&value)) {
        char text[32];
        std::snprintf(text, sizeof text, "%.15g", *d);
        return text;
    }
    return std::get<std::string>(value);
}

std::string StringUtility::stringForInstance(const NSObject& object) {
    char address[32];
    std::snprintf(address, sizeof address, "%p", static_cast<const void*>(&object));
    return "\n" + object.objectClass().name + " (" + address + "): \n" +
           stringForInstance(object, object.objectClass());
}

std::string StringUtility::stringForInstance(const NSObject& object, const NSClass& cls) {
    std::string text;
    for (const NSClass* c = &cls; c && c != &NSObject::rootClass(); c = c->superclass) {
        for (const auto& p : c->properties) {
            try {
                text += p.name + " = " + describe(p.get(object)) + "\n";
            } catch (const std::exception&) {
                text += p.name + " = ???\n";
            }
        }
    }
    return text;
}
