#pragma once
// The main run loop: one loop, on the main thread, that runs tasks posted to the main queue,
// timers, delayed performs and (through Quartz Core) the display link, on one clock.
//
// The clock is either real (monotonic seconds since the process started) or manual. With a
// manual clock time stands still until a test moves it with `advance`/`advanceTo`; every timer
// that falls due on the way fires at its own due time, in order of due time (then of
// scheduling), with the main queue drained before and after each, so a test of animations,
// throttles and delays is exact and instant.
//
// Posting to the main queue and scheduling from other threads is safe; everything else (the
// timers' blocks, observers, running the loop) belongs to the main thread.
#include <any>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

using NSTimeInterval = double;
using NSRunLoopMode = std::string;

inline const NSRunLoopMode NSDefaultRunLoopMode = "kCFRunLoopDefaultMode";
// Sources added in the common modes run in every mode marked common (default and tracking).
inline const NSRunLoopMode NSRunLoopCommonModes = "kCFRunLoopCommonModes";

class NSRunLoop;

class NSThread {
public:
    // The thread that started the process (the one that ran static initialisation).
    static bool isMainThread();
};

// A timer on a run loop. The run loop keeps a scheduled timer alive until it is invalidated;
// a one-shot timer invalidates itself after firing. Invalidating releases the block (and
// whatever it captured).
class NSTimer : public std::enable_shared_from_this<NSTimer> {
public:
    using Block = std::function<void(NSTimer&)>;

    // A timer scheduled on the current run loop in the default mode. A non-positive interval
    // is taken as 0.1 ms.
    static std::shared_ptr<NSTimer> scheduledTimerWithTimeInterval(NSTimeInterval interval, bool repeats, Block block,
                                                                   std::any userInfo = {});
    // A timer that fires `interval` after it is added to a run loop (or at `fireDate` when set).
    static std::shared_ptr<NSTimer> timerWithTimeInterval(NSTimeInterval interval, bool repeats, Block block,
                                                          std::any userInfo = {});

    NSTimer(NSTimeInterval interval, bool repeats, Block block, std::any userInfo);
    NSTimer(const NSTimer&) = delete;
    NSTimer& operator=(const NSTimer&) = delete;

    // Runs the block now; a one-shot timer is then invalidated, a repeating one keeps its schedule.
    void fire();
    void invalidate();
    bool isValid() const;
    NSTimeInterval timeInterval() const { return interval_; }
    bool repeats() const { return repeats_; }
    // When the timer fires next, on its run loop's clock.
    NSTimeInterval fireDate() const;
    void setFireDate(NSTimeInterval date);
    const std::any& userInfo() const { return userInfo_; }

private:
    friend class NSRunLoop;
    NSTimeInterval interval_;
    bool repeats_;
    Block block_;
    std::any userInfo_;
    // Guarded by the run loop's lock once scheduled.
    bool valid_ = true;
    bool scheduled_ = false;
    bool fireDateSet_ = false;
    NSTimeInterval anchor_ = 0;  // due dates are anchor_ + n * interval_
    std::int64_t count_ = 0;
    NSTimeInterval fireDate_ = 0;
    std::uint64_t order_ = 0;  // scheduling order among timers due at the same time
    std::set<NSRunLoopMode> modes_;
    NSRunLoop* runLoop_ = nullptr;
    const void* performTarget_ = nullptr;  // set for delayed performs
    std::string performKey_;
};

class NSRunLoop {
public:
    using Task = std::function<void()>;
    // Runs after every pass of the loop; returns true when it did some work (which makes the
    // loop look again for work before it waits).
    using Observer = std::function<bool()>;

    static NSRunLoop& mainRunLoop();
    // The main run loop: only the main thread has one (timers scheduled elsewhere fire there).
    static NSRunLoop& currentRunLoop();

    // ---- Clock -------------------------------------------------------------------------
    NSTimeInterval now() const;
    void useManualClock(NSTimeInterval start = 0);
    void useRealClock();
    bool hasManualClock() const;

