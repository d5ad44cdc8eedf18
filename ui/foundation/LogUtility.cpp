#include "ui/foundation/LogUtility.h"

#include <cstdio>

#include "platform/foundation/NSRunLoop.h"

namespace {
double timingStart = 0;
}

void LogUtility::startTiming() { timingStart = NSRunLoop::mainRunLoop().now(); }

double LogUtility::timingDuration() { return NSRunLoop::mainRunLoop().now() - timingStart; }

void LogUtility::stopTiming() { std::fprintf(stderr, "%f\n", timingDuration()); }
