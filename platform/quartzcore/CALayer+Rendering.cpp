#include "platform/quartzcore/CACompositor.h"
#include "platform/quartzcore/CALayer.h"

void CALayer::renderInContext(const CGContextRef& context) {
    if (!context) return;
    // What is pending shows, as it would on screen after the turn.
    layoutIfNeeded();
    displayIfNeeded();
    CACompositor::render(*this, context);
}