    // ---- Running -----------------------------------------------------------------------
    // One pass: the tasks posted so far, then the timers due now, then the observers. Never
    // waits and never moves a manual clock. True when anything ran.
    bool runOnce(const NSRunLoopMode& mode = NSDefaultRunLoopMode);
    // Passes until nothing is ready.
    void runUntilIdle(const NSRunLoopMode& mode = NSDefaultRunLoopMode);
    // Manual clock: moves time forward, firing what falls due on the way (see the top).
    void advance(NSTimeInterval seconds, const NSRunLoopMode& mode = NSDefaultRunLoopMode);
    void advanceTo(NSTimeInterval date, const NSRunLoopMode& mode = NSDefaultRunLoopMode);
    // Runs until the date (waiting for work with a real clock, advancing a manual one) or
    // until `stop`.
    void runUntilDate(NSTimeInterval date, const NSRunLoopMode& mode = NSDefaultRunLoopMode);
    // Runs until `stop` (real clock).
    void run();
    // Makes `run`/`runUntilDate` return after the current pass; callable from any thread.
    void stop();
    // The mode of the pass under way (the default mode between passes).
    NSRunLoopMode currentMode() const;
    // Marks a mode as one of the common modes.
    void addCommonMode(const NSRunLoopMode& mode);

    // ---- Sources -----------------------------------------------------------------------
    // Posts a task to the main queue: it runs in the next pass in any mode, in posting order.
    // Callable from any thread.
    void performBlock(Task task);
    void addTimer(const std::shared_ptr<NSTimer>& timer, const NSRunLoopMode& mode);
    // Runs the task once after the delay (in the default mode). The target and key identify
    // the request for cancellation; the target is an identity only and is never dereferenced.
    void performAfterDelay(const void* target, const std::string& key, NSTimeInterval delay, Task task,
                           const NSRunLoopMode& mode = NSDefaultRunLoopMode);
    // Cancels every pending delayed perform of the target, or those with the given key.
    void cancelPreviousPerformRequests(const void* target);
    void cancelPreviousPerformRequests(const void* target, const std::string& key);
    // A one-shot task at the given date on this loop's clock, in every mode (timed dispatches).
    void performAtDate(NSTimeInterval date, Task task);

    int addObserver(Observer observer);
    void removeObserver(int id);

    // When the next timer of the mode falls due (tasks waiting on the main queue make it now);
    // false when none is pending. For loops that wait on something else meanwhile (a window's
    // events).
    bool nextEventDate(NSTimeInterval* date, const NSRunLoopMode& mode = NSDefaultRunLoopMode) const;

    // Number of pending delayed performs and valid scheduled timers (for tests).
    std::size_t pendingTimerCount() const;

private:
    NSRunLoop();
    friend class NSTimer;
    bool modeMatches(const NSTimer& timer, const NSRunLoopMode& mode) const;  // lock held
    void scheduleLocked(const std::shared_ptr<NSTimer>& timer);               // lock held
    void removeLocked(NSTimer& timer);                                        // lock held
    bool nextDueLocked(const NSRunLoopMode& mode, NSTimeInterval* date) const;
    NSTimeInterval nowLocked() const;
    // A null key matches every key.
    void cancelPerforms(const void* target, const std::string* key);

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool manual_ = false;
    NSTimeInterval manualNow_ = 0;
    bool stopRequested_ = false;
    NSRunLoopMode currentMode_ = NSDefaultRunLoopMode;
    std::set<NSRunLoopMode> commonModes_{NSDefaultRunLoopMode};
    std::vector<Task> tasks_;
    std::vector<std::shared_ptr<NSTimer>> timers_;
    std::uint64_t nextOrder_ = 0;
    std::uint64_t changes_ = 0;  // bumped when a timer is scheduled or moved (wakes a waiting loop)
    std::vector<std::pair<int, Observer>> observers_;
    int nextObserverId_ = 1;
};
