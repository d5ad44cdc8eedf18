#include "platform/quartzcore/CABase.h"

#include "platform/foundation/NSRunLoop.h"

CFTimeInterval CACurrentMediaTime() { return NSRunLoop::mainRunLoop().now(); }
