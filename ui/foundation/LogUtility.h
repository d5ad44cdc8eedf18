#pragma once
// Object dumps (as `StringUtility`) and the measure of one time span on the main run loop's
// clock (so a manual clock gives exact spans in tests), logged to standard error.
#include <string>

#include "ui/foundation/StringUtility.h"

struct LogUtility {
    static std::string stringForInstance(const NSObject& object) { return StringUtility::stringForInstance(object); }
    static std::string stringForInstance(const NSObject& object, const NSClass& cls) {
        return StringUtility::stringForInstance(object, cls);
    }

    static void startTiming();
    // Seconds since `startTiming`.
    static double timingDuration();
    // Logs `timingDuration` as "%f".
    static void stopTiming();
};
