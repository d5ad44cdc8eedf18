#pragma once
// Batches of layer changes. Layout and display requested during a turn of the main run loop
// are carried out once at its end (or at once by `flush`). Explicit transactions nest and
// carry settings (implicit animation duration, actions off) and a completion block that runs
// on the main run loop once the animations added during the transaction have ended (in the
// next pass when there were none).
#include <functional>

#include "platform/quartzcore/CABase.h"

class CALayer;

class CATransaction {
public:
    static void begin();
    static void commit();
    // Lays out and displays every layer tree with pending work. True when there was any.
    static bool flush();
    // Whether a layer waits for the next flush (its layout or display is due).
    static bool hasPendingWork();

    static bool disableActions();
    static void setDisableActions(bool disable);
    static CFTimeInterval animationDuration();
    static void setAnimationDuration(CFTimeInterval duration);
    static void setCompletionBlock(std::function<void()> block);

    // Stand-in internals: a layer asks for the end-of-turn flush; an added animation tells
    // the open transaction when it ends.
    static void scheduleFlush(CALayer& layer);
    static void noteAnimationEnd(CFTimeInterval endTime);
};
