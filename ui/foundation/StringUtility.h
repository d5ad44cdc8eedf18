#pragma once
// A text dump of an object: a heading ("\n<class> (<address>): \n"), then one line
// "<name> = <value>\n" per property declared by its class, then by each superclass below the
// root; a property whose getter throws gives "<name> = ???\n" and the dump goes on.
#include <string>

#include "platform/foundation/NSObject.h"

struct StringUtility {
    static std::string stringForInstance(const NSObject& object);
    // The lines for `cls` (a class of the object's chain) and its superclasses, no heading.
    static std::string stringForInstance(const NSObject& object, const NSClass& cls);
    // A value as its description: nil "(null)", booleans 1 and 0, numbers in shortest form.
    static std::string describe(const NSPropertyValue& value);
};
