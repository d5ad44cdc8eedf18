#pragma once
// A callback at every display refresh (or every `frameInterval`-th one) on a run loop. The
// display refreshes 60 times a second on a grid of the run loop's clock, so with a manual
// clock the link fires at exact multiples of 1/60 s.
//
// Once added to a run loop the link is kept alive by it (and keeps its block, and whatever
// the block holds) until `invalidate`.
#include <cstdint>
#include <functional>
#include <memory>
#include <set>

#include "platform/foundation/NSObject.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/quartzcore/CABase.h"

class CADisplayLink : public NSObject, public std::enable_shared_from_this<CADisplayLink> {
public:
    using Block = std::function<void(CADisplayLink&)>;
    static constexpr double kRefreshRate = 60;

    // The target's action, as a block.
    static std::shared_ptr<CADisplayLink> displayLinkWithTarget(Block block);
    explicit CADisplayLink(Block block);
    ~CADisplayLink();
    CADisplayLink(const CADisplayLink&) = delete;
    CADisplayLink& operator=(const CADisplayLink&) = delete;

    void addToRunLoop(NSRunLoop& runLoop, const NSRunLoopMode& mode);
    void removeFromRunLoop(NSRunLoop& runLoop, const NSRunLoopMode& mode);
    // Removes the link from every run loop and releases the block.
    void invalidate();
    bool isValid() const { return valid_; }

    bool isPaused() const { return paused_; }
    void setPaused(bool paused);
    long frameInterval() const { return frameInterval_; }
    // Values below 1 are ignored.
    void setFrameInterval(long interval);

    // Time of the refresh that fired last, the refresh period, and the next firing.
    CFTimeInterval timestamp() const { return timestamp_; }
    CFTimeInterval duration() const { return 1 / kRefreshRate; }
    CFTimeInterval targetTimestamp() const { return timestamp_ + frameInterval_ / kRefreshRate; }

    // How many times any link has fired in the process: a window's turn shows the screen
    // once a refresh's callbacks have run, rather than running the next refresh's first.
    static uint64_t fireCount();

private:
    void reschedule();
    void fire();

    Block block_;
    bool valid_ = true;
    bool paused_ = false;
    long frameInterval_ = 1;
    CFTimeInterval timestamp_ = 0;
    std::set<NSRunLoopMode> modes_;
    std::shared_ptr<NSTimer> timer_;
};
