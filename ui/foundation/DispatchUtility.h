#pragma once
// Background work and waits for it that keep the main thread's run loop turning.
//
// A `DispatchUtility` runs blocks in one group on the default-priority global queue; its
// waits, on the main thread, keep serving the main run loop (the main queue, timers), so work
// that reports back to the main queue while the main thread waits still gets through. It also
// carries a one-shot event: `beginWaitingForEventCompletion`, then some thread's
// `signalEventCompletion`, awaited by `waitForEventCompletion`.
#include <functional>
#include <memory>
#include <mutex>

#include "platform/foundation/Dispatch.h"

class DispatchUtility {
public:
    using Block = std::function<void()>;

    DispatchUtility();
    ~DispatchUtility();
    DispatchUtility(const DispatchUtility&) = delete;
    DispatchUtility& operator=(const DispatchUtility&) = delete;

    void performBlockAsync(Block block);
    // After the block, once the group is empty, `completion` runs on the main queue (the
    // worker waits for it).
    void performBlockAsync(Block block, Block completion);
    // Runs the block in the group, waits for the whole group, then `completion` runs on the
    // main queue.
    void performBlockAsyncAndWaitForCompletion(Block block, Block completion);
    // Returns when every block of the group has run.
    void waitForCompletion();

    // Starts a new event, dropping any earlier one.
    void beginWaitingForEventCompletion();
    // Callable from any thread; nothing without an event.
    void signalEventCompletion();
    // Waits for the event's signal (returns at once without an event), then ends the event.
    void waitForEventCompletion();
    bool waitingForEventCompletion() const;

    // A new utility already waiting for its event; the caller keeps it until
    // `waitForEventCompletionAndRelease`.
    static std::unique_ptr<DispatchUtility> beginWaitingForEventCompletionUtility();
    // `waitForEventCompletion`, then the utility is destroyed.
    static void waitForEventCompletionAndRelease(std::unique_ptr<DispatchUtility> utility);

    // Without waiting: posts the block to the main queue. Waiting: runs it on the main thread
    // and returns after it has run; on the main thread itself that is at once.
    static void performBlockOnMainThread(Block block, bool waitForCompletion);

private:
    dispatch_queue_t queue_;
    dispatch_group_t group_;
    mutable std::mutex semaphoreMutex_;
    dispatch_semaphore_t semaphore_;
};
